#pragma once
// The main window: the search options, the search-path list, the toolbar, the three menus
// and the status bar, with the program's start and close.
//
// The window owns only what it shows. The result list goes into m_resultArea; scans,
// session files and the commands on results are wired to the window by the program's
// assembly through the actions (found by objectName), the hooks below, SetBusy and the
// cancel token.

#include "app/ui/qt_settings_store.h"
#include "fileops/recycle_preference.h"
#include "search/scan_types.h"
#include "session/session_file.h"

#include <QMainWindow>
#include <QUrl>
#include <functional>
#include <memory>
#include <string>

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;
class QRadioButton;
class QTimer;
class QToolBar;
class QTreeView;

namespace pw {

class CompletionSound;
class ProgramLock;
class ScanCommands;
class SearchPathModel;

// The tag of a check box whose click has a side effect: the reaction runs only while the
// tag is Direct. Code that sets the box from a file sets ThruFile meanwhile; Thru is the
// fuzzy box's state until a parameter section has been read once.
enum class ClickTag { Direct, ThruFile, Thru };

class MainFrm : public QMainWindow {
    Q_OBJECT

public:
    // commandLine: the program's arguments as one text; its first activation loads the
    // session file it names. mailLibrary: the shipped mail library to register ("" none).
    explicit MainFrm(std::string commandLine = {}, std::string mailLibrary = {},
                     QWidget* parent = nullptr);
    ~MainFrm() override;

    // ---- Hooks the program's assembly sets; each does nothing until set ----

    // Shows the fuzzy-match explanation window modally.
    std::function<void()> m_showFuzzyExplanation;
    // Loads the session file the command line names and scans it. Until set, the
    // parameters are loaded and a file that cannot be loaded is reported.
    std::function<void(const std::string& path)> m_openCommandLineSession;
    // Closes the picture preview window.
    std::function<void()> m_closePicturePreview;
    // New Session's part in the result list: its rows, shading and header pictures, and
    // the advanced marking dialog.
    std::function<void()> m_clearResults;
    // The rows of the result list (the Mark button pops its menu up only over rows).
    std::function<int()> m_resultRowCount;
    // The totals of the last scan, for the default session's header.
    std::function<ScanTotals()> m_scanTotals;
    // Opens a help page or web address with the system's handler; replaced in tests.
    std::function<bool(const QUrl&)> m_openUrl;

    // Where the result list goes: an empty widget with a layout.
    QWidget* m_resultArea = nullptr;

    // ---- State for the assembly ----

    // The search method, options and search paths as the controls hold them.
    SessionParameters currentParameters() const;
    // A parameter section read from a file: New Session first, then the method, the
    // options and the rows, with the click reactions suppressed meanwhile and armed after.
    void applyParameters(const LoadedParameters& loaded);
    void applyParameters(const SessionParameters& parameters);

    // Busy while a scan or a session load runs: only Cancel stays usable.
    void SetBusy(bool busy);
    // Set by the Cancel command (after Yes); the assembly resets it when work starts.
    CancelToken& searchCancelled() { return m_searchCancelled; }
    // Starts Timer2, which plays the completion sound once.
    void startCompletionSound();
    // Stores the window geometry and writes the default session (failures ignored).
    void SaveDefaultParameters();
    // The Add command of the search-path list (also the scan's answer to an empty list).
    void AddSearchPath();
    void NewSession();

    SettingsStore& settings() { return m_store; }
    const std::string& defaultSessionPath() const { return m_defaultSession; }
    QLabel* statusPanel(int panel) const;       // 1 to 5
    QAction* toolbarButton(int position) const; // 1 to 12; nullptr for the separators
    bool pictureViewerOn() const;
    RecyclePreference recyclePreference() const { return m_recycle; }
    ClickTag protectTag() const { return m_protectTag; }
    ClickTag fuzzyTag() const { return m_fuzzyTag; }
    bool programLockHeld() const;
    // Scans, session files and the result list.
    ScanCommands& scanCommands() { return *m_scan; }

signals:
    // Cancel was confirmed: the running scan or load is to stop.
    void cancelRequested();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Construction (main_frm.cpp).
    void buildOptions();
    void buildSearchList();
    void buildToolbar();
    void buildMenus();
    void buildStatusBar();
    void buildLayout();
    QAction* addCommand(QMenu* menu, const char* name, const char* caption,
                        const QKeySequence& shortcut = {});
    void loadSettings();

    // Behaviour (main_frm_commands.cpp).
    void firstActivation();
    void selectMethod(SearchMethod method);
    void fuzzyClicked(bool checked);
    void protectClicked(bool checked);
    void cancelCommand();
    void markButton();
    void editSearchPath(const QModelIndex& index);
    void removeSearchPath();
    void toggleViewer();
    void toggleRecycle();
    void showViewerState();
    void showRecycleState();
    void openHelpPage(const QUrl& url);
    void enableMenus(bool enable);
    void playCompletionSound();
    WindowGeometry geometryTwips() const;
    double logicalDpi() const;

    QtSettingsStore m_store;
    std::string m_commandLine;
    std::string m_defaultSession;
    std::unique_ptr<ProgramLock> m_lock;
    CancelToken m_searchCancelled;
    bool m_activated = false;
    ClickTag m_protectTag = ClickTag::Direct;
    ClickTag m_fuzzyTag = ClickTag::Thru;
    int m_display = 10;
    RecyclePreference m_recycle = RecyclePreference::RecycleBin;

    QRadioButton* m_option[4] = {};
    QCheckBox* m_chkFuzzy = nullptr;
    QCheckBox* m_chkProtect = nullptr;
    QCheckBox* m_chkIncludeHidden = nullptr;
    QGroupBox* m_searchEngine = nullptr;
    QTreeView* m_searchList = nullptr;
    SearchPathModel* m_searchPaths = nullptr;
    QPushButton* m_cmdAdd = nullptr;
    QPushButton* m_cmdRemove = nullptr;
    QToolBar* m_toolbar = nullptr;
    QAction* m_buttons[12] = {};
    QMenu* m_mnuFile = nullptr;
    QMenu* m_mAction = nullptr;
    QMenu* m_mMark = nullptr;
    QMenu* m_mHelp = nullptr;
    QAction* m_escape = nullptr;
    QLabel* m_panels[5] = {};
    QTimer* m_timer2 = nullptr;
    CompletionSound* m_sound = nullptr;
    ScanCommands* m_scan = nullptr;
};

} // namespace pw
