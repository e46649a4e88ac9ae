// The check that a listed file is still the file the scan saw, made just before a delete
// or a move: a file edited after the scan is no longer a proven duplicate, and a path that
// now names a symbolic link must not lead the operation somewhere else.

#include "common/format.h"
#include "common/open_no_links.h"
#include "common/unique_fd.h"
#include "fileops/shell.h"
#include "results/result_table.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace pw {

namespace {

// The file's status through a descriptor that only names it: a file we may not read can
// still be one we may delete or move, and a FIFO put in its place cannot block the check.
// Below its search folder no link is followed, so a folder replaced by a link since the
// scan counts as a change, not as the way to another file.
ListedState statListed(const std::vector<std::string>& searchFolders, const std::string& path,
                       struct stat& info) {
    const UniqueFd fd(openListedPath(searchFolders, path, O_PATH));
    if (!fd.valid()) {
        return errno == ENOENT || errno == ENOTDIR ? ListedState::Missing : ListedState::Changed;
    }
    return ::fstat(fd.get(), &info) == 0 ? ListedState::Unchanged : ListedState::Changed;
}

} // namespace

ListedState checkStillListed(const std::string& path, std::uint64_t size,
                             std::string_view modifiedText,
                             const std::vector<std::string>& searchFolders,
                             ListedIdentity identity) {
    struct stat info {};
    const ListedState state = statListed(searchFolders, path, info);
    if (state != ListedState::Unchanged) {
        return state;
    }
    if (!S_ISREG(info.st_mode) || static_cast<std::uint64_t>(info.st_size) != size ||
        DateText(info.st_mtime) != modifiedText) {
        return ListedState::Changed;
    }
    if (identity.known() && (static_cast<std::uint64_t>(info.st_dev) != identity.device ||
                             static_cast<std::uint64_t>(info.st_ino) != identity.inode)) {
        return ListedState::Changed;
    }
    return ListedState::Unchanged;
}

ListedState verifyListed(const ResultTable& table, const ResultTableRow& row) {
    return checkStillListed(row.fullPath(), row.size, cellText(row, kColModified),
                            table.searchFolders, {row.device, row.inode});
}

} // namespace pw
