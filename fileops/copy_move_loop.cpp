#include "fileops/copy_move_loop.h"

#include "common/file_helpers.h"
#include "common/text.h"

namespace pw {

CopyMoveRun::CopyMoveRun(ResultTable& table, Shell& shell, TransferMode mode,
                         std::string destination, Confirm confirm)
    : MarkedFilesRun(table, "Progress"), m_shell(shell), m_mode(mode),
      m_destination(std::move(destination)), m_confirm(std::move(confirm)) {}

std::optional<UserMessage> CopyMoveRun::start() {
    if (state() != RunState::Ready) {
        return std::nullopt;
    }
    if (trimBlanks(m_destination).empty()) {
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
    if (m_mode == TransferMode::Move) {
        moveRow(row, path);
        return;
    }
    const ShellResult result = ShellCopy(m_shell, path, m_destination,
                                         {true, true, m_running.keepFolderStructure}, m_confirm);
    ++m_progress.value;
    if (!result.ok) {
        m_errors.push_back(unableToCopy(path));
    }
}

void CopyMoveRun::moveRow(const ResultTableRow& row, const std::string& path) {
    if (refuseChanged(row, path)) {
        return;
    }
    const ShellResult result =
        ShellMove(m_shell, path, m_destination,
                  {m_running.yesToAll, true, m_running.keepFolderStructure}, m_confirm);
    applyAnswer(result.answer, m_running.yesToAll);
    ++m_progress.value;
    m_folders.AddFolderToCheck(row.folderText());
    // Judged by the source, whatever the shell answered.
    if (FileExists(path)) {
        m_errors.push_back(unableToMove(path));
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

std::optional<UserMessage> startAndRun(CopyMoveRun& run,
                                       const std::function<void(const RunProgress&)>& progress) {
    auto message = run.start();
    run.run(progress);
    return message;
}

} // namespace

std::optional<UserMessage>
CopyMarkedFiles(CopyMoveRun& run, const std::function<void(const RunProgress&)>& progress) {
    return startAndRun(run, progress);
}

std::optional<UserMessage>
MoveMarkedFiles(CopyMoveRun& run, const std::function<void(const RunProgress&)>& progress) {
    return startAndRun(run, progress);
}

} // namespace pw
