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

TEST(VelomailObjectModel, InterfacesShareOneCountedObject) {
    SmtpObject smtp;
    ISmtp* object = smtp.get();
    void* asUnknown = nullptr;
    void* asDispatch = nullptr;
    void* asSmtp = nullptr;
    EXPECT_EQ(object->QueryInterface(IID_IUnknown, &asUnknown), S_OK);
    EXPECT_EQ(object->QueryInterface(IID_IDispatch, &asDispatch), S_OK);
    EXPECT_EQ(object->QueryInterface(IID_ISmtp, &asSmtp), S_OK);
    EXPECT_EQ(asUnknown, static_cast<void*>(object));
    EXPECT_EQ(asDispatch, static_cast<void*>(object));
    EXPECT_EQ(asSmtp, static_cast<void*>(object));
    // One reference from creation and three from the queries.
    EXPECT_EQ(object->AddRef(), 5u);
    EXPECT_EQ(object->Release(), 4u);
    EXPECT_EQ(object->Release(), 3u);
    EXPECT_EQ(object->Release(), 2u);
    EXPECT_EQ(object->Release(), 1u);

    void* other = &other;
    EXPECT_EQ(object->QueryInterface(IID_IClassFactory, &other), E_NOINTERFACE);
    EXPECT_EQ(other, nullptr);
    EXPECT_EQ(object->QueryInterface(IID_ISmtp, nullptr), E_POINTER);
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

TEST(VelomailObjectModel, NamesMapToDispatchIds) {
    SmtpObject smtp;
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
        EXPECT_EQ(smtp.get()->GetIDsOfNames(IID_IUnknown, &entry.name, 1, 0, &id), S_OK);
        EXPECT_EQ(id, entry.id);
    }
    std::int32_t ids[2] = {0, 0};
    const char16_t* unknown[] = {u"Opened"};
    EXPECT_EQ(smtp.get()->GetIDsOfNames(IID_IUnknown, unknown, 1, 0, ids), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids[0], DISPID_UNKNOWN);
    const char16_t* withArgument[] = {u"Open", u"SmtpAddr"};
    EXPECT_EQ(smtp.get()->GetIDsOfNames(IID_IUnknown, withArgument, 2, 0, ids), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids[0], DISPID_SMTP_OPEN);
    EXPECT_EQ(ids[1], DISPID_UNKNOWN);

    std::uint32_t count = 7;
    EXPECT_EQ(smtp.get()->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(smtp.get()->Invoke(DISPID_SMTP_OPEN, IID_IUnknown, 0, 1, nullptr, nullptr, nullptr,
                                 nullptr),
              E_NOTIMPL);
}

TEST(VelomailObjectModel, PageHooksAcceptTheirCalls) {
    SmtpObject smtp;
    SmtpObject host;
    EXPECT_EQ(smtp.get()->OnStartPage(nullptr), E_POINTER);
    EXPECT_EQ(smtp.get()->OnStartPage(host.get()), S_OK);
    EXPECT_EQ(smtp.get()->OnEndPage(), S_OK);
    EXPECT_EQ(smtp.close(), "FAIL");
    VmFreeString(nullptr);
}

} // namespace
} // namespace velomail::test
