#include "app/ui/main_frm.h"
#include "app/ui/scan_commands.h"
#include "results/ui/result_list_view.h"
#include "session/session_file.h"
#include "support/temp_tree.h"
#include "ui/ui_test_env.h"

#include <QAction>
#include <QCheckBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <chrono>
#include <fstream>
#include <sys/stat.h>
#include <thread>

namespace pw {
namespace {

using test::runToEnd;
using test::TempTree;
using test::UiTest;

// Two groups (two files and three files of equal content) and one single file.
void addGroups(TempTree& tree) {
    tree.addFile("a/one.txt", std::string(3000, 'x'));
    tree.addFile("b/one copy.txt", std::string(3000, 'x'));
    tree.addFile("a/two.dat", std::string(5000, 'y'));
    tree.addFile("b/two.dat", std::string(5000, 'y'));
    tree.addFile("c/two.dat", std::string(5000, 'y'));
    tree.addFile("c/single.txt", std::string(3000, 'z'));
}

SessionParameters searchOf(const std::string& folder) {
    SessionParameters parameters;
    SearchPathEntry entry;
    entry.folder = folder;
    entry.minSize = "0";
    parameters.paths.push_back(entry);
    return parameters;
}

class ScanCommandsTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        window = std::make_unique<MainFrm>();
        addGroups(tree);
        window->applyParameters(searchOf(tree.root()));
    }

    ScanCommands& scan() { return window->scanCommands(); }
    ResultListView& list() { return *scan().resultList(); }
    QString panel(int number) { return window->statusPanel(number)->text(); }
    QAction* action(const char* name) { return window->findChild<QAction*>(QLatin1String(name)); }
    void scanToEnd() {
        ASSERT_TRUE(runToEnd(*window, [this] { scan().StartScan(); }));
    }

    TempTree tree;
    std::unique_ptr<MainFrm> window;
};

TEST_F(ScanCommandsTest, AScanListsTheGroupsShadedWithTheirTotalsAndLeavesTheWindowIdle) {
    ASSERT_TRUE(runToEnd(*window, [&] { action("MScan")->trigger(); }));
    const ResultTable& table = scan().table();
    ASSERT_EQ(table.rowCount(), 5);
    EXPECT_EQ(table.GroupCount, 2);
    EXPECT_EQ(list().model()->rowCount(), 5);
    // The first group plain, the second shaded.
    EXPECT_FALSE(list().model()->index(0, 0).data(Qt::BackgroundRole).isValid());
    EXPECT_TRUE(list().model()->index(table.GroupSizes[1], 0).data(Qt::BackgroundRole).isValid());
    EXPECT_EQ(panel(1), QStringLiteral("Search Completed."));
    EXPECT_EQ(panel(2), QStringLiteral("Duplicate Files: 3  Size: 12.70 KB"));
    EXPECT_EQ(panel(3), QStringLiteral("Files : 6"));
    EXPECT_TRUE(action("MScan")->isEnabled());
    EXPECT_FALSE(action("MCancel")->isEnabled());
    EXPECT_TRUE(action("MMarkAllDuplicates")->isVisible());
    EXPECT_FALSE(action("MMarkAll")->isVisible());
    // The scan started was counted, and the default session holds its search path.
    EXPECT_EQ(loadGenInfo(window->settings()).totRun, 1);
    EXPECT_EQ(LoadParameters(window->defaultSessionPath()).parameters.paths.at(0).folder,
              tree.root());
}

TEST_F(ScanCommandsTest, HeaderClicksAndMarkingKeepTheSelectedRow) {
    ASSERT_TRUE(runToEnd(*window, [&] { action("MScan")->trigger(); }));
    const std::string selected = scan().table().row(4).fullPath();
    list().selectPosition(4);

    // The first header click after start sorts descending.
    list().horizontalHeader()->sectionClicked(0);
    EXPECT_EQ(scan().table().headerPictures[0], kDescendingPicture);
    EXPECT_FALSE(list().model()->headerData(0, Qt::Horizontal, Qt::DecorationRole).isNull());
    EXPECT_EQ(scan().table().row(list().currentPosition()).fullPath(), selected);

    action("MMarkAllDuplicates")->trigger();
    EXPECT_EQ(scan().table().row(list().currentPosition()).fullPath(), selected);
    ASSERT_EQ(list().selectedPositions().size(), 1U);
    EXPECT_EQ(list().selectedPositions()[0], list().currentPosition());
    EXPECT_TRUE(panel(1).startsWith(QStringLiteral("Total Files Marked 3 Size ")));

    window->NewSession();
    EXPECT_EQ(list().model()->rowCount(), 0);
    EXPECT_EQ(scan().table().headerPictures[0], kNoHeaderPicture);
}

