#pragma once
// How a running scan talks to its front end. Every call comes from the scanning thread;
// a front end with a window forwards them to its own thread and, for the questions, waits
// for the user's answer there.

#include <cstdint>
#include <string>

namespace pw {

enum class ScanStage { Enumerating, Sorting, Comparing, SameNames, ZeroSize };

struct ScanProgress {
    ScanStage stage = ScanStage::Enumerating;
    std::string statusText;  // the status bar text of the stage
    std::string captionText; // the window caption while the window is minimized
    std::int64_t processed = 0;
    std::int64_t total = 0;
};

// A run-time failure inside a scan step; procedure is the step's fixed label
// ("Scanning", "Generate Folder List", "Find Same", "Find Duplicates", "Find Same Name").
struct RuntimeError {
    std::int32_t number = 0;
    std::string description;
    std::string procedure;
    std::string detail;
};

enum class ErrorAnswer { Retry, Abort };

class ScanObserver {
public:
    virtual ~ScanObserver() = default;

    // Progress, at most a few times a second.
    virtual void progress(const ScanProgress& /*progress*/) {}

    // More than 100000 candidate files were found: true continues, false ends the scan
    // as completed with nothing listed.
    virtual bool confirmManyFiles(std::int32_t /*filesFound*/) { return true; }

    // A run-time failure: Retry runs the failed step again, Abort ends it.
    virtual ErrorAnswer runtimeError(const RuntimeError& /*error*/) { return ErrorAnswer::Abort; }
};

} // namespace pw
