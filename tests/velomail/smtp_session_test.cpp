// Sessions against the scripted server: the bytes on the wire, every way a step can fail,
// and what the connection looks like afterwards.

#include "scripted_smtp_server.h"
#include "test_helpers.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace velomail::test {
namespace {

const std::u16string To = u"to@example.org";
const std::u16string From = u"from@example.org";

std::string helo() {
    return "HELO " + localHostName() + "\r\n";
}

std::string commands(const std::string& from = "from@example.org",
                     const std::string& to = "to@example.org") {
    return "MAIL FROM:<" + from + ">\r\nRCPT TO:<" + to + ">\r\nDATA\r\n";
}

// The message as it must appear after DATA; `wireBody` is already in its wire form.
std::string message(const std::string& subject, const std::string& wireBody,
                    const std::string& from = "from@example.org",
                    const std::string& to = "to@example.org") {
    return "Subject: " + subject + "\r\nFrom: " + from + "\r\nTo: " + to +
           "\r\nMIME-Version: 1.0\r\nX-Mailer: VelomailWire - version 1.0\r\n"
           "Content-Type: text/plain; charset=us-ascii\r\n\r\n" +
           wireBody + "\r\n.\r\n";
}

class VelomailSession : public ::testing::Test {
protected:
    // Generous, so that a slow (sanitizer) build never times out by accident, yet a hang
    // fails quickly.
    ScopedEnv m_timeout{"VELOMAIL_TEST_TIMEOUT_MS", "5000"};
    SmtpObject smtp;
};

TEST_F(VelomailSession, WholeSessionGoesOutByteForByte) {
    ScriptedSmtpServer server({Script::acceptingAll()});
    EXPECT_EQ(smtp.open(server.address()), "OK");
    EXPECT_EQ(smtp.send(To, From, u"Report", u"Line one\nLine two"), "OK");
    EXPECT_EQ(smtp.close(), "OK");
    EXPECT_EQ(server.received(0), helo() + "MAIL FROM:<from@example.org>\r\n"
                                           "RCPT TO:<to@example.org>\r\n"
                                           "DATA\r\n"
                                           "Subject: Report\r\n"
                                           "From: from@example.org\r\n"
                                           "To: to@example.org\r\n"
                                           "MIME-Version: 1.0\r\n"
                                           "X-Mailer: VelomailWire - version 1.0\r\n"
                                           "Content-Type: text/plain; charset=us-ascii\r\n"
                                           "\r\n"
                                           "Line one\r\nLine two\r\n.\r\n"
                                           "QUIT\r\n");
}

TEST_F(VelomailSession, SeveralMessagesAndEmptyTextsShareOneConnection) {
    Script script = Script::greeted();
    script.acceptMessage().acceptMessage().answer("221 bye\r\n");
    ScriptedSmtpServer server({script});
    EXPECT_EQ(smtp.open(server.address()), "OK");
    EXPECT_EQ(smtp.send(To, From, u"First", u"one"), "OK");
    EXPECT_EQ(smtp.send(To, From, u"", u""), "OK");
    EXPECT_EQ(smtp.close(), "OK");
    EXPECT_EQ(server.received(0), helo() + commands() + message("First", "one") + commands() +
                                      message("", "") + "QUIT\r\n");
}

TEST_F(VelomailSession, BodyLinesAreDotStuffedAndEndInCrLf) {
    ScriptedSmtpServer server({Script::acceptingAll()});
    // A lone "." would end the data early and let the following line act as a command.
    const std::u16string body =
        u".\r\nMAIL FROM:<evil@example.org>\r\n.leading\n..two\rbare cr\r\r\nend .\n";
    const std::string wire =
        "..\r\nMAIL FROM:<evil@example.org>\r\n..leading\r\n...two\r\nbare cr\r\n\r\nend .\r\n";
    EXPECT_EQ(smtp.open(server.address()), "OK");
    EXPECT_EQ(smtp.send(To, From, u"Dots", body), "OK");
    EXPECT_EQ(smtp.close(), "OK");
    EXPECT_EQ(server.received(0), helo() + commands() + message("Dots", wire) + "QUIT\r\n");
}

TEST_F(VelomailSession, NonAsciiTextGoesOutAsUtf8) {
    ScriptedSmtpServer server({Script::acceptingAll()});
    std::u16string body = u"x";
    body.push_back(char16_t{0xD800}); // unpaired surrogate
    body += u"y";
    EXPECT_EQ(smtp.open(server.address()), "OK");
    EXPECT_EQ(smtp.send(To, From, u"Gr\u00FC\u00DFe \U0001F600", body), "OK");
    EXPECT_EQ(smtp.close(), "OK");
    EXPECT_EQ(server.received(0), helo() + commands() +
                                      message("Gr\xC3\xBC\xC3\x9F"
                                              "e \xF0\x9F\x98\x80",
                                              "x\xEF\xBF\xBDy") +
                                      "QUIT\r\n");
}

TEST_F(VelomailSession, MultiLineRepliesSplitAcrossPacketsAreReadWhole) {
    Script script;
    script.replyInPieces({"220-test.invalid wel", "come\r\n220-second line\r", "\n220 ready\r\n"})
        .awaitLine()
        .replyInPieces({"250-test.invalid\r\n250-SIZE", " 1000\r\n250 HELP\r\n"})
        .answer("250-sender\r\n250 ok\r\n")
        .answer("251 will forward\r\n")
        .answer("354 go ahead\r\n")
        .awaitData()
        .replyInPieces({"2", "50 queued\r\n"})
        .answer("221-bye\r\n221 now\r\n");
    ScriptedSmtpServer server({script});
    EXPECT_EQ(smtp.open(server.address()), "OK");
    EXPECT_EQ(smtp.send(To, From, u"Split", u"body"), "OK");
    EXPECT_EQ(smtp.close(), "OK");
    EXPECT_EQ(server.received(0), helo() + commands() + message("Split", "body") + "QUIT\r\n");
}

TEST_F(VelomailSession, RepliesArrivingTogetherAreTakenInTurn) {
    // The replies to MAIL and RCPT come in one packet; the second must be kept for RCPT.
    Script script = Script::greeted();
    script.awaitLine()
        .reply("250 sender ok\r\n250 recipient ok\r\n")
        .awaitLine()
        .answer("354 go ahead\r\n")
        .answerData("250 queued\r\n")
        .answer("221 bye\r\n");
    ScriptedSmtpServer server({script});
    EXPECT_EQ(smtp.open(server.address()), "OK");
    EXPECT_EQ(smtp.send(To, From, u"S", u"B"), "OK");
    EXPECT_EQ(smtp.close(), "OK");
    EXPECT_EQ(server.received(0), helo() + commands() + message("S", "B") + "QUIT\r\n");
}

TEST_F(VelomailSession, RefusedTransactionStepsFailAndResetTheTransaction) {
    struct Case {
        const char* name;
        std::vector<std::string> replies; // to MAIL, RCPT, DATA, up to the refusal
        std::string sent;                 // the commands up to the refusal
    };
    const Case cases[] = {
        {"MAIL refused", {"550 no\r\n"}, "MAIL FROM:<from@example.org>\r\n"},
        {"last line of a multi-line reply refuses",
         {"250-fine so far\r\n550 but no\r\n"},
         "MAIL FROM:<from@example.org>\r\n"},
        {"RCPT 252",
         {"250 ok\r\n", "252 cannot verify\r\n"},
         "MAIL FROM:<from@example.org>\r\nRCPT TO:<to@example.org>\r\n"},
        {"RCPT 550",
         {"250 ok\r\n", "550 unknown\r\n"},
         "MAIL FROM:<from@example.org>\r\nRCPT TO:<to@example.org>\r\n"},
        {"DATA refused", {"250 ok\r\n", "250 ok\r\n", "554 no\r\n"}, commands()},
        {"reply without a code",
         {"250 ok\r\n", "hello\r\n"},
         "MAIL FROM:<from@example.org>\r\nRCPT TO:<to@example.org>\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Script script = Script::greeted();
        for (const std::string& reply : c.replies) {
            script.answer(reply);
        }
        script.answer("250 reset\r\n").acceptMessage().answer("221 bye\r\n");
        ScriptedSmtpServer server({script});
        SmtpObject object;
        EXPECT_EQ(object.open(server.address()), "OK");
        EXPECT_EQ(object.send(To, From, u"S", u"first"), "FAIL");
        // The reset leaves the connection ready for the next message.
        EXPECT_EQ(object.send(To, From, u"S", u"second"), "OK");
        EXPECT_EQ(object.close(), "OK");
        EXPECT_EQ(server.received(0),
                  helo() + c.sent + "RSET\r\n" + commands() + message("S", "second") + "QUIT\r\n");
    }
}

TEST_F(VelomailSession, RefusedMessageFailsWithoutReset) {
    Script script = Script::greeted();
    script.answer("250 ok\r\n")
        .answer("250 ok\r\n")
        .answer("354 go\r\n")
        .answerData("552 too big\r\n")
        .acceptMessage()
        .answer("221 bye\r\n");
    ScriptedSmtpServer server({script});
    EXPECT_EQ(smtp.open(server.address()), "OK");
    EXPECT_EQ(smtp.send(To, From, u"S", u"first"), "FAIL");
    EXPECT_EQ(smtp.send(To, From, u"S", u"second"), "OK");
    EXPECT_EQ(smtp.close(), "OK");
    EXPECT_EQ(server.received(0), helo() + commands() + message("S", "first") + commands() +
                                      message("S", "second") + "QUIT\r\n");
}

TEST_F(VelomailSession, FailedOpenLeavesNothingConnected) {
    struct Case {
        const char* name;
        Script script;
        std::string sent;
    };
    const Case cases[] = {
        {"greeting refused", Script().reply("554 busy\r\n"), ""},
        {"greeting without a code", Script().reply("hello there\r\n"), ""},
        {"hang-up before the greeting", Script().hangUp(), ""},
        {"HELO refused", Script().reply("220 hi\r\n").answer("501 bad\r\n"), helo()},
        {"hang-up inside the HELO reply",
         Script().reply("220 hi\r\n").awaitLine().reply("250-partial\r\n").hangUp(), helo()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedSmtpServer server({c.script});
        SmtpObject object;
        EXPECT_EQ(object.open(server.address()), "FAIL");
        EXPECT_EQ(object.send(To, From, u"S", u"B"), "FAIL");
        EXPECT_EQ(object.close(), "FAIL");
        // The failed Open closed its socket, and nothing followed.
        EXPECT_EQ(server.received(0), c.sent);
        EXPECT_EQ(server.clientConnections(), 1u);
    }
}

TEST_F(VelomailSession, ServerHangingUpMidTransactionGivesFail) {
    Script script = Script::greeted();
    script.awaitLine().hangUp();
    ScriptedSmtpServer server({script});
    EXPECT_EQ(smtp.open(server.address()), "OK");
    EXPECT_EQ(smtp.send(To, From, u"S", u"B"), "FAIL");
    EXPECT_EQ(smtp.send(To, From, u"S", u"B"), "FAIL");
    EXPECT_EQ(smtp.close(), "FAIL");
    EXPECT_EQ(server.received(0), helo() + "MAIL FROM:<from@example.org>\r\n");
}

TEST_F(VelomailSession, SendAndCloseBeforeOpenSendNothing) {
    ScriptedSmtpServer server({Script::acceptingAll()});
    EXPECT_EQ(smtp.send(To, From, u"S", u"B"), "FAIL");
    EXPECT_EQ(smtp.close(), "FAIL");
    EXPECT_EQ(server.clientConnections(), 0u);
}

TEST_F(VelomailSession, CloseAfterRefusedQuitStillClosesTheSocket) {
    Script script = Script::greeted();
    script.answer("500 what\r\n");
    ScriptedSmtpServer server({script});
    EXPECT_EQ(smtp.open(server.address()), "OK");
    EXPECT_EQ(smtp.close(), "FAIL");
    // received() returns only once the client has closed its end.
    EXPECT_EQ(server.received(0), helo() + "QUIT\r\n");
    EXPECT_EQ(smtp.close(), "FAIL");
    EXPECT_EQ(smtp.send(To, From, u"S", u"B"), "FAIL");
    EXPECT_EQ(server.clientConnections(), 1u);
    EXPECT_EQ(server.received(0), helo() + "QUIT\r\n");
}

TEST_F(VelomailSession, OpenWhileConnectedEndsTheFirstConnection) {
    Script first = Script::greeted();
    first.answer("221 bye\r\n");
    ScriptedSmtpServer server({first, Script::acceptingAll()});
    EXPECT_EQ(smtp.open(server.address()), "OK");
    // The bracketed form, as an IPv6 address with a port is written.
    const std::string bracketed = "[127.0.0.1]:" + std::to_string(server.port());
    EXPECT_EQ(smtp.open(std::u16string(bracketed.begin(), bracketed.end())), "OK");
    EXPECT_EQ(server.received(0), helo() + "QUIT\r\n");
    EXPECT_EQ(smtp.send(To, From, u"S", u"B"), "OK");
    EXPECT_EQ(smtp.close(), "OK");
    EXPECT_EQ(server.received(1), helo() + commands() + message("S", "B") + "QUIT\r\n");
}

TEST_F(VelomailSession, ReleasingAConnectedObjectClosesTheSocket) {
    ScriptedSmtpServer server({Script::greeted()});
    EXPECT_EQ(smtp.open(server.address()), "OK");
    smtp.release();
    EXPECT_EQ(server.received(0), helo());
}

TEST_F(VelomailSession, InjectionAttemptsAreRefusedBeforeAnythingIsSent) {
    Script script = Script::greeted();
    script.acceptMessage().answer("221 bye\r\n");
    ScriptedSmtpServer server({script});
    ASSERT_EQ(smtp.open(server.address()), "OK");
    for (const std::u16string bad :
         {u"a@example.org\r\nRCPT TO:<b@example.org>", u"a@example.org\n", u"a@example.org\r",
          u"a@example.org>", u"<a@example.org", u"a@example.org> SIZE=1"}) {
        EXPECT_EQ(smtp.send(bad, From, u"S", u"B"), "FAIL");
        EXPECT_EQ(smtp.send(To, bad, u"S", u"B"), "FAIL");
    }
    for (const std::u16string bad : {u"Hi\r\nBcc: victim@example.org", u"Hi\n", u"Hi\rthere"}) {
        EXPECT_EQ(smtp.send(To, From, bad, u"B"), "FAIL");
    }
    // Refusals leave the connection as it was.
    EXPECT_EQ(smtp.send(To, From, u"S", u"B"), "OK");
    EXPECT_EQ(smtp.close(), "OK");
    EXPECT_EQ(server.received(0), helo() + commands() + message("S", "B") + "QUIT\r\n");
}

TEST_F(VelomailSession, AddressesLongerThanTheLimitsAreRefused) {
    const auto address = [](std::size_t bytes) {
        return std::u16string(bytes - 12, u'a') + u"@example.org";
    };
    const auto narrow = [](const std::u16string& text) {
        return std::string(text.begin(), text.end());
    };
    Script script = Script::greeted();
    script.acceptMessage().answer("221 bye\r\n");
    ScriptedSmtpServer server({script});
    ASSERT_EQ(smtp.open(server.address()), "OK");
    EXPECT_EQ(smtp.send(To, address(242), u"S", u"B"), "FAIL");
    EXPECT_EQ(smtp.send(address(244), From, u"S", u"B"), "FAIL");
    // The limits count UTF-8 bytes: 121 two-byte letters are 242 bytes.
    EXPECT_EQ(smtp.send(To, std::u16string(121, u'\u00E9'), u"S", u"B"), "FAIL");
    EXPECT_EQ(smtp.send(address(243), address(241), u"S", u"B"), "OK");
    EXPECT_EQ(smtp.close(), "OK");
    const std::string from = narrow(address(241));
    const std::string to = narrow(address(243));
    EXPECT_EQ(server.received(0),
              helo() + commands(from, to) + message("S", "B", from, to) + "QUIT\r\n");
}

TEST_F(VelomailSession, BadServerAddressesFailWithoutConnecting) {
    ScriptedSmtpServer server({});
    const std::u16string port = server.address().substr(std::u16string_view(u"127.0.0.1").size());
    for (const std::u16string& bad :
         {std::u16string(), std::u16string(u"127.0.0.1:"), std::u16string(u"127.0.0.1:0"),
          std::u16string(u"127.0.0.1:65536"), std::u16string(u"127.0.0.1:25x"),
          std::u16string(u"[127.0.0.1"), u"[]" + port, port, std::u16string(256, u'a')}) {
        EXPECT_EQ(smtp.open(bad), "FAIL");
    }
    char16_t* result = nullptr;
    EXPECT_EQ(smtp.get()->Open(nullptr, &result), S_OK);
    EXPECT_EQ(takeAnswer(result), "FAIL");
    EXPECT_EQ(server.clientConnections(), 0u);
}

TEST_F(VelomailSession, RefusedConnectionFails) {
    // A bound socket that does not listen keeps the port ours and refuses connections.
    const int holder = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(bind(holder, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(getsockname(holder, reinterpret_cast<sockaddr*>(&address), &length), 0);
    const std::string text = "127.0.0.1:" + std::to_string(ntohs(address.sin_port));
    EXPECT_EQ(smtp.open(std::u16string(text.begin(), text.end())), "FAIL");
    EXPECT_EQ(smtp.send(To, From, u"S", u"B"), "FAIL");
    close(holder);
}

TEST_F(VelomailSession, MissingResultPointerIsRefused) {
    ScriptedSmtpServer server({Script::acceptingAll()});
    EXPECT_EQ(smtp.get()->Open(server.address().c_str(), nullptr), E_POINTER);
    EXPECT_EQ(smtp.get()->Send(To.c_str(), From.c_str(), u"S", u"B", nullptr), E_POINTER);
    EXPECT_EQ(smtp.get()->Close(nullptr), E_POINTER);
    EXPECT_EQ(server.clientConnections(), 0u);
}

} // namespace
} // namespace velomail::test
