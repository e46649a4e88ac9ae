#include "app/ui/folder_frm.h"
#include "app/ui/qt_settings_store.h"
#include "ui/ui_test_env.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPushButton>

namespace pw {
namespace {

using test::child;

// The dialog on the screen, as runModal shows it: a new one opens the folder picker now.
void showDialog(FolderFrm& dialog) {
    dialog.show();
    dialog.activateWindow();
    QApplication::processEvents();
}

// The focus moves on from `box` to another control of the dialog.
void leave(QWidget* box) {
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(box, &out);
}

std::vector<QString> maskItems(const FolderFrm& dialog) {
    const auto* masks = child<QComboBox>(dialog, "cmbFileMask");
    std::vector<QString> items;
    for (int i = 0; i < masks->count(); ++i) {
        items.push_back(masks->itemText(i));
    }
    return items;
}

using FolderFrmTest = test::UiTest;

TEST_F(FolderFrmTest, ANewDialogOffersTheLastEntriesAndOpensThePickerAtOnce) {
    QtSettingsStore store;
    saveLastFolderEntries(store, {"Text files  (*.txt *.bak)", "7", "70"});
    FolderFrm dialog(store, std::nullopt);
    EXPECT_EQ(dialog.windowTitle(), "Add/Exclude Folders");
    const std::pair<const char*, const char*> captions[] = {{"Check1", "Include Sub Folders"},
                                                            {"Check2", "Exclude Folder"},
                                                            {"cmdOK", "OK"},
                                                            {"Command1", "Cancel"},
                                                            {"lblPath", "Path :"},
                                                            {"lblFileMask", "File Mask(s)"},
                                                            {"lblSizeRange", "File Size in Range"},
                                                            {"lblKB", "KB"}};
    for (const auto& [name, caption] : captions) {
        EXPECT_EQ(child<QObject>(dialog, name)->property("text").toString(), caption) << name;
    }
    EXPECT_EQ(maskItems(dialog).size(), kBuiltInFileMasks.size());
    EXPECT_EQ(child<QComboBox>(dialog, "cmbFileMask")->currentText(), "Text files  (*.txt *.bak)");
    EXPECT_EQ(child<QLineEdit>(dialog, "txtMin")->text(), "7");
    EXPECT_EQ(child<QLineEdit>(dialog, "txtMax")->text(), "70");
    EXPECT_FALSE(child<QPushButton>(dialog, "cmdOK")->isEnabled());

    answerFileDialogs({"/srv/\xff-raw", std::nullopt});
    showDialog(dialog);
    ASSERT_EQ(fileDialogs.size(), 1U);
    EXPECT_EQ(fileDialogs[0].kind, FileDialogRequest::Kind::Folder);
    EXPECT_EQ(fileDialogs[0].title, "Choose Folder to Search");
    EXPECT_TRUE(child<QPushButton>(dialog, "cmdOK")->isEnabled());
    child<QPushButton>(dialog, "cmdOK")->click();
    ASSERT_TRUE(dialog.entry().has_value());
    EXPECT_EQ(dialog.entry()->folder, "/srv/\xff-raw"); // the picker's bytes, not its display

    // A cancelled picker empties the path box and disables OK.
    child<QPushButton>(dialog, "Command2")->click();
    EXPECT_EQ(child<QLineEdit>(dialog, "Text1")->text(), "");
    EXPECT_FALSE(child<QPushButton>(dialog, "cmdOK")->isEnabled());
}

TEST_F(FolderFrmTest, LeavingTheSizeBoxesCorrectsThemAndRefusesAMaximumNotAboveTheMinimum) {
    QtSettingsStore store;
    const SearchPathEntry row{"/srv", "Yes", "All files(*.*)", "10", "", kSearchIcon};
    FolderFrm dialog(store, row);
    showDialog(dialog);
    auto* minimum = child<QLineEdit>(dialog, "txtMin");
    auto* maximum = child<QLineEdit>(dialog, "txtMax");

    // The corrections themselves are the engine's (SearchPaths.LeavingTheSizeBoxes).
    minimum->setText("abc");
    leave(minimum);
    EXPECT_EQ(minimum->text(), "10");

    answerMessages({MessageAnswer::Ok});
    minimum->setFocus();
    maximum->setText("10.4");
    leave(maximum);
    EXPECT_EQ(asked(0), "Error: Maximum size must be greater then minimum size");
    EXPECT_EQ(messages[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(maximum->text(), "");
    EXPECT_TRUE(maximum->hasFocus());
    maximum->setText("11");
    leave(maximum);
    EXPECT_EQ(maximum->text(), "11");
}

TEST_F(FolderFrmTest, ATypedMaskJoinsTheStoredListOnce) {
    QtSettingsStore store;
    const SearchPathEntry row{"/srv", "Yes", "All files(*.*)", "10", "", kSearchIcon};
    {
        FolderFrm dialog(store, row);
        auto* masks = child<QComboBox>(dialog, "cmbFileMask");
        masks->setCurrentText("Raw photos (*.cr2 *.nef)");
        leave(masks);
        masks->setCurrentText("All files(*.*)");
        leave(masks);
        EXPECT_EQ(maskItems(dialog).size(), kBuiltInFileMasks.size() + 1);
        EXPECT_EQ(maskItems(dialog).back(), "Raw photos (*.cr2 *.nef)");
    }
    EXPECT_EQ(store.value("FileMask", "10"), "Raw photos (*.cr2 *.nef)");
    EXPECT_EQ(store.value("FileMask", "0"), "All files(*.*)");

    // The next dialog reads the list afresh.
    const FolderFrm next(store, row);
    EXPECT_EQ(maskItems(next).back(), "Raw photos (*.cr2 *.nef)");
}

TEST_F(FolderFrmTest, ExcludingAFolderLocksItsOptionsAndOkStoresTheCorrectedEntries) {
    QtSettingsStore store;
    const SearchPathEntry row{"/srv/a", "No", "Text files  (*.txt *.bak)", "5", "9", kSearchIcon};
    FolderFrm dialog(store, row);
    showDialog(dialog);
    EXPECT_TRUE(fileDialogs.empty()); // editing opens no picker
    auto* subFolders = child<QCheckBox>(dialog, "Check1");
    auto* exclude = child<QCheckBox>(dialog, "Check2");
    EXPECT_FALSE(subFolders->isChecked());

    exclude->click();
    EXPECT_TRUE(exclude->font().bold());
    EXPECT_TRUE(subFolders->isChecked());
    for (const char* name : {"Check1", "cmbFileMask", "txtMin", "txtMax"}) {
        EXPECT_FALSE(child<QWidget>(dialog, name)->isEnabled()) << name;
    }
    exclude->click();
    EXPECT_FALSE(exclude->font().bold());
    EXPECT_FALSE(subFolders->isChecked()); // its state before the exclusion
    for (const char* name : {"Check1", "cmbFileMask", "txtMin", "txtMax"}) {
        EXPECT_TRUE(child<QWidget>(dialog, name)->isEnabled()) << name;
    }

    child<QLineEdit>(dialog, "txtMin")->setText(" ");
    child<QPushButton>(dialog, "cmdOK")->click();
    ASSERT_TRUE(dialog.entry().has_value());
    EXPECT_EQ(dialog.entry()->minSize, "10");
    EXPECT_EQ(dialog.entry()->subFolders, "No");
    EXPECT_EQ(loadLastFolderEntries(store).minSize, "10");

    FolderFrm cancelled(store, row);
    child<QPushButton>(cancelled, "Command1")->click();
    EXPECT_FALSE(cancelled.entry().has_value());
}

} // namespace
} // namespace pw
