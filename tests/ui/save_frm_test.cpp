#include "session/ui/save_frm.h"
#include "settings/settings_table.h"
#include "ui/ui_test_env.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <cerrno>
#include <thread>

namespace pw {
namespace {

using test::UiTest;

class SaveFrmTest : public UiTest {
protected:
    template <class Widget>
    Widget* control(const char* name) {
        return test::child<Widget>(frm, name);
    }
    void typePath(const QString& text) { control<QLineEdit>("txtPath")->setText(text); }
    void click(const char* name) { control<QPushButton>(name)->click(); }

    MemorySettingsStore store;
    SaveFrm frm{store};
};

TEST_F(SaveFrmTest, EachModeShowsItsFrameCaptionsAndCloseOption) {
    struct Expected {
        SaveFrm::Mode mode;
        const char* title;
        const char* action;
        bool saving;
    };
    for (const Expected& expected :
         {Expected{SaveFrm::Mode::Save, "Save Dialog", "&Save", true},
          Expected{SaveFrm::Mode::Open, "Open Dialog", "&Open", false}}) {
        SCOPED_TRACE(expected.title);
        frm.setMode(expected.mode);
        EXPECT_EQ(frm.windowTitle(), QString::fromLatin1(expected.title));
        EXPECT_EQ(control<QPushButton>("Command1")->text(), QString::fromLatin1(expected.action));
        EXPECT_EQ(!control<QGroupBox>("SaveFrame")->isHidden(), expected.saving);
        EXPECT_EQ(!control<QGroupBox>("OpenFrame")->isHidden(), !expected.saving);
        EXPECT_EQ(control<QCheckBox>("chkClose")->isEnabled(), expected.saving);
    }
    const std::pair<const char*, const char*> captions[] = {
        {"Command2", "Cancel"},
        {"chkClose", "Close these dialog after completion"},
        {"opt1", "Save parematers only"},
        {"opt2", "Save search parameters and result."},
        {"ReScanc", "Re-Scan (Search again for duplicates using byte by byte search engine)"},
        {"ReCheckc", "Check for invalid/dead path"},
    };
    for (const auto& [name, caption] : captions) {
        EXPECT_EQ(control<QAbstractButton>(name)->text(), QString::fromLatin1(caption)) << name;
    }
    control<QProgressBar>("pr");
    control<QPushButton>("cmdAdd");
    EXPECT_EQ(control<QLabel>("lblPath")->text(), QStringLiteral("Path "));
    EXPECT_TRUE(control<QRadioButton>("opt2")->isChecked());
    EXPECT_TRUE(control<QCheckBox>("chkClose")->isChecked()); // the stored default
    EXPECT_FALSE(control<QCheckBox>("ReScanc")->isChecked());
    EXPECT_FALSE(control<QCheckBox>("ReCheckc")->isChecked());
}

TEST_F(SaveFrmTest, ABlankPathIsRefusedWithAMessageAndARedBox) {
    bool saved = false;
    frm.onSave = [&](const std::string&, SessionContent, const SessionProgressFn&) {
        saved = true;
        return FileWriteResult{};
    };
    frm.show();
    typePath(QStringLiteral("   "));
    answerMessages({MessageAnswer::Ok});
    click("Command1");
    EXPECT_EQ(asked(0), "Error: File name not specified.");
    EXPECT_EQ(messages[0].buttons, MessageButtons::Ok);
    auto* path = control<QLineEdit>("txtPath");
    EXPECT_EQ(path->palette().color(QPalette::Base), QColor(255, 192, 192));
    EXPECT_EQ(frm.focusWidget(), path);
    EXPECT_FALSE(saved);
    EXPECT_TRUE(control<QPushButton>("Command1")->isEnabled());
}

TEST_F(SaveFrmTest, TheCloseOptionComesFromTheSettingsAndGoesBackWhenTheDialogCloses) {
    saveChkClose(store, false);
    SaveFrm second(store);
    auto* box = second.findChild<QCheckBox*>(QStringLiteral("chkClose"));
    EXPECT_FALSE(box->isChecked());
    box->setChecked(true);
    EXPECT_FALSE(loadChkClose(store)); // stored on close, not on click
    second.findChild<QPushButton*>(QStringLiteral("Command2"))->click();
    EXPECT_TRUE(loadChkClose(store));
}

TEST_F(SaveFrmTest, SavingHandsTheBrowsedBytesToTheHookAndFollowsItsProgress) {
    // A name that is not valid UTF-8 cannot come back from the text the box shows.
    const std::string browsed = "/tmp/caf\xe9.pwf";
    std::string savedPath;
    SessionContent savedContent = SessionContent::ParametersAndResult;
    frm.onSave = [&](const std::string& path, SessionContent content,
                     const SessionProgressFn& progress) {
        savedPath = path;
        savedContent = content;
        progress({"", 3, 4});
        return FileWriteResult{};
    };
    frm.show();
    answerFileDialogs({browsed});
    click("cmdAdd");
    ASSERT_EQ(fileDialogs.size(), 1U);
    EXPECT_EQ(fileDialogs[0].kind, FileDialogRequest::Kind::Save);
    EXPECT_EQ(fileDialogs[0].title, QStringLiteral("Saving Location"));
    EXPECT_EQ(fileDialogs[0].filter, QStringLiteral("Pairwell(*.pwf)"));
    control<QRadioButton>("opt1")->setChecked(true);
    control<QCheckBox>("chkClose")->setChecked(false);
    click("Command1");
    EXPECT_EQ(savedPath, browsed);
    EXPECT_EQ(savedContent, SessionContent::ParametersOnly);
    EXPECT_EQ(control<QProgressBar>("pr")->maximum(), 4);
    EXPECT_EQ(control<QProgressBar>("pr")->value(), 3);
    // Without "close after completion" the dialog stays, its action spent.
    EXPECT_TRUE(frm.isVisible());
    EXPECT_FALSE(control<QPushButton>("Command1")->isEnabled());

    // A save on a worker thread moves the bar on the dialog's thread.
    const SessionProgressFn progress = frm.progressCallback();
    std::thread([&] { progress({"", 10, 10}); }).join();
    EXPECT_TRUE(test::waitUntil([this] { return control<QProgressBar>("pr")->value() == 10; }));
}

TEST_F(SaveFrmTest, ASaveClosesWithCloseAfterCompletionAndAFailureIsShownAndCanBeRetried) {
    int calls = 0;
    frm.onSave = [&](const std::string& path, SessionContent, const SessionProgressFn&) {
        return ++calls == 1 ? writeFailure(path, EACCES) : FileWriteResult{};
    };
    frm.show();
    typePath(QStringLiteral("/nowhere/s.pwf"));
    answerMessages({MessageAnswer::Ok});
    click("Command1");
    ASSERT_EQ(messages.size(), 1U);
    EXPECT_EQ(messages[0].title, QStringLiteral("Error"));
    EXPECT_TRUE(messages[0].text.startsWith(QStringLiteral("Cannot write /nowhere/s.pwf: ")))
        << messages[0].text.toStdString();
    EXPECT_TRUE(frm.isVisible());
    ASSERT_TRUE(control<QPushButton>("Command1")->isEnabled());

    click("Command1");
    EXPECT_EQ(calls, 2);
    EXPECT_FALSE(frm.isVisible());
    EXPECT_EQ(frm.result(), QDialog::Accepted);
}

TEST_F(SaveFrmTest, OpeningPassesTheTypedPathAndBothChecksThenCloses) {
    std::string openedPath;
    bool reScan = false;
    bool reCheck = true;
    frm.onOpen = [&](const std::string& path, bool scan, bool check) {
        openedPath = path;
        reScan = scan;
        reCheck = check;
    };
    frm.setMode(SaveFrm::Mode::Open);
    frm.show();
    answerFileDialogs({"/srv/old.pwf"});
    click("cmdAdd");
    EXPECT_EQ(fileDialogs.at(0).kind, FileDialogRequest::Kind::Open);
    EXPECT_EQ(fileDialogs.at(0).title, QStringLiteral("Open Location"));
    typePath(QStringLiteral("/srv/n\u00e9w.pwf")); // edited after browsing: the typed text
    control<QCheckBox>("ReScanc")->setChecked(true);
    click("Command1");
    EXPECT_EQ(openedPath, "/srv/n\xc3\xa9w.pwf");
    EXPECT_TRUE(reScan);
    EXPECT_FALSE(reCheck);
    EXPECT_FALSE(frm.isVisible());
}

} // namespace
} // namespace pw
