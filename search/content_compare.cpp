#include "search/content_compare.h"

#include "search/crc_ctrl.h"
#include "search/file_reader.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>
#include <unordered_map>
#include <xxhash.h>

namespace pw {
namespace {

// Most files that differ do so in their first pages; later chunks grow so that large
// equal files are compared with few system calls, but only up to a size at which the
// chunks of the files compared together still fit in the processor's caches: a larger
// read copies out of the page cache into memory and back, several times slower. A small
// file is read whole at once, a read that also sees its end.
constexpr std::size_t kFirstChunk = 4 * 1024;
constexpr std::size_t kWholeFile = 16 * 1024;
constexpr std::size_t kMaxChunk = 128 * 1024;
constexpr std::size_t kChunkGrowth = 8;
// Bytes of representative chunks one call keeps; past it, new representatives keep only
// their hash and are read again for the rare comparison that needs their bytes.
constexpr std::size_t kBufferBudget = 16 * 1024 * 1024;
constexpr std::size_t kLinearSearchLimit = 16;
constexpr std::size_t kOpenFilesPerRun = 64;
constexpr std::uint64_t kFuzzyBlock = 1000;

// Splits the files of one class by the bytes of one chunk.
class ChunkSplitter {
public:
    explicit ChunkSplitter(const std::vector<ReadTarget>& targets)
        : m_targets(targets), m_files(targets.size()) {}

    // The files that could not be read, in run order.
    void takeIssues(std::vector<FileIssue>& issues) {
        std::sort(m_issues.begin(), m_issues.end(),
                  [](const auto& a, const auto& b) { return a.first < b.first; });
        for (auto& [member, issue] : m_issues) {
            issues.push_back(std::move(issue));
        }
    }

    // Appends the sub-classes of two or more files to `out`. False when cancelled.
    bool split(const std::vector<std::uint32_t>& members, std::uint64_t offset, std::size_t length,
               const CancelToken& cancel, RunGroups& out) {
        m_subs.clear();
        m_byHash.clear();
        m_buffersUsed = 0;
        m_offset = offset;
        m_length = length;
        for (const std::uint32_t member : members) {
            if (cancel.cancelled()) {
                return false;
            }
            char* current = buffer(m_buffersUsed);
            ReadError error;
            if (!read(member, current, error)) {
                m_issues.emplace_back(
                    member, FileIssue{m_targets[member].path, "read", error.error, error.message});
                release(member);
                continue;
            }
            place(member, current);
        }
        for (Sub& sub : m_subs) {
            if (sub.members.size() >= 2) {
                out.push_back(std::move(sub.members));
            } else {
                release(sub.members.front());
            }
        }
        return true;
    }

private:
    struct Sub {
        std::vector<std::uint32_t> members;
        std::uint64_t hash = 0;
        std::size_t buffer = kNoBuffer; // representative bytes, when within the budget
    };
    static constexpr std::size_t kNoBuffer = static_cast<std::size_t>(-1);

    // Buffers are reused from chunk to chunk and grow only to the chunk length in use.
    char* buffer(std::size_t index) {
        if (m_buffers.size() <= index) {
            m_buffers.resize(index + 1);
        }
        if (m_buffers[index].size() < m_length + 1) {
            m_buffers[index].resize(m_length + 1); // room for the probe past the last byte
        }
        return m_buffers[index].data();
    }

    // Files that go on to the next chunk stay open, up to a bound, so that large equal
    // files are not looked up by path again for every chunk.
    bool read(std::uint32_t member, char* buffer, ReadError& error) {
        CandidateFile& file = m_files[member];
        if (!file.isOpen()) {
            if (!file.open(m_targets[member], error)) {
                return false;
            }
            ++m_openFiles;
        }
        const bool ok = file.readAt(m_offset, buffer, m_length, error);
        if (m_openFiles > kOpenFilesPerRun) {
            release(member);
        }
        return ok;
    }

    void release(std::uint32_t member) {
        if (m_files[member].isOpen()) {
            m_files[member].close();
            --m_openFiles;
        }
    }

    bool sameBytes(const Sub& sub, const char* current) {
        if (sub.buffer != kNoBuffer) {
            return std::memcmp(m_buffers[sub.buffer].data(), current, m_length) == 0;
        }
        // Over the budget: read the representative's chunk again into a spare buffer.
        char* spare = buffer(m_buffersUsed + 1);
        ReadError error;
        return read(sub.members.front(), spare, error) &&
               std::memcmp(spare, current, m_length) == 0;
    }

