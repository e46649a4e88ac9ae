#include "session/rescan.h"

#include "common/open_no_links.h"
#include "common/unique_fd.h"
#include "search/candidates.h"
#include "search/searches.h"

#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unordered_map>

namespace pw {

namespace {

// The stored files as candidates, each below the search folder it was found in.
class StoredCandidates {
public:
    StoredCandidates(CandidateSet& set, const std::vector<std::string>& searchFolders)
        : m_set(set), m_searchFolders(searchFolders) {}

    // The search drops second listings by device and inode, and reads the files; a stored
    // path that is gone, or is now a link or a device, has nothing to compare.
    void add(const StoredFile& file) {
        const std::string path = file.folder + file.name;
        const std::uint32_t root = rootOf(path);
        const ReadTarget target = m_set.targetBelow(root, path);
        const UniqueFd fd(
            openWithoutLinks(target.folderFd, path.c_str() + target.relative, O_PATH));
        struct stat st {};
        if (!fd.valid() || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
            return;
        }
        auto [it, added] = m_folders.try_emplace(file.folder, 0);
        if (added) {
            it->second = m_set.addFolder(file.folder, root);
        }
        // The file is compared as it is now: a file changed since the session was saved is
        // listed with its new time, and one whose size no longer matches the stored size
        // is caught by the reads.
        Candidate& c = m_set.add(it->second, file.name);
        const FileIdentity identity = identityOf(st);
        c.size = file.size;
        c.mtime = identity.mtime;
        c.ctimeNs = identity.ctimeNs;
        c.device = identity.device;
        c.inode = identity.inode;
    }

private:
    std::uint32_t rootOf(const std::string& path) {
        const std::string root(searchRootOf(m_searchFolders, path));
        if (root.empty()) {
            return CandidateSet::kNoRoot;
        }
        auto [it, added] = m_roots.try_emplace(root, CandidateSet::kNoRoot);
        if (added) {
            UniqueFd fd(::open(root.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
            if (fd.valid()) {
                it->second = m_set.addRoot(root + (root == "/" ? "" : "/"), std::move(fd));
            }
        }
        return it->second;
    }

    CandidateSet& m_set;
    const std::vector<std::string>& m_searchFolders;
    std::unordered_map<std::string, std::uint32_t> m_roots;
    std::unordered_map<std::string, std::uint32_t> m_folders;
};

} // namespace

ScanResult compareStoredFiles(const std::vector<StoredFile>& files,
                              const std::vector<std::string>& searchFolders,
                              const SearchOptions& options, std::int32_t filesFound,
                              ScanObserver& observer, const CancelToken& cancel) {
    CandidateSet candidates;
    StoredCandidates stored(candidates, searchFolders);
    for (const StoredFile& file : files) {
        stored.add(file);
    }
    // The search walks runs of equal size, so the stored order (perhaps sorted by name
    // before it was saved) is put into the scan's record order first.
    sortCandidates(candidates, RecordOrder::SizeFirst);

    SearchOptions compare = options;
    if (compare.method != SearchMethod::Crc32) {
        compare.fuzzy = compare.fuzzy && compare.method == SearchMethod::ByteToByte;
        compare.method = SearchMethod::ByteToByte;
    }
    ScanResult result;
    result.grouped = true;
    result.totals.filesFound = filesFound;
    SearchContext context{candidates, compare, cancel, observer, result};
    try {
        FindDuplicatesBySize(context);
    } catch (const std::bad_alloc&) {
        // The groups confirmed so far stay; the candidates already consumed cannot be
        // compared again, so the re-scan ends whatever the answer.
        observer.runtimeError({7, "Out of memory", "File Opening", {}});
    }
    result.totals.cancelled = cancel.cancelled();
    return result;
}

} // namespace pw
