#include "fileops/empty_folders.h"
#include "support/temp_tree.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace pw {
namespace {

namespace fs = std::filesystem;

using Folders = std::vector<std::string>;

TEST(FoldersToCheck, KeepsFirstInsertionOrderIgnoresRepeatsAndMindsLetterCase) {
    FoldersToCheck folders;
    for (const char* folder : {"/b/", "/a/", "/b/", "/c/", "/a/", "/A/"}) {
        folders.AddFolderToCheck(folder);
    }
    EXPECT_EQ(folders.folders(), (Folders{"/b/", "/a/", "/c/", "/A/"}));
    EXPECT_EQ(folders.size(), 4u);

    folders.clear();
    EXPECT_TRUE(folders.empty());
    folders.AddFolderToCheck("/a/");
    EXPECT_EQ(folders.folders(), (Folders{"/a/"}));
}

TEST(EmptyFolders, TellsFilesFromSubFolders) {
    test::TempTree tree;
    tree.addFolder("empty");
    tree.addFile("files/a.txt", "a");
    tree.addFolder("parent/child");
    tree.addFile("hidden/.profile", "x"); // a file whose name begins with "." is a file
    tree.addFolder("only-dot/.cache");    // a dot-named sub-folder is not counted
    tree.addFolder("target");
    tree.addSymlink(tree.path("target"), "holder/link"); // a link is never a sub-folder
    tree.addFile("plain.txt", "x");
    struct Case {
        const char* folder;
        bool files;
        bool subFolders;
    };
    for (const Case& c : {Case{"empty/", false, false}, Case{"files/", true, false},
                          Case{"parent/", false, true}, Case{"hidden/", true, false},
                          Case{"only-dot/", false, false}, Case{"holder/", true, false},
                          Case{"gone/", false, false}, Case{"plain.txt/", false, false}}) {
        const std::string folder = tree.path(c.folder);
        EXPECT_EQ(HasFiles(folder), c.files) << c.folder;
        EXPECT_EQ(HasSubFolders(folder), c.subFolders) << c.folder;
        EXPECT_EQ(IsEmptyFolder(folder), !c.files && !c.subFolders) << c.folder;
    }
}

TEST(EmptyFolders, RemoveFolderTakesOnlyAFolderEmptyOnDisk) {
    test::TempTree tree;
    const std::string leaf = tree.addFolder("a/b/leaf") + "/";
    tree.addFile("full/keep.txt", "k");
    tree.addFolder("only-dot/.cache");

    RemoveFolder(leaf);
    EXPECT_FALSE(fs::exists(tree.path("a/b/leaf")));
    // The parent is now empty but is never removed.
    EXPECT_TRUE(fs::is_directory(tree.path("a/b")));

    RemoveFolder(tree.path("full/"));
    EXPECT_EQ(tree.read("full/keep.txt"), "k");
    // Empty by IsEmptyFolder's count, not on disk: tried and kept.
    RemoveFolder(tree.path("only-dot/"));
    EXPECT_TRUE(fs::is_directory(tree.path("only-dot/.cache")));
    // Removing what is not there is ignored.
    RemoveFolder(tree.path("gone/"));
}

} // namespace
} // namespace pw
