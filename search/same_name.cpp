#include "common/file_helpers.h"
#include "common/text.h"
#include "search/progress_throttle.h"
#include "search/searches.h"

namespace pw {
namespace {

std::string nameKey(const Candidate& c) {
    return lowerText(trimBlanks(c.fileName()));
}

} // namespace

void FindSameNames(SearchContext& context) {
    auto& items = context.candidates.items();
    const auto total = static_cast<std::int64_t>(items.size());
    context.result.totals.filesFound -= dropRepeatedNames(items);
    ProgressThrottle throttle;
    std::int64_t processed = 0;
    std::size_t i = 0;
    while (i + 1 < items.size()) {
        if (context.cancel.cancelled()) {
            break;
        }
        const std::string key = nameKey(items[i]);
        std::size_t end = i + 1;
        while (end < items.size() && nameKey(items[end]) == key) {
            ++end;
        }
        if (end - i >= 2) {
            ScanResult& r = context.result;
            ++r.groups;
            for (std::size_t k = i; k < end; ++k) {
                if (k > i) {
                    ++r.totals.duplicateCount;
                    r.totals.duplicateSize += static_cast<std::int64_t>(items[k].size);
                }
                r.rows.push_back(makeResultRow(context.candidates, items[k], r.groups));
            }
        }
        processed += static_cast<std::int64_t>(end - i);
        i = end;
        if (throttle.due()) {
            context.observer.progress(searchProgress(
                ScanStage::SameNames, "Searching for same name files...", processed, total));
        }
    }
}

void ListZeroSizeFiles(SearchContext& context) {
    auto& items = context.candidates.items();
    context.result.totals.filesFound -= dropSecondListings(items);
    context.result.grouped = false;
    for (const Candidate& c : items) {
        // A file deleted since the listing is left out.
        if (FileExists(context.candidates.fullPath(c))) {
            ResultRow row = makeResultRow(context.candidates, c, 0);
            row.version = "N/A";
            context.result.rows.push_back(std::move(row));
        }
    }
}

} // namespace pw
