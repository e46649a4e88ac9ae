#include "search/enumeration.h"

#include "common/text.h"
#include "search/progress_throttle.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <limits>
#include <set>
#include <sstream>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace pw {
namespace {

constexpr std::int32_t kOverflow = 6;
constexpr std::int32_t kTypeMismatch = 13;
constexpr std::uint32_t kEntriesPerProgressCheck = 64;

// The operating system's own trees, kept out of a scan while protection is on.
constexpr std::array<std::string_view, 14> kProtectedTrees = {
    "/bin",    "/boot", "/dev", "/etc",  "/lib", "/lib32", "/lib64",
    "/libx32", "/proc", "/run", "/sbin", "/sys", "/usr",   "/var/lib"};

// File systems that only present kernel state; walking them is slow, can block, and never
// finds a user's duplicate.
constexpr std::array<std::string_view, 20> kPseudoTypes = {
    "proc",        "sysfs",      "devtmpfs", "devpts",     "cgroup",   "cgroup2",  "tracefs",
    "debugfs",     "securityfs", "bpf",      "pstore",     "configfs", "fusectl",  "mqueue",
    "binfmt_misc", "autofs",     "efivarfs", "rpc_pipefs", "nsfs",     "selinuxfs"};

constexpr std::array<unsigned long, 17> kPseudoMagics = {
    0x9fa0,     0x62656572, 0x1cd1,     0x27e0eb,   0x63677270, 0x74726163,
    0x64626720, 0x73636673, 0xcafe4a11, 0x6165676C, 0x62656570, 0x65735543,
    0x19800202, 0x42494e4d, 0x6e736673, 0xde5e81e4, 0xf97cff8c};

// Converts a size box text the way the size limits always have: a whole number of KB,
// halves rounded to even, times 1024, all within a signed 32-bit count.
std::int32_t kilobytesToBytes(std::string_view text) {
    const std::string trimmed(trimBlanks(text));
    const double value = std::strtod(trimmed.c_str(), nullptr);
    const double whole = std::nearbyint(value);
    if (!(whole >= std::numeric_limits<std::int32_t>::min() &&
          whole <= std::numeric_limits<std::int32_t>::max())) {
        throw ScanFailure(kOverflow, "Overflow");
    }
    const std::int64_t bytes = static_cast<std::int64_t>(whole) * 1024;
    if (bytes < std::numeric_limits<std::int32_t>::min() ||
        bytes > std::numeric_limits<std::int32_t>::max()) {
        throw ScanFailure(kOverflow, "Overflow");
    }
    return static_cast<std::int32_t>(bytes);
}

std::set<dev_t> pseudoDevices() {
    std::set<dev_t> devices;
    std::ifstream mounts("/proc/self/mountinfo");
    std::string line;
    while (std::getline(mounts, line)) {
        std::istringstream fields(line);
        std::string id;
        std::string parent;
        std::string majorMinor;
        fields >> id >> parent >> majorMinor;
        const auto separator = line.find(" - ");
        if (separator == std::string::npos) {
            continue;
        }
        std::istringstream tail(line.substr(separator + 3));
        std::string type;
        tail >> type;
        if (std::find(kPseudoTypes.begin(), kPseudoTypes.end(), type) == kPseudoTypes.end()) {
            continue;
        }
        unsigned major = 0;
        unsigned minor = 0;
        if (std::sscanf(majorMinor.c_str(), "%u:%u", &major, &minor) == 2) {
            devices.insert(makedev(major, minor));
        }
    }
    return devices;
}

bool isPseudoMagic(int fd) {
    struct statfs info {};
    if (fstatfs(fd, &info) != 0) {
        return false;
    }
    const auto magic = static_cast<unsigned long>(info.f_type);
    return std::find(kPseudoMagics.begin(), kPseudoMagics.end(), magic) != kPseudoMagics.end();
}

struct DirEntry {
    std::string name;
    unsigned char type;
};

class FolderWalker {
public:
    FolderWalker(const SearchPathEntry& entry, const EnumerationContext& context, CandidateSet& out,
                 SizeLimits limits)
        : m_context(context), m_out(out), m_limits(limits), m_subFolders(entry.subFolders == "Yes"),
          m_allFiles(entry.fileTypes.find("*.*") != std::string::npos),
          m_maskLower(lowerText(entry.fileTypes)), m_pseudoDevices(pseudoDevices()) {}

