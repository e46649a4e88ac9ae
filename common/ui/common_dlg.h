#pragma once
// The common dialogs: the folder picker and the open and save file dialogs, answered with
// paths as the file system's bytes. Tests answer them through a hook.

#include <QString>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

class QWidget;

namespace pw {

// The folder the folder picker returned last; empty at start, never stored.
const std::string& LastBrowsedFolder();

// The folder picker with the given title, preselecting LastBrowsedFolder; only folders of
// the file system can be chosen. `newStyle` asks for the picker that can also create a
// folder. Returns the folder, which becomes LastBrowsedFolder, or "" when cancelled.
std::string BrowseForFolder(QWidget* owner, const QString& title, bool newStyle);

// The open dialog (the file must exist) and the save dialog (asks before replacing a
// file), starting in `initialFolder` ("" the system's choice). The filter is pairs of a
// label and a pattern joined by "|", as "Pairwell(*.pwf)|*.pwf". Return the chosen path,
// or "" when cancelled.
std::string ShowOpenFileDialog(QWidget* owner, std::string_view filter,
                               const std::string& initialFolder, const QString& title);
std::string ShowSaveFileDialog(QWidget* owner, std::string_view filter,
                               const std::string& initialFolder, const QString& title);

// A "label|pattern|label|pattern" filter in the form Qt's file dialogs take: one
// "label (patterns)" entry per pair, joined by ";;", where a label that already ends with
// its patterns in parentheses stands alone. Patterns separated by ";" become blanks.
QString qtFileFilter(std::string_view filter);

// Test hook: while set, every dialog above answers with what the hook returns for it
// (nullopt: cancelled) and shows nothing.
struct FileDialogRequest {
    enum class Kind { Folder, Open, Save };
    Kind kind = Kind::Open;
    QString title;
    QString filter;
    std::string initialFolder;
};
using FileDialogHook = std::function<std::optional<std::string>(const FileDialogRequest&)>;
void setFileDialogHookForTests(FileDialogHook hook);

} // namespace pw
