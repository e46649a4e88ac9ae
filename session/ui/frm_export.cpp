#include "session/ui/frm_export.h"

#include "common/ui/center_form.h"
#include "common/ui/common_dlg.h"
#include "common/ui/modal.h"
#include "common/ui/pictures.h"
#include "common/ui/ui_text.h"
#include "session/export_writers.h"
#include "settings/settings_table.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QThread>
#include <QVBoxLayout>
#include <algorithm>

namespace pw {
namespace {

const QColor kMissingPathColour(255, 192, 192);

template <class Widget>
Widget* named(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QRadioButton* option(const char* name, const char* caption) {
    return named(new QRadioButton(QString::fromLatin1(caption)), name);
}

void showError(QWidget* parent, const QString& title, const QString& text, MessageIcon icon) {
    showMessage(parent, {title, text, icon, MessageButtons::Ok, MessageAnswer::Ok});
}

// The index of the checked button of `options`, or -1.
int checkedIndex(std::initializer_list<const QRadioButton*> options) {
    int index = 0;
    for (const QRadioButton* button : options) {
        if (button->isChecked()) {
            return index;
        }
        ++index;
    }
    return -1;
}

} // namespace

frmExport::frmExport(SettingsStore& store, const ResultTable& table, ListState list,
                     QWidget* parent)
    : QDialog(parent), m_store(store), m_table(table), m_list(std::move(list)),
      m_f1(named(new QWidget, "f1")), m_f2(named(new QWidget, "F2")),
      m_optDeli(option("OptDeli", "Delimited Text File (for database or spreedsheets)")),
      m_optHtml(option("optHtml", "HTML (webpage)")),
      m_optMark(option("optMark", "Mark Files Only")),
      m_optAllFiles(option("optAllFiles", "All Files")),
      m_optSelected(option("optSelected", "Selected Files Only")),
      m_openafter(named(new QCheckBox(QStringLiteral("Open file after export")), "openafter")),
      m_txtPath(named(new QLineEdit, "txtPath")), m_cmdAdd(named(new QPushButton, "cmdAdd")),
      m_optTab(option("optTab", "TAB")), m_optComma(option("optComma", "Comma")),
      m_optSemi(option("optSemi", "Semi-colen")),
      m_optOther(option("optOther", "Other Character String")),
      m_txtOther(named(new QLineEdit, "txtOther")), m_webpage(option("webpage", "Webpage")),
      m_pb(named(new QProgressBar, "PB")),
      m_command1(named(new QPushButton(QStringLiteral("< Back")), "Command1")),
      m_command2(named(new QPushButton(QStringLiteral("Cancel")), "Command2")),
      m_btn(named(new QPushButton(QStringLiteral("Next >")), "btn")) {
    setObjectName(QStringLiteral("frmExport"));
    setWindowTitle(QStringLiteral("Export Wizard"));
    buildPage1();
    buildPage2();

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_command1);
    buttons->addWidget(m_command2);
    buttons->addWidget(m_btn);
    m_command1->setEnabled(false);
    for (QPushButton* button : {m_command1, m_command2, m_cmdAdd}) {
        button->setAutoDefault(false);
    }
    m_btn->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_f1);
    layout->addWidget(m_f2);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    m_f2->hide();

    connect(m_command1, &QPushButton::clicked, this, &frmExport::back);
    connect(m_command2, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_btn, &QPushButton::clicked, this,
            [this] { m_f1->isVisibleTo(this) ? next() : startExport(); });
    connect(m_cmdAdd, &QPushButton::clicked, this, &frmExport::browse);
    // Only the other delimiter takes the text box, whichever way it was chosen.
    connect(m_optOther, &QRadioButton::toggled, m_txtOther, &QWidget::setEnabled);
    loadChoices();
}

frmExport::~frmExport() {
    if (m_worker) {
        m_worker->wait();
    }
}

void frmExport::buildPage1() {
    auto* format = named(new QGroupBox(QStringLiteral("Export Format ")), "Frame4");
    auto* formatLayout = new QVBoxLayout(format);
    formatLayout->addWidget(m_optDeli);
    formatLayout->addWidget(m_optHtml);

    auto* rows = named(new QGroupBox(QStringLiteral("Files to export ")), "Frame3");
    auto* rowsLayout = new QVBoxLayout(rows);
    rowsLayout->addWidget(m_optMark);
    rowsLayout->addWidget(m_optAllFiles);
    rowsLayout->addWidget(m_optSelected);

    auto* layout = new QVBoxLayout(m_f1);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(format);
    layout->addWidget(rows);
    layout->addWidget(m_openafter);
}

