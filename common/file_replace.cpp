#include "common/file_replace.h"

#include <atomic>
#include <cerrno>
#include <charconv>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace pw {
namespace {

bool inUse(int error) {
    return error == EBUSY || error == ETXTBSY;
}

WriteTarget refused(FileWriteResult refusal) {
    WriteTarget target;
    target.kind = TargetKind::Refused;
    target.refusal = std::move(refusal);
    return target;
}

// The kinds of file that are never written, by what stat() said.
FileWriteResult refusalForKind(const std::string& path, mode_t mode) {
    if (S_ISDIR(mode)) {
        return writeFailure(path, EISDIR);
    }
    if (S_ISBLK(mode)) {
        return writeRefusal(path, "it is a block device, not a file");
    }
    if (S_ISSOCK(mode)) {
        return writeRefusal(path, "it is a socket, not a file");
    }
    return writeRefusal(path, "it is not a regular file");
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

// Keeps SIGPIPE from ending the process while it writes into a pipe whose reader has
// gone (a desktop program would vanish): the write fails with EPIPE instead and is
// reported like any other failure. A SIGPIPE that the write raised is taken off before
// the thread's old mask comes back; one that was pending before is left alone.
class SigpipeHeld {
public:
    SigpipeHeld() {
        sigemptyset(&m_pipe);
        sigaddset(&m_pipe, SIGPIPE);
        sigset_t pending;
        sigemptyset(&pending);
        sigpending(&pending);
        m_wasPending = sigismember(&pending, SIGPIPE) == 1;
        pthread_sigmask(SIG_BLOCK, &m_pipe, &m_old);
    }
    ~SigpipeHeld() {
        if (!m_wasPending) {
            const timespec none{};
            while (sigtimedwait(&m_pipe, nullptr, &none) == SIGPIPE) {
            }
        }
        pthread_sigmask(SIG_SETMASK, &m_old, nullptr);
    }
    SigpipeHeld(const SigpipeHeld&) = delete;
    SigpipeHeld& operator=(const SigpipeHeld&) = delete;

private:
    sigset_t m_pipe;
    sigset_t m_old;
    bool m_wasPending = false;
};

// Writes everything; answers 0 or the errno of the failure.
int writeHeld(int fd, std::string_view content) {
    const SigpipeHeld held;
    return writeAll(fd, content) ? 0 : errno;
}

// A terminal, /dev/null or a pipe takes the bytes where it stands: there is nothing to
// replace and nothing to sync.
FileWriteResult writeIntoStream(const std::string& path, mode_t mode, std::string_view content) {
    // Non-blocking, so that a FIFO without a reader fails at once (ENXIO) instead of
    // waiting for one forever; the writes themselves block as usual.
    const int fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (errno == ENXIO && S_ISFIFO(mode)) {
            FileWriteResult result = writeFailure(path, ENXIO);
            result.cause = "no program is reading from the pipe";
            return result;
        }
        return writeFailure(path, errno);
    }
    // A regular file put there since it was looked at would be overwritten in place.
    struct stat st {};
    if (::fstat(fd, &st) != 0 || (!S_ISCHR(st.st_mode) && !S_ISFIFO(st.st_mode))) {
        ::close(fd);
        return writeRefusal(path, "it changed while it was being opened");
    }
    int error = 0;
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        error = errno;
    }
    if (error == 0) {
        error = writeHeld(fd, content);
    }
    if (::close(fd) != 0 && error == 0 && errno != EINTR) {
        error = errno;
    }
    return error == 0 ? FileWriteResult{} : writeFailure(path, error);
}

// The descriptor of this process that `path` names through /proc/<pid>/fd (as
// /dev/stdout, /dev/fd/N and /proc/self/fd/N do), or -1. The links are followed one by
// one: stat() alone would name the file behind the descriptor, not the descriptor.
int ownDescriptorNamed(const std::string& path) {
    const std::string own = "/proc/" + std::to_string(::getpid()) + "/fd";
    std::string current = path;
    for (int hop = 0; hop < 40; ++hop) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            return -1;
        }
        const std::size_t slash = current.rfind('/');
        const std::string folder =
            slash == std::string::npos ? "." : (slash == 0 ? "/" : current.substr(0, slash));
        const std::string_view name = std::string_view(current).substr(slash + 1);
        char* real = ::realpath(folder.c_str(), nullptr);
        const bool inOwn = real != nullptr && own == real;
        std::free(real);
        if (inOwn) {
            int fd = -1;
            const auto [end, ec] = std::from_chars(name.data(), name.data() + name.size(), fd);
            return ec == std::errc() && end == name.data() + name.size() ? fd : -1;
        }
        char link[PATH_MAX];
        const ssize_t length = ::readlink(current.c_str(), link, sizeof link);
        if (length <= 0 || static_cast<std::size_t>(length) == sizeof link) {
            return -1;
        }
        const std::string next(link, static_cast<std::size_t>(length));
        current = next.front() == '/' ? next : folder + "/" + next;
    }
    return -1;
}

// Whether an open descriptor was opened for writing.
FileWriteResult checkDescriptor(const std::string& path, int fd) {
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0) {
        return writeFailure(path, errno);
    }
    const int access = flags & O_ACCMODE;
    return access == O_WRONLY || access == O_RDWR ? FileWriteResult{} : writeFailure(path, EBADF);
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

