#include "common/ui/common_dlg.h"

#include "common/ui/ui_text.h"

#include <QFileDialog>
#include <QStringList>
#include <utility>

namespace pw {
namespace {

std::string& lastBrowsed() {
    static std::string folder;
    return folder;
}

FileDialogHook& dialogHook() {
    static FileDialogHook hook;
    return hook;
}

std::string fileDialog(QWidget* owner, FileDialogRequest request) {
    if (dialogHook()) {
        return dialogHook()(request).value_or(std::string());
    }
    const QString start = displayText(request.initialFolder);
    QString chosen;
    switch (request.kind) {
    case FileDialogRequest::Kind::Open:
        chosen = QFileDialog::getOpenFileName(owner, request.title, start, request.filter);
        break;
    case FileDialogRequest::Kind::Save:
        chosen = QFileDialog::getSaveFileName(owner, request.title, start, request.filter);
        break;
    case FileDialogRequest::Kind::Folder:
        break;
    }
    return chosen.isEmpty() ? std::string() : dialogPath(chosen);
}

} // namespace

const std::string& LastBrowsedFolder() {
    return lastBrowsed();
}

std::string BrowseForFolder(QWidget* owner, const QString& title, bool newStyle) {
    std::string folder;
    if (dialogHook()) {
        folder = dialogHook()({FileDialogRequest::Kind::Folder, title, {}, lastBrowsed()})
                     .value_or(std::string());
    } else {
        QFileDialog::Options options = QFileDialog::ShowDirsOnly;
        if (!newStyle) {
            options |= QFileDialog::ReadOnly;
        }
        const QString chosen =
            QFileDialog::getExistingDirectory(owner, title, displayText(lastBrowsed()), options);
        folder = chosen.isEmpty() ? std::string() : dialogPath(chosen);
    }
    if (!folder.empty()) {
        lastBrowsed() = folder;
    }
    return folder;
}

std::string ShowOpenFileDialog(QWidget* owner, std::string_view filter,
                               const std::string& initialFolder, const QString& title) {
    return fileDialog(owner,
                      {FileDialogRequest::Kind::Open, title, qtFileFilter(filter), initialFolder});
}

std::string ShowSaveFileDialog(QWidget* owner, std::string_view filter,
                               const std::string& initialFolder, const QString& title) {
    return fileDialog(owner,
                      {FileDialogRequest::Kind::Save, title, qtFileFilter(filter), initialFolder});
}

QString qtFileFilter(std::string_view filter) {
    const QStringList parts = displayText(filter).split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& label = parts[i];
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        if (patterns.isEmpty()) {
            continue;
        }
        const QString tail = QLatin1Char('(') + patterns + QLatin1Char(')');
        entries << (label.endsWith(tail) ? label : label + QLatin1Char(' ') + tail);
    }
    return entries.join(QStringLiteral(";;"));
}

void setFileDialogHookForTests(FileDialogHook hook) {
    dialogHook() = std::move(hook);
}

} // namespace pw
