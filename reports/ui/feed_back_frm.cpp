#include "reports/ui/feed_back_frm.h"

#include "common/ui/center_form.h"
#include "common/ui/modal.h"
#include "common/ui/ui_text.h"
#include "reports/get_sys_info.h"
#include "reports/report_text.h"
#include "reports/ui/report_mail_job.h"
#include "reports/ui/status_frame.h"
#include "settings/settings_table.h"

#include <QApplication>
#include <QButtonGroup>
#include <QFocusEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextCursor>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>

namespace pw {
namespace {

const QColor kChosenColour(0, 0, 255);
const QColor kPlainColour(0, 0, 0);

QLabel* label(QWidget* parent, const char* name, const QString& text, bool bold = false) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->setWordWrap(true);
    if (bold) {
        QFont font = l->font();
        font.setBold(true);
        l->setFont(font);
    }
    return l;
}

QPushButton* button(QWidget* parent, const char* name, const QString& text) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

} // namespace

FeedBackFrm::FeedBackFrm(SettingsStore& store, QWidget* parent) : QDialog(parent), m_store(store) {
    setObjectName(QStringLiteral("FeedBackFrm"));
    setWindowTitle(QStringLiteral("Please give us your feed back"));
    auto* layout = new QVBoxLayout(this);

    QLabel* thanks =
        label(this, "lblThanks", QStringLiteral("Thank you for trying Pairwell!"), true);
    QFont larger = thanks->font();
    larger.setPointSizeF(larger.pointSizeF() * 1.3);
    thanks->setFont(larger);
    layout->addWidget(thanks);
    layout->addWidget(
        label(this, "lblSurvey",
              QStringLiteral("Please help us by filling out this brief survey. It will only take a "
                             "second and will help us build better software for you and our other "
                             "customers.")));
    layout->addWidget(label(this, "lblOptional",
                            QStringLiteral("This is completely optional, and not required for "
                                           "uninstallation of the software.")));

    auto* reasons = new QGroupBox(this);
    reasons->setObjectName(QStringLiteral("fraReasons"));
    auto* reasonLayout = new QVBoxLayout(reasons);
    QLabel* question = label(reasons, "lblQuestion",
                             QStringLiteral("Why have you uninstalled Pairwell today?"), true);
    reasonLayout->addWidget(question);
    auto* group = new QButtonGroup(this);
    for (std::size_t i = 0; i < m_reasons.size(); ++i) {
        m_reasons[i] = new QRadioButton(displayText(kFeedbackReasons[i]), reasons);
        m_reasons[i]->setObjectName(QStringLiteral("Opt%1").arg(i));
        group->addButton(m_reasons[i], static_cast<int>(i));
        reasonLayout->addWidget(m_reasons[i]);
    }
    connect(group, &QButtonGroup::idClicked, this, &FeedBackFrm::chooseReason);
    m_priceLabel = label(reasons, "lblPrice",
                         QStringLiteral("Please tell us what will be the Best Price (in dollars)"));
    m_price = new QLineEdit(reasons);
    m_price->setObjectName(QStringLiteral("txtPrice"));
    m_priceLabel->setBuddy(m_price);
    m_price->installEventFilter(this);
    auto* priceRow = new QHBoxLayout;
    priceRow->addWidget(m_priceLabel, 1);
    priceRow->addWidget(m_price);
    reasonLayout->addLayout(priceRow);
    m_priceLabel->hide();
    m_price->hide();
    layout->addWidget(reasons);

    QLabel* elaborate =
        label(this, "lblDesc",
              QStringLiteral("Please take just a second or two to elaborate (optional)"));
    m_description = new QPlainTextEdit(this);
    m_description->setObjectName(QStringLiteral("txtDesc"));
    m_description->setTabChangesFocus(true);
    elaborate->setBuddy(m_description);
    layout->addWidget(elaborate);
    layout->addWidget(m_description, 1);

    auto* person = new QFormLayout;
    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("txtName"));
    m_email = new QLineEdit(this);
    m_email->setObjectName(QStringLiteral("txtEmail"));
    QLabel* nameLabel = label(this, "lblName", QStringLiteral("Your Name (Optional)"));
    QLabel* emailLabel = label(this, "lblEmail", QStringLiteral("Your Email (Optional)"));
    for (QLabel* caption : {nameLabel, emailLabel}) {
        caption->setWordWrap(false);
    }
    nameLabel->setBuddy(m_name);
    emailLabel->setBuddy(m_email);
    person->addRow(nameLabel, m_name);
    person->addRow(emailLabel, m_email);
    layout->addLayout(person);

    // Room for every line of a failed connection without scrolling.
    const StatusFrame status = addStatusFrame(this, layout, 8);
    m_status = status.frame;
    m_statusBox = status.box;

    auto* buttons = new QHBoxLayout;
    m_submit = button(this, "Command1", QStringLiteral("Submit and conitnue with Uninstallation"));
    m_ignore = button(this, "Command2", QStringLiteral("Ignore and continue with Uninstallation"));
    buttons->addStretch();
    buttons->addWidget(m_submit);
    buttons->addWidget(m_ignore);
    layout->addLayout(buttons);
    connect(m_submit, &QPushButton::clicked, this, &FeedBackFrm::submit);
    connect(m_ignore, &QPushButton::clicked, this, &FeedBackFrm::ignore);

    m_mail = new ReportMailJob(this);
    connect(m_mail, &ReportMailJob::statusLine, this, &FeedBackFrm::AppendStatus);
    connect(m_mail, &ReportMailJob::finished, this, &FeedBackFrm::submitFinished);

    chooseReason(-1);
    setMinimumWidth(520);
    adjustSize();
}

