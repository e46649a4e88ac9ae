#pragma once
// The search methods that run on the sorted candidates of a scan. Each appends its rows
// and totals to the result and reports progress to the observer.

#include "search/candidates.h"
#include "search/scan_observer.h"
#include "search/scan_types.h"

#include <span>
#include <string_view>

namespace pw {

struct SearchContext {
    CandidateSet& candidates; // sorted by record, as the method expects
    const SearchOptions& options;
    const CancelToken& cancel;
    ScanObserver& observer;
    ScanResult& result;
};

// Content search (byte to byte, fuzzy or CRC-32): groups of equal content among files of
// equal size, in candidate order. Runs of equal size are compared on several threads; the
// groups, their order and the totals are those of a pairwise walk in candidate order. The
// candidate list is used up: it is empty afterwards (the folder texts stay).
void FindDuplicatesBySize(SearchContext& context);

// Groups of equal names (trimmed, without regard to case), whatever the size or content.
// A second listing of one file is dropped only under a name it was listed with before: a
// hard link under another name may still pair with a file of its own name.
void FindSameNames(SearchContext& context);

// Every empty file, in candidate order; no groups.
void ListZeroSizeFiles(SearchContext& context);

// A second listing of one file (the same device and inode, reached through overlapping
// search paths or a hard link) is dropped; the first in candidate order stays. Returns
// the number dropped. The content searches apply it to each run of equal size, the
// zero-size listing to the whole list.
std::int32_t dropSecondListings(std::vector<Candidate>& candidates);
// The same within a range: the first listings move to its front, in order; answers how
// many there are.
std::size_t keepFirstListings(std::span<Candidate> candidates);

// The same for the same-name search: a file listed again under a name it was listed with
// before (overlapping search paths, or hard links of one name) is dropped. A hard link under
// another name stays, since that name may pair with a file of its own elsewhere.
std::int32_t dropRepeatedNames(std::vector<Candidate>& candidates);

// The progress of a search pass: the status text "<what>(processed/total) 12.5%" and the
// caption "12.5% (processed/total)" shown while the window is minimized.
ScanProgress searchProgress(ScanStage stage, std::string_view what, std::int64_t processed,
                            std::int64_t total);

// The row handed to the result list for one candidate of group `group` (0: no group).
ResultRow makeResultRow(const CandidateSet& set, const Candidate& c, std::int32_t group);

} // namespace pw
