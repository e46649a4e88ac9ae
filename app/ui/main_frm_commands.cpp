// The main window's commands and reactions: the search options, the search-path list,
// Cancel, New Session, the busy state, the Viewer and Recycle switches, the help commands,
// the first activation and the close.

#include "app/startup.h"
#include "app/ui/about_frm.h"
#include "app/ui/completion_sound.h"
#include "app/ui/folder_frm.h"
#include "app/ui/frm_tip.h"
#include "app/ui/main_frm.h"
#include "app/ui/search_path_model.h"
#include "common/ui/modal.h"
#include "common/ui/pictures.h"
#include "common/ui/program_folders.h"
#include "common/ui/ui_text.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>

namespace pw {
namespace {

const QString kCaption = QStringLiteral("Pairwell v3.0");

void setBold(QWidget* widget, bool bold) {
    QFont font = widget->font();
    font.setBold(bold);
    widget->setFont(font);
}

int methodIndex(SearchMethod method) {
    return static_cast<int>(method);
}

MessageRequest yesNoQuestion(const UserMessage& question, MessageIcon icon) {
    return {displayText(question.title), displayText(question.text), icon, MessageButtons::YesNo,
            MessageAnswer::No};
}

} // namespace

// ---- Search options ----

void MainFrm::selectMethod(SearchMethod method) {
    for (int i = 0; i < 4; ++i) {
        const bool chosen = i == methodIndex(method);
        if (chosen) {
            m_option[i]->setChecked(true);
        }
        setBold(m_option[i], chosen);
    }
    // The fuzzy box keeps its value; it only counts with "Byte to Byte".
    m_chkFuzzy->setEnabled(method == SearchMethod::ByteToByte);
}

void MainFrm::fuzzyClicked(bool checked) {
    const bool react = m_fuzzyTag == ClickTag::Direct && checked;
    setBold(m_chkFuzzy, react);
    if (react && m_showFuzzyExplanation) {
        m_showFuzzyExplanation();
    }
}

void MainFrm::protectClicked(bool checked) {
    if (m_protectTag != ClickTag::Direct || checked) {
        return;
    }
    const UserMessage question{
        "It is highly recommended to leave this option checked to prevent loss of data.\n"
        "Do you want to leave this option",
        "Confirm"};
    if (showMessage(this, yesNoQuestion(question, MessageIcon::Critical)) == MessageAnswer::Yes) {
        m_chkProtect->setChecked(true);
    }
}

SessionParameters MainFrm::currentParameters() const {
    SessionParameters parameters;
    for (int i = 0; i < 4; ++i) {
        if (m_option[i]->isChecked()) {
            parameters.options.method = static_cast<SearchMethod>(i);
        }
    }
    parameters.options.fuzzy = m_chkFuzzy->isChecked();
    parameters.options.protectSystem = m_chkProtect->isChecked();
    parameters.options.includeHidden = m_chkIncludeHidden->isChecked();
    parameters.paths = m_searchPaths->rows();
    return parameters;
}

void MainFrm::applyParameters(const LoadedParameters& loaded) {
    applyParameters(loaded.parameters);
}

void MainFrm::applyParameters(const SessionParameters& parameters) {
    NewSession();
    selectMethod(parameters.options.method);
    m_protectTag = ClickTag::ThruFile;
    m_chkProtect->setChecked(parameters.options.protectSystem);
    m_chkIncludeHidden->setChecked(parameters.options.includeHidden);
    m_fuzzyTag = ClickTag::ThruFile;
    m_chkFuzzy->setChecked(parameters.options.fuzzy);
    setBold(m_chkFuzzy, false);
    m_protectTag = ClickTag::Direct;
    m_fuzzyTag = ClickTag::Direct;
    m_searchPaths->setRows(parameters.paths);
    m_cmdRemove->setEnabled(m_searchPaths->rowCount() > 0);
}

// ---- Search-path list ----

void MainFrm::AddSearchPath() {
    const std::optional<SearchPathEntry> entry = runFolderFrm(m_store, std::nullopt, this);
    if (!entry) {
        return;
    }
    const int position = m_searchPaths->addOrUpdate(*entry);
    m_searchList->setCurrentIndex(m_searchPaths->index(position, 0));
    m_cmdRemove->setEnabled(m_searchPaths->rowCount() > 0);
}

void MainFrm::editSearchPath(const QModelIndex& index) {
    if (!index.isValid() || index.row() >= m_searchPaths->rowCount()) {
        return;
    }
    const int position = index.row();
    const SearchPathEntry row = m_searchPaths->rows()[static_cast<std::size_t>(position)];
    if (const std::optional<SearchPathEntry> entry = runFolderFrm(m_store, row, this)) {
        m_searchPaths->replace(position, *entry);
    }
}

void MainFrm::removeSearchPath() {
    const QModelIndexList selected = m_searchList->selectionModel()->selectedRows();
    if (selected.isEmpty()) {
        return;
    }
    m_searchPaths->remove(selected.first().row());
    m_cmdRemove->setEnabled(m_searchPaths->rowCount() > 0);
}

// ---- Commands ----

void MainFrm::cancelCommand() {
    const UserMessage question{"Are you sure to cancel searching?", "Cancel Search"};
    if (showMessage(this, yesNoQuestion(question, MessageIcon::None)) == MessageAnswer::Yes) {
        m_searchCancelled.cancel();
        emit cancelRequested();
    }
}

void MainFrm::markButton() {
    if (!m_resultRowCount || m_resultRowCount() <= 0) {
        return;
    }
    QWidget* button = m_toolbar->widgetForAction(toolbarButton(4));
    m_mMark->popup(button ? button->mapToGlobal(QPoint(0, button->height())) : QCursor::pos());
}

void MainFrm::NewSession() {
    if (m_clearResults) {
        m_clearResults();
    }
    m_searchPaths->setRows({});
    selectMethod(SearchMethod::ByteToByte);
    m_chkProtect->setChecked(true);
    m_chkIncludeHidden->setChecked(false);
    m_chkFuzzy->setChecked(false);
    setBold(m_chkFuzzy, false);
    m_cmdRemove->setEnabled(false);
    if (m_closePicturePreview) {
        m_closePicturePreview();
    }
    statusPanel(1)->setText(
        QStringLiteral("Add search path and click on the scan button to start search."));
    for (int panel = 2; panel <= 4; ++panel) {
        statusPanel(panel)->hide();
    }
    statusPanel(5)->setText(QStringLiteral("00:00:00"));
}

void MainFrm::SetBusy(bool busy) {
    for (int position = 1; position <= 12; ++position) {
        if (QAction* button = toolbarButton(position)) {
            button->setEnabled(position == 2 ? busy : !busy);
        }
    }
    findChild<QAction*>(QStringLiteral("MCancel"))->setEnabled(busy);
    enableMenus(!busy);
    if (busy && m_closePicturePreview) {
        m_closePicturePreview();
    }
    m_searchList->setEnabled(!busy);
    m_resultArea->setEnabled(!busy);
    m_cmdAdd->setEnabled(!busy);
    m_cmdRemove->setEnabled(!busy && m_searchPaths->rowCount() > 0);
    for (QRadioButton* option : m_option) {
        option->setEnabled(!busy);
    }
    m_chkProtect->setEnabled(!busy);
    m_chkIncludeHidden->setEnabled(!busy);
    m_chkFuzzy->setEnabled(!busy && m_option[0]->isChecked());
    statusPanel(2)->setVisible(!busy && !m_option[3]->isChecked());
    statusPanel(3)->setVisible(!busy);
    statusPanel(4)->setVisible(!busy);
    // The searches write their progress into the caption while the window is minimized.
    if (!busy && windowTitle() != kCaption) {
        setWindowTitle(QStringLiteral("100% Completed"));
    }
}

void MainFrm::enableMenus(bool enable) {
    for (QMenu* menu : {m_mnuFile, m_mAction, m_mHelp}) {
        menu->menuAction()->setEnabled(enable);
    }
    for (const char* name :
         {"MScan", "MNewSession", "MSaveSession", "MLoadSession", "MExport", "MClose"}) {
        findChild<QAction*>(QLatin1String(name))->setEnabled(enable);
    }
}

void MainFrm::toggleViewer() {
    if (m_display == kDisplayOff) {
        m_display = kDisplayOn;
    } else {
        m_display = kDisplayOff;
        if (m_closePicturePreview) {
            m_closePicturePreview();
        }
    }
    showViewerState();
    saveDisplay(m_store, m_display);
}

void MainFrm::showViewerState() {
    toolbarButton(11)->setIcon(pictureIcon(m_display));
    findChild<QAction*>(QStringLiteral("MPicViewer"))->setChecked(m_display == kDisplayOn);
}

void MainFrm::toggleRecycle() {
    m_recycle = toggleRecyclePreference(m_store, [this](const UserMessage& question) {
        return showMessage(this, yesNoQuestion(question, MessageIcon::None)) == MessageAnswer::Yes;
    });
    showRecycleState();
}

void MainFrm::showRecycleState() {
    toolbarButton(12)->setIcon(pictureIcon(static_cast<int>(m_recycle)));
    findChild<QAction*>(QStringLiteral("MSendToRecycleBin"))
        ->setChecked(sendsToRecycleBin(m_recycle));
}

void MainFrm::openHelpPage(const QUrl& url) {
    // Without a handler for the page nothing is said.
    if (m_openUrl) {
        m_openUrl(url);
    }
}

void MainFrm::startCompletionSound() {
    m_timer2->start();
}

void MainFrm::playCompletionSound() {
    const std::string folder = programDataFolder();
    if (!folder.empty()) {
        m_sound->play(folder + "/end.wav");
    }
}

// ---- Start and close ----

void MainFrm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!m_activated) {
        m_activated = true;
        // Once the window is on the screen, so that a tip or a message opens over it.
        QTimer::singleShot(0, this, &MainFrm::firstActivation);
    }
}

