#include "fileops/empty_folders.h"
#include "support/temp_tree.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace pw {
namespace {

namespace fs = std::filesystem;

using Folders = std::vector<std::string>;

TEST(FoldersToCheck, KeepsFirstInsertionOrderAndIgnoresRepeats) {
    FoldersToCheck folders;
    folders.AddFolderToCheck("/b/");
    folders.AddFolderToCheck("/a/");
    folders.AddFolderToCheck("/b/");
    folders.AddFolderToCheck("/c/");
    folders.AddFolderToCheck("/a/");
    EXPECT_EQ(folders.folders(), (Folders{"/b/", "/a/", "/c/"}));
    EXPECT_EQ(folders.size(), 3u);

    folders.clear();
    EXPECT_TRUE(folders.empty());
    folders.AddFolderToCheck("/a/");
    EXPECT_EQ(folders.folders(), (Folders{"/a/"}));
}

TEST(FoldersToCheck, PathsDifferingInLetterCaseAreTwoFolders) {
    FoldersToCheck folders;
    folders.AddFolderToCheck("/data/Photos/");
    folders.AddFolderToCheck("/data/photos/");
    EXPECT_EQ(folders.folders(), (Folders{"/data/Photos/", "/data/photos/"}));
}

TEST(EmptyFolders, TellsFilesFromSubFolders) {
    test::TempTree tree;
    const std::string empty = tree.addFolder("empty") + "/";
    const std::string withFile = tree.path("files/");
    tree.addFile("files/a.txt", "a");
    tree.addFolder("parent/child");
    const std::string withSub = tree.path("parent/");
    tree.addFile("hidden/.profile", "x");
    const std::string withHiddenFile = tree.path("hidden/");

    EXPECT_FALSE(HasFiles(empty));
    EXPECT_FALSE(HasSubFolders(empty));
    EXPECT_TRUE(IsEmptyFolder(empty));

    EXPECT_TRUE(HasFiles(withFile));
    EXPECT_FALSE(HasSubFolders(withFile));
    EXPECT_FALSE(IsEmptyFolder(withFile));

    EXPECT_FALSE(HasFiles(withSub));
    EXPECT_TRUE(HasSubFolders(withSub));
    EXPECT_FALSE(IsEmptyFolder(withSub));

    // A file whose name begins with "." is a file like any other.
    EXPECT_TRUE(HasFiles(withHiddenFile));
    EXPECT_FALSE(IsEmptyFolder(withHiddenFile));
}

TEST(EmptyFolders, DotNamedSubFoldersAreNotCountedButNeverRemoved) {
    test::TempTree tree;
    tree.addFolder("only-dot/.cache");
    const std::string folder = tree.path("only-dot/");

    EXPECT_FALSE(HasSubFolders(folder));
    EXPECT_FALSE(HasFiles(folder));
    EXPECT_TRUE(IsEmptyFolder(folder));

    // Tried, and kept, because it is not empty on disk.
    RemoveFolder(folder);
    EXPECT_TRUE(fs::is_directory(tree.path("only-dot/.cache")));
}

TEST(EmptyFolders, LinksAreNeverSubFolders) {
    test::TempTree tree;
    tree.addFolder("target");
    tree.addSymlink(tree.path("target"), "holder/link");
    const std::string holder = tree.path("holder/");

    // The link is an entry that is not a folder: the holder is not empty and stays.
    EXPECT_FALSE(HasSubFolders(holder));
    EXPECT_TRUE(HasFiles(holder));
    EXPECT_FALSE(IsEmptyFolder(holder));
}

TEST(EmptyFolders, UnlistableFolderHasNothing) {
    test::TempTree tree;
    const std::string missing = tree.path("gone/");
    EXPECT_FALSE(HasFiles(missing));
    EXPECT_FALSE(HasSubFolders(missing));
    EXPECT_TRUE(IsEmptyFolder(missing));
    // Removing what is not there is ignored.
    RemoveFolder(missing);
    const std::string file = tree.addFile("plain.txt", "x");
    EXPECT_FALSE(HasFiles(file + "/"));
}

TEST(EmptyFolders, RemoveFolderTakesOnlyTheEmptyFolderItself) {
    test::TempTree tree;
    const std::string leaf = tree.addFolder("a/b/leaf") + "/";
    tree.addFile("full/keep.txt", "k");

    RemoveFolder(leaf);
    EXPECT_FALSE(fs::exists(tree.path("a/b/leaf")));
    // The parent is now empty but is never removed.
    EXPECT_TRUE(fs::is_directory(tree.path("a/b")));
    EXPECT_TRUE(IsEmptyFolder(tree.path("a/b/")));

    RemoveFolder(tree.path("full/"));
    EXPECT_EQ(tree.read("full/keep.txt"), "k");
}

} // namespace
} // namespace pw
