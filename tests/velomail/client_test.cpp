// Creating Smtp through the client helper: by CLSID and ProgID from the registry file, the
// failures a broken registration gives, and when the helper lets the library go.

#include "support/temp_tree.h"
#include "test_helpers.h"
#include "velomail/client/object_factory.h"
#include "velomail/registry/registry.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace velomail::test {
namespace {

using client::ObjectRef;

const std::string ServerKey = "CLSID/{212D4FD0-AEBC-11D5-B108-0050BF1BCBE3}/InprocServer32";

class VelomailClient : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(DllRegisterServer(), S_OK); }
    void TearDown() override { EXPECT_EQ(client::loadedModuleCount(), 0u); }

    std::string file() const { return m_tree.path("pairwell/components.ini"); }
    // Rewrites one value of the registration.
    void edit(const std::string& key, const std::string& name, const std::string& value) {
        auto registry = loadRegistry(file());
        ASSERT_TRUE(registry.has_value());
        registry->setValue(key, name, value);
        ASSERT_TRUE(saveRegistry(file(), *registry));
    }

    pw::test::TempTree m_tree;
    ScopedEnv m_config{"XDG_CONFIG_HOME", m_tree.root()};
    ScopedEnv m_timeout{"VELOMAIL_TEST_TIMEOUT_MS", "5000"};
};

TEST_F(VelomailClient, CreatesWorkingObjectsByClsidAndProgId) {
    ObjectRef byClsid;
    ASSERT_EQ(client::createObject(CLSID_Smtp, IID_ISmtp, byClsid), S_OK);
    ASSERT_TRUE(byClsid);
    // A working Smtp: not connected yet, so Close answers "FAIL" (the sessions are tested
    // on objects from the class factory, the same code).
    char16_t* result = nullptr;
    EXPECT_EQ(byClsid.as<ISmtp>()->Close(&result), S_OK);
    EXPECT_EQ(takeAnswer(result), "FAIL");

    for (const char* progId : {"Velomail.Smtp", "Velomail.Smtp.1"}) {
        SCOPED_TRACE(progId);
        GUID clsid{};
        EXPECT_EQ(client::classIdFromProgId(progId, clsid), S_OK);
        EXPECT_EQ(clsid, CLSID_Smtp);
        ObjectRef byProgId;
        ASSERT_EQ(client::createObject(progId, IID_IDispatch, byProgId), S_OK);
        void* asSmtp = nullptr;
        EXPECT_EQ(byProgId.get()->QueryInterface(IID_ISmtp, &asSmtp), S_OK);
        EXPECT_EQ(asSmtp, static_cast<void*>(byProgId.get()));
        static_cast<ISmtp*>(asSmtp)->Release();
    }
}

