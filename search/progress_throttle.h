#pragma once

#include <chrono>

namespace pw {

// Lets progress through a few times a second: a front end repaints no faster anyway, and
// a callback per file would cost more than the file.
class ProgressThrottle {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kInterval{100};

    // True at the first call and then once per interval.
    bool due() {
        const auto now = Clock::now();
        if (m_started && now - m_last < kInterval) {
            return false;
        }
        m_started = true;
        m_last = now;
        return true;
    }

private:
    Clock::time_point m_last{};
    bool m_started = false;
};

} // namespace pw
