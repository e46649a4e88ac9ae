#include "common/ui/modal.h"

#include <QMessageBox>
#include <utility>

namespace pw {
namespace {

MessageHook& messageHook() {
    static MessageHook hook;
    return hook;
}

ModalHook& modalHook() {
    static ModalHook hook;
    return hook;
}

QMessageBox::Icon boxIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Critical:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons boxButtons(MessageButtons buttons) {
    switch (buttons) {
    case MessageButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case MessageButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case MessageButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MessageButtons::Ok:
        break;
    }
    return QMessageBox::Ok;
}

QMessageBox::StandardButton boxButton(MessageAnswer answer) {
    switch (answer) {
    case MessageAnswer::Cancel:
        return QMessageBox::Cancel;
    case MessageAnswer::Yes:
        return QMessageBox::Yes;
    case MessageAnswer::No:
        return QMessageBox::No;
    case MessageAnswer::Ok:
        break;
    }
    return QMessageBox::Ok;
}

} // namespace

MessageAnswer showMessage(QWidget* parent, const MessageRequest& request) {
    if (messageHook()) {
        return messageHook()(request);
    }
    QMessageBox box(boxIcon(request.icon), request.title, request.text, boxButtons(request.buttons),
                    parent);
    box.setDefaultButton(boxButton(request.defaultAnswer));
    switch (box.exec()) {
    case QMessageBox::Ok:
        return MessageAnswer::Ok;
    case QMessageBox::Yes:
        return MessageAnswer::Yes;
    case QMessageBox::No:
        return MessageAnswer::No;
    default:
        break;
    }
    // The close box: there is an escape button only where Cancel or No stands.
    return request.buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Cancel;
}

int runModal(QDialog& dialog) {
    if (modalHook()) {
        return modalHook()(dialog);
    }
    return dialog.exec();
}

void setMessageHookForTests(MessageHook messages) {
    messageHook() = std::move(messages);
}

void setModalHookForTests(ModalHook dialogs) {
    modalHook() = std::move(dialogs);
}

} // namespace pw