    FolderCounts walkRoot(const std::string& folder) {
        const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) {
            report(folder, "list", errno);
            return m_counts;
        }
        struct stat st {};
        if (::fstat(fd, &st) != 0 || isPseudo(fd, st.st_dev)) {
            ::close(fd);
            return m_counts;
        }
        walk(folder, fd, st.st_dev);
        return m_counts;
    }

private:
    bool cancelled() const { return m_context.cancel.cancelled(); }

    void report(const std::string& path, const char* operation, int error) {
        if (m_context.issues != nullptr) {
            m_context.issues->push_back({path, operation, error, std::strerror(error)});
        }
    }

    bool isPseudo(int fd, dev_t device) const {
        return m_pseudoDevices.count(device) != 0 || isPseudoMagic(fd);
    }

    void showProgress(const std::string& folder) {
        if (!m_context.progress || !m_throttle.due()) {
            return;
        }
        ScanProgress p;
        p.stage = ScanStage::Enumerating;
        p.statusText = "Scanning... " + folder;
        const auto parent = folder.find_last_of('/', folder.size() - 2);
        p.captionText = "Scanning... " + folder.substr(0, 3) + ".../" +
                        (parent == std::string::npos ? folder : folder.substr(parent + 1));
        p.processed = m_counts.files;
        m_context.progress(p);
    }

