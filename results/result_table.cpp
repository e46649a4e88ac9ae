#include "results/result_table.h"

#include "common/format.h"
#include "common/text.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace pw {
namespace {

constexpr std::size_t kProgressEvery = 500;

std::string groupNumberKey(std::int64_t group) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%011lld", static_cast<long long>(group));
    return buffer;
}

// Which column a click on a header sorts by: the hidden key columns stand in for the
// columns whose text does not sort by value. The hidden columns themselves keep the key.
int keyColumnFor(int clicked, int current) {
    switch (clicked) {
    case kColSize:
        return kColSortSize;
    case kColModified:
        return kColSortDate;
    case kColGroup:
        return kColSortGrpno;
    case kColSortSize:
    case kColSortDate:
    case kColSortGrpno:
        return current;
    default:
        return clicked;
    }
}

} // namespace

const std::array<std::string_view, kColumnCount> kColumnCaptions = {
    "File Name", "Size(Bytes)", "Last Modified.", "File Version", "Group",
    "Path",      "sortSize",    "sortDate",       "sortGrpno",    "Ext"};

std::uint64_t ResultTableRow::size() const {
    return static_cast<std::uint64_t>(std::max<std::int64_t>(leadingNumber(cell(kColSize)), 0));
}

std::int64_t ResultTableRow::group() const {
    const std::string_view text = trimBlanks(cell(kColGroup));
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc{} && end == text.data() + text.size() ? value : 0;
}

void ResultTable::removeRow(int position) {
    m_rows.erase(m_rows.begin() + (position - 1));
}

void ResultTable::clear() {
    m_rows.clear();
    GroupSizes.assign(1, 0);
    GroupCount = 0;
    RowShadeTable.clear();
    ShadingOff = false;
    shadingInstalled = false;
    distinctFolders.clear();
    searchFolders.clear();
    autoSort = false;
    headerPictures.fill(kNoHeaderPicture);
}

void ResultTable::sortRows() {
    if (!autoSort) {
        return;
    }
    const int column = sortKeyColumn;
    const bool ascending = sortDirection == SortDirection::Ascending;
    std::stable_sort(m_rows.begin(), m_rows.end(),
                     [column, ascending](const ResultTableRow& a, const ResultTableRow& b) {
                         const int c = compareText(a.cell(column), b.cell(column));
                         return ascending ? c < 0 : c > 0;
                     });
}

bool ResultTable::shaded(int zeroBasedPosition) const {
    if (!shadingInstalled || ShadingOff || zeroBasedPosition < 0 ||
        static_cast<std::size_t>(zeroBasedPosition) >= RowShadeTable.size()) {
        return false;
    }
    return RowShadeTable[static_cast<std::size_t>(zeroBasedPosition)] % 2 == 0;
}

ResultTableRow makeTableRow(const ResultRow& row, std::int64_t group) {
    ResultTableRow out;
    out.cell(kColFileName) = row.name;
    out.cell(kColSize) = std::to_string(row.size);
    out.cell(kColModified) = row.dateText;
    out.cell(kColVersion) = group > 0 ? row.version : "N/A";
    out.cell(kColGroup) = group > 0 ? std::to_string(group) : "N/A";
    out.cell(kColPath) = row.folder;
    out.cell(kColSortSize) = row.sizeKey;
    out.cell(kColSortDate) = SortDateText(row.mtime);
    if (group > 0) {
        out.cell(kColSortGrpno) = groupNumberKey(group);
    }
    out.cell(kColExt) = std::string(GetExt(row.name));
    return out;
}

