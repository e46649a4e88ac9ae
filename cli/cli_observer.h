#pragma once
// How pairwell-cli answers a running scan: a progress line on stderr, the too-many-files
// question from --max-files, and run-time failures printed and answered Abort.

#include "search/scan_observer.h"

#include <cstdint>
#include <cstdio>
#include <mutex>
#include <optional>

namespace pw::cli {

class CliObserver : public ScanObserver {
public:
    // progress: show a progress line; terminal: stderr is a terminal, so the line is
    // redrawn in place instead of one line per update.
    CliObserver(std::FILE* err, bool progress, bool terminal, std::optional<std::int64_t> maxFiles);

    void progress(const ScanProgress& progress) override;
    bool confirmManyFiles(std::int32_t filesFound) override;
    ErrorAnswer runtimeError(const RuntimeError& error) override;

    // Clears the progress line so that the closing texts start on a clean line.
    void finish();

    bool hadRuntimeError() const;
    // --max-files stopped the scan before its search.
    bool declinedManyFiles() const;

private:
    void clearLine();

    std::FILE* m_err;
    bool m_progress;
    bool m_terminal;
    std::optional<std::int64_t> m_maxFiles;
    mutable std::mutex m_mutex;
    bool m_lineShown = false;
    bool m_runtimeError = false;
    bool m_declined = false;
};

} // namespace pw::cli
