#pragma once
// Moving a file to the trash as the freedesktop.org Trash standard (1.0) lays it out,
// so that desktop file managers list the file and can restore it: the home trash for
// files on the home file system, the trash at the top of the mount for any other.

#include "fileops/shell.h"
#include "fileops/shell_syscalls.h"

#include <ctime>
#include <functional>
#include <string>
#include <sys/types.h>

namespace pw {

struct TrashLocations {
    // dataHomeFolder() + "/Trash"; empty when there is no data folder.
    std::string homeTrash;
    uid_t uid = 0;
    // The top folder of the mount that holds `folder` (an absolute folder path).
    std::function<std::string(const std::string& folder)> topDirectory;
};

// The locations of this process: the home trash in dataHomeFolder(), the real user id,
// and findTopDirectory.
TrashLocations defaultTrashLocations();

// The highest folder above `folder` (itself included) on the same device, found by
// walking up the resolved path; empty when `folder` cannot be resolved.
std::string findTopDirectory(const std::string& folder);

// The Path value of a trash info file: bytes outside the URI unreserved set and "/"
// written as %XX (freedesktop.org Trash standard, "Contents of a trash directory", RFC 2396 2.4).
std::string percentEncodePath(std::string_view path);

class Trash {
public:
    explicit Trash(TrashLocations locations, SystemCalls& sys = realSystemCalls());

    // Moves the file or link `path` (links are not followed) into files/ of its trash,
    // after writing its info/ entry. Fails, leaving the file where it is, when its file
    // system has no usable trash. `now` is the deletion time written to the info file.
    ShellResult moveToTrash(const std::string& path, std::time_t now);

    // The trash folder a file in `folder` goes to (created as needed); empty with errno
    // set when there is none.
    std::string trashFor(const std::string& folder, dev_t device);

private:
    ShellResult fail(int error, std::string message) const;
    bool ensureFolder(const std::string& folder, bool privateToUser);
    std::string homeTrashFor(dev_t device);
    std::string topTrashFor(const std::string& topDirectory);

    TrashLocations m_locations;
    SystemCalls& m_sys;
};

} // namespace pw
