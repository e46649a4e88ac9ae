#include "fileops/process_marked.h"

#include "common/file_helpers.h"

namespace pw {
namespace {

WarningLine warningLine(const ResultTable& table, int position) {
    const ResultTableRow& row = table.row(position);
    return {row.cell(kColFileName),
            row.cell(kColSize),
            row.cell(kColModified),
            row.cell(kColVersion),
            row.cell(kColGroup),
            row.cell(kColPath),
            position};
}

enum class WarningAnswer { KeepAll, Ignore, Continue };

WarningAnswer readAnswer(const std::string& answer) {
    if (answer == "1") {
        return WarningAnswer::KeepAll;
    }
    if (answer == "2") {
        return WarningAnswer::Ignore;
    }
    return WarningAnswer::Continue;
}

// The group's rows at or above `last`. In group order these are the `size` rows ending at
// `last`; after a sort by another column they stand apart, and taking the rows just above
// `last` would show, and let the user unmark, files of other groups.
std::vector<WarningLine> groupLines(const ResultTable& table, std::int64_t group, int last) {
    std::vector<WarningLine> lines;
    for (int p = 1; p <= last; ++p) {
        if (table.row(p).group() == group) {
            lines.push_back(warningLine(table, p));
        }
    }
    return lines;
}

void warnAboutFullGroups(ResultTable& table, const WarningCallback& warning) {
    const std::int64_t groupCount = static_cast<std::int64_t>(table.GroupSizes.size()) - 1;
    std::vector<std::int32_t> markedCounts(table.GroupSizes.size(), 0);
    bool keepAll = false;
    bool ignore = false;
    for (int i = 1; i <= table.rowCount(); ++i) {
        const std::int64_t g = table.row(i).group();
        if (g < 1 || g > groupCount || table.GroupSizes[static_cast<std::size_t>(g)] < 1) {
            continue;
        }
        const auto index = static_cast<std::size_t>(g);
        if (table.row(i).marked()) {
            ++markedCounts[index];
        }
        if (markedCounts[index] != table.GroupSizes[index]) {
            continue;
        }
        if (!keepAll && !ignore) {
            switch (readAnswer(warning(groupLines(table, g, i)))) {
            case WarningAnswer::KeepAll:
                keepAll = true;
                break;
            case WarningAnswer::Ignore:
                ignore = true;
                break;
            case WarningAnswer::Continue:
                break;
            }
        }
        if (keepAll) {
            table.row(i).setMarked(false);
        }
    }
}

} // namespace

UserMessage noItemsMarked() {
    return {"No items marked/checked", "Error"};
}

std::optional<UserMessage> checkMarksForCopy(const ResultTable& table) {
    if (countMarked(table).count == 0) {
        return noItemsMarked();
    }
    return std::nullopt;
}

MarkCheck checkMarks(ResultTable& table, bool zeroSize, const WarningCallback& warning) {
    MarkCheck check;
    if (zeroSize) {
        check.totals.count = countMarked(table).count;
    } else {
        warnAboutFullGroups(table, warning);
        check.totals = countMarked(table);
    }
    check.totalsText = markedTotalsText(check.totals);
    if (check.totals.count == 0) {
        check.message = noItemsMarked();
    }
    return check;
}

std::string tidyUp(ResultTable& table, bool zeroSize,
                   const std::function<bool(const std::string&)>& fileExists) {
    MarkedTotals remaining;
    for (int p = table.rowCount(); p >= 1; --p) {
        const ResultTableRow& row = table.row(p);
        if (!row.marked()) {
            continue;
        }
        const std::string path = row.fullPath();
        if (fileExists ? fileExists(path) : FileExists(path)) {
            ++remaining.count;
            remaining.bytes += static_cast<double>(row.size());
        } else {
            table.removeRow(p);
        }
    }
    if (!zeroSize) {
        RemoveLoneRows(table);
    }
    return markedTotalsText(remaining);
}

ProcessOutcome ProcessMarkedFiles(ResultTable& table, MarkedOperation operation, bool zeroSize,
                                  const WarningCallback& warning, const OperationDialog& dialog) {
    const MarkCheck check = checkMarks(table, zeroSize, warning);
    ProcessOutcome outcome{check.totalsText, check.message, false};
    if (!check.proceed() || dialog(operation, check)) {
        return outcome;
    }
    outcome.totalsText = tidyUp(table, zeroSize);
    outcome.tidied = true;
    return outcome;
}

std::optional<UserMessage> RemoveFromResult(ResultTable& table) {
    int removed = 0;
    for (int p = table.rowCount(); p >= 1; --p) {
        if (table.row(p).marked()) {
            table.removeRow(p);
            ++removed;
        }
    }
    if (removed == 0) {
        return noItemsMarked();
    }
    RemoveLoneRows(table);
    return std::nullopt;
}

} // namespace pw
