#include "fileops/process_marked.h"

#include "common/file_helpers.h"
#include "fileops/shell.h"

#include <map>
#include <utility>

namespace pw {
namespace {

WarningLine warningLine(const ResultTable& table, int position) {
    const ResultTableRow& row = table.row(position);
    return {cellText(row, kColFileName),
            cellText(row, kColSize),
            cellText(row, kColModified),
            cellText(row, kColVersion),
            cellText(row, kColGroup),
            cellText(row, kColPath),
            position};
}

enum class WarningAnswer { KeepAll, Ignore, Continue, Stop };

WarningAnswer readAnswer(const std::string& answer) {
    if (answer.empty()) {
        return WarningAnswer::Stop;
    }
    if (answer == "1") {
        return WarningAnswer::KeepAll;
    }
    if (answer == "2") {
        return WarningAnswer::Ignore;
    }
    return WarningAnswer::Continue;
}

// Where the rows of each group stand, in display order, gathered in one pass: a warning
// shows a group's rows without walking the whole list again.
class GroupPositions {
public:
    GroupPositions(const ResultTable& table, std::int32_t groupCount)
        : m_groupCount(groupCount), m_start(static_cast<std::size_t>(groupCount) + 2, 0) {
        for (const ResultTableRow& row : table.rows()) {
            if (known(row.group)) {
                ++m_start[static_cast<std::size_t>(row.group) + 1];
            }
        }
        for (std::size_t g = 1; g < m_start.size(); ++g) {
            m_start[g] += m_start[g - 1];
        }
        m_positions.resize(m_start.back());
        std::vector<std::size_t> next(m_start.begin(), m_start.end() - 1);
        for (int p = 1; p <= table.rowCount(); ++p) {
            const std::int32_t group = table.row(p).group;
            if (known(group)) {
                m_positions[next[static_cast<std::size_t>(group)]++] = p;
            }
        }
    }

    bool known(std::int32_t group) const { return group >= 1 && group <= m_groupCount; }

