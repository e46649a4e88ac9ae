// The Delete, Move and Copy commands through their dialogs on a scanned temporary tree:
// the warning for fully marked groups, the runs on the worker with the real shell (the
// trash lives in the test's own XDG_DATA_HOME), the error list, closing, and the tidy-up.

#include "app/ui/main_frm.h"
#include "app/ui/scan_commands.h"
#include "common/ui/ui_text.h"
#include "fileops/ui/file_cm_frm.h"
#include "fileops/ui/file_del_frm.h"
#include "fileops/ui/warning_frm.h"
#include "results/ui/result_list_view.h"
#include "support/temp_tree.h"
#include "ui/ui_test_env.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace pw {
namespace {

namespace fs = std::filesystem;
using test::child;
using test::TempTree;
using test::UiTest;
using test::waitUntil;

void click(QWidget& dialog, const char* name) {
    child<QPushButton>(dialog, name)->click();
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// Starts a run with OK and waits until it is Done and Close can end the dialog.
template <typename Frm>
void runToDone(Frm& dialog) {
    click(dialog, "cmdOK");
    EXPECT_TRUE(waitUntil([&dialog] {
        return dialog.state() == RunState::Done &&
               child<QPushButton>(dialog, "cmdClose")->isEnabled();
    }));
}

std::vector<std::string> errorLines(QWidget& dialog) {
    std::vector<std::string> lines;
    auto* list = child<QTreeWidget>(dialog, "ErrList");
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = list->topLevelItem(i);
        lines.push_back(typedText(item->text(0) + QStringLiteral(", ") + item->text(1) +
                                  QStringLiteral(", ") + item->text(2)));
    }
    return lines;
}

class FileOpCommandsTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        window = std::make_unique<MainFrm>();
        window->m_openUrl = [this](const QUrl& url) {
            opened.push_back(url);
            return true;
        };
        // Two groups of two files each, in the folders one/ and two/.
        tree.addFile("one/same.txt", std::string(3000, 'x'));
        tree.addFile("two/same.txt", std::string(3000, 'x'));
        tree.addFile("one/other.dat", std::string(5000, 'y'));
        tree.addFile("two/other.dat", std::string(5000, 'y'));
        ASSERT_TRUE(test::scanFolder(*window, tree.root()));
        ASSERT_EQ(table().rowCount(), 4);
    }

    ScanCommands& scan() { return window->scanCommands(); }
    ResultTable& table() { return scan().resultList()->table(); }
    QString panel() { return window->statusPanel(1)->text(); }
    void trigger(const char* name) { window->findChild<QAction*>(QLatin1String(name))->trigger(); }

    // Marks the rows whose folder is `folder` of the tree ("two/"); returns their paths in
    // list order.
    std::vector<std::string> markFolder(const std::string& folder) {
        std::vector<std::string> paths;
        for (int p = 1; p <= table().rowCount(); ++p) {
            if (table().row(p).folderText() == tree.path(folder)) {
                table().setMarked(p, true);
                paths.push_back(table().row(p).fullPath());
            }
        }
        scan().resultList()->applyChanges();
        return paths;
    }

    std::vector<std::string> listedPaths() {
        std::vector<std::string> paths;
        for (const ResultTableRow& row : table().rows()) {
            paths.push_back(row.fullPath());
        }
        return paths;
    }

    TempTree tree;
    std::unique_ptr<MainFrm> window;
    std::vector<QUrl> opened;
};

