#include "app/ui/qt_settings_store.h"
#include "common/ui/common_dlg.h"
#include "common/ui/ui_text.h"
#include "settings/settings_table.h"
#include "ui/ui_test_env.h"

#include <QFileInfo>
#include <QSettings>

namespace pw {
namespace {

using test::UiTest;

TEST(UiText, AFileUrlCarriesTheExactBytesOfANameThatIsNotUtf8) {
    const std::string path = "/tmp/a b/\xff\xfe%#?.txt";
    const QUrl url = fileUrl(path);
    EXPECT_TRUE(url.isValid());
    EXPECT_EQ(url.toEncoded().toStdString(), "file:///tmp/a%20b/%FF%FE%25%23%3F.txt");
    EXPECT_EQ(
        QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString(),
        path);
    // Shown with replacement characters, never taken back for an action.
    EXPECT_EQ(displayText("\xff").at(0), QChar(QChar::ReplacementCharacter));
}

TEST(CommonDlg, FilterPairsBecomeQtFilterEntries) {
    EXPECT_EQ(qtFileFilter("Pairwell(*.pwf)|*.pwf"), QStringLiteral("Pairwell(*.pwf)"));
    EXPECT_EQ(qtFileFilter("Text|*.csv;*.txt|All|*.*|"),
              QStringLiteral("Text (*.csv *.txt);;All (*.*)"));
    EXPECT_EQ(qtFileFilter("Broken|"), QString());
}

TEST_F(UiTest, TheFolderPickerRemembersTheLastFolderOnlyWhenOneWasChosen) {
    answerFileDialogs({"/srv/photos", std::nullopt});
    EXPECT_EQ(BrowseForFolder(nullptr, QStringLiteral("Choose Folder to Search"), false),
              "/srv/photos");
    EXPECT_EQ(BrowseForFolder(nullptr, QStringLiteral("Choose Folder to Search"), false), "");
    EXPECT_EQ(LastBrowsedFolder(), "/srv/photos");
    ASSERT_EQ(fileDialogs.size(), 2U);
    EXPECT_EQ(fileDialogs[1].initialFolder, "/srv/photos");
}

TEST_F(UiTest, SettingsAreWrittenThroughAndTheMaskListKeepsItsNumericOrder) {
    std::vector<std::string> masks;
    for (int i = 0; i < 12; ++i) {
        masks.push_back("Mask " + std::to_string(i) + " (*.a, *.b)");
    }
    {
        QtSettingsStore store;
        SaveFileMaskList(store, masks);
        saveShowTipsAtStartup(store, false);
    }
    // A second store reads the file afresh, as the next start does.
    QtSettingsStore store;
    const MaskList loaded = LoadFileMaskList(store);
    EXPECT_TRUE(loaded.stored);
    EXPECT_EQ(loaded.masks, masks); // "10" after "9", commas kept
    EXPECT_FALSE(loadShowTipsAtStartup(store));
    EXPECT_TRUE(QFileInfo(QSettings(QSettings::IniFormat, QSettings::UserScope,
                                    QStringLiteral("Pairwell"), QStringLiteral("Pairwell"))
                              .fileName())
                    .exists());
    store.deleteSection("FileMask");
    EXPECT_FALSE(store.section("FileMask").has_value());
}

} // namespace
} // namespace pw
