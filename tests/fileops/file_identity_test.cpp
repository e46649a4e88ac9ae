// The still-listed check before a delete or a move: a file edited, replaced by a link or
// removed after the scan must not be taken for the duplicate the scan found.

#include "common/format.h"
#include "fileops/shell.h"
#include "results/result_table.h"
#include "support/temp_tree.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pw {
namespace {

using test::TempTree;

constexpr std::time_t kScanTime = 1'650'000'000;

ResultTableRow listedRow(const TempTree& tree, const std::string& name, std::uint64_t size) {
    ResultTableRow row;
    row.name = name;
    row.folder = makeFolderText(tree.root() + "/");
    row.size = size;
    row.modified = localStamp(kScanTime);
    return row;
}

TEST(FileIdentity, UnchangedFileMatchesItsRowAndAVanishedOneIsMissing) {
    TempTree tree;
    tree.addFile("a\xff.txt", "12345");
    tree.setMtime("a\xff.txt", kScanTime);
    EXPECT_EQ(verifyListed(ResultTable{}, listedRow(tree, "a\xff.txt", 5)), ListedState::Unchanged);
    EXPECT_EQ(checkStillListed(tree.path("a\xff.txt"), 5, DateText(kScanTime)),
              ListedState::Unchanged);
    EXPECT_EQ(verifyListed(ResultTable{}, listedRow(tree, "gone.txt", 5)), ListedState::Missing);
    EXPECT_EQ(checkStillListed(tree.path("no-folder/gone.txt"), 5, DateText(kScanTime)),
              ListedState::Missing);
}

TEST(FileIdentity, EditedOrReplacedFilesCountAsChanged) {
    TempTree tree;
    // Same size, new time: an edit in place.
    tree.addFile("edited.txt", "12345");
    tree.setMtime("edited.txt", kScanTime + 1);
    EXPECT_EQ(verifyListed(ResultTable{}, listedRow(tree, "edited.txt", 5)), ListedState::Changed);
    // Same time, new size: an edit with the time put back.
    tree.addFile("grown.txt", "123456");
    tree.setMtime("grown.txt", kScanTime);
    EXPECT_EQ(verifyListed(ResultTable{}, listedRow(tree, "grown.txt", 5)), ListedState::Changed);
    // A link to an identical file is not followed.
    tree.addFile("real.txt", "12345");
    tree.setMtime("real.txt", kScanTime);
    tree.addSymlink(tree.path("real.txt"), "link.txt");
    EXPECT_EQ(verifyListed(ResultTable{}, listedRow(tree, "link.txt", 5)), ListedState::Changed);
    // A folder in the file's place.
    tree.addFolder("folder.txt");
    EXPECT_EQ(verifyListed(ResultTable{}, listedRow(tree, "folder.txt", 0)), ListedState::Changed);
    // Another file of the same size and time in its place: changed for a row the scan
    // listed; a row loaded from a session knows no identity to compare.
    tree.addFile("restored.txt", "12345");
    tree.setMtime("restored.txt", kScanTime);
    struct stat listed {};
    ASSERT_EQ(::lstat(tree.path("restored.txt").c_str(), &listed), 0);
    ResultTableRow scanned = listedRow(tree, "restored.txt", 5);
    scanned.device = listed.st_dev;
    scanned.inode = listed.st_ino;
    EXPECT_EQ(verifyListed(ResultTable{}, scanned), ListedState::Unchanged);
    // Regression: the device was ignored, so the same inode number on another file system
    // passed for the listed file.
    ResultTableRow elsewhere = scanned;
    ++elsewhere.device;
    EXPECT_EQ(verifyListed(ResultTable{}, elsewhere), ListedState::Changed);
    tree.addFile("backup/restored.txt", "12345");
    tree.setMtime("backup/restored.txt", kScanTime);
    std::rename(tree.path("backup/restored.txt").c_str(), tree.path("restored.txt").c_str());
    EXPECT_EQ(verifyListed(ResultTable{}, scanned), ListedState::Changed);
    EXPECT_EQ(verifyListed(ResultTable{}, listedRow(tree, "restored.txt", 5)),
              ListedState::Unchanged);
    // A FIFO in the file's place must not block the check.
    ASSERT_EQ(::mkfifo(tree.path("fifo.txt").c_str(), 0600), 0);
    EXPECT_EQ(verifyListed(ResultTable{}, listedRow(tree, "fifo.txt", 0)), ListedState::Changed);
}

TEST(FileIdentity, AFolderReplacedByALinkBelowTheSearchFolderCountsAsChanged) {
    // Only the last component refused links, so a listed folder swapped for a link to an
    // equal file elsewhere let a delete or a move go through to that other file.
    TempTree tree;
    tree.addFile("real/sub/a.txt", "12345");
    tree.addFile("other/a.txt", "12345");
    tree.setMtime("real/sub/a.txt", kScanTime);
    tree.setMtime("other/a.txt", kScanTime);
    tree.addSymlink(tree.path("real"), "searched");
    ResultTable table;
    table.searchFolders = {tree.path("searched")};
    ResultTableRow row = listedRow(tree, "a.txt", 5);
    row.folder = makeFolderText(tree.path("searched/sub/"));
    // The search folder itself may be reached through a link: the user named it so.
    EXPECT_EQ(verifyListed(table, row), ListedState::Unchanged);
    std::rename(tree.path("real/sub").c_str(), tree.path("real/sub.old").c_str());
    tree.addSymlink(tree.path("other"), "real/sub");
    EXPECT_EQ(verifyListed(table, row), ListedState::Changed);
}

} // namespace
} // namespace pw
