#pragma once
// Small helpers for names and files that every part of the engine uses.

#include <string>
#include <string_view>

namespace pw {

// The text up to its first NUL character.
std::string_view TrimNull(std::string_view text);

// True when the path names an existing regular file (links are not followed).
bool FileExists(const std::string& fullPath);

} // namespace pw
