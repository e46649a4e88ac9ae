#include "reports/ui/bug_frm.h"

#include "common/ui/center_form.h"
#include "common/ui/modal.h"
#include "common/ui/ui_text.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
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

BugFrm::BugFrm(const RuntimeError& error, QWidget* parent) : QDialog(parent) {
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

    auto* account = new QPlainTextEdit(this);
    account->setObjectName(QStringLiteral("Text1"));
    account->setAccessibleName(QStringLiteral("What you were doing"));
    account->setPlainText(QStringLiteral(
        "< Please describe here what you were doing exactly when this error occurred >"));
    account->selectAll();
    layout->addWidget(account);

    auto* status = new QGroupBox(this);
    status->setObjectName(QStringLiteral("StatusFrame"));
    auto* statusLayout = new QVBoxLayout(status);
    auto* statusBox = new QPlainTextEdit(status);
    statusBox->setObjectName(QStringLiteral("txtStatus"));
    statusBox->setReadOnly(true);
    statusBox->setAccessibleName(QStringLiteral("Sending Status"));
    statusLayout->addWidget(statusBox);
    status->hide();
    layout->addWidget(status);

    auto* buttons = new QHBoxLayout;
    QPushButton* retry = button(this, QStringLiteral("Command1"), QStringLiteral("Retry"));
    QPushButton* abort = button(this, QStringLiteral("Command2"), QStringLiteral("Abort"));
    QPushButton* send =
        button(this, QStringLiteral("Command3"), QStringLiteral("Send Error Report"));
    send->setEnabled(false);
    buttons->addWidget(send);
    buttons->addStretch();
    buttons->addWidget(retry);
    buttons->addWidget(abort);
    layout->addLayout(buttons);
    // The keyboard follows the row as it is drawn, not the order the buttons were made.
    setTabOrder(statusBox, send);
    setTabOrder(send, retry);
    setTabOrder(retry, abort);
    connect(retry, &QPushButton::clicked, this, [this] { done(kRetry); });
    connect(abort, &QPushButton::clicked, this, [this] { done(kAbort); });

    account->setFocus();
    setMinimumWidth(480);
    adjustSize();
}

void BugFrm::reject() {
    done(kAbort);
}

ErrorAnswer ShowErrorReport(QWidget* parent, const RuntimeError& error) {
    BugFrm dialog(error, parent);
    CenterForm(&dialog);
    return runModal(dialog) == BugFrm::kRetry ? ErrorAnswer::Retry : ErrorAnswer::Abort;
}

} // namespace pw
