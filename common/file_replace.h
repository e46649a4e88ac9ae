#pragma once
// Writing an output file (a session, an export, a log) without ever destroying what the
// path names. A regular file is replaced so that nobody ever sees half of it: the text goes
// to a fresh file beside the target, is flushed to disk, and is renamed over the target in
// one step. A character device or a FIFO (a terminal, a pipe such as /dev/stdout or a
// shell's >(...)) is written into as it stands. Everything else is refused.

#include <functional>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace pw {

// The message values of a target that is in use.
inline constexpr std::string_view kFileInUseMessage =
    "File is already open please close it and proceed.";
inline constexpr std::string_view kFileInUseTitle = "Permission denied";

// How a message shows a path: as it stands in a message box, quoted on a terminal.
using PathText = std::function<std::string(std::string_view path)>;

struct FileWriteResult {
    bool ok = true;
    int error = 0;          // errno of a failed call; 0 when the target was refused
    std::string title;      // kFileInUseTitle for a file in use, otherwise "Error"
    std::string path;       // the target as the caller named it
    std::string cause;      // why it cannot be written: the system's error text or our own
    std::string listedPath; // the target is this file of the result list

    // The sentence for a message box: kFileInUseMessage for a file in use (EBUSY,
    // ETXTBSY), "<path> is <listed path>, a file of the result list; choose another file
    // name." for a listed file, otherwise "Cannot write <path>: <cause>.". `show`, when
    // given, renders each path.
    std::string message(const PathText& show = {}) const;
};

// A failure of a call on `path`, with errno `error`.
FileWriteResult writeFailure(const std::string& path, int error);
// A target that is not written on purpose; `cause` completes "Cannot write <path>: ".
FileWriteResult writeRefusal(const std::string& path, std::string cause);

enum class TargetKind {
    New,        // nothing there: a new regular file
    Regular,    // a regular file, directly or at the end of symbolic links: replaced
    Stream,     // a character device or a FIFO: written into
    Descriptor, // a regular file, device or FIFO that is an open descriptor of this
                // process, named through /proc (/dev/stdout, /dev/fd/N): written through
                // that descriptor, so the text lands where the shell sent it (after what
                // is there, with >>) instead of replacing the file behind it
    Refused,    // anything else; see `refusal`
};

// What a path names once symbolic links are followed (stat(), so that /proc's links to
// pipes, which have no path, are followed too).
struct WriteTarget {
    TargetKind kind = TargetKind::New;
    std::string file; // New, Regular: the directory entry to replace (a link chain's end)
    dev_t device = 0; // Regular, Stream: the file's identity
    ino_t inode = 0;
    mode_t mode = 0;
    int descriptor = -1;     // Descriptor: the open descriptor
    FileWriteResult refusal; // Refused: the answer to give
};

// Refused: a folder, a block device (a list written onto a disk is never what is meant),
// a socket, a symbolic link that leads nowhere, or a path that cannot be looked up.
WriteTarget resolveWriteTarget(const std::string& path);

// Writes `content` to `path` as resolveWriteTarget says. A replaced file keeps its
// permission bits; a new one gets the usual ones (0666 less the umask); a symbolic link
// as target has the file at its end replaced and stays a link. A FIFO that nobody reads
// fails at once instead of waiting for a reader. On failure a replaced target is
// unchanged and no temporary file is left behind.
FileWriteResult replaceFileContent(const std::string& path, std::string_view content);

// The checks replaceFileContent makes before it writes, and whether the folder takes a
// new file: a long job asks this first so that it fails before doing its work. A FIFO is
// not opened here: a reader would take the closing as the end of the data.
FileWriteResult probeTarget(const std::string& path);

} // namespace pw
