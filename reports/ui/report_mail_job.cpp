#include "reports/ui/report_mail_job.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThreadPool>
#include <mutex>
#include <utility>

namespace pw {
namespace {

// A pool of the application's own: its destruction, with the application's, waits for
// every send still under way, so no worker outlives the program's objects.
QThreadPool& mailPool() {
    static QThreadPool* pool = [] {
        auto* created = new QThreadPool(QCoreApplication::instance());
        created->setMaxThreadCount(4);
        return created;
    }();
    return *pool;
}

} // namespace

struct ReportMailJob::Shared {
    std::mutex mutex;
    ReportMailJob* owner = nullptr; // null once the job is gone
    MailSession session;            // used by one worker at a time

    // Runs `call` on the job's thread unless the job is gone. The lock keeps the job from
    // going between the check and the posting; a posted call is dropped when its receiver
    // is destroyed before it runs.
    template <class Call>
    void post(Call call) {
        const std::lock_guard lock(mutex);
        if (owner != nullptr) {
            QMetaObject::invokeMethod(
                owner, [job = owner, call = std::move(call)] { call(job); }, Qt::QueuedConnection);
        }
    }
};

ReportMailJob::ReportMailJob(QObject* parent)
    : QObject(parent), m_shared(std::make_shared<Shared>()) {
    m_shared->owner = this;
    qRegisterMetaType<pw::MailOutcome>();
}

ReportMailJob::~ReportMailJob() {
    const std::lock_guard lock(m_shared->mutex);
    m_shared->owner = nullptr;
}

bool ReportMailJob::start(ReportKind kind, std::string mailHost, std::string supportAddress,
                          Compose compose) {
    if (m_running) {
        return false;
    }
    m_running = true;
    mailPool().start([shared = m_shared, kind, host = std::move(mailHost),
                      address = std::move(supportAddress), compose = std::move(compose)] {
        MailOutcome outcome = MailOutcome::OpenFailed;
        try {
            const StatusSink status = [&shared](const std::string& line) {
                shared->post([text = QString::fromStdString(line)](ReportMailJob* job) {
                    emit job->statusLine(text);
                });
            };
            outcome = shared->session.send({kind, host, address, compose()}, status);
        } catch (...) {
            // Out of memory while composing: the window gets its buttons back all the same.
        }
        shared->post([outcome](ReportMailJob* job) {
            job->m_running = false;
            emit job->finished(outcome);
        });
    });
    return true;
}

} // namespace pw
