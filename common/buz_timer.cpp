#include "common/buz_timer.h"

#include <cstdio>

namespace pw {

std::string buzTimer::Elapsed() const {
    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - m_start).count();
    return formatElapsed(seconds);
}

std::string buzTimer::formatElapsed(std::int64_t seconds) {
    char buffer[48];
    if (seconds < 60) {
        std::snprintf(buffer, sizeof buffer, "00:00:%02lld", static_cast<long long>(seconds));
    } else if (seconds / 60 < 60) {
        std::snprintf(buffer, sizeof buffer, "00:%02lld:%02lld",
                      static_cast<long long>(seconds / 60), static_cast<long long>(seconds % 60));
    } else {
        std::snprintf(
            buffer, sizeof buffer, "%lld:%lld:%02lld", static_cast<long long>(seconds / 3600),
            static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    }
    return buffer;
}

} // namespace pw
