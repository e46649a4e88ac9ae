#include "results/ui/adv_mark_frm.h"

#include "common/twips.h"
#include "common/ui/modal.h"
#include "common/ui/ui_text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace pw {
namespace {

constexpr double kFolderColumnTwips = 2540;

QComboBox* maskBox(const char* name, const std::vector<std::string>& masks, QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    box->setMinimumContentsLength(30);
    for (const std::string& mask : masks) {
        box->addItem(displayText(mask));
    }
    // The keyboard lands in the box's edit field, which the label does not reach.
    box->lineEdit()->setAccessibleName(QStringLiteral("File Mask"));
    return box;
}

QHBoxLayout* labelled(const QString& caption, QComboBox* box, QWidget* parent) {
    auto* label = new QLabel(caption, parent);
    label->setBuddy(box);
    auto* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(box, 1);
    return row;
}

// A box is left when the focus moves on inside the dialog; a message box taking the
// focus for a while does not count.
bool leftBox(const QEvent* event) {
    if (event->type() != QEvent::FocusOut) {
        return false;
    }
    const Qt::FocusReason reason = static_cast<const QFocusEvent*>(event)->reason();
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

template <std::size_t N>
void check(const std::array<QRadioButton*, N>& options, int index) {
    if (index >= 0 && static_cast<std::size_t>(index) < N) {
        options[static_cast<std::size_t>(index)]->setChecked(true);
    }
}

} // namespace

AdvMarkFrm::AdvMarkFrm(SettingsStore& store, ResultTable& table,
                       std::function<bool()> sameNameSearch, QWidget* parent)
    : QDialog(parent), m_store(store), m_table(table), m_sameNameSearch(std::move(sameNameSearch)),
      m_masks(LoadFileMaskList(store).masks) {
    setObjectName(QStringLiteral("AdvMarkFrm"));
    setWindowTitle(QStringLiteral("Advance Marking"));

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("TabStrip1"));
    m_tabs->setAccessibleName(QStringLiteral("Marking rules"));
    m_rangeTab = buildRangeTab();
    m_tabs->addTab(m_rangeTab, QStringLiteral("By Range"));
    m_tabs->addTab(buildFoldersTab(), QStringLiteral("By Folders"));

    auto* clear = new QPushButton(QStringLiteral("Clear all marks"), this);
    clear->setObjectName(QStringLiteral("cmdClearMarks"));
    clear->setAutoDefault(false);
    connect(clear, &QPushButton::clicked, this, &AdvMarkFrm::clearMarks);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("Command1"));
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &AdvMarkFrm::reject);
    auto* ok = new QPushButton(QStringLiteral("Mark"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &AdvMarkFrm::mark);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(clear);
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addLayout(buttons);

    connectRules();
    // Read once now as well: a window system that never makes the dialog active must
    // still show the stored choices.
    activate();
}

QGroupBox* AdvMarkFrm::ruleFrame(const char* name, const char* caption,
                                 const std::array<const char*, 3>& captions,
                                 std::array<QRadioButton*, 3>& options) {
    auto* frame = new QGroupBox(QString::fromLatin1(caption));
    frame->setObjectName(QLatin1String(name));
    auto* column = new QVBoxLayout(frame);
    for (std::size_t i = 0; i < options.size(); ++i) {
        options[i] = new QRadioButton(QString::fromLatin1(captions[i]), frame);
        column->addWidget(options[i]);
    }
    column->addStretch(1);
    return frame;
}

