#pragma once
// The scan: walks the search paths, collects the candidate files and runs the chosen
// search. One blocking call per scan; run it on a worker thread in a program with a window.

#include "search/scan_observer.h"
#include "search/scan_types.h"

#include <string>
#include <string_view>

namespace pw {

// A folder text as the scan walks it: absolute (a relative text is taken from the current
// folder), lexically normal and without a trailing "/" except for "/" itself, so that the
// exclusion and protection rules, which compare path texts, line up whatever form a row
// holds. An empty text stays empty.
std::string absoluteFolder(std::string_view folder);

// The title line of the too-many-files warning, two blanks at its end as the window has it:
// "You are about to scan a collection of too many files, total 100001 files.  ".
std::string manyFilesTitle(std::int32_t filesFound);

// Runs one whole scan. The request is a snapshot: nothing it refers to is read again. The
// walk works on absoluteFolder() of every row's folder; the request's texts, which a
// session stores, are left as they are.
// Cancellation through `cancel` ends the scan at the next file or folder; the result then
// holds the groups confirmed so far and reads "Search Terminated.". Never throws for a
// problem with a file or folder: those are skipped and listed in ScanResult::issues.
ScanResult StartScan(const ScanRequest& request, ScanObserver& observer, const CancelToken& cancel);

} // namespace pw
