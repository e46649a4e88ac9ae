#include "fileops/ui/warning_frm.h"

#include "common/twips.h"
#include "common/ui/center_form.h"
#include "common/ui/modal.h"
#include "common/ui/ui_text.h"
#include "fileops/ui/run_dialog_parts.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <array>

namespace pw {
namespace {

constexpr int kRowColumn = 6;
// "File Name", "Size(Bytes)", "Last Modified.", "File Version", "Group", "Path".
constexpr std::array<int, 6> kColumnTwips{6174, 2117, 3528, 1764, 1764, 6174};

} // namespace

WarningFrm::WarningFrm(ResultTable& table, const std::vector<WarningLine>& lines,
                       std::function<void()> marksChanged, QWidget* parent)
    : QDialog(parent), m_table(table), m_marksChanged(std::move(marksChanged)) {
    setObjectName(QStringLiteral("WarningFrm"));
    setWindowTitle(QStringLiteral("Warning!"));

    auto* picture = new QLabel(this);
    picture->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(32, 32));
    auto* heading =
        new QLabel(QStringLiteral("Both original and duplicate files are marked "), this);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    auto* advice = new QLabel(
        QStringLiteral("It is highly recommended to keep at least one original file"), this);
    auto* texts = new QVBoxLayout;
    texts->addWidget(heading);
    texts->addWidget(advice);
    auto* top = new QHBoxLayout;
    top->addWidget(picture, 0, Qt::AlignTop);
    top->addLayout(texts, 1);

    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("WList"));
    m_list->setAccessibleName(QStringLiteral("Marked files of the group"));
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setHeaderLabels({QStringLiteral("File Name"), QStringLiteral("Size(Bytes)"),
                             QStringLiteral("Last Modified."), QStringLiteral("File Version"),
                             QStringLiteral("Group"), QStringLiteral("Path"),
                             QStringLiteral("Row")});
    m_list->headerItem()->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    const double dpi = logicalDpiX();
    for (std::size_t c = 0; c < kColumnTwips.size(); ++c) {
        m_list->setColumnWidth(static_cast<int>(c), twipsToPixels(kColumnTwips[c], dpi));
    }
    m_list->setColumnHidden(kRowColumn, true);
    for (const WarningLine& line : lines) {
        auto* item = new QTreeWidgetItem(
            m_list, {displayText(line.fileName), displayText(line.size), displayText(line.modified),
                     displayText(line.version), displayText(line.group), displayText(line.path),
                     QString::number(line.row)});
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, Qt::Checked);
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    }
    // Connected after the lines are in: filling the list changes no mark.
    connect(m_list, &QTreeWidget::itemChanged, this, &WarningFrm::lineChanged);

    QPushButton* keep = namedButton(this, "Command1", QStringLiteral("&Keep all original files"));
    keep->setToolTip(QStringLiteral("It will automatically keep one file in each group."));
    QPushButton* ignore = namedButton(this, "Command2", QStringLiteral("Ig&nore warnings"));
    ignore->setToolTip(
        QStringLiteral("Press these button if you want to ignore repeated warnings!"));
    QPushButton* goOn = namedButton(this, "Command3", QStringLiteral("&Continue"));
    connect(keep, &QPushButton::clicked, this, [this] { answer("1"); });
    connect(ignore, &QPushButton::clicked, this, [this] { answer("2"); });
    connect(goOn, &QPushButton::clicked, this, &WarningFrm::continueClicked);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(keep);
    buttons->addWidget(ignore);
    buttons->addWidget(goOn);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);
    resize(960, 320);
}

void WarningFrm::answer(const char* result) {
    m_result = result;
    accept();
}

void WarningFrm::continueClicked() {
    std::vector<bool> checked;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        checked.push_back(m_list->topLevelItem(i)->checkState(0) == Qt::Checked);
    }
    if (const auto question = warningContinueQuestion(checked)) {
        if (!askYesNo(this, *question, MessageIcon::Warning)) {
            return;
        }
    }
    answer("3");
}

void WarningFrm::lineChanged(QTreeWidgetItem* item, int column) {
    if (column != 0) {
        return;
    }
    applyWarningLineCheck(m_table, item->text(kRowColumn).toInt(),
                          item->checkState(0) == Qt::Checked);
    if (m_marksChanged) {
        m_marksChanged();
    }
}

std::string askWarningFrm(QWidget* parent, ResultTable& table,
                          const std::vector<WarningLine>& lines,
                          const std::function<void()>& marksChanged) {
    WarningFrm dialog(table, lines, marksChanged, parent);
    CenterForm(&dialog);
    runModal(dialog);
    return dialog.WarningResult();
}

} // namespace pw
