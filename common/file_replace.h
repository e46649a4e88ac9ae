#pragma once
// Writing a whole file so that nobody ever sees half of it: the text goes to a fresh file
// beside the target, is flushed to disk, and is renamed over the target in one step.

#include <string>
#include <string_view>

namespace pw {

// The message values of a target that cannot be written.
inline constexpr std::string_view kFileInUseMessage =
    "File is already open please close it and proceed.";
inline constexpr std::string_view kFileInUseTitle = "Permission denied";

struct FileWriteResult {
    bool ok = true;
    int error = 0;       // errno of the failure
    std::string message; // for a message box: kFileInUseMessage or the system's text
    std::string title;   // kFileInUseTitle or "Error"
};

// Replaces the file at `path` with `content`. A target that exists keeps its permission
// bits; a new one gets the usual ones (0666 less the umask). A target the user may not
// write (read-only, no right, read-only file system) fails with kFileInUseMessage before
// anything is created, as does a folder that does not allow the new file; a symbolic link
// as target has the file it points to replaced. On failure the target is unchanged and no
// temporary file is left behind.
FileWriteResult replaceFileContent(const std::string& path, std::string_view content);

// The checks replaceFileContent makes before it writes, and whether the folder takes a
// new file: a long job asks this first so that it fails before doing its work.
FileWriteResult probeTarget(const std::string& path);

} // namespace pw
