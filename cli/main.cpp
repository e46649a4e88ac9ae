// pairwell-cli: runs one scan with the engine and prints what it found.

#include "cli/cli_observer.h"
#include "cli/json_writer.h"
#include "cli/listing.h"
#include "cli/options.h"
#include "cli/text_writer.h"
#include "common/buz_timer.h"
#include "search/enumeration.h"
#include "search/scan.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <malloc.h>
#include <unistd.h>

namespace {

constexpr int kExitOk = 0;
constexpr int kExitError = 1;
constexpr int kExitUsage = 2;
constexpr int kExitInterrupted = 130; // 128 + SIGINT, as a shell reports it

// The SIGINT handler may only store to lock-free atomics; the cancel token is one.
static_assert(std::atomic<bool>::is_always_lock_free);
pw::CancelToken g_cancel;
std::atomic<bool> g_interrupted{false};

void onInterrupt(int /*signal*/) {
    g_interrupted.store(true, std::memory_order_relaxed);
    g_cancel.cancel();
}

// The first Ctrl-C stops the scan and still prints what was found; SA_RESETHAND lets a
// second one end the program at once. SA_RESTART keeps a blocked progress write going.
void installInterruptHandler() {
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    sigaction(SIGINT, &action, nullptr);
}

// The folders that can be searched, with a warning for each other one. A folder that does
// not exist would contribute nothing to the scan, so it is left out of the request instead
// of being reported a second time as a folder that cannot be listed.
std::vector<std::string> existingFolders(const std::vector<std::string>& folders) {
    namespace fs = std::filesystem;
    std::vector<std::string> existing;
    for (const auto& folder : folders) {
        std::error_code ec;
        const auto status = fs::status(folder, ec);
        if (!fs::exists(status)) {
            std::fprintf(stderr, "pairwell-cli: warning: %s: no such folder\n", folder.c_str());
        } else if (!fs::is_directory(status)) {
            std::fprintf(stderr, "pairwell-cli: warning: %s: not a folder\n", folder.c_str());
        } else {
            existing.push_back(folder);
        }
    }
    return existing;
}

void printIssues(const pw::ScanResult& result) {
    for (const auto& issue : result.issues) {
        std::fprintf(stderr, "pairwell-cli: warning: cannot %s %s: %s\n", issue.operation.c_str(),
                     issue.path.c_str(), issue.message.c_str());
    }
}

void printTotals(const pw::ScanResult& result, const pw::buzTimer& timer) {
    std::fprintf(stderr, "%s\n%s\n%s\n%s\nElapsed: %s\n", result.statusText().c_str(),
                 result.duplicatesText().c_str(), result.filesText().c_str(),
                 result.foldersText().c_str(), timer.Elapsed().c_str());
}

int runScan(pw::cli::CliOptions options) {
    using namespace pw::cli;
    options.folders = existingFolders(options.folders);
    const bool terminal = isatty(STDERR_FILENO) == 1;
    const bool progress = options.progress == ProgressMode::On ||
                          (options.progress == ProgressMode::Auto && terminal);
    CliObserver observer(stderr, progress, terminal, options.maxFiles);

    installInterruptHandler();
    const pw::buzTimer timer;
    const pw::ScanResult result = pw::StartScan(buildRequest(options), observer, g_cancel);
    observer.finish();

    const auto rows =
        listResult(result, [](const std::string& path) { return pw::FileExists(path); });
    if (options.json) {
        const JsonSummary summary{.status = result.statusText(),
                                  .method = std::string(methodName(options.search.method)),
                                  .fuzzy = options.search.fuzzy,
                                  .files = result.filesFound,
                                  .folders = result.foldersFound,
                                  .duplicateCount = result.duplicateCount,
                                  .duplicateSize = result.duplicateSize};
        writeJson(std::cout, summary, rows);
    } else {
        writeText(std::cout, rows);
    }
    std::cout.flush();
    printIssues(result);
    printTotals(result, timer);

    if (g_interrupted.load(std::memory_order_relaxed)) {
        return kExitInterrupted;
    }
    return observer.hadRuntimeError() || !std::cout ? kExitError : kExitOk;
}

} // namespace

int main(int argc, char** argv) {
    // The scan's worker threads would each get a malloc arena of their own; the memory
    // they hold is short-lived, and two arenas serve them at a fraction of the footprint.
    mallopt(M_ARENA_MAX, 2);
    std::ios::sync_with_stdio(false);
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    const auto parsed = pw::cli::parseArguments(args);
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "pairwell-cli: %s\nTry 'pairwell-cli --help' for more information.\n",
                     parsed.error.c_str());
        return kExitUsage;
    }
    if (parsed.options.help) {
        std::cout << pw::cli::usageText();
        return kExitOk;
    }
    return runScan(parsed.options);
}
