#include "fileops/copy_move_loop.h"
#include "fileops/process_marked.h"
#include "loop_rows.h"
#include "recording_shell.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace pw {
namespace {

namespace fs = std::filesystem;
using test::FakeBehaviour;

struct TransferFixture : ::testing::Test {
    test::TempTree tree;
    test::RecordingShell shell;
    ResultTable table;
    std::string target;

    void SetUp() override { target = tree.addFolder("target") + "/"; }

    void add(const std::string& relative, int group, bool marked) {
        tree.addFile(relative, "bytes of " + relative);
        table.appendRow(test::listedRow(tree, relative, group, marked));
        if (table.GroupSizes.size() <= static_cast<std::size_t>(group)) {
            table.GroupSizes.resize(static_cast<std::size_t>(group) + 1, 0);
        }
        ++table.GroupSizes[static_cast<std::size_t>(group)];
        table.GroupCount = static_cast<std::int32_t>(table.GroupSizes.size()) - 1;
    }
};

TEST_F(TransferFixture, BlankDestinationIsRefusedAndNothingRuns) {
    add("a.txt", 1, true);
    for (TransferMode mode : {TransferMode::Copy, TransferMode::Move}) {
        CopyMoveRun run(table, shell, mode, "   ");
        const auto message = run.start();
        ASSERT_TRUE(message.has_value());
        EXPECT_EQ(message->text, "Path not specified, Please specify copy/move location first");
        EXPECT_EQ(message->title, "Error");
        EXPECT_EQ(run.state(), RunState::Ready);
        EXPECT_FALSE(run.step());
        EXPECT_TRUE(run.cancelled());
    }
    EXPECT_TRUE(shell.calls.empty());
}

TEST_F(TransferFixture, CopyLeavesSourcesAndTheListAndReportsFailedCopies) {
    add("one/a.txt", 1, true);
    add("one/b.txt", 1, false);
    add("two/c.txt", 1, true);
    shell.behaviour[tree.path("two/c.txt")] = FakeBehaviour::Fail;

    CopyMoveRun run(table, shell, TransferMode::Copy, target);
    run.options.yesToAll = false;
    run.options.openDestination = true;
    EXPECT_FALSE(CopyMarkedFiles(run).has_value());

    EXPECT_EQ(run.state(), RunState::Done);
    EXPECT_EQ(tree.read("target/a.txt"), "bytes of one/a.txt");
    EXPECT_EQ(tree.read("one/a.txt"), "bytes of one/a.txt");
    EXPECT_FALSE(fs::exists(tree.path("target/b.txt")));
    EXPECT_EQ(run.errors(), (std::vector<ErrorRow>{unableToCopy(tree.path("two/c.txt"))}));
    // A copy never asks and never checks folders.
    EXPECT_TRUE(shell.calls.at(0).yesToAll);
    EXPECT_TRUE(run.foldersToCheck().empty());
    EXPECT_EQ(run.progress().value, run.progress().maximum);
    EXPECT_EQ(run.progress().label, "Progress");
    EXPECT_TRUE(run.openDestinationNow());
}

TEST_F(TransferFixture, MoveChecksSourcesRemovesEmptiedFoldersAndReportsStayingFiles) {
    add("one/a.txt", 1, true);
    add("two/b.txt", 1, true);
    add("two/c.txt", 2, true);
    add("three/d.txt", 2, true);
    add("four/e.txt", 3, true);
    add("four/f.txt", 3, false);
    tree.addFolder("three/Sub");
    shell.behaviour[tree.path("two/c.txt")] = FakeBehaviour::ClaimSuccess;
    tree.addFile("four/e.txt", "changed after the scan");

    CopyMoveRun run(table, shell, TransferMode::Move, target);
    EXPECT_FALSE(run.openDestinationNow());
    EXPECT_FALSE(MoveMarkedFiles(run).has_value());

    EXPECT_EQ(run.errors(), (std::vector<ErrorRow>{unableToMove(tree.path("two/c.txt")),
                                                   fileChanged(tree.path("four/e.txt"))}));
    EXPECT_EQ(tree.read("target/a.txt"), "bytes of one/a.txt");
    EXPECT_FALSE(fs::exists(tree.path("one")));
    EXPECT_TRUE(fs::exists(tree.path("two/c.txt")));
    EXPECT_TRUE(fs::is_directory(tree.path("three/Sub")));
    EXPECT_EQ(tree.read("four/e.txt"), "changed after the scan");
    EXPECT_EQ(
        run.foldersToCheck().folders(),
        (std::vector<std::string>{tree.path("one/"), tree.path("two/"), tree.path("three/")}));
    EXPECT_EQ(run.progress().label, kCompletedLabel);
    EXPECT_FALSE(run.cancelled());

    // The tidy-up afterwards: moved files' rows go; c stays marked; f's group is left
    // with e and f, both still there.
    tidyUp(table, false);
    std::vector<std::string> left;
    for (const ResultTableRow& row : table.rows()) {
        left.push_back(row.name + (row.marked ? "*" : ""));
    }
    EXPECT_EQ(left, (std::vector<std::string>{"e.txt*", "f.txt"}));
}

TEST_F(TransferFixture, EditedDestinationAppliesToTheFilesNotYetMoved) {
    add("a.txt", 1, true);
    add("b.txt", 1, true);
    const std::string other = tree.addFolder("other") + "/";
    CopyMoveRun run(table, shell, TransferMode::Move, target);
    shell.afterCall[0] = [&run, &other] { run.setDestination(other); };
    MoveMarkedFiles(run);
    EXPECT_TRUE(fs::exists(tree.path("target/a.txt")));
    EXPECT_TRUE(fs::exists(tree.path("other/b.txt")));
}

TEST_F(TransferFixture, CancelledMoveCompletesWithTheFoldersGatheredSoFar) {
    add("one/a.txt", 1, true);
    add("two/b.txt", 1, true);
    CopyMoveRun run(table, shell, TransferMode::Move, target);
    run.options.keepFolderStructure = true;
    shell.afterCall[0] = [&run] { run.requestCancel(); };
    ASSERT_FALSE(run.start().has_value());
    EXPECT_EQ(run.state(), RunState::Running);
    run.run();

    EXPECT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(run.state(), RunState::Done);
    EXPECT_FALSE(run.cancelled());
    EXPECT_FALSE(fs::exists(tree.path("one")));
    EXPECT_TRUE(fs::exists(tree.path("two/b.txt")));
}

TEST_F(TransferFixture, MoveConfirmationsAndNoFolderCheckWhenNotAsked) {
    add("one/a.txt", 1, true);
    add("one/b.txt", 1, true);
    add("one/c.txt", 1, true);
    std::vector<ConfirmAnswer> answers = {ConfirmAnswer::No, ConfirmAnswer::YesToAll};
    std::size_t asked = 0;
    CopyMoveRun run(table, shell, TransferMode::Move, target,
                    [&](ShellOperation operation, const std::string&) {
                        EXPECT_EQ(operation, ShellOperation::Move);
                        return answers.at(asked++);
                    });
    run.options.yesToAll = false;
    run.options.removeEmptyFolders = false;
    MoveMarkedFiles(run);

    EXPECT_EQ(asked, 2u);
    EXPECT_EQ(run.errors(), (std::vector<ErrorRow>{unableToMove(tree.path("one/a.txt"))}));
    EXPECT_TRUE(shell.calls.at(2).yesToAll);
    EXPECT_TRUE(fs::exists(tree.path("target/c.txt")));
    EXPECT_EQ(run.progress().value, 3);
    EXPECT_EQ(run.progress().label, kCompletedLabel);
}

} // namespace
} // namespace pw
