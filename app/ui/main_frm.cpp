#include "app/ui/main_frm.h"

#include "app/mail_component.h"
#include "app/startup.h"
#include "app/ui/about_frm.h"
#include "app/ui/completion_sound.h"
#include "app/ui/file_actions.h"
#include "app/ui/file_op_commands.h"
#include "app/ui/frm_tip.h"
#include "app/ui/mark_commands.h"
#include "app/ui/program_lock.h"
#include "app/ui/scan_commands.h"
#include "app/ui/search_path_model.h"
#include "common/twips.h"
#include "common/ui/pictures.h"
#include "common/ui/program_folders.h"
#include "common/ui/ui_text.h"

#include <QAction>
#include <QCheckBox>
#include <QDesktopServices>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <filesystem>
#include <utility>

namespace pw {
namespace {

struct ToolbarButton {
    const char* name;
    const char* caption;
    const char* tooltip;
    Picture picture;
};

// Positions 3 and 9 are separators.
const std::array<ToolbarButton, 10> kToolbarButtons{{
    {"tbScan", "Scan", "Click here to start your search", Picture::Scan},
    {"tbCancel", "Cancel", "Cancel current process", Picture::Cancel},
    {"tbMark", "Mark", "Select the desire marking option for deletion/moving/copeing files",
     Picture::Mark},
    {"tbCopy", "Copy", "Click here to copy all marked files", Picture::Copy},
    {"tbMove", "Move", "Click here to move all marked files", Picture::Move},
    {"tbDelete", "Delete", "Click here to delete all marked files", Picture::Delete},
    {"tbRename", "Rename", "Click here to rename selected file", Picture::Rename},
    {"tbExport", "Export", "Export the result to selected format", Picture::Export},
    {"tbViewer", "Viewer", "Show/Hide picture viewer", Picture::ViewerOn},
    {"tbRecycle", "Recycle", "Set the default deletion destination", Picture::RecycleBin},
}};
constexpr std::array<int, 10> kButtonPositions{1, 2, 4, 5, 6, 7, 8, 10, 11, 12};

// Widths in twips, turned into pixels at the screen's density.
constexpr double kMinimumWidth = 10350;
constexpr double kMinimumHeight = 5000;
constexpr double kFolderColumnWidth = 2800;
constexpr double kOptionColumnWidth = 900;

QLabel* statusLabel(const char* name, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

} // namespace

MainFrm::MainFrm(std::string commandLine, std::string mailLibrary, QWidget* parent)
    : QMainWindow(parent), m_commandLine(std::move(commandLine)) {
    setObjectName(QStringLiteral("MainFrm"));
    setWindowTitle(QStringLiteral("Pairwell v3.0"));
    setWindowIcon(pictureIcon(Picture::Application));
    m_openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };

    buildOptions();
    buildSearchList();
    buildMenus();
    buildToolbar();
    buildStatusBar();
    buildLayout();
    m_scan = new ScanCommands(*this);
    new MarkCommands(*this);
    new FileActions(*this);
    new FileOpCommands(*this);

    m_timer2 = new QTimer(this);
    m_timer2->setObjectName(QStringLiteral("Timer2"));
    m_timer2->setSingleShot(true);
    m_timer2->setInterval(500);
    m_sound = new CompletionSound(this);
    connect(m_timer2, &QTimer::timeout, this, &MainFrm::playCompletionSound);

