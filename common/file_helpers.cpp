#include "common/file_helpers.h"

#include <sys/stat.h>

namespace pw {

std::string_view TrimNull(std::string_view text) {
    const auto nul = text.find('\0');
    return nul == std::string_view::npos ? text : text.substr(0, nul);
}

bool FileExists(const std::string& fullPath) {
    struct stat st {};
    return ::lstat(fullPath.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

} // namespace pw
