#include "fileops/ui/file_cm_frm.h"

#include "common/ui/common_dlg.h"
#include "common/ui/pictures.h"
#include "common/ui/ui_text.h"
#include "fileops/confirm_question.h"
#include "fileops/ui/run_dialog_parts.h"

#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace pw {
namespace {

// The box's background after OK found it blank; it stays so.
const QColor kMissingPathColour(255, 192, 192);

// `MoveFrame` or `CopyFrame`: the mode's picture and what to choose.
QFrame* modeFrame(QWidget* parent, const char* name, const char* labelName, Picture picture,
                  const QString& text) {
    auto* frame = new QFrame(parent);
    frame->setObjectName(QLatin1String(name));
    frame->setFrameShape(QFrame::StyledPanel);
    auto* icon = new QLabel(frame);
    icon->setPixmap(pictureIcon(picture).pixmap(32, 32));
    auto* label = new QLabel(text, frame);
    label->setObjectName(QLatin1String(labelName));
    label->setWordWrap(true);
    auto* layout = new QHBoxLayout(frame);
    layout->addWidget(icon);
    layout->addWidget(label, 1);
    return frame;
}

QString pickerTitle(TransferMode mode) {
    return mode == TransferMode::Move ? QStringLiteral("Move selected files to")
                                      : QStringLiteral("Copy selected files to");
}

} // namespace

