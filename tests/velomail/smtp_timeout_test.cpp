// A server that stops answering, or stops reading, must give "FAIL" within the time limit
// instead of hanging the caller; a connection that timed out is never used again.

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

// The sanitizer's check of a virtual call probes memory through a pipe, which cannot be
// made while every descriptor is taken; the call itself is sound.
__attribute__((no_sanitize("vptr"))) std::string openUnchecked(ISmtp* smtp,
                                                               const std::u16string& address) {
    char16_t* result = nullptr;
    EXPECT_EQ(smtp->Open(address.c_str(), &result), S_OK);
    return takeAnswer(result);
}

class VelomailTimeout : public ::testing::Test {
protected:
    ScopedEnv m_timeout{"VELOMAIL_TEST_TIMEOUT_MS", "150"};
    SmtpObject smtp;
};

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
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(listener, 0), 0);
    ASSERT_EQ(getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
    std::vector<int> fillers;
    for (int i = 0; i < 4; ++i) {
        const int filler = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        connect(filler, reinterpret_cast<sockaddr*>(&address), sizeof address);
        fillers.push_back(filler);
    }
    const std::string text = "127.0.0.1:" + std::to_string(ntohs(address.sin_port));
    EXPECT_EQ(smtp.open(std::u16string(text.begin(), text.end())), "FAIL");
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