void frmExport::buildPage2() {
    auto* output = named(new QGroupBox(QStringLiteral("Output File Name ")), "Frame5");
    auto* outputLayout = new QHBoxLayout(output);
    m_txtPath->setAccessibleName(QStringLiteral("Output File Name"));
    m_txtPath->setMinimumWidth(320);
    m_cmdAdd->setIcon(pictureIcon(Picture::Browse));
    m_cmdAdd->setToolTip(QStringLiteral("Browse"));
    m_cmdAdd->setAccessibleName(QStringLiteral("Browse"));
    outputLayout->addWidget(m_txtPath, 1);
    outputLayout->addWidget(m_cmdAdd);

    auto* delimiter = named(new QGroupBox(QStringLiteral("Field Delimeter ")), "Frame6");
    auto* fixed = new QHBoxLayout;
    fixed->addWidget(m_optTab);
    fixed->addWidget(m_optComma);
    fixed->addWidget(m_optSemi);
    fixed->addStretch(1);
    auto* other = new QHBoxLayout;
    other->addWidget(m_optOther);
    other->addWidget(m_txtOther, 1);
    auto* delimiterLayout = new QVBoxLayout(delimiter);
    delimiterLayout->addLayout(fixed);
    delimiterLayout->addLayout(other);
    delimiterLayout->addWidget(m_webpage);
    m_txtOther->setAccessibleName(QStringLiteral("Other Character String"));
    m_txtOther->setEnabled(false);

    auto* progressLabel = named(new QLabel(QStringLiteral("Progress....")), "Label1");
    m_pb->setAccessibleName(QStringLiteral("Progress"));
    m_pb->setRange(0, 1);
    m_pb->setValue(0);

    auto* layout = new QVBoxLayout(m_f2);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(output);
    layout->addWidget(delimiter);
    layout->addWidget(progressLabel);
    layout->addWidget(m_pb);
}

void frmExport::selectOnly(std::initializer_list<QRadioButton*> options, int index) {
    int at = 0;
    for (QRadioButton* button : options) {
        // An exclusive button cannot be unchecked by itself.
        button->setAutoExclusive(false);
        button->setChecked(at == index);
        button->setAutoExclusive(true);
        ++at;
    }
}

void frmExport::loadChoices() {
    const ExportChoices choices = loadExportChoices(m_store);
    // Stored 1 All Files, 2 Mark Files Only, 3 Selected Files Only.
    selectOnly({m_optAllFiles, m_optMark, m_optSelected}, choices.exportType.value_or(0) - 1);
    selectOnly({m_optHtml, m_optDeli}, choices.html ? 0 : 1);
    m_openafter->setChecked(choices.openFile);
}

void frmExport::saveChoices() {
    ExportChoices choices;
    const int type = checkedIndex({m_optAllFiles, m_optMark, m_optSelected});
    if (type >= 0) {
        choices.exportType = type + 1;
    }
    choices.html = m_optHtml->isChecked();
    const int delimiter = checkedIndex({m_optTab, m_optComma, m_optSemi, m_optOther});
    if (delimiter >= 0) {
        choices.exportChar = delimiter + 1;
    }
    choices.openFile = m_openafter->isChecked();
    saveExportChoices(m_store, choices);
}

void frmExport::done(int result) {
    if (exporting()) {
        return;
    }
    saveChoices();
    QDialog::done(result);
}

void frmExport::showEvent(QShowEvent* event) {
    if (!m_placed) {
        m_placed = true;
        adjustSize();
        CenterForm(this);
    }
    QDialog::showEvent(event);
}

void frmExport::next() {
    if (m_table.rowCount() == 0) {
        showError(this, QStringLiteral("Error"),
                  QStringLiteral("No duplicate file has been found!\nFirst you must perform a "
                                 "search and find at least one duplicate file."),
                  MessageIcon::Critical);
        return;
    }
    m_btn->setText(QStringLiteral("Export"));
    m_command1->setEnabled(true);
    m_f1->hide();
    m_f2->show();
    const bool html = m_optHtml->isChecked();
    for (QRadioButton* button : {m_optTab, m_optComma, m_optSemi, m_optOther}) {
        button->setEnabled(!html);
    }
    m_webpage->setEnabled(html);
    if (html) {
        selectOnly({m_webpage, m_optTab, m_optComma, m_optSemi, m_optOther}, 0);
    } else {
        // Read again: the stored delimiter, not the one chosen before "< Back".
        const std::optional<int> stored = loadExportChoices(m_store).exportChar;
        selectOnly({m_optTab, m_optComma, m_optSemi, m_optOther, m_webpage},
                   stored.value_or(0) - 1);
    }
}

