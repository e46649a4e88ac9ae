// The delete, copy and move runs over the marked rows, with a recording shell on real
// temporary files: what each file goes through, the error rows, the folder check, the
// per-file question, cancel and destination edits from another thread.

#include "fileops/copy_move_loop.h"
#include "fileops/delete_loop.h"
#include "fileops/empty_folders.h"
#include "fileops/process_marked.h"
#include "recording_shell.h"
#include "support/temp_tree.h"

#include <filesystem>
#include <future>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

namespace pw {
namespace {

namespace fs = std::filesystem;
using test::FakeBehaviour;
using Paths = std::vector<std::string>;

Paths sources(const test::RecordingShell& shell) {
    Paths out;
    for (const test::ShellCall& call : shell.calls) {
        out.push_back(call.source);
    }
    return out;
}

// Runs `run` on a worker thread, as a dialog does. After the shell's first call the worker
// waits while `between` runs on the test's thread, so whatever `between` does reaches the
// run from another thread at a known point; then `between` is repeated while the worker
// goes on, so that a sanitizer sees it race with the run if it could. Returns the
// worker's reports.
std::vector<RunReport> runOnWorker(MarkedFilesRun& run, test::RecordingShell& shell,
                                   const std::function<void()>& between) {
    std::promise<void> paused;
    std::promise<void> resumed;
    std::future<void> pausedFuture = paused.get_future();
    std::shared_future<void> resumedFuture = resumed.get_future().share();
    shell.afterCall[0] = [&paused, resumedFuture] {
        paused.set_value();
        resumedFuture.wait();
    };
    std::vector<RunReport> reports;
    std::thread worker([&run, &reports] {
        run.run([&reports](const RunReport& report) { reports.push_back(report); });
    });
    pausedFuture.wait();
    between();
    resumed.set_value();
    while (run.state() != RunState::Done) {
        between();
    }
    worker.join();
    return reports;
}

struct RunFixture : ::testing::Test {
    test::TempTree tree;
    test::RecordingShell shell;
    ResultTable table;
    std::string target;

    void SetUp() override { target = tree.addFolder("target") + "/"; }

