#include "fileops/copy_move_loop.h"

#include "common/text.h"
#include "search/enumeration.h"

namespace pw {

CopyMoveRun::CopyMoveRun(ResultTable& table, Shell& shell, TransferMode mode,
                         std::string destination, Confirm confirm)
    : m_table(table), m_shell(shell), m_mode(mode), m_destination(std::move(destination)),
      m_confirm(std::move(confirm)) {}

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
    int marked = 0;
    for (const ResultTableRow& row : m_table.rows()) {
        marked += row.marked() ? 1 : 0;
    }
    m_progress.maximum = marked;
    m_progress.value = 0;
    m_state = RunState::Running;
    return std::nullopt;
}

void CopyMoveRun::requestCancel() {
    m_cancelRequested = true;
    RunState expected = RunState::Running;
    m_state.compare_exchange_strong(expected, RunState::Cancelling);
}

bool CopyMoveRun::step() {
    const RunState state = m_state.load();
    if (state == RunState::Ready || state == RunState::Done) {
        return false;
    }
    if (!m_checkingFolders) {
        while (!m_cancelRequested && m_nextRow <= m_table.rowCount() &&
               !m_table.row(m_nextRow).marked()) {
            ++m_nextRow;
        }
        if (!m_cancelRequested && m_nextRow <= m_table.rowCount()) {
            transferRow(m_table.row(m_nextRow++));
            return true;
        }
        beginFolderCheck();
        return m_state.load() != RunState::Done;
    }
    if (m_nextFolder < m_folders.size()) {
        const std::string& folder = m_folders.folders()[m_nextFolder++];
        if (IsEmptyFolder(folder)) {
            RemoveFolder(folder);
        }
        m_progress.value = static_cast<int>(m_nextFolder);
        return true;
    }
    finish();
    return false;
}

void CopyMoveRun::run(const std::function<void(const RunProgress&)>& progress) {
    while (step()) {
        if (progress) {
            progress(m_progress);
        }
    }
    if (progress) {
        progress(m_progress);
    }
}

void CopyMoveRun::transferRow(const ResultTableRow& row) {
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
    // A file replaced or rewritten since the scan is not the duplicate the user chose.
    if (verifyListed(row) == ListedState::Changed) {
        ++m_progress.value;
        m_errors.push_back(fileChanged(path));
        return;
    }
    const ShellResult result =
        ShellMove(m_shell, path, m_destination,
                  {m_running.yesToAll, true, m_running.keepFolderStructure}, m_confirm);
    if (result.answer == ConfirmAnswer::YesToAll) {
        m_running.yesToAll = true;
    } else if (result.answer == ConfirmAnswer::Cancel) {
        requestCancel();
    }
    ++m_progress.value;
    m_folders.AddFolderToCheck(row.cell(kColPath));
    // Judged by the source, whatever the shell answered.
    if (FileExists(path)) {
        m_errors.push_back(unableToMove(path));
    }
}

void CopyMoveRun::beginFolderCheck() {
    if (!m_running.removeEmptyFolders) {
        finish();
        return;
    }
    m_checkingFolders = true;
    m_progress.maximum = m_folders.empty() ? 1 : static_cast<int>(m_folders.size());
    m_progress.value = 0;
    m_progress.label = kCheckingFoldersLabel;
}

void CopyMoveRun::finish() {
    if (m_mode == TransferMode::Move) {
        m_progress.label = kCompletedLabel;
    }
    m_progress.value = m_progress.maximum;
    m_state = RunState::Done;
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
