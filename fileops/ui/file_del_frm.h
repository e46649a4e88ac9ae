#pragma once
// The deletion dialog "Deleting...": its options, OK to start (then Cancel), the progress
// and file name, the error list growing as errors happen and "Save Err Log". The work is
// the engine's DeleteRun, driven on a worker thread; the dialog shows its reports.
//
// States (RunState): Ready, Running (OK reads "&Cancel", Close and the options disabled),
// Cancelling (the run leaves at its next file and completes as usual), Done (Close reads
// "&OK"). Closing through the close box or Escape acts as "&Close" when no run is going
// on and is refused while one is; so is "&Close" itself, which stays disabled until the
// run is Done, because the list can only be tidied once the run has ended.

#include "fileops/delete_loop.h"
#include "fileops/recycle_preference.h"
#include "fileops/ui/marked_files_job.h"

#include <QDialog>
#include <vector>

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTreeWidget;

namespace pw {

class fileDelFrm : public QDialog {
    Q_OBJECT

public:
    // Deletes the files of the marked rows of `table` through `shell`; both must outlive
    // the dialog. `preference` sets "Send to Recycle bin"; markedCount is the progress
    // bar's maximum before the run.
    fileDelFrm(ResultTable& table, Shell& shell, RecyclePreference preference, int markedCount,
               QWidget* parent = nullptr);
    ~fileDelFrm() override;

    // Read after the dialog closed: true when it closed before a run (nothing deleted,
    // the list is left alone), false after a run (the list is tidied).
    bool Cancelled() const { return m_run.cancelled(); }
    RunState state() const { return m_run.state(); }

    // What the dialog shows of a run: its controls in `state`, and a report's progress,
    // file name and new error rows. The worker's reports come through here; the window
    // catalog draws the states with them.
    void showState(RunState state);
    void showReport(const RunReport& report);

public slots:
    // The close box and Escape.
    void reject() override;

signals:
    // A run has completed (the completion sound).
    void runCompleted();

private:
    void okClicked();
    void closeClicked();
    void sentToClicked(bool checked);
    void saveErrLog();
    void runFinished();
    ConfirmAnswer askBeforeFile(const std::string& path);

    ResultTable& m_table;
    DeleteRun m_run;
    // After m_run: destroyed first, so that a worker still running ends before the run.
    MarkedFilesJob m_job;
    std::vector<ErrorRow> m_errors;
    bool m_toTrash = true;

    QCheckBox* m_chkEmptyFolders = nullptr;
    QCheckBox* m_chkSentTo = nullptr;
    QCheckBox* m_chkRespond = nullptr;
    QLabel* m_lblFileName = nullptr;
    QProgressBar* m_pBar = nullptr;
    QTreeWidget* m_errList = nullptr;
    QPushButton* m_cmdOK = nullptr;
    QPushButton* m_cmdClose = nullptr;
    QPushButton* m_cmdSaveErr = nullptr;
};

} // namespace pw
