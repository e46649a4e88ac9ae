#pragma once
// An SMTP server on 127.0.0.1 for the tests: it plays one script per accepted connection
// (replies, possibly in pieces, waits for command lines or message data, pauses, silence,
// hang-ups) and records every byte the client sent.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace velomail::test {

class Script {
public:
    struct Step {
        enum class Kind { Reply, AwaitLine, AwaitData, Pause, HangUp };
        Kind kind;
        std::vector<std::string> pieces; // Reply: sent one after another, a little apart
        std::chrono::milliseconds pause{0};
    };

    Script& reply(std::string bytes) { return replyInPieces({std::move(bytes)}); }
    // Sends the pieces separately so the client receives one reply in several parts.
    Script& replyInPieces(std::vector<std::string> pieces) {
        return add(Step::Kind::Reply, std::move(pieces));
    }
    Script& awaitLine() { return add(Step::Kind::AwaitLine); }
    // Waits for the end of message data ("\r\n.\r\n").
    Script& awaitData() { return add(Step::Kind::AwaitData); }
    // Neither reads nor sends for a while, so the client's sends can back up.
    Script& pause(std::chrono::milliseconds time) { return add(Step::Kind::Pause, {}, time); }
    Script& hangUp() { return add(Step::Kind::HangUp); }
    Script& append(const Script& more) {
        m_steps.insert(m_steps.end(), more.m_steps.begin(), more.m_steps.end());
        return *this;
    }

    // Shorthands: wait for a command line (or the message data), then reply.
    Script& answer(std::string bytes) { return awaitLine().reply(std::move(bytes)); }
    Script& answerData(std::string bytes) { return awaitData().reply(std::move(bytes)); }

    // A server that accepts everything: greeting, HELO, one message, QUIT.
    static Script acceptingAll();
    // Greeting and HELO accepted; the transaction is up to the caller.
    static Script greeted();
    // One whole accepted transaction: MAIL, RCPT, DATA, message.
    Script& acceptMessage();

    const std::vector<Step>& steps() const { return m_steps; }

private:
    Script& add(Step::Kind kind, std::vector<std::string> pieces = {},
                std::chrono::milliseconds pause = {}) {
        m_steps.push_back({kind, std::move(pieces), pause});
        return *this;
    }

    std::vector<Step> m_steps;
};

class ScriptedSmtpServer {
public:
    // Connection i plays scripts[i]; later connections only get their bytes recorded.
    explicit ScriptedSmtpServer(std::vector<Script> scripts);
    ~ScriptedSmtpServer();
    ScriptedSmtpServer(const ScriptedSmtpServer&) = delete;
    ScriptedSmtpServer& operator=(const ScriptedSmtpServer&) = delete;

    std::uint16_t port() const { return m_port; }
    // "127.0.0.1:PORT" in UTF-16, as Open takes it.
    std::u16string address() const;

    // The bytes received on connection i, once the client has closed it (or the script hung
    // up). Waits a bounded time; a connection still open then fails the test.
    std::string received(std::size_t connection);
    // How many connections the client made so far. A probe connection of our own goes
    // through the same accept queue and is counted out, so a connection that is still
    // waiting to be accepted is not missed.
    std::size_t clientConnections();

private:
    struct Record {
        std::string bytes;
        bool finished = false;
    };

    void serve();
    void play(int fd, std::size_t index);
    // Waits for bytes and reads them into the record; false once the peer closed or on stop.
    bool readSome(int fd, std::size_t index);
    bool waitUntilReceived(int fd, std::size_t index, std::size_t& consumed,
                           const std::string& terminator);
    bool sleepUnlessStopped(std::chrono::milliseconds time);

    std::vector<Script> m_scripts;
    int m_listener = -1;
    int m_stopPipe[2] = {-1, -1};
    std::uint16_t m_port = 0;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Record> m_records;
    std::thread m_thread;
};

} // namespace velomail::test
