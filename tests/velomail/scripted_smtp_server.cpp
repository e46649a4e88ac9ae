#include "scripted_smtp_server.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace velomail::test {

namespace {

constexpr auto PieceGap = std::chrono::milliseconds(30);
constexpr auto ResultWait = std::chrono::seconds(20);
constexpr std::string_view ProbeMarker = "PROBE\r\n";

bool sendAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t sent = send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

sockaddr_in loopback(std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

} // namespace

Script Script::greeted() {
    Script script;
    script.reply("220 test.invalid ESMTP ready\r\n").answer("250 test.invalid\r\n");
    return script;
}

Script& Script::acceptMessage() {
    return answer("250 sender ok\r\n")
        .answer("250 recipient ok\r\n")
        .answer("354 go ahead\r\n")
        .answerData("250 queued\r\n");
}

Script Script::acceptingAll() {
    Script script = greeted();
    script.acceptMessage().answer("221 bye\r\n");
    return script;
}

ScriptedSmtpServer::ScriptedSmtpServer(std::vector<Script> scripts)
    : m_scripts(std::move(scripts)) {
    m_listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = loopback(0);
    socklen_t length = sizeof address;
    if (m_listener < 0 || pipe(m_stopPipe) != 0 ||
        bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(m_listener, 16) != 0 ||
        getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        throw std::runtime_error("cannot start the test SMTP server");
    }
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] { serve(); });
}

ScriptedSmtpServer::~ScriptedSmtpServer() {
    const char stop = 1;
    [[maybe_unused]] const ssize_t written = write(m_stopPipe[1], &stop, 1);
    m_thread.join();
    close(m_listener);
    close(m_stopPipe[0]);
    close(m_stopPipe[1]);
}

std::u16string ScriptedSmtpServer::address() const {
    const std::string text = "127.0.0.1:" + std::to_string(m_port);
    return std::u16string(text.begin(), text.end());
}

std::string ScriptedSmtpServer::received(std::size_t connection) {
    std::unique_lock lock(m_mutex);
    const bool done = m_changed.wait_for(lock, ResultWait, [&] {
        return connection < m_records.size() && m_records[connection].finished;
    });
    if (!done) {
        ADD_FAILURE() << "connection " << connection << " was not made or not closed";
        return connection < m_records.size() ? m_records[connection].bytes : std::string();
    }
    return m_records[connection].bytes;
}

std::size_t ScriptedSmtpServer::clientConnections() {
    const int probe = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in address = loopback(m_port);
    const bool sent =
        probe >= 0 &&
        connect(probe, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
        sendAll(probe, ProbeMarker);
    if (probe >= 0) {
        close(probe);
    }
    if (!sent) {
        ADD_FAILURE() << "the probe connection failed";
        return 0;
    }
    std::unique_lock lock(m_mutex);
    std::size_t before = 0;
    const bool seen = m_changed.wait_for(lock, ResultWait, [&] {
        for (std::size_t i = 0; i < m_records.size(); ++i) {
            if (m_records[i].finished && m_records[i].bytes == ProbeMarker) {
                before = i;
                return true;
            }
        }
        return false;
    });
    EXPECT_TRUE(seen) << "the probe connection was not accepted";
    return before;
}

void ScriptedSmtpServer::serve() {
    for (;;) {
        pollfd waits[2] = {{m_listener, POLLIN, 0}, {m_stopPipe[0], POLLIN, 0}};
        if (poll(waits, 2, -1) < 0 || waits[1].revents != 0) {
            return;
        }
        const int fd = accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        const int on = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        std::size_t index = 0;
        {
            const std::lock_guard lock(m_mutex);
            index = m_records.size();
            m_records.emplace_back();
        }
        play(fd, index);
        close(fd);
        {
            const std::lock_guard lock(m_mutex);
            m_records[index].finished = true;
        }
        m_changed.notify_all();
    }
}

void ScriptedSmtpServer::play(int fd, std::size_t index) {
    std::size_t consumed = 0;
    if (index < m_scripts.size()) {
        for (const Script::Step& step : m_scripts[index].steps()) {
            bool open = true;
            switch (step.kind) {
            case Script::Step::Kind::Reply:
                for (std::size_t i = 0; open && i < step.pieces.size(); ++i) {
                    open = (i == 0 || sleepUnlessStopped(PieceGap)) && sendAll(fd, step.pieces[i]);
                }
                break;
            case Script::Step::Kind::AwaitLine:
                open = waitUntilReceived(fd, index, consumed, "\r\n");
                break;
            case Script::Step::Kind::AwaitData:
                open = waitUntilReceived(fd, index, consumed, "\r\n.\r\n");
                break;
            case Script::Step::Kind::Pause:
                open = sleepUnlessStopped(step.pause);
                break;
            case Script::Step::Kind::HangUp:
                return;
            }
            if (!open) {
                return;
            }
        }
    }
    // Whatever the client sends after the script is recorded too, until it closes.
    while (readSome(fd, index)) {
    }
}

bool ScriptedSmtpServer::readSome(int fd, std::size_t index) {
    pollfd waits[2] = {{fd, POLLIN, 0}, {m_stopPipe[0], POLLIN, 0}};
    if (poll(waits, 2, -1) < 0 || waits[1].revents != 0) {
        return false;
    }
    char buffer[65536];
    const ssize_t got = recv(fd, buffer, sizeof buffer, 0);
    if (got <= 0) {
        return false;
    }
    {
        const std::lock_guard lock(m_mutex);
        m_records[index].bytes.append(buffer, static_cast<std::size_t>(got));
    }
    m_changed.notify_all();
    return true;
}

bool ScriptedSmtpServer::waitUntilReceived(int fd, std::size_t index, std::size_t& consumed,
                                           const std::string& terminator) {
    for (;;) {
        {
            const std::lock_guard lock(m_mutex);
            const auto found = m_records[index].bytes.find(terminator, consumed);
            if (found != std::string::npos) {
                consumed = found + terminator.size();
                return true;
            }
        }
        if (!readSome(fd, index)) {
            return false;
        }
    }
}

bool ScriptedSmtpServer::sleepUnlessStopped(std::chrono::milliseconds time) {
    pollfd stop{m_stopPipe[0], POLLIN, 0};
    return poll(&stop, 1, static_cast<int>(time.count())) == 0;
}

} // namespace velomail::test
