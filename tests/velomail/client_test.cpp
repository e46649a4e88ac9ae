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

} // namespace
} // namespace velomail::test
