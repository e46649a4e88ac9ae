// Mailing a report through the component registered from this build, to a scripted server
// on 127.0.0.1: the status lines of every outcome and the mail on the wire.

#include "reports/report_mail.h"
#include "support/scoped_env.h"
#include "support/temp_tree.h"
#include "velomail/scripted_smtp_server.h"

#include <gtest/gtest.h>

namespace pw {
namespace {

using velomail::test::Script;
using velomail::test::ScriptedSmtpServer;
using Lines = std::vector<std::string>;

const Lines kOpening{"Thank you very much for your help and support",
                     "Checking for internet connection."};
const Lines kConnected{"Connection establish successfully",
                       "Sending your feed back report. please wait..."};
const Lines kReceived{"We received your feedback.",
                      "Thank you very much for your help and support."};
const Lines kOpenFailed{"An error occured when trying to connect to the server.",
                        "Please make sure your Internet connection is active and try again."};
const std::string kIgnoreHint = "If you dont want to submit your feedback, Simply click on "
                                "\"Ignore\" button at the bottam and continue with Uninstallation";

Lines join(std::initializer_list<Lines> parts) {
    Lines all;
    for (const Lines& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

std::string hostOf(const ScriptedSmtpServer& server) {
    return "127.0.0.1:" + std::to_string(server.port());
}

class ReportMailTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(velomail::client::registerLibrary(VELOMAIL_LIBRARY_PATH), S_OK);
    }
    // Every session has released its object, and with it the connection and the library.
    void TearDown() override { EXPECT_EQ(velomail::client::loadedModuleCount(), 0u); }

    // Sends `message` through the session and returns the status lines.
    Lines send(MailSession& session, ReportKind kind, const std::string& host,
               const std::string& message, MailOutcome expected) {
        Lines lines;
        const MailOutcome outcome =
            session.send({kind, host, "support@pairwell.example", message},
                         [&lines](const std::string& line) { lines.push_back(line); });
        EXPECT_EQ(outcome, expected);
        return lines;
    }

    test::TempTree m_tree;
    test::ScopedEnv m_config{"XDG_CONFIG_HOME", m_tree.root()};
    test::ScopedEnv m_timeout{"VELOMAIL_TEST_TIMEOUT_MS", "5000"};
};

TEST_F(ReportMailTest, ADeliveredReportGoesOutWhole) {
    ScriptedSmtpServer server({Script::acceptingAll()});
    MailSession session;
    // A user's name and a file name that is not UTF-8 arrive readable.
    EXPECT_EQ(send(session, ReportKind::ErrorReport, hostOf(server),
                   "Name : J\xC3\xBCrgen\r\nPath: /data/\xff.txt", MailOutcome::Sent),
              join({kOpening, kConnected, kReceived}));
    const std::string received = server.received(0);
    const std::string transaction = received.substr(received.find("MAIL FROM:"));
    EXPECT_EQ(transaction, "MAIL FROM:<support@pairwell.example>\r\n"
                           "RCPT TO:<support@pairwell.example>\r\n"
                           "DATA\r\n"
                           "Subject: Pairwell Bug Report\r\n"
                           "From: support@pairwell.example\r\n"
                           "To: support@pairwell.example\r\n"
                           "MIME-Version: 1.0\r\n"
                           "X-Mailer: VelomailWire - version 1.0\r\n"
                           "Content-Type: text/plain; charset=utf-8\r\n"
                           "Content-Transfer-Encoding: 8bit\r\n"
                           "\r\n"
                           "Name : J\xC3\xBCrgen\r\nPath: /data/\xEF\xBF\xBD.txt\r\n"
                           ".\r\n"
                           "QUIT\r\n");
}

TEST_F(ReportMailTest, ARefusedOpenGivesTheConnectionLinesAndTheObjectServesTheNextTry) {
    ScriptedSmtpServer refusing({Script().reply("554 no service\r\n"), Script::acceptingAll()});
    MailSession session;
    EXPECT_EQ(
        send(session, ReportKind::ErrorReport, hostOf(refusing), "m", MailOutcome::OpenFailed),
        join({kOpening, kOpenFailed}));
    EXPECT_EQ(send(session, ReportKind::Feedback, "127.0.0.1:99999", "m", MailOutcome::OpenFailed),
              join({kOpening, kOpenFailed, {kIgnoreHint}}));
    // The same object again, this time to a server that takes the feedback.
    EXPECT_EQ(send(session, ReportKind::Feedback, hostOf(refusing), "m", MailOutcome::Sent),
              join({kOpening, kConnected, kReceived}));
    EXPECT_NE(refusing.received(1).find("Subject: Pairwell Feed Back\r\n"), std::string::npos);
}

TEST_F(ReportMailTest, ARefusedSendSaysSoAndStillSaysGoodbye) {
    Script script = Script::greeted();
    script.answer("550 sender refused\r\n").answer("250 reset\r\n").answer("221 bye\r\n");
    ScriptedSmtpServer server({script});
    MailSession session;
    EXPECT_EQ(send(session, ReportKind::ErrorReport, hostOf(server), "m", MailOutcome::SendFailed),
              join({kOpening, kConnected, {kSendRefusedLine}}));
    EXPECT_TRUE(server.received(0).ends_with("RSET\r\nQUIT\r\n"));
}

TEST_F(ReportMailTest, AnUnregisteredComponentFailsAsAnUnreachableServerDoes) {
    test::TempTree empty;
    test::ScopedEnv config{"XDG_CONFIG_HOME", empty.root()};
    MailSession session;
    EXPECT_EQ(send(session, ReportKind::ErrorReport, "127.0.0.1:1", "m", MailOutcome::OpenFailed),
              join({kOpening, kOpenFailed}));
}

} // namespace
} // namespace pw
