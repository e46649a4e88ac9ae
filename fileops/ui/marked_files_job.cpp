#include "fileops/ui/marked_files_job.h"

#include <QThread>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <utility>

namespace pw {
namespace {

// Often enough for a progress bar to move smoothly, rarely enough to cost nothing.
constexpr int kDeliveryIntervalMs = 100;

} // namespace

// What the worker and the window's thread share. A question's answer may arrive after the
// job is gone, so the question holds it too.
struct MarkedFilesJob::Shared {
    std::mutex mutex;
    std::condition_variable changed;
    bool closing = false; // the job is being destroyed
    std::uint64_t lastQuestion = 0;
    std::uint64_t answered = 0;
    ConfirmAnswer answer = ConfirmAnswer::Cancel;

    RunReport pending;
    bool due = false;
};

MarkedFilesJob::MarkedFilesJob(QObject* parent)
    : QObject(parent), m_shared(std::make_shared<Shared>()) {
    m_timer.setInterval(kDeliveryIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &MarkedFilesJob::deliver);
}

MarkedFilesJob::~MarkedFilesJob() {
    if (!m_thread) {
        return;
    }
    m_run->requestCancel();
    {
        std::lock_guard lock(m_shared->mutex);
        m_shared->closing = true;
    }
    m_shared->changed.notify_all();
    m_thread->wait();
    delete m_thread;
}

bool MarkedFilesJob::start(MarkedFilesRun& run) {
    if (m_thread) {
        return false;
    }
    m_run = &run;
    m_thread = QThread::create([&run, shared = m_shared] {
        run.run([&shared](const RunReport& report) {
            std::lock_guard lock(shared->mutex);
            RunReport& pending = shared->pending;
            pending.state = report.state;
            pending.progress = report.progress;
            pending.filesDone = report.filesDone;
            pending.newErrors.insert(pending.newErrors.end(), report.newErrors.begin(),
                                     report.newErrors.end());
            shared->due = true;
        });
    });
    connect(m_thread, &QThread::finished, this, &MarkedFilesJob::threadFinished,
            Qt::QueuedConnection);
    m_thread->start();
    m_timer.start();
    return true;
}

ConfirmAnswer MarkedFilesJob::ask(std::function<ConfirmAnswer()> question) {
    std::unique_lock lock(m_shared->mutex);
    if (m_shared->closing) {
        return ConfirmAnswer::Cancel;
    }
    const std::uint64_t id = ++m_shared->lastQuestion;
    lock.unlock();
    QMetaObject::invokeMethod(
        this,
        [shared = m_shared, id, question = std::move(question)] {
            const ConfirmAnswer answer = question();
            std::lock_guard guard(shared->mutex);
            shared->answer = answer;
            shared->answered = id;
            shared->changed.notify_all();
        },
        Qt::QueuedConnection);
    lock.lock();
    m_shared->changed.wait(lock,
                           [this, id] { return m_shared->answered == id || m_shared->closing; });
    return m_shared->answered == id ? m_shared->answer : ConfirmAnswer::Cancel;
}

void MarkedFilesJob::deliver() {
    RunReport report;
    {
        std::lock_guard lock(m_shared->mutex);
        if (!m_shared->due) {
            return;
        }
        m_shared->due = false;
        report = std::exchange(m_shared->pending, {});
    }
    emit reported(report);
}

void MarkedFilesJob::threadFinished() {
    if (!m_thread) {
        return;
    }
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
    m_timer.stop();
    deliver();
    emit finished();
}

} // namespace pw
