#pragma once
// The deletion dialog's work: the options and the deletion of one marked file per step.

#include "fileops/marked_files_run.h"

namespace pw {

struct DeleteOptions {
    bool removeEmptyFolders = true; // "Remove Empty Folders / Directories after process."
    bool toTrash = true;            // "Send to Recycle bin (recommended)"
    bool yesToAll = true;           // "Respond with "Yes to All" ..."
};

class DeleteRun : public MarkedFilesRun {
public:
    // `confirm` is asked before each file while yesToAll is off; YesToAll there turns it on
    // for the rest of the run, Cancel there cancels the run.
    DeleteRun(ResultTable& table, Shell& shell, Confirm confirm = {});

    // Read when the run starts; the dialog keeps them unchanged while it runs.
    DeleteOptions options;

    // OK in Ready: starts the run (progress maximum = the marked rows). False, and nothing
    // happens, in any other state.
    bool start();

private:
    void processRow(const ResultTableRow& row) override;
    bool removesEmptyFolders() const override { return m_running.removeEmptyFolders; }
    void finish() override;

    Shell& m_shell;
    Confirm m_confirm;
    DeleteOptions m_running;
};

// The loop the dialog runs, by its described name: start() then run().
void DeleteMarkedFiles(DeleteRun& run, const RunObserver& observer = {});

} // namespace pw
