#include "fileops/file_actions.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pw {
namespace {

ResultTable tableOf(const std::vector<std::pair<std::string, bool>>& rows) {
    ResultTable table;
    for (const auto& [name, marked] : rows) {
        ResultTableRow row;
        row.name = name;
        row.folder = makeFolderText("/data/");
        row.group = 1;
        row.marked = marked;
        table.appendRow(row);
    }
    return table;
}

TEST(FileActions, OpenTogglesTheMarkOnThePictureAndOpensBeyondIt) {
    const ResultTable table = tableOf({{"a.txt", false}});
    EXPECT_EQ(openStep(table, 1, 300), OpenStep::ToggleMark);
    EXPECT_EQ(openStep(table, 1, 301), OpenStep::OpenFile);
    EXPECT_EQ(openStep(table, 0, 301), OpenStep::Nothing);
    EXPECT_EQ(openStep(table, 2, 301), OpenStep::Nothing);
    EXPECT_EQ(openStep(ResultTable{}, 1, 0), OpenStep::Nothing);
}

TEST(FileActions, MarkedPathsInListOrder) {
    const ResultTable table = tableOf({{"a", true}, {"b", false}, {"c, d", true}});
    EXPECT_EQ(markedFullPaths(table), (std::vector<std::string>{"/data/a", "/data/c, d"}));
    EXPECT_TRUE(markedFullPaths(tableOf({{"a", false}})).empty());
}

TEST(FileActions, PropertiesDescribeTheFileAndItsPermissions) {
    test::TempTree tree;
    tree.addFile("photo.jpg", std::string(1536, 'x'));
    ASSERT_EQ(::chmod(tree.path("photo.jpg").c_str(), 0640), 0);
    const FilePropertiesResult read = readFileProperties(tree.root() + "/", "photo.jpg");
    ASSERT_TRUE(read.properties) << read.error;
    const FileProperties& p = *read.properties;
    EXPECT_EQ(p.name, "photo.jpg");
    EXPECT_EQ(p.folder, tree.root() + "/");
    EXPECT_EQ(p.type, "Regular file");
    EXPECT_EQ(p.size, "1.50 KB (1536 bytes)");
    EXPECT_EQ(p.permissions, "-rw-r----- (0640)");
    EXPECT_NE(p.owner.find("(" + std::to_string(::getuid()) + ")"), std::string::npos) << p.owner;
    EXPECT_FALSE(p.modified.empty());

    tree.addFile("tiny", "abc");
    EXPECT_EQ(readFileProperties(tree.root() + "/", "tiny").properties->size, "3 bytes");
    const FilePropertiesResult gone = readFileProperties(tree.root() + "/", "gone.jpg");
    EXPECT_FALSE(gone.properties);
    EXPECT_FALSE(gone.error.empty());
}

TEST(FileActions, ModeTextShowsTheSpecialBits) {
    EXPECT_EQ(modeText(S_IFDIR | 0755), "drwxr-xr-x");
    EXPECT_EQ(modeText(S_IFREG | 04755), "-rwsr-xr-x");
    EXPECT_EQ(modeText(S_IFREG | 02644), "-rw-r-Sr--");
    EXPECT_EQ(modeText(S_IFDIR | 01777), "drwxrwxrwt");
    EXPECT_EQ(modeText(S_IFLNK | 0777), "lrwxrwxrwx");
}

} // namespace
} // namespace pw
