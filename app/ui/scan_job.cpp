#include "app/ui/scan_job.h"

#include "common/file_helpers.h"
#include "common/ui/ui_text.h"
#include "reports/ui/bug_frm.h"
#include "search/scan.h"
#include "search/ui/frm_too_many_files.h"

#include <QPointer>
#include <QWidget>
#include <utility>

namespace pw {

JobQuestions windowQuestions(QWidget* window) {
    // The window may be gone by the time a late question arrives: then the cautious
    // answers stand.
    const QPointer<QWidget> owner(window);
    JobQuestions questions;
    questions.confirmManyFiles = [owner](std::int32_t filesFound) {
        return owner && askTooManyFiles(owner, filesFound);
    };
    questions.runtimeError = [owner](const RuntimeError& error) {
        return owner ? ShowErrorReport(owner, error) : ErrorAnswer::Abort;
    };
    return questions;
}

ScanJob::ScanJob(QObject* parent) : QObject(parent) {
    connect(&m_job, &BackgroundJob::started, this, &ScanJob::started);
    connect(&m_job, &BackgroundJob::progress, this, &ScanJob::progress);
    connect(&m_job, &BackgroundJob::failed, this, [this](const QString& message) {
        m_result->outcome.totals.cancelled = true;
        emit failed(message);
    });
    connect(&m_job, &BackgroundJob::finished, this, [this] {
        std::shared_ptr<ScanJobResult> result = std::move(m_result);
        emit finished(std::move(result));
    });
}

bool ScanJob::start(ScanRequest request) {
    if (m_job.isRunning()) {
        return false;
    }
    m_result = std::make_shared<ScanJobResult>();
    m_job.questions = questions;
    // The worker holds the result too: a job destroyed while it runs frees its own
    // reference before the worker has stopped writing.
    return m_job.run([result = m_result, request = std::move(request)](JobContext& context) {
        ScanResult scan = StartScan(request, context, context.cancelToken());
        const TableProgress fillProgress = [&context](const std::string& text) {
            context.post({displayText(text), {}, 0, 0});
        };
        // The files are checked with lstat: a file replaced by a link since the scan
        // saw it is left out.
        result->outcome =
            LoadSearchResult(result->table, std::move(scan), FileExists, fillProgress);
    });
}

SessionLoadJob::SessionLoadJob(QObject* parent) : QObject(parent) {
    connect(&m_job, &BackgroundJob::started, this, &SessionLoadJob::started);
    connect(&m_job, &BackgroundJob::progress, this, &SessionLoadJob::progress);
    connect(&m_job, &BackgroundJob::failed, this, [this](const QString& message) {
        m_session->complete = false;
        m_session->damage = typedText(message);
        m_session->totals.cancelled = true;
        emit failed(message);
    });
    connect(&m_job, &BackgroundJob::finished, this, [this] {
        std::shared_ptr<LoadedSession> session = std::move(m_session);
        emit finished(std::move(session));
    });
}

bool SessionLoadJob::start(std::string fileName, bool reScan) {
    if (m_job.isRunning()) {
        return false;
    }
    m_session = std::make_shared<LoadedSession>();
    m_job.questions = questions;
    return m_job.run([session = m_session, fileName = std::move(fileName),
                      reScan](JobContext& context) {
        OpenOptions options;
        options.reScan = reScan;
        options.cancel = &context.cancelToken();
        options.observer = &context;
        options.progress = [&context](const SessionProgress& progress) {
            context.post({displayText(progress.statusText), {}, progress.value, progress.maximum});
        };
        options.fileExists = FileExists;
        *session = OpenPairwellFile(fileName, options);
    });
}

} // namespace pw
