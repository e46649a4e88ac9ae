#include "search/enumeration.h"

#include "common/file_helpers.h"
#include "common/open_no_links.h"
#include "common/spinning_mutex.h"
#include "common/text.h"
#include "common/unique_fd.h"
#include "search/mount_table.h"
#include "search/progress_throttle.h"
#include "search/protected_trees.h"
#include "search/question_relay.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <optional>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <unordered_map>

namespace pw {
namespace {

constexpr std::int32_t kOverflow = 6;
constexpr std::int32_t kTypeMismatch = 13;
constexpr std::uint32_t kEntriesPerProgressCheck = 64;
// The walk goes deepest first, so the folders kept open for their sub-folders alone are
// about those on the way down from the search folder: a few dozen in deep trees.
constexpr std::int64_t kMaxHeldParents = 256;
// Descriptors the walk's threads hold besides kept and held folders: listings and stats
// under way.
constexpr std::int64_t kSpareDescriptors = 64;

// Converts a size box text the way the size limits always have: a whole number of KB,
// halves rounded to even, times 1024. The count is 64-bit, as file sizes are: a limit of
// several gigabytes is an everyday one. Whole numbers of KB below 2^53 fit once multiplied,
// and doubles hold every whole number up to there exactly.
std::int64_t kilobytesToBytes(std::string_view text) {
    constexpr double kFirstTooLarge = 9007199254740992.0; // 2^53 = 2^63 / 1024
    const std::string trimmed(trimBlanks(text));
    const double whole = std::nearbyint(std::strtod(trimmed.c_str(), nullptr));
    if (!(whole >= -kFirstTooLarge && whole < kFirstTooLarge)) {
        throw ScanFailure(kOverflow, "Overflow");
    }
    return static_cast<std::int64_t>(whole) * 1024;
}

// One folder's listing: the names, each ended by a NUL so that it can be handed to the
// system as it stands, and the entries pointing into them, sorted by name.
struct Listing {
    struct Entry {
        std::uint32_t offset;
        std::uint32_t length;
        unsigned char type;
    };
    std::string names;
    std::vector<Entry> entries;

    std::string_view name(const Entry& e) const { return {names.data() + e.offset, e.length}; }
    const char* cName(const Entry& e) const { return names.data() + e.offset; }
};

struct ListedFile {
    std::uint32_t nameOffset;
    std::uint32_t nameLength;
    std::uint64_t size;
    std::int64_t mtime;
    std::int64_t ctimeNs;
    std::uint64_t device;
    std::uint64_t inode;
};

// One folder of the walk: what its listing gave, until it is put into the candidates.
struct FolderNode {
    std::string path;          // ends in "/"
    std::size_t nameStart = 0; // where its own name starts in path
    dev_t device = 0;
    bool root = false;
    bool listed = false;      // its listing was started
    bool done = false;        // its listing, files and sub-folders are complete
    bool leftOut = false;     // a pseudo file system, or gone before it could be opened
    bool mountPoint = false;  // on another device than its parent folder
    bool deviceAsked = false; // its parent's listing asked for its device
    int parentFd = -1;        // its parent folder, while open; else -1
    std::shared_ptr<const UniqueFd> parentHold; // keeps parentFd open when the candidates do not
    std::string names;
    std::vector<ListedFile> files;
    std::vector<std::uint32_t> children; // in name order
    std::uint32_t nearestOpen = 0; // the nearest folder on its way kept open, itself once kept
    UniqueFd keep;                 // to be kept open with the candidates
    int fdForSubFolders = -1;      // what its sub-folders get as parentFd and parentHold
    std::shared_ptr<const UniqueFd> holdForSubFolders;

    // Makes it a new node, but with the room its texts and lists had.
    void clearKeepingRoom() {
        FolderNode fresh;
        fresh.path.swap(path);
        fresh.names.swap(names);
        fresh.files.swap(files);
        fresh.children.swap(children);
        *this = std::move(fresh);
        path.clear();
        names.clear();
        files.clear();
        children.clear();
    }
};

// Walks one search path with a few threads. Each folder is listed by one worker; the
// results are put into the candidates in one fixed depth-first order (a folder's files by
// name, then its sub-folders by name), so they never depend on thread timing. A folder is
// put in, and forgotten, as soon as every folder before it in that order is done: the
// workers take the deepest folders first, so few listings ever wait, and the memory of the
// walk stays small however many folders the tree has.
class FolderWalker {
public:
    FolderWalker(const SearchPathEntry& entry, const EnumerationContext& context, CandidateSet& out,
                 SizeLimits limits)
        : m_context(context), m_out(out), m_limits(limits), m_subFolders(entry.subFolders == "Yes"),
          m_allFiles(entry.fileTypes.find("*.*") != std::string::npos),
          m_maskLower(lowerText(entry.fileTypes)), m_mounts(readMounts()),
          m_openRoom(static_cast<std::int64_t>(out.openFolderRoom())),
          m_reservedRoom(m_openRoom.load() / 4),
          m_holdRoom(std::min(kMaxHeldParents, m_openRoom.load() / 4)) {}

