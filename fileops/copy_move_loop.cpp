#include "fileops/copy_move_loop.h"

#include "common/file_helpers.h"
#include "common/text.h"

namespace pw {

CopyMoveRun::CopyMoveRun(ResultTable& table, Shell& shell, TransferMode mode,
                         std::string destination, Confirm confirm)
    : MarkedFilesRun(table, "Progress"), m_shell(shell), m_mode(mode),
      m_destination(std::move(destination)), m_confirm(std::move(confirm)) {}

void CopyMoveRun::setDestination(std::string destination) {
    const std::lock_guard lock(m_destinationMutex);
    m_destination = std::move(destination);
}

std::string CopyMoveRun::destination() const {
    const std::lock_guard lock(m_destinationMutex);
    return m_destination;
}

std::optional<UserMessage> CopyMoveRun::start() {
    if (state() != RunState::Ready) {
        return std::nullopt;
    }
    if (trimBlanks(destination()).empty()) {
        return UserMessage{"Path not specified, Please specify copy/move location first", "Error"};
    }
    m_running = options;
    if (m_mode == TransferMode::Copy) {
        // A copy has no source folders to tidy and asks nothing: a taken name gets a new
        // one, so there is nothing to confirm.
        m_running.removeEmptyFolders = false;
        m_running.yesToAll = true;
    }
    beginRun();
    return std::nullopt;
}

void CopyMoveRun::processRow(const ResultTableRow& row) {
    const std::string path = row.fullPath();
    // Read once: an edit arriving meanwhile applies from the next file on.
    const std::string folder = destination();
    if (trimBlanks(folder).empty()) {
        // The box was emptied during the run. A blank folder would name the root folder
        // (or the working folder), where none of these files belongs: leave the file.
        ++m_progress.value;
        m_errors.push_back(m_mode == TransferMode::Move ? unableToMove(path) : unableToCopy(path));
        return;
    }
    if (m_mode == TransferMode::Move) {
        moveRow(row, path, folder);
        return;
    }
    const ShellResult result =
        ShellCopy(m_shell, path, folder, {true, true, m_running.keepFolderStructure}, m_confirm);
    ++m_progress.value;
    if (!result.ok) {
        m_errors.push_back(unableToCopy(path));
    } else {
        ++m_filesDone;
    }
}

void CopyMoveRun::moveRow(const ResultTableRow& row, const std::string& path,
                          const std::string& folder) {
    if (refuseChanged(row, path)) {
        return;
    }
    const ShellResult result =
        ShellMove(m_shell, path, folder, {m_running.yesToAll, true, m_running.keepFolderStructure},
                  m_confirm);
    applyAnswer(result.answer, m_running.yesToAll);
    ++m_progress.value;
    m_folders.AddFolderToCheck(row.folderText());
    // Judged by the source, whatever the shell answered.
    if (FileExists(path)) {
        m_errors.push_back(unableToMove(path));
    } else {
        ++m_filesDone;
    }
}

void CopyMoveRun::finish() {
    if (m_mode == TransferMode::Move) {
        m_progress.label = kCompletedLabel;
    }
    m_progress.value = m_progress.maximum;
    MarkedFilesRun::finish();
}

namespace {

std::optional<UserMessage> startAndRun(CopyMoveRun& run, const RunObserver& observer) {
    auto message = run.start();
    run.run(observer);
    return message;
}

} // namespace

std::optional<UserMessage> CopyMarkedFiles(CopyMoveRun& run, const RunObserver& observer) {
    return startAndRun(run, observer);
}

std::optional<UserMessage> MoveMarkedFiles(CopyMoveRun& run, const RunObserver& observer) {
    return startAndRun(run, observer);
}

} // namespace pw
