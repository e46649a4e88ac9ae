#pragma once
// The uninstall survey: why the program is being removed, with an optional description,
// name, e-mail and, for the price reason, the best price; Submit mails the answers to the
// support address, Ignore ends the program.
//
// The chosen reason is drawn bold and blue, the others plain and black. The price label
// and box show only while the price reason is chosen; leaving the box for another control
// of the survey asks again while it is empty or holds characters (choosing another reason
// or Ignore makes the price moot and goes through). Submit without a reason only asks for
// one. While the mail is on its way both buttons wait; a failed connection gives them back
// with the status lines, any answer of the server ends the program as Ignore does.

#include "reports/report_mail.h"
#include "settings/settings_store.h"

#include <QDialog>
#include <array>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace pw {

class ReportMailJob;

class FeedBackFrm : public QDialog {
    Q_OBJECT

public:
    // `store` holds the install date and run count of the report header, the mail host
    // and the support address; it must outlive the window.
    explicit FeedBackFrm(SettingsStore& store, QWidget* parent = nullptr);

    // Adds a line at the end of the status box and puts the caret after it.
    void AppendStatus(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void chooseReason(int index);
    int chosenReason() const;
    // The price box has been left for `next`: while its price matters and is not a number,
    // shows the box's message and takes the focus back.
    void leavePriceBox(const QWidget* next);
    void submit();
    void submitFinished(MailOutcome outcome);
    // Closes every window of the program, which ends it.
    void ignore();

    SettingsStore& m_store;
    std::array<QRadioButton*, 8> m_reasons{};
    QLabel* m_priceLabel = nullptr;
    QLineEdit* m_price = nullptr;
    QPlainTextEdit* m_description = nullptr;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_email = nullptr;
    QGroupBox* m_status = nullptr;
    QPlainTextEdit* m_statusBox = nullptr;
    QPushButton* m_submit = nullptr;
    QPushButton* m_ignore = nullptr;
    ReportMailJob* m_mail = nullptr;
    bool m_askingForPrice = false;
};

// The program's survey start: shows the survey alone, centred, and runs the application's
// event loop until the survey has closed; returns the loop's exit code.
int runSurvey(SettingsStore& store);

} // namespace pw
