#include "fileops/linux_shell.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <random>
#include <strings.h>
#include <vector>

namespace pw {

namespace {

constexpr int kMaxCollisionNumber = 9999;
constexpr std::size_t kCopyBufferSize = 1 << 20;

ShellResult failure(int error, std::string message, ConfirmAnswer answer = ConfirmAnswer::Yes) {
    ShellResult result;
    result.error = error;
    result.message = std::move(message);
    result.answer = answer;
    return result;
}

std::string describe(std::string_view what, const std::string& path, int error) {
    return std::string(what) + " " + path + ": " + std::strerror(error);
}

std::string withSlash(std::string_view folder) {
    std::string text(folder);
    if (text.empty() || text.back() != '/') {
        text += '/';
    }
    return text;
}

std::string baseName(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string parentFolder(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool sameContentStamp(const struct stat& a, const struct stat& b) {
    return sameFile(a, b) && a.st_size == b.st_size && a.st_mtim.tv_sec == b.st_mtim.tv_sec &&
           a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

// The answer that lets the operation go ahead without asking, or the user's answer.
ConfirmAnswer askFirst(bool yesToAll, const Confirm& confirm, ShellOperation operation,
                       const std::string& path) {
    if (yesToAll || !confirm) {
        return ConfirmAnswer::Yes;
    }
    return confirm(operation, path);
}

bool declined(ConfirmAnswer answer) {
    return answer == ConfirmAnswer::No || answer == ConfirmAnswer::Cancel;
}

std::string temporaryName(const std::string& folder) {
    static std::mt19937 generator(std::random_device{}());
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string name = folder + ".pairwell-";
    for (int i = 0; i < 12; ++i) {
        name += kDigits[generator() % 16];
    }
    return name + ".part";
}

} // namespace

std::string collisionName(std::string_view fileName, int n) {
    const auto dot = fileName.rfind('.');
    const std::string suffix = " (" + std::to_string(n) + ")";
    if (dot == std::string_view::npos || dot == 0) {
        return std::string(fileName) + suffix;
    }
    return std::string(fileName.substr(0, dot)) + suffix + std::string(fileName.substr(dot));
}

std::string structuredDestination(std::string_view destinationFolder,
                                  std::string_view sourceFolder) {
    while (!sourceFolder.empty() && sourceFolder.front() == '/') {
        sourceFolder.remove_prefix(1);
    }
    return withSlash(withSlash(destinationFolder) + std::string(sourceFolder));
}

LinuxShell::LinuxShell(TrashLocations trash, SystemCalls& sys)
    : m_sys(sys), m_trash(std::move(trash), sys) {}

ShellResult LinuxShell::deleteFile(const std::string& path, const DeleteFlags& flags,
                                   const Confirm& confirm) {
    const ConfirmAnswer answer = askFirst(flags.yesToAll, confirm, ShellOperation::Delete, path);
    if (declined(answer)) {
        return failure(0, "Left in place: " + path, answer);
    }
    ShellResult result;
    if (flags.toTrash) {
        result = m_trash.moveToTrash(path, std::time(nullptr));
    } else if (m_sys.unlink(path) != 0) {
        result = failure(errno, describe("Cannot delete", path, errno));
    } else {
        result.ok = true;
    }
    result.answer = answer;
    // Whatever the calls reported, the file is deleted only when it is gone.
    struct stat info {};
    if (result.ok && m_sys.lstat(path, &info) == 0) {
        return failure(EEXIST, "The file is still there: " + path, answer);
    }
    return result;
}

ShellResult LinuxShell::copyFile(const std::string& source, const std::string& destinationFolder,
                                 const TransferFlags& flags, const Confirm& confirm) {
    return transfer(ShellOperation::Copy, source, destinationFolder, flags, confirm);
}

ShellResult LinuxShell::moveFile(const std::string& source, const std::string& destinationFolder,
                                 const TransferFlags& flags, const Confirm& confirm) {
    return transfer(ShellOperation::Move, source, destinationFolder, flags, confirm);
}

ShellResult LinuxShell::transfer(ShellOperation operation, const std::string& source,
                                 const std::string& destinationFolder, const TransferFlags& flags,
                                 const Confirm& confirm) {
    const ConfirmAnswer answer = askFirst(flags.yesToAll, confirm, operation, source);
    if (declined(answer)) {
        return failure(0, "Left in place: " + source, answer);
    }
    const std::string folder = flags.keepFolderStructure
                                   ? structuredDestination(destinationFolder, parentFolder(source))
                                   : withSlash(destinationFolder);
    if (flags.keepFolderStructure && !makeFolders(folder)) {
        return failure(errno, describe("Cannot create the folder", folder, errno), answer);
    }
    struct stat folderInfo {};
    if (m_sys.stat(folder, &folderInfo) != 0) {
        return failure(errno, describe("Cannot use the destination", folder, errno), answer);
    }
    if (!S_ISDIR(folderInfo.st_mode)) {
        return failure(ENOTDIR, describe("Cannot use the destination", folder, ENOTDIR), answer);
    }
    struct stat sourceInfo {};
    if (m_sys.lstat(source, &sourceInfo) != 0) {
        return failure(errno, describe("Cannot read", source, errno), answer);
    }
    if (!S_ISREG(sourceInfo.st_mode)) {
        return failure(EINVAL, "Not a regular file: " + source, answer);
    }

    ShellResult result;
    if (operation == ShellOperation::Copy) {
        result = copyInto(source, folder, flags, sourceInfo);
        result.answer = answer;
        return result;
    }

    struct stat sourceFolderInfo {};
    if (m_sys.stat(parentFolder(source), &sourceFolderInfo) == 0 &&
        sameFile(sourceFolderInfo, folderInfo)) {
        // Moving a file into its own folder would only rename it.
        return failure(EINVAL, "The file is already in " + folder, answer);
    }
    result = placeUnderFreeName(source, folder, baseName(source), flags.renameOnCollision);
    if (result.ok || result.error != EXDEV) {
        result.answer = answer;
        return result;
    }

    // Another file system: the source goes only once its copy is complete and in place.
    struct stat copiedInfo {};
    result = copyInto(source, folder, flags, copiedInfo);
    result.answer = answer;
    if (!result.ok) {
        return result;
    }
    struct stat nowInfo {};
    const bool unchanged =
        m_sys.lstat(source, &nowInfo) == 0 && sameContentStamp(nowInfo, copiedInfo);
    if (!unchanged || m_sys.unlink(source) != 0) {
        const int error = unchanged ? errno : EBUSY;
        m_sys.unlink(result.destination);
        return failure(error,
                       unchanged ? describe("Cannot remove", source, error)
                                 : "The file changed while it was moved: " + source,
                       answer);
    }
    return result;
}

ShellResult LinuxShell::copyInto(const std::string& source, const std::string& folder,
                                 const TransferFlags& flags, struct stat& sourceInfo) {
    FileDescriptor input(m_sys, m_sys.open(source, O_RDONLY | O_NOFOLLOW | O_NONBLOCK));
    if (!input.valid()) {
        return failure(errno, describe("Cannot open", source, errno));
    }
    if (m_sys.fstat(input.get(), &sourceInfo) != 0) {
        return failure(errno, describe("Cannot read", source, errno));
    }
    if (!S_ISREG(sourceInfo.st_mode)) {
        return failure(EINVAL, "Not a regular file: " + source);
    }

    // Created exclusively under a name of our own, so a file arriving meanwhile under the
    // final name is never written into.
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = temporaryName(folder);
        fd = m_sys.open(temporary, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0600);
        if (fd < 0 && errno != EEXIST) {
            return failure(errno, describe("Cannot create a file in", folder, errno));
        }
    }
    if (fd < 0) {
        return failure(EEXIST, describe("Cannot create a file in", folder, EEXIST));
    }
    FileDescriptor output(m_sys, fd);
    ShellResult result = writeCopy(input.get(), sourceInfo, output.get());
    if (output.reset() != 0 && result.ok) {
        result = failure(errno, describe("Cannot write", temporary, errno));
    }
    if (result.ok) {
        result = placeUnderFreeName(temporary, folder, baseName(source), flags.renameOnCollision);
    }
    if (!result.ok) {
        m_sys.unlink(temporary);
        return result;
    }
    // The new name is durable only once the folder itself is synced.
    FileDescriptor folderFd(m_sys, m_sys.open(folder, O_RDONLY | O_DIRECTORY));
    if (folderFd.valid()) {
        m_sys.fsync(folderFd.get());
    }
    return result;
}

ShellResult LinuxShell::writeCopy(int sourceFd, const struct stat& sourceInfo, int copyFd) {
    std::vector<char> buffer(kCopyBufferSize);
    std::uint64_t copied = 0;
    for (;;) {
        const ssize_t got = m_sys.read(sourceFd, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return failure(errno, std::string("Cannot read the file: ") + std::strerror(errno));
        }
        if (got == 0) {
            break;
        }
        for (ssize_t done = 0; done < got;) {
            const ssize_t put =
                m_sys.write(copyFd, buffer.data() + done, static_cast<size_t>(got - done));
            if (put < 0 && errno == EINTR) {
                continue;
            }
            if (put <= 0) {
                const int error = put < 0 ? errno : EIO;
                return failure(error,
                               std::string("Cannot write the copy: ") + std::strerror(error));
            }
            done += put;
        }
        copied += static_cast<std::uint64_t>(got);
    }
    const struct timespec times[2] = {sourceInfo.st_atim, sourceInfo.st_mtim};
    struct stat copyInfo {};
    if (m_sys.fchmod(copyFd, sourceInfo.st_mode & 07777) != 0 ||
        m_sys.futimens(copyFd, times) != 0 || m_sys.fsync(copyFd) != 0 ||
        m_sys.fstat(copyFd, &copyInfo) != 0) {
        return failure(errno, std::string("Cannot finish the copy: ") + std::strerror(errno));
    }
    const auto expected = static_cast<std::uint64_t>(sourceInfo.st_size);
    if (copied != expected || static_cast<std::uint64_t>(copyInfo.st_size) != expected) {
        return failure(EIO, "The copy's size does not match the file's");
    }
    ShellResult result;
    result.ok = true;
    return result;
}

ShellResult LinuxShell::placeUnderFreeName(const std::string& from, const std::string& folder,
                                           std::string_view name, bool renameOnCollision) {
    for (int n = 1; n <= kMaxCollisionNumber; ++n) {
        const std::string candidate =
            folder + (n == 1 ? std::string(name) : collisionName(name, n));
        if (m_sys.renameNoReplace(from, candidate) == 0) {
            ShellResult result;
            result.ok = true;
            result.destination = candidate;
            return result;
        }
        if (errno != EEXIST || !renameOnCollision) {
            return failure(errno, describe("Cannot create", candidate, errno));
        }
    }
    return failure(EEXIST, "No free name for " + std::string(name) + " in " + folder);
}

bool LinuxShell::makeFolders(const std::string& folder) {
    for (std::size_t slash = folder.find('/', 1); slash != std::string::npos;
         slash = folder.find('/', slash + 1)) {
        if (m_sys.mkdir(folder.substr(0, slash), 0777) != 0 && errno != EEXIST) {
            return false;
        }
    }
    struct stat info {};
    if (m_sys.stat(folder, &info) != 0) {
        return false;
    }
    if (!S_ISDIR(info.st_mode)) {
        errno = ENOTDIR;
        return false;
    }
    return true;
}

ShellResult LinuxShell::renameFile(const std::string& from, const std::string& to) {
    ShellResult result;
    if (from == to) {
        result.ok = true;
        result.destination = to;
        return result;
    }
    struct stat fromInfo {};
    struct stat toInfo {};
    const bool caseOnly = parentFolder(from) == parentFolder(to) &&
                          ::strcasecmp(baseName(from).c_str(), baseName(to).c_str()) == 0;
    // On a case-blind file system the new name already "exists" as the file itself.
    const bool sameOnCaseBlind = caseOnly && m_sys.lstat(from, &fromInfo) == 0 &&
                                 m_sys.lstat(to, &toInfo) == 0 && sameFile(fromInfo, toInfo);
    const int rc = sameOnCaseBlind ? m_sys.rename(from, to) : m_sys.renameNoReplace(from, to);
    if (rc != 0) {
        if (errno == EEXIST) {
            return failure(EEXIST, "A file named \"" + baseName(to) +
                                       "\" already exists; the file keeps its name.");
        }
        return failure(errno, describe("Cannot rename", from, errno));
    }
    result.ok = true;
    result.destination = to;
    return result;
}

std::unique_ptr<Shell> makeLinuxShell() {
    return std::make_unique<LinuxShell>();
}

} // namespace pw
