#pragma once
// The deletion dialog's work as an object the dialog drives: the options, the loop over
// the marked rows one file at a time, the error rows, and the removal of the folders the
// run left empty. The dialog calls start() from its OK button, then step() until it
// returns false (from a worker thread or a timer), or run() to do it all at once.
//
// Threading: requestCancel() and state() may be called from any thread; everything else
// from the one thread that drives the run. The result table must not change during a run.

#include "fileops/empty_folders.h"
#include "fileops/error_log.h"
#include "fileops/shell.h"
#include "results/result_table.h"

#include <atomic>
#include <functional>
#include <string>
#include <vector>

namespace pw {

// Ready: before OK. Running: the loop works. Cancelling: Cancel was pressed; the loop
// leaves at its next row and then completes as usual (the folder check still runs for the
// folders gathered so far). Done: the run has completed.
enum class RunState { Ready, Running, Cancelling, Done };

// The progress bar and the file-name label.
struct RunProgress {
    int value = 0;
    int maximum = 0;
    std::string label;
};

// The label for a file: the path whole up to 70 characters, else its first 70 characters
// followed by "..." (characters, not bytes, so a name is never cut inside one).
std::string progressLabel(const std::string& path);

inline constexpr const char* kCheckingFoldersLabel = "Checking for empty folders. Please wait...";
inline constexpr const char* kCompletedLabel = "Completed";

struct DeleteOptions {
    bool removeEmptyFolders = true; // "Remove Empty Folders / Directories after process."
    bool toTrash = true;            // "Send to Recycle bin (recommended)"
    bool yesToAll = true;           // "Respond with "Yes to All" ..."
};

class DeleteRun {
public:
    // `confirm` is asked before each file while yesToAll is off; YesToAll there turns it on
    // for the rest of the run, Cancel there cancels the run.
    DeleteRun(ResultTable& table, Shell& shell, Confirm confirm = {});

    // Read when the run starts; the dialog keeps them unchanged while it runs.
    DeleteOptions options;

    RunState state() const { return m_state.load(); }

    // OK in Ready: starts the run (progress maximum = the marked rows). False, and nothing
    // happens, in any other state.
    bool start();
    // Cancel while Running: the loop stops before its next file. Ignored otherwise.
    void requestCancel();

    // One marked file, or one folder of the folder check, or the completion. Returns false
    // once the run is Done (and before start()).
    bool step();
    // Steps until Done, reporting the progress after each step on the calling thread.
    void run(const std::function<void(const RunProgress&)>& progress = {});

    // What closing the dialog reports: true (cancelled, leave the list alone) unless the
    // run is Done. The dialog offers no way to close while Running or Cancelling.
    bool cancelled() const { return state() != RunState::Done; }

    const RunProgress& progress() const { return m_progress; }
    const std::vector<ErrorRow>& errors() const { return m_errors; }
    // The source folders met so far, in order of first insertion.
    const FoldersToCheck& foldersToCheck() const { return m_folders; }

private:
    void deleteRow(const ResultTableRow& row);
    void beginFolderCheck();
    void finish();

    ResultTable& m_table;
    Shell& m_shell;
    Confirm m_confirm;
    DeleteOptions m_running;
    std::atomic<RunState> m_state{RunState::Ready};
    std::atomic<bool> m_cancelRequested{false};
    RunProgress m_progress{0, 0, "Progress.."};
    std::vector<ErrorRow> m_errors;
    FoldersToCheck m_folders;
    int m_nextRow = 1; // 1-based position of the next row to look at
    bool m_checkingFolders = false;
    std::size_t m_nextFolder = 0;
};

// The loop the dialog runs, by its described name: start() then run().
void DeleteMarkedFiles(DeleteRun& run,
                       const std::function<void(const RunProgress&)>& progress = {});

} // namespace pw
