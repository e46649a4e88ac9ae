#pragma once
// Result rows for real files of a test tree, with the size, time and identity the scan
// would have listed, so the still-listed check before a delete or move sees them unchanged.

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
    row.name = full.substr(slash + 1);
    row.folder = makeFolderText(full.substr(0, slash + 1));
    row.size = static_cast<std::uint64_t>(info.st_size);
    row.modified = localStamp(info.st_mtime);
    row.group = group;
    row.device = info.st_dev;
    row.inode = info.st_ino;
    row.marked = marked;
    return row;
}

} // namespace pw::test
