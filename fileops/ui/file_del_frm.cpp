#include "fileops/ui/file_del_frm.h"

#include "common/ui/common_dlg.h"
#include "common/ui/ui_text.h"
#include "fileops/confirm_question.h"
#include "fileops/ui/run_dialog_parts.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace pw {
fileDelFrm::fileDelFrm(ResultTable& table, Shell& shell, RecyclePreference preference,
                       int markedCount, QWidget* parent)
    : QDialog(parent), m_table(table),
      m_run(table, shell, [this](ShellOperation, const std::string& path) {
          return m_job.ask([this, path] { return askBeforeFile(path); });
      }) {
    setObjectName(QStringLiteral("fileDelFrm"));
    setWindowTitle(QStringLiteral("Deleting..."));

    auto* frame = new QGroupBox(QStringLiteral("Deletion Option "), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    m_chkEmptyFolders =
        namedCheckBox(frame, "chkEmptyFolders",
                      QStringLiteral("Remove Empty &Folders / Directories after process."), true);
    m_chkSentTo =
        namedCheckBox(frame, "chkSentTo", QStringLiteral("Send to Recycle bin (recommended)"),
                      sendsToRecycleBin(preference));
    m_chkRespond = namedCheckBox(
        frame, "chkRespond",
        QStringLiteral("Respond with \" &Yes to All \" for any dialog box that is displayed."),
        true);
    auto* options = new QVBoxLayout(frame);
    options->addWidget(m_chkEmptyFolders);
    options->addWidget(m_chkSentTo);
    options->addWidget(m_chkRespond);

    auto* warning = new QLabel(
        QStringLiteral("Warning! The files that you delete using this tool are entirely your "
                       "selection. Pairwell can only find duplicate copies of files, it can't tell "
                       "which one is the duplicate/unneeded. "),
        this);
    warning->setObjectName(QStringLiteral("Label2"));
    warning->setWordWrap(true);
    auto* count = new QLabel(QStringLiteral("Processing file "), this);
    count->setObjectName(QStringLiteral("lblDeleteCnt"));
    m_lblFileName = new QLabel(QStringLiteral("Progress.."), this);
    m_lblFileName->setObjectName(QStringLiteral("lblFileName"));
    m_lblFileName->setTextFormat(Qt::PlainText);
    // A long path is cut by the engine, never by widening the dialog.
    m_lblFileName->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_pBar = new QProgressBar(this);
    m_pBar->setObjectName(QStringLiteral("PBar"));
    m_pBar->setAccessibleName(QStringLiteral("Progress"));
    m_pBar->setRange(0, markedCount);
    m_pBar->setValue(0);
    m_errList = makeErrList(this);

    m_cmdOK = namedButton(this, "cmdOK", QStringLiteral("&OK"));
    m_cmdClose = namedButton(this, "cmdClose", QStringLiteral("&Close"));
    m_cmdSaveErr = namedButton(this, "cmdSaveErr", QStringLiteral("Save Err Log"));
    m_cmdSaveErr->setEnabled(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_cmdSaveErr);
    buttons->addStretch();
    buttons->addWidget(m_cmdOK);
    buttons->addWidget(m_cmdClose);

    auto* file = new QHBoxLayout;
    file->addWidget(count);
    file->addWidget(m_lblFileName, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addWidget(warning);
    layout->addLayout(file);
    layout->addWidget(m_pBar);
    layout->addWidget(m_errList, 1);
    layout->addLayout(buttons);
    resize(620, 460);

    connect(m_chkSentTo, &QCheckBox::clicked, this, &fileDelFrm::sentToClicked);
    connect(m_cmdOK, &QPushButton::clicked, this, &fileDelFrm::okClicked);
    connect(m_cmdClose, &QPushButton::clicked, this, &fileDelFrm::closeClicked);
    connect(m_cmdSaveErr, &QPushButton::clicked, this, &fileDelFrm::saveErrLog);
    connect(&m_job, &MarkedFilesJob::reported, this, &fileDelFrm::showReport);
    connect(&m_job, &MarkedFilesJob::finished, this, &fileDelFrm::runFinished);
}

fileDelFrm::~fileDelFrm() = default;

void fileDelFrm::showState(RunState state) {
    const bool running = state == RunState::Running;
    m_cmdOK->setText(state == RunState::Ready ? QStringLiteral("&OK") : QStringLiteral("&Cancel"));
    m_cmdOK->setEnabled(state == RunState::Ready || running);
    m_cmdClose->setText(state == RunState::Done ? QStringLiteral("&OK") : QStringLiteral("&Close"));
    m_cmdClose->setEnabled(state == RunState::Ready || state == RunState::Done);
    for (QCheckBox* option : {m_chkEmptyFolders, m_chkSentTo, m_chkRespond}) {
        option->setEnabled(!running);
    }
}

void fileDelFrm::showReport(const RunReport& report) {
    m_pBar->setRange(0, report.progress.maximum);
    m_pBar->setValue(report.progress.value);
    m_lblFileName->setText(displayText(report.progress.label));
    if (!report.newErrors.empty()) {
        m_errors.insert(m_errors.end(), report.newErrors.begin(), report.newErrors.end());
        appendErrorRows(m_errList, report.newErrors);
        m_cmdSaveErr->setEnabled(true);
    }
}

void fileDelFrm::reject() {
    if (!m_job.isRunning()) {
        closeClicked();
    }
}

void fileDelFrm::okClicked() {
    if (m_run.state() == RunState::Ready) {
        m_toTrash = m_chkSentTo->isChecked();
        m_run.options = {m_chkEmptyFolders->isChecked(), m_toTrash, m_chkRespond->isChecked()};
        m_run.start();
        m_job.start(m_run);
    } else {
        m_run.requestCancel();
    }
    // Until the worker has ended the dialog shows no Done, so it cannot close under it.
    const RunState state = m_run.state();
    showState(state == RunState::Done ? RunState::Cancelling : state);
}

void fileDelFrm::closeClicked() {
    if (m_job.isRunning()) {
        return;
    }
    done(Accepted);
}

void fileDelFrm::sentToClicked(bool checked) {
    if (!checked) {
        m_chkSentTo->setChecked(confirmRecycleBinUnchecked([this](const UserMessage& question) {
            return askYesNo(this, question, MessageIcon::None);
        }));
    }
}

void fileDelFrm::saveErrLog() {
    const std::string path = ShowSaveFileDialog(
        this, "Error Logs|*.log", proposedErrorLogName(localNow()), QStringLiteral("Error Logs"));
    if (path.empty()) {
        return;
    }
    const std::string failure = writeErrorLog(path, m_errors, localNow(), m_table);
    if (!failure.empty()) {
        showUserMessage(this, {failure, "Error"}, MessageIcon::Critical);
    }
}

void fileDelFrm::runFinished() {
    showState(m_run.state());
    emit runCompleted();
}

ConfirmAnswer fileDelFrm::askBeforeFile(const std::string& path) {
    return askFileQuestion(this, fileConfirmQuestion(ShellOperation::Delete, path, m_toTrash));
}

} // namespace pw
