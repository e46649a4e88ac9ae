#pragma once

#include <string>

namespace pw {

// The read-only files shipped with the program ("end.wav", the help page, the icon):
// share/pairwell beside the folder of the executable (the installed layout and the build
// tree's alike). Empty when there is no such folder.
std::string programDataFolder();

} // namespace pw
