#include "results/picture_preview.h"

#include "common/text.h"
#include "common/unique_fd.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <vector>

namespace pw {
namespace {

// The name's last four characters, lower-cased as the name's letters are elsewhere;
// empty when the name is shorter.
std::u32string lowerEnding(std::string_view fileName) {
    std::vector<char32_t> characters;
    for (std::size_t pos = 0; pos < fileName.size();) {
        characters.push_back(lowerCodePoint(decodeUtf8(fileName, pos)));
    }
    if (characters.size() < 4) {
        return {};
    }
    return std::u32string(characters.end() - 4, characters.end());
}

} // namespace

bool isPreviewPicture(std::string_view fileName) {
    static constexpr std::array<std::u32string_view, 8> kTypes{U".bmp", U".dib", U".gif", U".jpg",
                                                               U".wmf", U".emf", U".ico", U".cur"};
    const std::u32string ending = lowerEnding(fileName);
    return std::find(kTypes.begin(), kTypes.end(), ending) != kTypes.end();
}

std::string_view previewPictureFormat(std::string_view fileName) {
    return lowerEnding(fileName) == U".dib" ? "bmp" : "";
}

int openPreviewFile(const char* path) {
    UniqueFd fd(::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!fd.valid()) {
        return -1;
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) {
        return -1;
    }
    if (!S_ISREG(info.st_mode)) {
        errno = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
        return -1;
    }
    const int flags = ::fcntl(fd.get(), F_GETFL);
    if (flags < 0 || ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) {
        return -1;
    }
    return fd.release();
}

} // namespace pw
