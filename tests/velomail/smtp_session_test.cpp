// Sessions against the scripted server: the bytes on the wire, every way a step can fail,
// what the connection looks like afterwards, and servers that stop answering or reading,
// which must give "FAIL" within the time limit instead of hanging the caller.

#include "scripted_smtp_server.h"
#include "test_helpers.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

namespace velomail::test {
namespace {

using namespace std::chrono_literals;

const std::u16string To = u"to@example.org";
const std::u16string From = u"from@example.org";

std::string helo() {
    return "HELO " + localHostName() + "\r\n";
}

std::string commands(const std::string& from = "from@example.org",
                     const std::string& to = "to@example.org") {
    return "MAIL FROM:<" + from + ">\r\nRCPT TO:<" + to + ">\r\nDATA\r\n";
}

const std::string AsciiContent = "Content-Type: text/plain; charset=us-ascii\r\n";
const std::string Utf8Content = "Content-Type: text/plain; charset=utf-8\r\n"
                                "Content-Transfer-Encoding: 8bit\r\n";

// The message as it must appear after DATA; `wireBody` is already in its wire form.
std::string message(const std::string& subject, const std::string& wireBody,
                    const std::string& from = "from@example.org",
                    const std::string& to = "to@example.org",
                    const std::string& content = AsciiContent) {
    return "Subject: " + subject + "\r\nFrom: " + from + "\r\nTo: " + to +
           "\r\nMIME-Version: 1.0\r\nX-Mailer: VelomailWire - version 1.0\r\n" + content + "\r\n" +
           wireBody + "\r\n.\r\n";
}

// Binds a loopback socket to a free port, listening when a backlog is given.
sockaddr_in bindLoopback(int fd, int backlog = -1) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    EXPECT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    EXPECT_TRUE(backlog < 0 || listen(fd, backlog) == 0);
    EXPECT_EQ(getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length), 0);
    return address;
}

