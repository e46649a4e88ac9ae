#pragma once
// The copy/move dialog's work as an object the dialog drives, like DeleteRun: every marked
// file goes into one destination folder, one file per step; a move then removes the source
// folders it left empty. Files land under their own names, or the next free
// "name (n).ext" when the name is taken: nothing in the destination is overwritten.
//
// Threading: as MarkedFilesRun; setDestination() and destination() may also be called
// from any thread, while the run reads the destination once for each file.

#include "fileops/delete_loop.h"
#include "results/marking.h"

#include <mutex>
#include <optional>

namespace pw {

enum class TransferMode { Copy, Move };

struct TransferOptions {
    bool removeEmptyFolders = true;   // Move only: "Remove Empty Folders ..."
    bool openDestination = false;     // "Open destnation folder after process completed."
    bool yesToAll = true;             // Move only: "Respond with "Yes to All" ..."
    bool keepFolderStructure = false; // "Copy with directory structure."
};

class CopyMoveRun : public MarkedFilesRun {
public:
    // `destination` is the folder chosen before the dialog showed (the path box's text).
    CopyMoveRun(ResultTable& table, Shell& shell, TransferMode mode, std::string destination,
                Confirm confirm = {});

    // Read when the run starts.
    TransferOptions options;

    TransferMode mode() const { return m_mode; }
    // The path box stays editable during a run; each file goes to the text it holds when
    // that file's turn comes. A file whose turn comes while it is blank is left where it is
    // with its error row.
    void setDestination(std::string destination);
    std::string destination() const;

    // OK in Ready. A destination that is blank after trimming gives the message
    // "Path not specified, Please specify copy/move location first" / "Error" and the run
    // stays Ready; nullopt when the run started (or the state was not Ready).
    std::optional<UserMessage> start();

    // Whether the dialog opens the destination folder now: the run is Done and the box
    // was checked.
    bool openDestinationNow() const {
        return state() == RunState::Done && m_running.openDestination;
    }

private:
    void processRow(const ResultTableRow& row) override;
    bool removesEmptyFolders() const override { return m_running.removeEmptyFolders; }
    void finish() override;
    void moveRow(const ResultTableRow& row, const std::string& path,
                 const std::string& destination);

    Shell& m_shell;
    TransferMode m_mode;
    mutable std::mutex m_destinationMutex; // the dialog edits it while a worker reads it
    std::string m_destination;
    Confirm m_confirm;
    TransferOptions m_running;
};

// The loops the dialog runs, by their described names: start() then run(). They return
// the message of start(), if any.
std::optional<UserMessage> CopyMarkedFiles(CopyMoveRun& run, const RunObserver& observer = {});
std::optional<UserMessage> MoveMarkedFiles(CopyMoveRun& run, const RunObserver& observer = {});

} // namespace pw