    FolderCounts walkRoot(const std::string& folder) {
        // The search folder itself is followed if it is a link, as the user named it; below
        // it every folder is opened beneath this descriptor without following any link, so
        // that a folder swapped for a link during the walk leads nowhere else.
        UniqueFd root(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!root.valid()) {
            report(folder, "list", errno);
            return m_counts;
        }
        m_rootFd = root.get();
        m_rootLength = folder.size();
        reserveDescriptors(root.get(), m_openRoom.load() + m_holdRoom + kSpareDescriptors);
        m_automountBelow = automountBelow(root.get());
        // The candidates are read again beneath the root, so its descriptor lives on with them.
        m_rootIndex = m_out.addRoot(folder, std::move(root));
        FolderNode& node = m_nodes[0];
        node.path = folder;
        node.root = true;
        node.nearestOpen = m_rootIndex;
        m_queue.push_back(0);
        m_pending.push_back(0);
        const unsigned helpers = std::max(1u, std::thread::hardware_concurrency()) - 1;
        std::vector<std::jthread> threads;
        try {
            for (unsigned k = 0; k < helpers; ++k) {
                threads.emplace_back([this] { work(false); });
            }
        } catch (const std::system_error&) {
            // Fewer helpers than hoped for: the walk works with whatever started.
        }
        work(true);
        threads.clear(); // joins
        std::vector<Nodes::node_type> finished;
        putReadyFolders(true, finished);
        return m_counts;
    }

private:
    bool cancelled() const { return m_context.cancel.cancelled(); }

    void report(const std::string& path, const char* operation, int error) {
        std::lock_guard lock(m_issueMutex);
        if (m_context.issues != nullptr) {
            m_context.issues->push_back({path, operation, error, std::strerror(error)});
        }
    }

    struct SubFolder {
        std::string name;
        std::optional<dev_t> device; // when the listing asked for it
    };

    using Nodes = std::unordered_map<std::uint32_t, FolderNode>;

    void work(bool scanningThread) {
        std::vector<Nodes::node_type> finished;
        while (FolderNode* node = takeFolder(scanningThread)) {
            const std::vector<SubFolder> subFolders = listWithRetry(*node, scanningThread);
            node->parentHold.reset();
            {
                std::lock_guard lock(m_mutex);
                addSubFolders(*node, subFolders);
                putReadyFolders(false, finished);
                m_wake.notify_all();
            }
            // Freed outside the lock: a folder's memory often came from the other thread's
            // allocator, whose own lock the freeing may wait for.
            finished.clear();
        }
    }

    // Waits for a folder to list and takes it, the deepest first; nullptr when the walk is
    // over or cancelled.
    FolderNode* takeFolder(bool scanningThread) {
        std::unique_lock lock(m_mutex);
        while (m_queue.empty() && m_active > 0 && !cancelled()) {
            if (scanningThread) {
                m_wake.wait_for(lock, ProgressThrottle::kInterval);
                lock.unlock();
                m_relay.serve(m_context.runtimeError);
                showProgress();
                lock.lock();
            } else {
                m_wake.wait(lock);
            }
        }
        if (m_queue.empty() || cancelled()) {
            m_wake.notify_all();
            return nullptr;
        }
        // Elements of the map stay where they are while others come and go.
        FolderNode* node = &m_nodes.at(m_queue.back());
        m_queue.pop_back();
        ++m_active;
        return node;
    }

