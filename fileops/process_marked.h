#pragma once
// What the Delete and Move commands do around their dialogs: check the marks first
// (count them, warn about groups whose every file is marked), and tidy the result list
// afterwards (drop the rows of files that are gone and of groups left with one file).
// Also the "Remove from result list" command, which tidies the same way without touching
// any file.
//
// Everything here runs on the caller's thread; the callbacks are called on it too.

#include "results/marking.h"
#include "results/result_table.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace pw {

// "No items marked/checked" / "Error": what the Delete, Move and Copy commands and
// "Remove from result list" show when no row is marked.
UserMessage noItemsMarked();

// The Copy command's first step: noItemsMarked() when no row is marked, upon which the
// command stops; nullopt otherwise. Copy shows no group warning and leaves the status text
// as it is.
std::optional<UserMessage> checkMarksForCopy(const ResultTable& table);

// One line of the all-marked-group warning: the row's cells and its position in the list.
struct WarningLine {
    std::string fileName;
    std::string size;
    std::string modified;
    std::string version;
    std::string group;
    std::string path;
    int row = 0; // 1-based position in the result list ("Row")
};

// The warning dialog's answer: "1" keep one file of every fully marked group from now on,
// "2" stop warning for the rest of this run, "3" go on with the marks as they now are.
// An empty text means the dialog was closed without a button: the operation stops with
// nothing done. Any other text counts as "3".
// While the dialog is open it may change marks through applyWarningLineCheck.
using WarningCallback = std::function<std::string(const std::vector<WarningLine>& lines)>;

// The first half's outcome: the marked count and size, the status text, and the message
// to show when nothing is marked (then the command stops). `stopped`: a warning was closed
// without an answer; every mark is as it was before the check, no totals were taken and
// the command stops without a word.
struct MarkCheck {
    MarkedTotals totals;
    std::string totalsText;
    std::optional<UserMessage> message; // noItemsMarked()
    bool stopped = false;

    bool proceed() const { return !message.has_value() && !stopped; }
};

// The first half. zeroSize: the zero-size search is the selected method; its rows have no
// groups, never warn and have size 0 in the totals. Otherwise the rows are walked in
// display order; when the marked rows of a group reach the group's size (GroupSizes), the
// warning shows the group's rows (unless keep-all or ignore was answered earlier in this
// call); after keep-all the group's last row in display order is unmarked, now and for
// every later fully marked group without asking. Rows whose group names no group of the
// tables are never warned about. A warning closed without an answer puts back every mark
// this call or the warning changed and stops the walk (MarkCheck::stopped).
MarkCheck checkMarks(ResultTable& table, bool zeroSize, const WarningCallback& warning);

// The second half, after a delete or move that was not cancelled: removes the marked rows
// whose file no longer exists (fileExists; FileExists of the search when empty), then,
// unless zeroSize, the rows of groups left with one row, and refreshes the shading. Group
// numbers are not renumbered. Returns the status text for the marked files still there.
std::string tidyUp(ResultTable& table, bool zeroSize,
                   const std::function<bool(const std::string&)>& fileExists = {});

// The groups that acting on the marks would leave without any file the scan found,
// although they keep one: some of their rows are marked, and every unmarked row fails the
// still-listed check (its file is gone, or changed or replaced since the scan). Groups
// whose every row is marked are the warning's (checkMarks) and are not listed here. In
// order of first appearance; rows without a group never count. One check per unmarked row
// of a group with marks, until one passes.
std::vector<std::int32_t> groupsLosingTheirKeptFiles(const ResultTable& table);

// The question to ask before the marked files are deleted when some groups would be left
// without any file the scan found (groupsLosingTheirKeptFiles), naming the first ten of
// them; nullopt when there are none. A window asks it with Yes and No, No first.
std::optional<UserMessage> keptFilesGoneQuestion(const ResultTable& table);

enum class MarkedOperation { Delete, Move };

// Runs the dialog of the operation (deletion, or move after its destination was chosen)
// and answers whether it was cancelled before a run, upon which the list stays as it is.
using OperationDialog = std::function<bool(MarkedOperation operation, const MarkCheck& check)>;

// What the window shows after ProcessMarkedFiles: the status text last written and the
// message, if any. After a stopped check (MarkCheck::stopped) there is neither: the status
// text stays as it was.
struct ProcessOutcome {
    std::string totalsText;
    std::optional<UserMessage> message;
    bool tidied = false;
    bool stopped = false;
};

// Both halves around the operation's dialog, for the Delete and Move commands.
ProcessOutcome ProcessMarkedFiles(ResultTable& table, MarkedOperation operation, bool zeroSize,
                                  const WarningCallback& warning, const OperationDialog& dialog);

// "Remove from result list": removes every marked row (the files stay), then the rows of
// groups left alone (RemoveLoneRows). noItemsMarked() when no row was marked. The status
// text is not recomputed.
std::optional<UserMessage> RemoveFromResult(ResultTable& table);

} // namespace pw
