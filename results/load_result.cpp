#include "results/load_result.h"

#include <deque>
#include <thread>
#include <utility>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace pw {
namespace {

constexpr std::size_t kProgressEvery = 500;
constexpr std::size_t kWorthAThread = 5000;

// The scan's working set (candidates, listings, read buffers) is free by the time its
// result arrives, but the allocator may still hold it; handed back now, it does not add
// to the table about to be built.
void returnFreeMemory() {
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

} // namespace

TableFill::TableFill(ResultTable& table, bool grouped, std::size_t expectedRows)
    : m_table(table), m_grouped(grouped) {
    m_table.clear();
    m_table.setGrouped(grouped);
    m_table.reserveRows(expectedRows);
}

FolderText TableFill::folder(std::string_view text) {
    if (const auto it = m_folders.find(text); it != m_folders.end()) {
        return it->second;
    }
    return folder(makeFolderText(std::string(text)));
}

FolderText TableFill::folder(FolderText text) {
    const auto [it, added] = m_folders.try_emplace(std::string_view(*text), text);
    if (added) {
        m_table.distinctFolders.push_back(*text);
    }
    return it->second;
}

std::int32_t TableFill::groupFor(bool opensGroup) {
    if (opensGroup || m_group == 0) {
        ++m_group;
        m_table.GroupSizes.push_back(0);
    }
    return m_group;
}

void TableFill::add(ResultTableRow row) {
    if (m_grouped) {
        ++m_table.GroupSizes[static_cast<std::size_t>(row.group)];
        m_table.RowShadeTable.push_back(row.group);
    }
    m_table.appendRow(std::move(row));
}

void TableFill::finish() {
    m_table.GroupCount = m_group;
    m_table.ShadingOff = false;
    if (m_grouped) {
        m_table.RowShadeTable.push_back(0); // positions 0 to the row count
        m_table.shadingInstalled = m_table.rowCount() > 0;
    }
}

namespace {

// Whether each row's file still exists, asked on two threads: a look-up of a whole path
// per row is most of what filling a large list costs.
std::vector<char> stillExisting(const std::deque<ResultRow>& rows, const FileExistsFn& fileExists) {
    std::vector<char> exists(rows.size());
    auto check = [&rows, &exists, &fileExists](std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to; ++i) {
            exists[i] = fileExists(rows[i].fullPath()) ? 1 : 0;
        }
    };
    const std::size_t half = rows.size() / 2;
    if (half < kWorthAThread) {
        check(0, rows.size());
        return exists;
    }
    std::jthread other(check, half, rows.size());
    check(0, half);
    return exists;
}

} // namespace

ScanOutcome LoadSearchResult(ResultTable& table, ScanResult&& result,
                             const FileExistsFn& fileExists, const TableProgress& progress) {
    returnFreeMemory();
    const std::size_t total = result.rows.size();
    const std::vector<char> exists = stillExisting(result.rows, fileExists);
    TableFill fill(table, result.grouped, total);
    table.searchFolders = std::move(result.searchFolders);
    if (progress) {
        progress("Loading Searched Result...");
    }
    std::int32_t previous = 0;
    bool opened = false;
    for (std::size_t i = 0; i < total; ++i) {
        ResultRow row = std::move(result.rows.front());
        result.rows.pop_front();
        // A group opens with its first record, whether or not that file still exists.
        opened = opened || i == 0 || row.group != previous;
        previous = row.group;
        if (exists[i] != 0) {
            const std::int32_t group = result.grouped ? fill.groupFor(opened) : 0;
            opened = false;
            row.folder = fill.folder(std::move(row.folder));
            fill.add(makeTableRow(std::move(row), group));
        }
        if (progress && (i + 1) % kProgressEvery == 0) {
            progress("Loading Searched Result...(" + std::to_string(i + 1) + "/" +
                     std::to_string(total) + ")");
        }
    }
    fill.finish();
    return {result.totals, std::move(result.issues)};
}

} // namespace pw
