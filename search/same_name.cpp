#include "common/format.h"
#include "common/text.h"
#include "search/enumeration.h"
#include "search/file_version.h"
#include "search/progress_throttle.h"
#include "search/searches.h"

#include <cstdio>
#include <unordered_map>
#include <unordered_set>

namespace pw {
namespace {

struct DeviceInode {
    std::uint64_t device;
    std::uint64_t inode;
    bool operator==(const DeviceInode&) const = default;
};

struct DeviceInodeHash {
    std::size_t operator()(const DeviceInode& key) const {
        return std::hash<std::uint64_t>()(key.inode * 0x9E3779B97F4A7C15ULL ^ key.device);
    }
};

std::string nameKey(const Candidate& c) {
    return lowerText(trimBlanks(c.fileName()));
}

bool samePath(const CandidateSet& set, const Candidate& a, const Candidate& b) {
    return a.fileName() == b.fileName() && set.folder(a) == set.folder(b);
}

// Drops the listings of a file at a path listed before: overlapping search paths reach the
// same folder twice. A hard link under another path stays, since for this search it is a
// file of that name in another place, just as a copy would be. Returns the number dropped.
std::int32_t dropRepeatedPaths(CandidateSet& set) {
    auto& items = set.items();
    // Most inodes are listed once; only the rest need their earlier paths looked at.
    std::unordered_map<DeviceInode, std::size_t, DeviceInodeHash> first;
    std::unordered_multimap<DeviceInode, std::size_t, DeviceInodeHash> later;
    std::size_t kept = 0;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const Candidate& c = items[i];
        const DeviceInode key{c.device, c.inode};
        const auto [it, isFirst] = first.try_emplace(key, kept);
        if (!isFirst) {
            bool repeated = samePath(set, items[it->second], c);
            const auto [from, to] = later.equal_range(key);
            for (auto k = from; k != to && !repeated; ++k) {
                repeated = samePath(set, items[k->second], c);
            }
            if (repeated) {
                continue;
            }
            later.emplace(key, kept);
        }
        items[kept++] = c;
    }
    const std::size_t dropped = items.size() - kept;
    items.resize(kept);
    return static_cast<std::int32_t>(dropped);
}

} // namespace

std::int32_t dropSecondListings(std::vector<Candidate>& candidates) {
    std::unordered_set<DeviceInode, DeviceInodeHash> seen;
    const std::size_t before = candidates.size();
    std::erase_if(candidates, [&seen](const Candidate& c) {
        return !seen.insert({c.device, c.inode}).second;
    });
    return static_cast<std::int32_t>(before - candidates.size());
}

ScanProgress searchProgress(ScanStage stage, std::string_view what, std::int64_t processed,
                            std::int64_t total) {
    char percent[32];
    const double value =
        total > 0 ? 100.0 / static_cast<double>(total) * static_cast<double>(processed) : 0.0;
    std::snprintf(percent, sizeof percent, "%.1f%%", value);
    const std::string counts = std::to_string(processed) + "/" + std::to_string(total);
    ScanProgress p;
    p.stage = stage;
    p.processed = processed;
    p.total = total;
    p.statusText = std::string(what) + "(" + counts + ") " + percent;
    p.captionText = std::string(percent) + " (" + counts + ")";
    return p;
}

ResultRow makeResultRow(const CandidateSet& set, const Candidate& c, int groupToggle) {
    ResultRow row;
    row.sizeKey = SizeKey(c.size);
    row.name = std::string(c.fileName());
    row.folder = set.folder(c);
    row.version = GetFileVersionText(row.fullPath());
    row.groupToggle = groupToggle;
    row.dateText = DateText(c.mtime);
    row.size = c.size;
    row.mtime = c.mtime;
    return row;
}

void FindSameNames(SearchContext& context) {
    auto& items = context.candidates.items();
    const auto total = static_cast<std::int64_t>(items.size());
    context.result.filesFound -= dropRepeatedPaths(context.candidates);
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
            r.groupToggle = r.groupToggle != 1 ? 1 : 2;
            for (std::size_t k = i; k < end; ++k) {
                if (k > i) {
                    ++r.duplicateCount;
                    r.duplicateSize += static_cast<std::int64_t>(items[k].size);
                }
                r.rows.push_back(makeResultRow(context.candidates, items[k], r.groupToggle));
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
    context.result.filesFound -= dropSecondListings(items);
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
