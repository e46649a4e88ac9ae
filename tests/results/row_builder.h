#pragma once
// Result-table rows for the marking tests, built from the values the rules read.

#include "results/result_table.h"
#include "support/table_with.h"

#include <cstdint>
#include <string>
#include <vector>

namespace pw::test {

struct RowDef {
    std::string name;
    std::uint64_t size = 0;
    std::string stamp = "20240101120000"; // the time as its sortDate text
    int group = 1;                        // 0: ungrouped ("N/A")
    std::string path = "/home/u/";
    std::string version = "N/A";
};

// "yyyymmddhhnnss" as the fields of a local time.
inline LocalStamp stampOf(const std::string& digits) {
    const auto part = [&digits](std::size_t pos, std::size_t length) {
        return std::stoi(digits.substr(pos, length));
    };
    return {part(0, 4),
            static_cast<std::uint8_t>(part(4, 2)),
            static_cast<std::uint8_t>(part(6, 2)),
            static_cast<std::uint8_t>(part(8, 2)),
            static_cast<std::uint8_t>(part(10, 2)),
            static_cast<std::uint8_t>(part(12, 2))};
}

inline ResultTableRow makeRow(const RowDef& def) {
    ResultTableRow row;
    row.name = def.name;
    row.folder = makeFolderText(def.path);
    row.size = def.size;
    row.modified = stampOf(def.stamp);
    row.version = def.version;
    row.group = def.group;
    return row;
}

// A table of those rows with an empty change log; each row's inode tells it apart.
inline ResultTable tableOf(const std::vector<RowDef>& defs) {
    std::vector<ResultTableRow> rows;
    for (const RowDef& def : defs) {
        rows.push_back(makeRow(def));
        rows.back().inode = rows.size();
    }
    return tableWith(std::move(rows));
}

// The names of the marked rows in list order.
inline std::vector<std::string> markedNames(const ResultTable& table) {
    std::vector<std::string> names;
    for (const ResultTableRow& row : table.rows()) {
        if (row.marked) {
            names.push_back(row.name);
        }
    }
    return names;
}

} // namespace pw::test
