#pragma once
// Mailing one report through the mail component: the Smtp object is created by its class
// identifier from the per-user component registry, then Open, Send and Close run in turn,
// and each outcome becomes the status lines the report windows show.

#include <functional>
#include <string>
#include <string_view>
#include <velomail/client/object_factory.h>

namespace pw {

enum class ReportKind { ErrorReport, Feedback };

struct ReportMail {
    ReportKind kind = ReportKind::ErrorReport;
    std::string mailHost;       // the SMTP server, "host" or "host:PORT"
    std::string supportAddress; // sender and recipient alike
    std::string message;        // UTF-8; bytes that are not become U+FFFD in the mail
};

enum class MailOutcome { OpenFailed, Sent, SendFailed };

inline constexpr const char* kSendRefusedLine =
    "The mail server did not accept your report. Please try again later.";

// Receives each status line as its step ends.
using StatusSink = std::function<void(const std::string& line)>;

// The mail object of one report window: created on its first report, kept for the next
// ones and released with the session, which ends any connection still open. A session
// belongs to one thread at a time; its calls block, for up to the component's time limit
// per step, so a window runs them on a worker thread.
class MailSession {
public:
    // Status lines, in order: "Thank you very much for your help and support" and
    // "Checking for internet connection."; then either "Connection establish successfully"
    // and "Sending your feed back report. please wait...", followed after a delivered mail
    // by "We received your feedback." and "Thank you very much for your help and
    // support."; or, when the object cannot be made or the server not opened, "An error
    // occured when trying to connect to the server." and "Please make sure your Internet
    // connection is active and try again.", for feedback with a third line that points to
    // the Ignore button; or, when the server refuses the mail, kSendRefusedLine. The
    // subject follows the kind. After an opened connection the session says goodbye to the
    // server (Close), whatever Send answered; Close's own answer changes nothing.
    MailOutcome send(const ReportMail& mail, const StatusSink& status);

private:
    // Runs one method of the object and tells whether it answered "OK".
    template <class Call>
    bool answeredOk(Call call);

    velomail::client::ObjectRef m_smtp;
};

// The UTF-16 text the component takes for UTF-8 bytes; a byte that is not part of a valid
// sequence becomes U+FFFD, so a file name in any encoding still arrives readable.
std::u16string toUtf16(std::string_view utf8);

} // namespace pw
