#include "search/file_reader.h"

#include "common/open_no_links.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace pw {
namespace {

std::atomic<ReadHook> g_readHook{nullptr};

void notify(ReadEvent event, const std::string* path) {
    if (const ReadHook hook = g_readHook.load(std::memory_order_relaxed); hook != nullptr) {
        hook(event, *path);
    }
}

bool fail(ReadError& error, int code) {
    error.error = code;
    error.message = code == 0 ? "File changed since the scan" : std::strerror(code);
    return false;
}

} // namespace

FileIdentity identityOf(const struct stat& st) {
    return {static_cast<std::uint64_t>(st.st_size), st.st_mtim.tv_sec,
            st.st_ctim.tv_sec * 1'000'000'000LL + st.st_ctim.tv_nsec,
            static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

void setReadHookForTests(ReadHook hook) {
    g_readHook.store(hook, std::memory_order_relaxed);
}

CandidateFile::~CandidateFile() {
    close();
}

CandidateFile::CandidateFile(CandidateFile&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_path(other.m_path), m_listed(other.m_listed) {}

CandidateFile& CandidateFile::operator=(CandidateFile&& other) noexcept {
    if (this != &other) {
        close();
        m_fd = std::exchange(other.m_fd, -1);
        m_path = other.m_path;
        m_listed = other.m_listed;
    }
    return *this;
}

void CandidateFile::close() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

bool CandidateFile::open(const ReadTarget& target, ReadError& error) {
    close();
    m_path = &target.path;
    m_listed = target.listed;
    notify(ReadEvent::BeforeOpen, m_path);
    // O_NONBLOCK: a name that became a FIFO since the listing must not hang the scan; it
    // fails at its first read, like a name that became a folder.
    m_fd = openWithoutLinks(target.folderFd, target.path.c_str() + target.relative,
                            O_RDONLY | O_NOCTTY | O_NONBLOCK);
    if (m_fd < 0) {
        return fail(error, errno);
    }
    return true;
}

bool CandidateFile::unchanged() const {
    struct stat st {};
    if (::fstat(m_fd, &st) != 0) {
        return false;
    }
    const FileIdentity now = identityOf(st);
    return now.size == m_listed.size && now.mtime == m_listed.mtime &&
           now.ctimeNs == m_listed.ctimeNs && now.device == m_listed.device &&
           now.inode == m_listed.inode;
}

bool CandidateFile::readAt(std::uint64_t offset, char* buffer, std::size_t length,
                           ReadError& error) const {
    const bool last = offset + length == m_listed.size;
    const std::size_t wanted = last ? length + 1 : length;
    std::size_t done = 0;
    while (done < wanted) {
        const std::size_t asked = wanted - done;
        const ssize_t n = ::pread(m_fd, buffer + done, asked, static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return fail(error, errno);
        }
        done += static_cast<std::size_t>(n);
        // A regular file reads short only at its end: asking again would only confirm it.
        if (static_cast<std::size_t>(n) < asked) {
            break;
        }
    }
    if (done != length) {
        return fail(error, 0);
    }
    if (last) {
        notify(ReadEvent::AfterLastRead, m_path);
        if (!unchanged()) {
            return fail(error, 0);
        }
    }
    return true;
}

} // namespace pw
