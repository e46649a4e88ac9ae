#pragma once
// The error report window: what failed, where, and the user's choice between running the
// failed step again (Retry, result 1) and ending the procedure (Abort, result 2). Closing
// the window any other way answers Abort, so that nothing is retried without the user
// asking for it. The send button is in place but stays disabled until the report mail
// can be sent from here.

#include "search/scan_observer.h"

#include <QDialog>

class QWidget;

namespace pw {

class BugFrm : public QDialog {
    Q_OBJECT

public:
    // The dialog's results.
    static constexpr int kRetry = 1;
    static constexpr int kAbort = 2;

    explicit BugFrm(const RuntimeError& error, QWidget* parent = nullptr);

public slots:
    // Escape and the close box end as Abort does.
    void reject() override;
};

// The general error handler: shows the report for `error` modally (through runModal),
// centred, and returns the user's choice.
ErrorAnswer ShowErrorReport(QWidget* parent, const RuntimeError& error);

} // namespace pw
