#pragma once
// Mails one report at a time from a report window without blocking it: the message is
// composed and sent on a worker thread, while the window receives each status line and
// the outcome through queued signals.
//
// The job owns the window's MailSession, so the mail object lives from the first report
// until the job is destroyed. Destroying the job during a send leaves the worker to finish
// on its own (each step of the component ends within its time limit); the worker then
// releases the session, which closes the connection. Nothing reaches the destroyed window.
// The workers run in a pool that the application waits for when it ends.

#include "reports/report_mail.h"

#include <QMetaType>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <string>

namespace pw {

class ReportMailJob : public QObject {
    Q_OBJECT

public:
    // Builds the message on the worker thread (the system block may wait for a name
    // server); it must hold copies only, never the window's controls.
    using Compose = std::function<std::string()>;

    explicit ReportMailJob(QObject* parent = nullptr);
    ~ReportMailJob() override;

    // Starts mailing; false (and nothing happens) while a send is going on.
    bool start(ReportKind kind, std::string mailHost, std::string supportAddress, Compose compose);
    bool isRunning() const { return m_running; }

signals:
    void statusLine(const QString& line);
    // The send has ended; the job can start again.
    void finished(pw::MailOutcome outcome);

private:
    struct Shared;
    std::shared_ptr<Shared> m_shared;
    bool m_running = false;
};

} // namespace pw

Q_DECLARE_METATYPE(pw::MailOutcome)
