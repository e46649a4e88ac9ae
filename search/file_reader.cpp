#include "search/file_reader.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pw {
namespace {

bool fail(ReadError& error, int code) {
    error.error = code;
    error.message = code == 0 ? "File changed since the scan" : std::strerror(code);
    return false;
}

} // namespace

CandidateFile::~CandidateFile() {
    close();
}

void CandidateFile::close() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

bool CandidateFile::open(const std::string& path, std::uint64_t expectedSize, ReadError& error) {
    close();
    // O_NONBLOCK: a name that became a FIFO since the listing must not hang the scan.
    m_fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (m_fd < 0) {
        return fail(error, errno);
    }
    struct stat st {};
    if (::fstat(m_fd, &st) != 0) {
        const int code = errno;
        close();
        return fail(error, code);
    }
    if (!S_ISREG(st.st_mode) || static_cast<std::uint64_t>(st.st_size) != expectedSize) {
        close();
        return fail(error, 0);
    }
    return true;
}

bool CandidateFile::readAt(std::uint64_t offset, char* buffer, std::size_t length,
                           ReadError& error) const {
    std::size_t done = 0;
    while (done < length) {
        const ssize_t n =
            ::pread(m_fd, buffer + done, length - done, static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return fail(error, errno);
        }
        if (n == 0) {
            return fail(error, 0);
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace pw
