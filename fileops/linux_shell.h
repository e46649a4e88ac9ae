#pragma once
// The shell of a Linux machine: trash, unlink, exclusive copy and move, rename that never
// replaces, all through an injectable set of system calls.

#include "fileops/shell.h"
#include "fileops/shell_syscalls.h"
#include "fileops/trash.h"

#include <string>
#include <string_view>

namespace pw {

// "name (n).ext" for the n-th arrival of `fileName` (n >= 2). The extension is the text
// after the last "."; a leading "." alone (".profile") is part of the name.
std::string collisionName(std::string_view fileName, int n);

// The folder a file of `sourceFolder` lands in under `destinationFolder` when the folder
// structure is kept: destination + source folder without its leading "/".
std::string structuredDestination(std::string_view destinationFolder,
                                  std::string_view sourceFolder);

class LinuxShell : public Shell {
public:
    explicit LinuxShell(TrashLocations trash = defaultTrashLocations(),
                        SystemCalls& sys = realSystemCalls());

    ShellResult deleteFile(const std::string& path, const DeleteFlags& flags,
                           const Confirm& confirm) override;
    ShellResult copyFile(const std::string& source, const std::string& destinationFolder,
                         const TransferFlags& flags, const Confirm& confirm) override;
    ShellResult moveFile(const std::string& source, const std::string& destinationFolder,
                         const TransferFlags& flags, const Confirm& confirm) override;
    ShellResult renameFile(const std::string& from, const std::string& to) override;

private:
    ShellResult transfer(ShellOperation operation, const std::string& source,
                         const std::string& destinationFolder, const TransferFlags& flags,
                         const Confirm& confirm);
    // Copies `source` to a temporary name in `folder`, then renames it to its own or a
    // free name; result.destination is the final path.
    ShellResult copyInto(const std::string& source, const std::string& folder,
                         const TransferFlags& flags, struct stat& sourceInfo);
    ShellResult writeCopy(int sourceFd, const struct stat& sourceInfo, int copyFd);
    // Renames `from` to `folder`/`name` or, on a collision and if allowed, the next free
    // "name (n).ext".
    ShellResult placeUnderFreeName(const std::string& from, const std::string& folder,
                                   std::string_view name, bool renameOnCollision);
    bool makeFolders(const std::string& folder);

    SystemCalls& m_sys;
    Trash m_trash;
};

} // namespace pw
