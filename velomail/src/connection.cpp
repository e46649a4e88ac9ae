#include "connection.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <memory>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace velomail {

namespace {

// RFC 5321 4.5.3.1.5 limits a reply line to 512 bytes but not the number of lines; this
// bounds the memory a misbehaving server can make us hold.
constexpr std::size_t MaxReplyBytes = 64 * 1024;
constexpr std::size_t ReceiveChunk = 512;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Removes one complete reply from the front of `pending`; false when it is not complete yet.
bool takeReply(std::string& pending, int& code) {
    std::size_t start = 0;
    for (;;) {
        const auto newline = pending.find('\n', start);
        if (newline == std::string::npos) {
            return false;
        }
        std::string_view line(pending.data() + start, newline - start);
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        const bool hasCode =
            line.size() >= 3 && isDigit(line[0]) && isDigit(line[1]) && isDigit(line[2]);
        if (hasCode && line.size() > 3 && line[3] == '-') {
            start = newline + 1;
            continue;
        }
        code = hasCode && (line.size() == 3 || line[3] == ' ')
                   ? (line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0')
                   : -1;
        pending.erase(0, newline + 1);
        return true;
    }
}

struct AddrInfoDeleter {
    void operator()(addrinfo* info) const { freeaddrinfo(info); }
};

} // namespace

std::chrono::milliseconds timeoutFromEnvironment() {
    const char* text = std::getenv("VELOMAIL_TEST_TIMEOUT_MS");
    if (text == nullptr) {
        return DefaultTimeout;
    }
    const std::string_view view(text);
    long value = 0;
    const auto [ptr, ec] = std::from_chars(view.data(), view.data() + view.size(), value);
    if (ec != std::errc{} || ptr != view.data() + view.size() || value <= 0) {
        return DefaultTimeout;
    }
    return std::chrono::milliseconds(value);
}

ResultCode Connection::connect(const std::string& host, const std::string& port) {
    close();
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), port.c_str(), &hints, &found) != 0 || found == nullptr) {
        return ResultCode::ResolveFailed;
    }
    const std::unique_ptr<addrinfo, AddrInfoDeleter> addresses(found);

    ResultCode failure = ResultCode::ConnectFailed;
    for (const addrinfo* ai = addresses.get(); ai != nullptr; ai = ai->ai_next) {
        m_fd =
            socket(ai->ai_family, ai->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, ai->ai_protocol);
        if (m_fd < 0) {
            failure = ResultCode::SocketFailed;
            continue;
        }
        // A non-blocking connect lets the wait below carry the time limit.
        bool connected = ::connect(m_fd, ai->ai_addr, ai->ai_addrlen) == 0;
        if (!connected && (errno == EINPROGRESS || errno == EINTR) &&
            waitFor(POLLOUT, std::chrono::steady_clock::now() + m_timeout)) {
            int error = 0;
            socklen_t length = sizeof error;
            connected = getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
        }
        if (connected) {
            return ResultCode::Success;
        }
        failure = ResultCode::ConnectFailed;
        close();
    }
    return failure;
}

ResultCode Connection::send(std::string_view bytes) {
    if (m_fd < 0) {
        return ResultCode::SendFailed;
    }
    while (!bytes.empty()) {
        // MSG_NOSIGNAL: a server that went away must give a failed send, not SIGPIPE.
        const ssize_t sent = ::send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(sent));
        } else if (sent < 0 && errno == EINTR) {
            continue;
        } else if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            // The limit counts from the last progress, so a long message on a slow link
            // still goes out while a server that stops reading is given up on.
            if (!waitFor(POLLOUT, std::chrono::steady_clock::now() + m_timeout)) {
                return ResultCode::SendFailed;
            }
        } else {
            return ResultCode::SendFailed;
        }
    }
    return ResultCode::Success;
}

ResultCode Connection::readReply(int& code) {
    const auto deadline = std::chrono::steady_clock::now() + m_timeout;
    for (;;) {
        if (takeReply(m_pending, code)) {
            return ResultCode::Success;
        }
        if (m_pending.size() > MaxReplyBytes) {
            return ResultCode::UnexpectedReply;
        }
        if (m_fd < 0 || !waitFor(POLLIN, deadline)) {
            return ResultCode::ReceiveFailed;
        }
        char buffer[ReceiveChunk];
        const ssize_t got = recv(m_fd, buffer, sizeof buffer, 0);
        if (got < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) {
            continue;
        }
        if (got <= 0) {
            return ResultCode::ReceiveFailed;
        }
        m_pending.append(buffer, static_cast<std::size_t>(got));
    }
}

void Connection::abandon() {
    if (m_fd >= 0) {
        shutdown(m_fd, SHUT_RDWR);
    }
    m_pending.clear();
}

void Connection::close() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    m_pending.clear();
}

bool Connection::waitFor(short events, std::chrono::steady_clock::time_point deadline) const {
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return false;
        }
        pollfd entry{m_fd, events, 0};
        const int ready =
            poll(&entry, 1, static_cast<int>(std::min<long long>(left.count(), 1 << 30)));
        if (ready > 0) {
            // Errors and hang-ups count as ready: the next send or receive reports them.
            return true;
        }
        if (ready < 0 && errno != EINTR) {
            return false;
        }
    }
}

} // namespace velomail