    // Reads a whole listing first and sorts it, so that the order of the records never
    // depends on the order the file system returns. The folder's handle is closed before
    // its sub-folders are entered, so deep trees never run out of handles.
    std::vector<DirEntry> readListing(const std::string& folder, int fd) {
        std::vector<DirEntry> entries;
        const int listFd = ::dup(fd);
        DIR* dir = listFd < 0 ? nullptr : ::fdopendir(listFd);
        if (dir == nullptr) {
            report(folder, "list", errno);
            if (listFd >= 0) {
                ::close(listFd);
            }
            return entries;
        }
        for (;;) {
            errno = 0;
            const dirent* e = ::readdir(dir);
            if (e == nullptr) {
                if (errno != 0) {
                    report(folder, "list", errno);
                }
                break;
            }
            const std::string_view name = TrimNull(e->d_name);
            if (name.empty() || name == "." || name == "..") {
                continue;
            }
            entries.push_back({std::string(name), e->d_type});
        }
        ::closedir(dir);
        std::sort(entries.begin(), entries.end(),
                  [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
        return entries;
    }

    bool skippedByOptions(const std::string& folder, std::string_view name) const {
        if (!m_context.options.includeHidden && name.front() == '.') {
            return true;
        }
        return m_context.options.protectSystem && isProtectedPath(folder + std::string(name));
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

    void addFile(const std::string& folder, std::uint32_t& folderIndex, std::string_view name,
                 const struct stat& st) {
        if (folderIndex == kNoFolder) {
            folderIndex = m_out.addFolder(folder);
        }
        Candidate& c = m_out.add(folderIndex, name);
        c.size = static_cast<std::uint64_t>(st.st_size);
        c.mtime = st.st_mtim.tv_sec;
        c.device = st.st_dev;
        c.inode = st.st_ino;
        ++m_counts.files;
    }

    struct SubFolder {
        std::string name;
        dev_t device;
    };

    // Handles one entry; returns a sub-folder to enter, if it is one.
    std::optional<SubFolder> handleEntry(const std::string& folder, int fd, dev_t folderDevice,
                                         std::uint32_t& folderIndex, const DirEntry& entry) {
        switch (entry.type) {
        case DT_REG:
        case DT_DIR:
        case DT_UNKNOWN:
            break;
        default:
            return std::nullopt; // links, devices, pipes and sockets are never candidates
        }
        if (entry.type == DT_DIR && !m_subFolders) {
            return std::nullopt;
        }
        struct stat st {};
        if (::fstatat(fd, entry.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            return std::nullopt; // vanished since the listing
        }
        if (S_ISDIR(st.st_mode)) {
            if (!m_subFolders || skippedByOptions(folder, entry.name)) {
                return std::nullopt;
            }
            return SubFolder{entry.name, st.st_dev != folderDevice ? st.st_dev : folderDevice};
        }
        if (S_ISREG(st.st_mode) && !skippedByOptions(folder, entry.name) &&
            acceptsFile(entry.name, static_cast<std::uint64_t>(st.st_size))) {
            addFile(folder, folderIndex, entry.name, st);
        }
        return std::nullopt;
    }

    void walk(const std::string& folder, int fd, dev_t device) {
        if (m_context.excluded.contains(folder)) {
            ::close(fd); // entered and counted, but nothing in it is handled
            return;
        }
        const std::vector<DirEntry> entries = readListing(folder, fd);
        std::vector<SubFolder> subFolders;
        std::uint32_t folderIndex = kNoFolder;
        std::uint32_t sinceCheck = 0;
        for (const DirEntry& entry : entries) {
            if (cancelled()) {
                break;
            }
            if (++sinceCheck == kEntriesPerProgressCheck) {
                sinceCheck = 0;
                showProgress(folder);
            }
            handleWithRetry(folder, fd, device, folderIndex, entry, subFolders);
        }
        ::close(fd);
        for (const SubFolder& sub : subFolders) {
            if (cancelled()) {
                return;
            }
            enterSubFolder(folder + sub.name + "/", device, sub.device);
            showProgress(folder);
        }
    }

    void handleWithRetry(const std::string& folder, int fd, dev_t device,
                         std::uint32_t& folderIndex, const DirEntry& entry,
                         std::vector<SubFolder>& subFolders) {
        for (;;) {
            try {
                if (auto sub = handleEntry(folder, fd, device, folderIndex, entry)) {
                    subFolders.push_back(std::move(*sub));
                }
                return;
            } catch (const std::bad_alloc&) {
                const RuntimeError error{7, "Out of memory", "Generate Folder List",
                                         folder + entry.name};
                if (!m_context.runtimeError ||
                    m_context.runtimeError(error) != ErrorAnswer::Retry) {
                    return;
                }
            }
        }
    }

    void enterSubFolder(const std::string& path, dev_t parentDevice, dev_t device) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) {
            report(path, "list", errno);
            ++m_counts.folders;
            return;
        }
        if (device != parentDevice && isPseudo(fd, device)) {
            ::close(fd);
            return;
        }
        ++m_counts.folders;
        walk(path, fd, device);
    }

    static constexpr std::uint32_t kNoFolder = std::numeric_limits<std::uint32_t>::max();

    const EnumerationContext& m_context;
    CandidateSet& m_out;
    SizeLimits m_limits;
    bool m_subFolders;
    bool m_allFiles;
    std::string m_maskLower;
    std::set<dev_t> m_pseudoDevices;
    FolderCounts m_counts;
    ProgressThrottle m_throttle;
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

std::string_view TrimNull(std::string_view text) {
    const auto nul = text.find('\0');
    return nul == std::string_view::npos ? text : text.substr(0, nul);
}

bool FileExists(const std::string& fullPath) {
    struct stat st {};
    return ::lstat(fullPath.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool isProtectedPath(std::string_view path) {
    for (std::string_view tree : kProtectedTrees) {
        if (path.starts_with(tree) && (path.size() == tree.size() || path[tree.size()] == '/')) {
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
    FolderWalker walker(entry, context, out, limits);
    return walker.walkRoot(folder);
}

} // namespace pw