    statusPanel(3)->setText(QStringLiteral("Files : 0"));
    statusPanel(4)->setText(QStringLiteral("Folders : 0"));
    statusPanel(2)->setText(QStringLiteral("Duplicates : 0"));
    m_lock = std::make_unique<ProgramLock>();
    loadSettings();
    if (!mailLibrary.empty()) {
        // Mailing a report fails later without it; nothing else depends on it.
        registerMailComponent(mailLibrary);
    }
    m_defaultSession = defaultSessionFile(userDataFolder());
    std::error_code ec;
    if (!m_defaultSession.empty() && std::filesystem::exists(m_defaultSession, ec)) {
        applyParameters(LoadParameters(m_defaultSession));
    }
}

MainFrm::~MainFrm() = default;

void MainFrm::buildOptions() {
    m_searchEngine = new QGroupBox(QStringLiteral("Search Engine"), this);
    m_searchEngine->setObjectName(QStringLiteral("fraSearchEngine"));
    const std::array<const char*, 4> captions{"Byte to Byte", "Cyclic Redundancy Check (CRC32)",
                                              "Same Name Files", "Zero Size Files "};
    const std::array<SearchMethod, 4> methods{SearchMethod::ByteToByte, SearchMethod::Crc32,
                                              SearchMethod::SameName, SearchMethod::ZeroSize};
    auto* grid = new QGridLayout(m_searchEngine);
    grid->setVerticalSpacing(2);
    for (std::size_t i = 0; i < captions.size(); ++i) {
        m_option[i] = new QRadioButton(QString::fromLatin1(captions[i]), m_searchEngine);
        m_option[i]->setObjectName(QStringLiteral("Option%1").arg(i + 1));
        connect(m_option[i], &QRadioButton::clicked, this,
                [this, method = methods[i]] { selectMethod(method); });
        grid->addWidget(m_option[i], static_cast<int>(i), 0);
    }
    m_chkFuzzy = new QCheckBox(QStringLiteral("Use Fuzzy Logic"), m_searchEngine);
    m_chkFuzzy->setObjectName(QStringLiteral("chkFuzzy"));
    connect(m_chkFuzzy, &QCheckBox::clicked, this, &MainFrm::fuzzyClicked);
    m_chkProtect = new QCheckBox(QStringLiteral("Protect Windows Folders"), m_searchEngine);
    m_chkProtect->setObjectName(QStringLiteral("chkProtect"));
    m_chkProtect->setChecked(true);
    connect(m_chkProtect, &QCheckBox::clicked, this, &MainFrm::protectClicked);
    m_chkIncludeHidden =
        new QCheckBox(QStringLiteral("Include Hidden Folders and Files"), m_searchEngine);
    m_chkIncludeHidden->setObjectName(QStringLiteral("chkIncludeHidden"));
    // The fuzzy box beside the method it belongs to; the two options of every method
    // below the methods, so that the frame leaves the search-path list its width.
    grid->addWidget(m_chkFuzzy, 0, 1);
    grid->addWidget(m_chkProtect, 4, 0, 1, 2);
    grid->addWidget(m_chkIncludeHidden, 5, 0, 1, 2);
    grid->setHorizontalSpacing(10);
    selectMethod(SearchMethod::ByteToByte);
}

void MainFrm::buildSearchList() {
    m_searchPaths = new SearchPathModel(this);
    m_searchList = new QTreeView(this);
    m_searchList->setObjectName(QStringLiteral("SearchList"));
    m_searchList->setAccessibleName(QStringLiteral("Search Locations"));
    m_searchList->setModel(m_searchPaths);
    m_searchList->setRootIsDecorated(false);
    m_searchList->setItemsExpandable(false);
    m_searchList->setUniformRowHeights(true);
    m_searchList->setAllColumnsShowFocus(true);
    m_searchList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_searchList->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_searchList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_searchList->header()->setStretchLastSection(false);
    m_searchList->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Ignored);
    // Wide enough for the caption, and the folder and the mask wider still.
    const double dpi = logicalDpi();
    for (int column = 0; column < SearchPathModel::ColumnCount; ++column) {
        const double twips = column == SearchPathModel::Folder     ? kFolderColumnWidth
                             : column == SearchPathModel::FileType ? 2 * kOptionColumnWidth
                                                                   : kOptionColumnWidth;
        m_searchList->setColumnWidth(
            column,
            std::max(twipsToPixels(twips, dpi), m_searchList->header()->sectionSizeHint(column)));
    }
    connect(m_searchList, &QTreeView::doubleClicked, this, &MainFrm::editSearchPath);

    m_cmdAdd = new QPushButton(this);
    m_cmdAdd->setObjectName(QStringLiteral("cmdAdd"));
    m_cmdAdd->setIcon(pictureIcon(Picture::AddFolder));
    m_cmdAdd->setIconSize(QSize(24, 24));
    m_cmdAdd->setToolTip(QStringLiteral("Add a folder to search or to leave out"));
    m_cmdAdd->setAccessibleName(QStringLiteral("Add Folder"));
    connect(m_cmdAdd, &QPushButton::clicked, this, &MainFrm::AddSearchPath);
    m_cmdRemove = new QPushButton(this);
    m_cmdRemove->setObjectName(QStringLiteral("cmdRemove"));
    m_cmdRemove->setIcon(pictureIcon(Picture::RemoveFolder));
    m_cmdRemove->setIconSize(QSize(24, 24));
    m_cmdRemove->setToolTip(QStringLiteral("Remove the selected folder"));
    m_cmdRemove->setAccessibleName(QStringLiteral("Remove Folder"));
    m_cmdRemove->setEnabled(false);
    connect(m_cmdRemove, &QPushButton::clicked, this, &MainFrm::removeSearchPath);
}

