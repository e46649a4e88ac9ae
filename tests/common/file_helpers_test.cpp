#include "common/file_helpers.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

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

} // namespace
} // namespace pw
