#include "fileops/ui/run_dialog_parts.h"

#include "common/ui/ui_text.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>

namespace pw {

QCheckBox* namedCheckBox(QWidget* parent, const char* name, const QString& caption, bool checked) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QLatin1String(name));
    box->setChecked(checked);
    return box;
}

QPushButton* namedButton(QWidget* parent, const char* name, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}

QTreeWidget* makeErrList(QWidget* parent) {
    auto* list = new QTreeWidget(parent);
    list->setObjectName(QStringLiteral("ErrList"));
    list->setAccessibleName(QStringLiteral("Errors"));
    list->setHeaderLabels(
        {QStringLiteral("Error No "), QStringLiteral("Description"), QStringLiteral("File Name")});
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->header()->setStretchLastSection(true);
    list->setColumnWidth(0, 80);
    list->setColumnWidth(1, 200);
    return list;
}

void appendErrorRows(QTreeWidget* list, const std::vector<ErrorRow>& rows) {
    for (const ErrorRow& row : rows) {
        new QTreeWidgetItem(list, {displayText(row.number), displayText(row.description),
                                   displayText(row.fileName)});
    }
}

void showUserMessage(QWidget* parent, const UserMessage& message, MessageIcon icon) {
    showMessage(parent, {displayText(message.title), displayText(message.text), icon,
                         MessageButtons::Ok, MessageAnswer::Ok});
}

bool askYesNo(QWidget* parent, const UserMessage& question, MessageIcon icon) {
    return showMessage(parent, {displayText(question.title), displayText(question.text), icon,
                                MessageButtons::YesNo, MessageAnswer::No}) == MessageAnswer::Yes;
}

ConfirmAnswer askFileQuestion(QWidget* parent, const UserMessage& question) {
    QMessageBox box(
        QMessageBox::Question, displayText(question.title), displayText(question.text),
        QMessageBox::Yes | QMessageBox::YesToAll | QMessageBox::No | QMessageBox::Cancel, parent);
    box.setObjectName(QStringLiteral("FileConfirmFrm"));
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (runModal(box)) {
    case QMessageBox::Yes:
        return ConfirmAnswer::Yes;
    case QMessageBox::YesToAll:
        return ConfirmAnswer::YesToAll;
    case QMessageBox::No:
        return ConfirmAnswer::No;
    default:
        break;
    }
    return ConfirmAnswer::Cancel;
}

} // namespace pw
