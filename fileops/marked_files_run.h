#pragma once
// What the deletion and the copy/move dialogs drive: a run over the marked rows, one file
// per step, then the removal of the folders the run left empty, with Ready, Running,
// Cancelling and Done states, progress, cancel and the error rows. The dialogs call
// start() from their OK button, then either step() until it returns false (a timer on one
// thread) or hand the run to a worker thread that calls run(observer).
//
// Threading: start() reads the options, so they are set before it and left alone after.
// The thread that drives the run (step() or run()) owns progress(), errors() and
// foldersToCheck(); anyone else learns of them through the observer's reports, which are
// copies made on that thread, so a dialog never reads what the worker is writing. Those
// accessors are safe for others once run() has returned and the worker was joined.
// requestCancel(), state() and cancelled() may be called from any thread at any time.
// The result table must not change during a run; `Confirm` callbacks are called on the
// driving thread.

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

// What a run reports after each step: copies, which the receiver may keep or pass on to
// another thread.
struct RunReport {
    RunState state = RunState::Ready;
    RunProgress progress;
    std::vector<ErrorRow> newErrors; // the error rows this step added, in order
    int filesDone = 0;               // files deleted, moved or copied so far
};

// Called on the driving thread after every step of run(), the last call with Done.
using RunObserver = std::function<void(const RunReport&)>;

inline constexpr const char* kCheckingFoldersLabel = "Checking for empty folders. Please wait...";
inline constexpr const char* kCompletedLabel = "Completed";

class MarkedFilesRun {
public:
    virtual ~MarkedFilesRun() = default;
    MarkedFilesRun(const MarkedFilesRun&) = delete;
    MarkedFilesRun& operator=(const MarkedFilesRun&) = delete;

    RunState state() const { return m_state.load(); }

    // Cancel while Running: the loop stops before its next file. Ignored otherwise, so a
    // cancel before the run started does not reach into it.
    void requestCancel();

    // One marked file, or one folder of the folder check, or the completion. Returns false
    // once the run is Done (and before it started).
    bool step();

    // Steps until Done, reporting each step to `observer` on the calling thread.
    void run(const RunObserver& observer = {});

    // What closing the dialog reports: true (cancelled, leave the list alone) unless the
    // run is Done. The dialogs offer no way to close while Running or Cancelling.
    bool cancelled() const { return state() != RunState::Done; }

    const RunProgress& progress() const { return m_progress; }
    const std::vector<ErrorRow>& errors() const { return m_errors; }
    // Files deleted, moved or copied: the marked files minus those with an error row and
    // those a cancel left untouched.
    int filesDone() const { return m_filesDone; }
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
    RunProgress m_progress;
    std::vector<ErrorRow> m_errors;
    int m_filesDone = 0;
    FoldersToCheck m_folders;

private:
    void beginFolderCheck();
    bool cancelling() const { return m_state.load() == RunState::Cancelling; }

    int m_nextRow = 1; // 1-based position of the next row to look at
    bool m_checkingFolders = false;
    std::size_t m_nextFolder = 0;
};

} // namespace pw
