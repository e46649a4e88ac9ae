// Object identity and reference counts, the class factory, the module lock count that
// DllCanUnloadNow reports, and the late-binding names.

#include "test_helpers.h"

#include <gtest/gtest.h>

namespace velomail::test {
namespace {

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