    void place(std::uint32_t member, char* current) {
        const std::uint64_t hash = XXH3_64bits(current, m_length);
        if (m_subs.size() <= kLinearSearchLimit) {
            for (Sub& sub : m_subs) {
                if (sub.hash == hash && sameBytes(sub, current)) {
                    sub.members.push_back(member);
                    return;
                }
            }
        } else {
            const auto [first, last] = m_byHash.equal_range(hash);
            for (auto it = first; it != last; ++it) {
                Sub& sub = m_subs[it->second];
                if (sameBytes(sub, current)) {
                    sub.members.push_back(member);
                    return;
                }
            }
        }
        Sub sub;
        sub.members.push_back(member);
        sub.hash = hash;
        if ((m_buffersUsed + 2) * m_length <= kBufferBudget) {
            sub.buffer = m_buffersUsed++; // the current buffer becomes the representative's
        }
        m_subs.push_back(std::move(sub));
        if (m_subs.size() == kLinearSearchLimit + 1) {
            for (std::size_t k = 0; k < m_subs.size(); ++k) {
                m_byHash.emplace(m_subs[k].hash, k);
            }
        } else if (m_subs.size() > kLinearSearchLimit + 1) {
            m_byHash.emplace(hash, m_subs.size() - 1);
        }
    }

    const std::vector<ReadTarget>& m_targets;
    std::vector<std::pair<std::uint32_t, FileIssue>> m_issues;
    std::vector<CandidateFile> m_files;
    std::size_t m_openFiles = 0;
    std::vector<std::vector<char>> m_buffers;
    std::size_t m_buffersUsed = 0;
    std::uint64_t m_offset = 0;
    std::size_t m_length = 0;
    std::vector<Sub> m_subs;
    std::unordered_multimap<std::uint64_t, std::size_t> m_byHash;
};

// Groups with their members ascending, in the order of their first members: the order of a
// pairwise walk, whatever order the files were read in.
void sortByFirstMember(RunGroups& groups) {
    for (auto& group : groups) {
        std::sort(group.begin(), group.end());
    }
    std::sort(groups.begin(), groups.end(),
              [](const auto& a, const auto& b) { return a.front() < b.front(); });
}

// The run's files in the order to read them: by device and inode, which on the usual file
// systems is close to the order of their data on disk, so that a disk whose cache is cold
// seeks little. Reading in another order never changes which files are equal.
std::vector<std::uint32_t> readingOrder(const std::vector<ReadTarget>& files) {
    std::vector<std::uint32_t> order(files.size());
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(), [&files](std::uint32_t a, std::uint32_t b) {
        const FileIdentity& x = files[a].listed;
        const FileIdentity& y = files[b].listed;
        return x.device != y.device ? x.device < y.device : x.inode < y.inode;
    });
    return order;
}

// Groups run members by a key computed once per file; groups keep first-member order.
RunGroups groupByKey(const std::vector<std::string>& keys, const std::vector<bool>& valid) {
    std::unordered_map<std::string, std::size_t> groupOf;
    RunGroups groups;
    for (std::uint32_t k = 0; k < keys.size(); ++k) {
        if (!valid[k]) {
            continue;
        }
        const auto [it, inserted] = groupOf.emplace(keys[k], groups.size());
        if (inserted) {
            groups.emplace_back();
        }
        groups[it->second].push_back(k);
    }
    std::erase_if(groups, [](const auto& g) { return g.size() < 2; });
    return groups;
}

// Digests of the full 1000-byte blocks. The partial last block is read too, though it does
// not count, so that a file that changed size is caught like in the other methods.
bool blockDigests(const ReadTarget& target, std::vector<std::uint64_t>& out, ReadError& error) {
    constexpr std::uint64_t kBytesPerRead = 1024 * kFuzzyBlock;
    const std::uint64_t size = target.listed.size;
    out.clear();
    out.reserve(size / kFuzzyBlock);
    CandidateFile file;
    if (!file.open(target, error)) {
        return false;
    }
    std::vector<char> buffer(std::min(size, kBytesPerRead) + 1);
    std::uint64_t offset = 0;
    do {
        const std::uint64_t length = std::min(kBytesPerRead, size - offset);
        if (!file.readAt(offset, buffer.data(), length, error)) {
            return false;
        }
        for (std::uint64_t block = 0; block + kFuzzyBlock <= length; block += kFuzzyBlock) {
            out.push_back(XXH3_64bits(buffer.data() + block, kFuzzyBlock));
        }
        offset += length;
    } while (offset < size);
    return true;
}

// Reads each file of a run once, in reading order, with `readOne(k, error)`; the files
// that could not be read go to `issues` in run order. False when cancelled.
template <typename ReadOne>
bool readEachFile(const std::vector<ReadTarget>& files, const CancelToken& cancel,
                  std::vector<FileIssue>& issues, ReadOne readOne) {
    std::vector<std::pair<std::uint32_t, FileIssue>> failed;
    for (const std::uint32_t k : readingOrder(files)) {
        if (cancel.cancelled()) {
            return false;
        }
        ReadError error;
        if (!readOne(k, error)) {
            failed.emplace_back(k, FileIssue{files[k].path, "read", error.error, error.message});
        }
    }
    std::sort(failed.begin(), failed.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& [k, issue] : failed) {
        issues.push_back(std::move(issue));
    }
    return true;
}

// The listed size of a run's files.
std::uint64_t runSize(const std::vector<ReadTarget>& files) {
    return files.empty() ? 0 : files.front().listed.size;
}

} // namespace

