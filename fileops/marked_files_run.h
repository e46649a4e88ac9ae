#pragma once
// What the deletion and the copy/move dialogs drive: a run over the marked rows, one file
// per step, then the removal of the folders the run left empty, with Ready, Running,
// Cancelling and Done states, progress, cancel and the error rows. The dialogs call
// start() from their OK button, then step() until it returns false (from a worker thread
// or a timer), or run() to do it all at once.
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

class MarkedFilesRun {
public:
    virtual ~MarkedFilesRun() = default;
    MarkedFilesRun(const MarkedFilesRun&) = delete;
    MarkedFilesRun& operator=(const MarkedFilesRun&) = delete;

    RunState state() const { return m_state.load(); }

    // Cancel while Running: the loop stops before its next file. Ignored otherwise.
    void requestCancel();

    // One marked file, or one folder of the folder check, or the completion. Returns false
    // once the run is Done (and before it started).
    bool step();

    // Steps until Done, reporting the progress after each step on the calling thread.
    void run(const std::function<void(const RunProgress&)>& progress = {});

    // What closing the dialog reports: true (cancelled, leave the list alone) unless the
    // run is Done. The dialogs offer no way to close while Running or Cancelling.
    bool cancelled() const { return state() != RunState::Done; }

    const RunProgress& progress() const { return m_progress; }
    const std::vector<ErrorRow>& errors() const { return m_errors; }
    // The source folders met so far, in order of first insertion.
    const FoldersToCheck& foldersToCheck() const { return m_folders; }

protected:
    MarkedFilesRun(ResultTable& table, std::string initialLabel);

    // Ready to Running, the progress running over the marked rows. False in any other state.
    bool beginRun();

    // Handles one marked row.
    virtual void processRow(const ResultTableRow& row) = 0;
    // Whether the folders that held processed files are checked at the end.
    virtual bool removesEmptyFolders() const = 0;
    // The last step: the run becomes Done.
    virtual void finish();

    // A file replaced or rewritten since the scan is not the duplicate the user chose: it
    // gets the "File changed since the scan" row and is left alone. True when refused.
    bool refuseChanged(const ResultTableRow& row, const std::string& path);

    // What the per-file question answered: "Yes to All" stops the questions for the rest of
    // the run, Cancel cancels it.
    void applyAnswer(ConfirmAnswer answer, bool& yesToAll);

    ResultTable& m_table;
    std::atomic<RunState> m_state{RunState::Ready};
    std::atomic<bool> m_cancelRequested{false};
    RunProgress m_progress;
    std::vector<ErrorRow> m_errors;
    FoldersToCheck m_folders;

private:
    void beginFolderCheck();

    int m_nextRow = 1; // 1-based position of the next row to look at
    bool m_checkingFolders = false;
    std::size_t m_nextFolder = 0;
};

} // namespace pw
