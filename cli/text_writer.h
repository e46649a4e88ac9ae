#pragma once
// The plain-text form of a result list: one full path per line, groups apart.

#include "cli/listing.h"

#include <ostream>
#include <vector>

namespace pw::cli {

// Writes the full path of every listed row in order, one per line, with one empty line
// between two groups. Rows without a group (zero-size listing) follow each other directly.
// Paths are written as the file system's bytes, unchanged.
void writeText(std::ostream& out, const std::vector<ListedRow>& rows);

} // namespace pw::cli