std::optional<RunGroups> partitionByBytes(const std::vector<ReadTarget>& files,
                                          const CancelToken& cancel,
                                          std::vector<FileIssue>& issues) {
    const std::uint64_t size = runSize(files);
    ChunkSplitter splitter(files);
    RunGroups live{readingOrder(files)};
    std::uint64_t offset = 0;
    std::size_t chunk = kFirstChunk;
    // A run of empty files has nothing to read, but the files must still be readable.
    const std::size_t firstLength =
        size <= kWholeFile ? static_cast<std::size_t>(size) : kFirstChunk;
    do {
        const std::size_t length =
            offset == 0 ? firstLength
                        : static_cast<std::size_t>(std::min<std::uint64_t>(chunk, size - offset));
        RunGroups next;
        for (const auto& members : live) {
            if (!splitter.split(members, offset, length, cancel, next)) {
                return std::nullopt;
            }
        }
        live = std::move(next);
        offset += length;
        chunk = std::min(chunk * kChunkGrowth, kMaxChunk);
    } while (offset < size && !live.empty());
    splitter.takeIssues(issues);
    sortByFirstMember(live);
    return live;
}

std::optional<RunGroups> partitionByCrc(const std::vector<ReadTarget>& files,
                                        const CancelToken& cancel, std::vector<FileIssue>& issues) {
    CrcCtrl crc;
    std::vector<std::string> texts(files.size());
    std::vector<bool> valid(files.size(), false);
    const bool done = readEachFile(files, cancel, issues, [&](std::uint32_t k, ReadError& error) {
        crc.setMode(6);
        valid[k] = crc.CalculateFile(files[k]);
        texts[k] = crc.crcText();
        error = {crc.lastErrno(), crc.lastError()};
        return valid[k];
    });
    if (!done) {
        return std::nullopt;
    }
    return groupByKey(texts, valid);
}

bool fuzzyMatch(const std::vector<std::uint64_t>& a, const std::vector<std::uint64_t>& b) {
    if (a.empty() || a.size() != b.size()) {
        return false;
    }
    std::uint64_t equal = 0;
    for (std::size_t k = 0; k < a.size(); ++k) {
        equal += a[k] == b[k] ? 1 : 0;
    }
    // The percentage is kept with four decimal places (rounded half to even) before it is
    // held against 50, as the fixed-point value it always was.
    const double percent = 100.0 / static_cast<double>(a.size()) * static_cast<double>(equal);
    return std::nearbyint(percent * 10000.0) >= 500000.0;
}

std::optional<RunGroups> partitionFuzzy(const std::vector<ReadTarget>& files,
                                        const CancelToken& cancel, std::vector<FileIssue>& issues) {
    if (runSize(files) < kFuzzyBlock) {
        return partitionByBytes(files, cancel, issues);
    }
    std::vector<std::vector<std::uint64_t>> digests(files.size());
    std::vector<bool> valid(files.size(), false);
    const bool done = readEachFile(files, cancel, issues, [&](std::uint32_t k, ReadError& error) {
        valid[k] = blockDigests(files[k], digests[k], error);
        return valid[k];
    });
    if (!done) {
        return std::nullopt;
    }
    std::vector<std::uint32_t> remaining;
    for (std::uint32_t k = 0; k < files.size(); ++k) {
        remaining.push_back(k);
    }
    RunGroups groups;
    for (std::size_t i = 0; i < remaining.size(); ++i) {
        const std::uint32_t first = remaining[i];
        std::vector<std::uint32_t> group;
        for (std::size_t j = i + 1; j < remaining.size();) {
            if (cancel.cancelled()) {
                return std::nullopt;
            }
            const std::uint32_t other = remaining[j];
            if (valid[first] && valid[other] && fuzzyMatch(digests[first], digests[other])) {
                group.push_back(other);
                remaining.erase(remaining.begin() + static_cast<std::ptrdiff_t>(j));
            } else {
                ++j;
            }
        }
        if (!group.empty()) {
            group.insert(group.begin(), first);
            groups.push_back(std::move(group));
        }
    }
    return groups;
}

} // namespace pw
