#pragma once
// The copy/move dialog, "Copy files to..." or "Move files to...": the destination box
// (editable during a run: each file goes to the folder the box names when its turn
// comes), the options, OK to start (then Cancel), the progress and the error list. The
// work is the engine's CopyMoveRun on a worker thread; states and closing as in the
// deletion dialog (file_del_frm.h).

#include "fileops/copy_move_loop.h"
#include "fileops/ui/marked_files_job.h"

#include <QDialog>
#include <QUrl>
#include <functional>
#include <string>

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTreeWidget;

namespace pw {

class FileCMFrm : public QDialog {
    Q_OBJECT

public:
    // Copies or moves the files of the marked rows of `table` through `shell` (both must
    // outlive the dialog) into `destination`, the folder chosen before; markedCount is
    // the progress bar's maximum before the run.
    FileCMFrm(ResultTable& table, Shell& shell, TransferMode mode, std::string destination,
              int markedCount, QWidget* parent = nullptr);
    ~FileCMFrm() override;

    // Opens the destination folder after a run when "Open destnation folder ..." is
    // checked; the program's assembly sets it. Its answer is not looked at.
    std::function<bool(const QUrl&)> m_openFolder;

    // As in the deletion dialog: true when closed before a run, false after one.
    bool Cancelled() const { return m_run.cancelled(); }
    RunState state() const { return m_run.state(); }

    // What the dialog shows of a run (see fileDelFrm).
    void showState(RunState state);
    void showReport(const RunReport& report);

public slots:
    // The close box and Escape.
    void reject() override;

signals:
    // A run has completed (the completion sound).
    void runCompleted();

private:
    // The folder the box names, as bytes: the chosen folder's own bytes while the box
    // shows it unchanged, so a name that is not valid UTF-8 is never re-encoded.
    std::string boxDestination() const;
    void browse();
    void okClicked();
    void runFinished();
    ConfirmAnswer askBeforeFile(const std::string& path);

    CopyMoveRun m_run;
    // After m_run: destroyed first, so that a worker still running ends before the run.
    MarkedFilesJob m_job;
    std::string m_chosen; // the folder last chosen with the folder picker, as bytes

    QLineEdit* m_txtPath = nullptr;
    QCheckBox* m_chkEmptyFolders = nullptr;
    QCheckBox* m_chk1 = nullptr;
    QCheckBox* m_chk2 = nullptr;
    QCheckBox* m_chk3 = nullptr;
    QLabel* m_lblFileName = nullptr;
    QProgressBar* m_pBar = nullptr;
    QTreeWidget* m_errList = nullptr;
    QPushButton* m_cmdOK = nullptr;
    QPushButton* m_cmdClose = nullptr;
};

} // namespace pw
