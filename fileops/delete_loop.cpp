#include "fileops/delete_loop.h"

#include "common/file_helpers.h"

namespace pw {

DeleteRun::DeleteRun(ResultTable& table, Shell& shell, Confirm confirm)
    : MarkedFilesRun(table, "Progress.."), m_shell(shell), m_confirm(std::move(confirm)) {}

bool DeleteRun::start() {
    if (state() != RunState::Ready) {
        return false;
    }
    m_running = options;
    return beginRun();
}

void DeleteRun::processRow(const ResultTableRow& row) {
    const std::string path = row.fullPath();
    m_progress.label = progressLabel(path);
    if (refuseChanged(row, path)) {
        return;
    }
    const ShellResult result =
        ShellDelete(m_shell, path, {m_running.toTrash, m_running.yesToAll}, m_confirm);
    applyAnswer(result.answer, m_running.yesToAll);
    ++m_progress.value;
    m_folders.AddFolderToCheck(row.folderText());
    // Success is the file's absence, whatever the shell answered.
    if (FileExists(path)) {
        m_errors.push_back(unableToDelete(path));
    } else {
        ++m_filesDone;
    }
}

void DeleteRun::finish() {
    m_progress.label = kCompletedLabel;
    MarkedFilesRun::finish();
}

void DeleteMarkedFiles(DeleteRun& run, const RunObserver& observer) {
    run.start();
    run.run(observer);
}

} // namespace pw
