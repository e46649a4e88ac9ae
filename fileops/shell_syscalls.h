#pragma once
// The system calls the shell makes, behind one seam so that tests can make any of them
// fail (a full disk half way through a copy, a rename across file systems) without
// depending on permission bits or on the machine's mounts. Each call behaves as its POSIX
// namesake: -1 with errno set on failure.

#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>

namespace pw {

class SystemCalls {
public:
    virtual ~SystemCalls() = default;

    virtual int open(const std::string& path, int flags, mode_t mode = 0);
    virtual ssize_t read(int fd, void* buffer, size_t size);
    virtual ssize_t write(int fd, const void* buffer, size_t size);
    virtual int fsync(int fd);
    virtual int close(int fd);
    virtual int fstat(int fd, struct stat* info);
    virtual int lstat(const std::string& path, struct stat* info);
    virtual int stat(const std::string& path, struct stat* info);
    virtual int fchmod(int fd, mode_t mode);
    virtual int futimens(int fd, const struct timespec times[2]);
    virtual int mkdir(const std::string& path, mode_t mode);
    virtual int unlink(const std::string& path);
    virtual int rename(const std::string& from, const std::string& to);
    // Renames without ever replacing `to`: EEXIST when it is taken. On file systems
    // without an atomic no-replace rename, a hard link to `to` and an unlink of `from`.
    virtual int renameNoReplace(const std::string& from, const std::string& to);
};

// The process's real system calls.
SystemCalls& realSystemCalls();

// Closes a descriptor at the end of its scope.
class FileDescriptor {
public:
    FileDescriptor(SystemCalls& sys, int fd) : m_sys(sys), m_fd(fd) {}
    ~FileDescriptor() { reset(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    // Closes now; returns the close's result (a delayed write error shows up here).
    int reset();

private:
    SystemCalls& m_sys;
    int m_fd;
};

} // namespace pw
