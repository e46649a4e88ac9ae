#include "fileops/trash.h"

#include "common/file_helpers.h"
#include "fileops/linux_shell.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace pw {

namespace {

std::string baseName(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string parentFolder(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

// "The date and time are to be in the YYYY-MM-DDThh:mm:ss format ... the user's local
// time" (freedesktop.org Trash standard, "Contents of a trash directory").
std::string deletionDate(std::time_t now) {
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    return text;
}

bool isUnreserved(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           std::strchr("-_.!~*'()", c) != nullptr;
}

} // namespace

std::string percentEncodePath(std::string_view path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char ch : path) {
        const auto c = static_cast<unsigned char>(ch);
        if (c != 0 && (isUnreserved(c) || c == '/')) {
            out += ch;
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        }
    }
    return out;
}

std::string findTopDirectory(const std::string& folder) {
    char resolved[PATH_MAX];
    if (::realpath(folder.c_str(), resolved) == nullptr) {
        return {};
    }
    std::string top = resolved;
    struct stat info {};
    if (::stat(top.c_str(), &info) != 0) {
        return {};
    }
    while (top != "/") {
        const std::string up = parentFolder(top);
        struct stat upInfo {};
        if (::stat(up.c_str(), &upInfo) != 0 || upInfo.st_dev != info.st_dev) {
            break;
        }
        top = up;
    }
    return top;
}

TrashLocations defaultTrashLocations() {
    TrashLocations locations;
    locations.uid = ::getuid();
    locations.topDirectory = findTopDirectory;
    if (const std::string dataHome = dataHomeFolder(); !dataHome.empty()) {
        locations.homeTrash = dataHome + "/Trash";
    }
    return locations;
}

Trash::Trash(TrashLocations locations, SystemCalls& sys)
    : m_locations(std::move(locations)), m_sys(sys) {}

ShellResult Trash::fail(int error, std::string message) const {
    ShellResult result;
    result.error = error;
    result.message = std::move(message);
    return result;
}

bool Trash::ensureFolder(const std::string& folder, bool privateToUser) {
    if (m_sys.mkdir(folder, 0700) != 0 && errno != EEXIST) {
        if (errno != ENOENT) {
            return false;
        }
        // The data folder itself may not exist yet: make its parents first.
        if (!ensureFolder(parentFolder(folder), false) ||
            (m_sys.mkdir(folder, 0700) != 0 && errno != EEXIST)) {
            return false;
        }
    }
    struct stat info {};
    if (m_sys.lstat(folder, &info) != 0) {
        return false;
    }
    // A link or a folder of someone else must not receive the user's files.
    if (!S_ISDIR(info.st_mode) || (privateToUser && info.st_uid != m_locations.uid)) {
        errno = ENOTDIR;
        return false;
    }
    return true;
}

std::string Trash::homeTrashFor(dev_t device) {
    if (m_locations.homeTrash.empty()) {
        return {};
    }
    const std::string dataHome = parentFolder(m_locations.homeTrash);
    struct stat info {};
    if (!ensureFolder(dataHome, false) || m_sys.stat(dataHome, &info) != 0 ||
        info.st_dev != device) {
        return {};
    }
    return m_locations.homeTrash;
}

std::string Trash::topTrashFor(const std::string& topDirectory) {
    // (1) "$topdir/.Trash/$uid", only when .Trash is a real folder with the sticky bit;
    // otherwise it must not be used (freedesktop.org Trash standard, "Trash directories").
    const std::string shared = topDirectory + "/.Trash";
    struct stat info {};
    if (m_sys.lstat(shared, &info) == 0 && S_ISDIR(info.st_mode) && (info.st_mode & S_ISVTX)) {
        const std::string own = shared + "/" + std::to_string(m_locations.uid);
        if (ensureFolder(own, true)) {
            return own;
        }
    }
    // (2) "$topdir/.Trash-$uid", created when needed.
    const std::string own = topDirectory + "/.Trash-" + std::to_string(m_locations.uid);
    return ensureFolder(own, true) ? own : std::string();
}

std::string Trash::trashFor(const std::string& folder, dev_t device) {
    std::string trash = homeTrashFor(device);
    if (trash.empty() && m_locations.topDirectory) {
        const std::string top = m_locations.topDirectory(folder);
        if (!top.empty()) {
            trash = topTrashFor(top == "/" ? std::string() : top);
        }
    }
    if (trash.empty() || !ensureFolder(trash, true) || !ensureFolder(trash + "/files", true) ||
        !ensureFolder(trash + "/info", true)) {
        return {};
    }
    return trash;
}

ShellResult Trash::moveToTrash(const std::string& path, std::time_t now) {
    struct stat info {};
    if (m_sys.lstat(path, &info) != 0) {
        return fail(errno, "Cannot find " + path + ": " + std::strerror(errno));
    }
    const std::string folder = parentFolder(path);
    const std::string trash = trashFor(folder, info.st_dev);
    if (trash.empty()) {
        return fail(ENOTSUP, "There is no trash for the drive of " + path);
    }
    // Path: absolute for the home trash; relative to the top folder for a mount's own
    // trash, so the entry stays right wherever the drive is mounted next.
    std::string original = path;
    if (trash != m_locations.homeTrash) {
        const std::string top = trash.substr(0, trash.rfind("/.Trash"));
        if (original.compare(0, top.size() + 1, top + "/") == 0) {
            original = original.substr(top.size() + 1);
        }
    }
    const std::string contents = "[Trash Info]\nPath=" + percentEncodePath(original) +
                                 "\nDeletionDate=" + deletionDate(now) + "\n";

    const std::string name = baseName(path);
    for (int n = 1; n < 10000; ++n) {
        const std::string entry = n == 1 ? name : collisionName(name, n);
        const std::string infoPath = trash + "/info/" + entry + ".trashinfo";
        // The info file is created exclusively first: it reserves the name against other
        // programs trashing at the same time (freedesktop.org Trash standard, "Contents of a trash
        // directory").
        FileDescriptor fd(m_sys, m_sys.open(infoPath, O_WRONLY | O_CREAT | O_EXCL, 0600));
        if (!fd.valid()) {
            if (errno == EEXIST) {
                continue;
            }
            return fail(errno, "Cannot write to the trash: " + std::string(std::strerror(errno)));
        }
        const ssize_t written = m_sys.write(fd.get(), contents.data(), contents.size());
        const bool saved = written == static_cast<ssize_t>(contents.size()) &&
                           m_sys.fsync(fd.get()) == 0 && fd.reset() == 0;
        if (!saved) {
            const int error = errno != 0 ? errno : EIO;
            m_sys.unlink(infoPath);
            return fail(error, "Cannot write to the trash: " + std::string(std::strerror(error)));
        }
        const std::string target = trash + "/files/" + entry;
        if (m_sys.renameNoReplace(path, target) == 0) {
            ShellResult result;
            result.ok = true;
            result.destination = target;
            return result;
        }
        const int error = errno;
        m_sys.unlink(infoPath);
        if (error != EEXIST) {
            return fail(error, "Cannot move " + path + " to the trash: " + std::strerror(error));
        }
    }
    return fail(EEXIST, "No free name in the trash for " + path);
}

} // namespace pw
