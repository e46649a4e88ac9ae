#include "common/file_helpers.h"

#include "common/unique_fd.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace pw {

std::string_view TrimNull(std::string_view text) {
    const auto nul = text.find('\0');
    return nul == std::string_view::npos ? text : text.substr(0, nul);
}

bool FileExists(const std::string& fullPath) {
    struct stat st {};
    return ::lstat(fullPath.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string dataHomeFolder() {
    if (const char* dataHome = std::getenv("XDG_DATA_HOME"); dataHome && dataHome[0] == '/') {
        return dataHome;
    }
    if (const char* home = std::getenv("HOME"); home && home[0] == '/') {
        return std::string(home) + "/.local/share";
    }
    passwd entry{};
    passwd* found = nullptr;
    std::vector<char> buffer(16384);
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        found->pw_dir && found->pw_dir[0] == '/') {
        return std::string(found->pw_dir) + "/.local/share";
    }
    return {};
}

void reserveDescriptors(int fd, std::int64_t more) {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) {
        return;
    }
    const std::int64_t highest = std::min<std::int64_t>(
        fd + more, static_cast<std::int64_t>(std::min<rlim_t>(limit.rlim_cur, INT_MAX)) - 1);
    if (highest > fd) {
        UniqueFd(::fcntl(fd, F_DUPFD_CLOEXEC, static_cast<int>(highest)));
    }
}

bool takeOwnDescriptorTable() {
    return ::unshare(CLONE_FILES) == 0;
}

} // namespace pw
