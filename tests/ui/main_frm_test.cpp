#include "app/sound_server.h"
#include "app/startup.h"
#include "app/ui/about_frm.h"
#include "app/ui/completion_sound.h"
#include "app/ui/folder_frm.h"
#include "app/ui/frm_tip.h"
#include "app/ui/main_frm.h"
#include "app/ui/program_lock.h"
#include "common/twips.h"
#include "fileops/recycle_preference.h"
#include "support/scoped_env.h"
#include "support/temp_tree.h"
#include "ui/ui_test_env.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>
#include <QStringList>
#include <QSysInfo>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <algorithm>
#include <filesystem>
#include <memory>

namespace pw {
namespace {

using test::child;

QAction* action(const QObject& window, const char* name) {
    return child<QAction>(window, name);
}

bool bold(const QWidget* widget) {
    return widget->font().bold();
}

void pressKey(QWidget& window, Qt::Key key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(&window, &press);
}

double screenDpi() {
    return QGuiApplication::primaryScreen()->logicalDotsPerInch();
}

// A folder dialog as runModal shows it: on the screen (where a new one opens the folder
// picker), worked by `fill`, then closed with OK or Cancel.
ModalHook folderDialog(std::function<void(QDialog&)> fill = {}, bool ok = true) {
    return [fill = std::move(fill), ok](QDialog& dialog) {
        dialog.show();
        QApplication::processEvents();
        if (fill) {
            fill(dialog);
        }
        child<QPushButton>(dialog, ok ? "cmdOK" : "Command1")->click();
        return dialog.result();
    };
}

class MainFrmTest : public test::UiTest {
protected:
    // The window as the program starts it; the tip of the day stays off unless a test
    // asks for it, so that no test has to answer it.
    std::unique_ptr<MainFrm> start(std::string commandLine = {}, bool tips = false) {
        if (!tips) {
            QtSettingsStore store;
            saveShowTipsAtStartup(store, false);
        }
        auto window = std::make_unique<MainFrm>(std::move(commandLine));
        window->show();
        window->activateWindow();
        QApplication::processEvents();
        return window;
    }

