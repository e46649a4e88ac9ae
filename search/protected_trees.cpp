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

bool isProtectedEntry(std::string_view folder, std::string_view name) {
    for (std::string_view tree : kProtectedTrees) {
        // A tree ends inside the folder text (then the folder's next character must be
        // "/"), or the path folder + name is the tree itself.
        const bool inFolder =
            tree.size() < folder.size() && folder.starts_with(tree) && folder[tree.size()] == '/';
        const bool isEntry = tree.size() == folder.size() + name.size() &&
                             tree.starts_with(folder) && tree.ends_with(name);
        if (inFolder || isEntry) {
            return true;
        }
    }
    return false;
}

} // namespace pw
