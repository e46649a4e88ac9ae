#pragma once
// The two long jobs of the main window, each one engine call on a BackgroundJob:
// - ScanJob: StartScan, then LoadSearchResult into a table of its own;
// - SessionLoadJob: OpenPairwellFile, with a re-scan when asked.
// The finished table is handed to the window's thread in `finished`; the window shows it
// with ResultListView::showTable. The questions are asked through `questions`; set them
// before start (windowQuestions gives the program's own windows).

#include "app/ui/background_job.h"
#include "results/load_result.h"
#include "results/result_table.h"
#include "search/scan_types.h"
#include "session/session_file.h"

#include <QObject>
#include <memory>
#include <string>

class QWidget;

namespace pw {

// The program's answers: the too-many-files warning and the error report window, shown
// modally over `window`.
JobQuestions windowQuestions(QWidget* window);

struct ScanJobResult {
    ResultTable table;   // filled, its change log a reset
    ScanOutcome outcome; // the totals and the files that could not be read
};

class ScanJob : public QObject {
    Q_OBJECT

public:
    explicit ScanJob(QObject* parent = nullptr);

    JobQuestions questions;

    // Starts a scan of `request` (a snapshot: nothing is read from the window later);
    // false while a job runs.
    bool start(ScanRequest request);
    bool isRunning() const { return m_job.isRunning(); }

public slots:
    void cancel() { m_job.cancel(); }

signals:
    void started();
    // The scan's status texts ("Searching for duplicates...(3/10) 30.0%", "Loading
    // Searched Result...") and counts.
    void progress(const pw::JobProgress& progress);
    // The scan ended; the result's totals say whether it completed ("Search Completed.")
    // or was cancelled or stopped ("Search Terminated.").
    void finished(std::shared_ptr<pw::ScanJobResult> result);
    // The engine call ended with an exception (out of memory, say): the result that
    // `finished` brings next is partial and reads "Search Terminated.".
    void failed(const QString& message);

private:
    BackgroundJob m_job;
    std::shared_ptr<ScanJobResult> m_result;
};

class SessionLoadJob : public QObject {
    Q_OBJECT

public:
    explicit SessionLoadJob(QObject* parent = nullptr);

    JobQuestions questions;

    // Starts reading the session file `fileName` (bytes, as the file system names it);
    // with reScan the stored files are compared again by content. False while a job runs.
    bool start(std::string fileName, bool reScan);
    bool isRunning() const { return m_job.isRunning(); }

public slots:
    void cancel() { m_job.cancel(); }

signals:
    void started();
    // "Loading Searched Result...(n)" every so many rows, and the rows read against the
    // row count the file's header gives, for a progress bar.
    void progress(const pw::JobProgress& progress);
    void finished(std::shared_ptr<pw::LoadedSession> session);
    // The engine call ended with an exception: the session that `finished` brings next is
    // incomplete, its damage the message.
    void failed(const QString& message);

private:
    BackgroundJob m_job;
    std::shared_ptr<LoadedSession> m_session;
};

} // namespace pw
