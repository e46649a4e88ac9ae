#pragma once
// Which rows the picture preview shows, and how it reads their files.

#include <string_view>

namespace pw {

// True when the last four characters of the file name, in lower case, are one of ".bmp",
// ".dib", ".gif", ".jpg", ".wmf", ".emf", ".ico" and ".cur": photo.JPG is previewed,
// photo.jpeg is not. The ending must be a whole type, so a short name such as "gif", or
// an ending that straddles two types of the list such as "p .d", is no picture.
bool isPreviewPicture(std::string_view fileName);

// The image format to read a previewed file as: "bmp" for a ".dib", whose bytes are a
// bitmap although no image library knows the ending; "" otherwise, for the library to
// tell from the bytes.
std::string_view previewPictureFormat(std::string_view fileName);

// Opens a previewed file for reading: a regular file only, and without waiting, so that a
// listed name that has become a FIFO or a device since the scan cannot hang the preview.
// Returns the descriptor (close-on-exec, blocking again), or -1 with errno set.
int openPreviewFile(const char* path);

} // namespace pw
