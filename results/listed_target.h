#pragma once
// An output file written over a file of the result list would destroy that file while the
// list still shows it as a duplicate of its twin: removing the twin next would lose the
// content for good. The session, export and log writers ask here before they write.

#include "common/file_replace.h"
#include "results/result_table.h"

#include <string>

namespace pw {

// The refusal when writing `path` would replace the file of a row of `table`: the
// directory entry that a write replaces (the end of the path's links) has the row's name,
// device and inode. Ok otherwise, also when `path` is not an existing regular file. A
// row can only be that entry when its name equals the entry's, so only rows of that name
// are looked up (one lstat each): cheap on a table of a million rows.
FileWriteResult refuseListedTarget(const std::string& path, const ResultTable& table);

} // namespace pw
