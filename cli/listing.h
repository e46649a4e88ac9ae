#pragma once
// The rows a front end lists after a scan, with the group numbers the result list shows.

#include "search/scan_types.h"

#include <functional>
#include <string>
#include <vector>

namespace pw::cli {

struct ListedRow {
    const ResultRow* row = nullptr;
    int group = 0; // 1, 2, 3 ...; 0 for the rows of the zero-size listing
};

using FileExistsFn = std::function<bool(const std::string& fullPath)>;

// The rows of `result` whose files still exist, in result order. In grouped mode a record
// opens a group when it is the first or its group toggle differs from the previous
// record's, whether or not that record's file still exists; a group is numbered only once
// one of its files is listed, so a group whose files have all vanished takes no number.
std::vector<ListedRow> listResult(const ScanResult& result, const FileExistsFn& fileExists);

} // namespace pw::cli
