#include "reports/report_mail.h"

#include "common/text.h"
#include "reports/report_text.h"

namespace pw {

std::u16string toUtf16(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size();) {
        const std::size_t start = pos;
        char32_t c = decodeUtf8(utf8, pos);
        // Every valid sequence for a code point above ASCII is two bytes or more, so a
        // single byte that decodes above ASCII was not valid.
        if (c >= 0x80 && pos - start == 1) {
            c = 0xFFFD;
        }
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
    }
    return out;
}

template <class Call>
bool MailSession::answeredOk(Call call) {
    char16_t* answer = nullptr;
    const bool ok = call(m_smtp.as<ISmtp>(), &answer) == S_OK && answer != nullptr &&
                    std::u16string_view(answer) == u"OK";
    m_smtp.freeString(answer);
    return ok;
}

MailOutcome MailSession::send(const ReportMail& mail, const StatusSink& status) {
    status("Thank you very much for your help and support");
    status("Checking for internet connection.");
    if (!m_smtp) {
        velomail::client::createObject(CLSID_Smtp, IID_ISmtp, m_smtp);
    }
    const std::u16string host = toUtf16(mail.mailHost);
    if (!m_smtp || !answeredOk([&](ISmtp* smtp, char16_t** answer) {
            return smtp->Open(host.c_str(), answer);
        })) {
        status("An error occured when trying to connect to the server.");
        status("Please make sure your Internet connection is active and try again.");
        if (mail.kind == ReportKind::Feedback) {
            status("If you dont want to submit your feedback, Simply click on \"Ignore\" button "
                   "at the bottam and continue with Uninstallation");
        }
        return MailOutcome::OpenFailed;
    }
    status("Connection establish successfully");
    status("Sending your feed back report. please wait...");
    const std::u16string address = toUtf16(mail.supportAddress);
    const std::u16string subject =
        toUtf16(mail.kind == ReportKind::ErrorReport ? kBugReportSubject : kFeedbackSubject);
    const std::u16string message = toUtf16(mail.message);
    const bool sent = answeredOk([&](ISmtp* smtp, char16_t** answer) {
        return smtp->Send(address.c_str(), address.c_str(), subject.c_str(), message.c_str(),
                          answer);
    });
    if (sent) {
        status("We received your feedback.");
        status("Thank you very much for your help and support.");
    } else {
        // Without a line of its own, a refused mail would leave "please wait..." as the
        // last word, as if it were still on its way.
        status(kSendRefusedLine);
    }
    // The connection is not kept for a later report: a server drops an idle client anyway.
    answeredOk([](ISmtp* smtp, char16_t** answer) { return smtp->Close(answer); });
    return sent ? MailOutcome::Sent : MailOutcome::SendFailed;
}

} // namespace pw
