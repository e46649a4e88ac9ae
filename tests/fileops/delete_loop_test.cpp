#include "fileops/delete_loop.h"
#include "loop_rows.h"
#include "recording_shell.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace pw {
namespace {

namespace fs = std::filesystem;
using test::FakeBehaviour;

std::vector<std::string> sources(const test::RecordingShell& shell) {
    std::vector<std::string> out;
    for (const test::ShellCall& call : shell.calls) {
        out.push_back(call.source);
    }
    return out;
}

struct DeleteFixture : ::testing::Test {
    test::TempTree tree;
    test::RecordingShell shell;
    ResultTable table;

    void add(const std::string& relative, int group, bool marked) {
        tree.addFile(relative, "same bytes");
        table.appendRow(test::listedRow(tree, relative, group, marked));
    }
};

TEST(ProgressLabel, SeventyCharactersShownWholeSeventyOneCut) {
    const std::string seventy(70, 'a');
    EXPECT_EQ(progressLabel(seventy), seventy);
    EXPECT_EQ(progressLabel(seventy + "b"), seventy + "...");
    // Counted in characters: a two-byte character is never split.
    std::string wide;
    for (int i = 0; i < 71; ++i) {
        wide += "\xC3\xA9";
    }
    EXPECT_EQ(progressLabel(wide), wide.substr(0, 140) + "...");
    EXPECT_EQ(progressLabel(wide.substr(0, 140)), wide.substr(0, 140));
}

TEST_F(DeleteFixture, DeletesMarkedFilesAndRemovesOnlyTheFoldersTheyLeftEmpty) {
    add("one/a.txt", 1, true);
    add("keep/b.txt", 1, false);
    add("two/c.txt", 2, true);
    add("two/d.txt", 2, true);
    add("sub/e.txt", 3, true);
    tree.addFolder("sub/child");
    add("dotted/f.txt", 3, true);
    tree.addFolder("dotted/.git");

    DeleteRun run(table, shell);
    EXPECT_FALSE(run.step());
    ASSERT_TRUE(run.start());
    EXPECT_EQ(run.state(), RunState::Running);
    EXPECT_EQ(run.progress().maximum, 5);
    std::vector<RunProgress> seen;
    run.run([&seen](const RunProgress& progress) { seen.push_back(progress); });

    EXPECT_EQ(run.state(), RunState::Done);
    EXPECT_FALSE(run.cancelled());
    EXPECT_TRUE(run.errors().empty());
    EXPECT_EQ(sources(shell),
              (std::vector<std::string>{tree.path("one/a.txt"), tree.path("two/c.txt"),
                                        tree.path("two/d.txt"), tree.path("sub/e.txt"),
                                        tree.path("dotted/f.txt")}));
    EXPECT_TRUE(shell.calls[0].toTrash);
    EXPECT_TRUE(shell.calls[0].yesToAll);
    EXPECT_EQ(run.foldersToCheck().folders(),
              (std::vector<std::string>{tree.path("one/"), tree.path("two/"), tree.path("sub/"),
                                        tree.path("dotted/")}));

    EXPECT_FALSE(fs::exists(tree.path("one")));
    EXPECT_FALSE(fs::exists(tree.path("two")));
    EXPECT_TRUE(fs::exists(tree.path("sub/child")));
    EXPECT_TRUE(fs::exists(tree.path("dotted/.git")));
    EXPECT_EQ(tree.read("keep/b.txt"), "same bytes");
    EXPECT_TRUE(fs::is_directory(tree.root()));

    // The file phase counts to 5, the folder phase to 4, then "Completed".
    EXPECT_EQ(seen.at(4).value, 5);
    EXPECT_EQ(seen.at(4).label, tree.path("dotted/f.txt"));
    EXPECT_EQ(seen.at(5).label, kCheckingFoldersLabel);
    EXPECT_EQ(seen.at(5).maximum, 4);
    EXPECT_EQ(seen.back().value, 4);
    EXPECT_EQ(seen.back().label, kCompletedLabel);
}

TEST_F(DeleteFixture, OptionsReachTheShellAndFoldersStayWhenNotAsked) {
    add("one/a.txt", 1, true);
    DeleteRun run(table, shell);
    run.options = {false, false, true};
    DeleteMarkedFiles(run);
    EXPECT_FALSE(shell.calls.at(0).toTrash);
    EXPECT_TRUE(fs::is_directory(tree.path("one")));
    EXPECT_EQ(run.progress().label, kCompletedLabel);
    EXPECT_EQ(run.progress().value, 1);
}

TEST_F(DeleteFixture, FailedOrFalselyReportedDeletesGiveErrorRowsAndTheLoopGoesOn) {
    add("a.txt", 1, true);
    add("b.txt", 1, true);
    add("c.txt", 1, true);
    shell.behaviour[tree.path("a.txt")] = FakeBehaviour::Fail;
    shell.behaviour[tree.path("b.txt")] = FakeBehaviour::ClaimSuccess;

    DeleteRun run(table, shell);
    DeleteMarkedFiles(run);
    EXPECT_EQ(run.errors(), (std::vector<ErrorRow>{unableToDelete(tree.path("a.txt")),
                                                   unableToDelete(tree.path("b.txt"))}));
    EXPECT_FALSE(fs::exists(tree.path("c.txt")));
    // The folder still holds files: it stays.
    EXPECT_TRUE(fs::exists(tree.path("a.txt")));
}

// Regression: a file replaced by another of the same size and time (restored from a
// backup) was deleted as the duplicate the scan had found.
TEST_F(DeleteFixture, FileChangedOrReplacedSinceTheScanIsLeftAlone) {
    add("a.txt", 1, true);
    add("b.txt", 1, true);
    add("c.txt", 2, true);
    tree.addFile("a.txt", "rewritten with other bytes");
    struct stat listed {};
    ASSERT_EQ(::lstat(tree.path("c.txt").c_str(), &listed), 0);
    tree.addFile("backup/c.txt", "same bytes");
    tree.setMtime("backup/c.txt", listed.st_mtime);
    fs::rename(tree.path("backup/c.txt"), tree.path("c.txt"));

    DeleteRun run(table, shell);
    DeleteMarkedFiles(run);
    EXPECT_EQ(run.errors(), (std::vector<ErrorRow>{fileChanged(tree.path("a.txt")),
                                                   fileChanged(tree.path("c.txt"))}));
    EXPECT_EQ(sources(shell), (std::vector<std::string>{tree.path("b.txt")}));
    EXPECT_EQ(tree.read("a.txt"), "rewritten with other bytes");
    EXPECT_EQ(run.progress().maximum, 1); // the folder check's bar
}

TEST_F(DeleteFixture, CancelStopsBeforeTheNextFileAndStillChecksFolders) {
    add("one/a.txt", 1, true);
    add("two/b.txt", 1, true);
    DeleteRun run(table, shell);
    shell.afterCall[0] = [&run] { run.requestCancel(); };
    ASSERT_TRUE(run.start());
    run.run();

    EXPECT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(run.state(), RunState::Done);
    EXPECT_FALSE(run.cancelled());
    EXPECT_FALSE(fs::exists(tree.path("one")));
    EXPECT_EQ(tree.read("two/b.txt"), "same bytes");
}

TEST_F(DeleteFixture, ClosingBeforeOkIsCancelledAndNothingIsTouched) {
    add("a.txt", 1, true);
    DeleteRun run(table, shell);
    EXPECT_TRUE(run.cancelled());
    run.requestCancel();
    EXPECT_EQ(run.state(), RunState::Ready);
    EXPECT_FALSE(run.step());
    EXPECT_TRUE(shell.calls.empty());

    ASSERT_TRUE(run.start());
    EXPECT_FALSE(run.start());
    EXPECT_TRUE(run.cancelled()); // running: not a completed run
}

TEST_F(DeleteFixture, ConfirmAnswersWhenYesToAllIsOff) {
    add("a.txt", 1, true);
    add("b.txt", 1, true);
    add("c.txt", 1, true);
    add("d.txt", 1, true);
    std::vector<ConfirmAnswer> answers = {ConfirmAnswer::No, ConfirmAnswer::YesToAll,
                                          ConfirmAnswer::Cancel};
    std::size_t asked = 0;
    DeleteRun run(table, shell, [&](ShellOperation operation, const std::string&) {
        EXPECT_EQ(operation, ShellOperation::Delete);
        return answers.at(asked++);
    });
    run.options.yesToAll = false;
    DeleteMarkedFiles(run);

    // No leaves a.txt with its error row; YesToAll covers b, c and d without asking again.
    EXPECT_EQ(asked, 2u);
    EXPECT_EQ(run.errors(), (std::vector<ErrorRow>{unableToDelete(tree.path("a.txt"))}));
    EXPECT_FALSE(shell.calls.at(0).yesToAll);
    EXPECT_TRUE(shell.calls.at(2).yesToAll);
    EXPECT_FALSE(fs::exists(tree.path("d.txt")));

    // Cancel in the shell's question ends the run like the Cancel button.
    ResultTable again;
    add("e.txt", 1, true);
    add("f.txt", 1, true);
    again.appendRow(table.rows()[4]);
    again.appendRow(table.rows()[5]);
    test::RecordingShell second;
    DeleteRun cancelled(again, second,
                        [](ShellOperation, const std::string&) { return ConfirmAnswer::Cancel; });
    cancelled.options.yesToAll = false;
    DeleteMarkedFiles(cancelled);
    EXPECT_EQ(second.calls.size(), 1u);
    EXPECT_EQ(cancelled.state(), RunState::Done);
    EXPECT_TRUE(fs::exists(tree.path("f.txt")));
}

} // namespace
} // namespace pw
