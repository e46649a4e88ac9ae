#include "fileops/delete_loop.h"

#include "common/text.h"
#include "search/enumeration.h"

namespace pw {

std::string progressLabel(const std::string& path) {
    constexpr std::size_t kShown = 70;
    std::size_t pos = 0;
    std::size_t characters = 0;
    std::size_t cut = path.size();
    while (pos < path.size()) {
        if (characters == kShown) {
            cut = pos;
        }
        decodeUtf8(path, pos);
        ++characters;
    }
    return characters > kShown ? path.substr(0, cut) + "..." : path;
}

DeleteRun::DeleteRun(ResultTable& table, Shell& shell, Confirm confirm)
    : m_table(table), m_shell(shell), m_confirm(std::move(confirm)) {}

bool DeleteRun::start() {
    RunState expected = RunState::Ready;
    if (!m_state.compare_exchange_strong(expected, RunState::Running)) {
        return false;
    }
    m_running = options;
    int marked = 0;
    for (const ResultTableRow& row : m_table.rows()) {
        marked += row.marked() ? 1 : 0;
    }
    m_progress.maximum = marked;
    m_progress.value = 0;
    return true;
}

void DeleteRun::requestCancel() {
    m_cancelRequested = true;
    RunState expected = RunState::Running;
    m_state.compare_exchange_strong(expected, RunState::Cancelling);
}

bool DeleteRun::step() {
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
            deleteRow(m_table.row(m_nextRow++));
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

void DeleteRun::run(const std::function<void(const RunProgress&)>& progress) {
    while (step()) {
        if (progress) {
            progress(m_progress);
        }
    }
    if (progress) {
        progress(m_progress);
    }
}

void DeleteRun::deleteRow(const ResultTableRow& row) {
    const std::string path = row.fullPath();
    m_progress.label = progressLabel(path);
    // A file replaced or rewritten since the scan is not the duplicate the user chose.
    if (verifyListed(row) == ListedState::Changed) {
        ++m_progress.value;
        m_errors.push_back(fileChanged(path));
        return;
    }
    const ShellResult result =
        ShellDelete(m_shell, path, {m_running.toTrash, m_running.yesToAll}, m_confirm);
    if (result.answer == ConfirmAnswer::YesToAll) {
        m_running.yesToAll = true;
    } else if (result.answer == ConfirmAnswer::Cancel) {
        requestCancel();
    }
    ++m_progress.value;
    m_folders.AddFolderToCheck(row.cell(kColPath));
    // Success is the file's absence, whatever the shell answered.
    if (FileExists(path)) {
        m_errors.push_back(unableToDelete(path));
    }
}

void DeleteRun::beginFolderCheck() {
    if (!m_running.removeEmptyFolders) {
        finish();
        return;
    }
    m_checkingFolders = true;
    m_progress.maximum = m_folders.empty() ? 1 : static_cast<int>(m_folders.size());
    m_progress.value = 0;
    m_progress.label = kCheckingFoldersLabel;
}

void DeleteRun::finish() {
    m_progress.label = kCompletedLabel;
    m_state = RunState::Done;
}

void DeleteMarkedFiles(DeleteRun& run, const std::function<void(const RunProgress&)>& progress) {
    run.start();
    run.run(progress);
}

} // namespace pw
