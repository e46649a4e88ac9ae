#include "session/ui/save_frm.h"

#include "common/ui/center_form.h"
#include "common/ui/common_dlg.h"
#include "common/ui/modal.h"
#include "common/ui/ui_text.h"
#include "settings/settings_table.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QThread>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>

namespace pw {
namespace {

constexpr std::string_view kSessionFilter = "Pairwell(*.pwf)|*.pwf";
const QColor kMissingPathColour(255, 192, 192);

template <class Widget>
Widget* named(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLabel* note(const QString& text) {
    auto* label = new QLabel(text);
    label->setWordWrap(true);
    return label;
}

int progressInt(std::int64_t value) {
    return static_cast<int>(std::clamp<std::int64_t>(value, 0, INT_MAX));
}

void showProgress(QProgressBar* bar, const SessionProgress& progress) {
    if (progress.maximum > 0 && bar->maximum() != progressInt(progress.maximum)) {
        bar->setRange(0, progressInt(progress.maximum));
    }
    bar->setValue(std::min(progressInt(progress.value), bar->maximum()));
}

} // namespace

SaveFrm::SaveFrm(SettingsStore& store, QWidget* parent)
    : QDialog(parent), m_store(store), m_txtPath(named(new QLineEdit, "txtPath")),
      m_cmdAdd(named(new QPushButton(QStringLiteral("...")), "cmdAdd")),
      m_command1(named(new QPushButton, "Command1")),
      m_command2(named(new QPushButton(QStringLiteral("Cancel")), "Command2")),
      m_pr(named(new QProgressBar, "pr")),
      m_chkClose(
          named(new QCheckBox(QStringLiteral("Close these dialog after completion")), "chkClose")),
      m_saveFrame(named(new QGroupBox, "SaveFrame")),
      m_opt1(named(new QRadioButton(QStringLiteral("Save parematers only")), "opt1")),
      m_opt2(named(new QRadioButton(QStringLiteral("Save search parameters and result.")), "opt2")),
      m_openFrame(named(new QGroupBox, "OpenFrame")),
      m_reScanc(
          named(new QCheckBox(QStringLiteral(
                    "Re-Scan (Search again for duplicates using byte by byte search engine)")),
                "ReScanc")),
      m_reCheckc(named(new QCheckBox(QStringLiteral("Check for invalid/dead path")), "ReCheckc")) {
    setObjectName(QStringLiteral("SaveFrm"));

    auto* saveLayout = new QVBoxLayout(m_saveFrame);
    saveLayout->addWidget(note(QStringLiteral(
        "You can save search session for later review. This is very useful when you deal with "
        "huge number of files.")));
    saveLayout->addWidget(m_opt1);
    saveLayout->addWidget(m_opt2);
    m_opt2->setChecked(true);

    auto* openLayout = new QVBoxLayout(m_openFrame);
    openLayout->addWidget(
        note(QStringLiteral("Please select the file and desire options and click open to load.")));
    openLayout->addWidget(m_reScanc);
    openLayout->addWidget(m_reCheckc);

    auto* pathLabel = named(new QLabel(QStringLiteral("Path ")), "lblPath");
    pathLabel->setBuddy(m_txtPath);
    m_cmdAdd->setToolTip(QStringLiteral("Browse"));
    m_cmdAdd->setAccessibleName(QStringLiteral("Browse"));
    m_pr->setAccessibleName(QStringLiteral("Progress"));
    m_cmdAdd->setFixedWidth(m_cmdAdd->fontMetrics().horizontalAdvance(QStringLiteral("....")) * 3);
    m_cmdAdd->setAutoDefault(false);
    m_command2->setAutoDefault(false);
    m_command1->setDefault(true);
    m_txtPath->setMinimumWidth(320);

    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(pathLabel);
    pathRow->addWidget(m_txtPath, 1);
    pathRow->addWidget(m_cmdAdd);

    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(m_chkClose);
    buttonRow->addStretch(1);
    buttonRow->addWidget(m_command1);
    buttonRow->addWidget(m_command2);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_saveFrame);
    layout->addWidget(m_openFrame);
    layout->addLayout(pathRow);
    layout->addWidget(m_pr);
    layout->addLayout(buttonRow);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // The controls were made before the layout placed them: the keyboard follows the
    // layout, top to bottom.
    QWidget* previous = m_opt1;
    for (QWidget* next :
         std::initializer_list<QWidget*>{m_opt2, m_reScanc, m_reCheckc, m_txtPath, m_cmdAdd,
                                         m_chkClose, m_command1, m_command2}) {
        setTabOrder(previous, next);
        previous = next;
    }