// An address as Open takes it.
std::u16string textOf(const sockaddr_in& address) {
    const std::string text = "127.0.0.1:" + std::to_string(ntohs(address.sin_port));
    return {text.begin(), text.end()};
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

TEST_F(VelomailSession, MessagesShareOneConnectionInTheirWireForm) {
    std::u16string unpaired = u"x";
    unpaired.push_back(char16_t{0xD800});
    unpaired += u"y";
    const struct {
        std::u16string subject;
        std::u16string body;
        std::string wire; // the message after DATA
    } messages[] = {
        {u"First", u"one", message("First", "one")},
        {u"", u"", message("", "")},
        // A lone "." would end the data early and let the following line act as a command.
        {u"Dots", u".\r\nMAIL FROM:<evil@example.org>\r\n.leading\n..two\rbare cr\r\r\nend .\n",
         message("Dots", "..\r\nMAIL FROM:<evil@example.org>\r\n..leading\r\n...two\r\nbare "
                         "cr\r\n\r\nend .\r\n")},
        // Text outside ASCII goes out as UTF-8; an unpaired surrogate as U+FFFD. The body's
        // label names the charset it is really in: a subject outside ASCII does not change
        // it, a body outside ASCII does (it was labelled us-ascii and arrived garbled).
        {u"Gr\u00FC\u00DFe \U0001F600", u"plain",
         message("Gr\xC3\xBC\xC3\x9F"
                 "e \xF0\x9F\x98\x80",
                 "plain")},
        {u"Name", u"J\u00FCrgen " + unpaired,
         message("Name", "J\xC3\xBCrgen x\xEF\xBF\xBDy", "from@example.org", "to@example.org",
                 Utf8Content)},
    };
    Script script = Script::greeted();
    std::string expected = helo();
    for (const auto& m : messages) {
        script.acceptMessage();
        expected += commands() + m.wire;
    }
    ScriptedSmtpServer server({script.answer("221 bye\r\n")});
    EXPECT_EQ(smtp.open(server.address()), "OK");
    for (const auto& m : messages) {
        EXPECT_EQ(smtp.send(To, From, m.subject, m.body), "OK");
    }
    EXPECT_EQ(smtp.close(), "OK");
    EXPECT_EQ(server.received(0), expected + "QUIT\r\n");
}

TEST_F(VelomailSession, RepliesAreReadWholeHoweverThePacketsCutThem) {
    Script script;
    script.replyInPieces({"220-test.invalid wel", "come\r\n220-second line\r", "\n220 ready\r\n"})
        .awaitLine()
        .replyInPieces({"250-test.invalid\r\n250-SIZE", " 1000\r\n250 HELP\r\n"})
        .awaitLine()
        // The replies to MAIL and RCPT in one packet: the second must be kept for RCPT.
        .reply("250-sender\r\n250 ok\r\n251 will forward\r\n")
        .awaitLine()
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

TEST_F(VelomailSession, RefusedStepsFailAndLeaveTheConnectionReadyForTheNextMessage) {
    const std::string mail = "MAIL FROM:<from@example.org>\r\n";
    const std::string rcpt = mail + "RCPT TO:<to@example.org>\r\n";
    const struct {
        const char* name;
        Script script; // after the greeting, up to the refusal
        std::string sent;
        bool reset; // a refused command resets the transaction; a refused message needs none
    } cases[] = {
        {"MAIL refused", Script().answer("550 no\r\n"), mail, true},
        {"last line of a multi-line reply refuses",
         Script().answer("250-fine so far\r\n550 but no\r\n"), mail, true},
        {"RCPT 252", Script().answer("250 ok\r\n").answer("252 cannot verify\r\n"), rcpt, true},
        {"RCPT 550", Script().answer("250 ok\r\n").answer("550 unknown\r\n"), rcpt, true},
        {"DATA refused", Script().answer("250 ok\r\n").answer("250 ok\r\n").answer("554 no\r\n"),
         commands(), true},
        {"reply without a code", Script().answer("250 ok\r\n").answer("hello\r\n"), rcpt, true},
        {"message refused",
         Script()
             .answer("250 ok\r\n")
             .answer("250 ok\r\n")
             .answer("354 go\r\n")
             .answerData("552 too big\r\n"),
         commands() + message("S", "first"), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Script script = Script::greeted();
        script.append(c.script);
        if (c.reset) {
            script.answer("250 reset\r\n");
        }
        ScriptedSmtpServer server({script.acceptMessage().answer("221 bye\r\n")});
        SmtpObject object;
        EXPECT_EQ(object.open(server.address()), "OK");
        EXPECT_EQ(object.send(To, From, u"S", u"first"), "FAIL");
        EXPECT_EQ(object.send(To, From, u"S", u"second"), "OK");
        EXPECT_EQ(object.close(), "OK");
        EXPECT_EQ(server.received(0), helo() + c.sent + (c.reset ? "RSET\r\n" : "") + commands() +
                                          message("S", "second") + "QUIT\r\n");
    }
}

TEST_F(VelomailSession, FailedOpenLeavesNothingConnected) {
    const struct {
        const char* name;
        Script script;
        std::string sent;
    } cases[] = {
        {"greeting refused", Script().reply("554 busy\r\n"), ""},
        {"greeting without a code", Script().reply("hello there\r\n"), ""},
        {"hang-up before the greeting", Script().hangUp(), ""},
        {"HELO refused", Script().reply("220 hi\r\n").answer("501 bad\r\n"), helo()},
        {"hang-up inside the HELO reply",
         Script().reply("220 hi\r\n").awaitLine().reply("250-partial\r\n").hangUp(), helo()},
    };
    for (const auto& c : cases) {
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
    ScriptedSmtpServer server({script.awaitLine().hangUp()});
    EXPECT_EQ(smtp.open(server.address()), "OK");
    EXPECT_EQ(smtp.send(To, From, u"S", u"B"), "FAIL");
    EXPECT_EQ(smtp.send(To, From, u"S", u"B"), "FAIL");
    EXPECT_EQ(smtp.close(), "FAIL");
    EXPECT_EQ(server.received(0), helo() + "MAIL FROM:<from@example.org>\r\n");
}

TEST_F(VelomailSession, BadCallsAndAddressesFailWithoutConnecting) {
    ScriptedSmtpServer server({Script::acceptingAll()});
    EXPECT_EQ(smtp.send(To, From, u"S", u"B"), "FAIL"); // before Open
    EXPECT_EQ(smtp.close(), "FAIL");
    EXPECT_EQ(smtp.get()->Open(server.address().c_str(), nullptr), E_POINTER);
    EXPECT_EQ(smtp.get()->Send(To.c_str(), From.c_str(), u"S", u"B", nullptr), E_POINTER);
    EXPECT_EQ(smtp.get()->Close(nullptr), E_POINTER);
    char16_t* result = nullptr;
    EXPECT_EQ(smtp.get()->Open(nullptr, &result), S_OK);
    EXPECT_EQ(takeAnswer(result), "FAIL");
    const std::u16string port = server.address().substr(std::u16string_view(u"127.0.0.1").size());
    for (const std::u16string& bad :
         {std::u16string(), std::u16string(u"127.0.0.1:"), std::u16string(u"127.0.0.1:0"),
          std::u16string(u"127.0.0.1:65536"), std::u16string(u"127.0.0.1:25x"),
          std::u16string(u"[127.0.0.1"), u"[]" + port, port, std::u16string(256, u'a')}) {
        EXPECT_EQ(smtp.open(bad), "FAIL");
    }
    EXPECT_EQ(server.clientConnections(), 0u);

    // A bound socket that does not listen keeps the port ours and refuses connections.
    const int holder = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    EXPECT_EQ(smtp.open(textOf(bindLoopback(holder))), "FAIL");
    EXPECT_EQ(smtp.send(To, From, u"S", u"B"), "FAIL");
    close(holder);
}

TEST_F(VelomailSession, CloseAfterRefusedQuitStillClosesTheSocket) {
    Script script = Script::greeted();
    ScriptedSmtpServer server({script.answer("500 what\r\n")});
    EXPECT_EQ(smtp.open(server.address()), "OK");
    EXPECT_EQ(smtp.close(), "FAIL");
    // received() returns only once the client has closed its end.
    EXPECT_EQ(server.received(0), helo() + "QUIT\r\n");
    EXPECT_EQ(smtp.close(), "FAIL");
    EXPECT_EQ(smtp.send(To, From, u"S", u"B"), "FAIL");
    EXPECT_EQ(server.clientConnections(), 1u);
    EXPECT_EQ(server.received(0), helo() + "QUIT\r\n");
}

TEST_F(VelomailSession, OpenWhileConnectedEndsTheFirstConnectionAndReleaseTheLast) {
    Script first = Script::greeted();
    ScriptedSmtpServer server({first.answer("221 bye\r\n"), Script::greeted()});
    EXPECT_EQ(smtp.open(server.address()), "OK");
    // The bracketed form, as an IPv6 address with a port is written.
    const std::string bracketed = "[127.0.0.1]:" + std::to_string(server.port());
    EXPECT_EQ(smtp.open(std::u16string(bracketed.begin(), bracketed.end())), "OK");
    EXPECT_EQ(server.received(0), helo() + "QUIT\r\n");
    smtp.release();
    EXPECT_EQ(server.received(1), helo());
}

TEST_F(VelomailSession, InjectionAttemptsAndOverlongAddressesAreRefusedBeforeAnythingIsSent) {
    const auto address = [](std::size_t bytes) {
        return std::u16string(bytes - 12, u'a') + u"@example.org";
    };
    Script script = Script::greeted();
    ScriptedSmtpServer server({script.acceptMessage().answer("221 bye\r\n")});
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
    EXPECT_EQ(smtp.send(To, address(242), u"S", u"B"), "FAIL");
    EXPECT_EQ(smtp.send(address(244), From, u"S", u"B"), "FAIL");
    // The limits count UTF-8 bytes: 121 two-byte letters are 242 bytes.
    EXPECT_EQ(smtp.send(To, std::u16string(121, u'\u00E9'), u"S", u"B"), "FAIL");
    // Refusals leave the connection as it was.
    EXPECT_EQ(smtp.send(address(243), address(241), u"S", u"B"), "OK");
    EXPECT_EQ(smtp.close(), "OK");
    const std::string from = "@example.org";
    const std::string to = std::string(231, 'a') + from;
    EXPECT_EQ(server.received(0), helo() + commands(std::string(229, 'a') + from, to) +
                                      message("S", "B", std::string(229, 'a') + from, to) +
                                      "QUIT\r\n");
}

class VelomailTimeout : public ::testing::Test {
protected:
    ScopedEnv m_timeout{"VELOMAIL_TEST_TIMEOUT_MS", "150"};
    SmtpObject smtp;
};

// The sanitizer's check of a virtual call probes memory through a pipe, which cannot be
// made while every descriptor is taken; the call itself is sound.
__attribute__((no_sanitize("vptr"))) std::string openUnchecked(ISmtp* smtp,
                                                               const std::u16string& address) {
    char16_t* result = nullptr;
    EXPECT_EQ(smtp->Open(address.c_str(), &result), S_OK);
    return takeAnswer(result);
}

TEST_F(VelomailTimeout, SilentServerFailsOpen) {
    for (const bool greets : {false, true}) {
        SCOPED_TRACE(greets ? "no reply to HELO" : "no greeting");
        ScriptedSmtpServer server({greets ? Script().reply("220 hi\r\n") : Script()});
        SmtpObject object;
        EXPECT_EQ(object.open(server.address()), "FAIL");
        EXPECT_EQ(server.received(0), greets ? helo() : "");
    }
}

TEST_F(VelomailTimeout, SilenceAfterTheMessageFailsSendAndEndsTheConnection) {
    Script script = Script::greeted();
    script.answer("250 ok\r\n").answer("250 ok\r\n").answer("354 go\r\n").awaitData();
    ScriptedSmtpServer server({script});
    ASSERT_EQ(smtp.open(server.address()), "OK");
    EXPECT_EQ(smtp.send(To, From, u"S", u"B"), "FAIL");
    // The connection is shut down: the server sees its end without a QUIT.
    const std::string sent = server.received(0);
    EXPECT_TRUE(sent.starts_with(helo() + "MAIL FROM:<")) << sent;
    EXPECT_TRUE(sent.ends_with("\r\n.\r\n")) << sent;
    EXPECT_EQ(smtp.send(To, From, u"S", u"B"), "FAIL");
    EXPECT_EQ(smtp.close(), "FAIL");
    EXPECT_EQ(smtp.close(), "FAIL");
    EXPECT_EQ(server.clientConnections(), 1u);
}

TEST_F(VelomailTimeout, LateReplyIsNeverTakenForTheNextAnswer) {
    // Were the connection kept, "250 late" would pass for the reply to the next MAIL FROM
    // and every later reply would answer the wrong command.
    Script script = Script::greeted();
    script.awaitLine().pause(1000ms).reply("250 late\r\n").acceptMessage().answer("221 bye\r\n");
    ScriptedSmtpServer server({script});
    ASSERT_EQ(smtp.open(server.address()), "OK");
    EXPECT_EQ(smtp.send(To, From, u"S", u"B"), "FAIL");
    EXPECT_EQ(smtp.send(To, From, u"S", u"B"), "FAIL");
    EXPECT_EQ(smtp.close(), "FAIL");
    EXPECT_EQ(server.received(0), helo() + "MAIL FROM:<from@example.org>\r\n");
}

TEST_F(VelomailTimeout, ServerThatStopsReadingFailsSend) {
    // Far more than the socket buffers hold, so the send backs up while the server pauses.
    const std::u16string body(16 * 1024 * 1024, u'x');
    Script script = Script::greeted();
    script.answer("250 ok\r\n").answer("250 ok\r\n").answer("354 go\r\n").pause(60s);
    ScriptedSmtpServer server({script});
    ASSERT_EQ(smtp.open(server.address()), "OK");
    EXPECT_EQ(smtp.send(To, From, u"S", body), "FAIL");
    EXPECT_EQ(smtp.close(), "FAIL");
}

TEST_F(VelomailTimeout, UnansweredConnectFailsOpen) {
    // A listener whose accept queue is full drops further SYNs, so a connect never
    // completes.
    const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in target = bindLoopback(listener, 0);
    std::vector<int> fillers;
    for (int i = 0; i < 4; ++i) {
        fillers.push_back(socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
        connect(fillers.back(), reinterpret_cast<const sockaddr*>(&target), sizeof target);
    }
    EXPECT_EQ(smtp.open(textOf(target)), "FAIL");
    EXPECT_EQ(smtp.send(To, From, u"S", u"B"), "FAIL");
    for (const int filler : fillers) {
        close(filler);
    }
    close(listener);
}

TEST_F(VelomailTimeout, RunningOutOfDescriptorsFailsOpenCleanly) {
    ScriptedSmtpServer server({Script::acceptingAll()});
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
    // Use up every descriptor below a lowered limit, so that no socket can be made.
    std::vector<int> spare;
    rlimit lowered = saved;
    lowered.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &lowered), 0);
    for (int fd = open("/dev/null", O_RDONLY | O_CLOEXEC); fd >= 0;
         fd = open("/dev/null", O_RDONLY | O_CLOEXEC)) {
        spare.push_back(fd);
    }
    const std::string answer = openUnchecked(smtp.get(), server.address());
    for (const int fd : spare) {
        close(fd);
    }
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &saved), 0);
    EXPECT_EQ(answer, "FAIL");
    EXPECT_EQ(server.clientConnections(), 0u);
}

} // namespace
} // namespace velomail::test
