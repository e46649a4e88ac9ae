#pragma once
// The Delete, Move and Copy commands on the marked rows of the result list. Delete and
// Move check the marks first (the warning for groups whose every file is marked), run the
// deletion dialog or, after the folder picker, the move dialog, and then tidy the list
// (rows of files that are gone, groups left with one row) and write the status text. Copy
// asks for a folder and runs the copy dialog; the list stays as it is.
//
// Created by the main window after ScanCommands; it connects the commands itself.

#include "fileops/process_marked.h"

#include <QObject>
#include <string>

namespace pw {

class MainFrm;
class ResultListView;
class Shell;

class FileOpCommands : public QObject {
    Q_OBJECT

public:
    explicit FileOpCommands(MainFrm& window);
    ~FileOpCommands() override;

    // ProcessMarkedFiles: Delete (`MDelete`) or Move (`MMoveSelected`).
    void processMarkedFiles(MarkedOperation operation);
    // `MCopyMarkFiles`.
    void copyMarkedFiles();

private:
    ResultListView& list() const;
    // Whether the deletion may go on: asks first when groups would keep no file.
    bool deletionConfirmed(const ResultTable& table);
    // The dialogs; each answers whether it closed before a run.
    bool runDeletion(Shell& shell, const MarkCheck& check);
    bool runMove(Shell& shell, const MarkCheck& check);
    void showStatus(const std::string& text);

    MainFrm& m_window;
};

} // namespace pw