QAction* MainFrm::addCommand(QMenu* menu, const char* name, const char* caption,
                             const QKeySequence& shortcut) {
    QAction* action = menu->addAction(QString::fromLatin1(caption));
    action->setObjectName(QLatin1String(name));
    action->setShortcut(shortcut);
    return action;
}

void MainFrm::buildMenus() {
    m_mnuFile = menuBar()->addMenu(QStringLiteral("File"));
    m_mnuFile->setObjectName(QStringLiteral("MnuFile"));
    addCommand(m_mnuFile, "MScan", "Scan", Qt::Key_F5);
    QAction* cancel = addCommand(m_mnuFile, "MCancel", "Cancel", Qt::Key_F6);
    cancel->setEnabled(false);
    connect(cancel, &QAction::triggered, this, &MainFrm::cancelCommand);
    m_mnuFile->addSeparator();
    connect(addCommand(m_mnuFile, "MNewSession", "New Session", QKeySequence(Qt::CTRL | Qt::Key_N)),
            &QAction::triggered, this, &MainFrm::NewSession);
    addCommand(m_mnuFile, "MLoadSession", "Load Session", QKeySequence(Qt::CTRL | Qt::Key_L));
    addCommand(m_mnuFile, "MSaveSession", "Save Session", QKeySequence(Qt::CTRL | Qt::Key_S));
    m_mnuFile->addSeparator();
    addCommand(m_mnuFile, "MExport", "Export", QKeySequence(Qt::CTRL | Qt::Key_E));
    m_mnuFile->addSeparator();
    QAction* viewer = addCommand(m_mnuFile, "MPicViewer", "Show Picture Viewer");
    viewer->setCheckable(true);
    connect(viewer, &QAction::triggered, this, &MainFrm::toggleViewer);
    QAction* recycle = addCommand(m_mnuFile, "MSendToRecycleBin", "Send to Recycle Bin");
    recycle->setCheckable(true);
    connect(recycle, &QAction::triggered, this, &MainFrm::toggleRecycle);
    m_mnuFile->addSeparator();
    connect(addCommand(m_mnuFile, "MClose", "Close", QKeySequence(Qt::CTRL | Qt::Key_X)),
            &QAction::triggered, this, &QWidget::close);

    m_mAction = menuBar()->addMenu(QStringLiteral("Action"));
    m_mAction->setObjectName(QStringLiteral("MAction"));
    m_mMark = m_mAction->addMenu(QStringLiteral("Mark Quick"));
    m_mMark->setObjectName(QStringLiteral("MMark"));
    m_mMark->menuAction()->setObjectName(QStringLiteral("MMark"));
    addCommand(m_mMark, "MNone", "None");
    // Shown instead of the grouped commands after a zero-size listing.
    addCommand(m_mMark, "MMarkAll", "Mark All")->setVisible(false);
    m_mMark->addSeparator();
    addCommand(m_mMark, "MMarkingSelected", "Mark Selected");
    addCommand(m_mMark, "mnuUnMarkSelected", "UnMark Selected");
    m_mMark->addSeparator()->setObjectName(QStringLiteral("MarkSep2"));
    addCommand(m_mMark, "MMarkAllDuplicates", "Mark All Duplicates",
               QKeySequence(Qt::CTRL | Qt::Key_D));
    addCommand(m_mMark, "mnuAdvMarking", "Mark All Duplicates upto...")->setVisible(false);
    m_mMark->addSeparator();
    addCommand(m_mMark, "MMarkFolder", "Mark Folder");
    addCommand(m_mMark, "mnuFolderAndSubFolder", "Mark Folder and Sub Folders");
    addCommand(m_mAction, "mnuAdvMarkForm", "Advance Marking", QKeySequence(Qt::CTRL | Qt::Key_A));
    m_mAction->addSeparator();
    addCommand(m_mAction, "MCopyMarkFiles", "Copy", QKeySequence(Qt::CTRL | Qt::Key_C));
    addCommand(m_mAction, "MMoveSelected", "Move ", QKeySequence(Qt::CTRL | Qt::Key_M));
    addCommand(m_mAction, "MDelete", "Delete", Qt::Key_Delete);
    addCommand(m_mAction, "MRename", "Rename", QKeySequence(Qt::CTRL | Qt::Key_R));
    m_mAction->addSeparator();
    addCommand(m_mAction, "mnuRemoveFromResult", "Remove from result list",
               QKeySequence(Qt::CTRL | Qt::Key_K));
    m_mAction->addSeparator();
    addCommand(m_mAction, "MOpenFile", "Open File", QKeySequence(Qt::CTRL | Qt::Key_O));
    addCommand(m_mAction, "MOpenFolder", "Open Folder", QKeySequence(Qt::CTRL | Qt::Key_F));
    addCommand(m_mAction, "mnuOpenAllMarkFiles", "Open Mark Files",
               QKeySequence(Qt::CTRL | Qt::Key_J))
        ->setVisible(false);
    m_mAction->addSeparator();
    addCommand(m_mAction, "MCopyPath", "Copy path to clipboard",
               QKeySequence(Qt::CTRL | Qt::Key_W));
    m_mAction->addSeparator();
    addCommand(m_mAction, "MFileProperties", "File Properties", QKeySequence(Qt::CTRL | Qt::Key_P));

    m_mHelp = menuBar()->addMenu(QStringLiteral("Help"));
    m_mHelp->setObjectName(QStringLiteral("MHelp"));
    connect(addCommand(m_mHelp, "MHelpTopics", "Help Topics", Qt::Key_F1), &QAction::triggered,
            this, [this] {
                const std::string folder = programDataFolder();
                if (!folder.empty()) {
                    openHelpPage(fileUrl(folder + "/Help.html"));
                }
            });
    connect(addCommand(m_mHelp, "mnuTip", "Tip of the day", Qt::Key_F2), &QAction::triggered, this,
            [this] { showTipWindow(m_store, this); });
    m_mHelp->addSeparator();
    connect(addCommand(m_mHelp, "mnuFaq", "FAQ"), &QAction::triggered, this,
            [this] { openHelpPage(QUrl(QStringLiteral("https://pairwell.example/faq"))); });
    connect(addCommand(m_mHelp, "mnuHelponline", "Help Online"), &QAction::triggered, this,
            [this] { openHelpPage(QUrl(QStringLiteral("https://pairwell.example/help"))); });
    m_mHelp->addSeparator();
    connect(addCommand(m_mHelp, "MAbout", "About Pairwell"), &QAction::triggered, this,
            [this] { showAboutWindow(this); });

    // Cancel must answer while the busy state has switched the File menu off; Esc stands
    // for the hidden cancel button and counts only while Cancel is enabled.
    addAction(cancel);
    m_escape = new QAction(this);
    m_escape->setObjectName(QStringLiteral("EscCancel"));
    m_escape->setShortcut(Qt::Key_Escape);
    connect(m_escape, &QAction::triggered, this, [this, cancel] {
        if (cancel->isEnabled()) {
            cancelCommand();
        }
    });
    addAction(m_escape);
}

