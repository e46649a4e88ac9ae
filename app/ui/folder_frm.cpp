#include "app/ui/folder_frm.h"

#include "common/ui/common_dlg.h"
#include "common/ui/modal.h"
#include "common/ui/pictures.h"
#include "common/ui/ui_text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace pw {
namespace {

QLabel* namedLabel(const QString& text, const char* name, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

void setBold(QWidget* widget, bool bold) {
    QFont font = widget->font();
    font.setBold(bold);
    widget->setFont(font);
}

// A box is left when the focus moves on inside the dialog; a message box or the picker
// taking the focus for a while does not count.
bool leftBox(const QEvent* event) {
    if (event->type() != QEvent::FocusOut) {
        return false;
    }
    const Qt::FocusReason reason = static_cast<const QFocusEvent*>(event)->reason();
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

} // namespace

FolderFrm::FolderFrm(SettingsStore& store, const std::optional<SearchPathEntry>& row,
                     QWidget* parent)
    : QDialog(parent), m_store(store), m_form(row ? folderFormForRow(*row) : newFolderForm(store)),
      m_masks(LoadFileMaskList(store).masks) {
    setObjectName(QStringLiteral("FolderFrm"));
    setWindowTitle(QStringLiteral("Add/Exclude Folders"));

    m_path = new QLineEdit(this);
    m_path->setObjectName(QStringLiteral("Text1"));
    m_path->setMinimumWidth(340);
    connect(m_path, &QLineEdit::textEdited, this, [this](const QString& text) {
        m_form.path = typedText(text);
        m_ok->setEnabled(okEnabled(m_form));
    });

    m_browse = new QPushButton(this);
    m_browse->setObjectName(QStringLiteral("Command2"));
    m_browse->setIcon(pictureIcon(Picture::Browse));
    m_browse->setToolTip(QStringLiteral("Browse"));
    m_browse->setAccessibleName(QStringLiteral("Browse"));
    m_browse->setAutoDefault(false);
    connect(m_browse, &QPushButton::clicked, this, &FolderFrm::browse);

    m_subFolders = new QCheckBox(QStringLiteral("Include Sub Folders"), this);
    m_subFolders->setObjectName(QStringLiteral("Check1"));
    m_exclude = new QCheckBox(QStringLiteral("Exclude Folder"), this);
    m_exclude->setObjectName(QStringLiteral("Check2"));
    connect(m_exclude, &QCheckBox::clicked, this, &FolderFrm::excludeClicked);

    m_mask = new QComboBox(this);
    m_mask->setObjectName(QStringLiteral("cmbFileMask"));
    m_mask->setEditable(true);
    m_mask->setInsertPolicy(QComboBox::NoInsert);
    m_mask->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_mask->setMinimumContentsLength(30);
    for (const std::string& mask : m_masks) {
        m_mask->addItem(displayText(mask));
    }
    m_mask->installEventFilter(this);

    m_min = new QLineEdit(QStringLiteral("10"), this);
    m_min->setObjectName(QStringLiteral("txtMin"));
    m_min->installEventFilter(this);
    m_max = new QLineEdit(this);
    m_max->setObjectName(QStringLiteral("txtMax"));
    m_max->installEventFilter(this);
    // The range's two boxes share one caption, so each says which end it holds.
    m_min->setAccessibleName(QStringLiteral("Minimum File Size (KB)"));
    m_max->setAccessibleName(QStringLiteral("Maximum File Size (KB)"));
    for (QLineEdit* box : {m_min, m_max}) {
        box->setMaximumWidth(90);
        box->setAlignment(Qt::AlignRight);
    }

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("cmdOK"));
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, &FolderFrm::accept);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("Command1"));
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &FolderFrm::reject);

    auto* grid = new QGridLayout;
    QLabel* pathLabel = namedLabel(QStringLiteral("Path :"), "lblPath", this);
    pathLabel->setBuddy(m_path);
    grid->addWidget(pathLabel, 0, 0);
    grid->addWidget(m_path, 0, 1);
    grid->addWidget(m_browse, 0, 2);
    auto* checks = new QHBoxLayout;
    checks->addWidget(m_subFolders);
    checks->addSpacing(24);
    checks->addWidget(m_exclude);
    checks->addStretch(1);
    grid->addLayout(checks, 1, 1, 1, 2);
    QLabel* maskLabel = namedLabel(QStringLiteral("File Mask(s)"), "lblFileMask", this);
    maskLabel->setBuddy(m_mask);
    // The keyboard lands in the box's edit field, which the label does not reach.
    m_mask->lineEdit()->setAccessibleName(maskLabel->text());
    grid->addWidget(maskLabel, 2, 0);
    grid->addWidget(m_mask, 2, 1, 1, 2);
    grid->addWidget(namedLabel(QStringLiteral("File Size in Range"), "lblSizeRange", this), 3, 0);
    auto* sizes = new QHBoxLayout;
    sizes->addWidget(m_min);
    sizes->addWidget(namedLabel(QStringLiteral("-"), "lblTo", this));
    sizes->addWidget(m_max);
    sizes->addWidget(namedLabel(QStringLiteral("KB"), "lblKB", this));
    sizes->addStretch(1);
    grid->addLayout(sizes, 3, 1, 1, 2);
    grid->setColumnStretch(1, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(6);
    layout->addLayout(buttons);

    m_path->setText(displayText(m_form.path));
    showForm();
    m_ok->setEnabled(okEnabled(m_form));
}

