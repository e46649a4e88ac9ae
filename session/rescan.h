#pragma once
// Comparing the files of a stored result again, by content, as a scan compares its
// candidates: what a loaded session's "re-scan" runs instead of walking the folders.

#include "search/scan_observer.h"
#include "search/scan_types.h"

#include <cstdint>
#include <string>
#include <vector>

namespace pw {

// One file as a session stored it.
struct StoredFile {
    std::string name;
    std::string folder; // ends in "/"
    std::uint64_t size = 0;
};

// Runs the content search (byte to byte, fuzzy or CRC-32, as `options` say; any other
// method compares byte to byte) over the stored files and returns its groups and
// duplicate totals; `filesFound` is carried into the result less the second listings the
// search drops. Below the stored search folders (`searchFolders`) no symbolic link is
// followed, as in a scan. A file that is no longer a regular file at its stored path is
// left out before the comparison; one that cannot be read, or changes while it is read,
// is reported in the result's issues. Cancellation stops the comparison; the result then
// reads "Search Terminated.".
ScanResult compareStoredFiles(const std::vector<StoredFile>& files,
                              const std::vector<std::string>& searchFolders,
                              const SearchOptions& options, std::int32_t filesFound,
                              ScanObserver& observer, const CancelToken& cancel);

} // namespace pw