    // The group's rows at or above `last`. In group order these are the rows ending at
    // `last`; after a sort by another column they stand apart, and taking the rows just
    // above `last` would show, and let the user unmark, files of other groups.
    std::vector<WarningLine> lines(const ResultTable& table, std::int32_t group, int last) const {
        std::vector<WarningLine> out;
        const auto g = static_cast<std::size_t>(group);
        for (std::size_t k = m_start[g]; k < m_start[g + 1] && m_positions[k] <= last; ++k) {
            out.push_back(warningLine(table, m_positions[k]));
        }
        return out;
    }

private:
    std::int32_t m_groupCount;
    std::vector<std::size_t> m_start; // group g's rows: m_positions[m_start[g], m_start[g+1])
    std::vector<int> m_positions;
};

// Puts every row's mark back as `marks` holds it.
void restoreMarks(ResultTable& table, const std::vector<bool>& marks) {
    for (int p = 1; p <= table.rowCount(); ++p) {
        if (table.row(p).marked != marks[static_cast<std::size_t>(p - 1)]) {
            table.setMarked(p, marks[static_cast<std::size_t>(p - 1)]);
        }
    }
}

// Returns false when a warning was closed without an answer; the marks are then as they
// were before the call.
bool warnAboutFullGroups(ResultTable& table, const WarningCallback& warning) {
    const auto groupCount = static_cast<std::int32_t>(table.GroupSizes.size()) - 1;
    const GroupPositions positions(table, groupCount);
    std::vector<bool> marksBefore;
    marksBefore.reserve(table.rows().size());
    for (const ResultTableRow& row : table.rows()) {
        marksBefore.push_back(row.marked);
    }
    std::vector<std::int32_t> markedCounts(table.GroupSizes.size(), 0);
    bool keepAll = false;
    bool ignore = false;
    for (int i = 1; i <= table.rowCount(); ++i) {
        const std::int32_t g = table.row(i).group;
        if (!positions.known(g) || table.GroupSizes[static_cast<std::size_t>(g)] < 1) {
            continue;
        }
        const auto index = static_cast<std::size_t>(g);
        if (table.row(i).marked) {
            ++markedCounts[index];
        }
        if (markedCounts[index] != table.GroupSizes[index]) {
            continue;
        }
        if (!keepAll && !ignore) {
            switch (readAnswer(warning(positions.lines(table, g, i)))) {
            case WarningAnswer::KeepAll:
                keepAll = true;
                break;
            case WarningAnswer::Ignore:
                ignore = true;
                break;
            case WarningAnswer::Continue:
                break;
            case WarningAnswer::Stop:
                restoreMarks(table, marksBefore);
                return false;
            }
        }
        if (keepAll) {
            table.setMarked(i, false);
        }
    }
    return true;
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
        if (!warnAboutFullGroups(table, warning)) {
            check.stopped = true;
            return check;
        }
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
    table.removeRows([&remaining, &fileExists](const ResultTableRow& row) {
        if (!row.marked) {
            return false;
        }
        const std::string path = row.fullPath();
        if (!(fileExists ? fileExists(path) : FileExists(path))) {
            return true;
        }
        ++remaining.count;
        remaining.bytes += static_cast<double>(row.size);
        return false;
    });
    if (!zeroSize) {
        RemoveLoneRows(table);
    }
    return markedTotalsText(remaining);
}

std::vector<std::int32_t> groupsLosingTheirKeptFiles(const ResultTable& table) {
    struct Group {
        bool marked = false;
        bool unmarked = false;
        bool keeps = false; // an unmarked row still names the file the scan listed
    };
    std::vector<std::int32_t> order;
    std::map<std::int32_t, Group> groups;
    for (const ResultTableRow& row : table.rows()) {
        if (row.group <= 0) {
            continue;
        }
        Group& group = groups[row.group];
        if (row.marked && !std::exchange(group.marked, true)) {
            order.push_back(row.group);
        }
        group.unmarked |= !row.marked;
    }
    for (const ResultTableRow& row : table.rows()) {
        const auto found = groups.find(row.group);
        if (!row.marked && found != groups.end() && found->second.marked && !found->second.keeps) {
            found->second.keeps = verifyListed(table, row) == ListedState::Unchanged;
        }
    }
    std::erase_if(order, [&groups](std::int32_t number) {
        const Group& group = groups[number];
        return !group.unmarked || group.keeps;
    });
    return order;
}

std::optional<UserMessage> keptFilesGoneQuestion(const ResultTable& table) {
    constexpr std::size_t kNamed = 10;
    const std::vector<std::int32_t> groups = groupsLosingTheirKeptFiles(table);
    if (groups.empty()) {
        return std::nullopt;
    }
    std::string names;
    for (std::size_t k = 0; k < std::min(groups.size(), kNamed); ++k) {
        names += (k == 0 ? "" : ", ") + std::to_string(groups[k]);
    }
    if (groups.size() > kNamed) {
        names += " and " + std::to_string(groups.size() - kNamed) + " more";
    }
    return UserMessage{(groups.size() == 1 ? "In group " : "In groups ") + names +
                           ", the files left unmarked are gone or have changed since the scan: "
                           "deleting the marked files would leave no copy of what the scan "
                           "found.\n\nDelete the marked files anyway?",
                       "Warning!"};
}

ProcessOutcome ProcessMarkedFiles(ResultTable& table, MarkedOperation operation, bool zeroSize,
                                  const WarningCallback& warning, const OperationDialog& dialog) {
    const MarkCheck check = checkMarks(table, zeroSize, warning);
    ProcessOutcome outcome{check.totalsText, check.message, false, check.stopped};
    if (!check.proceed() || dialog(operation, check)) {
        return outcome;
    }
    outcome.totalsText = tidyUp(table, zeroSize);
    outcome.tidied = true;
    return outcome;
}

std::optional<UserMessage> RemoveFromResult(ResultTable& table) {
    if (table.removeRows([](const ResultTableRow& row) { return row.marked; }) == 0) {
        return noItemsMarked();
    }
    RemoveLoneRows(table);
    return std::nullopt;
}

} // namespace pw
