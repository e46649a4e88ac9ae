#include "search/searches.h"

#include "search/file_version.h"

#include <algorithm>
#include <cstdio>
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

struct FileUnderName {
    std::uint64_t device;
    std::uint64_t inode;
    std::string_view name;
    bool operator==(const FileUnderName&) const = default;
};

struct FileUnderNameHash {
    std::size_t operator()(const FileUnderName& key) const {
        return DeviceInodeHash()({key.device, key.inode}) ^ std::hash<std::string_view>()(key.name);
    }
};

} // namespace

std::int32_t dropRepeatedNames(std::vector<Candidate>& items) {
    std::unordered_set<FileUnderName, FileUnderNameHash> seen;
    const std::size_t before = items.size();
    std::erase_if(items, [&seen](const Candidate& c) {
        return !seen.insert({c.device, c.inode, c.fileName()}).second;
    });
    return static_cast<std::int32_t>(before - items.size());
}

std::size_t keepFirstListings(std::span<Candidate> candidates) {
    std::unordered_set<DeviceInode, DeviceInodeHash> seen;
    const auto end =
        std::remove_if(candidates.begin(), candidates.end(), [&seen](const Candidate& c) {
            return !seen.insert({c.device, c.inode}).second;
        });
    return static_cast<std::size_t>(end - candidates.begin());
}

std::int32_t dropSecondListings(std::vector<Candidate>& candidates) {
    const std::size_t before = candidates.size();
    candidates.resize(keepFirstListings(candidates));
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

ResultRow makeResultRow(const CandidateSet& set, const Candidate& c, std::int32_t group) {
    ResultRow row;
    row.name = std::string(c.fileName());
    row.folder = set.sharedFolder(c);
    row.size = c.size;
    row.mtime = c.mtime;
    // Only a few names can hold a version: the others are spared building their path.
    row.version = mayHaveFileVersion(row.name) ? GetFileVersionText(row.fullPath()) : "N/A";
    row.group = group;
    row.device = c.device;
    row.inode = c.inode;
    return row;
}

} // namespace pw
