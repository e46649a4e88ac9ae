// The report windows mailing through the component registered from this build, to a
// scripted SMTP server on 127.0.0.1 configured as the mail host in the settings: the
// error report's send, the survey's rules, Submit and Ignore, and the survey start.

#include "app/ui/main_frm.h"
#include "app/ui/main_window_report.h"
#include "reports/report_text.h"
#include "reports/ui/bug_frm.h"
#include "reports/ui/feed_back_frm.h"
#include "reports/ui/report_context.h"
#include "support/scoped_env.h"
#include "ui/ui_test_env.h"
#include "velomail/scripted_smtp_server.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <velomail/client/object_factory.h>

namespace pw {
namespace {

using namespace std::chrono_literals;
using velomail::test::Script;
using velomail::test::ScriptedSmtpServer;

const RuntimeError kError{70, "Permission denied", "Delete Files X", "/data/photos/a.jpg"};

const QStringList kOpening{"Thank you very much for your help and support",
                           "Checking for internet connection."};
const QStringList kConnected{"Connection establish successfully",
                             "Sending your feed back report. please wait..."};
const QStringList kReceived{"We received your feedback.",
                            "Thank you very much for your help and support."};
const QStringList kOpenFailed{"An error occured when trying to connect to the server.",
                              "Please make sure your Internet connection is active and try again."};

using test::child;

QPushButton* button(const QObject& window, const char* name) {
    return child<QPushButton>(window, name);
}

QStringList statusLines(const QWidget& window) {
    return child<QPlainTextEdit>(window, "txtStatus")
        ->toPlainText()
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

std::string hostOf(const ScriptedSmtpServer& server) {
    return "127.0.0.1:" + std::to_string(server.port());
}

class ReportMailWindows : public test::UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        ASSERT_EQ(velomail::client::registerLibrary(VELOMAIL_LIBRARY_PATH), S_OK);
    }
    void TearDown() override {
        setReportContext({});
        UiTest::TearDown();
    }

    // Settings of the survey and the report context of the error report window.
    MemorySettingsStore store;
    test::ScopedEnv m_timeout{"VELOMAIL_TEST_TIMEOUT_MS", "5000"};
};

// The error report of a main window with one search path, mailed to `host`; the window
// is shown, as the program shows it.
struct ErrorReportSetup {
    std::unique_ptr<MainFrm> main = std::make_unique<MainFrm>();
    std::unique_ptr<BugFrm> report;

    explicit ErrorReportSetup(const std::string& host) {
        main->settings().saveValue("Reports", "MailHost", host);
        main->applyParameters(SessionParameters{{SearchMethod::Crc32},
                                                {{"/data/photos/", "Yes", "*.jpg", "10", ""}}});
        const char* panels[] = {"Search Completed.", "Duplicates : 4", "Files : 9", "Folders : 2",
                                "00:00:03"};
        for (int panel = 1; panel <= 5; ++panel) {
            main->statusPanel(panel)->setText(QString::fromLatin1(panels[panel - 1]));
        }
        connectReportsTo(*main);
        report = std::make_unique<BugFrm>(kError);
        report->show();
    }

