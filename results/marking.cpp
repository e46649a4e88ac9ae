#include "results/marking.h"

#include "common/format.h"
#include "common/text.h"
#include "search/sort_array.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace pw {
namespace {

constexpr std::size_t kKeyDigits = 12;

bool validPosition(const ResultTable& table, int position) {
    return position >= 1 && position <= table.rowCount();
}

void setMarks(ResultTable& table, const std::vector<int>& positions, bool marked) {
    for (const int position : positions) {
        if (validPosition(table, position)) {
            table.setMarked(position, marked);
        }
    }
}

void markEveryRow(ResultTable& table, bool marked) {
    for (int position = 1; position <= table.rowCount(); ++position) {
        table.setMarked(position, marked);
    }
}

MarkOutcome totalsOutcome(const MarkedTotals& totals) {
    return MarkOutcome{markedTotalsText(totals), std::nullopt};
}

std::string zeroPadded(std::string digits) {
    if (digits.size() < kKeyDigits) {
        digits.insert(0, kKeyDigits - digits.size(), '0');
    }
    return digits;
}

template <typename Predicate>
MarkOutcome markRowsWhere(ResultTable& table, int selectedPosition, Predicate matches) {
    if (!validPosition(table, selectedPosition)) {
        return {};
    }
    const std::string folder = table.row(selectedPosition).folderText();
    for (int position = 1; position <= table.rowCount(); ++position) {
        if (matches(table.row(position).folderText(), folder)) {
            table.setMarked(position, true);
        }
    }
    return recount(table);
}

} // namespace

std::string markedTotalsText(std::int64_t count, double bytes) {
    return "Total Files Marked " + std::to_string(count) + " Size " + FormatSize(bytes);
}

std::string markedTotalsText(const MarkedTotals& totals) {
    return markedTotalsText(totals.count, totals.bytes);
}

MarkedTotals countMarked(const ResultTable& table) {
    MarkedTotals totals;
    for (const ResultTableRow& row : table.rows()) {
        if (row.marked) {
            ++totals.count;
            totals.bytes += static_cast<double>(row.size);
        }
    }
    return totals;
}

MarkOutcome recount(const ResultTable& table) {
    return totalsOutcome(countMarked(table));
}

MarkOutcome MarkNone(ResultTable& table) {
    markEveryRow(table, false);
    return totalsOutcome(MarkedTotals{});
}

MarkOutcome MarkAll(ResultTable& table) {
    markEveryRow(table, true);
    return recount(table);
}

MarkOutcome MarkSelected(ResultTable& table, const std::vector<int>& selectedPositions) {
    setMarks(table, selectedPositions, true);
    return recount(table);
}

MarkOutcome UnMarkSelected(ResultTable& table, const std::vector<int>& selectedPositions) {
    setMarks(table, selectedPositions, false);
    return recount(table);
}

MarkOutcome MarkAllDuplicates(ResultTable& table) {
    SortCols(table, kColGroup, "Asc");
    MarkedTotals totals;
    GroupKeeper keeper(false);
    std::int32_t previousGroup = 0;
    for (int position = 1; position <= table.rowCount(); ++position) {
        const ResultTableRow& row = table.row(position);
        if (row.group != previousGroup) {
            keeper.close(table, totals);
            previousGroup = row.group;
        }
        table.setMarked(position, true);
        ++totals.count;
        totals.bytes += static_cast<double>(row.size);
        keeper.add(padKey(sortKey(row, kColModified)), position);
    }
    keeper.close(table, totals);
    return totalsOutcome(totals);
}

MarkOutcome MarkAllDuplicatesUpto(ResultTable& table, double limitKB) {
    table.sortKeyColumn = kColSortGrpno;
    table.sortDirection = SortDirection::Ascending;
    table.autoSort = true;
    table.sortRows();
    markEveryRow(table, false);
    MarkedTotals totals;
    std::string previousGroup;
    for (int position = 1; position <= table.rowCount(); ++position) {
        std::string group = cellText(table.row(position), kColGroup);
        if (group == previousGroup) {
            const double size = static_cast<double>(table.row(position).size);
            if (std::fabs((totals.bytes + size) / 1024) > limitKB) {
                break;
            }
            table.setMarked(position, true);
            ++totals.count;
            totals.bytes += size;
        }
        previousGroup = std::move(group);
    }
    // Only grouped rows carry shading; the sort above moved them.
    if (table.grouped()) {
        RefreshColorShade(table);
    }
    return totalsOutcome(totals);
}

MarkOutcome MarkFolder(ResultTable& table, int selectedPosition) {
    return markRowsWhere(
        table, selectedPosition,
        [](const std::string& path, const std::string& folder) { return path == folder; });
}

MarkOutcome MarkFolderAndSubFolders(ResultTable& table, int selectedPosition) {
    return markRowsWhere(table, selectedPosition,
                         [](const std::string& path, const std::string& folder) {
                             return path.starts_with(folder);
                         });
}

MarkOutcome itemClick(ResultTable& table, int selectedPosition, int lastMouseX) {
    if (!onMarkPicture(lastMouseX) || !validPosition(table, selectedPosition)) {
        return {};
    }
    table.setMarked(selectedPosition, !table.row(selectedPosition).marked);
    return recount(table);
}

