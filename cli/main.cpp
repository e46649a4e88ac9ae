// pairwell-cli: runs one scan with the engine, or loads a saved session, and prints what
// it found; saves the scan as a session, exports the result and acts on the marked files
// on request.

#include "cli/actions.h"
#include "cli/cli_observer.h"
#include "cli/json_writer.h"
#include "cli/options.h"
#include "cli/path_quoting.h"
#include "cli/text_writer.h"
#include "common/buz_timer.h"
#include "common/file_helpers.h"
#include "common/text.h"
#include "results/load_result.h"
#include "results/marking.h"
#include "search/protected_trees.h"
#include "search/scan.h"
#include "session/export_writers.h"
#include "session/session_file.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <malloc.h>
#include <sys/resource.h>
#include <sys/stat.h>
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

// The question of --delete. Ctrl-C while it waits ends the program at once: nothing has
// been deleted yet.
bool askOnTerminal(const std::string& question) {
    std::signal(SIGINT, SIG_DFL);
    std::fputs(question.c_str(), stderr);
    std::fflush(stderr);
    char line[256] = {};
    const bool answered = std::fgets(line, sizeof line, stdin) != nullptr;
    installInterruptHandler();
    std::string_view answer(line);
    while (answered && !answer.empty() && (answer.back() == '\n' || answer.back() == '\r')) {
        answer.remove_suffix(1);
    }
    const std::string word = pw::lowerText(pw::trimBlanks(answer));
    return word == "y" || word == "yes";
}

bool actOnMarks(const pw::cli::CliOptions& options, pw::ResultTable& table) {
    return options.action == pw::cli::Action::None ||
           pw::cli::runAction(options, table, g_cancel, askOnTerminal, stderr);
}

void warnFolder(const std::string& folder, const char* why) {
    std::fprintf(stderr, "pairwell-cli: warning: %s: %s\n", pw::cli::shownPath(folder).c_str(),
                 why);
}

// Keeps the folders that can be searched and warns about each other one; answers whether
// every folder could be searched. A folder that cannot be looked up would contribute
// nothing, so it leaves the request instead of being reported again as a folder that
// cannot be listed. A protected folder stays: the engine keeps its files out, and a saved
// session records the folder as it was given.
bool keepSearchableFolders(std::vector<std::string>& folders, bool protect) {
    bool all = true;
    std::vector<std::string> kept;
    for (auto& folder : folders) {
        struct stat st {};
        if (::stat(folder.c_str(), &st) != 0) {
            const int error = errno;
            warnFolder(folder, error == ENOENT ? "no such folder" : std::strerror(error));
            all = false;
        } else if (!S_ISDIR(st.st_mode)) {
            warnFolder(folder, "not a folder");
            all = false;
        } else {
            if (protect && pw::isProtectedPath(folder)) {
                warnFolder(folder, "a protected system folder, not searched; --no-protect would "
                                   "search it");
                all = false;
            }
            kept.push_back(std::move(folder));
        }
    }
    folders = std::move(kept);
    return all;
}

void printIssues(const std::vector<pw::FileIssue>& issues) {
    for (const auto& issue : issues) {
        std::fprintf(stderr, "pairwell-cli: warning: cannot %s %s: %s\n", issue.operation.c_str(),
                     pw::cli::shownPath(issue.path).c_str(), issue.message.c_str());
    }
}

void printTotals(const pw::ScanTotals& totals, const pw::buzTimer& timer) {
    std::fprintf(stderr, "%s\n%s\n%s\n%s\nElapsed: %s\n", totals.statusText().c_str(),
                 totals.duplicatesText().c_str(), totals.filesText().c_str(),
                 totals.foldersText().c_str(), timer.Elapsed().c_str());
}

// The message names the file; "export" or "session" says which output it was.
bool reportWrite(const char* what, const pw::FileWriteResult& result) {
    if (!result.ok) {
        std::fprintf(stderr, "pairwell-cli: %s: %s\n", what,
                     result.message(pw::cli::shownPath).c_str());
    }
    return result.ok;
}

// The result list as the command line shows it: all groups, or with --mark-duplicates
// the marked files only; and the export when asked. Returns false when the export failed.
bool present(const pw::cli::CliOptions& options, const pw::cli::JsonSummary& summary,
             pw::ResultTable& table, const pw::HtmlSummary& page) {
    using namespace pw::cli;
    if (options.markDuplicates) {
        if (table.grouped()) {
            pw::MarkAllDuplicates(table);
        } else {
            std::fprintf(stderr, "pairwell-cli: warning: a zero-size listing has no groups; "
                                 "nothing is marked\n");
        }
    }
    const PathEnd end = options.nulEnded ? PathEnd::Nul : PathEnd::Newline;
    bool quoted = false;
    if (options.json) {
        writeJson(std::cout, summary, table, options.markDuplicates);
    } else if (options.markDuplicates) {
        quoted = writeMarkedText(std::cout, table, end);
    } else {
        quoted = writeText(std::cout, table, end);
    }
    std::cout.flush();
    if (quoted) {
        std::fputs("pairwell-cli: note: paths holding control characters are shown in $'...' "
                   "quoting; use --null for exact paths\n",
                   stderr);
    }
    if (options.exportFile.empty()) {
        return true;
    }
    const pw::ExportSelection selection{
        options.exportMarked ? pw::ExportRows::MarkFilesOnly : pw::ExportRows::AllFiles, {}};
    const auto result =
        exportsHtml(options.exportFile)
            ? pw::ExportHtml(options.exportFile, table, selection, page)
            : pw::ExportDelimited(options.exportFile, table, selection, options.delimiter);
    return reportWrite("export", result);
}