TEST_F(FileOpCommandsTest, WarningLinesChangeMarksAndEachButtonAnswers) {
    for (int p = 1; p <= table().rowCount(); ++p) {
        table().setMarked(p, true);
    }
    const std::vector<WarningLine> lines{{"a", "1", "", "", "1", "/x/", 1},
                                         {"b", "1", "", "", "1", "/x/", 2}};
    int changes = 0;
    WarningFrm dialog(table(), lines, [&changes] { ++changes; });
    auto* list = child<QTreeWidget>(dialog, "WList");
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_TRUE(list->isColumnHidden(6));

    // "&Continue" with every line checked asks first; No keeps the dialog open.
    answerMessages({MessageAnswer::No});
    click(dialog, "Command3");
    ASSERT_EQ(messages.size(), 1U);
    EXPECT_EQ(messages[0].title, QStringLiteral("Confirm"));
    EXPECT_EQ(messages[0].defaultAnswer, MessageAnswer::No);
    EXPECT_EQ(messages[0].icon, MessageIcon::Warning);
    EXPECT_TRUE(dialog.WarningResult().empty());

    // Unchecking a line unmarks its row at once; then "&Continue" asks nothing.
    list->topLevelItem(1)->setCheckState(0, Qt::Unchecked);
    EXPECT_FALSE(table().row(2).marked);
    EXPECT_TRUE(table().row(1).marked);
    EXPECT_EQ(changes, 1);
    click(dialog, "Command3");
    EXPECT_EQ(dialog.WarningResult(), "3");
    EXPECT_EQ(messages.size(), 1U);

    for (const auto& [button, answer] : {std::pair{"Command1", "1"}, std::pair{"Command2", "2"}}) {
        WarningFrm other(table(), lines);
        click(other, button);
        EXPECT_EQ(other.WarningResult(), answer);
    }
}

TEST_F(FileOpCommandsTest, AWarningClosedWithoutAnswerDeletesNothingAndPutsTheMarksBack) {
    markFolder("one/");
    markFolder("two/");
    answerDialogs({[](QDialog& dialog) {
        EXPECT_EQ(dialog.objectName(), QStringLiteral("WarningFrm"));
        auto* list = dialog.findChild<QTreeWidget*>(QStringLiteral("WList"));
        list->topLevelItem(0)->setCheckState(0, Qt::Unchecked);
        dialog.show();
        dialog.close();
        return static_cast<int>(QDialog::Rejected);
    }});
    const QString before = panel();
    trigger("MDelete");
    EXPECT_EQ(table().rowCount(), 4);
    for (const ResultTableRow& row : table().rows()) {
        EXPECT_TRUE(row.marked);
        EXPECT_TRUE(fs::exists(row.fullPath()));
    }
    EXPECT_EQ(panel(), before);
}

TEST_F(FileOpCommandsTest, DeleteSendsToTheTrashLeavesAChangedFileAndTidiesTheList) {
    const std::vector<std::string> marked = markFolder("two/");
    ASSERT_EQ(marked.size(), 2U);
    // One marked file is rewritten after the scan: it is not the duplicate listed.
    tree.addFile("two/other.dat", "edited since");
    const std::string changed = tree.path("two/other.dat");
    const std::string log = scratchFolder() + "/errors.log";
    answerFileDialogs({log});
    answerDialogs({[&](QDialog& dialog) {
        EXPECT_EQ(dialog.objectName(), QStringLiteral("fileDelFrm"));
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Deleting..."));
        EXPECT_TRUE(child<QCheckBox>(dialog, "chkSentTo")->isChecked());
        EXPECT_FALSE(child<QPushButton>(dialog, "cmdSaveErr")->isEnabled());
        runToDone(static_cast<fileDelFrm&>(dialog));
        EXPECT_EQ(errorLines(dialog),
                  std::vector<std::string>{"1008, File changed since the scan, " + changed});
        EXPECT_EQ(child<QLabel>(dialog, "lblFileName")->text(), QStringLiteral("Completed"));
        EXPECT_EQ(child<QPushButton>(dialog, "cmdClose")->text(), QStringLiteral("&OK"));
        EXPECT_FALSE(child<QPushButton>(dialog, "cmdOK")->isEnabled());
        click(dialog, "cmdSaveErr");
        click(dialog, "cmdClose");
        return static_cast<int>(QDialog::Accepted);
    }});
    trigger("MDelete");

    const std::string gone = marked[0] == changed ? marked[1] : marked[0];
    EXPECT_FALSE(fs::exists(gone));
    const std::string trashed = std::string(std::getenv("XDG_DATA_HOME")) + "/Trash/files/" +
                                fs::path(gone).filename().string();
    EXPECT_TRUE(fs::exists(trashed));
    EXPECT_EQ(readFile(changed), "edited since");
    // The deleted file's row went, and with it its partner; the changed file's group stays.
    EXPECT_EQ(listedPaths().size(), 2U);
    EXPECT_EQ(panel(), QStringLiteral("Total Files Marked 1 Size 4.88 KB"));
    ASSERT_EQ(fileDialogs.size(), 1U);
    EXPECT_EQ(fileDialogs[0].title, QStringLiteral("Error Logs"));
    EXPECT_EQ(fileDialogs[0].initialFolder.rfind("Error ", 0), 0U);
    EXPECT_NE(readFile(log).find("1008, File changed since the scan, " + changed + "\r\n"),
              std::string::npos);
}