void MainFrm::buildToolbar() {
    m_toolbar = addToolBar(QStringLiteral("Toolbar"));
    m_toolbar->setObjectName(QStringLiteral("Toolbar1"));
    m_toolbar->setMovable(false);
    m_toolbar->setFloatable(false);
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_toolbar->setIconSize(QSize(24, 24));
    std::size_t next = 0;
    for (int position = 1; position <= 12; ++position) {
        if (position == 3 || position == 9) {
            m_toolbar->addSeparator();
            continue;
        }
        const ToolbarButton& button = kToolbarButtons[next];
        QAction* action =
            m_toolbar->addAction(pictureIcon(button.picture), QString::fromLatin1(button.caption));
        action->setObjectName(QLatin1String(button.name));
        action->setToolTip(QString::fromLatin1(button.tooltip));
        m_buttons[kButtonPositions[next] - 1] = action;
        ++next;
    }
    const auto forward = [this](int position, const char* menuCommand) {
        QAction* command = findChild<QAction*>(QLatin1String(menuCommand));
        connect(toolbarButton(position), &QAction::triggered, command, &QAction::trigger);
    };
    forward(1, "MScan");
    forward(5, "MCopyMarkFiles");
    forward(6, "MMoveSelected");
    forward(7, "MDelete");
    forward(8, "MRename");
    forward(10, "MExport");
    toolbarButton(2)->setEnabled(false);
    connect(toolbarButton(2), &QAction::triggered, this, &MainFrm::cancelCommand);
    connect(toolbarButton(4), &QAction::triggered, this, &MainFrm::markButton);
    connect(toolbarButton(11), &QAction::triggered, this, &MainFrm::toggleViewer);
    connect(toolbarButton(12), &QAction::triggered, this, &MainFrm::toggleRecycle);
}