bool showProgress(const pw::cli::CliOptions& options) {
    using pw::cli::ProgressMode;
    return options.progress == ProgressMode::On ||
           (options.progress == ProgressMode::Auto && isatty(STDERR_FILENO) == 1);
}

// The scan keeps the folders that hold candidates open, up to half the descriptor limit,
// so that their files are opened by name; the usual soft limit of 1024 would keep few.
void raiseDescriptorLimit() {
    constexpr rlim_t kWanted = 131072;
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < kWanted) {
        limit.rlim_cur = std::min(limit.rlim_max, kWanted);
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
}

int exitStatus(bool failed) {
    if (g_interrupted.load(std::memory_order_relaxed)) {
        return kExitInterrupted;
    }
    return failed || !std::cout ? kExitError : kExitOk;
}

// Ends the program once everything is written and closed. The system takes back the
// memory of a large result table with the process at once; freeing it row by row first
// only keeps the user waiting (about 15 ms per 100000 rows).
[[noreturn]] void endProgram(bool failed) {
    std::cout.flush();
    const int status = exitStatus(failed);
    std::fflush(nullptr);
    std::_Exit(status);
}

int runScan(pw::cli::CliOptions options) {
    using namespace pw::cli;
    bool failed = !keepSearchableFolders(options.folders, options.search.protectSystem);
    CliObserver observer(stderr, showProgress(options), isatty(STDERR_FILENO) == 1,
                         options.maxFiles);

    installInterruptHandler();
    const pw::buzTimer timer;
    const pw::ScanRequest request = buildRequest(options);
    pw::ResultTable table;
    const pw::ScanOutcome result =
        pw::LoadSearchResult(table, pw::StartScan(request, observer, g_cancel), pw::FileExists);
    observer.finish();
    // Anything left unread makes the run a failure, though what was found is listed.
    failed |= observer.hadRuntimeError() || observer.declinedManyFiles() || !result.issues.empty();
    if (!options.sessionFile.empty()) {
        failed |= !reportWrite(
            "session",
            pw::WriteSessionFile(options.sessionFile, {request.options, request.paths},
                                 result.totals, table, pw::SessionContent::ParametersAndResult));
    }
    const pw::ScanTotals& totals = result.totals;
    const JsonSummary summary{totals, std::string(methodName(options.search.method)),
                              options.search.fuzzy};
    failed |= !present(options, summary, table,
                       {totals.filesText(), totals.duplicatesText(), pw::todayShortDate()});
    printIssues(result.issues);
    printTotals(totals, timer);
    failed |= !actOnMarks(options, table);
    endProgram(failed);
}

int runLoad(const pw::cli::CliOptions& options) {
    using namespace pw::cli;
    CliObserver observer(stderr, showProgress(options), isatty(STDERR_FILENO) == 1,
                         options.maxFiles);
    installInterruptHandler();
    const pw::buzTimer timer;
    pw::OpenOptions open;
    open.reScan = options.rescan;
    open.cancel = &g_cancel;
    open.observer = &observer;
    pw::LoadedSession session = pw::OpenPairwellFile(options.loadFile, open);
    observer.finish();
    if (!session.opened) {
        std::fprintf(stderr, "pairwell-cli: cannot open %s: %s\n",
                     shownPath(options.loadFile).c_str(), session.damage.c_str());
        return kExitError;
    }
    if (!session.isSession) {
        std::fprintf(stderr, "pairwell-cli: %s is not a session file (%s)\n",
                     shownPath(options.loadFile).c_str(), session.damage.c_str());
        return kExitError;
    }
    if (!session.complete) {
        std::fprintf(stderr,
                     "pairwell-cli: warning: %s is damaged at %s; what came before is kept\n",
                     shownPath(options.loadFile).c_str(), session.damage.c_str());
    }
    const pw::SearchOptions& search = session.parameters.options;
    const JsonSummary summary{session.totals, std::string(methodName(search.method)), search.fuzzy};
    // A session of fewer than two result rows keeps its totals hidden, as the program does.
    const bool totals = session.showTotals();
    // A damaged file still lists what came before the damage, but the run failed.
    bool failed = observer.hadRuntimeError() || !session.complete || !session.issues.empty();
    failed |= !present(options, summary, session.table,
                       {totals ? session.totals.filesText() : "",
                        totals ? session.totals.duplicatesText() : "", pw::todayShortDate()});
    printIssues(session.issues);
    if (totals) {
        printTotals(session.totals, timer);
    }
    failed |= !actOnMarks(options, session.table);
    endProgram(failed);
}

} // namespace

int main(int argc, char** argv) {
    // The scan's worker threads would each get a malloc arena of their own; the memory
    // they hold is short-lived, and two arenas serve them at a fraction of the footprint.
    mallopt(M_ARENA_MAX, 2);
    raiseDescriptorLimit();
    std::ios::sync_with_stdio(false);
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    auto parsed = pw::cli::parseArguments(args);
    if (parsed.error.empty() && !parsed.options.help) {
        // Before the scan, which may take long, not after it.
        parsed.error = pw::cli::checkActionUsage(parsed.options, isatty(STDIN_FILENO) == 1);
    }
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "pairwell-cli: %s\nTry 'pairwell-cli --help' for more information.\n",
                     parsed.error.c_str());
        return kExitUsage;
    }
    if (parsed.options.help) {
        std::cout << pw::cli::usageText();
        return kExitOk;
    }
    return parsed.options.command == pw::cli::Command::Load ? runLoad(parsed.options)
                                                            : runScan(parsed.options);
}
