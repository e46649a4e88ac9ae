#include "app/ui/file_actions.h"

#include "app/ui/file_properties_frm.h"
#include "app/ui/main_frm.h"
#include "app/ui/scan_commands.h"
#include "common/ui/modal.h"
#include "common/ui/ui_text.h"
#include "fileops/file_actions.h"
#include "fileops/process_marked.h"
#include "fileops/rename_rules.h"
#include "results/picture_preview.h"
#include "results/ui/file_info_frm.h"
#include "results/ui/result_list_view.h"
#include "session/ui/frm_export.h"

#include <QAction>
#include <QClipboard>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QGuiApplication>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>

namespace pw {
namespace {

const QString kFileManagerService = QStringLiteral("org.freedesktop.FileManager1");

void showUserMessage(QWidget* parent, const UserMessage& message, MessageIcon icon) {
    showMessage(parent, {displayText(message.title), displayText(message.text), icon,
                         MessageButtons::Ok, MessageAnswer::Ok});
}

// The file manager of the desktop shows the file selected in its folder, if one runs or
// the bus can start one; `notShown` runs otherwise, also when the call fails later.
void showItemOverBus(QObject* context, const std::string& path,
                     const std::function<void()>& notShown) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QDBusConnectionInterface* names = bus.isConnected() ? bus.interface() : nullptr;
    const bool available =
        names && (names->isServiceRegistered(kFileManagerService).value() ||
                  names->activatableServiceNames().value().contains(kFileManagerService));
    if (!available) {
        notShown();
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        kFileManagerService, QStringLiteral("/org/freedesktop/FileManager1"), kFileManagerService,
        QStringLiteral("ShowItems"));
    call << QStringList{fileUrl(path).toString(QUrl::FullyEncoded)} << QString();
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context,
                     [notShown](QDBusPendingCallWatcher* finished) {
                         if (finished->isError()) {
                             notShown();
                         }
                         finished->deleteLater();
                     });
}

// The input box of Rename. The box shows the old name as text; a name that is not valid
// UTF-8 cannot be taken back from that text, so an answer left as shown is the old name's
// own bytes.
std::optional<std::string> askName(QWidget* parent, const UserMessage& prompt,
                                   const std::string& preset) {
    QInputDialog box(parent);
    box.setObjectName(QStringLiteral("InputBox"));
    box.setWindowTitle(displayText(prompt.title));
    box.setLabelText(displayText(prompt.text));
    box.setTextValue(displayText(preset));
    if (runModal(box) != QDialog::Accepted) {
        return std::nullopt;
    }
    if (box.textValue() == displayText(preset)) {
        return preset;
    }
    return typedText(box.textValue());
}

} // namespace

FileActions::FileActions(MainFrm& window) : QObject(&window), m_window(window) {
    setObjectName(QStringLiteral("FileActions"));
    m_showInFileManager = [this](const std::string& path, std::function<void()> notShown) {
        showItemOverBus(this, path, notShown);
    };
    m_window.m_closePicturePreview = [this] { closePreview(); };
    // The main window closes every other window when it closes; the preview goes first,
    // quietly, as the program's own doing.
    m_window.installEventFilter(this);
    ResultListView& view = list();
    view.installEventFilter(this);
    view.viewport()->installEventFilter(this);
    connectCommands();
}

FileActions::~FileActions() = default;

void FileActions::connectCommands() {
    const auto command = [this](const char* name, auto slot) {
        QAction* action = m_window.findChild<QAction*>(QLatin1String(name));
        connect(action, &QAction::triggered, this, slot);
    };
    command("MOpenFile", [this] { openFile(); });
    command("MOpenFolder", [this] { openFolder(); });
    command("MRename", [this] { rename(); });
    command("MCopyPath", [this] { copyPath(); });
    command("MFileProperties", [this] { showProperties(); });
    command("mnuOpenAllMarkFiles", [this] { openMarkedFiles(); });
    command("mnuRemoveFromResult", [this] { removeFromResult(); });
    command("MExport", [this] { exportResults(); });
}

ResultListView& FileActions::list() const {
    return *m_window.scanCommands().resultList();
}

ResultTable& FileActions::table() const {
    return list().table();
}

int FileActions::selectedPosition() const {
    const int position = list().currentPosition();
    return position >= 1 && position <= table().rowCount() ? position : 0;
}

std::string FileActions::selectedPath() const {
    const int position = selectedPosition();
    return position > 0 ? table().row(position).fullPath() : std::string();
}

// ---- Opening ----

void FileActions::openWithHandler(const std::string& path, QWidget* messageOwner) {
    if (!m_window.m_openUrl || !m_window.m_openUrl(fileUrl(path))) {
        showUserMessage(messageOwner, noAssociatedProgram(), MessageIcon::None);
    }
}