FileCMFrm::FileCMFrm(ResultTable& table, Shell& shell, TransferMode mode, std::string destination,
                     int markedCount, QWidget* parent)
    : QDialog(parent), m_run(table, shell, mode, destination,
                             [this](ShellOperation, const std::string& path) {
                                 return m_job.ask([this, path] { return askBeforeFile(path); });
                             }),
      m_chosen(std::move(destination)) {
    setObjectName(QStringLiteral("FileCMFrm"));
    const bool move = mode == TransferMode::Move;
    setWindowTitle(move ? QStringLiteral("Move files to...") : QStringLiteral("Copy files to..."));

    QFrame* moveFrame = modeFrame(
        this, "MoveFrame", "Label3", Picture::Move,
        QStringLiteral(
            "Please select the folder, drive or network share where the files shall be move to."));
    QFrame* copyFrame = modeFrame(
        this, "CopyFrame", "Label1", Picture::Copy,
        QStringLiteral(
            "Please select the folder, drive or network share where the files shall be copy to."));
    moveFrame->setVisible(move);
    copyFrame->setVisible(!move);

    auto* pathLabel = new QLabel(QStringLiteral("Path "), this);
    pathLabel->setObjectName(QStringLiteral("Label2"));
    m_txtPath = new QLineEdit(displayText(m_chosen), this);
    m_txtPath->setObjectName(QStringLiteral("txtPath"));
    pathLabel->setBuddy(m_txtPath);
    auto* cmdAdd = new QToolButton(this);
    cmdAdd->setObjectName(QStringLiteral("cmdAdd"));
    cmdAdd->setIcon(pictureIcon(Picture::Browse));
    cmdAdd->setAccessibleName(QStringLiteral("Browse"));
    cmdAdd->setToolTip(pickerTitle(mode));
    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(pathLabel);
    pathRow->addWidget(m_txtPath, 1);
    pathRow->addWidget(cmdAdd);

    m_chkEmptyFolders =
        namedCheckBox(this, "chkEmptyFolders",
                      QStringLiteral("Remove Empty &Folders / Directories after process."), true);
    m_chkEmptyFolders->setEnabled(move);
    m_chk3 = namedCheckBox(
        this, "chk3", QStringLiteral("Open destnation folder after process completed."), false);
    m_chk1 = namedCheckBox(
        this, "chk1",
        QStringLiteral("Respond with \"Yes to All\" for any dialog box that is displayed."), true);
    m_chk2 = namedCheckBox(this, "chk2", QStringLiteral("Copy with directory structure."), false);

    m_pBar = new QProgressBar(this);
    m_pBar->setObjectName(QStringLiteral("PBar"));
    m_pBar->setAccessibleName(QStringLiteral("Progress"));
    m_pBar->setRange(0, markedCount);
    m_pBar->setValue(0);
    m_lblFileName = new QLabel(QStringLiteral("Progress"), this);
    m_lblFileName->setObjectName(QStringLiteral("lblFileName"));
    // A long path is cut by the engine, never by widening the dialog.
    m_lblFileName->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_errList = makeErrList(this);

    m_cmdOK = namedButton(this, "cmdOK", QStringLiteral("&OK"));
    m_cmdClose = namedButton(this, "cmdClose", QStringLiteral("&Close"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cmdOK);
    buttons->addWidget(m_cmdClose);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(moveFrame);
    layout->addWidget(copyFrame);
    layout->addLayout(pathRow);
    layout->addWidget(m_chkEmptyFolders);
    layout->addWidget(m_chk3);
    layout->addWidget(m_chk1);
    layout->addWidget(m_chk2);
    layout->addWidget(m_lblFileName);
    layout->addWidget(m_pBar);
    layout->addWidget(m_errList, 1);
    layout->addLayout(buttons);
    resize(600, 480);

    connect(cmdAdd, &QToolButton::clicked, this, &FileCMFrm::browse);
    // Safe during a run: the run reads the destination under its own lock.
    connect(m_txtPath, &QLineEdit::textChanged, this,
            [this] { m_run.setDestination(boxDestination()); });
    connect(m_cmdOK, &QPushButton::clicked, this, &FileCMFrm::okClicked);
    connect(m_cmdClose, &QPushButton::clicked, this, [this] {
        if (!m_job.isRunning()) {
            done(Accepted);
        }
    });
    connect(&m_job, &MarkedFilesJob::reported, this, &FileCMFrm::showReport);
    connect(&m_job, &MarkedFilesJob::finished, this, &FileCMFrm::runFinished);
}

FileCMFrm::~FileCMFrm() = default;

void FileCMFrm::showState(RunState state) {
    const bool running = state == RunState::Running;
    m_cmdOK->setText(state == RunState::Ready ? QStringLiteral("&OK") : QStringLiteral("&Cancel"));
    m_cmdOK->setEnabled(state == RunState::Ready || running);
    m_cmdClose->setText(state == RunState::Done ? QStringLiteral("&OK") : QStringLiteral("&Close"));
    m_cmdClose->setEnabled(state == RunState::Ready || state == RunState::Done);
    for (QCheckBox* option : {m_chk1, m_chk2, m_chk3}) {
        option->setEnabled(!running);
    }
}

void FileCMFrm::showReport(const RunReport& report) {
    m_pBar->setRange(0, report.progress.maximum);
    m_pBar->setValue(report.progress.value);
    m_lblFileName->setText(displayText(report.progress.label));
    appendErrorRows(m_errList, report.newErrors);
}

void FileCMFrm::reject() {
    if (!m_job.isRunning()) {
        done(Accepted);
    }
}

std::string FileCMFrm::boxDestination() const {
    const QString text = m_txtPath->text();
    return text == displayText(m_chosen) ? m_chosen : typedText(text);
}

void FileCMFrm::browse() {
    m_chosen = BrowseForFolder(this, pickerTitle(m_run.mode()), true);
    // A cancelled picker empties the box too.
    m_txtPath->setText(displayText(m_chosen));
}

void FileCMFrm::okClicked() {
    // Cancel works whatever the box holds; the box is checked only before a run.
    if (m_run.state() != RunState::Ready) {
        m_run.requestCancel();
        const RunState state = m_run.state();
        showState(state == RunState::Done ? RunState::Cancelling : state);
        return;
    }
    m_run.setDestination(boxDestination());
    m_run.options = {m_chkEmptyFolders->isChecked(), m_chk3->isChecked(), m_chk1->isChecked(),
                     m_chk2->isChecked()};
    if (const auto message = m_run.start()) {
        showUserMessage(this, *message, MessageIcon::Critical);
        m_txtPath->setFocus();
        QPalette palette = m_txtPath->palette();
        palette.setColor(QPalette::Base, kMissingPathColour);
        m_txtPath->setPalette(palette);
        return;
    }
    m_job.start(m_run);
    showState(RunState::Running);
}

void FileCMFrm::runFinished() {
    showState(m_run.state());
    emit runCompleted();
    if (m_run.openDestinationNow() && m_openFolder) {
        m_openFolder(fileUrl(m_run.destination()));
    }
}

ConfirmAnswer FileCMFrm::askBeforeFile(const std::string& path) {
    return askFileQuestion(this, fileConfirmQuestion(m_run.mode() == TransferMode::Move
                                                         ? ShellOperation::Move
                                                         : ShellOperation::Copy,
                                                     path, false));
}

} // namespace pw
