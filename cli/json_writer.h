#pragma once
// The JSON form of a result list: one object with the closing totals and the listed rows.
// Shared by the scan command and, later, by anything else that lists a result.

#include "results/result_table.h"

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace pw::cli {

struct JsonSummary {
    ScanTotals totals;
    std::string method; // byte, crc, name, zero
    bool fuzzy = false;
};

// Appends `text` as a quoted JSON string. Valid UTF-8 is copied with only the characters
// JSON requires escaped; a text that is not valid UTF-8 is written with every byte as a
// \u00XX escape, so file names made of arbitrary bytes never produce invalid output.
void appendJsonString(std::string& out, std::string_view text);

// Writes {"status", "method", "fuzzy", "files", "folders", "duplicate_count",
// "duplicate_size", "rows": [{"name", "folder", "size", "date", "version", "group"}]},
// with "group" null for rows without a group, and with withMarks a "marked" flag in
// every row. A row whose path (folder and name) is not valid UTF-8 also has "path_bytes":
// the path's exact bytes in base64 with padding.
void writeJson(std::ostream& out, const JsonSummary& summary, const ResultTable& table,
               bool withMarks = false);

} // namespace pw::cli
