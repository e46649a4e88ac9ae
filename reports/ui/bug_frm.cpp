#include "reports/ui/bug_frm.h"

#include "common/ui/center_form.h"
#include "common/ui/modal.h"
#include "common/ui/ui_text.h"
#include "reports/get_sys_info.h"
#include "reports/ui/report_context.h"
#include "reports/ui/report_mail_job.h"
#include "reports/ui/status_frame.h"
#include "settings/settings_table.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QVBoxLayout>

namespace pw {
namespace {

const QString kBuild = QStringLiteral("3005");

QLabel* label(QWidget* parent, const QString& name, const QString& text) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    return l;
}

QPushButton* button(QWidget* parent, const QString& name, const QString& text) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    return b;
}

} // namespace

BugFrm::BugFrm(const RuntimeError& error, QWidget* parent) : QDialog(parent), m_error(error) {
    setObjectName(QStringLiteral("BugFrm"));
    setWindowTitle(QStringLiteral("Bug Report(Build %1)").arg(kBuild));

    auto* layout = new QVBoxLayout(this);
    QLabel* heading = label(this, QStringLiteral("lblmsg1"),
                            QStringLiteral("Please tell Corvane about this problem."));
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    layout->addWidget(heading);
    QLabel* note = label(
        this, QStringLiteral("lblmsg2"),
        QStringLiteral("We are very sorry for the inconvenience and we would like to provide a fix "
                       "for this error. You may help us a great deal by reporting this error via "
                       "email. please fill the text box below and press the Send Error Report "
                       "button. Thanks for your time."));
    note->setWordWrap(true);
    layout->addWidget(note);

    // The failure's texts may carry a file name: shown, never taken back.
    auto* values = new QFormLayout;
    const auto addValue = [&](const QString& caption, const QString& name, const QString& text) {
        QLabel* value = label(this, name, text);
        value->setWordWrap(true);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        // A caption stays beside the first line of a value that wraps.
        auto* captionLabel = new QLabel(caption, this);
        captionLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        values->addRow(captionLabel, value);
    };
    addValue(QStringLiteral("Error No"), QStringLiteral("lblErrNo"), QString::number(error.number));
    addValue(QStringLiteral("Description"), QStringLiteral("lblErrDesc"),
             displayText(error.description));
    addValue(QStringLiteral("Procedure"), QStringLiteral("lblErrPro"),
             displayText(error.procedure));
    // The engine reports where a step failed by the file or folder it was working on.
    addValue(QStringLiteral("Error Line"), QStringLiteral("lblErrLine"), displayText(error.detail));
    layout->addLayout(values);

    m_account = new QPlainTextEdit(this);
    m_account->setObjectName(QStringLiteral("Text1"));
    m_account->setAccessibleName(QStringLiteral("What you were doing"));
    m_account->setPlainText(QStringLiteral(
        "< Please describe here what you were doing exactly when this error occurred >"));
    m_account->selectAll();
    layout->addWidget(m_account);

    // Room for every line of a delivered report without scrolling.
    const StatusFrame status = addStatusFrame(this, layout, 7);
    m_status = status.frame;
    m_statusBox = status.box;

    auto* buttons = new QHBoxLayout;
    m_retry = button(this, QStringLiteral("Command1"), QStringLiteral("Retry"));
    m_abort = button(this, QStringLiteral("Command2"), QStringLiteral("Abort"));
    m_send = button(this, QStringLiteral("Command3"), QStringLiteral("Send Error Report"));
    buttons->addWidget(m_send);
    buttons->addStretch();
    buttons->addWidget(m_retry);
    buttons->addWidget(m_abort);
    layout->addLayout(buttons);
    // The keyboard follows the row as it is drawn, not the order the buttons were made.
    setTabOrder(m_statusBox, m_send);
    setTabOrder(m_send, m_retry);
    setTabOrder(m_retry, m_abort);
    connect(m_retry, &QPushButton::clicked, this, [this] { done(kRetry); });
    connect(m_abort, &QPushButton::clicked, this, [this] { done(kAbort); });
    connect(m_send, &QPushButton::clicked, this, &BugFrm::sendErrorReport);

    m_mail = new ReportMailJob(this);
    connect(m_mail, &ReportMailJob::statusLine, this, &BugFrm::AppendStatus);
    connect(m_mail, &ReportMailJob::finished, this, &BugFrm::sendFinished);

    m_account->setFocus();
    setMinimumWidth(480);
    adjustSize();
}

void BugFrm::reject() {
    done(kAbort);
}

void BugFrm::AppendStatus(const QString& text) {
    m_statusBox->moveCursor(QTextCursor::End);
    m_statusBox->insertPlainText(text + QLatin1Char('\n'));
    m_statusBox->moveCursor(QTextCursor::End);
}

void BugFrm::sendErrorReport() {
    // Everything the message needs is read here; the worker composes it from copies.
    ErrorReport report{m_error, std::nullopt, typedText(m_account->toPlainText())};
    if (reportContext().mainWindow) {
        report.mainWindow = reportContext().mainWindow();
    }
    const std::string header = reportHeader(reportSettings());
    const ReportMailSettings target = loadReportMailSettings(reportSettings());

    for (QPushButton* button : {m_send, m_retry, m_abort}) {
        button->setEnabled(false);
    }
    m_statusBox->clear();
    m_status->show();
    m_mail->start(ReportKind::ErrorReport, target.mailHost, target.supportAddress,
                  [header, report = std::move(report)] {
                      return errorReportMessage(header, BuildSystemInfo(), report);
                  });
}

void BugFrm::sendFinished(MailOutcome outcome) {
    // One report per failure: the send button stays disabled once a report went out, and
    // comes back after an attempt that failed, as the status lines ask the user to try again.
    m_send->setEnabled(outcome != MailOutcome::Sent);
    m_retry->setEnabled(true);
    m_abort->setEnabled(true);
    // A window the user has closed meanwhile shows nothing more.
    if (outcome == MailOutcome::Sent && isVisible()) {
        const UserMessage received = reportReceivedMessage();
        showMessage(this, {displayText(received.title), displayText(received.text),
                           MessageIcon::None, MessageButtons::Ok, MessageAnswer::Ok});
        done(kAbort);
    }
}

ErrorAnswer ShowErrorReport(QWidget* parent, const RuntimeError& error) {
    BugFrm dialog(error, parent);
    CenterForm(&dialog);
    return runModal(dialog) == BugFrm::kRetry ? ErrorAnswer::Retry : ErrorAnswer::Abort;
}

} // namespace pw