QWidget* AdvMarkFrm::buildRangeTab() {
    auto* tab = new QWidget;
    tab->setObjectName(QStringLiteral("frmtab1"));
    m_rangeMask = maskBox("cmbFileMask1", m_masks, tab);
    m_rangeMask->installEventFilter(this);

    QGroupBox* date = ruleFrame("fraDateTime", "Date Time",
                                {"None", "Keep Newer Files", "Keep Older Files"}, m_date);
    m_sizeFrame = ruleFrame("SizeRangeFrame", "File Size",
                            {"None", "Keep Larger Files", "Keep Smaller Files"}, m_size);
    QGroupBox* version =
        ruleFrame("fraVersion", "Version",
                  {"None", "Keep Newer Version Files", "Keep Older Version Files"}, m_version);
    const std::array<const char*, 3> dateNames{"optDateNone", "optDateNewer", "optDateOlder"};
    const std::array<const char*, 3> sizeNames{"optSizeNone", "optSizeLarger", "optSizeSmaller"};
    const std::array<const char*, 3> versionNames{"optVersionNone", "optVersionNewer",
                                                  "optVersionOlder"};
    for (std::size_t i = 0; i < 3; ++i) {
        m_date[i]->setObjectName(QLatin1String(dateNames[i]));
        m_size[i]->setObjectName(QLatin1String(sizeNames[i]));
        m_version[i]->setObjectName(QLatin1String(versionNames[i]));
    }

    auto* limit = new QGroupBox(QStringLiteral("Size Limit"), tab);
    limit->setObjectName(QStringLiteral("fraSizeLimit"));
    const std::array<const char*, 4> limitNames{"optSizeLimitNone", "optSizeLimitCD",
                                                "optSizeLimitDVD", "optSizeLimitSpecify"};
    const std::array<const char*, 4> limitCaptions{"None", "CD (700 MB)", "DVD (4.3 GB)",
                                                   "Specify :"};
    for (std::size_t i = 0; i < m_limit.size(); ++i) {
        m_limit[i] = new QRadioButton(QString::fromLatin1(limitCaptions[i]), limit);
        m_limit[i]->setObjectName(QLatin1String(limitNames[i]));
    }
    m_limitText = new QLineEdit(limit);
    m_limitText->setObjectName(QStringLiteral("txtSizeLimitSize"));
    m_limitText->setAccessibleName(QStringLiteral("Size Limit"));
    m_limitText->setMaximumWidth(100);
    m_limitText->setAlignment(Qt::AlignRight);
    m_limitUnit = new QComboBox(limit);
    m_limitUnit->setObjectName(QStringLiteral("cmbSizeLimitOptions"));
    m_limitUnit->setAccessibleName(QStringLiteral("Size Limit Unit"));
    m_limitUnit->addItems({QStringLiteral("KB"), QStringLiteral("MB"), QStringLiteral("GB")});
    auto* hint = new QLabel(QStringLiteral("This option is helpful when you want to make backup "
                                           "copies of Duplicate Files in a CD, DVD etc and have "
                                           "size limits."),
                            limit);
    hint->setWordWrap(true);
    auto* limitGrid = new QGridLayout(limit);
    limitGrid->addWidget(m_limit[0], 0, 0);
    limitGrid->addWidget(m_limit[1], 0, 1);
    limitGrid->addWidget(m_limit[2], 0, 2);
    auto* specify = new QHBoxLayout;
    specify->addWidget(m_limit[3]);
    specify->addWidget(m_limitText);
    specify->addWidget(m_limitUnit);
    specify->addStretch(1);
    limitGrid->addLayout(specify, 1, 0, 1, 3);
    limitGrid->addWidget(hint, 2, 0, 1, 3);

    auto* rules = new QHBoxLayout;
    rules->addWidget(date);
    rules->addWidget(m_sizeFrame);
    rules->addWidget(version);
    auto* layout = new QVBoxLayout(tab);
    layout->addLayout(labelled(QStringLiteral("File Mask :"), m_rangeMask, tab));
    layout->addLayout(rules);
    layout->addWidget(limit);
    return tab;
}

QWidget* AdvMarkFrm::buildFoldersTab() {
    auto* tab = new QWidget;
    tab->setObjectName(QStringLiteral("frmtab2"));
    m_folders = new QTreeWidget(tab);
    m_folders->setObjectName(QStringLiteral("lvFolders"));
    m_folders->setAccessibleName(QStringLiteral("Folders"));
    m_folders->setHeaderLabels({QStringLiteral("Folders")});
    m_folders->setRootIsDecorated(false);
    m_folders->setUniformRowHeights(true);
    m_folders->header()->setStretchLastSection(true);
    m_folders->setColumnWidth(0, twipsToPixels(kFolderColumnTwips, logicalDpiX()));

    auto* checkAll = new QPushButton(QStringLiteral("Check all"), tab);
    checkAll->setObjectName(QStringLiteral("cmdChkAll"));
    checkAll->setAutoDefault(false);
    auto* uncheckAll = new QPushButton(QStringLiteral("Uncheck all"), tab);
    uncheckAll->setObjectName(QStringLiteral("cmdUnChkAll"));
    uncheckAll->setAutoDefault(false);
    for (auto [button, checked] : {std::pair{checkAll, true}, std::pair{uncheckAll, false}}) {
        connect(button, &QPushButton::clicked, this, [this, checked] {
            setAllFolderLines(m_lines, checked);
            showFolderChecks();
        });
    }
    m_includeSubFolders = new QCheckBox(QStringLiteral("Include Sub-Folders"), tab);
    m_includeSubFolders->setObjectName(QStringLiteral("chkIncSubFolders"));
    m_folderMask = maskBox("cmbFileMask2", m_masks, tab);
    m_folderMask->installEventFilter(this);

    auto* side = new QVBoxLayout;
    side->addWidget(checkAll);
    side->addWidget(uncheckAll);
    side->addStretch(1);
    auto* top = new QHBoxLayout;
    top->addWidget(m_folders, 1);
    top->addLayout(side);
    auto* layout = new QVBoxLayout(tab);
    layout->addLayout(top, 1);
    layout->addWidget(m_includeSubFolders);
    layout->addLayout(labelled(QStringLiteral("File Mask :"), m_folderMask, tab));
    return tab;
}

