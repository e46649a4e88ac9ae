#pragma once
// Which rows the picture preview shows.

#include <string_view>

namespace pw {

// True when the last four characters of the file name, in lower case, are one of ".bmp",
// ".dib", ".gif", ".jpg", ".wmf", ".emf", ".ico" and ".cur": photo.JPG is previewed,
// photo.jpeg is not. The ending must be a whole type, so a short name such as "gif", or
// an ending that straddles two types of the list such as "p .d", is no picture.
bool isPreviewPicture(std::string_view fileName);

} // namespace pw