FileWriteResult replaceAtomically(const std::string& path, const WriteTarget& target,
                                  std::string_view content) {
    const bool exists = target.kind == TargetKind::Regular;
    std::string temporary;
    const int fd = createTemporary(target.file, temporary, exists ? (target.mode & 07777) : 0666);
    if (fd < 0) {
        return writeFailure(path, errno);
    }
    int error = 0;
    if (!writeAll(fd, content) || ::fsync(fd) != 0) {
        error = errno;
    }
    // open() applied the umask; an existing file's own bits are put back exactly.
    if (error == 0 && exists && ::fchmod(fd, target.mode & 07777) != 0) {
        error = errno;
    }
    if (::close(fd) != 0 && error == 0) {
        error = errno;
    }
    if (error == 0 && ::rename(temporary.c_str(), target.file.c_str()) != 0) {
        error = errno;
    }
    if (error != 0) {
        ::unlink(temporary.c_str());
        return writeFailure(path, error);
    }
    return {};
}

// Renaming over a read-only file would succeed; it must fail as writing it would.
FileWriteResult checkWritable(const std::string& path, const WriteTarget& target) {
    if (target.kind != TargetKind::New && ::access(target.file.c_str(), W_OK) != 0) {
        return writeFailure(path, errno);
    }
    return {};
}

} // namespace

std::string FileWriteResult::message(const PathText& show) const {
    if (ok) {
        return {};
    }
    if (inUse(error)) {
        return std::string(kFileInUseMessage);
    }
    const auto shown = [&show](const std::string& p) { return show ? show(p) : p; };
    if (!listedPath.empty()) {
        return shown(path) + " is " + shown(listedPath) +
               ", a file of the result list; choose another file name.";
    }
    return "Cannot write " + shown(path) + ": " + cause + ".";
}

FileWriteResult writeFailure(const std::string& path, int error) {
    FileWriteResult result;
    result.ok = false;
    result.error = error;
    result.title = inUse(error) ? kFileInUseTitle : "Error";
    result.path = path;
    result.cause = std::strerror(error);
    return result;
}

FileWriteResult writeRefusal(const std::string& path, std::string cause) {
    FileWriteResult result;
    result.ok = false;
    result.title = "Error";
    result.path = path;
    result.cause = std::move(cause);
    return result;
}

WriteTarget resolveWriteTarget(const std::string& path) {
    if (path.empty()) {
        return refused(writeFailure(path, ENOENT));
    }
    struct stat link {};
    if (::lstat(path.c_str(), &link) != 0) {
        if (errno != ENOENT) {
            return refused(writeFailure(path, errno));
        }
        WriteTarget target;
        target.file = path;
        return target;
    }
    struct stat st = link;
    if (S_ISLNK(link.st_mode) && ::stat(path.c_str(), &st) != 0) {
        // Writing would create the missing file somewhere the user never named.
        return refused(errno == ENOENT ? writeRefusal(path, "it is a symbolic link to nothing")
                                       : writeFailure(path, errno));
    }
    WriteTarget target;
    target.file = path;
    target.device = st.st_dev;
    target.inode = st.st_ino;
    target.mode = st.st_mode;
    if (!S_ISREG(st.st_mode) && !S_ISCHR(st.st_mode) && !S_ISFIFO(st.st_mode)) {
        return refused(refusalForKind(path, st.st_mode));
    }
    if (S_ISLNK(link.st_mode)) {
        target.descriptor = ownDescriptorNamed(path);
    }
    if (target.descriptor >= 0) {
        target.kind = TargetKind::Descriptor;
    } else if (!S_ISREG(st.st_mode)) {
        target.kind = TargetKind::Stream;
    } else {
        target.kind = TargetKind::Regular;
        // The rename replaces the file at the end of the links; the links stay.
        if (S_ISLNK(link.st_mode)) {
            char* real = ::realpath(path.c_str(), nullptr);
            if (real == nullptr) {
                return refused(writeFailure(path, errno));
            }
            target.file = real;
            std::free(real);
        }
    }
    return target;
}

FileWriteResult probeTarget(const std::string& path) {
    const WriteTarget target = resolveWriteTarget(path);
    if (target.kind == TargetKind::Refused) {
        return target.refusal;
    }
    if (target.kind == TargetKind::Descriptor) {
        return checkDescriptor(path, target.descriptor);
    }
    if (FileWriteResult writable = checkWritable(path, target); !writable.ok) {
        return writable;
    }
    if (target.kind == TargetKind::Stream) {
        return {};
    }
    const std::size_t slash = target.file.rfind('/');
    const std::string folder =
        slash == std::string::npos ? "." : (slash == 0 ? "/" : target.file.substr(0, slash));
    if (::access(folder.c_str(), W_OK | X_OK) != 0) {
        return writeFailure(path, errno);
    }
    return {};
}

FileWriteResult replaceFileContent(const std::string& path, std::string_view content) {
    const WriteTarget target = resolveWriteTarget(path);
    if (target.kind == TargetKind::Refused) {
        return target.refusal;
    }
    if (target.kind == TargetKind::Descriptor) {
        if (FileWriteResult checked = checkDescriptor(path, target.descriptor); !checked.ok) {
            return checked;
        }
        const int error = writeHeld(target.descriptor, content);
        return error == 0 ? FileWriteResult{} : writeFailure(path, error);
    }
    if (FileWriteResult writable = checkWritable(path, target); !writable.ok) {
        return writable;
    }
    if (target.kind == TargetKind::Stream) {
        return writeIntoStream(path, target.mode, content);
    }
    return replaceAtomically(path, target, content);
}

} // namespace pw
