#include "app/ui/background_job.h"

#include "common/ui/ui_text.h"

#include <QThread>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <utility>

namespace pw {
namespace {

// Often enough for a status bar to look alive, rarely enough to cost nothing.
constexpr int kProgressIntervalMs = 200;

} // namespace

// What the worker and the window's thread share; it outlives both sides of a question,
// because a question's answer may arrive after the job is gone.
struct JobContext::Shared {
    std::mutex mutex;
    std::condition_variable changed;
    CancelToken cancel;
    bool closing = false; // the job is being destroyed
    std::uint64_t lastQuestion = 0;
    std::uint64_t pending = 0; // the question the worker waits for; 0: none
    std::uint64_t answered = 0;
    int answer = 0;
    std::mutex askMutex; // one question at a time, whichever thread asks

    std::mutex progressMutex;
    JobProgress latest;
    bool progressDue = false;

    // Wakes a waiting worker after `cancel` or `closing` changed. Taking the mutex first
    // keeps the wake-up from slipping between the worker's test and its wait.
    void wake() {
        { std::lock_guard lock(mutex); }
        changed.notify_all();
    }
};

JobContext::JobContext(std::shared_ptr<Shared> shared, QObject* windowSide, JobQuestions questions)
    : m_shared(std::move(shared)), m_windowSide(windowSide), m_questions(std::move(questions)) {}

JobContext::~JobContext() = default;

const CancelToken& JobContext::cancelToken() const {
    return m_shared->cancel;
}

void JobContext::post(const JobProgress& progress) {
    std::lock_guard lock(m_shared->progressMutex);
    JobProgress& latest = m_shared->latest;
    if (!progress.statusText.isEmpty()) {
        latest.statusText = progress.statusText;
        latest.captionText = progress.captionText;
    }
    latest.value = progress.value;
    latest.maximum = progress.maximum;
    m_shared->progressDue = true;
}

void JobContext::progress(const ScanProgress& progress) {
    post({displayText(progress.statusText), displayText(progress.captionText), progress.processed,
          progress.total});
}

bool JobContext::confirmManyFiles(std::int32_t filesFound) {
    if (!m_questions.confirmManyFiles) {
        return true;
    }
    return ask([ask = m_questions.confirmManyFiles, filesFound] { return ask(filesFound) ? 1 : 0; },
               0) == 1;
}

ErrorAnswer JobContext::runtimeError(const RuntimeError& error) {
    if (!m_questions.runtimeError) {
        return ErrorAnswer::Abort;
    }
    const int answer = ask([ask = m_questions.runtimeError,
                            error] { return ask(error) == ErrorAnswer::Retry ? 1 : 0; },
                           0);
    return answer == 1 ? ErrorAnswer::Retry : ErrorAnswer::Abort;
}

int JobContext::ask(std::function<int()> question, int fallback) {
    Shared& shared = *m_shared;
    std::lock_guard oneAtATime(shared.askMutex);
    std::unique_lock lock(shared.mutex);
    if (shared.closing || shared.cancel.cancelled()) {
        return fallback;
    }
    const std::uint64_t id = ++shared.lastQuestion;
    shared.pending = id;
    lock.unlock();
    // The call is dropped if the window side is gone before it runs; the closing flag
    // has released the worker by then. It holds its own copies of everything it uses,
    // because the dialog it shows runs an event loop in which the job may be destroyed.
    QMetaObject::invokeMethod(
        m_windowSide,
        [state = m_shared, id, question = std::move(question)] {
            {
                std::lock_guard guard(state->mutex);
                if (state->pending != id) {
                    return; // withdrawn: the job was cancelled before the question was shown
                }
            }
            const int answer = question();
            std::lock_guard guard(state->mutex);
            if (state->pending == id) {
                state->answer = answer;
                state->answered = id;
            }
            state->changed.notify_all();
        },
        Qt::QueuedConnection);
    lock.lock();
    shared.changed.wait(lock, [&shared, id] {
        return shared.answered == id || shared.closing || shared.cancel.cancelled();
    });
    shared.pending = 0;
    // A cancel wins over an answer that came with it: a cancelled job does not go on.
    const bool answered = shared.answered == id && !shared.closing && !shared.cancel.cancelled();
    return answered ? shared.answer : fallback;
}

BackgroundJob::BackgroundJob(QObject* parent) : QObject(parent) {
    m_progressTimer.setInterval(kProgressIntervalMs);
    connect(&m_progressTimer, &QTimer::timeout, this, &BackgroundJob::deliverProgress);
}

BackgroundJob::~BackgroundJob() {
    if (m_thread) {
        m_shared->cancel.cancel();
        {
            std::lock_guard lock(m_shared->mutex);
            m_shared->closing = true;
        }
        m_shared->changed.notify_all();
        m_thread->wait();
        delete m_thread;
    }
}

bool BackgroundJob::run(Work work) {
    if (m_thread) {
        return false;
    }
    m_shared = std::make_shared<JobContext::Shared>();
    m_context = std::make_unique<JobContext>(m_shared, this, questions);
    m_failure.clear();
    m_thread = QThread::create([this, work = std::move(work), context = m_context.get()] {
        try {
            work(*context);
        } catch (const std::exception& e) {
            m_failure = QString::fromUtf8(e.what());
        } catch (...) {
            m_failure = QStringLiteral("Unknown failure");
        }
    });
    connect(m_thread, &QThread::finished, this, &BackgroundJob::threadFinished,
            Qt::QueuedConnection);
    m_thread->start();
    m_progressTimer.start();
    emit started();
    return true;
}

void BackgroundJob::cancel() {
    if (m_shared) {
        m_shared->cancel.cancel();
        m_shared->wake();
    }
}

void BackgroundJob::deliverProgress() {
    if (!m_shared) {
        return;
    }
    JobProgress latest;
    {
        std::lock_guard lock(m_shared->progressMutex);
        if (!m_shared->progressDue) {
            return;
        }
        m_shared->progressDue = false;
        latest = m_shared->latest;
    }
    emit progress(latest);
}

void BackgroundJob::threadFinished() {
    if (!m_thread) {
        return;
    }
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
    m_progressTimer.stop();
    deliverProgress();
    m_context.reset();
    const QString failure = std::exchange(m_failure, {});
    if (!failure.isEmpty()) {
        emit failed(failure);
    }
    emit finished();
}

} // namespace pw