void MainFrm::firstActivation() {
    const FirstActivation next = pw::firstActivation(m_commandLine, m_store);
    if (!next.sessionPath.empty()) {
        if (m_openCommandLineSession) {
            m_openCommandLineSession(next.sessionPath);
            return;
        }
        const LoadedParameters loaded = LoadParameters(next.sessionPath);
        applyParameters(loaded);
        if (!loaded.ok) {
            const UserMessage message = sessionNotFoundMessage(next.sessionPath);
            showMessage(this, {displayText(message.title), displayText(message.text),
                               MessageIcon::Critical, MessageButtons::Ok, MessageAnswer::Ok});
        }
    } else if (next.showTip) {
        showTipWindow(m_store, this);
    }
}

void MainFrm::SaveDefaultParameters() {
    const ScanTotals totals = m_scanTotals ? m_scanTotals() : ScanTotals{};
    const int rows = m_resultRowCount ? m_resultRowCount() : 0;
    // A default session that cannot be written only means the next start begins afresh.
    pw::SaveDefaultParameters(m_store, geometryTwips(), m_defaultSession, currentParameters(),
                              totals, rows);
}

void MainFrm::closeEvent(QCloseEvent* event) {
    SaveDefaultParameters();
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows) {
        if (window != this && window->isVisible()) {
            window->close();
        }
    }
    event->accept();
}

void MainFrm::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (!isMinimized()) {
        setWindowTitle(kCaption);
    }
}

} // namespace pw
