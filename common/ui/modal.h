#pragma once
// Every message box and modal dialog of the program goes through here, so that a test can
// answer it at once instead of a user: no test ever waits for a window.

#include <QDialog>
#include <QString>
#include <functional>

namespace pw {

enum class MessageIcon { None, Information, Warning, Critical, Question };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageAnswer { Ok, Cancel, Yes, No };

// One message box: title and text exactly as the user sees them.
struct MessageRequest {
    QString title;
    QString text;
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
    MessageAnswer defaultAnswer = MessageAnswer::Ok;
};

// Shows the box modally over `parent` and returns the button chosen; closing the box
// without a button answers Cancel, or No where there is no Cancel button.
MessageAnswer showMessage(QWidget* parent, const MessageRequest& request);

// Shows a dialog that is fully set up modally and returns QDialog::exec's result.
int runModal(QDialog& dialog);

// Test hooks: while set, showMessage answers through `messages` and runModal hands the
// dialog to `dialogs` (which may work its controls and returns the result) without
// showing anything. An empty function restores the real windows.
using MessageHook = std::function<MessageAnswer(const MessageRequest&)>;
using ModalHook = std::function<int(QDialog&)>;
void setMessageHookForTests(MessageHook messages);
void setModalHookForTests(ModalHook dialogs);

} // namespace pw