    // Queues a listed folder's sub-folders and marks it done. Called with m_mutex held.
    void addSubFolders(FolderNode& node, const std::vector<SubFolder>& subFolders) {
        if (node.keep.valid()) {
            node.nearestOpen = m_out.addRoot(node.path, std::move(node.keep));
        }
        for (const SubFolder& sub : subFolders) {
            const std::uint32_t id = m_nextId++;
            node.children.push_back(id);
            FolderNode& child = newNode(id);
            child.path.append(node.path).append(sub.name).append("/");
            child.nameStart = node.path.size();
            child.device = sub.device.value_or(node.device);
            child.deviceAsked = sub.device.has_value();
            child.mountPoint = child.device != node.device;
            child.parentFd = node.fdForSubFolders;
            child.parentHold = node.holdForSubFolders;
            child.nearestOpen = node.nearestOpen;
            m_queue.push_back(id);
        }
        node.holdForSubFolders.reset();
        // Deeper folders first keeps the queue, and so the memory, small.
        std::reverse(m_queue.end() - static_cast<std::ptrdiff_t>(subFolders.size()), m_queue.end());
        m_currentFolder = node.path;
        node.done = true;
        --m_active;
    }

    void showProgress() {
        if (!m_context.progress || !m_throttle.due()) {
            return;
        }
        std::string folder;
        {
            std::lock_guard lock(m_mutex);
            folder = m_currentFolder;
        }
        ScanProgress p;
        p.stage = ScanStage::Enumerating;
        p.statusText = "Scanning... " + folder;
        const auto parent = folder.find_last_of('/', folder.size() >= 2 ? folder.size() - 2 : 0);
        p.captionText = "Scanning... " + folder.substr(0, 3) + ".../" +
                        (parent == std::string::npos ? folder : folder.substr(parent + 1));
        p.processed = m_filesListed.load();
        m_context.progress(p);
    }

    std::vector<SubFolder> listWithRetry(FolderNode& node, bool scanningThread) {
        for (;;) {
            try {
                return list(node, scanningThread);
            } catch (const std::bad_alloc&) {
                node.names.clear();
                node.files.clear();
                node.keep.reset();
                node.fdForSubFolders = -1;
                node.holdForSubFolders.reset();
                const RuntimeError error{7, "Out of memory", "Generate Folder List", node.path};
                const ErrorAnswer answer = scanningThread && m_context.runtimeError
                                               ? m_context.runtimeError(error)
                                               : m_relay.ask(error);
                if (answer != ErrorAnswer::Retry) {
                    node.listed = true;
                    return {};
                }
            }
        }
    }

    // Opens a folder of the walk without following any link: beneath its parent, with one
    // name to look up, while the parent is open; else by its path beneath the search folder.
    // A folder whose device was not asked for is opened on its parent's mount only; one on
    // which another file system is mounted is then opened across it, as a mount point.
    int openFolder(FolderNode& node) {
        constexpr int kFlags = O_RDONLY | O_DIRECTORY;
        if (node.root) {
            return ::fcntl(m_rootFd, F_DUPFD_CLOEXEC, 0);
        }
        const bool besideParent = node.parentFd >= 0;
        const int base = besideParent ? node.parentFd : m_rootFd;
        const char* relative = node.path.c_str() + (besideParent ? node.nameStart : m_rootLength);
        if (node.deviceAsked) {
            return openWithoutLinks(base, relative, kFlags);
        }
        const int fd = openOnSameMount(base, relative, kFlags);
        if (fd >= 0 || errno != EXDEV) {
            return fd;
        }
        node.mountPoint = true;
        return openWithoutLinks(base, relative, kFlags);
    }

    // Opens, lists and sorts one folder and handles its entries.
    std::vector<SubFolder> list(FolderNode& node, bool scanningThread) {
        node.listed = true;
        UniqueFd fd(openFolder(node));
        if (!fd.valid()) {
            // A folder removed since its parent was listed is passed over like a file that
            // vanished; any other failure is the user's to know.
            if (errno == ENOENT && !node.root) {
                node.leftOut = true;
            } else {
                report(node.path, "list", errno);
            }
            return {};
        }
        // Within one file system the device is its parent's; only the search folder and a
        // mount point may be a pseudo file system to keep out.
        if (node.root || node.mountPoint) {
            struct stat st {};
            if (::fstat(fd.get(), &st) != 0 || isPseudo(fd.get(), st.st_dev)) {
                node.leftOut = true;
                return {};
            }
            node.device = st.st_dev;
        }
        if (m_context.excluded.contains(node.path)) {
            return {}; // entered and counted, but nothing in it is handled
        }
        const Listing listing = readListing(node.path, fd.get());
        std::vector<SubFolder> subFolders;
        std::uint32_t sinceCheck = 0;
        bool enterReported = false;
        for (const Listing::Entry& entry : listing.entries) {
            if (cancelled()) {
                break;
            }
            if (scanningThread && ++sinceCheck == kEntriesPerProgressCheck) {
                sinceCheck = 0;
                m_relay.serve(m_context.runtimeError);
                showProgress();
            }
            // A folder that may be listed but not entered names its entries and nothing
            // more: said once, not once per entry.
            if (const int error = handleEntry(node, fd.get(), listing, entry, subFolders);
                error != 0 && !enterReported) {
                report(node.path, "enter", error);
                enterReported = true;
            }
        }
        keepOpen(node, std::move(fd), !subFolders.empty());
        return subFolders;
    }