MarkOutcome markOrUnmarkSelected(ResultTable& table, int focusedPosition,
                                 const std::vector<int>& selectedPositions) {
    if (!validPosition(table, focusedPosition)) {
        return {};
    }
    if (!table.row(focusedPosition).marked) {
        return MarkSelected(table, selectedPositions);
    }
    return UnMarkSelected(table, selectedPositions);
}

void applyWarningLineCheck(ResultTable& table, int rowPosition, bool checked) {
    if (validPosition(table, rowPosition)) {
        table.setMarked(rowPosition, checked);
    }
}

std::optional<UserMessage> warningContinueQuestion(const std::vector<bool>& lineChecked) {
    if (!std::all_of(lineChecked.begin(), lineChecked.end(), [](bool c) { return c; })) {
        return std::nullopt;
    }
    return UserMessage{"You have not made any changes, are you sure you want to continue?\n\n"
                       "It is highly recommended to keep at least one original file",
                       "Confirm"};
}

MaxSizeDialog loadMaxSizeDialog(const SettingsStore& store) {
    const MaxSizeValues stored = loadMaxSizeValues(store);
    const int option = stored.option.value_or(0);
    MaxSizeDialog dialog;
    dialog.option =
        option >= 1 && option <= 3 ? static_cast<MaxSizeOption>(option) : MaxSizeOption::None;
    dialog.text = stored.text;
    dialog.unitIndex = stored.unitIndex >= 0 && stored.unitIndex <= 2 ? stored.unitIndex : -1;
    return dialog;
}

void saveMaxSizeDialog(SettingsStore& store, const MaxSizeDialog& dialog) {
    std::optional<int> option;
    if (dialog.option != MaxSizeOption::None) {
        option = static_cast<int>(dialog.option);
    }
    saveMaxSizeValues(store, {option, dialog.text, dialog.unitIndex});
}

std::optional<UserMessage> acceptMaxSize(const MaxSizeDialog& dialog,
                                         std::optional<double>& maxSizeValue) {
    switch (dialog.option) {
    case MaxSizeOption::None:
        break;
    case MaxSizeOption::Cd:
        maxSizeValue = kCdLimitKB;
        break;
    case MaxSizeOption::Dvd:
        maxSizeValue = kDvdLimitKB;
        break;
    case MaxSizeOption::Specify: {
        const auto amount = readAmount(dialog.text);
        if (!amount) {
            return UserMessage{" type only integer values", "Error"};
        }
        if (dialog.unitIndex == 0) {
            maxSizeValue = *amount;
        } else if (dialog.unitIndex == 1) {
            maxSizeValue = std::trunc(*amount) * 1024;
        } else if (dialog.unitIndex == 2) {
            maxSizeValue = std::trunc(*amount) * 1024 * 1024;
        }
        break;
    }
    }
    return std::nullopt;
}

std::optional<double> readAmount(std::string_view text) {
    if (!isNumeric(text)) {
        return std::nullopt;
    }
    text = trimBlanks(text);
    // from_chars takes no leading plus sign.
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<long long> readWhole(std::string_view text) {
    text = trimBlanks(text);
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::string padKey(std::string_view text) {
    const std::string_view trimmed = trimBlanks(text);
    if (!trimmed.empty() &&
        std::all_of(trimmed.begin(), trimmed.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        // Plain digits keep every digit; going through a double would round long stamps.
        const auto firstSignificant = trimmed.find_first_not_of('0');
        return zeroPadded(std::string(firstSignificant == std::string_view::npos
                                          ? std::string_view("0")
                                          : trimmed.substr(firstSignificant)));
    }
    const auto value = readAmount(text);
    if (!value) {
        return std::string(text);
    }
    // Halves round away from zero, as a number format does.
    const double rounded = std::round(std::fabs(*value));
    char digits[400];
    const auto [end, error] =
        std::to_chars(digits, digits + sizeof digits, rounded, std::chars_format::fixed, 0);
    if (error != std::errc{}) {
        return std::string(text);
    }
    std::string key = zeroPadded(std::string(digits, end));
    if (*value < 0 && rounded != 0) {
        key.insert(0, 1, '-');
    }
    return key;
}

void GroupKeeper::add(std::string_view key, int position) {
    std::string entry(key);
    entry += '?';
    entry += std::to_string(position);
    m_buffer.push_back(std::move(entry));
}

void GroupKeeper::close(ResultTable& table, MarkedTotals& totals) {
    if (m_buffer.empty()) {
        return;
    }
    SortArray(m_buffer, m_ascending, false);
    // The position follows the last "?": a key is never cut short by a "?" of its own.
    const std::string& kept = m_buffer.front();
    const auto position = readWhole(std::string_view(kept).substr(kept.rfind('?') + 1));
    if (position && *position >= 1 && *position <= table.rowCount()) {
        const int row = static_cast<int>(*position);
        table.setMarked(row, false);
        --totals.count;
        totals.bytes -= static_cast<double>(table.row(row).size);
    }
    m_buffer.clear();
}

} // namespace pw