void LoadSearchResult(ResultTable& table, const ScanResult& result,
                      const std::function<bool(const std::string&)>& fileExists,
                      const TableProgress& progress) {
    table.setGrouped(result.grouped);
    table.searchFolders = result.searchFolders;
    table.rows().reserve(table.rows().size() + result.rows.size());
    table.GroupSizes.assign(1, 0);
    table.RowShadeTable.assign(result.rows.size() + 1, 0);
    if (progress) {
        progress("Loading Searched Result...");
    }
    std::int64_t group = 0;
    bool opened = false;
    const std::size_t total = result.rows.size();
    for (std::size_t i = 0; i < total; ++i) {
        const ResultRow& row = result.rows[i];
        // A group opens with its first record, whether or not that file still exists.
        if (i == 0 || row.groupToggle != result.rows[i - 1].groupToggle) {
            opened = true;
        }
        if (fileExists(row.fullPath())) {
            if (result.grouped && opened) {
                ++group;
                table.GroupSizes.push_back(0);
            }
            opened = false;
            table.rows().push_back(makeTableRow(row, result.grouped ? group : 0));
            if (result.grouped) {
                ++table.GroupSizes[static_cast<std::size_t>(group)];
                table.RowShadeTable[static_cast<std::size_t>(table.rowCount() - 1)] =
                    static_cast<std::int32_t>(group);
                if (std::find(table.distinctFolders.begin(), table.distinctFolders.end(),
                              row.folder) == table.distinctFolders.end()) {
                    table.distinctFolders.push_back(row.folder);
                }
            }
        }
        if (progress && (i + 1) % kProgressEvery == 0) {
            progress("Loading Searched Result...(" + std::to_string(i + 1) + "/" +
                     std::to_string(total) + ")");
        }
    }
    table.GroupCount = static_cast<std::int32_t>(group);
    table.ShadingOff = false;
    table.shadingInstalled = result.grouped && table.rowCount() > 0;
}

void RefreshColorShade(ResultTable& table) {
    if (table.rowCount() == 0) {
        return;
    }
    table.RowShadeTable.assign(static_cast<std::size_t>(table.rowCount()) + 1, 0);
    table.ShadingOff = false;
    std::int32_t run = 0;
    std::int64_t previous = 0;
    for (int p = 0; p < table.rowCount(); ++p) {
        const std::int64_t group = table.rows()[static_cast<std::size_t>(p)].group();
        if (group != previous) {
            previous = group;
            ++run;
        }
        table.RowShadeTable[static_cast<std::size_t>(p)] = run;
    }
    table.shadingInstalled = true;
}

void SortCols(ResultTable& table, int column, std::string_view sortOrder) {
    if (column < 1 || column > kColumnCount) {
        return;
    }
    table.headerPictures.fill(kNoHeaderPicture);
    table.sortKeyColumn = keyColumnFor(column, table.sortKeyColumn);
    table.autoSort = true;
    auto& picture = table.headerPictures[static_cast<std::size_t>(column - 1)];
    if (sortOrder != "None") {
        table.sortDirection = SortDirection::Ascending;
        picture = kAscendingPicture;
    } else if (table.sortDirection == SortDirection::Ascending) {
        table.sortDirection = SortDirection::Descending;
        picture = kDescendingPicture;
    } else {
        table.sortDirection = SortDirection::Ascending;
        picture = kAscendingPicture;
    }
    table.sortRows();
    if (table.grouped()) {
        RefreshColorShade(table);
    }
}

void RemoveLoneRows(ResultTable& table) {
    if (!table.grouped()) {
        return;
    }
    // Group numbers come from the table itself; one that is not a plausible number (it
    // cannot exceed the number of rows) is counted as nothing, so it sizes nothing.
    table.GroupSizes.assign(1, 0);
    const auto limit = static_cast<std::int64_t>(table.rowCount());
    for (const ResultTableRow& row : table.rows()) {
        const std::int64_t group = row.group();
        if (group < 1 || group > limit) {
            continue;
        }
        if (static_cast<std::int64_t>(table.GroupSizes.size()) <= group) {
            table.GroupSizes.resize(static_cast<std::size_t>(group) + 1, 0);
        }
        ++table.GroupSizes[static_cast<std::size_t>(group)];
    }
    for (int p = table.rowCount(); p >= 1; --p) {
        const std::int64_t group = table.row(p).group();
        if (group >= 1 && group <= limit &&
            table.GroupSizes[static_cast<std::size_t>(group)] == 1) {
            table.removeRow(p);
        }
    }
    RefreshColorShade(table);
}

} // namespace pw
