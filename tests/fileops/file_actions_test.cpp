#include "fileops/file_actions.h"
#include "fileops/rename_rules.h"
#include "recording_shell.h"
#include "support/temp_tree.h"

#include <deque>
#include <filesystem>
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

namespace fs = std::filesystem;

TEST(RenameRules, EachForbiddenCharacterIsRefused) {
    for (const char c : kForbiddenNameCharacters) {
        const std::string name = std::string("a") + c + "b.txt";
        EXPECT_TRUE(hasForbiddenCharacter(name)) << name;
        EXPECT_EQ(checkNewName("old.txt", name), NameCheck::Forbidden) << name;
    }
    EXPECT_EQ(kForbiddenNameCharacters.size(), 9u);
    EXPECT_TRUE(hasForbiddenCharacter(std::string("a\0b", 3)));
    EXPECT_FALSE(hasForbiddenCharacter("plain, with comma; (1) & 'quotes'.txt"));

    const UserMessage message = forbiddenCharactersMessage();
    EXPECT_EQ(message.text, "A file name cannot contain any of the following characters:\n"
                            "\\ / : * ? \" <> |");
    EXPECT_EQ(message.title, "Error");
    EXPECT_EQ(renamePrompt("a.txt").text, "Please type new name for\na.txt");
    EXPECT_EQ(renamePrompt("a.txt").title, "Rename");
}

TEST(RenameRules, BlankOrIdenticalAnswersStopAndCaseCounts) {
    EXPECT_EQ(checkNewName("a.txt", ""), NameCheck::Unchanged);
    EXPECT_EQ(checkNewName("a.txt", "   "), NameCheck::Unchanged);
    EXPECT_EQ(checkNewName("a.txt", "a.txt"), NameCheck::Unchanged);
    EXPECT_EQ(checkNewName("a.txt", "A.txt"), NameCheck::Rename);
    EXPECT_EQ(checkNewName("a.txt", " b.txt"), NameCheck::Rename);
}

struct RenameFixture : ::testing::Test {
    test::TempTree tree;
    test::RecordingShell shell;
    ResultTable table;
    std::deque<std::optional<std::string>> answers;
    std::vector<std::pair<UserMessage, std::string>> prompts;
    std::vector<UserMessage> shown;

    AskName ask() {
        return [this](const UserMessage& prompt, const std::string& preset) {
            prompts.emplace_back(prompt, preset);
            auto answer = answers.front();
            answers.pop_front();
            return answer;
        };
    }
    ShowMessage show() {
        return [this](const UserMessage& message) { shown.push_back(message); };
    }

    void addRow(const std::string& name) {
        tree.addFile(name, "x");
        ResultTableRow row;
        row.name = name;
        row.folder = makeFolderText(tree.root() + "/");
        row.group = 1;
        row.marked = true;
        table.appendRow(row);
        table.takeChanges();
    }
};

TEST_F(RenameFixture, ForbiddenAnswerAsksAgainWithTheOldNameThenRenames) {
    addRow("a.txt");
    answers = {std::string("bad:name.txt"), std::string(" b.txt")};
    EXPECT_TRUE(Rename(table, 1, shell, ask(), show()));

    ASSERT_EQ(prompts.size(), 2u);
    EXPECT_EQ(prompts[1].first.text, "Please type new name for\na.txt");
    EXPECT_EQ(prompts[1].second, "a.txt");
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, forbiddenCharactersMessage().text);

    // The answer as typed, leading blank included; marks and other cells stay.
    EXPECT_TRUE(fs::exists(tree.path(" b.txt")));
    EXPECT_FALSE(fs::exists(tree.path("a.txt")));
    EXPECT_EQ(table.row(1).name, " b.txt");
    EXPECT_EQ(cellText(table.row(1), kColGroup), "1");
    EXPECT_TRUE(table.row(1).marked);
    const std::vector<TableChange> changes = table.takeChanges();
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].kind, TableChange::Kind::Cells);
    EXPECT_EQ(changes[0].first, 1);
}

TEST_F(RenameFixture, CancelSameNameAndCaseOnlyChange) {
    addRow("a.txt");
    answers = {std::nullopt, std::string("a.txt"), std::string("A.txt")};
    EXPECT_FALSE(Rename(table, 1, shell, ask(), show()));
    EXPECT_FALSE(Rename(table, 1, shell, ask(), show()));
    EXPECT_TRUE(shell.calls.empty());

    EXPECT_TRUE(Rename(table, 1, shell, ask(), show()));
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].source, tree.path("a.txt"));
    EXPECT_EQ(shell.calls[0].destination, tree.path("A.txt"));
    EXPECT_EQ(table.row(1).name, "A.txt");
}

TEST_F(RenameFixture, FailedRenameIsShownAndTheRowKeepsItsName) {
    addRow("a.txt");
    addRow("b.txt");
    answers = {std::string("b.txt")};
    EXPECT_FALSE(Rename(table, 1, shell, ask(), show()));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "The name is taken.");
    EXPECT_EQ(shown[0].title, "Error");
    EXPECT_EQ(table.row(1).name, "a.txt");
    EXPECT_EQ(tree.read("b.txt"), "x");

    // No row, no question.
    EXPECT_FALSE(Rename(table, 3, shell, ask(), show()));
    ResultTable empty;
    EXPECT_FALSE(Rename(empty, 1, shell, ask(), show()));
    EXPECT_EQ(prompts.size(), 1u);
}

} // namespace
} // namespace pw
