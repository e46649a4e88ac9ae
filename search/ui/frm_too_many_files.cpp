#include "search/ui/frm_too_many_files.h"

#include "common/ui/center_form.h"
#include "common/ui/modal.h"
#include "search/scan.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace pw {
namespace {

QLabel* label(QWidget* parent, const QString& name, const QString& text) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setWordWrap(true);
    return l;
}

} // namespace

frmTooManyFiles::frmTooManyFiles(std::int32_t filesFound, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmTooManyFiles"));
    setWindowTitle(QStringLiteral("Warning"));

    auto* layout = new QVBoxLayout(this);
    QLabel* title =
        label(this, QStringLiteral("lblTitle"), QString::fromStdString(manyFilesTitle(filesFound)));
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    layout->addWidget(title);
    layout->addWidget(label(this, QStringLiteral("lblWarned"),
                            QStringLiteral("You are warned that it may resulted in errors.")));
    QLabel* heading =
        label(this, QStringLiteral("lblRecommendation"), QStringLiteral("Recommendation:"));
    heading->setFont(bold);
    layout->addWidget(heading);
    layout->addWidget(label(
        this, QStringLiteral("lblAdvice"),
        QStringLiteral("To reduce the number of files in a single search, you can set the min. "
                       "file size, say 10 KB, in the search path, so that small files are left "
                       "out of the search.")));
    layout->addWidget(label(this, QStringLiteral("lblContinue"),
                            QStringLiteral("To continue, click OK; to stop, click Cancel.")));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("Command2"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("Command1"));
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    setMinimumWidth(420);
    adjustSize();
}

bool askTooManyFiles(QWidget* parent, std::int32_t filesFound) {
    frmTooManyFiles dialog(filesFound, parent);
    CenterForm(&dialog);
    return runModal(dialog) == QDialog::Accepted;
}

} // namespace pw
