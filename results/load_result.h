#pragma once
// Filling the result list: from a finished scan (LoadSearchResult), or row by row from a
// session file; both go through TableFill, which numbers the groups, builds the group
// tables and the shading and collects the distinct folders as the rows arrive.

#include "results/result_table.h"
#include "search/scan_types.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace pw {

using FileExistsFn = std::function<bool(const std::string&)>;

// The status text of a long fill.
using TableProgress = std::function<void(const std::string& statusText)>;

// Fills a table from scratch, one row at a time. Every step takes constant time (folders
// are looked up by hash), so a fill is linear in the rows.
class TableFill {
public:
    // Clears the table, sets its mode and makes room for `expectedRows` rows.
    TableFill(ResultTable& table, bool grouped, std::size_t expectedRows);

    // The shared text of a folder: the first row of each folder text adds it to the
    // distinct folders, and every later row of that text shares it.
    FolderText folder(std::string_view text);
    FolderText folder(FolderText text);

    // The group number of the next row in grouped mode: the next number when `opensGroup`
    // (the first row always opens one), else the current one.
    std::int32_t groupFor(bool opensGroup);

    // Appends a row; in grouped mode it is counted in GroupSizes and RowShadeTable.
    void add(ResultTableRow row);

    // Sets GroupCount and installs the shading when the grouped table has rows.
    void finish();

private:
    ResultTable& m_table;
    bool m_grouped;
    std::int32_t m_group = 0;
    std::unordered_map<std::string_view, FolderText> m_folders; // keys view the values
};

// What a scan leaves besides its rows once they are listed.
struct ScanOutcome {
    ScanTotals totals;
    std::vector<FileIssue> issues;
};

// Lists a finished scan: the one call from a scan to its result list, for every front end
// and for a session's re-scan. Hands the scan's freed working memory back to the system,
// clears the table and fills it from the scan's rows, freeing each row as the table takes
// it, so that the scan's rows and the table never both hold the whole result.
//
// A row whose file no longer exists (fileExists false) is left out; a group whose files
// have all vanished takes no number. Grouped rows are numbered 1, 2, 3 ... by the changes
// of their group id; rows of the zero-size listing (result.grouped false) show "N/A" as
// group and version and no "sortGrpno". Progress: "Loading Searched Result..." first,
// then every 500 rows "Loading Searched Result...(i/n)". Runs on the caller's thread;
// `fileExists` is asked from two threads at once for a large result.
ScanOutcome LoadSearchResult(ResultTable& table, ScanResult&& result,
                             const FileExistsFn& fileExists, const TableProgress& progress = {});

} // namespace pw
