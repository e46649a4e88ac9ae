#include "session/ui/frm_export.h"
#include "settings/settings_table.h"
#include "support/temp_tree.h"
#include "ui/ui_test_env.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <sys/stat.h>

namespace pw {
namespace {

using test::TempTree;
using test::UiTest;
using test::waitUntil;

ResultTableRow row(const char* name, std::int32_t group, bool marked) {
    ResultTableRow r;
    r.name = name;
    r.folder = makeFolderText("/data/");
    r.size = 10;
    r.modified = localStamp(0);
    r.group = group;
    r.marked = marked;
    return r;
}

class FrmExportTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        table.appendRow(row("a.txt", 1, false));
        table.appendRow(row("b, c.txt", 1, true));
        table.appendRow(row("d.txt", 2, true));
    }

    template <class Widget>
    Widget* control(frmExport& frm, const char* name) {
        return test::child<Widget>(frm, name);
    }
    void click(frmExport& frm, const char* name) { control<QAbstractButton>(frm, name)->click(); }
    // Runs the export and waits for its end; whether the file was written.
    bool exportTo(frmExport& frm, const std::string& path) {
        control<QLineEdit>(frm, "txtPath")->setText(QString::fromStdString(path));
        bool done = false;
        bool written = false;
        QObject::connect(&frm, &frmExport::exportFinished, [&](bool ok) {
            done = true;
            written = ok;
        });
        click(frm, "btn");
        EXPECT_TRUE(waitUntil([&done] { return done; }));
        return written;
    }

    MemorySettingsStore store;
    ResultTable table;
    TempTree tree;
};

TEST_F(FrmExportTest, DelimitedMarkedRowsWithTheStoredChoicesAndTheFileOpenedAfter) {
    ExportChoices stored;
    stored.exportType = 2; // Mark Files Only
    stored.exportChar = 3; // Semi-colen
    saveExportChoices(store, stored);
    frmExport frm(store, table, {});
    std::vector<std::string> openedFiles;
    int exported = 0;
    frm.onOpenFile = [&](const std::string& path) { openedFiles.push_back(path); };
    frm.onExported = [&] { ++exported; };
    EXPECT_EQ(frm.windowTitle(), QStringLiteral("Export Wizard"));
    EXPECT_TRUE(control<QRadioButton>(frm, "optMark")->isChecked());
    EXPECT_TRUE(control<QRadioButton>(frm, "OptDeli")->isChecked());
    EXPECT_TRUE(control<QCheckBox>(frm, "openafter")->isChecked());
    EXPECT_FALSE(control<QPushButton>(frm, "Command1")->isEnabled());

    click(frm, "btn");
    EXPECT_EQ(control<QPushButton>(frm, "btn")->text(), QStringLiteral("Export"));
    EXPECT_TRUE(control<QRadioButton>(frm, "optSemi")->isChecked());
    EXPECT_FALSE(control<QRadioButton>(frm, "webpage")->isEnabled());
    EXPECT_FALSE(control<QLineEdit>(frm, "txtOther")->isEnabled());

    // An empty path is refused.
    answerMessages({MessageAnswer::Ok});
    click(frm, "btn");
    EXPECT_EQ(messages.at(0).text, QStringLiteral("Output filename not specified"));
    EXPECT_EQ(control<QLineEdit>(frm, "txtPath")->palette().color(QPalette::Base),
              QColor(255, 192, 192));

    click(frm, "optComma");
    const std::string path = tree.path("list"); // written as typed, no extension added
    ASSERT_TRUE(exportTo(frm, path));
    // A field holding the delimiter is quoted rather than split.
    const std::string text = tree.read("list");
    const std::string head =
        "File Name,Size(Bytes),Last Modified,Version,Group,Path\r\n\"b, c.txt\",10,";
    EXPECT_EQ(text.substr(0, head.size()), head);
    EXPECT_EQ(text.find("a.txt"), std::string::npos);
    EXPECT_NE(text.find("d.txt,10,"), std::string::npos);
    EXPECT_EQ(openedFiles, std::vector<std::string>{path});
    EXPECT_EQ(exported, 1);
    EXPECT_FALSE(control<QPushButton>(frm, "btn")->isEnabled());

    // Choosing HTML and closing: the choices are stored.
    click(frm, "Command1");
    click(frm, "optHtml");
    click(frm, "Command2");
    const ExportChoices after = loadExportChoices(store);
    EXPECT_TRUE(after.html);
    EXPECT_EQ(after.exportChar, 2);
    EXPECT_EQ(after.exportType, 2);
}

TEST_F(FrmExportTest, HtmlOfTheSelectedRowsThroughTheSaveDialog) {
    frmExport frm(store, table, {{3}, "Files : 12", "Duplicate Files: 2  Size: 20 Bytes"});
    click(frm, "optHtml");
    click(frm, "optSelected");
    control<QCheckBox>(frm, "openafter")->setChecked(false);
    click(frm, "btn");
    EXPECT_TRUE(control<QRadioButton>(frm, "webpage")->isChecked());
    EXPECT_FALSE(control<QRadioButton>(frm, "optComma")->isEnabled());

    const std::string path = tree.path("page.htm");
    answerFileDialogs({path});
    click(frm, "cmdAdd");
    ASSERT_EQ(fileDialogs.size(), 1U);
    EXPECT_EQ(fileDialogs[0].title, QStringLiteral("Export Location"));
    ASSERT_TRUE(exportTo(frm, path));
    const std::string page = tree.read("page.htm");
    EXPECT_NE(page.find("<td width='220'><b> 12</b>"), std::string::npos);
    // The third row is the second group's: shaded "even".
    EXPECT_NE(page.find("<tr><td class='even'>d.txt</td>"), std::string::npos);
    EXPECT_EQ(page.find("a.txt"), std::string::npos);
    click(frm, "Command2");
    EXPECT_TRUE(loadExportChoices(store).html);
    EXPECT_FALSE(loadExportChoices(store).openFile);
    EXPECT_EQ(loadExportChoices(store).exportType, 3);
}

TEST_F(FrmExportTest, AnEmptyListOrAnUnwritableFileStopsWithAMessage) {
    ResultTable empty;
    frmExport none(store, empty, {});
    answerMessages({MessageAnswer::Ok});
    click(none, "btn");
    ASSERT_EQ(messages.size(), 1U);
    EXPECT_EQ(messages[0].text,
              QStringLiteral("No duplicate file has been found!\nFirst you must perform a search "
                             "and find at least one duplicate file."));
    EXPECT_EQ(messages[0].icon, MessageIcon::Critical);
    EXPECT_EQ(control<QPushButton>(none, "btn")->text(), QStringLiteral("Next >"));

    frmExport frm(store, table, {});
    frm.onOpenFile = [](const std::string&) { ADD_FAILURE() << "nothing was written"; };
    click(frm, "btn");
    answerMessages({MessageAnswer::Ok});
    EXPECT_FALSE(exportTo(frm, tree.path("missing folder/list.csv")));
    ASSERT_EQ(messages.size(), 2U);
    EXPECT_TRUE(messages[1].text.startsWith(QStringLiteral("Cannot write ")));
    EXPECT_TRUE(control<QPushButton>(frm, "btn")->isEnabled());
}

} // namespace
} // namespace pw
