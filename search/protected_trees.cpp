#include "search/protected_trees.h"

#include <array>

namespace pw {
namespace {

constexpr std::array<std::string_view, 14> kProtectedTrees = {
    "/bin",    "/boot", "/dev", "/etc",  "/lib", "/lib32", "/lib64",
    "/libx32", "/proc", "/run", "/sbin", "/sys", "/usr",   "/var/lib"};

} // namespace

bool isProtectedPath(std::string_view path) {
    for (std::string_view tree : kProtectedTrees) {
        if (path.starts_with(tree) && (path.size() == tree.size() || path[tree.size()] == '/')) {
            return true;
        }
    }
    return false;
}

} // namespace pw
