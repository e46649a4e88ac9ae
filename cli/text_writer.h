#pragma once
// The plain-text forms of a result list: every file group by group, or the marked files.

#include "results/result_table.h"

#include <ostream>

namespace pw::cli {

// Writes the full path of every row in order, one per line, with one empty line between
// two groups. Rows without a group (zero-size listing) follow each other directly.
// Paths are written as the file system's bytes, unchanged.
void writeText(std::ostream& out, const ResultTable& table);

// Writes the full path of every marked row in order, one per line, nothing between them:
// a list to hand to a command that removes files.
void writeMarkedText(std::ostream& out, const ResultTable& table);

} // namespace pw::cli
