#pragma once
// A result table holding the given rows, its change log empty, as a fill would leave it
// for a view that has just shown it; and a column of a table as the list shows it.

#include "results/result_table.h"

#include <string>
#include <vector>

namespace pw::test {

inline ResultTable tableWith(std::vector<ResultTableRow> rows) {
    ResultTable table;
    for (ResultTableRow& row : rows) {
        table.appendRow(std::move(row));
    }
    table.takeChanges();
    return table;
}

// One column's texts, top to bottom.
inline std::vector<std::string> column(const ResultTable& table, int col) {
    std::vector<std::string> out;
    for (const ResultTableRow& row : table.rows()) {
        out.push_back(cellText(row, col));
    }
    return out;
}

} // namespace pw::test