    // A file of the tree and its row, with the size, time and identity a scan would have
    // listed, so the still-listed check before a delete or move sees it unchanged.
    void add(const std::string& relative, int group, bool marked) {
        const std::string full = tree.addFile(relative, "bytes of " + relative);
        struct stat info {};
        ASSERT_EQ(::lstat(full.c_str(), &info), 0);
        ResultTableRow row;
        row.name = full.substr(full.rfind('/') + 1);
        row.folder = makeFolderText(full.substr(0, full.rfind('/') + 1));
        row.size = static_cast<std::uint64_t>(info.st_size);
        row.modified = localStamp(info.st_mtime);
        row.group = group;
        row.device = info.st_dev;
        row.inode = info.st_ino;
        row.marked = marked;
        table.appendRow(row);
        if (table.GroupSizes.size() <= static_cast<std::size_t>(group)) {
            table.GroupSizes.resize(static_cast<std::size_t>(group) + 1, 0);
        }
        ++table.GroupSizes[static_cast<std::size_t>(group)];
        table.GroupCount = static_cast<std::int32_t>(table.GroupSizes.size()) - 1;
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

TEST_F(RunFixture, DeletesMarkedFilesAndRemovesOnlyTheFoldersTheyLeftEmpty) {
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
    std::vector<RunReport> seen;
    run.run([&seen](const RunReport& report) { seen.push_back(report); });

    EXPECT_EQ(run.state(), RunState::Done);
    EXPECT_FALSE(run.cancelled());
    EXPECT_TRUE(run.errors().empty());
    EXPECT_EQ(sources(shell),
              (Paths{tree.path("one/a.txt"), tree.path("two/c.txt"), tree.path("two/d.txt"),
                     tree.path("sub/e.txt"), tree.path("dotted/f.txt")}));
    EXPECT_TRUE(shell.calls[0].toTrash);
    EXPECT_TRUE(shell.calls[0].yesToAll);
    EXPECT_EQ(run.foldersToCheck().folders(), (Paths{tree.path("one/"), tree.path("two/"),
                                                     tree.path("sub/"), tree.path("dotted/")}));

    EXPECT_FALSE(fs::exists(tree.path("one")));
    EXPECT_FALSE(fs::exists(tree.path("two")));
    EXPECT_TRUE(fs::exists(tree.path("sub/child")));
    EXPECT_TRUE(fs::exists(tree.path("dotted/.git")));
    EXPECT_EQ(tree.read("keep/b.txt"), "bytes of keep/b.txt");
    EXPECT_TRUE(fs::is_directory(tree.root()));

    // The file phase counts to 5, the folder phase to 4, then "Completed".
    EXPECT_EQ(seen.at(4).progress.value, 5);
    EXPECT_EQ(seen.at(4).progress.label, tree.path("dotted/f.txt"));
    EXPECT_EQ(seen.at(5).progress.label, kCheckingFoldersLabel);
    EXPECT_EQ(seen.at(5).progress.maximum, 4);
    EXPECT_EQ(seen.back().progress.value, 4);
    EXPECT_EQ(seen.back().progress.label, kCompletedLabel);
    EXPECT_EQ(seen.back().state, RunState::Done);
    EXPECT_EQ(seen.back().filesDone, 5);
}

// Regression (d and e): a file replaced since the scan by another of the same size and
// time (restored from a backup) was deleted as the duplicate the scan had found.
TEST_F(RunFixture, FailedFalselyReportedOrChangedDeletesGiveErrorRowsAndTheLoopGoesOn) {
    add("a.txt", 1, true);
    add("b.txt", 1, true);
    add("one/c.txt", 1, true);
    add("d.txt", 2, true);
    add("e.txt", 2, true);
    shell.behaviour[tree.path("a.txt")] = FakeBehaviour::Fail;
    shell.behaviour[tree.path("b.txt")] = FakeBehaviour::ClaimSuccess;
    tree.addFile("d.txt", "rewritten with other bytes");
    struct stat listed {};
    ASSERT_EQ(::lstat(tree.path("e.txt").c_str(), &listed), 0);
    tree.addFile("backup/e.txt", "bytes of e.txt");
    tree.setMtime("backup/e.txt", listed.st_mtime);
    fs::rename(tree.path("backup/e.txt"), tree.path("e.txt"));

    DeleteRun run(table, shell);
    run.options = {false, false, true};
    DeleteMarkedFiles(run);
    EXPECT_EQ(run.errors(), (std::vector<ErrorRow>{unableToDelete(tree.path("a.txt")),
                                                   unableToDelete(tree.path("b.txt")),
                                                   fileChanged(tree.path("d.txt")),
                                                   fileChanged(tree.path("e.txt"))}));
    EXPECT_EQ(sources(shell),
              (Paths{tree.path("a.txt"), tree.path("b.txt"), tree.path("one/c.txt")}));
    EXPECT_EQ(tree.read("d.txt"), "rewritten with other bytes");
    EXPECT_FALSE(fs::exists(tree.path("one/c.txt")));
    EXPECT_EQ(run.filesDone(), 1);
    EXPECT_FALSE(shell.calls.at(0).toTrash);
    // No folder check was asked for: the emptied folder stays.
    EXPECT_TRUE(fs::is_directory(tree.path("one")));
    EXPECT_EQ(run.progress().label, kCompletedLabel);
    EXPECT_EQ(run.progress().value, 5);
}

TEST_F(RunFixture, CancelFromAnotherThreadStopsBeforeTheNextFileAndStillChecksFolders) {
    add("one/a.txt", 1, true);
    add("two/b.txt", 1, true);
    DeleteRun run(table, shell);
    ASSERT_TRUE(run.start());
    const auto reports = runOnWorker(run, shell, [&run] { run.requestCancel(); });

    EXPECT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(reports.front().state, RunState::Cancelling);
    EXPECT_EQ(reports.back().state, RunState::Done);
    EXPECT_FALSE(run.cancelled());
    EXPECT_FALSE(fs::exists(tree.path("one")));
    EXPECT_EQ(tree.read("two/b.txt"), "bytes of two/b.txt");
}

// Regression: a cancel before OK was kept and ended the run as soon as it started.
TEST_F(RunFixture, ClosingBeforeOkIsCancelledAndNothingIsTouched) {
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
    run.run();
    EXPECT_EQ(shell.calls.size(), 1u);
}

TEST_F(RunFixture, TheQuestionBeforeEachFileIsAnsweredForDeleteAndMove) {
    for (const bool move : {false, true}) {
        SCOPED_TRACE(move ? "move" : "delete");
        const std::string folder = move ? "m/" : "d/";
        table = ResultTable{};
        for (const char* name : {"a", "b", "c"}) {
            add(folder + name, 1, true);
        }
        std::vector<ConfirmAnswer> answers = {ConfirmAnswer::No, ConfirmAnswer::YesToAll};
        std::size_t asked = 0;
        const Confirm confirm = [&](ShellOperation operation, const std::string&) {
            EXPECT_EQ(operation, move ? ShellOperation::Move : ShellOperation::Delete);
            return answers.at(asked++);
        };
        test::RecordingShell local;
        DeleteRun deletion(table, local, confirm);
        CopyMoveRun transfer(table, local, TransferMode::Move, target, confirm);
        deletion.options.yesToAll = transfer.options.yesToAll = false;
        move ? (void)MoveMarkedFiles(transfer) : DeleteMarkedFiles(deletion);
        const MarkedFilesRun& run = move ? static_cast<MarkedFilesRun&>(transfer) : deletion;

        // No leaves a with its error row; YesToAll covers b and c without asking again.
        const std::string a = tree.path(folder + "a");
        EXPECT_EQ(asked, 2u);
        EXPECT_EQ(run.errors(),
                  (std::vector<ErrorRow>{move ? unableToMove(a) : unableToDelete(a)}));
        EXPECT_FALSE(local.calls.at(0).yesToAll);
        EXPECT_TRUE(local.calls.at(2).yesToAll);
        EXPECT_FALSE(fs::exists(tree.path(folder + "c")));
        EXPECT_EQ(run.filesDone(), 2);
    }

    // Cancel in the question ends the run like the Cancel button.
    table = ResultTable{};
    add("e.txt", 1, true);
    add("f.txt", 1, true);
    DeleteRun cancelled(table, shell,
                        [](ShellOperation, const std::string&) { return ConfirmAnswer::Cancel; });
    cancelled.options.yesToAll = false;
    DeleteMarkedFiles(cancelled);
    EXPECT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(cancelled.state(), RunState::Done);
    EXPECT_TRUE(fs::exists(tree.path("f.txt")));
}

TEST_F(RunFixture, GroupsWhoseKeptFilesAreGoneOrChangedAreNamed) {
    add("a1", 1, true);
    add("a2", 1, false); // kept, unchanged
    add("b1", 2, true);
    add("b2", 2, false); // kept, changed
    add("c1", 3, false); // kept, gone
    add("c2", 3, true);
    add("d1", 4, true); // every file marked: the warning's case
    add("d2", 4, true);
    add("e1", 5, true);
    add("e2", 5, false); // changed, but e3 is still the file the scan saw
    add("e3", 5, false);
    add("f1", 6, false); // nothing marked
    tree.addFile("b2", "rewritten");
    tree.remove("c1");
    tree.addFile("e2", "rewritten");
    tree.remove("f1");
    EXPECT_EQ(groupsLosingTheirKeptFiles(table), (std::vector<std::int32_t>{2, 3}));
    const auto question = keptFilesGoneQuestion(table);
    ASSERT_TRUE(question.has_value());
    EXPECT_TRUE(question->text.starts_with("In groups 2, 3, the files left unmarked are gone"));
    for (int position = 1; position <= table.rowCount(); ++position) {
        const std::int32_t group = table.row(position).group;
        table.setMarked(position, table.row(position).marked && (group == 1 || group == 5));
    }
    EXPECT_FALSE(keptFilesGoneQuestion(table).has_value());
}

// A path box emptied during a run sent the remaining files to "/" (blank + "/"). Blank
// before OK, the run does not start.
TEST_F(RunFixture, ABlankDestinationIsRefusedBeforeAndDuringARun) {
    add("a.txt", 1, true);
    add("b.txt", 1, true);
    for (TransferMode mode : {TransferMode::Copy, TransferMode::Move}) {
        CopyMoveRun refused(table, shell, mode, "   ");
        const auto message = refused.start();
        ASSERT_TRUE(message.has_value());
        EXPECT_EQ(message->text, "Path not specified, Please specify copy/move location first");
        EXPECT_EQ(message->title, "Error");
        EXPECT_EQ(refused.state(), RunState::Ready);
        EXPECT_FALSE(refused.step());
        EXPECT_TRUE(refused.cancelled());

        CopyMoveRun run(table, shell, mode, target);
        ASSERT_FALSE(run.start().has_value());
        run.setDestination(" ");
        run.run();
        EXPECT_TRUE(shell.calls.empty());
        const ErrorRow expected = mode == TransferMode::Move ? unableToMove(tree.path("b.txt"))
                                                             : unableToCopy(tree.path("b.txt"));
        ASSERT_EQ(run.errors().size(), 2u);
        EXPECT_EQ(run.errors()[1], expected);
    }
    EXPECT_TRUE(fs::exists(tree.path("a.txt")));
    EXPECT_TRUE(fs::exists(tree.path("b.txt")));
}

TEST_F(RunFixture, CopyLeavesSourcesAndTheListAndReportsFailedCopies) {
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
    EXPECT_EQ(run.filesDone(), 1);
    // A copy never asks and never checks folders.
    EXPECT_TRUE(shell.calls.at(0).yesToAll);
    EXPECT_TRUE(run.foldersToCheck().empty());
    EXPECT_EQ(run.progress().value, run.progress().maximum);
    EXPECT_EQ(run.progress().label, "Progress");
    EXPECT_TRUE(run.openDestinationNow());
}

TEST_F(RunFixture, MoveChecksSourcesRemovesEmptiedFoldersAndReportsStayingFiles) {
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
    EXPECT_EQ(run.foldersToCheck().folders(),
              (Paths{tree.path("one/"), tree.path("two/"), tree.path("three/")}));
    EXPECT_EQ(run.progress().label, kCompletedLabel);
    EXPECT_FALSE(run.cancelled());

    // The tidy-up afterwards: moved files' rows go; c stays marked; f's group is left
    // with e and f, both still there.
    tidyUp(table, false);
    Paths left;
    for (const ResultTableRow& row : table.rows()) {
        left.push_back(row.name + (row.marked ? "*" : ""));
    }
    EXPECT_EQ(left, (Paths{"e.txt*", "f.txt"}));
}

TEST_F(RunFixture, DestinationEditedFromAnotherThreadAppliesFromTheNextFileAndErrorsArriveInTurn) {
    add("a.txt", 1, true);
    add("b.txt", 1, true);
    add("c.txt", 1, true);
    shell.behaviour[tree.path("c.txt")] = FakeBehaviour::Fail;
    const std::string other = tree.addFolder("other") + "/";
    CopyMoveRun run(table, shell, TransferMode::Move, target);
    ASSERT_FALSE(run.start().has_value());
    const auto reports = runOnWorker(run, shell, [&run, &other] { run.setDestination(other); });

    EXPECT_TRUE(fs::exists(tree.path("target/a.txt")));
    EXPECT_TRUE(fs::exists(tree.path("other/b.txt")));
    EXPECT_EQ(run.destination(), other);
    // Each report carries the rows of its own step only.
    ASSERT_GE(reports.size(), 3u);
    EXPECT_TRUE(reports[0].newErrors.empty());
    EXPECT_TRUE(reports[1].newErrors.empty());
    EXPECT_EQ(reports[2].newErrors, (std::vector<ErrorRow>{unableToMove(tree.path("c.txt"))}));
    EXPECT_EQ(reports[2].filesDone, 2);
    for (std::size_t i = 3; i < reports.size(); ++i) {
        EXPECT_TRUE(reports[i].newErrors.empty());
    }
}

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
