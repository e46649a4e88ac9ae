#pragma once
// What the deletion and copy/move dialogs share: the error list, the message boxes they
// show for the engine's texts and the question asked before each file.

#include "common/ui/modal.h"
#include "fileops/error_log.h"
#include "fileops/shell.h"
#include "results/marking.h"

#include <vector>

class QCheckBox;
class QPushButton;
class QString;
class QTreeWidget;
class QWidget;

namespace pw {

// A check box and a button with their objectName; buttons are never the default of the
// dialog, so Enter starts nothing by itself.
QCheckBox* namedCheckBox(QWidget* parent, const char* name, const QString& caption, bool checked);
QPushButton* namedButton(QWidget* parent, const char* name, const QString& caption);

// `ErrList`: the columns "Error No ", "Description" and "File Name", empty.
QTreeWidget* makeErrList(QWidget* parent);
// Adds one line per row at the end of the list.
void appendErrorRows(QTreeWidget* list, const std::vector<ErrorRow>& rows);

// A message with an OK button.
void showUserMessage(QWidget* parent, const UserMessage& message, MessageIcon icon);
// A Yes/No question with No the default; true for Yes.
bool askYesNo(QWidget* parent, const UserMessage& question, MessageIcon icon);

// The question before one file, with the buttons Yes, Yes to All, No and Cancel; closing
// it answers Cancel. Shown through runModal, so tests answer it as a dialog
// (objectName "FileConfirmFrm") with the QMessageBox::StandardButton value.
ConfirmAnswer askFileQuestion(QWidget* parent, const UserMessage& question);

} // namespace pw