void AdvMarkFrm::connectRules() {
    // A click chooses through the engine, which may select options of the other frames;
    // the controls then show the engine's state.
    const auto react = [this](QRadioButton* option, auto choose) {
        connect(option, &QRadioButton::clicked, this, [this, choose] {
            readControls();
            choose();
            showSettings();
        });
    };
    for (std::size_t i = 0; i < 3; ++i) {
        const int rule = static_cast<int>(i);
        react(m_date[i], [this, rule] { chooseDateRule(m_settings, static_cast<DateRule>(rule)); });
        react(m_size[i], [this, rule] { chooseSizeRule(m_settings, static_cast<SizeRule>(rule)); });
        react(m_version[i],
              [this, rule] { chooseVersionRule(m_settings, static_cast<VersionRule>(rule)); });
    }
    for (std::size_t i = 0; i < m_limit.size(); ++i) {
        react(m_limit[i], [this, i] {
            m_settings.sizeLimit = static_cast<SizeLimitChoice>(i);
            if (m_settings.sizeAmountEnabled()) {
                m_limitText->setFocus(Qt::OtherFocusReason);
            }
        });
    }
}

void AdvMarkFrm::setFolders(const std::vector<std::string>& folders) {
    m_lines = makeFolderLines(folders);
    m_folders->clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(m_lines.size()));
    for (const FolderLine& line : m_lines) {
        auto* item = new QTreeWidgetItem({displayText(line.text)});
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        items.push_back(item);
    }
    m_folders->addTopLevelItems(items);
    showFolderChecks();
}

void AdvMarkFrm::readFolderChecks() {
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        const QTreeWidgetItem* item = m_folders->topLevelItem(static_cast<int>(i));
        m_lines[i].checked = item->checkState(0) == Qt::Checked;
    }
}

void AdvMarkFrm::showFolderChecks() {
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        m_folders->topLevelItem(static_cast<int>(i))
            ->setCheckState(0, m_lines[i].checked ? Qt::Checked : Qt::Unchecked);
    }
}

bool AdvMarkFrm::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) {
        activate();
    } else if (event->type() == QEvent::WindowDeactivate) {
        deactivate();
    }
    return QDialog::event(event);
}

void AdvMarkFrm::hideEvent(QHideEvent* event) {
    // Hiding the dialog usually deactivates it too; where the window system does not say
    // so, the choices must still be kept.
    deactivate();
    QDialog::hideEvent(event);
}

void AdvMarkFrm::activate() {
    m_sizeFrame->setEnabled(m_sameNameSearch && m_sameNameSearch());
    m_settings = LoadAdvMarkingSettings(m_store);
    showSettings();
}

void AdvMarkFrm::deactivate() {
    readControls();
    SaveAdvMarkingSettings(m_store, m_settings);
}

void AdvMarkFrm::readControls() {
    m_settings.sizeText = typedText(m_limitText->text());
    m_settings.sizeUnit = typedText(m_limitUnit->currentText());
    m_settings.rangeMask = typedText(m_rangeMask->currentText());
    m_settings.includeSubFolders = m_includeSubFolders->isChecked();
    m_settings.folderMask = typedText(m_folderMask->currentText());
}

void AdvMarkFrm::showSettings() {
    check(m_date, static_cast<int>(m_settings.dateRule));
    check(m_size, static_cast<int>(m_settings.sizeRule));
    check(m_version, static_cast<int>(m_settings.versionRule));
    check(m_limit, static_cast<int>(m_settings.sizeLimit));
    m_limitText->setText(displayText(m_settings.sizeText));
    m_limitUnit->setCurrentIndex(m_limitUnit->findText(displayText(m_settings.sizeUnit)));
    m_limitText->setEnabled(m_settings.sizeAmountEnabled());
    m_limitUnit->setEnabled(m_settings.sizeAmountEnabled());
    m_rangeMask->setCurrentText(displayText(m_settings.rangeMask));
    m_includeSubFolders->setChecked(m_settings.includeSubFolders);
    m_folderMask->setCurrentText(displayText(m_settings.folderMask));
}

bool AdvMarkFrm::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == m_rangeMask || watched == m_folderMask) && leftBox(event)) {
        auto* box = static_cast<QComboBox*>(watched);
        box->setCurrentText(displayText(maskAfterEdit(typedText(box->currentText()))));
    }
    return QDialog::eventFilter(watched, event);
}

void AdvMarkFrm::mark() {
    readControls();
    MarkOutcome outcome;
    if (m_tabs->currentWidget() == m_rangeTab) {
        outcome = MarkByRange(m_table, m_settings);
    } else {
        readFolderChecks();
        outcome =
            MarkByFolders(m_table, m_lines, m_settings.includeSubFolders, m_settings.folderMask);
        showFolderChecks();
    }
    if (onTableChanged) {
        onTableChanged(outcome.totalsText);
    }
    if (outcome.message) {
        showMessage(this, {displayText(outcome.message->title), displayText(outcome.message->text),
                           MessageIcon::None, MessageButtons::Ok, MessageAnswer::Ok});
        m_limitText->setFocus(Qt::OtherFocusReason);
        return;
    }
    accept();
}

void AdvMarkFrm::clearMarks() {
    ClearAllMarks(m_table);
    if (onTableChanged) {
        onTableChanged(std::nullopt);
    }
}

} // namespace pw
