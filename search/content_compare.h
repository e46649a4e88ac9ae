#pragma once
// Partitioning one run of same-size files by content, for the three content methods.
// Each function takes the run's files (all of one listed size) in candidate order and
// returns the duplicate groups: every group lists run indices in ascending order, groups
// are ordered by their first member and only groups of two or more are returned. That is
// the order in which a pairwise walk (each remaining file against every later one, a
// match leaving the run) opens and fills its groups. Files that cannot be read, or that
// changed while they were read, are in no group and are listed in `issues`. A cancelled
// run returns std::nullopt.

#include "search/file_reader.h"
#include "search/scan_types.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pw {

using RunGroups = std::vector<std::vector<std::uint32_t>>;

// Exact equality. Reads every byte of the run at most once: the files are read in lockstep,
// chunk by chunk, and a file leaves the run as soon as its chunk matches no other file's.
// Memory stays bounded by a per-call budget whatever the run's size.
std::optional<RunGroups> partitionByBytes(const std::vector<ReadTarget>& files,
                                          const CancelToken& cancel,
                                          std::vector<FileIssue>& issues);

// Equal CRC-32 texts; each file's CRC is computed once.
std::optional<RunGroups> partitionByCrc(const std::vector<ReadTarget>& files,
                                        const CancelToken& cancel, std::vector<FileIssue>& issues);

// Fuzzy equality: at least half of the full 1000-byte blocks equal (the last, partial
// block does not count). Fuzzy equality is not transitive, so the pairwise walk runs as it
// is, on per-block digests read once. Files shorter than one block have nothing to judge
// by: they are compared byte by byte, so that the tolerant mode never hides an exact
// duplicate.
std::optional<RunGroups> partitionFuzzy(const std::vector<ReadTarget>& files,
                                        const CancelToken& cancel, std::vector<FileIssue>& issues);

// The fuzzy rule on two lists of block digests of equal length.
bool fuzzyMatch(const std::vector<std::uint64_t>& a, const std::vector<std::uint64_t>& b);

} // namespace pw
