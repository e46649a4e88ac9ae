#include "fileops/marked_files_run.h"

#include "common/text.h"

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

MarkedFilesRun::MarkedFilesRun(ResultTable& table, std::string initialLabel)
    : m_table(table), m_progress{0, 0, std::move(initialLabel)} {}

bool MarkedFilesRun::beginRun() {
    RunState expected = RunState::Ready;
    if (!m_state.compare_exchange_strong(expected, RunState::Running)) {
        return false;
    }
    int marked = 0;
    for (const ResultTableRow& row : m_table.rows()) {
        marked += row.marked ? 1 : 0;
    }
    m_progress.maximum = marked;
    m_progress.value = 0;
    return true;
}

void MarkedFilesRun::requestCancel() {
    RunState expected = RunState::Running;
    m_state.compare_exchange_strong(expected, RunState::Cancelling);
}

bool MarkedFilesRun::step() {
    const RunState state = m_state.load();
    if (state == RunState::Ready || state == RunState::Done) {
        return false;
    }
    if (!m_checkingFolders) {
        while (!cancelling() && m_nextRow <= m_table.rowCount() && !m_table.row(m_nextRow).marked) {
            ++m_nextRow;
        }
        if (!cancelling() && m_nextRow <= m_table.rowCount()) {
            processRow(m_table.row(m_nextRow++));
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

void MarkedFilesRun::run(const RunObserver& observer) {
    std::size_t reported = 0;
    const auto report = [&] {
        if (!observer) {
            return;
        }
        RunReport copy{state(), m_progress, {}, m_filesDone};
        const auto from = m_errors.begin() + static_cast<std::ptrdiff_t>(reported);
        copy.newErrors.assign(from, m_errors.end());
        reported = m_errors.size();
        observer(copy);
    };
    while (step()) {
        report();
    }
    report();
}

void MarkedFilesRun::finish() {
    m_state = RunState::Done;
}

bool MarkedFilesRun::refuseChanged(const ResultTableRow& row, const std::string& path) {
    if (verifyListed(m_table, row) != ListedState::Changed) {
        return false;
    }
    ++m_progress.value;
    m_errors.push_back(fileChanged(path));
    return true;
}

void MarkedFilesRun::applyAnswer(ConfirmAnswer answer, bool& yesToAll) {
    if (answer == ConfirmAnswer::YesToAll) {
        yesToAll = true;
    } else if (answer == ConfirmAnswer::Cancel) {
        requestCancel();
    }
}

void MarkedFilesRun::beginFolderCheck() {
    if (!removesEmptyFolders()) {
        finish();
        return;
    }
    m_checkingFolders = true;
    m_progress.maximum = m_folders.empty() ? 1 : static_cast<int>(m_folders.size());
    m_progress.value = 0;
    m_progress.label = kCheckingFoldersLabel;
}

} // namespace pw
