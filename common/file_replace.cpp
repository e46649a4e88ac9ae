#include "common/file_replace.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pw {
namespace {

FileWriteResult failure(int error) {
    FileWriteResult result;
    result.ok = false;
    result.error = error;
    if (error == EACCES || error == EPERM || error == EROFS || error == ETXTBSY || error == EBUSY) {
        result.message = kFileInUseMessage;
        result.title = kFileInUseTitle;
    } else {
        result.message = std::strerror(error);
        result.title = "Error";
    }
    return result;
}

// The path a write should replace: a symbolic link's target, so that the link survives.
std::string resolvedTarget(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        char buffer[PATH_MAX];
        if (::realpath(path.c_str(), buffer) != nullptr) {
            return buffer;
        }
    }
    return path;
}

bool writeAll(int fd, std::string_view content) {
    while (!content.empty()) {
        const ssize_t written = ::write(fd, content.data(), content.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        content.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// A name beside the target that no other writer picks: process id, a counter and the
// clock, retried on a clash.
int createTemporary(const std::string& target, std::string& name, mode_t mode) {
    static std::atomic<unsigned> counter{0};
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = folder + "." + base + ".tmp-" + std::to_string(::getpid()) + "-" +
               std::to_string(counter.fetch_add(1)) + "-" + std::to_string(::random());
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    errno = EEXIST;
    return -1;
}

// An existing target that is a folder, or that the user may not write, fails here.
// Renaming over a read-only file would succeed; it must fail as writing it would.
FileWriteResult checkExisting(const std::string& target, struct stat& st, bool& exists) {
    exists = false;
    if (::stat(target.c_str(), &st) != 0) {
        return {};
    }
    exists = true;
    if (S_ISDIR(st.st_mode)) {
        return failure(EISDIR);
    }
    if (::access(target.c_str(), W_OK) != 0) {
        return failure(errno);
    }
    return {};
}

} // namespace

FileWriteResult probeTarget(const std::string& path) {
    if (path.empty()) {
        return failure(ENOENT);
    }
    const std::string target = resolvedTarget(path);
    struct stat st {};
    bool exists = false;
    if (FileWriteResult checked = checkExisting(target, st, exists); !checked.ok) {
        return checked;
    }
    const std::size_t slash = target.rfind('/');
    const std::string folder =
        slash == std::string::npos ? "." : (slash == 0 ? "/" : target.substr(0, slash));
    if (::access(folder.c_str(), W_OK | X_OK) != 0) {
        return failure(errno);
    }
    return {};
}

FileWriteResult replaceFileContent(const std::string& path, std::string_view content) {
    if (path.empty()) {
        return failure(ENOENT);
    }
    const std::string target = resolvedTarget(path);
    struct stat st {};
    bool exists = false;
    if (FileWriteResult checked = checkExisting(target, st, exists); !checked.ok) {
        return checked;
    }
    std::string temporary;
    const int fd = createTemporary(target, temporary, exists ? (st.st_mode & 07777) : 0666);
    if (fd < 0) {
        return failure(errno);
    }
    int error = 0;
    if (!writeAll(fd, content) || ::fsync(fd) != 0) {
        error = errno;
    }
    // open() applied the umask; an existing file's own bits are put back exactly.
    if (error == 0 && exists && ::fchmod(fd, st.st_mode & 07777) != 0) {
        error = errno;
    }
    if (::close(fd) != 0 && error == 0) {
        error = errno;
    }
    if (error == 0 && ::rename(temporary.c_str(), target.c_str()) != 0) {
        error = errno;
    }
    if (error != 0) {
        ::unlink(temporary.c_str());
        return failure(error);
    }
    return {};
}

} // namespace pw
