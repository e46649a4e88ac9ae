#include "velomail/client/object_factory.h"

#include "velomail/registry/registry.h"

#include <dlfcn.h>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

namespace velomail::client {

struct LoadedModule {
    void* handle = nullptr;
    DllGetClassObjectFn getClassObject = nullptr;
    DllCanUnloadNowFn canUnloadNow = nullptr;
    VmFreeStringFn freeString = nullptr;
    std::size_t objects = 0;
};

namespace {

// Keyed by library path; std::map keeps entries in place, so ObjectRef can point at them.
struct ModuleTable {
    std::mutex mutex;
    std::map<std::string, LoadedModule> modules;
};

ModuleTable& table() {
    static ModuleTable instance;
    return instance;
}

// Unloads an entry that serves no object when the library allows it; the caller holds the
// table's mutex.
void unloadIfUnused(ModuleTable& modules, std::map<std::string, LoadedModule>::iterator it) {
    if (it->second.objects == 0 && it->second.canUnloadNow() == S_OK) {
        dlclose(it->second.handle);
        modules.modules.erase(it);
    }
}

void releaseModule(LoadedModule* module) {
    ModuleTable& modules = table();
    const std::lock_guard lock(modules.mutex);
    for (auto it = modules.modules.begin(); it != modules.modules.end(); ++it) {
        if (&it->second == module) {
            --it->second.objects;
            unloadIfUnused(modules, it);
            return;
        }
    }
}

// Loads the library (or finds it loaded) and counts one more object on it.
HRESULT acquireModule(const std::string& path, LoadedModule*& module) {
    ModuleTable& modules = table();
    const std::lock_guard lock(modules.mutex);
    auto it = modules.modules.find(path);
    if (it == modules.modules.end()) {
        void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr) {
            return CO_E_DLLNOTFOUND;
        }
        LoadedModule loaded;
        loaded.handle = handle;
        loaded.getClassObject =
            reinterpret_cast<DllGetClassObjectFn>(dlsym(handle, "DllGetClassObject"));
        loaded.canUnloadNow = reinterpret_cast<DllCanUnloadNowFn>(dlsym(handle, "DllCanUnloadNow"));
        loaded.freeString = reinterpret_cast<VmFreeStringFn>(dlsym(handle, "VmFreeString"));
        if (loaded.getClassObject == nullptr || loaded.canUnloadNow == nullptr) {
            dlclose(handle);
            return CO_E_ERRORINDLL;
        }
        it = modules.modules.emplace(path, loaded).first;
    }
    ++it->second.objects;
    module = &it->second;
    return S_OK;
}

std::optional<Registry> readRegistry() {
    const std::string file = registryFilePath();
    return file.empty() ? std::nullopt : loadRegistry(file);
}

std::optional<std::string> libraryOf(const Registry& registry, const GUID& clsid) {
    auto path =
        registry.value("CLSID/" + guidToString(clsid) + "/InprocServer32", Registry::DefaultValue);
    // A relative path would load whatever the current folder or search path offers.
    if (!path || path->empty() || path->front() != '/') {
        return std::nullopt;
    }
    return path;
}

} // namespace

ObjectRef::ObjectRef(ObjectRef&& other) noexcept
    : m_object(std::exchange(other.m_object, nullptr)),
      m_module(std::exchange(other.m_module, nullptr)) {}

ObjectRef& ObjectRef::operator=(ObjectRef&& other) noexcept {
    if (this != &other) {
        reset();
        m_object = std::exchange(other.m_object, nullptr);
        m_module = std::exchange(other.m_module, nullptr);
    }
    return *this;
}

void ObjectRef::reset() {
    // The object's code lives in the library: release it before the library may go.
    if (m_object != nullptr) {
        std::exchange(m_object, nullptr)->Release();
    }
    if (m_module != nullptr) {
        releaseModule(std::exchange(m_module, nullptr));
    }
}

void ObjectRef::freeString(char16_t* text) const {
    // The string was allocated inside the library; only the library may free it.
    if (text != nullptr && m_module != nullptr && m_module->freeString != nullptr) {
        m_module->freeString(text);
    }
}

HRESULT classIdFromProgId(std::string_view progId, GUID& clsid) {
    // A "/" would reach into other keys of the file.
    if (progId.empty() || progId.find('/') != std::string_view::npos) {
        return CO_E_CLASSSTRING;
    }
    const auto registry = readRegistry();
    if (!registry) {
        return E_FAIL;
    }
    std::string name(progId);
    // CurVer chains are short; the bound stops a loop written into the file.
    for (int hop = 0; hop < 4; ++hop) {
        if (const auto text = registry->value(name + "/CLSID", Registry::DefaultValue)) {
            const auto guid = guidFromString(*text);
            if (!guid) {
                return CO_E_CLASSSTRING;
            }
            clsid = *guid;
            return S_OK;
        }
        const auto next = registry->value(name + "/CurVer", Registry::DefaultValue);
        if (!next || next->empty() || next->find('/') != std::string::npos) {
            break;
        }
        name = *next;
    }
    return CO_E_CLASSSTRING;
}

std::optional<std::string> registeredLibrary(const GUID& clsid) {
    const auto registry = readRegistry();
    return registry ? libraryOf(*registry, clsid) : std::nullopt;
}

HRESULT registerLibrary(const std::string& libraryPath) {
    void* handle = dlopen(libraryPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        return CO_E_DLLNOTFOUND;
    }
    using RegisterFn = HRESULT (*)();
    const auto registerServer = reinterpret_cast<RegisterFn>(dlsym(handle, "DllRegisterServer"));
    const HRESULT result = registerServer != nullptr ? registerServer() : CO_E_ERRORINDLL;
    dlclose(handle);
    return result;
}

HRESULT createObject(const GUID& clsid, const GUID& iid, ObjectRef& object) {
    object.reset();
    const auto registry = readRegistry();
    if (!registry) {
        return E_FAIL;
    }
    const auto path = libraryOf(*registry, clsid);
    if (!path) {
        return REGDB_E_CLASSNOTREG;
    }
    LoadedModule* module = nullptr;
    HRESULT result = acquireModule(*path, module);
    if (result != S_OK) {
        return result;
    }
    void* factoryPointer = nullptr;
    result = module->getClassObject(clsid, IID_IClassFactory, &factoryPointer);
    void* created = nullptr;
    if (result == S_OK && factoryPointer != nullptr) {
        auto* factory = static_cast<IClassFactory*>(factoryPointer);
        result = factory->CreateInstance(nullptr, iid, &created);
        factory->Release();
    } else if (result == S_OK) {
        result = E_UNEXPECTED;
    }
    if (result != S_OK || created == nullptr) {
        releaseModule(module);
        return result == S_OK ? E_UNEXPECTED : result;
    }
    object = ObjectRef(static_cast<IUnknown*>(created), module);
    return S_OK;
}

HRESULT createObject(std::string_view progId, const GUID& iid, ObjectRef& object) {
    object.reset();
    GUID clsid{};
    const HRESULT result = classIdFromProgId(progId, clsid);
    return result == S_OK ? createObject(clsid, iid, object) : result;
}

void freeUnusedModules() {
    ModuleTable& modules = table();
    const std::lock_guard lock(modules.mutex);
    for (auto it = modules.modules.begin(); it != modules.modules.end();) {
        const auto current = it++;
        unloadIfUnused(modules, current);
    }
}

std::size_t loadedModuleCount() {
    ModuleTable& modules = table();
    const std::lock_guard lock(modules.mutex);
    return modules.modules.size();
}

} // namespace velomail::client
