#pragma once
// The error report window: what failed, where, and the user's choice between running the
// failed step again (Retry, result 1) and ending the procedure (Abort, result 2). Closing
// the window any other way answers Abort, so that nothing is retried without the user
// asking for it.
//
// "Send Error Report" mails the failure, the user's account and the main window's search
// state (from the report context) to the support address, once per window: the button
// stays disabled afterwards. The mail goes out on a worker thread; its status lines appear
// as each step ends, and Retry and Abort wait until the send has ended. A delivered report
// is confirmed in a message box and ends the window as Abort does.

#include "reports/report_mail.h"
#include "search/scan_observer.h"

#include <QDialog>

class QGroupBox;
class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace pw {

class ReportMailJob;

class BugFrm : public QDialog {
    Q_OBJECT

public:
    // The dialog's results.
    static constexpr int kRetry = 1;
    static constexpr int kAbort = 2;

    explicit BugFrm(const RuntimeError& error, QWidget* parent = nullptr);

    // Adds a line at the end of the status box and puts the caret after it.
    void AppendStatus(const QString& text);

public slots:
    // Escape and the close box end as Abort does, also while a report is being sent.
    void reject() override;

private:
    void sendErrorReport();
    void sendFinished(MailOutcome outcome);

    RuntimeError m_error;
    QPlainTextEdit* m_account = nullptr;
    QGroupBox* m_status = nullptr;
    QPlainTextEdit* m_statusBox = nullptr;
    QPushButton* m_retry = nullptr;
    QPushButton* m_abort = nullptr;
    QPushButton* m_send = nullptr;
    ReportMailJob* m_mail = nullptr;
};

// The general error handler: shows the report for `error` modally (through runModal),
// centred, and returns the user's choice.
ErrorAnswer ShowErrorReport(QWidget* parent, const RuntimeError& error);

} // namespace pw