    // Keeps a listed folder open, when there is room, for reading the files below it again
    // without walking the path down to it, and for opening its sub-folders beneath it. A
    // folder with sub-folders serves every file below it: the last quarter of the room is
    // theirs. Else a folder stays open for its sub-folders alone while they wait in the
    // queue: a few at a time, the walk going deepest first.
    void keepOpen(FolderNode& node, UniqueFd fd, bool hasSubFolders) {
        if (node.root) {
            node.fdForSubFolders = m_rootFd; // kept with the candidates already
            return;
        }
        if ((hasSubFolders || !node.files.empty()) &&
            takeRoom(m_openRoom, hasSubFolders ? 0 : m_reservedRoom)) {
            node.fdForSubFolders = fd.get();
            node.keep = std::move(fd);
            return;
        }
        if (!hasSubFolders || !takeRoom(m_holdRoom, 0)) {
            return;
        }
        node.fdForSubFolders = fd.get();
        node.holdForSubFolders.reset(new UniqueFd(std::move(fd)), [this](const UniqueFd* held) {
            delete held;
            m_holdRoom.fetch_add(1);
        });
    }

    static bool takeRoom(std::atomic<std::int64_t>& room, std::int64_t reserved) {
        std::int64_t left = room.load();
        while (left > reserved && !room.compare_exchange_weak(left, left - 1)) {
        }
        return left > reserved;
    }

    // Whether an automount point may lie below the search folder open as `fd`: one whose
    // mount point is in the folder's real path, or written with an escape (a blank, ...),
    // or any at all when that path cannot be had.
    bool automountBelow(int fd) const {
        if (m_mounts.automountPoints.empty()) {
            return false;
        }
        char real[PATH_MAX + 1];
        const std::string link = "/proc/self/fd/" + std::to_string(fd);
        const ssize_t length = ::readlink(link.c_str(), real, PATH_MAX);
        if (length <= 0 || real[0] != '/') {
            return true;
        }
        std::string folder(real, static_cast<std::size_t>(length));
        if (folder.back() != '/') {
            folder += '/';
        }
        return std::any_of(m_mounts.automountPoints.begin(), m_mounts.automountPoints.end(),
                           [&folder](const std::string& point) {
                               return point.find('\\') != std::string::npos ||
                                      (point + "/").starts_with(folder);
                           });
    }

    bool isPseudo(int fd, dev_t device) const {
        return m_mounts.pseudoDevices.count(device) != 0 || isPseudoMagic(fd);
    }

    // Reads a whole listing first and sorts it, so that the order of the records never
    // depends on the order the file system returns. getdents64 on the folder's own
    // descriptor: no second descriptor and no directory stream per folder.
    Listing readListing(const std::string& folder, int fd) {
        Listing listing;
        alignas(8) char buffer[32 * 1024];
        for (;;) {
            const ssize_t got = ::getdents64(fd, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got < 0) {
                report(folder, "list", errno);
            }
            if (got <= 0) {
                break;
            }
            for (std::size_t pos = 0; pos < static_cast<std::size_t>(got);) {
                unsigned short length = 0;
                unsigned char type = DT_UNKNOWN;
                std::memcpy(&length, buffer + pos + offsetof(dirent64, d_reclen), sizeof length);
                std::memcpy(&type, buffer + pos + offsetof(dirent64, d_type), sizeof type);
                const std::string_view name = TrimNull({buffer + pos + offsetof(dirent64, d_name),
                                                        length - offsetof(dirent64, d_name)});
                pos += length;
                if (name.empty() || name == "." || name == "..") {
                    continue;
                }
                listing.entries.push_back({static_cast<std::uint32_t>(listing.names.size()),
                                           static_cast<std::uint32_t>(name.size()), type});
                listing.names += name;
                listing.names += '\0';
            }
        }
        std::sort(listing.entries.begin(), listing.entries.end(),
                  [&listing](const Listing::Entry& a, const Listing::Entry& b) {
                      return listing.name(a) < listing.name(b);
                  });
        return listing;
    }

