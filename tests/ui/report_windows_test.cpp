#include "reports/ui/bug_frm.h"
#include "search/ui/frm_too_many_files.h"
#include "search/ui/fuzzy_frm.h"
#include "ui/ui_test_env.h"

#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <algorithm>

namespace pw {
namespace {

using test::UiTest;

// Every text the window shows, by object name where it has one.
std::vector<QString> labelTexts(const QWidget& window) {
    std::vector<QString> texts;
    for (const QLabel* label : window.findChildren<QLabel*>()) {
        texts.push_back(label->text());
    }
    return texts;
}

bool shows(const QWidget& window, const QString& text) {
    const auto texts = labelTexts(window);
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

QString buttonText(const QWidget& window, const char* name) {
    const auto* button = window.findChild<QPushButton*>(QString::fromLatin1(name));
    return button ? button->text() : QStringLiteral("<missing>");
}

TEST_F(UiTest, TheTooManyFilesWarningAsksWithItsTexts) {
    frmTooManyFiles dialog(100001);
    EXPECT_EQ(dialog.windowTitle(), "Warning");
    EXPECT_EQ(dialog.findChild<QLabel*>("lblTitle")->text(),
              "You are about to scan a collection of too many files, total 100001 files.  ");
    EXPECT_TRUE(shows(dialog, "You are warned that it may resulted in errors."));
    EXPECT_TRUE(shows(dialog, "Recommendation:"));
    EXPECT_TRUE(shows(dialog, "To continue, click OK; to stop, click Cancel."));
    bool advice = false;
    for (const QString& text : labelTexts(dialog)) {
        advice = advice || text.startsWith("To reduce the number of files in a single search, "
                                           "you can set the min. file size, say 10 KB,");
    }
    EXPECT_TRUE(advice);
    EXPECT_EQ(buttonText(dialog, "Command2"), "OK");
    EXPECT_EQ(buttonText(dialog, "Command1"), "Cancel");

    // The buttons' answers are the scan job's test; Escape or the close box declines.
    answerDialogs({[](QDialog& d) {
        d.reject();
        return d.result();
    }});
    EXPECT_FALSE(askTooManyFiles(nullptr, 100001));
}

TEST_F(UiTest, TheFuzzyNoteShowsItsTexts) {
    FuzzyFrm dialog;
    EXPECT_EQ(dialog.windowTitle(), "Fuzzy  match");
    EXPECT_TRUE(shows(dialog,
                      "Fuzzy match tolerate files with little difference. File transmission "
                      "errors over network can be ignored in this mode. Files downloaded by P2P "
                      "program e.g. eMule/Kazaa may contain this kind of files. (see example "
                      "below)"));
    EXPECT_TRUE(shows(dialog, "File A: 1010101010111"));
    EXPECT_TRUE(shows(dialog, "File B: 1010101010111"));
    EXPECT_TRUE(shows(
        dialog, "File A is identical to file B though there is little difference between them."));
    EXPECT_TRUE(shows(dialog, "PLEASE MAKE SURE FILES ARE IDENTICAL BEFORE DELETION"));
    EXPECT_EQ(buttonText(dialog, "Command1"), "OK");
    answerDialogs({[](QDialog& d) {
        d.findChild<QPushButton*>("Command1")->click();
        return d.result();
    }});
    showFuzzyInfo(nullptr);
}

TEST_F(UiTest, TheErrorReportShowsTheFailureAndAnswersRetryOrAbort) {
    const RuntimeError error{6, "Overflow", "Scanning", "/data/\xff"};
    BugFrm dialog(error);
    EXPECT_EQ(dialog.windowTitle(), "Bug Report(Build 3005)");
    EXPECT_EQ(dialog.findChild<QLabel*>("lblmsg1")->text(),
              "Please tell Corvane about this problem.");
    EXPECT_EQ(dialog.findChild<QLabel*>("lblmsg2")->text(),
              "We are very sorry for the inconvenience and we would like to provide a fix for "
              "this error. You may help us a great deal by reporting this error via email. "
              "please fill the text box below and press the Send Error Report button. Thanks "
              "for your time.");
    for (const char* caption : {"Error No", "Description", "Procedure", "Error Line"}) {
        EXPECT_TRUE(shows(dialog, QString::fromLatin1(caption))) << caption;
    }
    EXPECT_EQ(dialog.findChild<QLabel*>("lblErrNo")->text(), "6");
    EXPECT_EQ(dialog.findChild<QLabel*>("lblErrDesc")->text(), "Overflow");
    EXPECT_EQ(dialog.findChild<QLabel*>("lblErrPro")->text(), "Scanning");
    EXPECT_TRUE(dialog.findChild<QLabel*>("lblErrLine")->text().startsWith("/data/"));
    const auto* account = dialog.findChild<QPlainTextEdit*>("Text1");
    const QString preset =
        "< Please describe here what you were doing exactly when this error occurred >";
    EXPECT_EQ(account->toPlainText(), preset);
    EXPECT_EQ(account->textCursor().selectedText(), preset);
    EXPECT_TRUE(dialog.findChild<QGroupBox*>("StatusFrame")->isHidden());
    EXPECT_NE(dialog.findChild<QPlainTextEdit*>("txtStatus"), nullptr);
    EXPECT_EQ(buttonText(dialog, "Command1"), "Retry");
    EXPECT_EQ(buttonText(dialog, "Command2"), "Abort");
    EXPECT_EQ(buttonText(dialog, "Command3"), "Send Error Report");
    EXPECT_TRUE(dialog.findChild<QPushButton*>("Command3")->isEnabled());

    // Retry and Abort are the background job's test; closed, nothing is retried.
    answerDialogs({[](QDialog& d) {
        d.reject();
        return d.result();
    }});
    EXPECT_EQ(ShowErrorReport(nullptr, error), ErrorAnswer::Abort);
    dialog.reject();
    EXPECT_EQ(dialog.result(), BugFrm::kAbort);
}

} // namespace
} // namespace pw
