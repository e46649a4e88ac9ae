#pragma once
// Opening a listed file again without following a symbolic link anywhere on its way. A
// folder that was listed and then replaced by a link to somewhere else must not lead a
// read, a delete or a move into that other place; only the folder the user named to be
// searched may itself be reached through links.

#include <string>
#include <string_view>
#include <vector>

namespace pw {

// Opens `relative` below the folder open as `folderFd` (or, with AT_FDCWD, a path as
// open() takes it) with `flags`, following no symbolic link in any of its components: a
// link on the way fails with ELOOP or ENOTDIR. Uses openat2 with RESOLVE_NO_SYMLINKS where
// the kernel has it, else opens one component after the other. Returns the descriptor, or
// -1 with errno set.
int openWithoutLinks(int folderFd, const char* relative, int flags);

// Opens `relative` below `folderFd` as openWithoutLinks does, but only within the folder's
// own mount: a path that crosses a mount point fails with EXDEV, as does every path where
// the kernel cannot tell (no openat2). Crossing is asked before the open, except that an
// automount point on the way is mounted before the call fails.
int openOnSameMount(int folderFd, const char* relative, int flags);

// The same by opening one component after the other: what openWithoutLinks does where the
// kernel lacks openat2.
int openByComponents(int folderFd, std::string_view relative, int flags);

// The search folder a listed path lies in: the longest of `roots` (folder texts, with or
// without their trailing "/") that contains `path`, or "" when none does.
std::string_view searchRootOf(const std::vector<std::string>& roots, std::string_view path);

// Opens a listed path: the part that is its search folder is followed as the search
// followed it, links included; below it no link is followed. A path outside every root
// is opened without following any link at all.
int openListedPath(const std::vector<std::string>& roots, const std::string& path, int flags);

} // namespace pw
