#pragma once
// The file operations the result list's commands ask of the platform: delete (to the trash
// or permanently), copy, move and rename one file. The loops in this folder call them one
// file at a time through the Shell interface, so tests can put a fake in its place.
//
// Paths are byte strings from the result table to the system call: a name that is not
// valid UTF-8 is handled exactly as it is, never re-encoded.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pw {

struct ResultTableRow;
class ResultTable;

// The answers to the question asked before each file when "yes to all" is off.
enum class ConfirmAnswer { Yes, YesToAll, No, Cancel };

enum class ShellOperation { Delete, Copy, Move, Rename };

// Asked before the operation on `path` touches anything. Called on the caller's thread.
using Confirm = std::function<ConfirmAnswer(ShellOperation operation, const std::string& path)>;

struct DeleteFlags {
    bool toTrash = true;  // false: unlink for good
    bool yesToAll = true; // false: ask `confirm` first
};

// Flags of a copy or a move.
struct TransferFlags {
    bool yesToAll = true; // false: ask `confirm` first
    // A taken name in the destination gives the arriving file "name (2).ext",
    // "name (3).ext" ...; without it a taken name fails with EEXIST. Nothing in the
    // destination is overwritten either way.
    bool renameOnCollision = true;
    // The file lands in destination + its source folder (without the leading "/"), the
    // folders being created as needed; otherwise directly in the destination.
    bool keepFolderStructure = false;
};

struct ShellResult {
    bool ok = false;
    int error = 0;           // errno of the failing step; 0 on success or when declined
    std::string message;     // for the user; empty on success
    std::string destination; // where the file is now: copy, move, rename, trash (files/)
    // What `confirm` answered (Yes when it was not asked). After YesToAll the caller sets
    // yesToAll for the rest of its run; after Cancel it stops its run. No and Cancel leave
    // the file untouched and give ok false, error 0.
    ConfirmAnswer answer = ConfirmAnswer::Yes;
};

// One file at a time; no method throws. Not thread-safe: one run uses one shell.
class Shell {
public:
    virtual ~Shell() = default;

    // Moves `path` into the trash (freedesktop.org Trash: the home trash, or the trash at
    // the top of the file's mount) or unlinks it. Success means the file is gone.
    virtual ShellResult deleteFile(const std::string& path, const DeleteFlags& flags,
                                   const Confirm& confirm) = 0;

    // Copies the regular file `source` into the folder `destinationFolder` (with or without
    // a trailing "/"), under its own name or the next free "name (n).ext". The copy is
    // written under a temporary name, synced, checked and renamed into place; a failure
    // leaves nothing behind in the destination.
    virtual ShellResult copyFile(const std::string& source, const std::string& destinationFolder,
                                 const TransferFlags& flags, const Confirm& confirm) = 0;

    // As copyFile, but a rename on one file system; across file systems a copy as above,
    // and the source is removed only after the copy is in place. Any failure leaves the
    // source untouched.
    virtual ShellResult moveFile(const std::string& source, const std::string& destinationFolder,
                                 const TransferFlags& flags, const Confirm& confirm) = 0;

    // Renames `from` to `to`; refuses (EEXIST, "name is taken" message) when `to` exists,
    // unless it is `from` itself under another letter case on a case-blind file system.
    virtual ShellResult renameFile(const std::string& from, const std::string& to) = 0;
};

// The real shell of this machine, with the home trash found from XDG_DATA_HOME / HOME.
std::unique_ptr<Shell> makeLinuxShell();

// Thin calls under the names the commands use.
ShellResult ShellDelete(Shell& shell, const std::string& path, const DeleteFlags& flags,
                        const Confirm& confirm = {});
ShellResult ShellCopy(Shell& shell, const std::string& source, const std::string& destination,
                      const TransferFlags& flags, const Confirm& confirm = {});
ShellResult ShellMove(Shell& shell, const std::string& source, const std::string& destination,
                      const TransferFlags& flags, const Confirm& confirm = {});
// True when the file now carries the new name.
bool RenameFile(Shell& shell, const std::string& oldPath, const std::string& newPath);

// Whether a listed file is still the file the scan saw, checked before it is deleted or
// moved: a regular file whose size and modification time (as the "Last Modified." text, to
// the second) match its row, reached without following a symbolic link below its search
// folder (a link there counts as changed), and, when the scan recorded them, on the same
// device with the same inode (a file restored from a backup or copied over the listed one
// is another file, whatever its size and time).
enum class ListedState { Unchanged, Changed, Missing };

// The device and inode a scan listed a file with; both 0 when not known (a row loaded from
// a session, which stores neither).
struct ListedIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;

    bool known() const { return device != 0 || inode != 0; }
};

// The error row of a file that changed since the scan; it is left alone.
inline constexpr int kErrFileChanged = 1008;
inline constexpr std::string_view kErrFileChangedText = "File changed since the scan";

// `searchFolders` are the folders the file was found below (a path outside all of them
// follows no link at all).
ListedState checkStillListed(const std::string& path, std::uint64_t size,
                             std::string_view modifiedText,
                             const std::vector<std::string>& searchFolders = {},
                             ListedIdentity identity = {});
// The same for a row of `table`: its full path, size, "Last Modified." text and identity,
// below the table's search folders.
ListedState verifyListed(const ResultTable& table, const ResultTableRow& row);

} // namespace pw
