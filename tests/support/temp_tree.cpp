#include "support/temp_tree.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <gtest/gtest.h>
#include <iostream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utime.h>

namespace fs = std::filesystem;

namespace pw::test {

TempTree::TempTree() {
    std::string pattern = (fs::temp_directory_path() / "pairwell-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a temporary folder");
    }
    m_root = pattern;
}

TempTree::~TempTree() {
    if (std::getenv("KEEP_TEST_TREE") != nullptr) {
        std::cerr << "test tree kept at " << m_root << '\n';
        return;
    }
    std::error_code ec;
    // Folders made unreadable by a test must not stop the clean-up.
    for (auto it = fs::recursive_directory_iterator(
             m_root, fs::directory_options::skip_permission_denied, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_directory(ec) && !it->is_symlink(ec)) {
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
        }
    }
    fs::remove_all(m_root, ec);
}

std::string TempTree::path(std::string_view relative) const {
    return m_root + "/" + std::string(relative);
}

std::string TempTree::addFile(std::string_view relative, std::string_view bytes) {
    const fs::path full = path(relative);
    fs::create_directories(full.parent_path());
    std::ofstream out(full, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + full.string());
    }
    return full.string();
}

std::string randomBytes(std::uint64_t size, std::uint32_t seed) {
    std::mt19937 gen(seed);
    std::string bytes(size, '\0');
    for (auto& c : bytes) {
        c = static_cast<char>(gen() & 0xFFu);
    }
    return bytes;
}

std::string TempTree::addRandomFile(std::string_view relative, std::uint64_t size,
                                    std::uint32_t seed) {
    return addFile(relative, randomBytes(size, seed));
}

std::string TempTree::addFolder(std::string_view relative) {
    const std::string full = path(relative);
    fs::create_directories(full);
    return full;
}

std::string TempTree::addHardLink(std::string_view existing, std::string_view relative) {
    const fs::path full = path(relative);
    fs::create_directories(full.parent_path());
    fs::create_hard_link(path(existing), full);
    return full.string();
}

std::string TempTree::addSymlink(std::string_view target, std::string_view relative) {
    const fs::path full = path(relative);
    fs::create_directories(full.parent_path());
    fs::create_symlink(std::string(target), full);
    return full.string();
}

void TempTree::remove(std::string_view relative) {
    fs::remove_all(path(relative));
}

void TempTree::setMtime(std::string_view relative, std::time_t time) {
    struct utimbuf times {};
    times.actime = time;
    times.modtime = time;
    if (utime(path(relative).c_str(), &times) != 0) {
        throw std::runtime_error("cannot set the time of " + path(relative));
    }
}

std::string TempTree::read(std::string_view relative) const {
    std::ifstream in(path(relative), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

int runUnprivileged(const std::function<int()>& body) {
    constexpr uid_t kNobody = 65534;
    const pid_t child = ::fork();
    if (child < 0) {
        return -1;
    }
    if (child == 0) {
        if (::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setresgid(kNobody, kNobody, kNobody) != 0 ||
             ::setresuid(kNobody, kNobody, kNobody) != 0)) {
            ::_exit(125);
        }
        ::_exit(body());
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

} // namespace pw::test
