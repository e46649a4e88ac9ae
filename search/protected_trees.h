#pragma once
// The operating system's own trees, which a scan keeps out while protection is on.

#include <string_view>

namespace pw {

// Whether a path lies in one of the operating system's trees (/usr, /etc, ...), matched
// as whole path components.
bool isProtectedPath(std::string_view path);

// The same for the entry `name` of `folder` (a folder text ending in "/"), without
// building the path.
bool isProtectedEntry(std::string_view folder, std::string_view name);

} // namespace pw