    static std::vector<SearchPathEntry> rows(const MainFrm& window) {
        return window.currentParameters().paths;
    }
};

bool sameRow(const SearchPathEntry& row, const SearchPathEntry& expected) {
    return row.folder == expected.folder && row.subFolders == expected.subFolders &&
           row.fileTypes == expected.fileTypes && row.minSize == expected.minSize &&
           row.maxSize == expected.maxSize && row.icon == expected.icon;
}

TEST_F(MainFrmTest, EveryControlAndCommandCarriesItsNameCaptionAndShortcut) {
    const auto window = start();
    EXPECT_EQ(window->objectName(), "MainFrm");
    EXPECT_EQ(window->windowTitle(), "Pairwell v3.0");

    struct Command {
        const char* name;
        const char* caption;
        QKeySequence shortcut;
    };
    const Command commands[] = {
        {"MScan", "Scan", Qt::Key_F5},
        {"MCancel", "Cancel", Qt::Key_F6},
        {"MNewSession", "New Session", QKeySequence("Ctrl+N")},
        {"MLoadSession", "Load Session", QKeySequence("Ctrl+L")},
        {"MSaveSession", "Save Session", QKeySequence("Ctrl+S")},
        {"MExport", "Export", QKeySequence("Ctrl+E")},
        {"MPicViewer", "Show Picture Viewer", {}},
        {"MSendToRecycleBin", "Send to Recycle Bin", {}},
        {"MClose", "Close", QKeySequence("Ctrl+X")},
        {"MNone", "None", {}},
        {"MMarkAll", "Mark All", {}},
        {"MMarkingSelected", "Mark Selected", {}},
        {"mnuUnMarkSelected", "UnMark Selected", {}},
        {"MMarkAllDuplicates", "Mark All Duplicates", QKeySequence("Ctrl+D")},
        {"mnuAdvMarking", "Mark All Duplicates upto...", {}},
        {"MMarkFolder", "Mark Folder", {}},
        {"mnuFolderAndSubFolder", "Mark Folder and Sub Folders", {}},
        {"mnuAdvMarkForm", "Advance Marking", QKeySequence("Ctrl+A")},
        {"MCopyMarkFiles", "Copy", QKeySequence("Ctrl+C")},
        {"MMoveSelected", "Move ", QKeySequence("Ctrl+M")},
        {"MDelete", "Delete", Qt::Key_Delete},
        {"MRename", "Rename", QKeySequence("Ctrl+R")},
        {"mnuRemoveFromResult", "Remove from result list", QKeySequence("Ctrl+K")},
        {"MOpenFile", "Open File", QKeySequence("Ctrl+O")},
        {"MOpenFolder", "Open Folder", QKeySequence("Ctrl+F")},
        {"mnuOpenAllMarkFiles", "Open Mark Files", QKeySequence("Ctrl+J")},
        {"MCopyPath", "Copy path to clipboard", QKeySequence("Ctrl+W")},
        {"MFileProperties", "File Properties", QKeySequence("Ctrl+P")},
        {"MHelpTopics", "Help Topics", Qt::Key_F1},
        {"mnuTip", "Tip of the day", Qt::Key_F2},
        {"mnuFaq", "FAQ", {}},
        {"mnuHelponline", "Help Online", {}},
        {"MAbout", "About Pairwell", {}},
    };
    for (const Command& command : commands) {
        const QAction* found = action(*window, command.name);
        ASSERT_NE(found, nullptr) << command.name;
        EXPECT_EQ(found->text(), command.caption) << command.name;
        EXPECT_EQ(found->shortcut(), command.shortcut) << command.name;
    }
    for (const char* hidden : {"mnuAdvMarking", "mnuOpenAllMarkFiles", "MMarkAll"}) {
        EXPECT_FALSE(action(*window, hidden)->isVisible()) << hidden;
    }
    EXPECT_FALSE(action(*window, "MCancel")->isEnabled());
    EXPECT_TRUE(action(*window, "MarkSep2")->isSeparator());
    const std::pair<const char*, const char*> menus[] = {
        {"MnuFile", "File"}, {"MAction", "Action"}, {"MMark", "Mark Quick"}, {"MHelp", "Help"}};
    for (const auto& [name, title] : menus) {
        EXPECT_EQ(child<QMenu>(*window, name)->title(), title);
    }

    const auto* toolbar = child<QToolBar>(*window, "Toolbar1");
    const std::pair<const char*, const char*> buttons[] = {
        {"Scan", "Click here to start your search"},
        {"Cancel", "Cancel current process"},
        {nullptr, nullptr},
        {"Mark", "Select the desire marking option for deletion/moving/copeing files"},
        {"Copy", "Click here to copy all marked files"},
        {"Move", "Click here to move all marked files"},
        {"Delete", "Click here to delete all marked files"},
        {"Rename", "Click here to rename selected file"},
        {nullptr, nullptr},
        {"Export", "Export the result to selected format"},
        {"Viewer", "Show/Hide picture viewer"},
        {"Recycle", "Set the default deletion destination"},
    };
    ASSERT_EQ(toolbar->actions().size(), 12);
    for (int position = 1; position <= 12; ++position) {
        const QAction* button = toolbar->actions()[position - 1];
        const auto& [caption, tooltip] = buttons[position - 1];
        EXPECT_EQ(button->isSeparator(), caption == nullptr) << position;
        if (caption) {
            EXPECT_EQ(button, window->toolbarButton(position));
            EXPECT_EQ(button->text(), caption);
            EXPECT_EQ(button->toolTip(), tooltip);
            EXPECT_FALSE(button->icon().isNull()) << position;
        }
    }

    const std::pair<const char*, const char*> options[] = {
        {"Option1", "Byte to Byte"},
        {"Option2", "Cyclic Redundancy Check (CRC32)"},
        {"Option3", "Same Name Files"},
        {"Option4", "Zero Size Files "},
        {"chkFuzzy", "Use Fuzzy Logic"},
        {"chkProtect", "Protect Windows Folders"},
        {"chkIncludeHidden", "Include Hidden Folders and Files"},
    };
    for (const auto& [name, caption] : options) {
        const auto* button = child<QAbstractButton>(*window, name);
        EXPECT_EQ(button->text(), caption);
        EXPECT_EQ(button->parentWidget()->objectName(), "fraSearchEngine");
    }
    EXPECT_EQ(child<QGroupBox>(*window, "fraSearchEngine")->title(), "Search Engine");
    EXPECT_TRUE(child<QCheckBox>(*window, "chkProtect")->isChecked());
    EXPECT_FALSE(child<QCheckBox>(*window, "chkIncludeHidden")->isChecked());
    EXPECT_TRUE(child<QRadioButton>(*window, "Option1")->isChecked());

    const auto* list = child<QTreeView>(*window, "SearchList");
    const char* headers[] = {"Search Locations ", "Sub Folders", "File Type", "Min Size",
                             "Max Size"};
    ASSERT_EQ(list->model()->columnCount(), 5);
    for (int column = 0; column < 5; ++column) {
        EXPECT_EQ(list->model()->headerData(column, Qt::Horizontal).toString(), headers[column]);
    }
    EXPECT_TRUE(child<QPushButton>(*window, "cmdAdd")->isEnabled());
    EXPECT_FALSE(child<QPushButton>(*window, "cmdRemove")->isEnabled());

    for (int panel = 1; panel <= 5; ++panel) {
        EXPECT_EQ(window->statusPanel(panel)->parentWidget()->objectName() + "/" +
                      window->statusPanel(panel)->objectName(),
                  QStringLiteral("StatusBar1/StatusPanel%1").arg(panel));
    }
    child<QTimer>(*window, "Timer2");
}

TEST_F(MainFrmTest, AFirstStartOpensAtTheDefaultGeometryAndShowsATip) {
    std::string tipText;
    answerDialogs({[&](QDialog& dialog) {
        EXPECT_EQ(dialog.objectName(), "frmTip");
        EXPECT_EQ(child<QLabel>(dialog, "lblHeading")->text(), "Did you know...");
        EXPECT_EQ(child<QPushButton>(dialog, "cmdNextTip")->text(), "&Next Tip");
        auto* atStartup = child<QCheckBox>(dialog, "chkLoadTipsAtStartup");
        EXPECT_EQ(atStartup->text(), "&Show Tips at Startup");
        EXPECT_TRUE(atStartup->isChecked());
        atStartup->click(); // stored at once
        EXPECT_FALSE(loadShowTipsAtStartup(QtSettingsStore()));
        child<QPushButton>(dialog, "cmdNextTip")->click();
        tipText = child<QLabel>(dialog, "lblTipText")->text().toStdString();
        child<QPushButton>(dialog, "cmdOK")->click();
        return dialog.result();
    }});
    const auto window = start({}, true);
    EXPECT_NE(std::find(kTips.begin(), kTips.end(), tipText), kTips.end()) << tipText;

    // 12000 x 8000 twips at the top left corner: 800 x 533 pixels at 96 DPI.
    const double dpi = screenDpi();
    EXPECT_EQ(window->size(), QSize(twipsToPixels(12000, dpi), twipsToPixels(8000, dpi)));
    EXPECT_EQ(window->pos(), QPoint(0, 0));
    EXPECT_EQ(window->minimumSize(), QSize(twipsToPixels(10350, dpi), twipsToPixels(5000, dpi)));
    EXPECT_TRUE(window->pictureViewerOn());
    EXPECT_TRUE(action(*window, "MPicViewer")->isChecked());
    EXPECT_TRUE(action(*window, "MSendToRecycleBin")->isChecked());
    EXPECT_EQ(window->statusPanel(2)->text(), "Duplicates : 0");
    EXPECT_EQ(window->statusPanel(3)->text(), "Files : 0");
    EXPECT_EQ(window->statusPanel(4)->text(), "Folders : 0");
    EXPECT_TRUE(rows(*window).empty());
    EXPECT_TRUE(window->programLockHeld());
    // No parameter section has been read yet.
    EXPECT_EQ(window->fuzzyTag(), ClickTag::Thru);
}

TEST_F(MainFrmTest, SettingsAndTheDefaultSessionSurviveARestart) {
    QWidget other;
    {
        const auto window = start();
        answerFileDialogs({"/srv/photos"});
        answerDialogs({folderDialog(
            [](QDialog& dialog) { child<QLineEdit>(dialog, "txtMax")->setText("900"); })});
        child<QPushButton>(*window, "cmdAdd")->click();
        child<QRadioButton>(*window, "Option3")->click();
        child<QCheckBox>(*window, "chkIncludeHidden")->click();
        window->toolbarButton(11)->trigger();
        answerMessages({MessageAnswer::Yes});
        window->toolbarButton(12)->trigger();
        window->resize(900, 600);
        window->move(30, 45);
        other.show();
        window->close();
        EXPECT_FALSE(other.isVisible()); // closing the main window closes every other
    }
    EXPECT_TRUE(std::filesystem::exists(dataFolder() + "/Default.pwf"));

    const auto window = start();
    ASSERT_EQ(rows(*window).size(), 1U);
    EXPECT_TRUE(sameRow(rows(*window)[0],
                        {"/srv/photos", "Yes", "All files(*.*)", "10", "900", kSearchIcon}));
    EXPECT_TRUE(child<QPushButton>(*window, "cmdRemove")->isEnabled());
    const auto* sameName = child<QRadioButton>(*window, "Option3");
    EXPECT_TRUE(sameName->isChecked());
    EXPECT_TRUE(bold(sameName));
    EXPECT_FALSE(bold(child<QRadioButton>(*window, "Option1")));
    EXPECT_FALSE(child<QCheckBox>(*window, "chkFuzzy")->isEnabled());
    EXPECT_TRUE(child<QCheckBox>(*window, "chkIncludeHidden")->isChecked());
    EXPECT_TRUE(child<QCheckBox>(*window, "chkProtect")->isChecked());
    EXPECT_FALSE(window->pictureViewerOn());
    EXPECT_FALSE(action(*window, "MPicViewer")->isChecked());
    EXPECT_EQ(window->recyclePreference(), RecyclePreference::Permanent);
    EXPECT_FALSE(action(*window, "MSendToRecycleBin")->isChecked());
    EXPECT_EQ(window->size(), QSize(900, 600));
    EXPECT_EQ(window->pos(), QPoint(30, 45));
    EXPECT_EQ(window->fuzzyTag(), ClickTag::Direct);
    EXPECT_EQ(window->protectTag(), ClickTag::Direct);

    // A window stored on a screen that is gone comes back at the top left corner.
    QtSettingsStore store;
    saveWindowSize(store, {12000, 8000, 0, 150000});
    EXPECT_EQ(MainFrm().pos(), QPoint(0, 0));
}

// Which row a folder updates and how the dialog corrects its entries are the engine's
// tests (SearchPaths); here the list follows the dialog and the buttons.
TEST_F(MainFrmTest, PathsAreAddedUpdatedEditedAndRemoved) {
    const auto window = start();
    auto* add = child<QPushButton>(*window, "cmdAdd");
    auto* remove = child<QPushButton>(*window, "cmdRemove");
    auto* list = child<QTreeView>(*window, "SearchList");

    answerFileDialogs({"/srv/a", "/srv/b"});
    answerDialogs(
        {folderDialog([](QDialog& dialog) {
             child<QComboBox>(dialog, "cmbFileMask")->setCurrentText("Text files  (*.txt *.bak)");
             child<QLineEdit>(dialog, "txtMin")->setText("5");
             child<QLineEdit>(dialog, "txtMax")->setText("50");
         }),
         folderDialog()});
    add->click();
    add->click();
    ASSERT_EQ(fileDialogs.size(), 2U);
    EXPECT_EQ(fileDialogs[0].title, "Choose Folder to Search");
    ASSERT_EQ(rows(*window).size(), 2U);
    EXPECT_TRUE(sameRow(rows(*window)[0],
                        {"/srv/a", "Yes", "Text files  (*.txt *.bak)", "5", "50", kSearchIcon}));
    EXPECT_TRUE(remove->isEnabled());

    // The same folder again updates its row; here it becomes an excluded folder.
    answerFileDialogs({"/srv/a"});
    answerDialogs(
        {folderDialog([](QDialog& dialog) { child<QCheckBox>(dialog, "Check2")->click(); })});
    add->click();
    ASSERT_EQ(rows(*window).size(), 2U);
    EXPECT_TRUE(sameRow(rows(*window)[0], {"/srv/a", "Yes", "", "", "", kExcludeIcon}));

    // Editing opens no picker; unchecking "Exclude Folder" gives the options back.
    answerDialogs({folderDialog([](QDialog& dialog) {
        EXPECT_EQ(child<QLineEdit>(dialog, "Text1")->text(), "/srv/a");
        EXPECT_TRUE(child<QCheckBox>(dialog, "Check2")->isChecked());
        EXPECT_FALSE(child<QCheckBox>(dialog, "Check1")->isEnabled());
        child<QCheckBox>(dialog, "Check2")->click();
        child<QCheckBox>(dialog, "Check1")->click();
        child<QLineEdit>(dialog, "txtMin")->setText("1");
    })});
    emit list->doubleClicked(list->model()->index(0, 0));
    EXPECT_EQ(fileDialogs.size(), 3U);
    EXPECT_TRUE(
        sameRow(rows(*window)[0], {"/srv/a", "No", "All files(*.*)", "1", "", kSearchIcon}));

    // A cancelled picker leaves OK disabled; Cancel changes nothing.
    answerFileDialogs({std::nullopt});
    answerDialogs({folderDialog(
        [](QDialog& dialog) { EXPECT_FALSE(child<QPushButton>(dialog, "cmdOK")->isEnabled()); },
        false)});
    add->click();
    EXPECT_EQ(rows(*window).size(), 2U);

    list->setCurrentIndex(list->model()->index(1, 0));
    remove->click();
    ASSERT_EQ(rows(*window).size(), 1U);
    EXPECT_EQ(rows(*window)[0].folder, "/srv/a");
    EXPECT_TRUE(remove->isEnabled());
    list->setCurrentIndex(list->model()->index(0, 0));
    remove->click();
    EXPECT_TRUE(rows(*window).empty());
    EXPECT_FALSE(remove->isEnabled());
}

TEST_F(MainFrmTest, UncheckingProtectionAsksAndYesChecksItAgain) {
    const auto window = start();
    auto* protect = child<QCheckBox>(*window, "chkProtect");
    answerMessages({MessageAnswer::Yes, MessageAnswer::No});
    protect->click();
    EXPECT_TRUE(protect->isChecked());
    protect->click();
    EXPECT_FALSE(protect->isChecked());
    EXPECT_EQ(asked(0), "Confirm: It is highly recommended to leave this option checked to "
                        "prevent loss of data.\nDo you want to leave this option");
    EXPECT_EQ(messages[0].icon, MessageIcon::Critical);
    EXPECT_EQ(messages[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(messages[0].defaultAnswer, MessageAnswer::No);
    protect->click(); // checking never asks
    EXPECT_EQ(messages.size(), 2U);

    // A file that stores the box unchecked asks nothing either.
    SessionParameters unprotected;
    unprotected.options.protectSystem = false;
    window->applyParameters(unprotected);
    EXPECT_FALSE(protect->isChecked());
    EXPECT_EQ(messages.size(), 2U);
}

TEST_F(MainFrmTest, FuzzyLogicFollowsByteToByteAndExplainsItselfOnceArmed) {
    const auto window = start();
    int explained = 0;
    window->m_showFuzzyExplanation = [&] { ++explained; };
    auto* fuzzy = child<QCheckBox>(*window, "chkFuzzy");
    fuzzy->click(); // not armed before a parameter section was read
    EXPECT_TRUE(fuzzy->isChecked());
    EXPECT_FALSE(bold(fuzzy));
    EXPECT_EQ(explained, 0);

    window->applyParameters(SessionParameters{});
    EXPECT_FALSE(fuzzy->isChecked());
    fuzzy->click();
    EXPECT_TRUE(bold(fuzzy));
    EXPECT_EQ(explained, 1);
    child<QRadioButton>(*window, "Option3")->click();
    EXPECT_FALSE(fuzzy->isEnabled());
    EXPECT_TRUE(fuzzy->isChecked());
    EXPECT_EQ(window->currentParameters().options.method, SearchMethod::SameName);
    child<QRadioButton>(*window, "Option1")->click();
    EXPECT_TRUE(fuzzy->isEnabled());
    fuzzy->click();
    EXPECT_FALSE(bold(fuzzy));
    EXPECT_EQ(explained, 1);
}

TEST_F(MainFrmTest, EscapeAsksToCancelOnlyWhileBusy) {
    const auto window = start();
    pressKey(*window, Qt::Key_Escape); // an unexpected question would fail the test
    EXPECT_TRUE(messages.empty());

    window->SetBusy(true);
    answerMessages({MessageAnswer::No, MessageAnswer::Yes});
    pressKey(*window, Qt::Key_Escape);
    EXPECT_EQ(asked(0), "Cancel Search: Are you sure to cancel searching?");
    EXPECT_EQ(messages[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(messages[0].defaultAnswer, MessageAnswer::No);
    EXPECT_FALSE(window->searchCancelled().cancelled());
    window->toolbarButton(2)->trigger();
    EXPECT_TRUE(window->searchCancelled().cancelled());
}

TEST_F(MainFrmTest, BusyStateLeavesOnlyCancelUsable) {
    const auto window = start();
    int previewsClosed = 0;
    window->m_closePicturePreview = [&] { ++previewsClosed; };
    SessionParameters zeroSize;
    zeroSize.options.method = SearchMethod::ZeroSize;
    zeroSize.paths.push_back({"/srv", "Yes", "All files(*.*)", "10", "", kSearchIcon});
    window->applyParameters(zeroSize);
    previewsClosed = 0;

    const char* widgets[] = {"SearchList", "cmdAdd",          "cmdRemove", "Option1",
                             "Option2",    "Option3",         "Option4",   "chkFuzzy",
                             "chkProtect", "chkIncludeHidden"};
    const char* commands[] = {"MScan",        "MNewSession", "MSaveSession",
                              "MLoadSession", "MExport",     "MClose"};
    const char* menus[] = {"MnuFile", "MAction", "MHelp"};
    const auto check = [&](bool busy) {
        for (int position : {1, 4, 5, 6, 7, 8, 10, 11, 12}) {
            EXPECT_EQ(window->toolbarButton(position)->isEnabled(), !busy) << position;
        }
        EXPECT_EQ(window->toolbarButton(2)->isEnabled(), busy);
        EXPECT_EQ(action(*window, "MCancel")->isEnabled(), busy);
        for (const char* name : commands) {
            EXPECT_EQ(action(*window, name)->isEnabled(), !busy) << name;
        }
        for (const char* name : menus) {
            EXPECT_EQ(child<QMenu>(*window, name)->menuAction()->isEnabled(), !busy) << name;
        }
        EXPECT_EQ(window->m_resultArea->isEnabled(), !busy);
        EXPECT_TRUE(window->statusPanel(2)->isHidden()); // never beside a zero-size listing
        EXPECT_EQ(window->statusPanel(3)->isHidden(), busy);
        EXPECT_EQ(window->statusPanel(4)->isHidden(), busy);
    };
    window->SetBusy(true);
    check(true);
    for (const char* name : widgets) {
        EXPECT_FALSE(child<QWidget>(*window, name)->isEnabled()) << name;
    }
    EXPECT_EQ(previewsClosed, 1);

    window->setWindowTitle("42% Pairwell");
    window->SetBusy(false);
    check(false);
    for (const char* name : widgets) {
        // "Use Fuzzy Logic" only with "Byte to Byte".
        EXPECT_EQ(child<QWidget>(*window, name)->isEnabled(), std::string(name) != "chkFuzzy")
            << name;
    }
    EXPECT_EQ(window->windowTitle(), "100% Completed");
    window->setWindowTitle("Pairwell v3.0");
    child<QRadioButton>(*window, "Option1")->click();
    window->SetBusy(true);
    window->SetBusy(false);
    EXPECT_EQ(window->windowTitle(), "Pairwell v3.0");
    EXPECT_FALSE(window->statusPanel(2)->isHidden());
    EXPECT_TRUE(child<QCheckBox>(*window, "chkFuzzy")->isEnabled());
}

TEST_F(MainFrmTest, NewSessionClearsPathsOptionsAndPanels) {
    const auto window = start();
    int resultsCleared = 0;
    window->m_clearResults = [&] { ++resultsCleared; };
    SessionParameters session;
    session.options = {SearchMethod::Crc32, true, false, true};
    session.paths.push_back({"/srv", "No", "All files(*.*)", "10", "", kSearchIcon});
    window->applyParameters(session);
    EXPECT_TRUE(child<QCheckBox>(*window, "chkFuzzy")->isChecked());
    resultsCleared = 0;

    action(*window, "MNewSession")->trigger();
    EXPECT_EQ(resultsCleared, 1);
    EXPECT_TRUE(rows(*window).empty());
    EXPECT_TRUE(child<QRadioButton>(*window, "Option1")->isChecked());
    EXPECT_TRUE(bold(child<QRadioButton>(*window, "Option1")));
    EXPECT_TRUE(child<QCheckBox>(*window, "chkProtect")->isChecked());
    EXPECT_FALSE(child<QCheckBox>(*window, "chkIncludeHidden")->isChecked());
    EXPECT_FALSE(child<QCheckBox>(*window, "chkFuzzy")->isChecked());
    EXPECT_TRUE(child<QCheckBox>(*window, "chkFuzzy")->isEnabled());
    EXPECT_FALSE(child<QPushButton>(*window, "cmdRemove")->isEnabled());
    EXPECT_EQ(window->statusPanel(1)->text(),
              "Add search path and click on the scan button to start search.");
    for (int panel = 2; panel <= 4; ++panel) {
        EXPECT_TRUE(window->statusPanel(panel)->isHidden()) << panel;
    }
    EXPECT_EQ(window->statusPanel(5)->text(), "00:00:00");
}

TEST_F(MainFrmTest, ViewerAndRecycleSwitchesAreStoredAndOnlyPermanentDeletionAsks) {
    const auto window = start();
    int previewsClosed = 0;
    window->m_closePicturePreview = [&] { ++previewsClosed; };
    action(*window, "MPicViewer")->trigger();
    EXPECT_FALSE(window->pictureViewerOn());
    EXPECT_FALSE(action(*window, "MPicViewer")->isChecked());
    EXPECT_EQ(previewsClosed, 1);
    EXPECT_EQ(loadDisplay(QtSettingsStore()), kDisplayOff);
    window->toolbarButton(11)->trigger();
    EXPECT_TRUE(action(*window, "MPicViewer")->isChecked());
    EXPECT_EQ(loadDisplay(QtSettingsStore()), kDisplayOn);

    answerMessages({MessageAnswer::No, MessageAnswer::Yes});
    action(*window, "MSendToRecycleBin")->trigger();
    EXPECT_EQ(window->recyclePreference(), RecyclePreference::RecycleBin);
    EXPECT_TRUE(action(*window, "MSendToRecycleBin")->isChecked());
    window->toolbarButton(12)->trigger();
    EXPECT_EQ(window->recyclePreference(), RecyclePreference::Permanent);
    EXPECT_FALSE(action(*window, "MSendToRecycleBin")->isChecked());
    ASSERT_EQ(messages.size(), 2U);
    EXPECT_EQ(messages[0].text.toStdString(), permanentDeletePreferenceQuestion().text);
    EXPECT_EQ(messages[0].defaultAnswer, MessageAnswer::No);
    action(*window, "MSendToRecycleBin")->trigger(); // back to the bin without a question
    EXPECT_EQ(messages.size(), 2U);
    EXPECT_EQ(loadRecyclePreference(QtSettingsStore()), RecyclePreference::RecycleBin);
}

TEST_F(MainFrmTest, HelpCommandsOpenTheirPagesAndWindows) {
    const auto window = start();
    std::vector<QUrl> opened;
    window->m_openUrl = [&](const QUrl& url) {
        opened.push_back(url);
        return false; // no handler: nothing is said
    };
    action(*window, "mnuFaq")->trigger();
    action(*window, "mnuHelponline")->trigger();
    EXPECT_EQ(opened, (std::vector<QUrl>{QUrl("https://pairwell.example/faq"),
                                         QUrl("https://pairwell.example/help")}));

    answerDialogs({[](QDialog& dialog) {
                       EXPECT_EQ(dialog.objectName(), "frmTip");
                       return 1;
                   },
                   [](QDialog& dialog) {
                       EXPECT_EQ(dialog.objectName(), "AboutFrm");
                       EXPECT_EQ(child<QLabel>(dialog, "lblProductName")->text(), "Pairwell");
                       EXPECT_TRUE(child<QLabel>(dialog, "lblVersion")->text().contains("3.0"));
                       return 1;
                   }});
    action(*window, "mnuTip")->trigger();
    action(*window, "MAbout")->trigger();

    // The Mark button pops its menu up only over results; MClose closes the window.
    window->toolbarButton(4)->trigger();
    EXPECT_FALSE(child<QMenu>(*window, "MMark")->isVisible());
    action(*window, "MClose")->trigger();
    EXPECT_FALSE(window->isVisible());
}

TEST_F(MainFrmTest, ASessionNamedOnTheCommandLineIsLoadedOrReported) {
    SessionParameters stored;
    stored.options.method = SearchMethod::Crc32;
    stored.paths.push_back({"/srv/music", "No", "All files(*.*)", "10", "", kSearchIcon});
    const std::string path = scratchFolder() + "/my session.pwf";
    QtSettingsStore store;
    ASSERT_TRUE(pw::SaveDefaultParameters(store, {}, path, stored, {}, 0).ok);
    {
        const auto window = start("\"" + path + "\"");
        EXPECT_TRUE(messages.empty());
        ASSERT_EQ(rows(*window).size(), 1U);
        EXPECT_EQ(rows(*window)[0].folder, "/srv/music");
        EXPECT_TRUE(child<QRadioButton>(*window, "Option2")->isChecked());
    }
    answerMessages({MessageAnswer::Ok});
    const auto window = start("/nowhere/gone.pwf");
    EXPECT_EQ(asked(0), "File Not Found: \"/nowhere/gone.pwf\"");
    EXPECT_EQ(messages[0].icon, MessageIcon::Critical);
}

TEST_F(MainFrmTest, AStaleProgramLockIsTakenOverAndAHeldOneLetsASecondCopyRun) {
    const QString folder = QString::fromStdString(scratchFolder());
    // A lock left by a process that no longer exists on this machine.
    QFile stale(QDir(folder).absoluteFilePath("PWMutex.lock"));
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write("2147483646\npairwell\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    stale.close();
    const ProgramLock first(folder);
    EXPECT_TRUE(first.held());
    const ProgramLock second(folder);
    EXPECT_FALSE(second.held());

    const auto window = start();
    MainFrm secondWindow;
    EXPECT_TRUE(window->programLockHeld());
    EXPECT_FALSE(secondWindow.programLockHeld());
}

// Asked for the sound on a machine without a sound server, Qt Multimedia printed its failed
// connection on the program's error output.
TEST(CompletionSound, NoSoundFileOrNoSoundServerIsSilent) {
    CompletionSound sound;
    EXPECT_FALSE(sound.play(""));
    EXPECT_FALSE(sound.play("/nowhere/end.wav"));

    // The tests' XDG_RUNTIME_DIR is a folder of their own: no user's server listens there.
    const test::ScopedEnv server("PULSE_SERVER", std::nullopt);
    const test::ScopedEnv runtime("PULSE_RUNTIME_PATH", std::nullopt);
    if (soundServerReachable(defaultSoundServerPlaces())) {
        GTEST_SKIP() << "a system-wide sound server runs here";
    }
    test::TempTree tree;
    const std::string wav = tree.addFile("end.wav", "RIFF");
    static QStringList logged;
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext&, const QString& text) { logged << text; });
    const bool played = sound.play(wav);
    qInstallMessageHandler(previous);
    EXPECT_FALSE(played);
    EXPECT_TRUE(logged.isEmpty()) << logged.join(QStringLiteral("\n")).toStdString();
}

} // namespace
} // namespace pw
