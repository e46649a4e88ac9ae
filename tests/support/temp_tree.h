#pragma once
// A small file tree in a fresh temporary folder, removed at the end of the test unless
// KEEP_TEST_TREE is set in the environment (then its path is printed for inspection).

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <string_view>

namespace pw::test {

class TempTree {
public:
    TempTree();
    ~TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    // The tree's root folder, without a trailing "/".
    const std::string& root() const { return m_root; }

    // root + "/" + relative.
    std::string path(std::string_view relative) const;

    // Writes a file with the given bytes, creating its folders; returns its full path.
    std::string addFile(std::string_view relative, std::string_view bytes);

    // A file of `size` bytes from a seeded pseudo-random stream: equal seeds and sizes give
    // equal bytes. Returns its full path.
    std::string addRandomFile(std::string_view relative, std::uint64_t size, std::uint32_t seed);

    std::string addFolder(std::string_view relative);
    std::string addHardLink(std::string_view existing, std::string_view relative);
    std::string addSymlink(std::string_view target, std::string_view relative);
    void remove(std::string_view relative);
    void setMtime(std::string_view relative, std::time_t time);

    // The bytes of a file of the tree.
    std::string read(std::string_view relative) const;

private:
    std::string m_root;
};

// Runs `body` in a child process as a user without privileges (nobody, when the tests run
// as root, where permission bits would not apply; the same user otherwise) and returns
// the child's exit status, or -1 when it could not run or did not exit. The tree must be
// open to that user.
int runUnprivileged(const std::function<int()>& body);

// The pseudo-random bytes TempTree::addRandomFile writes.
std::string randomBytes(std::uint64_t size, std::uint32_t seed);

} // namespace pw::test
