#pragma once
// The scan: walks the search paths, collects the candidate files and runs the chosen
// search. One blocking call per scan; run it on a worker thread in a program with a window.

#include "search/scan_observer.h"
#include "search/scan_types.h"

namespace pw {

// Runs one whole scan. The request is a snapshot: nothing it refers to is read again.
// Cancellation through `cancel` ends the scan at the next file or folder; the result then
// holds the groups confirmed so far and reads "Search Terminated.". Never throws for a
// problem with a file or folder: those are skipped and listed in ScanResult::issues.
ScanResult StartScan(const ScanRequest& request, ScanObserver& observer, const CancelToken& cancel);

} // namespace pw
