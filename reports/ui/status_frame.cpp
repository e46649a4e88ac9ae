#include "reports/ui/status_frame.h"

#include <QVBoxLayout>

namespace pw {

StatusFrame addStatusFrame(QWidget* owner, QBoxLayout* layout, int lines) {
    StatusFrame status;
    status.frame = new QGroupBox(owner);
    status.frame->setObjectName(QStringLiteral("StatusFrame"));
    auto* frameLayout = new QVBoxLayout(status.frame);
    status.box = new QPlainTextEdit(status.frame);
    status.box->setObjectName(QStringLiteral("txtStatus"));
    status.box->setReadOnly(true);
    status.box->setAccessibleName(QStringLiteral("Sending Status"));
    status.box->setMinimumHeight(status.box->fontMetrics().lineSpacing() * lines);
    frameLayout->addWidget(status.box);
    status.frame->hide();
    layout->addWidget(status.frame);
    return status;
}

} // namespace pw
