#include "app/ui/file_op_commands.h"

#include "app/ui/main_frm.h"
#include "app/ui/scan_commands.h"
#include "common/ui/center_form.h"
#include "common/ui/common_dlg.h"
#include "common/ui/modal.h"
#include "common/ui/ui_text.h"
#include "fileops/ui/file_cm_frm.h"
#include "fileops/ui/file_del_frm.h"
#include "fileops/ui/run_dialog_parts.h"
#include "fileops/ui/warning_frm.h"
#include "results/ui/result_list_view.h"

#include <QAction>
#include <QLabel>

namespace pw {

FileOpCommands::FileOpCommands(MainFrm& window) : QObject(&window), m_window(window) {
    const auto command = [this](const char* name, auto slot) {
        connect(m_window.findChild<QAction*>(QLatin1String(name)), &QAction::triggered, this, slot);
    };
    command("MDelete", [this] { processMarkedFiles(MarkedOperation::Delete); });
    command("MMoveSelected", [this] { processMarkedFiles(MarkedOperation::Move); });
    command("MCopyMarkFiles", [this] { copyMarkedFiles(); });
}

FileOpCommands::~FileOpCommands() = default;

ResultListView& FileOpCommands::list() const {
    return *m_window.scanCommands().resultList();
}

void FileOpCommands::showStatus(const std::string& text) {
    m_window.statusPanel(1)->setText(displayText(text));
}

void FileOpCommands::processMarkedFiles(MarkedOperation operation) {
    if (m_window.scanCommands().busy()) {
        return;
    }
    ResultTable& table = list().table();
    const std::unique_ptr<Shell> shell = makeLinuxShell();
    const WarningCallback warning = [this, &table](const std::vector<WarningLine>& lines) {
        return askWarningFrm(&m_window, table, lines, [this] { list().applyChanges(); });
    };
    // The list's kind decides, not the search option, which may have been switched since:
    // a grouped list always gets its warning and its tidy-up of lone rows.
    const ProcessOutcome outcome =
        ProcessMarkedFiles(table, operation, !table.grouped(), warning,
                           [this, &shell, &table](MarkedOperation chosen, const MarkCheck& check) {
                               list().applyChanges();
                               showStatus(check.totalsText);
                               if (chosen == MarkedOperation::Move) {
                                   return runMove(*shell, check);
                               }
                               return !deletionConfirmed(table) || runDeletion(*shell, check);
                           });
    list().applyChanges();
    if (!outcome.stopped) {
        showStatus(outcome.totalsText);
    }
    if (outcome.message) {
        showUserMessage(&m_window, *outcome.message, MessageIcon::Critical);
    }
}

// A group whose unmarked files are gone or changed since the scan would keep nothing the
// scan found once its marked files are deleted; a move keeps them elsewhere.
bool FileOpCommands::deletionConfirmed(const ResultTable& table) {
    const auto question = keptFilesGoneQuestion(table);
    return !question ||
           showMessage(&m_window, {displayText(question->title), displayText(question->text),
                                   MessageIcon::Warning, MessageButtons::YesNo,
                                   MessageAnswer::No}) == MessageAnswer::Yes;
}

bool FileOpCommands::runDeletion(Shell& shell, const MarkCheck& check) {
    fileDelFrm dialog(list().table(), shell, m_window.recyclePreference(),
                      static_cast<int>(check.totals.count), &m_window);
    connect(&dialog, &fileDelFrm::runCompleted, &m_window, &MainFrm::startCompletionSound);
    CenterForm(&dialog);
    runModal(dialog);
    return dialog.Cancelled();
}

bool FileOpCommands::runMove(Shell& shell, const MarkCheck& check) {
    const std::string destination =
        BrowseForFolder(&m_window, QStringLiteral("Move selected files to"), true);
    if (destination.empty()) {
        return true;
    }
    FileCMFrm dialog(list().table(), shell, TransferMode::Move, destination,
                     static_cast<int>(check.totals.count), &m_window);
    dialog.m_openFolder = m_window.m_openUrl;
    connect(&dialog, &FileCMFrm::runCompleted, &m_window, &MainFrm::startCompletionSound);
    CenterForm(&dialog);
    runModal(dialog);
    return dialog.Cancelled();
}

void FileOpCommands::copyMarkedFiles() {
    if (m_window.scanCommands().busy()) {
        return;
    }
    ResultTable& table = list().table();
    if (const auto message = checkMarksForCopy(table)) {
        showUserMessage(&m_window, *message, MessageIcon::Critical);
        return;
    }
    const std::string destination =
        BrowseForFolder(&m_window, QStringLiteral("Copy selected files to"), true);
    if (destination.empty()) {
        return;
    }
    const std::unique_ptr<Shell> shell = makeLinuxShell();
    FileCMFrm dialog(table, *shell, TransferMode::Copy, destination,
                     static_cast<int>(countMarked(table).count), &m_window);
    dialog.m_openFolder = m_window.m_openUrl;
    connect(&dialog, &FileCMFrm::runCompleted, &m_window, &MainFrm::startCompletionSound);
    CenterForm(&dialog);
    runModal(dialog);
}

} // namespace pw