    bool skippedByOptions(const std::string& folder, std::string_view name) const {
        if (!m_context.options.includeHidden && name.front() == '.') {
            return true;
        }
        return m_context.options.protectSystem && isProtectedEntry(folder, name);
    }

    bool acceptsFile(std::string_view name, std::uint64_t size) const {
        if (m_context.options.method == SearchMethod::ZeroSize) {
            if (size > 0) {
                return false;
            }
        } else {
            const auto signedSize = static_cast<std::int64_t>(size);
            if (size < 1 || signedSize < m_limits.minBytes ||
                (m_limits.maxBytes && signedSize > *m_limits.maxBytes)) {
                return false;
            }
        }
        if (m_allFiles) {
            return true;
        }
        const auto dot = name.rfind('.');
        if (dot == std::string_view::npos) {
            return false;
        }
        return m_maskLower.find(lowerText(name.substr(dot))) != std::string::npos;
    }

    // Handles one entry of a listing; returns the errno of an entry that could not be
    // looked at (0 for one that vanished since the listing).
    int handleEntry(FolderNode& node, int fd, const Listing& listing, const Listing::Entry& entry,
                    std::vector<SubFolder>& subFolders) {
        const std::string_view name = listing.name(entry);
        switch (entry.type) {
        case DT_REG:
        case DT_DIR:
        case DT_UNKNOWN:
            break;
        default:
            return 0; // links, devices, pipes and sockets are never candidates
        }
        if (entry.type == DT_DIR && !m_subFolders) {
            return 0;
        }
        // The folder is opened to be listed: its device comes with it, with no look-up here.
        // An automount point on the other hand would be mounted by that open, so below a
        // search folder that holds one the device is asked first, which mounts nothing.
        if (entry.type == DT_DIR && !m_automountBelow) {
            if (!skippedByOptions(node.path, name)) {
                subFolders.push_back({std::string(name), std::nullopt});
            }
            return 0;
        }
        struct stat st {};
        if (::fstatat(fd, listing.cName(entry), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            return errno == ENOENT ? 0 : errno;
        }
        if (S_ISDIR(st.st_mode)) {
            const bool pseudo =
                st.st_dev != node.device && m_mounts.pseudoDevices.count(st.st_dev) != 0;
            if (m_subFolders && !pseudo && !skippedByOptions(node.path, name)) {
                subFolders.push_back({std::string(name), st.st_dev});
            }
            return 0;
        }
        if (S_ISREG(st.st_mode) && !skippedByOptions(node.path, name) &&
            acceptsFile(name, static_cast<std::uint64_t>(st.st_size))) {
            const FileIdentity identity = identityOf(st);
            node.files.push_back({static_cast<std::uint32_t>(node.names.size()),
                                  static_cast<std::uint32_t>(name.size()), identity.size,
                                  identity.mtime, identity.ctimeNs, identity.device,
                                  identity.inode});
            node.names += name;
            ++m_filesListed;
        }
        return 0;
    }

    // Puts the folders whose turn has come in depth-first order into the candidates and
    // forgets them; stops at the first one not done yet, unless the walk has ended (then a
    // folder never listed, after a cancel, is passed over). Called with m_mutex held.
    void putReadyFolders(bool walkEnded, std::vector<Nodes::node_type>& finished) {
        while (!m_pending.empty()) {
            const auto it = m_nodes.find(m_pending.back());
            FolderNode& node = it->second;
            if (!node.done && !walkEnded) {
                return;
            }
            m_pending.pop_back();
            if (node.done && !node.leftOut) {
                putFolder(node);
                m_pending.insert(m_pending.end(), node.children.rbegin(), node.children.rend());
            }
            recycle(m_nodes.extract(it), finished);
        }
    }

    // Nodes are used again for later folders, with the room of their texts and lists: a
    // walk of many small folders then allocates, and frees, little. Freeing memory that
    // another walking thread allocated may wait for that thread's allocator. Called with
    // m_mutex held; what is not kept goes to `finished`, to be freed after the lock.
    static constexpr std::size_t kSpareNodes = 1024;
    static constexpr std::size_t kSpareRoom = 4096; // bytes of names a spare node may keep

    void recycle(Nodes::node_type done, std::vector<Nodes::node_type>& finished) {
        FolderNode& node = done.mapped();
        if (m_spareNodes.size() >= kSpareNodes || node.names.capacity() > kSpareRoom ||
            node.files.capacity() * sizeof(ListedFile) > kSpareRoom) {
            finished.push_back(std::move(done));
            return;
        }
        node.clearKeepingRoom();
        m_spareNodes.push_back(std::move(done));
    }

    // A node for folder `id`, a spare one if there is one. Called with m_mutex held.
    FolderNode& newNode(std::uint32_t id) {
        if (m_spareNodes.empty()) {
            return m_nodes[id];
        }
        Nodes::node_type spare = std::move(m_spareNodes.back());
        m_spareNodes.pop_back();
        spare.key() = id;
        return m_nodes.insert(std::move(spare)).position->second;
    }

    void putFolder(FolderNode& node) {
        if (!node.root) {
            ++m_counts.folders;
        }
        if (node.files.empty()) {
            return;
        }
        const std::uint32_t folder = m_out.addFolder(node.path, node.nearestOpen);
        for (const ListedFile& f : node.files) {
            Candidate& c = m_out.add(folder, {node.names.data() + f.nameOffset, f.nameLength});
            c.size = f.size;
            c.mtime = f.mtime;
            c.ctimeNs = f.ctimeNs;
            c.device = f.device;
            c.inode = f.inode;
            ++m_counts.files;
        }
    }

    const EnumerationContext& m_context;
    CandidateSet& m_out;
    SizeLimits m_limits;
    bool m_subFolders;
    bool m_allFiles;
    std::string m_maskLower;
    Mounts m_mounts;
    int m_rootFd = -1; // owned by the candidate set
    std::uint32_t m_rootIndex = 0;
    std::size_t m_rootLength = 0;
    std::atomic<std::int64_t> m_openRoom;
    bool m_automountBelow = true;         // the search folder holds an automount point
    std::int64_t m_reservedRoom;          // for folders with sub-folders
    std::atomic<std::int64_t> m_holdRoom; // folders that may stay open for their sub-folders
    FolderCounts m_counts;
    ProgressThrottle m_throttle;

    SpinningMutex m_mutex; // taken twice per folder by every walking thread
    std::condition_variable_any m_wake;
    Nodes m_nodes; // found and not yet put in
    std::vector<Nodes::node_type> m_spareNodes;
    std::uint32_t m_nextId = 1;
    std::vector<std::uint32_t> m_queue;   // to be listed, the next one last
    std::vector<std::uint32_t> m_pending; // to be put in, depth first, the next one last
    unsigned m_active = 0;
    std::string m_currentFolder;
    std::atomic<std::int64_t> m_filesListed{0};
    std::mutex m_issueMutex;
    QuestionRelay m_relay;
};

} // namespace

SizeLimits parseSizeLimits(std::string_view minText, std::string_view maxText) {
    SizeLimits limits;
    if (isNumeric(minText)) {
        limits.minBytes = kilobytesToBytes(minText);
    }
    if (!trimBlanks(maxText).empty()) {
        if (!isNumeric(maxText)) {
            throw ScanFailure(kTypeMismatch, "Type mismatch");
        }
        limits.maxBytes = kilobytesToBytes(maxText);
    }
    return limits;
}

void ExcludedFolders::add(std::string_view folder) {
    m_folders.emplace_back(folder);
}

bool ExcludedFolders::contains(std::string_view folderWithSlash) const {
    for (const std::string& excluded : m_folders) {
        // A text that already ends in "/" names the folder too (an exclusion typed with
        // its trailing slash must not silently exclude nothing).
        const bool withSlash = !excluded.empty() && excluded.back() == '/';
        if (withSlash ? folderWithSlash == excluded
                      : (folderWithSlash.size() == excluded.size() + 1 &&
                         folderWithSlash.back() == '/' && folderWithSlash.starts_with(excluded))) {
            return true;
        }
    }
    return false;
}

FolderCounts GetFiles(const SearchPathEntry& entry, const EnumerationContext& context,
                      CandidateSet& out) {
    std::string folder = entry.folder;
    if (folder.empty() || folder.back() != '/') {
        folder += '/';
    }
    const SizeLimits limits = parseSizeLimits(entry.minSize, entry.maxSize);
    const std::size_t issuesBefore = context.issues != nullptr ? context.issues->size() : 0;
    FolderWalker walker(entry, context, out, limits);
    const FolderCounts counts = walker.walkRoot(folder);
    if (context.issues != nullptr) {
        // Workers report in the order they happen to meet problems.
        std::sort(context.issues->begin() + static_cast<std::ptrdiff_t>(issuesBefore),
                  context.issues->end(),
                  [](const FileIssue& a, const FileIssue& b) { return a.path < b.path; });
    }
    return counts;
}

} // namespace pw
