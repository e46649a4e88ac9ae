#include "test_helpers.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <unistd.h>

namespace velomail::test {

std::string takeAnswer(char16_t* text) {
    if (text == nullptr) {
        return "(no result)";
    }
    std::string out;
    for (const char16_t* p = text; *p != u'\0'; ++p) {
        out += *p < 0x80 ? static_cast<char>(*p) : '?';
    }
    VmFreeString(text);
    return out;
}

SmtpObject::SmtpObject() {
    void* factory = nullptr;
    void* object = nullptr;
    if (DllGetClassObject(CLSID_Smtp, IID_IClassFactory, &factory) != S_OK) {
        ADD_FAILURE() << "no class factory";
        return;
    }
    auto* classFactory = static_cast<IClassFactory*>(factory);
    EXPECT_EQ(classFactory->CreateInstance(nullptr, IID_ISmtp, &object), S_OK);
    classFactory->Release();
    m_smtp = static_cast<ISmtp*>(object);
}

std::string SmtpObject::open(const std::u16string& smtpAddr) {
    char16_t* result = nullptr;
    EXPECT_EQ(m_smtp->Open(smtpAddr.c_str(), &result), S_OK);
    return takeAnswer(result);
}

std::string SmtpObject::send(const std::u16string& to, const std::u16string& from,
                             const std::u16string& subject, const std::u16string& body) {
    char16_t* result = nullptr;
    EXPECT_EQ(m_smtp->Send(to.c_str(), from.c_str(), subject.c_str(), body.c_str(), &result), S_OK);
    return takeAnswer(result);
}

std::string SmtpObject::close() {
    char16_t* result = nullptr;
    EXPECT_EQ(m_smtp->Close(&result), S_OK);
    return takeAnswer(result);
}

void SmtpObject::release() {
    if (m_smtp != nullptr) {
        m_smtp->Release();
        m_smtp = nullptr;
    }
}

std::string localHostName() {
    char name[256] = {};
    gethostname(name, sizeof name - 1);
    return name;
}

} // namespace velomail::test
