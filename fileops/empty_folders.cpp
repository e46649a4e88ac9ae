#include "fileops/empty_folders.h"

#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace pw {
namespace {

// Lists the folder's entries other than "." and ".." and calls `found` with each name and
// whether it is a folder (links not followed) until `found` returns true. Returns whether
// it did; false also when the folder cannot be listed.
bool anyEntry(const std::string& folder, const std::function<bool(std::string_view, bool)>& found) {
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) {
        return false;
    }
    bool result = false;
    while (const dirent* entry = readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        bool isFolder = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN) {
            // Some file systems leave the type out of the listing.
            struct stat info {};
            isFolder = fstatat(dirfd(dir), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
                       S_ISDIR(info.st_mode);
        }
        if (found(name, isFolder)) {
            result = true;
            break;
        }
    }
    closedir(dir);
    return result;
}

} // namespace

void FoldersToCheck::AddFolderToCheck(const std::string& folder) {
    if (m_seen.insert(folder).second) {
        m_order.push_back(folder);
    }
}

void FoldersToCheck::clear() {
    m_order.clear();
    m_seen.clear();
}

bool HasSubFolders(const std::string& folder) {
    return anyEntry(folder, [](std::string_view name, bool isFolder) {
        return isFolder && name.front() != '.';
    });
}

bool HasFiles(const std::string& folder) {
    return anyEntry(folder, [](std::string_view, bool isFolder) { return !isFolder; });
}

bool IsEmptyFolder(const std::string& folder) {
    return !HasSubFolders(folder) && !HasFiles(folder);
}

void RemoveFolder(const std::string& folder) {
    // rmdir refuses a folder that is not empty, which is the guard this relies on: a
    // folder that only looked empty (dot-named sub-folders, an entry added meanwhile)
    // stays with everything in it.
    static_cast<void>(rmdir(folder.c_str()));
}

} // namespace pw
