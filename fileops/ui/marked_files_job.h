#pragma once
// A started MarkedFilesRun driven on a worker thread, for the deletion and copy/move
// dialogs. The worker calls run(observer); the observer gathers each step's report under
// a lock and a timer on the window's thread hands over what gathered a few times a second
// (never one signal per file), the rest when the worker has ended. The window never reads
// what the worker writes: it gets copies.
//
// The per-file question (ask) runs on the window's thread while the worker waits for it.
// Destroying a running job cancels the run, answers a waiting question with Cancel and
// waits for the worker, so the run must outlive the job.

#include "fileops/marked_files_run.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>

class QThread;

namespace pw {

class MarkedFilesJob : public QObject {
    Q_OBJECT

public:
    explicit MarkedFilesJob(QObject* parent = nullptr);
    ~MarkedFilesJob() override;

    // Drives `run`, already started, on a new worker thread; false while a run is driven.
    bool start(MarkedFilesRun& run);
    // From start() until the worker has ended and `finished` was emitted.
    bool isRunning() const { return m_thread != nullptr; }

    // Called on the worker: runs `question` on this object's thread and returns its answer
    // once given; Cancel when the job is destroyed first.
    ConfirmAnswer ask(std::function<ConfirmAnswer()> question);

signals:
    // The steps since the last report: the latest state, progress and count, and every
    // error row they added, in order.
    void reported(const pw::RunReport& report);
    // The worker has ended; the run is Done. Follows the last `reported`.
    void finished();

private:
    struct Shared;

    void deliver();
    void threadFinished();

    std::shared_ptr<Shared> m_shared;
    MarkedFilesRun* m_run = nullptr;
    QThread* m_thread = nullptr;
    QTimer m_timer;
};

} // namespace pw
