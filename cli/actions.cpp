#include "cli/actions.h"

#include "cli/path_quoting.h"
#include "fileops/copy_move_loop.h"
#include "fileops/process_marked.h"
#include "fileops/shell.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <memory>
#include <sys/stat.h>

namespace pw::cli {

namespace {

struct Words {
    const char* verb; // "trash"
    const char* done; // "trashed"
};

Words wordsOf(Action action) {
    switch (action) {
    case Action::Delete:
        return {"delete", "deleted"};
    case Action::MoveTo:
        return {"move", "moved"};
    case Action::CopyTo:
        return {"copy", "copied"};
    case Action::Trash:
    case Action::None:
        break;
    }
    return {"trash", "trashed"};
}

// A copy leaves every file where it is, so it can neither empty a group nor meet a file
// that changed since the scan with any harm.
bool removes(Action action) {
    return action != Action::CopyTo;
}

std::string files(std::int64_t count) {
    return std::to_string(count) + (count == 1 ? " file" : " files");
}

// "Trashed 3 files; 1 file left." or "Would move 3 files to /dest; 0 files left."
void printSummary(std::FILE* err, const CliOptions& options, std::int64_t dealtWith,
                  std::int64_t left) {
    const Words words = wordsOf(options.action);
    std::string text = options.dryRun ? std::string("Would ") + words.verb : words.done;
    text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    text.append(" ").append(files(dealtWith));
    if (!options.actionFolder.empty()) {
        text.append(" to ").append(shownPath(options.actionFolder));
    }
    std::fprintf(err, "%s; %s left.\n", text.c_str(), files(left).c_str());
}

// Prints every group the run must not touch; returns whether there was one.
bool refuseGroupsLeftEmpty(const std::vector<std::vector<WarningLine>>& allMarked,
                           const ResultTable& table, const char* done, std::FILE* err) {
    for (const auto& lines : allMarked) {
        std::fprintf(err, "pairwell-cli: group %s would keep no file: every file of it is marked\n",
                     lines.front().group.c_str());
        for (const WarningLine& line : lines) {
            std::fprintf(err, "  %s\n", shownPath(line.path + line.fileName).c_str());
        }
    }
    const std::vector<std::int32_t> lost = groupsLosingTheirKeptFiles(table);
    for (const std::int32_t group : lost) {
        std::fprintf(err,
                     "pairwell-cli: group %d would keep no file: the files it keeps are gone or "
                     "changed since the scan\n",
                     group);
        for (const ResultTableRow& row : table.rows()) {
            if (row.group == group) {
                std::fprintf(err, "  %s%s\n", shownPath(row.fullPath()).c_str(),
                             row.marked ? "" : " (kept)");
            }
        }
    }
    if (allMarked.empty() && lost.empty()) {
        return false;
    }
    std::fprintf(err, "pairwell-cli: nothing was %s; --allow-whole-group acts on such groups too\n",
                 done);
    return true;
}

bool dryRun(const CliOptions& options, const ResultTable& table, std::int64_t marked,
            std::FILE* err) {
    const Words words = wordsOf(options.action);
    const std::string to =
        options.actionFolder.empty() ? "" : " to " + shownPath(options.actionFolder);
    std::int64_t left = 0;
    for (const ResultTableRow& row : table.rows()) {
        if (!row.marked) {
            continue;
        }
        const std::string path = shownPath(row.fullPath());
        if (removes(options.action) && verifyListed(table, row) == ListedState::Changed) {
            std::fprintf(err, "would leave %s: changed since the scan\n", path.c_str());
            ++left;
        } else {
            std::fprintf(err, "would %s %s%s\n", words.verb, path.c_str(), to.c_str());
        }
    }
    printSummary(err, options, marked - left, left);
    return left == 0;
}

std::unique_ptr<MarkedFilesRun> startRun(const CliOptions& options, ResultTable& table,
                                         Shell& shell, std::FILE* err) {
    if (options.action == Action::Trash || options.action == Action::Delete) {
        auto deletion = std::make_unique<DeleteRun>(table, shell);
        deletion->options = {options.removeEmptyFolders, options.action == Action::Trash, true};
        deletion->start();
        return deletion;
    }
    const TransferMode mode =
        options.action == Action::MoveTo ? TransferMode::Move : TransferMode::Copy;
    auto transfer = std::make_unique<CopyMoveRun>(table, shell, mode, options.actionFolder);
    transfer->options.removeEmptyFolders = options.removeEmptyFolders;
    if (const auto message = transfer->start()) {
        std::fprintf(err, "pairwell-cli: %s\n", message->text.c_str());
        return nullptr;
    }
    return transfer;
}

bool act(const CliOptions& options, ResultTable& table, std::int64_t marked,
         const CancelToken& cancel, std::FILE* err) {
    const std::unique_ptr<Shell> shell = makeLinuxShell();
    const std::unique_ptr<MarkedFilesRun> run = startRun(options, table, *shell, err);
    if (!run) {
        return false;
    }
    run->run([&run, &cancel, err](const RunReport& report) {
        for (const ErrorRow& row : report.newErrors) {
            std::fprintf(err, "pairwell-cli: %s %s: %s\n", row.number.c_str(),
                         row.description.c_str(), shownPath(row.fileName).c_str());
        }
        if (cancel.cancelled()) {
            run->requestCancel();
        }
    });
    const std::int64_t left = marked - run->filesDone();
    printSummary(err, options, run->filesDone(), left);
    return left == 0;
}

} // namespace

std::string checkActionUsage(const CliOptions& options, bool canAsk) {
    if (options.action == Action::Delete && !options.yes && !options.dryRun && !canAsk) {
        return "--delete removes files for good and asks first, but standard input is not a "
               "terminal: add --yes to delete without asking";
    }
    if (options.action != Action::MoveTo && options.action != Action::CopyTo) {
        return {};
    }
    const std::string named =
        std::string(actionOption(options.action)) + " " + shownPath(options.actionFolder);
    struct stat st {};
    if (::stat(options.actionFolder.c_str(), &st) != 0) {
        return named + ": " + std::strerror(errno);
    }
    return S_ISDIR(st.st_mode) ? std::string() : named + ": not a folder";
}

bool runAction(const CliOptions& options, ResultTable& table, const CancelToken& cancel,
               const AskUser& ask, std::FILE* err) {
    const Words words = wordsOf(options.action);
    if (cancel.cancelled()) {
        std::fprintf(err, "pairwell-cli: interrupted: nothing was %s\n", words.done);
        return false;
    }
    // Every fully marked group is gathered and the marks stay as they are; the refusal
    // below names them all at once.
    std::vector<std::vector<WarningLine>> allMarked;
    const MarkCheck check =
        checkMarks(table, !table.grouped(), [&allMarked](const std::vector<WarningLine>& lines) {
            allMarked.push_back(lines);
            return std::string("3");
        });
    if (!check.proceed()) {
        std::fprintf(err, "pairwell-cli: no file is marked: nothing to %s\n", words.verb);
        return true;
    }
    if (removes(options.action) && !options.allowWholeGroup &&
        refuseGroupsLeftEmpty(allMarked, table, words.done, err)) {
        return false;
    }
    if (options.dryRun) {
        return dryRun(options, table, check.totals.count, err);
    }
    if (options.action == Action::Delete && !options.yes &&
        !ask("Delete " + files(check.totals.count) + " permanently? [y/N] ")) {
        std::fputs("pairwell-cli: nothing was deleted\n", err);
        return false;
    }
    return act(options, table, check.totals.count, cancel, err);
}

} // namespace pw::cli
