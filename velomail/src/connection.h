#pragma once
// One TCP connection to an SMTP server, with a time limit on every wait so that a server
// that stops answering can never hang the caller.

#include "result_code.h"

#include <chrono>
#include <string>
#include <string_view>

namespace velomail {

inline constexpr std::chrono::milliseconds DefaultTimeout{30000};

// DefaultTimeout, unless VELOMAIL_TEST_TIMEOUT_MS holds a positive number of milliseconds
// (tests use it to provoke timeouts without waiting half a minute).
std::chrono::milliseconds timeoutFromEnvironment();

class Connection {
public:
    explicit Connection(std::chrono::milliseconds timeout) : m_timeout(timeout) {}
    ~Connection() { close(); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Resolves host and port and connects to the first address that accepts, each attempt
    // limited to the timeout. A connection already open is closed first.
    ResultCode connect(const std::string& host, const std::string& port);

    // Sends all bytes; fails when the server takes none of them for the timeout.
    ResultCode send(std::string_view bytes);

    // Reads one whole reply (RFC 5321 4.2.1): "NNN-" lines continue it, any other line ends
    // it, even when it arrives in pieces. `code` is the number its last line begins with, or
    // -1 when that line does not begin with three digits. Bytes after the reply are kept for
    // the next one. The whole reply must arrive within the timeout.
    ResultCode readReply(int& code);

    // Shuts the connection down after a failure that left it out of step (a late reply
    // could otherwise be taken for the answer to the next command); later sends and reads
    // fail. The descriptor stays until close().
    void abandon();

    void close();
    bool isOpen() const { return m_fd >= 0; }

private:
    // Waits until the socket is ready for `events`; false on timeout or error.
    bool waitFor(short events, std::chrono::steady_clock::time_point deadline) const;

    int m_fd = -1;
    std::string m_pending;
    std::chrono::milliseconds m_timeout;
};

} // namespace velomail
