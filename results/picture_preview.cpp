#include "results/picture_preview.h"

#include "common/text.h"

#include <algorithm>
#include <array>
#include <vector>

namespace pw {

bool isPreviewPicture(std::string_view fileName) {
    static constexpr std::array<std::u32string_view, 8> kTypes{U".bmp", U".dib", U".gif", U".jpg",
                                                               U".wmf", U".emf", U".ico", U".cur"};
    // Characters, not bytes, and lower-cased as the name's letters are elsewhere.
    std::vector<char32_t> characters;
    for (std::size_t pos = 0; pos < fileName.size();) {
        characters.push_back(lowerCodePoint(decodeUtf8(fileName, pos)));
    }
    if (characters.size() < 4) {
        return false;
    }
    const std::u32string_view ending(characters.data() + characters.size() - 4, 4);
    return std::find(kTypes.begin(), kTypes.end(), ending) != kTypes.end();
}

} // namespace pw
