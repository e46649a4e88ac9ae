// The check that a listed file is still the file the scan saw, made just before a delete
// or a move: a file edited after the scan is no longer a proven duplicate, and a path that
// now names a symbolic link must not lead the operation somewhere else.

#include "common/format.h"
#include "fileops/shell.h"
#include "results/result_table.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pw {

namespace {

// The file's status through a descriptor opened without following a final link;
// O_NONBLOCK keeps a FIFO put in the file's place from blocking the open.
ListedState statListed(const std::string& path, struct stat& info) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
        const int result = ::fstat(fd, &info);
        ::close(fd);
        return result == 0 ? ListedState::Unchanged : ListedState::Changed;
    }
    if (errno == ENOENT || errno == ENOTDIR) {
        return ListedState::Missing;
    }
    if (errno == ELOOP) {
        return ListedState::Changed;
    }
    // A file we may not read can still be one we may delete or move: judge it by lstat.
    if (::lstat(path.c_str(), &info) != 0) {
        return errno == ENOENT ? ListedState::Missing : ListedState::Changed;
    }
    return ListedState::Unchanged;
}

} // namespace

ListedState checkStillListed(const std::string& path, std::uint64_t size,
                             std::string_view modifiedText) {
    struct stat info {};
    const ListedState state = statListed(path, info);
    if (state != ListedState::Unchanged) {
        return state;
    }
    if (!S_ISREG(info.st_mode) || static_cast<std::uint64_t>(info.st_size) != size ||
        DateText(info.st_mtime) != modifiedText) {
        return ListedState::Changed;
    }
    return ListedState::Unchanged;
}

ListedState verifyListed(const ResultTableRow& row) {
    return checkStillListed(row.fullPath(), row.size(), row.cell(kColModified));
}

} // namespace pw