void MainFrm::buildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(true);
    const std::array<const char*, 5> names{"StatusPanel1", "StatusPanel2", "StatusPanel3",
                                           "StatusPanel4", "StatusPanel5"};
    // A label's accessible name is its text, announced anew on every change; a name of
    // its own would hide the text from a screen reader, so what a panel holds is told by
    // its description.
    const std::array<const char*, 5> meanings{"Status", "Duplicates", "Files scanned",
                                              "Folders scanned", "Elapsed time"};
    for (std::size_t i = 0; i < names.size(); ++i) {
        m_panels[i] = statusLabel(names[i], bar);
        m_panels[i]->setAccessibleDescription(QString::fromLatin1(meanings[i]));
        m_panels[i]->setMinimumWidth(i == 0 ? 200 : 70);
        // Panels stand apart like the sunken panes of a status bar.
        m_panels[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        m_panels[i]->setContentsMargins(4, 0, 4, 0);
        bar->addWidget(m_panels[i], i == 0 ? 1 : 0);
    }
}

void MainFrm::buildLayout() {
    auto* buttons = new QVBoxLayout;
    buttons->setSpacing(4);
    buttons->addWidget(m_cmdAdd);
    buttons->addWidget(m_cmdRemove);
    buttons->addStretch(1);

    auto* top = new QHBoxLayout;
    top->addWidget(m_searchList, 1);
    top->addLayout(buttons);
    top->addWidget(m_searchEngine);

    m_resultArea = new QWidget(this);
    m_resultArea->setObjectName(QStringLiteral("ResultArea"));
    auto* resultLayout = new QVBoxLayout(m_resultArea);
    resultLayout->setContentsMargins(0, 0, 0, 0);

    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("MainArea"));
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(6, 4, 6, 2);
    layout->addLayout(top);
    layout->addWidget(m_resultArea, 1);
    setCentralWidget(central);

    // The keyboard follows the layout: the list and its buttons, then the options, then
    // the result list, which joins the end of the chain when it is put in. Qt keeps the
    // chain as a ring and leaves a pair alone that already follows round the ring (the
    // buttons before the options, made first), so the options go behind the list first
    // and the buttons in between after.
    QWidget* previous = m_searchList;
    for (QWidget* next :
         std::initializer_list<QWidget*>{m_option[0], m_option[1], m_option[2], m_option[3],
                                         m_chkFuzzy, m_chkProtect, m_chkIncludeHidden}) {
        setTabOrder(previous, next);
        previous = next;
    }
    setTabOrder(m_searchList, m_cmdAdd);
    setTabOrder(m_cmdAdd, m_cmdRemove);

    const double dpi = logicalDpi();
    setMinimumSize(twipsToPixels(kMinimumWidth, dpi), twipsToPixels(kMinimumHeight, dpi));
}

void MainFrm::loadSettings() {
    const double dpi = logicalDpi();
    const WindowGeometry window = loadWindowSize(m_store);
    resize(twipsToPixels(window.width, dpi), twipsToPixels(window.height, dpi));
    const QPoint position(twipsToPixels(window.left, dpi), twipsToPixels(window.top, dpi));
    // A window stored on a screen that is no longer there would open where nobody can
    // reach it: such a window starts at the top left corner of the current screen.
    const QPoint titleBar = position + QPoint(width() / 2, 0);
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (QGuiApplication::screenAt(titleBar) || !primary) {
        move(position);
    } else {
        move(primary->availableGeometry().topLeft());
    }
    m_display = loadDisplay(m_store);
    m_recycle = loadRecyclePreference(m_store);
    showViewerState();
    showRecycleState();
}

QLabel* MainFrm::statusPanel(int panel) const {
    return panel >= 1 && panel <= 5 ? m_panels[panel - 1] : nullptr;
}

QAction* MainFrm::toolbarButton(int position) const {
    return position >= 1 && position <= 12 ? m_buttons[position - 1] : nullptr;
}

bool MainFrm::pictureViewerOn() const {
    return m_display == kDisplayOn;
}

bool MainFrm::programLockHeld() const {
    return m_lock && m_lock->held();
}

double MainFrm::logicalDpi() const {
    const QScreen* current = screen();
    return current ? current->logicalDotsPerInch() : 96.0;
}

WindowGeometry MainFrm::geometryTwips() const {
    const double dpi = logicalDpi();
    return {pixelsToTwips(width(), dpi), pixelsToTwips(height(), dpi), pixelsToTwips(y(), dpi),
            pixelsToTwips(x(), dpi)};
}

} // namespace pw
