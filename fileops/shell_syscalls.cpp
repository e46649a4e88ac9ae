#include "fileops/shell_syscalls.h"

#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace pw {

int SystemCalls::open(const std::string& path, int flags, mode_t mode) {
    int fd;
    do {
        fd = ::open(path.c_str(), flags | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

ssize_t SystemCalls::read(int fd, void* buffer, size_t size) {
    return ::read(fd, buffer, size);
}

ssize_t SystemCalls::write(int fd, const void* buffer, size_t size) {
    return ::write(fd, buffer, size);
}

int SystemCalls::fsync(int fd) {
    return ::fsync(fd);
}

int SystemCalls::close(int fd) {
    return ::close(fd);
}

int SystemCalls::fstat(int fd, struct stat* info) {
    return ::fstat(fd, info);
}

int SystemCalls::lstat(const std::string& path, struct stat* info) {
    return ::lstat(path.c_str(), info);
}

int SystemCalls::stat(const std::string& path, struct stat* info) {
    return ::stat(path.c_str(), info);
}

int SystemCalls::fchmod(int fd, mode_t mode) {
    return ::fchmod(fd, mode);
}

int SystemCalls::futimens(int fd, const struct timespec times[2]) {
    return ::futimens(fd, times);
}

int SystemCalls::mkdir(const std::string& path, mode_t mode) {
    return ::mkdir(path.c_str(), mode);
}

int SystemCalls::unlink(const std::string& path) {
    return ::unlink(path.c_str());
}

int SystemCalls::rename(const std::string& from, const std::string& to) {
    return ::rename(from.c_str(), to.c_str());
}

int SystemCalls::renameNoReplace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return 0;
    }
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) {
        return -1;
    }
    // link() fails with EEXIST on a taken name, so no file is ever replaced here either.
    if (::link(from.c_str(), to.c_str()) != 0) {
        return -1;
    }
    if (::unlink(from.c_str()) != 0) {
        const int error = errno;
        ::unlink(to.c_str());
        errno = error;
        return -1;
    }
    return 0;
}

SystemCalls& realSystemCalls() {
    static SystemCalls calls;
    return calls;
}

int FileDescriptor::reset() {
    if (m_fd < 0) {
        return 0;
    }
    const int result = m_sys.close(m_fd);
    m_fd = -1;
    return result;
}

} // namespace pw