    bool sendEnded() const { return button(*report, "Command1")->isEnabled(); }
};

TEST_F(ReportMailWindows, ASentErrorReportIsConfirmedAndEndsAsAbort) {
    ScriptedSmtpServer server({Script::acceptingAll()});
    ErrorReportSetup setup(hostOf(server));
    BugFrm& report = *setup.report;
    child<QPlainTextEdit>(report, "Text1")->setPlainText("I deleted the marked files.");
    answerMessages({MessageAnswer::Ok});
    button(report, "Command3")->click();
    // The send is under way: every button waits, the status box is shown.
    EXPECT_FALSE(button(report, "Command1")->isEnabled());
    EXPECT_FALSE(button(report, "Command2")->isEnabled());
    EXPECT_FALSE(button(report, "Command3")->isEnabled());
    EXPECT_FALSE(child<QGroupBox>(report, "StatusFrame")->isHidden());

    ASSERT_TRUE(test::waitUntil([&] { return !report.isVisible(); }));
    EXPECT_EQ(report.result(), BugFrm::kAbort);
    EXPECT_EQ(statusLines(report), kOpening + kConnected + kReceived);
    EXPECT_EQ(messages.at(0).text,
              "We received your feedback.\nThank you very much for your help and support.");
    const std::string mail = server.received(0);
    for (const char* part :
         {"RCPT TO:<support@pairwell.example>\r\n", "Subject: Pairwell Bug Report\r\n",
          "Install Date: Null Total Runs: 0\r\n\r\nComputer Name: ",
          "\r\nError# 70-Permission denied\r\nProcedure: Delete Files X Line#: "
          "/data/photos/a.jpg\r\nVersion: 3.0-3005\r\nSearch Engine: CRC32\r\nStatus: Search "
          "Completed.{}Duplicates : 4{}Files : 9{}Folders : 2{}00:00:03\r\n\r\nSearch "
          "Parameters:\r\n"
          "/data/photos/ {SF} Yes {FT} *.jpg {MN} 10 {MX} \r\n\r\nCustomer Feed Back:\r\n\r\n"
          "I deleted the marked files.\r\n\r\n.\r\nQUIT\r\n"}) {
        EXPECT_NE(mail.find(part), std::string::npos) << part << "\nin\n" << mail;
    }
}

// A refused mail once left "please wait..." as the last status line, with no way to try
// again. A failed connection and a refused mail both leave the window with its buttons.
TEST_F(ReportMailWindows, AFailedSendSaysSoAndLetsTheUserTryAgainRetryOrAbort) {
    Script refusing = Script::greeted();
    refusing.answer("550 sender refused\r\n").answer("250 reset\r\n").answer("221 bye\r\n");
    const struct {
        Script script;
        QStringList lines;
        const char* button;
        int result;
    } cases[] = {{Script().reply("554 no service here\r\n"), kOpening + kOpenFailed, "Command1",
                  BugFrm::kRetry},
                 {refusing, kOpening + kConnected + QStringList{kSendRefusedLine}, "Command2",
                  BugFrm::kAbort}};
    for (const auto& c : cases) {
        ScriptedSmtpServer server({c.script});
        ErrorReportSetup setup(hostOf(server));
        BugFrm& report = *setup.report;
        button(report, "Command3")->click();
        ASSERT_TRUE(test::waitUntil([&] { return setup.sendEnded(); }));
        EXPECT_EQ(statusLines(report), c.lines);
        EXPECT_TRUE(report.isVisible());
        EXPECT_TRUE(button(report, "Command3")->isEnabled());
        button(report, c.button)->click();
        EXPECT_EQ(report.result(), c.result);
    }
}

TEST_F(ReportMailWindows, ClosingDuringASendNeitherBlocksNorLeavesTheConnectionOpen) {
    // The server answers only after a while; the window is closed and destroyed meanwhile.
    Script slow;
    slow.pause(1500ms).append(Script::acceptingAll());
    ScriptedSmtpServer server({slow});
    ErrorReportSetup setup(hostOf(server));
    QElapsedTimer clock;
    clock.start();
    button(*setup.report, "Command3")->click();
    EXPECT_TRUE(test::waitUntil([&] { return statusLines(*setup.report).size() == 2; },
                                1000)); // drawn at once
    setup.report->reject();
    setup.report.reset();
    EXPECT_LT(clock.elapsed(), 1500);
    // The worker finishes on its own, says goodbye and lets the object and library go.
    EXPECT_TRUE(server.received(0).ends_with("QUIT\r\n"));
    EXPECT_TRUE(test::waitUntil([] { return velomail::client::loadedModuleCount() == 0; }));
    EXPECT_TRUE(messages.empty());
}

TEST_F(ReportMailWindows, TheSurveyShowsItsTextsAndMarksTheChosenReason) {
    FeedBackFrm survey(store);
    EXPECT_EQ(survey.windowTitle(), "Please give us your feed back");
    QStringList texts;
    for (const QLabel* label : survey.findChildren<QLabel*>()) {
        texts << label->text();
    }
    for (const char* text :
         {"Thank you for trying Pairwell!",
          "Please help us by filling out this brief survey. It will only take a second and "
          "will help us build better software for you and our other customers.",
          "This is completely optional, and not required for uninstallation of the software.",
          "Why have you uninstalled Pairwell today?",
          "Please take just a second or two to elaborate (optional)", "Your Name (Optional)",
          "Your Email (Optional)", "Please tell us what will be the Best Price (in dollars)"}) {
        EXPECT_TRUE(texts.contains(QString::fromUtf8(text))) << text;
    }
    EXPECT_EQ(button(survey, "Command1")->text(), "Submit and conitnue with Uninstallation");
    EXPECT_EQ(button(survey, "Command2")->text(), "Ignore and continue with Uninstallation");
    EXPECT_EQ(child<QRadioButton>(survey, "Opt0")->text(),
              "I am completely satisfied, but don't need it at this point ");
    EXPECT_EQ(child<QRadioButton>(survey, "Opt7")->text(), "I was dissuaded by the price");
    EXPECT_TRUE(child<QGroupBox>(survey, "StatusFrame")->isHidden());

    const auto price = [&] {
        return !child<QLineEdit>(survey, "txtPrice")->isHidden() &&
               !child<QLabel>(survey, "lblPrice")->isHidden();
    };
    EXPECT_FALSE(price());
    for (int chosen : {3, 7, 1}) {
        child<QRadioButton>(survey, QStringLiteral("Opt%1").arg(chosen).toLatin1())->click();
        for (int i = 0; i < 8; ++i) {
            const auto* reason =
                child<QRadioButton>(survey, QStringLiteral("Opt%1").arg(i).toLatin1());
            EXPECT_EQ(reason->font().bold(), i == chosen) << chosen << " " << i;
            EXPECT_EQ(reason->palette().color(reason->foregroundRole()),
                      i == chosen ? QColor(0, 0, 255) : QColor(0, 0, 0))
                << chosen << " " << i;
        }
        EXPECT_EQ(price(), chosen == 7);
    }
}

TEST_F(ReportMailWindows, LeavingThePriceBoxAsksForANumber) {
    FeedBackFrm survey(store);
    survey.show();
    survey.activateWindow();
    QApplication::processEvents();
    auto* box = child<QLineEdit>(survey, "txtPrice");
    auto* name = child<QLineEdit>(survey, "txtName");
    child<QRadioButton>(survey, "Opt7")->click();
    ASSERT_TRUE(test::waitUntil([&] { return box->hasFocus(); }, 2000));

    answerMessages({MessageAnswer::Ok, MessageAnswer::Ok});
    name->setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(box->hasFocus());
    box->setText("abc");
    name->setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(box->hasFocus());
    QApplication::processEvents();
    EXPECT_EQ(box->selectedText(), "abc");
    // The texts are the engine's (PriceBox); the first box left empty, then with letters.
    EXPECT_EQ(asked(0), "Please tell us: " + checkPrice("")->text);
    EXPECT_EQ(asked(1), "Error: " + checkPrice("abc")->text);

    // Choosing another reason makes the price moot; a number lets the focus go.
    child<QRadioButton>(survey, "Opt2")->setFocus(Qt::TabFocusReason);
    EXPECT_FALSE(box->hasFocus());
    box->setFocus(Qt::TabFocusReason);
    box->setText("25");
    name->setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(name->hasFocus());
    EXPECT_EQ(messages.size(), 2u);
}

TEST_F(ReportMailWindows, SubmittingWithoutAReasonOnlyAsksForOne) {
    ScriptedSmtpServer server({Script::acceptingAll()});
    store.saveValue("Reports", "MailHost", hostOf(server));
    FeedBackFrm survey(store);
    survey.show();
    answerMessages({MessageAnswer::Ok});
    button(survey, "Command1")->click();
    EXPECT_EQ(asked(0), "Choose atleast one option: Please tell us why have you uninstalled "
                        "Pairwell today?");
    EXPECT_TRUE(child<QGroupBox>(survey, "StatusFrame")->isHidden());
    EXPECT_TRUE(survey.isVisible());
    EXPECT_EQ(server.clientConnections(), 0u);
}

TEST_F(ReportMailWindows, SubmitMailsTheAnswersAndEndsTheProgram) {
    ScriptedSmtpServer server({Script::acceptingAll()});
    store.saveValue("Reports", "MailHost", hostOf(server));
    store.saveValue("GenInfo", "TotRun", "3");
    FeedBackFrm survey(store);
    survey.show();
    child<QRadioButton>(survey, "Opt5")->click();
    child<QLineEdit>(survey, "txtName")->setText(QString::fromUtf8("J\xC3\xBCrgen"));
    child<QLineEdit>(survey, "txtEmail")->setText("j@example.org");
    child<QPlainTextEdit>(survey, "txtDesc")->setPlainText("Too slow\nfor me");
    button(survey, "Command1")->click();
    EXPECT_FALSE(button(survey, "Command1")->isEnabled());
    EXPECT_FALSE(button(survey, "Command2")->isEnabled());
    ASSERT_TRUE(test::waitUntil([&] { return !survey.isVisible(); }));
    EXPECT_EQ(statusLines(survey), kOpening + kConnected + kReceived);
    const std::string mail = server.received(0);
    for (const char* part :
         {"Subject: Pairwell Feed Back\r\n", "Content-Type: text/plain; charset=utf-8\r\n",
          "Install Date: Null Total Runs: 3\r\n\r\nComputer Name: ",
          "\r\nI am unsatisfied - Pairwell does not suit my needs \r\n\r\nName : J\xC3\xBCrgen"
          "\r\nEmail : j@example.org\r\nPrice  : \r\n\r\nToo slow\r\nfor me\r\n.\r\n"}) {
        EXPECT_NE(mail.find(part), std::string::npos) << part << "\nin\n" << mail;
    }
}

TEST_F(ReportMailWindows, ASurveyThatCannotConnectStaysWithTheIgnoreHint) {
    ScriptedSmtpServer server({Script().reply("421 closing\r\n")});
    store.saveValue("Reports", "MailHost", hostOf(server));
    FeedBackFrm survey(store);
    survey.show();
    child<QRadioButton>(survey, "Opt0")->click();
    button(survey, "Command1")->click();
    ASSERT_TRUE(test::waitUntil([&] { return button(survey, "Command1")->isEnabled(); }));
    EXPECT_EQ(statusLines(survey),
              kOpening + kOpenFailed +
                  QStringList{"If you dont want to submit your feedback, Simply click on "
                              "\"Ignore\" button at the bottam and continue with Uninstallation"});
    EXPECT_TRUE(survey.isVisible());
    EXPECT_TRUE(button(survey, "Command2")->isEnabled());
}

TEST_F(ReportMailWindows, TheSurveyStartShowsOnlyTheSurveyAndIgnoreEndsTheProgram) {
    QStringList shown;
    QTimer::singleShot(0, [&] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window->isVisible()) {
                shown << window->objectName();
            }
        }
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (auto* survey = qobject_cast<FeedBackFrm*>(window)) {
                button(*survey, "Command2")->click();
            }
        }
    });
    // Should Ignore not end the loop, this does, and the exit code tells.
    QTimer::singleShot(15000, [] { QCoreApplication::exit(1); });
    EXPECT_EQ(runSurvey(store), 0);
    EXPECT_EQ(shown, QStringList{"FeedBackFrm"});
}

} // namespace
} // namespace pw
