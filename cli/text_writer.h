#pragma once
// The plain-text forms of a result list: every file group by group, or the marked files.

#include "results/result_table.h"

#include <ostream>

namespace pw::cli {

// How each path of the text output ends. Newline: a path that could be misread
// (needsQuoting) is written in $'...' quoting, so that every line is exactly one path.
// Nul (-0): every path is written as its bytes and ended by a NUL byte; an empty entry
// (one more NUL) stands where Newline writes an empty line.
enum class PathEnd { Newline, Nul };

// Writes the full path of every row in order, one per entry, with one empty entry between
// two groups. Rows without a group (zero-size listing) follow each other directly.
// Returns whether a path was quoted.
bool writeText(std::ostream& out, const ResultTable& table, PathEnd end = PathEnd::Newline);

// Writes the full path of every marked row in order, one per entry, nothing between them:
// a list to hand to a command that removes files. Returns whether a path was quoted.
bool writeMarkedText(std::ostream& out, const ResultTable& table, PathEnd end = PathEnd::Newline);

} // namespace pw::cli