TEST_F(ScanCommandsTest, AScanWithoutSearchPathsAsksForOneInstead) {
    window->applyParameters(SessionParameters{});
    answerMessages({MessageAnswer::Ok});
    answerDialogs({[](QDialog& dialog) {
        EXPECT_EQ(dialog.objectName(), QStringLiteral("FolderFrm"));
        return static_cast<int>(QDialog::Rejected);
    }});
    action("MScan")->trigger();
    EXPECT_EQ(messages.at(0).text, QStringLiteral("Please add search path first."));
    EXPECT_FALSE(scan().busy());
}

TEST_F(ScanCommandsTest, CancelWhileTheScanWaitsStopsItAsTerminated) {
    scan().setManyFilesLimitForTests(5);
    answerMessages({MessageAnswer::Yes}); // "Are you sure to cancel searching?"
    answerDialogs({[this](QDialog&) {
        // The user presses Esc while the warning is up.
        EXPECT_TRUE(action("MCancel")->isEnabled());
        window->findChild<QAction*>(QStringLiteral("EscCancel"))->trigger();
        return static_cast<int>(QDialog::Accepted);
    }});
    scanToEnd();
    EXPECT_EQ(panel(1), QStringLiteral("Search Terminated."));
    EXPECT_EQ(scan().table().rowCount(), 0);
    EXPECT_EQ(messages.at(0).title, QStringLiteral("Cancel Search"));
}

// Regression: closing the program while a scan waits for an answer must release the
// worker and stop it, never hang or hand its result to a list that is already gone.
TEST_F(ScanCommandsTest, AWindowClosedWhileTheScanAsksStopsItCleanly) {
    scan().setManyFilesLimitForTests(5);
    scan().StartScan();
    // The worker lists the tree and asks; the question waits for the event loop, which
    // does not run before the window is gone.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    window.reset();
}

TEST_F(ScanCommandsTest, AFileTheScanCannotReadIsCountedAndListed) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "root reads every file";
    }
    const std::string locked = tree.addFile("c/locked.txt", std::string(3000, 'x'));
    ASSERT_EQ(chmod(locked.c_str(), 0), 0);
    scanToEnd();
    auto* issues = window->findChild<QToolButton*>(QStringLiteral("cmdScanIssues"));
    EXPECT_FALSE(issues->isHidden());
    EXPECT_EQ(issues->text(), QStringLiteral("1 file not searched"));
}

TEST_F(ScanCommandsTest, ASessionSavedAndLoadedThroughTheDialogShowsTheSameList) {
    scanToEnd();
    const std::string file = scratchFolder() + "/saved.pwf";
    const auto fillAndAct = [file](QDialog& dialog) {
        dialog.findChild<QLineEdit*>(QStringLiteral("txtPath"))
            ->setText(QString::fromStdString(file));
        dialog.findChild<QPushButton*>(QStringLiteral("Command1"))->click();
        return dialog.result();
    };
    answerDialogs({fillAndAct});
    action("MSaveSession")->trigger();
    const std::vector<ResultTableRow> saved = scan().table().rows();

    window->NewSession();
    answerDialogs({fillAndAct});
    ASSERT_TRUE(runToEnd(*window, [&] { action("MLoadSession")->trigger(); }));
    ASSERT_EQ(scan().table().rowCount(), static_cast<int>(saved.size()));
    for (int p = 1; p <= scan().table().rowCount(); ++p) {
        EXPECT_EQ(scan().table().row(p).fullPath(),
                  saved[static_cast<std::size_t>(p - 1)].fullPath());
    }
    EXPECT_EQ(window->currentParameters().paths.at(0).folder, tree.root());
    EXPECT_EQ(panel(2), QStringLiteral("Duplicate Files: 3  Size: 12.70 KB"));
}

TEST_F(ScanCommandsTest, ASessionNamedOnTheCommandLineIsScannedAtStart) {
    const std::string file = scratchFolder() + "/start.pwf";
    ASSERT_TRUE(WriteSessionFile(file, searchOf(tree.root()), {}, ResultTable{},
                                 SessionContent::ParametersOnly)
                    .ok);
    MainFrm started("\"" + file + "\"");
    ASSERT_TRUE(runToEnd(started, [&started] { started.show(); }));
    EXPECT_EQ(started.scanCommands().table().rowCount(), 5);
}

} // namespace
} // namespace pw
