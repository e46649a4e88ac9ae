#include "common/file_helpers.h"
#include "common/open_no_links.h"
#include "common/unique_fd.h"
#include "support/temp_tree.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>

namespace pw {
namespace {

using test::TempTree;

using Opener = int (*)(int, const char*, int);

int byComponents(int folderFd, const char* relative, int flags) {
    return openByComponents(folderFd, relative, flags);
}

// What one open gave: 0 for a descriptor, else the errno.
int outcome(Opener open, int folderFd, const std::string& path, int flags = O_RDONLY) {
    const UniqueFd fd(open(folderFd, path.c_str(), flags));
    return fd.valid() ? 0 : errno;
}

class OpenWithoutLinks : public testing::TestWithParam<Opener> {};

TEST_P(OpenWithoutLinks, RefusesALinkInAnyComponentBelowTheFolder) {
    TempTree tree;
    tree.addFile("real/sub/a.txt", "x");
    tree.addSymlink(tree.path("real/sub"), "real/link");
    tree.addSymlink(tree.path("real/sub/a.txt"), "real/sub/to-a");
    const UniqueFd root(::open(tree.path("real").c_str(), O_PATH | O_DIRECTORY));
    const Opener open = GetParam();
    EXPECT_EQ(outcome(open, root.get(), "sub/a.txt"), 0);
    EXPECT_EQ(outcome(open, root.get(), "./sub//a.txt"), 0);
    EXPECT_EQ(outcome(open, AT_FDCWD, tree.path("real/sub/a.txt")), 0);
    EXPECT_EQ(outcome(open, root.get(), "link/a.txt"), ELOOP);
    EXPECT_EQ(outcome(open, root.get(), "sub/to-a"), ELOOP);
    EXPECT_EQ(outcome(open, root.get(), "sub/to-a", O_PATH), ELOOP);
    EXPECT_EQ(outcome(open, root.get(), "sub/a.txt/b"), ENOTDIR);
    EXPECT_EQ(outcome(open, root.get(), "sub/none.txt"), ENOENT);
}

TEST(OpenOnSameMount, OpensAFolderBeneathItsParentButNoLinkNorAnotherMount) {
    TempTree tree;
    tree.addFile("real/sub/a.txt", "x");
    tree.addSymlink(tree.path("real/sub"), "real/link");
    const UniqueFd parent(::open(tree.path("real").c_str(), O_PATH | O_DIRECTORY));
    EXPECT_EQ(outcome(openOnSameMount, parent.get(), "sub/", O_RDONLY | O_DIRECTORY), 0);
    // A folder swapped for a link after its parent was listed leads nowhere.
    EXPECT_EQ(outcome(openOnSameMount, parent.get(), "link/", O_RDONLY | O_DIRECTORY), ELOOP);
    EXPECT_EQ(outcome(openOnSameMount, parent.get(), "gone/", O_RDONLY | O_DIRECTORY), ENOENT);
    // /proc is a file system of its own on every Linux system.
    const UniqueFd top(::open("/", O_PATH | O_DIRECTORY));
    EXPECT_EQ(outcome(openOnSameMount, top.get(), "proc/", O_RDONLY | O_DIRECTORY), EXDEV);
}

INSTANTIATE_TEST_SUITE_P(BothWays, OpenWithoutLinks,
                         testing::Values(&openWithoutLinks, &byComponents));

TEST(SearchRootOf, TheLongestSearchFolderHoldingThePathAsWholeComponents) {
    const std::vector<std::string> roots = {"/data", "/data/photos/", "/", "/dat"};
    EXPECT_EQ(searchRootOf(roots, "/data/photos/a.jpg"), "/data/photos");
    EXPECT_EQ(searchRootOf(roots, "/data/photos2/a.jpg"), "/data");
    EXPECT_EQ(searchRootOf(roots, "/database/a"), "/");
    EXPECT_EQ(searchRootOf({"/data"}, "/database/a"), "");
}

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
TEST(FileHelpers, AThreadWithItsOwnDescriptorTableKeepsItsFilesToItself) {
    const UniqueFd before(::open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    ASSERT_TRUE(before.valid());
    bool own = false;
    bool beforeUsable = false;
    int opened = -1;
    std::thread([&] {
        own = takeOwnDescriptorTable();
        beforeUsable = ::fcntl(before.get(), F_GETFD) != -1;
        opened = ::open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    }).join();
    if (!own) {
        GTEST_SKIP() << "the system refuses a descriptor table of a thread's own";
    }
    EXPECT_TRUE(beforeUsable);
    ASSERT_GE(opened, 0);
    // The thread's table went with it, and its descriptor with the table.
    EXPECT_EQ(::fcntl(opened, F_GETFD), -1);
}

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