TEST_F(VelomailClient, ProgIdsFollowCurVerAndBrokenRegistrationsAreReported) {
    edit("Vendor.Mailer", "@", "Mailer");
    edit("Vendor.Mailer/CurVer", "@", "Velomail.Smtp.1");
    edit("Loop.A/CurVer", "@", "Loop.B");
    edit("Loop.B/CurVer", "@", "Loop.A");
    GUID clsid{};
    EXPECT_EQ(client::classIdFromProgId("Vendor.Mailer", clsid), S_OK);
    EXPECT_EQ(clsid, CLSID_Smtp);
    EXPECT_EQ(client::classIdFromProgId("Loop.A", clsid), CO_E_CLASSSTRING);

    ObjectRef object;
    EXPECT_EQ(client::createObject("No.Such.Class", IID_ISmtp, object), CO_E_CLASSSTRING);
    EXPECT_EQ(
        client::createObject("CLSID/{212D4FD0-AEBC-11D5-B108-0050BF1BCBE3}", IID_ISmtp, object),
        CO_E_CLASSSTRING);
    EXPECT_EQ(client::createObject(IID_ISmtp, IID_ISmtp, object), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(client::createObject(CLSID_Smtp, IID_IClassFactory, object), E_NOINTERFACE);

    edit(ServerKey, "@", "libvelomail.so");
    EXPECT_EQ(client::createObject(CLSID_Smtp, IID_ISmtp, object), REGDB_E_CLASSNOTREG);
    edit(ServerKey, "@", m_tree.path("missing/libvelomail.so"));
    EXPECT_EQ(client::createObject(CLSID_Smtp, IID_ISmtp, object), CO_E_DLLNOTFOUND);
    // The C library loads but serves no classes.
    Dl_info info{};
    ASSERT_NE(dladdr(reinterpret_cast<void*>(&getpid), &info), 0);
    edit(ServerKey, "@", info.dli_fname);
    EXPECT_EQ(client::createObject(CLSID_Smtp, IID_ISmtp, object), CO_E_ERRORINDLL);

    ASSERT_EQ(DllRegisterServer(), S_OK);
    ASSERT_EQ(DllUnregisterServer(), S_OK);
    EXPECT_EQ(client::createObject(CLSID_Smtp, IID_ISmtp, object), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(client::createObject("Velomail.Smtp", IID_ISmtp, object), CO_E_CLASSSTRING);
    EXPECT_FALSE(object);
}

TEST_F(VelomailClient, LibraryIsReleasedWithTheLastObjectWhenItAgrees) {
    ObjectRef first;
    ObjectRef second;
    ASSERT_EQ(client::createObject(CLSID_Smtp, IID_ISmtp, first), S_OK);
    ASSERT_EQ(client::createObject("Velomail.Smtp", IID_ISmtp, second), S_OK);
    EXPECT_EQ(client::loadedModuleCount(), 1u);
    first.reset();
    EXPECT_EQ(client::loadedModuleCount(), 1u);
    ObjectRef moved = std::move(second);
    EXPECT_FALSE(second);
    moved.reset();
    EXPECT_EQ(client::loadedModuleCount(), 0u);
    EXPECT_EQ(DllCanUnloadNow(), S_OK);

    // A server lock keeps the library loaded past its last object until it is dropped.
    ASSERT_EQ(client::createObject(CLSID_Smtp, IID_ISmtp, first), S_OK);
    void* factory = nullptr;
    ASSERT_EQ(DllGetClassObject(CLSID_Smtp, IID_IClassFactory, &factory), S_OK);
    auto* classFactory = static_cast<IClassFactory*>(factory);
    EXPECT_EQ(classFactory->LockServer(1), S_OK);
    first.reset();
    client::freeUnusedModules();
    EXPECT_EQ(client::loadedModuleCount(), 1u);
    EXPECT_EQ(classFactory->LockServer(0), S_OK);
    classFactory->Release();
    client::freeUnusedModules();
    EXPECT_EQ(client::loadedModuleCount(), 0u);
}

// Object identity and reference counts, the class factory, the module lock count that
// DllCanUnloadNow reports, and the late-binding names.
IClassFactory* classFactory() {
    void* factory = nullptr;
    EXPECT_EQ(DllGetClassObject(CLSID_Smtp, IID_IClassFactory, &factory), S_OK);
    return static_cast<IClassFactory*>(factory);
}

TEST(VelomailObjectModel, OneCountedObjectAnswersEveryInterfaceAndName) {
    SmtpObject smtp;
    ISmtp* object = smtp.get();
    for (const GUID& iid : {IID_IUnknown, IID_IDispatch, IID_ISmtp}) {
        void* out = nullptr;
        EXPECT_EQ(object->QueryInterface(iid, &out), S_OK);
        EXPECT_EQ(out, static_cast<void*>(object));
    }
    // One reference from creation and three from the queries.
    EXPECT_EQ(object->AddRef(), 5u);
    for (const std::uint32_t left : {4u, 3u, 2u, 1u}) {
        EXPECT_EQ(object->Release(), left);
    }
    void* other = &other;
    EXPECT_EQ(object->QueryInterface(IID_IClassFactory, &other), E_NOINTERFACE);
    EXPECT_EQ(other, nullptr);
    EXPECT_EQ(object->QueryInterface(IID_ISmtp, nullptr), E_POINTER);

    const struct {
        const char16_t* name;
        std::int32_t id;
    } names[] = {{u"OnStartPage", DISPID_SMTP_ONSTARTPAGE},
                 {u"onendpage", DISPID_SMTP_ONENDPAGE},
                 {u"Open", DISPID_SMTP_OPEN},
                 {u"SEND", DISPID_SMTP_SEND},
                 {u"Close", DISPID_SMTP_CLOSE}};
    for (const auto& entry : names) {
        std::int32_t id = 0;
        EXPECT_EQ(object->GetIDsOfNames(IID_IUnknown, &entry.name, 1, 0, &id), S_OK);
        EXPECT_EQ(id, entry.id);
    }
    std::int32_t ids[2] = {0, 0};
    const char16_t* unknown[] = {u"Opened"};
    EXPECT_EQ(object->GetIDsOfNames(IID_IUnknown, unknown, 1, 0, ids), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids[0], DISPID_UNKNOWN);
    const char16_t* withArgument[] = {u"Open", u"SmtpAddr"};
    EXPECT_EQ(object->GetIDsOfNames(IID_IUnknown, withArgument, 2, 0, ids), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids[0], DISPID_SMTP_OPEN);
    EXPECT_EQ(ids[1], DISPID_UNKNOWN);
    std::uint32_t count = 7;
    EXPECT_EQ(object->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(
        object->Invoke(DISPID_SMTP_OPEN, IID_IUnknown, 0, 1, nullptr, nullptr, nullptr, nullptr),
        E_NOTIMPL);

    SmtpObject host;
    EXPECT_EQ(object->OnStartPage(nullptr), E_POINTER);
    EXPECT_EQ(object->OnStartPage(host.get()), S_OK);
    EXPECT_EQ(object->OnEndPage(), S_OK);
    EXPECT_EQ(smtp.close(), "FAIL");
    VmFreeString(nullptr);
}

TEST(VelomailObjectModel, ObjectsAndFactoryReferencesLockTheModule) {
    ASSERT_EQ(DllCanUnloadNow(), S_OK);
    {
        SmtpObject smtp;
        EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
        smtp.release();
        EXPECT_EQ(DllCanUnloadNow(), S_OK);
    }

    IClassFactory* factory = classFactory();
    EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
    IClassFactory* second = classFactory();
    EXPECT_EQ(second, factory);
    second->Release();
    EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
    EXPECT_EQ(factory->LockServer(1), S_OK);
    factory->Release();
    EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
    EXPECT_EQ(factory->LockServer(0), S_OK);
    EXPECT_EQ(DllCanUnloadNow(), S_OK);

    // An unbalanced unlock must not leave the count below zero, where the next object
    // would go unnoticed.
    EXPECT_EQ(factory->LockServer(0), S_OK);
    {
        SmtpObject smtp;
        EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
    }
    EXPECT_EQ(DllCanUnloadNow(), S_OK);
}

TEST(VelomailObjectModel, ClassFactoryRefusesWhatItCannotMake) {
    void* out = &out;
    EXPECT_EQ(DllGetClassObject(IID_ISmtp, IID_IClassFactory, &out), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(out, nullptr);
    out = &out;
    EXPECT_EQ(DllGetClassObject(CLSID_Smtp, IID_ISmtp, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(DllGetClassObject(CLSID_Smtp, IID_IClassFactory, nullptr), E_POINTER);

    IClassFactory* factory = classFactory();
    SmtpObject outer;
    out = &out;
    EXPECT_EQ(factory->CreateInstance(outer.get(), IID_ISmtp, &out), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(out, nullptr);
    outer.release();
    // A refused interface must not leave an object behind.
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IClassFactory, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_ISmtp, nullptr), E_POINTER);
    factory->Release();
    EXPECT_EQ(DllCanUnloadNow(), S_OK);
}

} // namespace
} // namespace velomail::test