void FolderFrm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_activated) {
        m_activated = true;
        // After the dialog is on the screen, so that the picker opens over it.
        QTimer::singleShot(0, this, &FolderFrm::activate);
    }
}

void FolderFrm::activate() {
    if (okEnabled(m_form)) {
        return;
    }
    browse();
}

void FolderFrm::browse() {
    m_form.path = BrowseForFolder(this, QStringLiteral("Choose Folder to Search"), false);
    m_path->setText(displayText(m_form.path));
    m_ok->setEnabled(okEnabled(m_form));
}

void FolderFrm::excludeClicked(bool checked) {
    readControls();
    setExclude(m_form, checked);
    showForm();
}

void FolderFrm::readControls() {
    m_form.mask = typedText(m_mask->currentText());
    m_form.minText = typedText(m_min->text());
    m_form.maxText = typedText(m_max->text());
    if (m_form.optionsEnabled()) {
        m_form.includeSubFolders = m_subFolders->isChecked();
    }
}

void FolderFrm::showForm() {
    m_mask->setCurrentText(displayText(m_form.mask));
    m_min->setText(displayText(m_form.minText));
    m_max->setText(displayText(m_form.maxText));
    m_subFolders->setChecked(m_form.includeSubFolders);
    m_exclude->setChecked(m_form.exclude);
    setBold(m_exclude, m_form.exclude);
    const bool enabled = m_form.optionsEnabled();
    for (QWidget* option : {static_cast<QWidget*>(m_subFolders), static_cast<QWidget*>(m_mask),
                            static_cast<QWidget*>(m_min), static_cast<QWidget*>(m_max)}) {
        option->setEnabled(enabled);
    }
}

bool FolderFrm::eventFilter(QObject* watched, QEvent* event) {
    if (leftBox(event)) {
        if (watched == m_min) {
            readControls();
            leaveMinBox(m_form);
            m_min->setText(displayText(m_form.minText));
        } else if (watched == m_max) {
            readControls();
            const std::optional<UserMessage> message = leaveMaxBox(m_form);
            m_max->setText(displayText(m_form.maxText));
            if (message) {
                showMessage(this, {displayText(message->title), displayText(message->text),
                                   MessageIcon::None, MessageButtons::Ok, MessageAnswer::Ok});
                m_max->setFocus(Qt::OtherFocusReason);
            }
        } else if (watched == m_mask) {
            leaveMaskBox();
        }
    }
    return QDialog::eventFilter(watched, event);
}

void FolderFrm::leaveMaskBox() {
    const std::string text = typedText(m_mask->currentText());
    if (updateMaskList(m_store, m_masks, text)) {
        m_mask->addItem(displayText(text));
    }
}

void FolderFrm::accept() {
    readControls();
    const std::size_t masksBefore = m_masks.size();
    const SearchPathEntry entry = acceptFolderForm(m_form, m_masks, m_store);
    for (std::size_t i = masksBefore; i < m_masks.size(); ++i) {
        m_mask->addItem(displayText(m_masks[i]));
    }
    showForm();
    if (okEnabled(m_form)) {
        m_entry = entry;
    }
    QDialog::accept();
}

std::optional<SearchPathEntry>
runFolderFrm(SettingsStore& store, const std::optional<SearchPathEntry>& row, QWidget* parent) {
    FolderFrm dialog(store, row, parent);
    if (runModal(dialog) != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.entry();
}

} // namespace pw
