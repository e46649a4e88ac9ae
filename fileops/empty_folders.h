#pragma once
// The folders a delete or move run emptied, and their removal. Only the folders that
// directly held a processed file are tried, once each, in the order they were first met;
// a parent that becomes empty through a removal is never removed, and nothing is ever
// removed that still holds an entry: the removal itself is rmdir(2), which refuses a
// folder that is not empty.
//
// Folder texts end with "/", as the result table's "Path" cells do.

#include <cstddef>
#include <string>
#include <unordered_set>
#include <vector>

namespace pw {

// The source folders of a run, in order of first insertion. A folder is the exact path
// text: paths are case-sensitive here, so "/a/X/" and "/a/x/" are two folders.
class FoldersToCheck {
public:
    // Adds a folder; a folder that is already present is ignored.
    void AddFolderToCheck(const std::string& folder);

    const std::vector<std::string>& folders() const { return m_order; }
    std::size_t size() const { return m_order.size(); }
    bool empty() const { return m_order.empty(); }
    void clear();

private:
    std::vector<std::string> m_order;
    std::unordered_set<std::string> m_seen;
};

// Whether the folder holds a sub-folder whose name does not begin with "." (a sub-folder
// named with a leading "." is not counted). A symbolic link is never a sub-folder, even
// when it points at one. False when the folder cannot be listed.
bool HasSubFolders(const std::string& folder);

// Whether the folder holds any entry that is not a folder: files of any name (also those
// beginning with "."), symbolic links, sockets and the like. False when the folder cannot
// be listed.
bool HasFiles(const std::string& folder);

// Neither HasSubFolders nor HasFiles. A folder holding only dot-named sub-folders counts as
// empty here; RemoveFolder then leaves it, because it is not empty on disk.
bool IsEmptyFolder(const std::string& folder);

// Removes the folder when it is empty on disk; every failure (not empty, gone, in use, no
// right) is ignored. Never removes anything below or above the folder.
void RemoveFolder(const std::string& folder);

} // namespace pw
