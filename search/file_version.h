#pragma once
// The file version of a Windows program or library found on the disk, read from the version
// resource of its PE image without any help from the platform.

#include <string>
#include <string_view>

namespace pw {

// For a path whose last four characters, lower-cased, are ".exe", ".dll" or ".ocx": the file
// version from the image's version resource (VS_FIXEDFILEINFO dwFileVersionMS and
// dwFileVersionLS) as four decimal numbers joined by ".", such as "6.0.84.18". Every other
// case gives "N/A": another name, a file that cannot be opened, one that is not a regular
// file (a symbolic link is not followed), an image without a version resource and a
// damaged image. Reads only the few ranges it needs, however large the file; never throws
// for a problem with the file.
std::string GetFileVersionText(const std::string& fullPath);

// Whether GetFileVersionText looks at a file of this name (or path) at all: its last four
// characters, lower-cased, are ".exe", ".dll" or ".ocx". For any other name it is "N/A".
bool mayHaveFileVersion(std::string_view name);

} // namespace pw
