#include "common/open_no_links.h"

#include "common/unique_fd.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace pw {
namespace {

std::atomic<bool> g_openat2Missing{false};

int openat2NoLinks(int folderFd, const char* relative, int flags,
                   std::uint64_t resolve = RESOLVE_NO_SYMLINKS) {
    open_how how{};
    how.flags = static_cast<std::uint64_t>(flags) | O_CLOEXEC;
    how.resolve = resolve;
    for (;;) {
        const long fd = ::syscall(SYS_openat2, folderFd, relative, &how, sizeof how);
        if (fd >= 0 || errno != EINTR) {
            return static_cast<int>(fd);
        }
    }
}

} // namespace

int openWithoutLinks(int folderFd, const char* relative, int flags) {
    if (!g_openat2Missing.load(std::memory_order_relaxed)) {
        const int fd = openat2NoLinks(folderFd, relative, flags);
        if (fd >= 0 || (errno != ENOSYS && errno != EPERM)) {
            return fd;
        }
        // EPERM can be a sandbox refusing the call itself: the walk below decides then.
        if (errno == ENOSYS) {
            g_openat2Missing.store(true, std::memory_order_relaxed);
        }
    }
    return openByComponents(folderFd, relative, flags);
}

int openOnSameMount(int folderFd, const char* relative, int flags) {
    if (!g_openat2Missing.load(std::memory_order_relaxed)) {
        const int fd =
            openat2NoLinks(folderFd, relative, flags, RESOLVE_NO_SYMLINKS | RESOLVE_NO_XDEV);
        if (fd >= 0 || (errno != ENOSYS && errno != EPERM)) {
            return fd;
        }
    }
    errno = EXDEV;
    return -1;
}

// Every folder on the way is opened on its own, refusing a link, and the next component is
// looked up beneath it.
int openByComponents(int folderFd, std::string_view path, int flags) {
    UniqueFd current;
    int base = folderFd;
    if (path.starts_with('/')) {
        current.reset(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
        if (!current.valid()) {
            return -1;
        }
        base = current.get();
    }
    std::string component = ".";
    std::size_t pos = 0;
    while (pos < path.size()) {
        const std::size_t slash = std::min(path.find('/', pos), path.size());
        const std::string_view part = path.substr(pos, slash - pos);
        pos = slash + 1;
        if (part.empty() || part == ".") {
            continue;
        }
        if (component != ".") {
            const int next =
                ::openat(base, component.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (next < 0) {
                // A link where a folder was fails as openat2 fails on it.
                const int error = errno;
                struct stat st {};
                const bool link =
                    error == ENOTDIR &&
                    ::fstatat(base, component.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                    S_ISLNK(st.st_mode);
                errno = link ? ELOOP : error;
                return -1;
            }
            current.reset(next);
            base = next;
        }
        component = part;
    }
    const int fd = ::openat(base, component.c_str(), flags | O_NOFOLLOW | O_CLOEXEC);
    // With O_PATH, O_NOFOLLOW opens a final link itself instead of failing on it.
    struct stat st {};
    if (fd >= 0 && (flags & O_PATH) != 0 && ::fstat(fd, &st) == 0 && S_ISLNK(st.st_mode)) {
        ::close(fd);
        errno = ELOOP;
        return -1;
    }
    return fd;
}

std::string_view searchRootOf(const std::vector<std::string>& roots, std::string_view path) {
    std::string_view best;
    for (std::string_view root : roots) {
        while (root.size() > 1 && root.back() == '/') {
            root.remove_suffix(1);
        }
        const bool contains =
            !root.empty() && path.starts_with(root) &&
            (root == "/" || path.size() == root.size() || path[root.size()] == '/');
        if (contains && root.size() > best.size()) {
            best = path.substr(0, root.size());
        }
    }
    return best;
}

int openListedPath(const std::vector<std::string>& roots, const std::string& path, int flags) {
    const std::string_view root = searchRootOf(roots, path);
    if (root.empty()) {
        return openWithoutLinks(AT_FDCWD, path.c_str(), flags);
    }
    const UniqueFd rootFd(::open(std::string(root).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!rootFd.valid()) {
        return -1;
    }
    std::size_t rest = root.size();
    while (rest < path.size() && path[rest] == '/') {
        ++rest;
    }
    return openWithoutLinks(rootFd.get(), rest < path.size() ? path.c_str() + rest : ".", flags);
}

} // namespace pw