void FileActions::openFile() {
    const int position = selectedPosition();
    switch (openStep(table(), position, list().lastMouseX())) {
    case OpenStep::Nothing:
        return;
    case OpenStep::ToggleMark: {
        const MarkOutcome outcome =
            markOrUnmarkSelected(table(), position, list().selectedPositions());
        list().applyChanges();
        if (outcome.totalsText) {
            m_window.statusPanel(1)->setText(displayText(*outcome.totalsText));
        }
        return;
    }
    case OpenStep::OpenFile:
        openWithHandler(table().row(position).fullPath(), &m_window);
        return;
    }
}

void FileActions::openFolder() {
    const int position = selectedPosition();
    if (position == 0) {
        return;
    }
    const std::string folder = table().row(position).folderText();
    m_showInFileManager(table().row(position).fullPath(),
                        [this, folder] { openWithHandler(folder, &m_window); });
}

void FileActions::openMarkedFiles() {
    // Every marked file, without a question and without a word when one fails.
    for (const std::string& path : markedFullPaths(table())) {
        if (m_window.m_openUrl) {
            m_window.m_openUrl(fileUrl(path));
        }
    }
}

// ---- The selected file ----

void FileActions::rename() {
    const int position = selectedPosition();
    if (position == 0) {
        return;
    }
    const std::unique_ptr<Shell> shell = makeLinuxShell();
    Rename(
        table(), position, *shell,
        [this](const UserMessage& prompt, const std::string& preset) {
            return askName(&m_window, prompt, preset);
        },
        [this](const UserMessage& message) {
            showUserMessage(&m_window, message, MessageIcon::None);
        });
    list().applyChanges();
}

void FileActions::copyPath() {
    const std::string path = selectedPath();
    if (!path.empty()) {
        // The text is for reading; the URL carries the name's exact bytes, so that pasting
        // into a file manager finds a file whose name is not valid UTF-8 too.
        auto* data = new QMimeData;
        data->setText(displayText(path));
        data->setUrls({fileUrl(path)});
        QGuiApplication::clipboard()->setMimeData(data);
    }
}

void FileActions::showProperties() {
    const int position = selectedPosition();
    if (position == 0) {
        return;
    }
    const ResultTableRow& row = table().row(position);
    const FilePropertiesResult read = readFileProperties(row.folderText(), row.name);
    if (!read.properties) {
        showUserMessage(&m_window, {read.error, "Error"}, MessageIcon::Warning);
        return;
    }
    auto* window = new FilePropertiesFrm(*read.properties, &m_window);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
}

// ---- The list ----

void FileActions::removeFromResult() {
    if (const std::optional<UserMessage> message = RemoveFromResult(table())) {
        showUserMessage(&m_window, *message, MessageIcon::Critical);
    }
    list().applyChanges();
}

void FileActions::exportResults() {
    frmExport::ListState state;
    state.selectedPositions = list().selectedPositions();
    state.filesPanel = typedText(m_window.statusPanel(3)->text());
    state.duplicatesPanel = typedText(m_window.statusPanel(2)->text());
    frmExport dialog(m_window.settings(), table(), std::move(state), &m_window);
    dialog.onExported = [this] { m_window.startCompletionSound(); };
    dialog.onOpenFile = [this, &dialog](const std::string& path) {
        openWithHandler(path, &dialog);
    };
    runModal(dialog);
}

// ---- Picture preview ----

FileInfoFrm& FileActions::preview() {
    if (!m_preview) {
        m_preview = new FileInfoFrm(m_window.settings(), &m_window);
        m_preview->onDisableViewer = [this] {
            if (m_window.pictureViewerOn()) {
                m_window.findChild<QAction*>(QStringLiteral("MPicViewer"))->trigger();
            }
        };
    }
    return *m_preview;
}

void FileActions::closePreview() {
    if (m_preview && m_preview->isVisible()) {
        m_preview->closeQuietly();
    }
}

void FileActions::PreviewSelectedRow() {
    if (!m_window.pictureViewerOn() || table().rowCount() == 0) {
        return;
    }
    const int position = selectedPosition();
    if (position == 0) {
        return;
    }
    const ResultTableRow& row = table().row(position);
    if (!isPreviewPicture(row.name)) {
        if (m_preview) {
            m_preview->hide();
        }
        return;
    }
    FileInfoFrm& window = preview();
    window.LoadPic(row.fullPath());
    if (!window.isVisible()) {
        window.show();
        // The arrow keys go on moving through the list.
        m_window.activateWindow();
        list().setFocus();
    }
}

bool FileActions::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &m_window && event->type() == QEvent::Close) {
        closePreview();
    } else if (watched == &list() && event->type() == QEvent::KeyRelease) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) && !key->isAutoRepeat()) {
            PreviewSelectedRow();
        }
    } else if (watched == list().viewport() && event->type() == QEvent::MouseButtonRelease) {
        if (static_cast<QMouseEvent*>(event)->button() != Qt::RightButton) {
            PreviewSelectedRow();
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace pw
