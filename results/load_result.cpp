#include "results/load_result.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
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
    m_folders.reserve(expectedRows);
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
        m_table.distinctFolders.push_back(text);
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

// Whether each row's file still exists: a look-up of a whole path per row is most of what
// filling a large list costs. Two helper threads ask it chunk by chunk, in order, while
// the caller fills the table from the chunks already answered. The helpers reach the rows
// through pointers taken up front: the caller frees a row from the front of the deque only
// once its chunk is answered, and freeing the front leaves the other rows in place.
class ExistenceChecks {
public:
    ExistenceChecks(const std::deque<ResultRow>& rows, const FileExistsFn& fileExists)
        : m_fileExists(fileExists), m_exists(rows.size()),
          m_chunks((rows.size() + kChunk - 1) / kChunk), m_answered(m_chunks) {
        m_rows.reserve(rows.size());
        for (const ResultRow& row : rows) {
            m_rows.push_back(&row);
        }
        if (rows.size() < kWorthAThread) {
            work();
            return;
        }
        for (int k = 0; k < kHelpers; ++k) {
            m_helpers.emplace_back([this] { work(); });
        }
    }

    // Whether row i exists; waits until its chunk is answered.
    bool exists(std::size_t i) {
        const std::size_t chunk = i / kChunk;
        if (chunk >= m_knownChunks) {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [this, chunk] { return m_answered[chunk] != 0; });
            while (m_knownChunks < m_chunks && m_answered[m_knownChunks] != 0) {
                ++m_knownChunks;
            }
        }
        return m_exists[i] != 0;
    }

private:
    static constexpr std::size_t kChunk = 2048;
    static constexpr int kHelpers = 2;

    void work() {
        for (std::size_t chunk = m_next++; chunk < m_chunks; chunk = m_next++) {
            const std::size_t end = std::min(m_rows.size(), (chunk + 1) * kChunk);
            for (std::size_t i = chunk * kChunk; i < end; ++i) {
                m_exists[i] = m_fileExists(m_rows[i]->fullPath()) ? 1 : 0;
            }
            std::lock_guard lock(m_mutex);
            m_answered[chunk] = 1;
            m_changed.notify_one();
        }
    }

    const FileExistsFn& m_fileExists;
    std::vector<const ResultRow*> m_rows;
    std::vector<char> m_exists;
    const std::size_t m_chunks;
    std::vector<char> m_answered;  // by chunk, under m_mutex
    std::size_t m_knownChunks = 0; // the caller's: chunks it has seen answered
    std::atomic<std::size_t> m_next{0};
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::jthread> m_helpers; // last: joined before the rest goes
};

} // namespace

ScanOutcome LoadSearchResult(ResultTable& table, ScanResult&& result,
                             const FileExistsFn& fileExists, const TableProgress& progress) {
    returnFreeMemory();
    const std::size_t total = result.rows.size();
    ExistenceChecks checks(result.rows, fileExists);
    TableFill fill(table, result.grouped, total);
    table.searchFolders = std::move(result.searchFolders);
    if (progress) {
        progress("Loading Searched Result...");
    }
    std::int32_t previous = 0;
    bool opened = false;
    for (std::size_t i = 0; i < total; ++i) {
        // Asked before the row is taken: until it is answered, a helper may be reading it.
        const bool exists = checks.exists(i);
        ResultRow row = std::move(result.rows.front());
        result.rows.pop_front();
        // A group opens with its first record, whether or not that file still exists.
        opened = opened || i == 0 || row.group != previous;
        previous = row.group;
        if (exists) {
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
