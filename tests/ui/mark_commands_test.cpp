#include "app/ui/main_frm.h"
#include "app/ui/mark_commands.h"
#include "app/ui/qt_settings_store.h"
#include "app/ui/scan_commands.h"
#include "results/ui/adv_mark_frm.h"
#include "results/ui/result_list_view.h"
#include "support/temp_tree.h"
#include "ui/ui_test_env.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <algorithm>

namespace pw {
namespace {

using test::child;
using test::TempTree;
using test::UiTest;
using Files = std::vector<std::string>;

void click(const QObject& parent, const char* name) {
    child<QAbstractButton>(parent, name)->click();
}

// Two groups: one.txt in Data/, its sub-folder Old/ and the sibling Database/; two.dat in
// Data/ and Other/. The newest file of each group is the one outside Data/.
class MarkCommandsTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        for (const char* name : {"Data/one.txt", "Data/Old/one.txt", "Database/one.txt"}) {
            tree.addFile(name, std::string(3000, 'x'));
        }
        tree.addFile("Data/two.dat", std::string(5000, 'y'));
        tree.addFile("Other/two.dat", std::string(5000, 'y'));
        for (const auto& [name, time] : {std::pair{"Data/one.txt", 0},
                                         {"Data/Old/one.txt", 50},
                                         {"Database/one.txt", 100},
                                         {"Data/two.dat", 0},
                                         {"Other/two.dat", 100}}) {
            tree.setMtime(name, 1'600'000'000 + time);
        }
        QtSettingsStore store;
        saveShowTipsAtStartup(store, false);
        window = std::make_unique<MainFrm>();
        window->resize(1000, 700);
        window->show();
        ASSERT_TRUE(test::scanFolder(*window, tree.root()));
        ASSERT_EQ(table().rowCount(), 5);
    }

    ResultListView& list() { return *window->scanCommands().resultList(); }
    const ResultTable& table() { return window->scanCommands().table(); }
    QString panel() { return window->statusPanel(1)->text(); }
    void trigger(const char* name) { child<QAction>(*window, name)->trigger(); }

    int rowOf(std::string_view relative) {
        for (int p = 1; p <= table().rowCount(); ++p) {
            if (table().row(p).fullPath() == tree.path(relative)) {
                return p;
            }
        }
        ADD_FAILURE() << relative;
        return 0;
    }
    Files markedFiles() {
        Files files;
        for (const ResultTableRow& row : table().rows()) {
            if (row.marked) {
                files.push_back(row.fullPath().substr(tree.root().size() + 1));
            }
        }
        std::sort(files.begin(), files.end());
        return files;
    }
    void select(std::initializer_list<std::string_view> files) {
        list().selectPosition(rowOf(*files.begin()));
        for (std::string_view file : files) {
            list().selectionModel()->select(list().model()->index(rowOf(file) - 1, 0),
                                            QItemSelectionModel::Select |
                                                QItemSelectionModel::Rows);
        }
    }