// Deleting the marked copy of a group whose unmarked file vanished after the scan once
// went ahead without a word, leaving nothing of what the scan found.
TEST_F(FileOpCommandsTest, DeletingTheLastCopyOfAGroupAsksFirst) {
    const std::vector<std::string> marked = markFolder("two/");
    tree.remove("one/same.txt");
    answerMessages({MessageAnswer::No, MessageAnswer::Yes});
    int dialogs = 0;
    answerDialogs({[&dialogs](QDialog& dialog) {
        ++dialogs;
        EXPECT_EQ(dialog.objectName(), QStringLiteral("fileDelFrm"));
        return static_cast<int>(QDialog::Rejected);
    }});
    trigger("MDelete");
    ASSERT_EQ(messages.size(), 1U);
    EXPECT_EQ(messages[0].title, QStringLiteral("Warning!"));
    EXPECT_TRUE(messages[0].text.startsWith(QStringLiteral("In group 1, the files left unmarked")));
    EXPECT_EQ(dialogs, 0);
    trigger("MDelete");
    EXPECT_EQ(dialogs, 1);
    for (const std::string& path : marked) {
        EXPECT_TRUE(fs::exists(path));
    }
}

TEST_F(FileOpCommandsTest, ClosingIsRefusedDuringARunAndBeforeOneLeavesEverything) {
    markFolder("two/");
    // The preference to delete for good unchecks the box; checking it and unchecking it
    // again asks, and No keeps it checked.
    answerMessages({MessageAnswer::Yes, MessageAnswer::No});
    trigger("MSendToRecycleBin");
    answerDialogs({[&](QDialog& dialog) {
        auto* sentTo = child<QCheckBox>(dialog, "chkSentTo");
        EXPECT_FALSE(sentTo->isChecked());
        sentTo->click();
        sentTo->click();
        EXPECT_TRUE(sentTo->isChecked());
        dialog.show();
        dialog.close();
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_TRUE(static_cast<fileDelFrm&>(dialog).Cancelled());
        return static_cast<int>(QDialog::Accepted);
    }});
    trigger("MDelete");
    EXPECT_EQ(table().rowCount(), 4);
    EXPECT_EQ(messages.back().text.toStdString(), permanentDeleteOptionQuestion().text);

    // Without "Yes to All" the run asks before each file; the close box is refused while
    // it waits, and Cancel there ends the run with nothing deleted.
    answerDialogs({[&](QDialog& dialog) {
                       auto& frm = static_cast<fileDelFrm&>(dialog);
                       child<QCheckBox>(dialog, "chkRespond")->setChecked(false);
                       dialog.show();
                       runToDone(frm);
                       EXPECT_FALSE(frm.Cancelled());
                       frm.close();
                       return static_cast<int>(QDialog::Accepted);
                   },
                   [&](QDialog& question) {
                       EXPECT_EQ(question.objectName(), QStringLiteral("FileConfirmFrm"));
                       QWidget* frm = question.parentWidget();
                       EXPECT_EQ(static_cast<fileDelFrm*>(frm)->state(), RunState::Running);
                       frm->close();
                       EXPECT_TRUE(frm->isVisible());
                       return static_cast<int>(QMessageBox::Cancel);
                   }});
    trigger("MDelete");
    EXPECT_TRUE(fs::exists(tree.path("two/same.txt")));
    EXPECT_TRUE(fs::exists(tree.path("two/other.dat")));
    EXPECT_EQ(table().rowCount(), 4);
}

