#include "app/ui/mark_commands.h"

#include "app/ui/main_frm.h"
#include "app/ui/scan_commands.h"
#include "common/ui/center_form.h"
#include "common/ui/modal.h"
#include "common/ui/ui_text.h"
#include "results/ui/adv_mark_frm.h"
#include "results/ui/frm_max_size.h"
#include "results/ui/result_list_view.h"

#include <QAction>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>

namespace pw {

MarkCommands::MarkCommands(MainFrm& window)
    : QObject(&window), m_window(window), m_list(*window.scanCommands().resultList()) {
    setObjectName(QStringLiteral("MarkCommands"));
    connectCommands();
    connectGestures();
    connect(&window.scanCommands(), &ScanCommands::workFinished, this, &MarkCommands::takeFolders);
    // New Session empties the list, and the dialog goes with the folders it listed.
    window.m_clearResults = [this, clearList = std::move(window.m_clearResults)] {
        if (clearList) {
            clearList();
        }
        unloadAdvMarkFrm();
    };
}

MarkCommands::~MarkCommands() = default;

AdvMarkFrm* MarkCommands::advMarkFrm() const {
    return m_advMark;
}

void MarkCommands::connectCommands() {
    const auto command = [this](const char* name, auto slot) {
        QAction* action = m_window.findChild<QAction*>(QLatin1String(name));
        connect(action, &QAction::triggered, this, slot);
    };
    ResultTable& table = m_list.table();
    command("MNone", [this, &table] { show(MarkNone(table)); });
    command("MMarkAll", [this, &table] { show(MarkAll(table)); });
    command("MMarkingSelected",
            [this, &table] { show(MarkSelected(table, m_list.selectedPositions())); });
    command("mnuUnMarkSelected",
            [this, &table] { show(UnMarkSelected(table, m_list.selectedPositions())); });
    command("MMarkAllDuplicates", [this, &table] { show(MarkAllDuplicates(table)); });
    command("mnuAdvMarking", [this] { markAllDuplicatesUpto(); });
    command("MMarkFolder", [this, &table] { show(MarkFolder(table, m_list.currentPosition())); });
    command("mnuFolderAndSubFolder",
            [this, &table] { show(MarkFolderAndSubFolders(table, m_list.currentPosition())); });
    command("mnuAdvMarkForm", [this] { advanceMarking(); });
}

void MarkCommands::connectGestures() {
    connect(&m_list, &ResultListView::markAreaClicked, this, &MarkCommands::markAreaClicked);
    connect(&m_list, &ResultListView::rowDoubleClicked, this, &MarkCommands::rowDoubleClicked);
    connect(&m_list, &ResultListView::contextMenuRequested, this,
            [this](const QPoint& globalPos, int) { popUpActionMenu(globalPos); });
    m_list.installEventFilter(this);
}

void MarkCommands::show(const MarkOutcome& outcome) {
    m_list.applyChanges();
    if (outcome.totalsText) {
        m_window.statusPanel(1)->setText(displayText(*outcome.totalsText));
    }
    if (outcome.message) {
        showMessage(&m_window,
                    {displayText(outcome.message->title), displayText(outcome.message->text),
                     MessageIcon::None, MessageButtons::Ok, MessageAnswer::Ok});
    }
}

// ---- Gestures on the result list ----

void MarkCommands::markAreaClicked(int position) {
    show(itemClick(m_list.table(), position, m_list.lastMouseX()));
}

void MarkCommands::rowDoubleClicked(int position) {
    if (onMarkPicture(m_list.lastMouseX())) {
        markOrUnmarkSelected();
    } else if (position > 0) {
        m_window.findChild<QAction*>(QStringLiteral("MOpenFile"))->trigger();
    }
}

void MarkCommands::markOrUnmarkSelected() {
    show(pw::markOrUnmarkSelected(m_list.table(), m_list.currentPosition(),
                                  m_list.selectedPositions()));
}

bool MarkCommands::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &m_list && event->type() == QEvent::KeyRelease) {
        const auto* key = static_cast<const QKeyEvent*>(event);
        if (key->key() == Qt::Key_Space && !key->isAutoRepeat()) {
            markOrUnmarkSelected();
        }
    }
    return QObject::eventFilter(watched, event);
}

void MarkCommands::popUpActionMenu(const QPoint& globalPos) {
    if (m_list.table().rowCount() > 0) {
        m_window.findChild<QMenu*>(QStringLiteral("MAction"))->popup(globalPos);
    }
}

// ---- The marking dialogs ----

void MarkCommands::markAllDuplicatesUpto() {
    frmMaxSize dialog(m_window.settings(), m_maxSizeValue, &m_window);
    // Closed without "OK", the user chose no limit: the marks stay as they are instead
    // of being replaced by a run with the limit of an earlier use.
    if (runModal(dialog) != QDialog::Accepted) {
        return;
    }
    show(MarkAllDuplicatesUpto(m_list.table(), m_maxSizeValue.value_or(0)));
}

void MarkCommands::advanceMarking() {
    if (m_list.table().rowCount() <= 0) {
        return;
    }
    AdvMarkFrm& dialog = loadAdvMarkFrm();
    CenterForm(&dialog);
    runModal(dialog);
}

AdvMarkFrm& MarkCommands::loadAdvMarkFrm() {
    if (!m_advMark) {
        m_advMark = new AdvMarkFrm(
            m_window.settings(), m_list.table(),
            [this] {
                return m_window.currentParameters().options.method == SearchMethod::SameName;
            },
            &m_window);
        m_advMark->onTableChanged = [this](const std::optional<std::string>& totalsText) {
            show(MarkOutcome{totalsText, std::nullopt});
        };
    }
    return *m_advMark;
}

void MarkCommands::unloadAdvMarkFrm() {
    delete m_advMark.data();
}

void MarkCommands::takeFolders() {
    // A new list replaces the folders and check marks of the last one.
    unloadAdvMarkFrm();
    const ResultTable& table = m_list.table();
    if (table.grouped() && !table.distinctFolders.empty()) {
        loadAdvMarkFrm().setFolders(table.distinctFolderTexts());
    }
}

} // namespace pw