    // The pointer on the row of `file`, `x` pixels from the start of the row.
    QPoint on(std::string_view file, int x) {
        const QRect rect = list().visualRect(list().model()->index(rowOf(file) - 1, 0));
        return {rect.left() + x, rect.center().y()};
    }
    void mouse(QEvent::Type type, const QPoint& pos) {
        QMouseEvent event(type, pos, list().viewport()->mapToGlobal(pos), Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(list().viewport(), &event);
    }
    void clickAt(const QPoint& pos) {
        mouse(QEvent::MouseButtonPress, pos);
        mouse(QEvent::MouseButtonRelease, pos);
    }
    void doubleClickAt(const QPoint& pos) {
        clickAt(pos);
        mouse(QEvent::MouseButtonDblClick, pos);
        mouse(QEvent::MouseButtonRelease, pos);
    }
    void releaseSpace() {
        QKeyEvent event(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
        QApplication::sendEvent(&list(), &event);
    }

    TempTree tree;
    std::unique_ptr<MainFrm> window;
};

TEST_F(MarkCommandsTest, QuickCommandsMarkAndWriteTheTotalsWhileTheSelectionStays) {
    select({"Data/two.dat"});
    trigger("MMarkAllDuplicates");
    EXPECT_EQ(markedFiles(), (Files{"Data/Old/one.txt", "Data/one.txt", "Data/two.dat"}));
    EXPECT_EQ(panel(), "Total Files Marked 3 Size 10.74 KB");
    EXPECT_EQ(table().row(list().currentPosition()).fullPath(), tree.path("Data/two.dat"));
    EXPECT_EQ(list().selectedPositions(), std::vector<int>{list().currentPosition()});

    trigger("MNone");
    EXPECT_EQ(panel(), "Total Files Marked 0 Size 0 Bytes");
    trigger("MMarkAll");
    EXPECT_EQ(panel(), "Total Files Marked 5 Size 18.55 KB");
    select({"Data/one.txt", "Other/two.dat"});
    trigger("mnuUnMarkSelected");
    EXPECT_EQ(markedFiles(), (Files{"Data/Old/one.txt", "Data/two.dat", "Database/one.txt"}));
    trigger("MNone");
    trigger("MMarkingSelected");
    EXPECT_EQ(markedFiles(), (Files{"Data/one.txt", "Other/two.dat"}));
    EXPECT_EQ(list().selectedPositions().size(), 2U);

    // The current row's folder, then with its sub-folders, never the sibling Database/.
    trigger("MNone");
    trigger("MMarkFolder");
    EXPECT_EQ(markedFiles(), (Files{"Data/one.txt", "Data/two.dat"}));
    EXPECT_EQ(panel(), "Total Files Marked 2 Size 7.81 KB");
    trigger("mnuFolderAndSubFolder");
    EXPECT_EQ(markedFiles(), (Files{"Data/Old/one.txt", "Data/one.txt", "Data/two.dat"}));
}

TEST_F(MarkCommandsTest, AClickOnTheMarkPictureOrSpaceMarksRowsAndElsewhereAClickOnlySelects) {
    clickAt(on("Data/two.dat", 200));
    EXPECT_EQ(list().currentPosition(), rowOf("Data/two.dat"));
    EXPECT_EQ(markedFiles(), Files{});
    clickAt(on("Data/two.dat", 5));
    EXPECT_EQ(markedFiles(), Files{"Data/two.dat"});
    EXPECT_EQ(panel(), "Total Files Marked 1 Size 4.88 KB");
    clickAt(on("Data/two.dat", 5));
    EXPECT_EQ(markedFiles(), Files{});

    // Space marks the selection when the current row is unmarked, else unmarks it.
    select({"Data/one.txt", "Data/two.dat"});
    releaseSpace();
    EXPECT_EQ(markedFiles(), (Files{"Data/one.txt", "Data/two.dat"}));
    EXPECT_EQ(panel(), "Total Files Marked 2 Size 7.81 KB");
    releaseSpace();
    EXPECT_EQ(markedFiles(), Files{});
}

TEST_F(MarkCommandsTest, ADoubleClickOpensTheFileOnlyAwayFromTheMarkPicture) {
    // Counted instead of opened: what Open File does is not this test's business.
    QAction* openFile = child<QAction>(*window, "MOpenFile");
    QObject::disconnect(openFile, &QAction::triggered, nullptr, nullptr);
    int opened = 0;
    QObject::connect(openFile, &QAction::triggered, [&opened] { ++opened; });
    // On the picture the click marks the row and the double click then unmarks the
    // selection again, as the row is marked now.
    doubleClickAt(on("Other/two.dat", 5));
    EXPECT_EQ(opened, 0);
    EXPECT_EQ(markedFiles(), Files{});
    EXPECT_EQ(panel(), "Total Files Marked 0 Size 0 Bytes");
    doubleClickAt(on("Other/two.dat", 200));
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(markedFiles(), Files{});
}

TEST_F(MarkCommandsTest, TheRightButtonAndTheMarkButtonPopUpTheirMenusOverRowsOnly) {
    auto* actionMenu = child<QMenu>(*window, "MAction");
    list().customContextMenuRequested(on("Data/one.txt", 50));
    EXPECT_TRUE(actionMenu->isVisible());
    actionMenu->hide();
    window->toolbarButton(4)->trigger();
    EXPECT_TRUE(child<QMenu>(*window, "MMark")->isVisible());
    child<QMenu>(*window, "MMark")->hide();

    window->NewSession();
    list().customContextMenuRequested(QPoint(5, 5));
    EXPECT_FALSE(actionMenu->isVisible());
}

TEST_F(MarkCommandsTest, UptoAsksForANumberAndMarksTheDuplicatesUpToTheLimitItGives) {
    answerMessages({MessageAnswer::Ok});
    answerDialogs({[this](QDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Maximum size limit");
        // A fresh store: "CD (700 MB)" with the amount boxes off.
        EXPECT_TRUE(child<QRadioButton>(dialog, "Option1")->isChecked());
        EXPECT_FALSE(child<QLineEdit>(dialog, "Text1")->isEnabled());
        click(dialog, "Option3");
        EXPECT_TRUE(child<QComboBox>(dialog, "combo1")->isEnabled());
        child<QLineEdit>(dialog, "Text1")->setText("abc");
        click(dialog, "Command1");
        EXPECT_EQ(messages.size(), 1U);
        EXPECT_EQ(dialog.result(), QDialog::Rejected); // still open
        child<QLineEdit>(dialog, "Text1")->setText("9");
        click(dialog, "Command1");
        return dialog.result();
    }});
    trigger("mnuAdvMarking");
    EXPECT_EQ(asked(0), "Error:  type only integer values");
    // 9 KB: the second and third one.txt (5.86 KB), then the next file would go above.
    EXPECT_EQ(panel(), "Total Files Marked 2 Size 5.86 KB");
    const MaxSizeValues stored = loadMaxSizeValues(window->settings());
    EXPECT_EQ(stored.option, 3);
    EXPECT_EQ(stored.text, "9");
}

// Regression: closing the limit dialog without "OK" replaced every mark with a run at the
// limit of an earlier use.
TEST_F(MarkCommandsTest, UptoClosedWithoutOkKeepsTheMarksAndStoresTheDialog) {
    saveMaxSizeValues(window->settings(), {2, "7", 2});
    trigger("MMarkAllDuplicates");
    const Files before = markedFiles();
    answerDialogs({[](QDialog& dialog) {
        EXPECT_TRUE(child<QRadioButton>(dialog, "Option2")->isChecked());
        EXPECT_EQ(child<QComboBox>(dialog, "combo1")->currentText(), "GB");
        child<QLineEdit>(dialog, "Text1")->setText("8");
        dialog.reject();
        return dialog.result();
    }});
    trigger("mnuAdvMarking");
    EXPECT_EQ(markedFiles(), before);
    EXPECT_EQ(loadMaxSizeValues(window->settings()).text, "8");
}

TEST_F(MarkCommandsTest, AdvanceMarkingKeepsOneKeepRuleAndEnablesTheSizeLimitBoxesWithSpecify) {
    AdvMarkFrm* dialog = window->findChild<MarkCommands*>()->advMarkFrm();
    ASSERT_NE(dialog, nullptr); // loaded by the scan's hand-over of its folders
    EXPECT_TRUE(child<QRadioButton>(*dialog, "optDateNewer")->isChecked());
    EXPECT_FALSE(child<QGroupBox>(*dialog, "SizeRangeFrame")->isEnabled());
    click(*dialog, "optVersionOlder");
    EXPECT_TRUE(child<QRadioButton>(*dialog, "optDateNone")->isChecked());
    EXPECT_TRUE(child<QRadioButton>(*dialog, "optSizeNone")->isChecked());

    auto* amount = child<QLineEdit>(*dialog, "txtSizeLimitSize");
    EXPECT_FALSE(amount->isEnabled());
    click(*dialog, "optSizeLimitSpecify");
    EXPECT_TRUE(amount->isEnabled());

    // The size rules count only where a group's files may differ in size.
    child<QRadioButton>(*window, "Option3")->click();
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(dialog, &activate);
    EXPECT_TRUE(child<QGroupBox>(*dialog, "SizeRangeFrame")->isEnabled());
}

TEST_F(MarkCommandsTest, AdvanceMarkingReadsItsSettingsOnActivationAndWritesThemOnDeactivation) {
    AdvMarkFrm* dialog = window->findChild<MarkCommands*>()->advMarkFrm();
    ASSERT_NE(dialog, nullptr);
    AdvMarkingValues values = loadAdvMarkingValues(window->settings());
    values.fileSize = 2;
    values.sizeLimit = 7;
    values.txtSize = "12";
    values.cmbFileMask2 = "*.dat";
    saveAdvMarkingValues(window->settings(), values);
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(dialog, &activate);
    EXPECT_TRUE(child<QRadioButton>(*dialog, "optSizeSmaller")->isChecked());
    EXPECT_TRUE(child<QRadioButton>(*dialog, "optSizeLimitSpecify")->isChecked());
    EXPECT_EQ(child<QLineEdit>(*dialog, "txtSizeLimitSize")->text(), "12");
    EXPECT_EQ(child<QComboBox>(*dialog, "cmbFileMask2")->currentText(), "*.dat");

    click(*dialog, "optDateOlder");
    click(*dialog, "optSizeLimitCD");
    auto* mask = child<QComboBox>(*dialog, "cmbFileMask1");
    mask->setCurrentText("  ");
    QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(mask, &leave);
    EXPECT_EQ(mask->currentText(), "All files(*.*)");
    QEvent deactivate(QEvent::WindowDeactivate);
    QApplication::sendEvent(dialog, &deactivate);
    values = loadAdvMarkingValues(window->settings());
    EXPECT_EQ(values.dateTime, 2);
    EXPECT_EQ(values.fileSize, 0);
    EXPECT_EQ(values.sizeLimit, 1);
    EXPECT_EQ(values.cmbFileMask1, "All files(*.*)");
}

TEST_F(MarkCommandsTest, MarkByRangeKeepsTheChosenFileOfEachGroupAndRefusesAnAmountNotANumber) {
    answerMessages({MessageAnswer::Ok});
    answerDialogs({[this](QDialog& dialog) {
        click(dialog, "optSizeLimitSpecify");
        child<QLineEdit>(dialog, "txtSizeLimitSize")->setText("lots");
        click(dialog, "cmdOK");
        EXPECT_EQ(dialog.result(), QDialog::Rejected); // still open
        EXPECT_EQ(messages.at(0).text, "Type only integer values");
        click(dialog, "optSizeLimitNone");
        click(dialog, "optDateOlder");
        click(dialog, "cmdOK");
        return dialog.result();
    }});
    trigger("mnuAdvMarkForm");
    EXPECT_EQ(markedFiles(), (Files{"Data/Old/one.txt", "Database/one.txt", "Other/two.dat"}));
    EXPECT_EQ(panel(), "Total Files Marked 3 Size 10.74 KB");
}

TEST_F(MarkCommandsTest, MarkByFoldersChecksSubFoldersAndKeepsTheChecksUntilANewSession) {
    answerDialogs({[this](QDialog& dialog) {
        child<QTabWidget>(dialog, "TabStrip1")->setCurrentIndex(1);
        auto* folders = child<QTreeWidget>(dialog, "lvFolders");
        // In the order of the list sorted by Path.
        QStringList lines;
        for (int i = 0; i < folders->topLevelItemCount(); ++i) {
            lines << folders->topLevelItem(i)->text(0);
        }
        const QString root = QString::fromStdString(tree.root());
        EXPECT_EQ(lines, (QStringList{root + "/Data/", root + "/Data/Old/", root + "/Database/",
                                      root + "/Other/"}));
        folders->topLevelItem(0)->setCheckState(0, Qt::Checked);
        child<QComboBox>(dialog, "cmbFileMask2")->setCurrentText("Text files  (*.txt *.bak)");
        click(dialog, "cmdOK");
        EXPECT_EQ(folders->topLevelItem(1)->checkState(0), Qt::Checked);
        EXPECT_EQ(folders->topLevelItem(2)->checkState(0), Qt::Unchecked);
        return dialog.result();
    }});
    trigger("mnuAdvMarkForm");
    EXPECT_EQ(markedFiles(), (Files{"Data/Old/one.txt", "Data/one.txt"}));
    EXPECT_EQ(panel(), "Total Files Marked 2 Size 5.86 KB");

    // The dialog stays loaded with its checks; "Clear all marks" leaves the totals text.
    answerDialogs({[](QDialog& dialog) {
        EXPECT_EQ(child<QTreeWidget>(dialog, "lvFolders")->topLevelItem(0)->checkState(0),
                  Qt::Checked);
        click(dialog, "cmdClearMarks");
        click(dialog, "Command1");
        return dialog.result();
    }});
    trigger("mnuAdvMarkForm");
    EXPECT_EQ(markedFiles(), Files{});
    EXPECT_EQ(panel(), "Total Files Marked 2 Size 5.86 KB");

    window->NewSession();
    EXPECT_EQ(window->findChild<MarkCommands*>()->advMarkFrm(), nullptr);
    trigger("mnuAdvMarkForm"); // an empty list opens nothing
}

} // namespace
} // namespace pw