void FeedBackFrm::AppendStatus(const QString& text) {
    m_statusBox->moveCursor(QTextCursor::End);
    m_statusBox->insertPlainText(text + QLatin1Char('\n'));
    m_statusBox->moveCursor(QTextCursor::End);
}

void FeedBackFrm::chooseReason(int index) {
    for (std::size_t i = 0; i < m_reasons.size(); ++i) {
        const bool chosen = static_cast<int>(i) == index;
        QFont font = m_reasons[i]->font();
        font.setBold(chosen);
        m_reasons[i]->setFont(font);
        QPalette palette = m_reasons[i]->palette();
        palette.setColor(m_reasons[i]->foregroundRole(), chosen ? kChosenColour : kPlainColour);
        m_reasons[i]->setPalette(palette);
    }
    const bool askPrice = index == kPriceReason;
    m_priceLabel->setVisible(askPrice);
    m_price->setVisible(askPrice);
    if (askPrice) {
        m_price->setFocus(Qt::OtherFocusReason);
    }
}

int FeedBackFrm::chosenReason() const {
    for (std::size_t i = 0; i < m_reasons.size(); ++i) {
        if (m_reasons[i]->isChecked()) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool FeedBackFrm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_price && event->type() == QEvent::FocusOut) {
        // A message box or another window taking the focus for a while does not count.
        const Qt::FocusReason reason = static_cast<const QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            leavePriceBox(QApplication::focusWidget());
        }
    }
    return QDialog::eventFilter(watched, event);
}

void FeedBackFrm::leavePriceBox(const QWidget* next) {
    const bool priceMoot = next == m_ignore ||
                           (next != m_reasons[kPriceReason] &&
                            std::find(m_reasons.begin(), m_reasons.end(), next) != m_reasons.end());
    if (m_askingForPrice || priceMoot || !m_price->isVisible()) {
        return;
    }
    const std::optional<UserMessage> message = checkPrice(typedText(m_price->text()));
    if (!message) {
        return;
    }
    m_askingForPrice = true;
    showMessage(this, {displayText(message->title), displayText(message->text), MessageIcon::None,
                       MessageButtons::Ok, MessageAnswer::Ok});
    m_askingForPrice = false;
    m_price->setFocus(Qt::OtherFocusReason);
    // The box clears its selection when the focus-out that got here ends: select after it.
    QMetaObject::invokeMethod(m_price, &QLineEdit::selectAll, Qt::QueuedConnection);
}

void FeedBackFrm::submit() {
    const int reason = chosenReason();
    if (reason < 0) {
        showMessage(this,
                    {QStringLiteral("Choose atleast one option"),
                     QStringLiteral("Please tell us why have you uninstalled Pairwell today?"),
                     MessageIcon::None, MessageButtons::Ok, MessageAnswer::Ok});
        return;
    }
    // The worker composes the message from these copies.
    const Feedback feedback{reason, typedText(m_name->text()), typedText(m_email->text()),
                            typedText(m_price->text()), typedText(m_description->toPlainText())};
    const std::string header = reportHeader(m_store);
    const ReportMailSettings target = loadReportMailSettings(m_store);

    m_submit->setEnabled(false);
    m_ignore->setEnabled(false);
    m_statusBox->clear();
    m_status->show();
    m_mail->start(ReportKind::Feedback, target.mailHost, target.supportAddress, [header, feedback] {
        return feedbackMessage(header, BuildSystemInfo(), feedback);
    });
}

void FeedBackFrm::submitFinished(MailOutcome outcome) {
    m_submit->setEnabled(true);
    m_ignore->setEnabled(true);
    // The server answered: sent or refused, the survey has done what it could.
    if (outcome != MailOutcome::OpenFailed) {
        ignore();
    }
}

void FeedBackFrm::ignore() {
    QApplication::closeAllWindows();
}

int runSurvey(SettingsStore& store) {
    FeedBackFrm survey(store);
    CenterForm(&survey);
    survey.show();
    return QApplication::exec();
}

} // namespace pw
