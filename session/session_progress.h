#pragma once
// Progress of a session or export job, as a front end shows it: a status text (empty when
// the job has none to show) and a progress bar's value and maximum. Called on the job's
// own thread; the front end decides how often to repaint.

#include <cstdint>
#include <functional>
#include <string>

namespace pw {

struct SessionProgress {
    std::string statusText;
    std::int64_t value = 0;
    std::int64_t maximum = 0;
};

using SessionProgressFn = std::function<void(const SessionProgress&)>;

} // namespace pw
