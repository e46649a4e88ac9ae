#pragma once
// Creates objects of classes registered in the per-user registry file (the file that a
// library's DllRegisterServer writes), loading the serving library on demand and unloading
// it again once no object of ours is left and the library agrees.
//
// Thread-safe: the table of loaded libraries is shared by all threads.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <velomail/velomail.h>

namespace velomail::client {

struct LoadedModule;

// One reference to an object, together with a hold on the library that serves it. Moving
// transfers both; destruction releases the object, then the library.
class ObjectRef {
public:
    ObjectRef() = default;
    ~ObjectRef() { reset(); }
    ObjectRef(ObjectRef&& other) noexcept;
    ObjectRef& operator=(ObjectRef&& other) noexcept;
    ObjectRef(const ObjectRef&) = delete;
    ObjectRef& operator=(const ObjectRef&) = delete;

    explicit operator bool() const { return m_object != nullptr; }
    IUnknown* get() const { return m_object; }
    // The interface the object was created for; I must be that interface.
    template <class I>
    I* as() const {
        return static_cast<I*>(m_object);
    }
    void reset();
    // Frees a result string of the object's methods through its library's VmFreeString;
    // null is allowed. A library without that entry point keeps its strings.
    void freeString(char16_t* text) const;

private:
    friend HRESULT createObject(const GUID&, const GUID&, ObjectRef&);
    ObjectRef(IUnknown* object, LoadedModule* module) : m_object(object), m_module(module) {}

    IUnknown* m_object = nullptr;
    LoadedModule* m_module = nullptr;
};

// The library the registry file names for the class, an absolute path; nullopt when the
// class or its library path is not registered, or the file cannot be read.
std::optional<std::string> registeredLibrary(const GUID& clsid);

// Registers the library at `libraryPath` through its own DllRegisterServer.
// CO_E_DLLNOTFOUND when it does not load, CO_E_ERRORINDLL when it lacks that entry point;
// otherwise what it answered.
HRESULT registerLibrary(const std::string& libraryPath);

// The CLSID registered for a ProgID (a ProgID without its own CLSID entry is followed
// through CurVer). CO_E_CLASSSTRING when unknown; E_FAIL when the file cannot be read.
HRESULT classIdFromProgId(std::string_view progId, GUID& clsid);

// Creates an object of the class and asks it for `iid`. REGDB_E_CLASSNOTREG when the class
// or its library path is not registered, CO_E_DLLNOTFOUND when the library does not load,
// CO_E_ERRORINDLL when it lacks the entry points; otherwise what the library answered.
HRESULT createObject(const GUID& clsid, const GUID& iid, ObjectRef& object);
HRESULT createObject(std::string_view progId, const GUID& iid, ObjectRef& object);

// Unloads libraries that serve no ObjectRef and whose DllCanUnloadNow answers S_OK, for
// libraries kept loaded because they still had locks when their last object went.
void freeUnusedModules();

// How many libraries this helper holds loaded.
std::size_t loadedModuleCount();

} // namespace velomail::client