TEST_F(FileOpCommandsTest, MoveRenamesOnCollisionAndFollowsTheDestinationEditedMidRun) {
    const std::vector<std::string> marked = markFolder("two/");
    const std::string first = tree.addFolder("first");
    const std::string second = tree.addFolder("second");
    const std::string firstName = fs::path(marked[0]).filename().string();
    tree.addFile("first/" + firstName, "already there");
    answerFileDialogs({first});
    answerDialogs({[&](QDialog& dialog) {
                       EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Move files to..."));
                       EXPECT_TRUE(child<QWidget>(dialog, "MoveFrame")->isVisibleTo(&dialog));
                       EXPECT_FALSE(child<QWidget>(dialog, "CopyFrame")->isVisibleTo(&dialog));
                       child<QCheckBox>(dialog, "chk1")->setChecked(false);
                       runToDone(static_cast<FileCMFrm&>(dialog));
                       EXPECT_TRUE(errorLines(dialog).empty());
                       click(dialog, "cmdClose");
                       return static_cast<int>(QDialog::Accepted);
                   },
                   // The first file's folder was read before it was asked about; the
                   // edit applies from the next file on.
                   [&](QDialog& question) {
                       auto* path = question.parentWidget()->findChild<QLineEdit*>(
                           QStringLiteral("txtPath"));
                       path->setText(displayText(second));
                       return static_cast<int>(QMessageBox::YesToAll);
                   }});
    trigger("MMoveSelected");

    const std::string secondName = fs::path(marked[1]).filename().string();
    EXPECT_EQ(readFile(first + "/" + firstName), "already there");
    EXPECT_TRUE(fs::exists(first + "/" + fs::path(firstName).stem().string() + " (2)" +
                           fs::path(firstName).extension().string()));
    EXPECT_TRUE(fs::exists(second + "/" + secondName));
    EXPECT_FALSE(fs::exists(tree.path("two")));
    // Every moved file's row went, and with them their lone partners.
    EXPECT_EQ(table().rowCount(), 0);
}

TEST_F(FileOpCommandsTest, CopyKeepsTheFolderStructureAndOpensTheDestination) {
    answerMessages({MessageAnswer::Ok});
    trigger("MCopyMarkFiles");
    EXPECT_EQ(messages.at(0).text, QStringLiteral("No items marked/checked"));

    const std::vector<std::string> marked = markFolder("one/");
    const std::string destination = tree.addFolder("backup");
    const QString before = panel();
    answerFileDialogs({destination});
    answerMessages({MessageAnswer::Ok});
    answerDialogs({[&](QDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Copy files to..."));
        EXPECT_FALSE(child<QCheckBox>(dialog, "chkEmptyFolders")->isEnabled());
        // A blank path box is refused and coloured.
        auto* path = child<QLineEdit>(dialog, "txtPath");
        path->setText(QStringLiteral("  "));
        click(dialog, "cmdOK");
        EXPECT_EQ(messages.back().text,
                  QStringLiteral("Path not specified, Please specify copy/move location first"));
        EXPECT_EQ(path->palette().color(QPalette::Base), QColor(255, 192, 192));
        EXPECT_EQ(static_cast<FileCMFrm&>(dialog).state(), RunState::Ready);
        path->setText(displayText(destination));
        child<QCheckBox>(dialog, "chk2")->setChecked(true);
        child<QCheckBox>(dialog, "chk3")->setChecked(true);
        runToDone(static_cast<FileCMFrm&>(dialog));
        click(dialog, "cmdClose");
        return static_cast<int>(QDialog::Accepted);
    }});
    trigger("MCopyMarkFiles");

    for (const std::string& source : marked) {
        EXPECT_TRUE(fs::exists(source));
        EXPECT_EQ(readFile(destination + source), readFile(source));
    }
    EXPECT_EQ(table().rowCount(), 4);
    EXPECT_EQ(panel(), before);
    EXPECT_EQ(fileDialogs.back().title, QStringLiteral("Copy selected files to"));
    ASSERT_EQ(opened.size(), 1U);
    EXPECT_EQ(opened[0], fileUrl(destination));
}

} // namespace
} // namespace pw
