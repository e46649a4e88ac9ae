#pragma once
// Result-table rows for the marking tests, built from the cells the rules read.

#include "common/format.h"
#include "results/result_table.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace pw::test {

struct RowDef {
    std::string name;
    std::uint64_t size = 0;
    std::string stamp = "20240101120000"; // sortDate
    int group = 1;                        // 0: ungrouped ("N/A")
    std::string path = "/home/u/";
    std::string version = "N/A";
};

inline ResultTableRow makeRow(const RowDef& def) {
    ResultTableRow row;
    row.cell(kColFileName) = def.name;
    row.cell(kColSize) = std::to_string(def.size);
    row.cell(kColModified) = def.stamp;
    row.cell(kColVersion) = def.version;
    row.cell(kColGroup) = def.group > 0 ? std::to_string(def.group) : "N/A";
    row.cell(kColPath) = def.path;
    row.cell(kColSortSize) = SizeKey(def.size);
    row.cell(kColSortDate) = def.stamp;
    if (def.group > 0) {
        char key[16];
        std::snprintf(key, sizeof key, "%011d", def.group);
        row.cell(kColSortGrpno) = key;
    }
    row.cell(kColExt) = std::string(GetExt(def.name));
    return row;
}

inline ResultTable tableOf(const std::vector<RowDef>& defs) {
    ResultTable table;
    for (const RowDef& def : defs) {
        table.rows().push_back(makeRow(def));
    }
    return table;
}

} // namespace pw::test