    m_pr->setRange(0, 1);
    m_pr->setValue(0);
    m_chkClose->setChecked(loadChkClose(m_store));

    connect(m_cmdAdd, &QPushButton::clicked, this, &SaveFrm::browse);
    connect(m_command1, &QPushButton::clicked, this, &SaveFrm::act);
    connect(m_command2, &QPushButton::clicked, this, &QDialog::reject);
    setMode(Mode::Save);
}

void SaveFrm::setMode(Mode mode) {
    m_mode = mode;
    const bool saving = mode == Mode::Save;
    m_saveFrame->setVisible(saving);
    m_openFrame->setVisible(!saving);
    m_command1->setText(saving ? QStringLiteral("&Save") : QStringLiteral("&Open"));
    setWindowTitle(saving ? QStringLiteral("Save Dialog") : QStringLiteral("Open Dialog"));
    m_chkClose->setEnabled(saving);
}

std::string SaveFrm::chosenPath() const {
    if (!m_browsedPath.empty() && m_txtPath->text() == displayText(m_browsedPath)) {
        return m_browsedPath;
    }
    return typedText(m_txtPath->text());
}

SessionProgressFn SaveFrm::progressCallback() {
    QPointer<QProgressBar> bar = m_pr;
    return [bar](const SessionProgress& progress) {
        if (!bar) {
            return;
        }
        if (QThread::currentThread() == bar->thread()) {
            showProgress(bar, progress);
            return;
        }
        // A save on a worker thread: the bar is moved on its own thread, and a bar that is
        // gone by then drops the call.
        QMetaObject::invokeMethod(
            bar, [bar, progress] { showProgress(bar, progress); }, Qt::QueuedConnection);
    };
}

void SaveFrm::done(int result) {
    saveChkClose(m_store, m_chkClose->isChecked());
    QDialog::done(result);
}

void SaveFrm::showEvent(QShowEvent* event) {
    if (!m_placed) {
        m_placed = true;
        adjustSize();
        CenterForm(this);
    }
    QDialog::showEvent(event);
}

void SaveFrm::browse() {
    m_browsedPath =
        m_mode == Mode::Save
            ? ShowSaveFileDialog(this, kSessionFilter, {}, QStringLiteral("Saving Location"))
            : ShowOpenFileDialog(this, kSessionFilter, {}, QStringLiteral("Open Location"));
    m_txtPath->setText(displayText(m_browsedPath));
}

void SaveFrm::act() {
    if (m_txtPath->text().trimmed().isEmpty()) {
        m_txtPath->setFocus();
        QPalette palette = m_txtPath->palette();
        palette.setColor(QPalette::Base, kMissingPathColour);
        m_txtPath->setPalette(palette);
        showMessage(this, {QStringLiteral("Error"), QStringLiteral("File name not specified."),
                           MessageIcon::None, MessageButtons::Ok, MessageAnswer::Ok});
        return;
    }
    m_command1->setEnabled(false);
    if (m_mode == Mode::Save) {
        save(chosenPath());
    } else {
        open(chosenPath());
    }
}

void SaveFrm::save(const std::string& path) {
    if (!onSave) {
        m_command1->setEnabled(true);
        return;
    }
    const SessionContent content =
        m_opt1->isChecked() ? SessionContent::ParametersOnly : SessionContent::ParametersAndResult;
    const FileWriteResult result = onSave(path, content, progressCallback());
    if (!result.ok) {
        showMessage(this, {displayText(result.title), displayText(result.message()),
                           MessageIcon::Critical, MessageButtons::Ok, MessageAnswer::Ok});
        // Nothing was written: the user may choose another file and try again.
        m_command1->setEnabled(true);
        return;
    }
    if (m_chkClose->isChecked()) {
        accept();
    }
}

void SaveFrm::open(const std::string& path) {
    if (onOpen) {
        onOpen(path, m_reScanc->isChecked(), m_reCheckc->isChecked());
    }
    accept();
}

} // namespace pw
