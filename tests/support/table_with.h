#pragma once
// A result table holding the given rows, its change log empty, as a fill would leave it
// for a view that has just shown it.

#include "results/result_table.h"

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

} // namespace pw::test
