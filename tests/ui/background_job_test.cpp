#include "app/ui/background_job.h"
#include "app/ui/scan_job.h"
#include "reports/ui/bug_frm.h"
#include "search/ui/frm_too_many_files.h"
#include "session/session_file.h"
#include "support/temp_tree.h"
#include "ui/ui_test_env.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QThread>
#include <QWidget>
#include <atomic>
#include <functional>

namespace pw {
namespace {

using test::TempTree;
using test::UiTest;
using test::waitUntil;

ScanRequest requestFor(const std::string& folder) {
    ScanRequest request;
    SearchPathEntry entry;
    entry.folder = folder;
    request.paths.push_back(entry);
    return request;
}

// Two files of one content and one of another.
void addDuplicates(TempTree& tree) {
    tree.addFile("a/photo.jpg", "same bytes");
    tree.addFile("b/photo.jpg", "same bytes");
    tree.addFile("b/other.jpg", "different!");
}

struct ScanRun {
    std::shared_ptr<ScanJobResult> result;
    std::vector<JobProgress> progress;
};

ScanRun runScan(ScanJob& job, ScanRequest request) {
    ScanRun run;
    QObject::connect(&job, &ScanJob::progress,
                     [&run](const JobProgress& p) { run.progress.push_back(p); });
    QObject::connect(&job, &ScanJob::finished,
                     [&run](std::shared_ptr<ScanJobResult> r) { run.result = std::move(r); });
    EXPECT_TRUE(job.start(std::move(request)));
    EXPECT_FALSE(job.start(ScanRequest{})); // one scan at a time
    EXPECT_TRUE(waitUntil([&run] { return run.result != nullptr; }));
    job.disconnect();
    return run;
}

// A dialog answer that clicks the named button and returns the dialog's result.
ModalHook clickButton(const char* name, std::function<void(QDialog&)> check = {}) {
    return [name, check](QDialog& dialog) {
        if (check) {
            check(dialog);
        }
        auto* button = dialog.findChild<QPushButton*>(QString::fromLatin1(name));
        EXPECT_NE(button, nullptr) << name;
        if (button) {
            button->click();
        }
        return dialog.result();
    };
}

TEST_F(UiTest, AScanOnTheWorkerListsItsDuplicatesAndTheLastStatusText) {
    TempTree tree;
    addDuplicates(tree);
    ScanJob job;
    const ScanRun run = runScan(job, requestFor(tree.root()));
    ASSERT_TRUE(run.result);
    EXPECT_EQ(run.result->table.rowCount(), 2);
    EXPECT_EQ(run.result->outcome.totals.statusText(), "Search Completed.");
    EXPECT_EQ(run.result->outcome.totals.duplicateCount, 1);
    EXPECT_EQ(run.result->outcome.totals.filesFound, 3);
    // The last text is delivered even when the scan ends between two timer ticks.
    ASSERT_FALSE(run.progress.empty());
    EXPECT_TRUE(run.progress.back().statusText.startsWith("Loading Searched Result..."));
}

TEST_F(UiTest, TooManyFilesDeclinedListsNothingAndAcceptedGoesOn) {
    TempTree tree;
    addDuplicates(tree);
    QWidget window;
    ScanJob job;
    job.questions = windowQuestions(&window);
    ScanRequest request = requestFor(tree.root());
    request.manyFilesLimit = 2;
    answerDialogs(
        {clickButton("Command1",
                     [](QDialog& dialog) { EXPECT_EQ(dialog.objectName(), "frmTooManyFiles"); }),
         clickButton("Command2")});
    const ScanRun declined = runScan(job, request);
    EXPECT_EQ(declined.result->table.rowCount(), 0);
    EXPECT_EQ(declined.result->outcome.totals.statusText(), "Search Completed.");
    const ScanRun accepted = runScan(job, request);
    EXPECT_EQ(accepted.result->table.rowCount(), 2);
}

TEST_F(UiTest, AFailureOnTheWorkerAsksTheErrorReportUntilAbort) {
    QWidget window;
    BackgroundJob job;
    job.questions = windowQuestions(&window);
    std::vector<ErrorAnswer> answers; // written by the worker, read after `finished`
    bool finished = false;
    QObject::connect(&job, &BackgroundJob::finished, [&finished] { finished = true; });
    answerDialogs({clickButton("Command1",
                               [](QDialog& dialog) {
                                   EXPECT_EQ(dialog.objectName(), "BugFrm");
                                   EXPECT_EQ(dialog.findChild<QLabel*>("lblErrPro")->text(),
                                             "Scanning");
                                   EXPECT_EQ(dialog.findChild<QLabel*>("lblErrNo")->text(), "5");
                               }),
                   clickButton("Command2")});
    // A step that keeps failing, retried as long as the user says so.
    job.run([&answers](JobContext& context) {
        for (;;) {
            const ErrorAnswer answer =
                context.runtimeError({5, "Invalid procedure call", "Scanning", "/data/x"});
            answers.push_back(answer);
            if (answer != ErrorAnswer::Retry) {
                break;
            }
        }
    });
    ASSERT_TRUE(waitUntil([&finished] { return finished; }));
    EXPECT_EQ(answers, (std::vector<ErrorAnswer>{ErrorAnswer::Retry, ErrorAnswer::Abort}));
}

// Regression: a job destroyed while its worker waits for an answer must neither hang in
// the destructor nor show the question afterwards.
TEST_F(UiTest, DestroyingAJobWithAPendingQuestionReleasesItsWorker) {
    std::atomic<bool> asking{false};
    std::atomic<int> answer{-1};
    int shown = 0;
    {
        BackgroundJob job;
        job.questions.runtimeError = [&shown](const RuntimeError&) {
            ++shown;
            return ErrorAnswer::Retry;
        };
        job.run([&asking, &answer](JobContext& context) {
            asking = true;
            answer = static_cast<int>(context.runtimeError({7, "Out of memory", "Scanning", {}}));
        });
        // The question is posted but never delivered: no events run before the job goes.
        while (!asking) {
            QThread::yieldCurrentThread();
        }
    }
    QApplication::processEvents();
    EXPECT_EQ(answer, static_cast<int>(ErrorAnswer::Abort));
    EXPECT_EQ(shown, 0);
}

TEST_F(UiTest, ASessionLoadsOnTheWorker) {
    TempTree tree;
    addDuplicates(tree);
    ScanJob scan;
    const ScanRun run = runScan(scan, requestFor(tree.root()));
    const std::string path = scratchFolder() + "/two.pwf";
    SessionParameters parameters;
    parameters.paths = requestFor(tree.root()).paths;
    ASSERT_TRUE(WriteSessionFile(path, parameters, run.result->outcome.totals, run.result->table,
                                 SessionContent::ParametersAndResult)
                    .ok);

    SessionLoadJob load;
    std::shared_ptr<LoadedSession> session;
    QObject::connect(&load, &SessionLoadJob::finished,
                     [&session](std::shared_ptr<LoadedSession> s) { session = std::move(s); });
    ASSERT_TRUE(load.start(path, true));
    ASSERT_TRUE(waitUntil([&session] { return session != nullptr; }));
    EXPECT_TRUE(session->complete);
    EXPECT_TRUE(session->rescanned);
    EXPECT_EQ(session->table.rowCount(), 2);
    EXPECT_EQ(session->totals.statusText(), "Search Completed.");
}

} // namespace
} // namespace pw
