#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace pw {

// Measures the elapsed time of a scan for the status bar.
class buzTimer {
public:
    using Clock = std::chrono::steady_clock;

    buzTimer() { Reset(); }

    void Reset() { m_start = Clock::now(); }

    // Whole seconds since Reset: "00:00:42", "00:05:07", "1:5:07".
    std::string Elapsed() const;

    // The same text for a given number of whole seconds.
    static std::string formatElapsed(std::int64_t seconds);

private:
    Clock::time_point m_start;
};

} // namespace pw
