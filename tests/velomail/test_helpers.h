#pragma once
// Helpers shared by the component's tests: an Smtp object made through the library's own
// class factory whose calls answer plain text (and free the result).

#include "support/scoped_env.h"

#include <string>
#include <velomail/velomail.h>

namespace velomail::test {

using pw::test::ScopedEnv;

// The result string as UTF-8 ("OK", "FAIL"), freed with VmFreeString.
std::string takeAnswer(char16_t* text);

class SmtpObject {
public:
    SmtpObject();
    ~SmtpObject() { release(); }
    SmtpObject(const SmtpObject&) = delete;
    SmtpObject& operator=(const SmtpObject&) = delete;

    ISmtp* get() const { return m_smtp; }
    std::string open(const std::u16string& smtpAddr);
    std::string send(const std::u16string& to, const std::u16string& from,
                     const std::u16string& subject, const std::u16string& body);
    std::string close();
    void release();

private:
    ISmtp* m_smtp = nullptr;
};

std::string localHostName();

} // namespace velomail::test
