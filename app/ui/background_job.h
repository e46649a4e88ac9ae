#pragma once
// One blocking engine call run on a worker thread, so that the window stays responsive.
// The worker reports through a JobContext, which is the engine's ScanObserver:
// - progress is kept, latest first, and handed to the window's thread a few times a
//   second by a timer there, never once per file;
// - the questions (too many files, a run-time failure) are asked on the window's thread
//   through the functions in JobQuestions while the worker waits for the answer;
// - cancel() sets the job's CancelToken and withdraws a question not yet shown.
// Destroying a running job cancels it, releases a waiting worker with the cautious answer
// (do not go on, do not retry) and waits for the worker to end: it never deadlocks.

#include "search/scan_observer.h"
#include "search/scan_types.h"

#include <QMetaType>
#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>

class QThread;

namespace pw {

// What a job has to show: the status text (empty: unchanged), the window caption while
// the window is minimized (empty: none), and a progress bar's value and maximum.
struct JobProgress {
    QString statusText;
    QString captionText;
    qint64 value = 0;
    qint64 maximum = 0;
};

// How the window answers the worker's questions; both are called on the window's thread
// and may show a modal dialog. Unset, the scan goes on past the many-files warning and a
// failed step is not retried.
struct JobQuestions {
    std::function<bool(std::int32_t filesFound)> confirmManyFiles;
    std::function<ErrorAnswer(const RuntimeError& error)> runtimeError;
};

// The worker's side of a job. Every member may be called from the worker thread.
class JobContext final : public ScanObserver {
public:
    struct Shared;

    JobContext(std::shared_ptr<Shared> shared, QObject* windowSide, JobQuestions questions);
    ~JobContext() override;

    const CancelToken& cancelToken() const;

    // Keeps the latest progress for the window: a non-empty status text replaces the
    // texts, the value and maximum always replace theirs.
    void post(const JobProgress& progress);

    void progress(const ScanProgress& progress) override;
    bool confirmManyFiles(std::int32_t filesFound) override;
    ErrorAnswer runtimeError(const RuntimeError& error) override;

private:
    // Runs `question` on the window's thread and waits for its answer, or answers
    // `fallback` when the job is cancelled or destroyed first.
    int ask(std::function<int()> question, int fallback);

    std::shared_ptr<Shared> m_shared;
    QObject* m_windowSide;
    const JobQuestions m_questions;
};

class BackgroundJob : public QObject {
    Q_OBJECT

public:
    using Work = std::function<void(JobContext& context)>;

    explicit BackgroundJob(QObject* parent = nullptr);
    ~BackgroundJob() override;

    // Copied when a run starts.
    JobQuestions questions;

    // Starts `work` on a new worker thread; false (and nothing happens) while a run is
    // going on. `started` is emitted before it returns.
    bool run(Work work);
    bool isRunning() const { return m_thread != nullptr; }

public slots:
    // Asks the running work to stop; it ends at its next test of the cancel token.
    void cancel();

signals:
    void started();
    void progress(const pw::JobProgress& progress);
    // The work ended with an exception (the message); `finished` follows.
    void failed(const QString& message);
    // The worker has ended; whatever the work wrote is the window thread's to read now.
    void finished();

private:
    void threadFinished();
    void deliverProgress();

    std::shared_ptr<JobContext::Shared> m_shared;
    std::unique_ptr<JobContext> m_context;
    QThread* m_thread = nullptr;
    QTimer m_progressTimer;
    QString m_failure; // written by the worker, read after it ended
};

} // namespace pw

Q_DECLARE_METATYPE(pw::JobProgress)
