#include "fileops/shell.h"

namespace pw {

ShellResult ShellDelete(Shell& shell, const std::string& path, const DeleteFlags& flags,
                        const Confirm& confirm) {
    return shell.deleteFile(path, flags, confirm);
}

ShellResult ShellCopy(Shell& shell, const std::string& source, const std::string& destination,
                      const TransferFlags& flags, const Confirm& confirm) {
    return shell.copyFile(source, destination, flags, confirm);
}

ShellResult ShellMove(Shell& shell, const std::string& source, const std::string& destination,
                      const TransferFlags& flags, const Confirm& confirm) {
    return shell.moveFile(source, destination, flags, confirm);
}

bool RenameFile(Shell& shell, const std::string& oldPath, const std::string& newPath) {
    return shell.renameFile(oldPath, newPath).ok;
}

} // namespace pw
