#pragma once
// The candidate files of one scan, held compactly: one small record per file, names in a
// shared arena and each folder text once. A million candidates cost about 60 MB here,
// against several times that for a text record per file.

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pw {

struct Candidate {
    std::uint64_t size = 0;
    std::int64_t mtime = 0; // seconds since the epoch
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    const char* name = nullptr; // in the set's arena; not NUL-terminated
    std::uint32_t nameLength = 0;
    std::uint32_t folder = 0; // index into CandidateSet::folders

    std::string_view fileName() const { return {name, nameLength}; }
    bool sameFile(const Candidate& other) const {
        return device == other.device && inode == other.inode;
    }
};

class CandidateSet {
public:
    CandidateSet() = default;
    CandidateSet(const CandidateSet&) = delete;
    CandidateSet& operator=(const CandidateSet&) = delete;
    CandidateSet(CandidateSet&&) = default;
    CandidateSet& operator=(CandidateSet&&) = default;

    // Registers a folder text (ending in "/") and returns its index.
    std::uint32_t addFolder(std::string folder);
    const std::string& folder(std::uint32_t index) const { return m_folders[index]; }
    const std::string& folder(const Candidate& c) const { return m_folders[c.folder]; }

    // Copies the name into the arena.
    Candidate& add(std::uint32_t folder, std::string_view name);

    // Takes over a block of names (a folder listing's) so that candidates can point into it
    // without a copy; returns where the block now lives.
    const char* adoptNames(std::string names);

    // A candidate whose name already lives in the set (see adoptNames).
    Candidate& addAdopted(std::uint32_t folder, const char* name, std::uint32_t length);

    std::string fullPath(const Candidate& c) const { return folder(c) + std::string(c.fileName()); }

    std::vector<Candidate>& items() { return m_items; }
    const std::vector<Candidate>& items() const { return m_items; }

private:
    const char* storeName(std::string_view name);

    std::vector<Candidate> m_items;
    std::deque<std::string> m_folders;
    std::vector<std::unique_ptr<char[]>> m_blocks;
    std::deque<std::string> m_adopted;
    std::size_t m_blockUsed = 0;
    std::size_t m_blockSize = 0;
};

// Which field leads a candidate's record: the size for the content searches and the
// zero-size listing, the name for the same-name search.
enum class RecordOrder { SizeFirst, NameFirst };

// Three-way, case-insensitive comparison of two candidates as their record texts
// "size?name?folder?date" (or "name?size?folder?date") would compare: the order in which
// the searches walk the candidates.
int compareRecords(const CandidateSet& set, const Candidate& a, const Candidate& b,
                   RecordOrder order);

// Sorts the candidates by their records, ascending, without regard to case.
void sortCandidates(CandidateSet& set, RecordOrder order);

} // namespace pw
