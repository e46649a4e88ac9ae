#include "search/file_reader.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

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

CandidateFile::CandidateFile(CandidateFile&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_size(other.m_size) {}

CandidateFile& CandidateFile::operator=(CandidateFile&& other) noexcept {
    if (this != &other) {
        close();
        m_fd = std::exchange(other.m_fd, -1);
        m_size = other.m_size;
    }
    return *this;
}

void CandidateFile::close() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

bool CandidateFile::open(const std::string& path, std::uint64_t expectedSize, ReadError& error) {
    close();
    // O_NONBLOCK: a name that became a FIFO since the listing must not hang the scan; it
    // fails at its first read, like a name that became a folder.
    m_fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (m_fd < 0) {
        return fail(error, errno);
    }
    m_size = expectedSize;
    return true;
}

bool CandidateFile::readAt(std::uint64_t offset, char* buffer, std::size_t length,
                           ReadError& error) const {
    const bool last = offset + length == m_size;
    const std::size_t wanted = last ? length + 1 : length;
    std::size_t done = 0;
    while (done < wanted) {
        const ssize_t n =
            ::pread(m_fd, buffer + done, wanted - done, static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return fail(error, errno);
        }
        if (n == 0) {
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    return done == length ? true : fail(error, 0);
}

} // namespace pw
