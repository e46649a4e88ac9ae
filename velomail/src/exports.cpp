// The module: its lock count, the class factory of Smtp and the entry points a client
// finds with dlsym.

#include "module.h"
#include "smtp.h"
#include "text.h"

#include <atomic>
#include <mutex>
#include <new>
#include <velomail/velomail.h>

namespace velomail {

namespace {

std::atomic<long> g_lockCount{0};

// One factory lives as long as the module and holds one reference to itself; only client
// references beyond that one keep the module locked, so that handing the factory out and
// releasing it again leaves the lock count as it was.
class ClassFactory final : public IClassFactory {
public:
    HRESULT QueryInterface(const GUID& riid, void** ppvObject) override {
        if (ppvObject == nullptr) {
            return E_POINTER;
        }
        if (riid == IID_IUnknown || riid == IID_IClassFactory) {
            *ppvObject = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *ppvObject = nullptr;
        return E_NOINTERFACE;
    }

    std::uint32_t AddRef() override {
        const std::lock_guard lock(m_mutex);
        if (++m_refCount == 2) {
            lockModule();
        }
        return m_refCount;
    }

    std::uint32_t Release() override {
        const std::lock_guard lock(m_mutex);
        // The module's own reference is never given up.
        if (m_refCount > 1 && --m_refCount == 1) {
            unlockModule();
        }
        return m_refCount;
    }

    HRESULT CreateInstance(IUnknown* pUnkOuter, const GUID& riid, void** ppvObject) override {
        if (ppvObject == nullptr) {
            return E_POINTER;
        }
        *ppvObject = nullptr;
        if (pUnkOuter != nullptr) {
            return CLASS_E_NOAGGREGATION;
        }
        auto* object = new (std::nothrow) Smtp();
        if (object == nullptr) {
            return E_OUTOFMEMORY;
        }
        // The creator's reference is dropped again whether or not the interface exists, so
        // a refused interface destroys the object.
        const HRESULT result = object->QueryInterface(riid, ppvObject);
        object->Release();
        return result;
    }

    HRESULT LockServer(std::int32_t fLock) override {
        if (fLock != 0) {
            lockModule();
        } else {
            unlockModule();
        }
        return S_OK;
    }

private:
    std::mutex m_mutex;
    std::uint32_t m_refCount = 1;
};

ClassFactory g_factory;

} // namespace

void lockModule() {
    g_lockCount.fetch_add(1);
}

void unlockModule() {
    long count = g_lockCount.load();
    while (count > 0 && !g_lockCount.compare_exchange_weak(count, count - 1)) {
    }
}

long moduleLockCount() {
    return g_lockCount.load();
}

} // namespace velomail

extern "C" {

VELOMAIL_EXPORT HRESULT DllGetClassObject(const GUID& rclsid, const GUID& riid, void** ppv) {
    if (ppv == nullptr) {
        return E_POINTER;
    }
    *ppv = nullptr;
    if (rclsid != CLSID_Smtp) {
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    return velomail::g_factory.QueryInterface(riid, ppv);
}

VELOMAIL_EXPORT HRESULT DllCanUnloadNow() {
    return velomail::moduleLockCount() == 0 ? S_OK : S_FALSE;
}

VELOMAIL_EXPORT void VmFreeString(char16_t* text) {
    velomail::freeResultString(text);
}
}