void frmExport::back() {
    m_f2->hide();
    m_f1->show();
    m_btn->setEnabled(true);
    m_btn->setText(QStringLiteral("Next >"));
    m_command1->setEnabled(false);
}

void frmExport::browse() {
    m_browsedPath = m_webpage->isChecked()
                        ? ShowSaveFileDialog(this, "Webpage(*.htm)|*.htm", {},
                                             QStringLiteral("Export Location"))
                        : ShowSaveFileDialog(this, "Delimited Format(*.csv)|*.csv", {},
                                             QStringLiteral("Export Locations"));
    m_txtPath->setText(displayText(m_browsedPath));
}

std::string frmExport::chosenPath() const {
    if (!m_browsedPath.empty() && m_txtPath->text() == displayText(m_browsedPath)) {
        return m_browsedPath;
    }
    return typedText(m_txtPath->text());
}

void frmExport::startExport() {
    if (m_txtPath->text().trimmed().isEmpty()) {
        m_txtPath->setFocus();
        QPalette palette = m_txtPath->palette();
        palette.setColor(QPalette::Base, kMissingPathColour);
        m_txtPath->setPalette(palette);
        showError(this, QStringLiteral("Error"), QStringLiteral("Output filename not specified"),
                  MessageIcon::None);
        return;
    }
    m_btn->setEnabled(false);
    m_command1->setEnabled(false);
    m_command2->setEnabled(false);

    const std::string path = chosenPath();
    ExportSelection selection;
    if (m_optMark->isChecked()) {
        selection.rows = ExportRows::MarkFilesOnly;
    } else if (m_optSelected->isChecked()) {
        selection.rows = ExportRows::SelectedFilesOnly;
        selection.isSelected = [selected = m_list.selectedPositions](int position) {
            return std::binary_search(selected.begin(), selected.end(), position);
        };
    }
    const bool html = m_webpage->isChecked();
    const HtmlSummary summary{m_list.filesPanel, m_list.duplicatesPanel, todayShortDate()};
    const int delimiterChoice = checkedIndex({m_optTab, m_optComma, m_optSemi, m_optOther});
    const std::string delimiter =
        exportDelimiter(delimiterChoice >= 0 ? std::to_string(delimiterChoice + 1) : std::string(),
                        typedText(m_txtOther->text()));

    // The bar moves in thousandths, so that a list of millions of rows posts a thousand
    // updates, not one per row.
    const SessionProgressFn progress = [this, shown = -1](const SessionProgress& p) mutable {
        const auto maximum = std::max<std::int64_t>(p.maximum, 1);
        const int thousandths = static_cast<int>(p.value * 1000 / maximum);
        if (thousandths != shown) {
            shown = thousandths;
            QMetaObject::invokeMethod(
                this, [this, thousandths] { showProgress(thousandths, 1000); },
                Qt::QueuedConnection);
        }
    };
    m_worker = QThread::create([this, path, selection, html, summary, delimiter, progress] {
        const FileWriteResult result =
            html ? ExportHtml(path, m_table, selection, summary, progress)
                 : ExportDelimited(path, m_table, selection, delimiter, progress);
        QMetaObject::invokeMethod(
            this, [this, result, path] { exportDone(result, path); }, Qt::QueuedConnection);
    });
    m_worker->start();
}

void frmExport::showProgress(int value, int maximum) {
    m_pb->setRange(0, maximum);
    m_pb->setValue(value);
}

void frmExport::exportDone(const FileWriteResult& result, const std::string& path) {
    m_worker->wait();
    delete m_worker;
    m_worker = nullptr;
    m_command1->setEnabled(true);
    m_command2->setEnabled(true);
    if (!result.ok) {
        showError(this, displayText(result.title), displayText(result.message()),
                  MessageIcon::Critical);
        // Nothing was written: another file name may be tried at once.
        m_btn->setEnabled(true);
        emit exportFinished(false);
        return;
    }
    if (onExported) {
        onExported();
    }
    if (m_openafter->isChecked() && onOpenFile) {
        onOpenFile(path);
    }
    emit exportFinished(true);
}

} // namespace pw
