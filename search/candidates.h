#pragma once
// The candidate files of one scan, held compactly: one small record per file, names and
// folder texts in a shared arena, each folder text once. A million candidates cost about
// 60 MB here, against several times that for a text record per file.

#include "common/text.h"
#include "common/unique_fd.h"
#include "search/file_reader.h"
#include "search/scan_types.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace pw {

struct Candidate {
    std::uint64_t size = 0;
    std::int64_t mtime = 0;   // seconds since the epoch
    std::int64_t ctimeNs = 0; // the change time, nanoseconds since the epoch
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    const char* name = nullptr; // in the set's arena; not NUL-terminated
    std::uint32_t nameLength = 0;
    std::uint32_t folder = 0; // index into CandidateSet::folders

    std::string_view fileName() const { return {name, nameLength}; }
    FileIdentity identity() const { return {size, mtime, ctimeNs, device, inode}; }
};

class CandidateSet {
public:
    CandidateSet() = default;
    CandidateSet(const CandidateSet&) = delete;
    CandidateSet& operator=(const CandidateSet&) = delete;
    CandidateSet(CandidateSet&&) = default;
    CandidateSet& operator=(CandidateSet&&) = default;

    static constexpr std::uint32_t kNoRoot = static_cast<std::uint32_t>(-1);

    // Registers a folder kept open for reading the files below it again (its text ending in
    // "/"), with the descriptor it was opened as: a search folder, or a folder the walk
    // opened beneath one, which spares walking the path down to it for each file. Returns
    // its index, a root for addFolder and targetBelow.
    std::uint32_t addRoot(std::string_view folder, UniqueFd fd);

    // Registers a folder text (ending in "/") below the open folder `root`, the nearest one
    // on its way (kNoRoot: a folder whose files are opened by their full path), and returns
    // its index.
    std::uint32_t addFolder(std::string_view folder, std::uint32_t root = kNoRoot);

    // How many more folders may be kept open: half of the process's descriptor limit,
    // at most kMaxOpenFolders, less those kept already.
    std::size_t openFolderRoom() const;
    static constexpr std::size_t kMaxOpenFolders = 65536;
    std::string_view folder(std::uint32_t index) const { return m_folders[index]; }
    std::string_view folder(const Candidate& c) const { return m_folders[c.folder]; }
    // The folder text as the result rows of its files share it, made when first asked for:
    // most folders never hold a duplicate. Not for concurrent use.
    const FolderText& sharedFolder(const Candidate& c) const;

    // Copies the name into the arena.
    Candidate& add(std::uint32_t folder, std::string_view name);

    std::string fullPath(const Candidate& c) const { return joinPath(folder(c), c.fileName()); }

    // Where and how to read a candidate again, as listed: beneath the nearest folder on its
    // way kept open, its search folder at least.
    ReadTarget readTarget(const Candidate& c) const;
    // The same for any path below the open folder `root` (kNoRoot: the path as it stands).
    ReadTarget targetBelow(std::uint32_t root, std::string path, FileIdentity listed = {}) const;

    // Closes the folders kept open, on a helper thread that the returned object joins when
    // it goes (inline when no thread can be had): closing thousands of listed folders keeps
    // the kernel busy a while, and once every candidate is read nothing needs them. Later
    // read targets name their files by the full path.
    [[nodiscard]] std::jthread closeKeptFolders();

    std::vector<Candidate>& items() { return m_items; }
    const std::vector<Candidate>& items() const { return m_items; }

private:
    const char* storeText(std::string_view text);

    struct Root {
        UniqueFd fd;
        std::size_t length = 0; // of the root's folder text
    };

    std::vector<Candidate> m_items;
    std::vector<std::string_view> m_folders; // in the arena
    mutable std::vector<FolderText> m_sharedFolders;
    std::vector<std::uint32_t> m_folderRoots;
    std::vector<Root> m_roots;
    std::vector<std::unique_ptr<char[]>> m_blocks;
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
