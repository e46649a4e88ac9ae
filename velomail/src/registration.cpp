// Self-registration: the class's entries in the per-user registry file, which the client
// helper reads to find this library by CLSID or ProgID.

#include "velomail/registry/registry.h"

#include <cstdlib>
#include <dlfcn.h>
#include <optional>
#include <string>
#include <velomail/velomail.h>

namespace velomail {

namespace {

constexpr const char* ClassDescription = "Smtp Class";
constexpr const char* ThreadingModel = "Apartment";

// Any object of this library will do: dladdr names the file it was loaded from.
const char g_moduleAnchor = 0;

// The library's full path, resolved so that the entry stays valid whatever the current
// folder or search path was when the library was loaded.
std::optional<std::string> modulePath() {
    Dl_info info{};
    if (dladdr(&g_moduleAnchor, &info) == 0 || info.dli_fname == nullptr) {
        return std::nullopt;
    }
    char* resolved = realpath(info.dli_fname, nullptr);
    if (resolved == nullptr) {
        return std::nullopt;
    }
    std::string path(resolved);
    std::free(resolved);
    return path;
}

std::string classKey() {
    return "CLSID/" + guidToString(CLSID_Smtp);
}

// Removes everything this class owns; the "CLSID" key itself is shared with other classes.
void removeEntries(Registry& registry) {
    registry.removeTree(VELOMAIL_SMTP_PROGID);
    registry.removeTree(VELOMAIL_SMTP_PROGID_INDEPENDENT);
    registry.removeTree(classKey());
}

void addEntries(Registry& registry, const std::string& module) {
    const std::string clsid = guidToString(CLSID_Smtp);
    const std::string versioned = VELOMAIL_SMTP_PROGID;
    const std::string independent = VELOMAIL_SMTP_PROGID_INDEPENDENT;
    const auto def = Registry::DefaultValue;

    registry.setValue(versioned, def, ClassDescription);
    registry.setValue(versioned + "/CLSID", def, clsid);
    registry.setValue(independent, def, ClassDescription);
    registry.setValue(independent + "/CLSID", def, clsid);
    registry.setValue(independent + "/CurVer", def, versioned);

    const std::string key = classKey();
    registry.setValue(key, def, ClassDescription);
    registry.setValue(key + "/ProgID", def, versioned);
    registry.setValue(key + "/VersionIndependentProgID", def, independent);
    registry.createKey(key + "/Programmable");
    registry.setValue(key + "/InprocServer32", def, module);
    registry.setValue(key + "/InprocServer32", "ThreadingModel", ThreadingModel);
    registry.setValue(key + "/TypeLib", def, guidToString(LIBID_VELOMAILLib));
}

// Reads, changes and writes the registry file under its lock. A file that exists but
// cannot be read is left alone rather than replaced by our entries alone.
template <class Change>
HRESULT updateRegistry(Change change) {
    const std::string file = registryFilePath();
    if (file.empty()) {
        return SELFREG_E_CLASS;
    }
    const RegistryLock lock(file);
    if (!lock.locked()) {
        return SELFREG_E_CLASS;
    }
    std::optional<Registry> registry = loadRegistry(file);
    if (!registry) {
        return SELFREG_E_CLASS;
    }
    if (!change(*registry)) {
        return S_OK;
    }
    return saveRegistry(file, *registry) ? S_OK : SELFREG_E_CLASS;
}

} // namespace

} // namespace velomail

extern "C" {

VELOMAIL_EXPORT HRESULT DllRegisterServer() {
    try {
        const auto module = velomail::modulePath();
        if (!module) {
            return SELFREG_E_CLASS;
        }
        return velomail::updateRegistry([&](velomail::Registry& registry) {
            // Stale entries of an earlier registration (other subkeys, another path) go.
            velomail::removeEntries(registry);
            velomail::addEntries(registry, *module);
            return true;
        });
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

VELOMAIL_EXPORT HRESULT DllUnregisterServer() {
    try {
        return velomail::updateRegistry([](velomail::Registry& registry) {
            const std::size_t before = registry.keyCount();
            velomail::removeEntries(registry);
            return registry.keyCount() != before;
        });
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}
}
