#include "common/file_helpers.h"
#include "support/temp_tree.h"

#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

namespace pw {
namespace {

using test::TempTree;

TEST(FileHelpers, FileExistsAndTrimNull) {
    TempTree tree;
    tree.addFile("f", "x");
    tree.addFile(".h", "x");
    tree.addSymlink(tree.path("f"), "l");
    EXPECT_TRUE(FileExists(tree.path("f")));
    EXPECT_TRUE(FileExists(tree.path(".h")));
    EXPECT_FALSE(FileExists(tree.path("l")));
    EXPECT_FALSE(FileExists(tree.root()));
    EXPECT_FALSE(FileExists(tree.path("none")));
    EXPECT_EQ(TrimNull(std::string_view("ab\0cd", 5)), "ab");
    EXPECT_EQ(TrimNull(std::string_view("\0x", 2)), "");
    EXPECT_EQ(TrimNull("abc"), "abc");
}

// Growing the descriptor table takes a descriptor for a moment; it must not stay open, nor
// may a request past the descriptor limit fail loudly.
TEST(FileHelpers, ReservingDescriptorsLeavesNoneOpen) {
    auto openCount = [] {
        return std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                             std::filesystem::directory_iterator{});
    };
    const int fd = ::open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    const auto before = openCount();
    reserveDescriptors(fd, 5000);
    reserveDescriptors(fd, std::int64_t{1} << 40);
    EXPECT_EQ(openCount(), before);
    ::close(fd);
}

} // namespace
} // namespace pw
