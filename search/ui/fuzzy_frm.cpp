#include "search/ui/fuzzy_frm.h"

#include "common/ui/center_form.h"
#include "common/ui/modal.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace pw {
namespace {

QLabel* label(QWidget* parent, const QString& name, const QString& text) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    return l;
}

} // namespace

FuzzyFrm::FuzzyFrm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FuzzyFrm"));
    setWindowTitle(QStringLiteral("Fuzzy  match"));

    auto* layout = new QVBoxLayout(this);
    QLabel* intro = label(
        this, QStringLiteral("lblIntro"),
        QStringLiteral("Fuzzy match tolerate files with little difference. File transmission "
                       "errors over network can be ignored in this mode. Files downloaded by P2P "
                       "program e.g. eMule/Kazaa may contain this kind of files. (see example "
                       "below)"));
    intro->setWordWrap(true);
    layout->addWidget(intro);

    // The two rows of the example, each followed by the block in which the files differ,
    // set apart in red.
    auto* example = new QGridLayout;
    QFont fixed = QFont(QStringLiteral("monospace"));
    fixed.setStyleHint(QFont::Monospace);
    const auto addRow = [&](int row, const QString& side, const QString& text,
                            const QString& diff) {
        QLabel* bits = label(this, QStringLiteral("lblFile") + side, text);
        bits->setFont(fixed);
        QLabel* apart = label(this, QStringLiteral("lblDiff") + side, diff);
        apart->setFont(fixed);
        apart->setStyleSheet(QStringLiteral("color: red"));
        example->addWidget(bits, row, 0);
        example->addWidget(apart, row, 1);
    };
    addRow(0, QStringLiteral("A"), QStringLiteral("File A: 1010101010111"), QStringLiteral("0"));
    addRow(1, QStringLiteral("B"), QStringLiteral("File B: 1010101010111"), QStringLiteral("1"));
    example->setColumnStretch(2, 1);
    layout->addLayout(example);

    layout->addWidget(label(
        this, QStringLiteral("lblIdentical"),
        QStringLiteral(
            "File A is identical to file B though there is little difference between them.")));
    QLabel* warning = label(this, QStringLiteral("lblWarning"),
                            QStringLiteral("PLEASE MAKE SURE FILES ARE IDENTICAL BEFORE DELETION"));
    QFont bold = warning->font();
    bold.setBold(true);
    warning->setFont(bold);
    layout->addWidget(warning);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("Command1"));
    ok->setDefault(true);
    buttons->addWidget(ok);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    setMinimumWidth(420);
    adjustSize();
}

void showFuzzyInfo(QWidget* parent) {
    FuzzyFrm dialog(parent);
    CenterForm(&dialog);
    runModal(dialog);
}

} // namespace pw
