#pragma once
// Result rows for real files of a test tree, with the size and time cells the scan would
// have written, so the still-listed check before a delete or move sees them unchanged.

#include "common/format.h"
#include "results/result_table.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>

namespace pw::test {

inline ResultTableRow listedRow(const TempTree& tree, const std::string& relative, int group,
                                bool marked) {
    const std::string full = tree.path(relative);
    struct stat info {};
    if (lstat(full.c_str(), &info) != 0) {
        ADD_FAILURE() << "no file " << full;
    }
    const std::size_t slash = full.rfind('/');
    ResultTableRow row;
    row.cell(kColFileName) = full.substr(slash + 1);
    row.cell(kColSize) = std::to_string(info.st_size);
    row.cell(kColModified) = DateText(info.st_mtime);
    row.cell(kColVersion) = "N/A";
    row.cell(kColGroup) = std::to_string(group);
    row.cell(kColPath) = full.substr(0, slash + 1);
    row.setMarked(marked);
    return row;
}

} // namespace pw::test
