#include "results/result_table.h"

#include "common/text.h"

#include <algorithm>
#include <numeric>
#include <utility>

namespace pw {
namespace {

// A log nobody takes stops growing: past this many changes it becomes one reset.
constexpr std::size_t kMaxChanges = 64;

// Which column a click on a header sorts by: the hidden key columns stand in for the
// columns whose text does not sort by value. The hidden columns themselves keep the key.
int keyColumnFor(int clicked, int current) {
    switch (clicked) {
    case kColSortSize:
    case kColSortDate:
    case kColSortGrpno:
        return current;
    default:
        return keyColumnOf(clicked);
    }
}

bool coalesces(TableChange::Kind kind) {
    return kind == TableChange::Kind::Marks || kind == TableChange::Kind::Cells ||
           kind == TableChange::Kind::Shading;
}

// Puts the rows into the order `order` gives (order[k] is the old index of the row that
// goes to index k), one move per row, without a second copy of the table.
void permute(std::vector<ResultTableRow>& rows, std::vector<std::size_t>& order) {
    for (std::size_t start = 0; start < rows.size(); ++start) {
        if (order[start] == start) {
            continue;
        }
        ResultTableRow held = std::move(rows[start]);
        std::size_t k = start;
        for (;;) {
            const std::size_t from = order[k];
            order[k] = k;
            if (from == start) {
                rows[k] = std::move(held);
                break;
            }
            rows[k] = std::move(rows[from]);
            k = from;
        }
    }
}

} // namespace

void ResultTable::record(TableChange change) {
    using Kind = TableChange::Kind;
    if (change.kind == Kind::Reset || m_changes.size() >= kMaxChanges) {
        m_changes.assign(1, TableChange{});
        return;
    }
    if (!m_changes.empty()) {
        TableChange& last = m_changes.back();
        if (last.kind == Kind::Reset) {
            return; // the view shows the table afresh anyway
        }
        if (last.kind == change.kind && coalesces(change.kind)) {
            last.first = std::min(last.first, change.first);
            last.last = std::max(last.last, change.last);
            return;
        }
        if (last.kind == Kind::Reordered && change.kind == Kind::Reordered) {
            for (int& position : last.newPositions) {
                position = change.newPositions[static_cast<std::size_t>(position - 1)];
            }
            return;
        }
    }
    m_changes.push_back(std::move(change));
}

std::vector<TableChange> ResultTable::takeChanges() {
    return std::exchange(m_changes, {});
}

void ResultTable::appendRow(ResultTableRow row) {
    m_rows.push_back(std::move(row));
    record({});
}

void ResultTable::setMarked(int position, bool marked) {
    ResultTableRow& row = m_rows[static_cast<std::size_t>(position - 1)];
    if (row.marked != marked) {
        row.marked = marked;
        record({TableChange::Kind::Marks, position, position, {}, {}});
    }
}

void ResultTable::setFileName(int position, std::string name) {
    m_rows[static_cast<std::size_t>(position - 1)].name = std::move(name);
    record({TableChange::Kind::Cells, position, position, {}, {}});
}

int ResultTable::removeRows(const std::function<bool(const ResultTableRow&)>& remove) {
    TableChange change{TableChange::Kind::Removed, 0, 0, {}, {}};
    std::size_t kept = 0;
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        if (remove(m_rows[i])) {
            change.positions.push_back(static_cast<int>(i) + 1);
        } else {
            if (kept != i) {
                m_rows[kept] = std::move(m_rows[i]);
            }
            ++kept;
        }
    }
    m_rows.erase(m_rows.begin() + static_cast<std::ptrdiff_t>(kept), m_rows.end());
    const int removed = static_cast<int>(change.positions.size());
    if (removed > 0) {
        record(std::move(change));
    }
    return removed;
}

std::vector<std::string> ResultTable::distinctFolderTexts() const {
    std::vector<std::string> texts;
    texts.reserve(distinctFolders.size());
    for (const FolderText& folder : distinctFolders) {
        texts.push_back(*folder);
    }
    return texts;
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
    record({});
}

void ResultTable::sortRows() {
    if (!autoSort) {
        return;
    }
    const std::size_t count = m_rows.size();
    std::vector<std::string> keys;
    keys.reserve(count);
    for (const ResultTableRow& row : m_rows) {
        keys.push_back(sortKey(row, sortKeyColumn));
    }
    std::vector<std::size_t> order(count);
    std::iota(order.begin(), order.end(), std::size_t{0});
    const bool ascending = sortDirection == SortDirection::Ascending;
    std::stable_sort(order.begin(), order.end(), [&keys, ascending](std::size_t a, std::size_t b) {
        const int c = compareText(keys[a], keys[b]);
        return ascending ? c < 0 : c > 0;
    });
    keys = {};
    TableChange change{TableChange::Kind::Reordered, 0, 0, {}, std::vector<int>(count)};
    for (std::size_t k = 0; k < count; ++k) {
        change.newPositions[order[k]] = static_cast<int>(k) + 1;
    }
    permute(m_rows, order);
    record(std::move(change));
}

bool ResultTable::shaded(int zeroBasedPosition) const {
    if (!shadingInstalled || ShadingOff || zeroBasedPosition < 0 ||
        static_cast<std::size_t>(zeroBasedPosition) >= RowShadeTable.size()) {
        return false;
    }
    return RowShadeTable[static_cast<std::size_t>(zeroBasedPosition)] % 2 == 0;
}

void RefreshColorShade(ResultTable& table) {
    if (table.rowCount() == 0) {
        return;
    }
    table.RowShadeTable.assign(static_cast<std::size_t>(table.rowCount()) + 1, 0);
    table.ShadingOff = false;
    std::int32_t run = 0;
    std::int32_t previous = 0;
    for (std::size_t p = 0; p < table.m_rows.size(); ++p) {
        const std::int32_t group = table.m_rows[p].group;
        if (group != previous) {
            previous = group;
            ++run;
        }
        table.RowShadeTable[p] = run;
    }
    table.shadingInstalled = true;
    table.record({TableChange::Kind::Shading, 1, table.rowCount(), {}, {}});
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
    // A group id beyond the row count names no group the tables could size.
    const auto limit = static_cast<std::int64_t>(table.rowCount());
    auto& sizes = table.GroupSizes;
    sizes.assign(1, 0);
    for (const ResultTableRow& row : table.rows()) {
        if (row.group < 1 || row.group > limit) {
            continue;
        }
        if (sizes.size() <= static_cast<std::size_t>(row.group)) {
            sizes.resize(static_cast<std::size_t>(row.group) + 1, 0);
        }
        ++sizes[static_cast<std::size_t>(row.group)];
    }
    table.removeRows([&sizes, limit](const ResultTableRow& row) {
        return row.group >= 1 && row.group <= limit &&
               sizes[static_cast<std::size_t>(row.group)] == 1;
    });
    RefreshColorShade(table);
}

} // namespace pw
