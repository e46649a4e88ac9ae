#include "app/ui/scan_commands.h"

#include "app/startup.h"
#include "app/ui/main_frm.h"
#include "app/ui/scan_job.h"
#include "common/ui/modal.h"
#include "common/ui/ui_text.h"
#include "results/ui/result_list_view.h"
#include "search/ui/fuzzy_frm.h"
#include "session/session_file.h"
#include "session/ui/save_frm.h"
#include "settings/settings_table.h"

#include <QAction>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLayout>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <ctime>
#include <utility>

namespace pw {
namespace {

QString text(const std::string& bytes) {
    return displayText(bytes);
}

void showUserMessage(QWidget* parent, const UserMessage& message, MessageIcon icon) {
    showMessage(parent, {text(message.title), text(message.text), icon, MessageButtons::Ok,
                         MessageAnswer::Ok});
}

// The files a scan could not read, one line each, in a window of their own.
void showIssueList(QWidget* parent, const std::vector<FileIssue>& issues) {
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("ScanIssuesFrm"));
    dialog.setWindowTitle(QStringLiteral("Files not searched"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* heading = new QLabel(
        QStringLiteral("These files and folders could not be read and are not in the result:"),
        &dialog);
    auto* list = new QPlainTextEdit(&dialog);
    list->setObjectName(QStringLiteral("txtIssues"));
    list->setReadOnly(true);
    list->setLineWrapMode(QPlainTextEdit::NoWrap);
    list->setAccessibleName(heading->text());
    QStringList lines;
    for (const FileIssue& issue : issues) {
        lines << text(issue.path) + QStringLiteral(": ") + text(issue.message);
    }
    list->setPlainText(lines.join(QLatin1Char('\n')));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    layout->addWidget(heading);
    layout->addWidget(list);
    layout->addWidget(buttons);
    dialog.resize(640, 320);
    runModal(dialog);
}

} // namespace

ScanCommands::ScanCommands(MainFrm& window) : QObject(&window), m_window(window) {
    m_list = new ResultListView(m_table, window.m_resultArea);
    window.m_resultArea->layout()->addWidget(m_list);

    m_scanJob = new ScanJob(this);
    m_loadJob = new SessionLoadJob(this);
    m_scanJob->questions = windowQuestions(&window);
    m_loadJob->questions = windowQuestions(&window);
    connect(m_scanJob, &ScanJob::progress, this, &ScanCommands::showProgress);
    connect(m_scanJob, &ScanJob::finished, this, &ScanCommands::scanFinished);
    connect(m_loadJob, &SessionLoadJob::progress, this, &ScanCommands::showProgress);
    connect(m_loadJob, &SessionLoadJob::finished, this, &ScanCommands::sessionLoaded);
    connect(&window, &MainFrm::cancelRequested, m_scanJob, &ScanJob::cancel);
    connect(&window, &MainFrm::cancelRequested, m_loadJob, &SessionLoadJob::cancel);

    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setInterval(1000);
    connect(m_timer1, &QTimer::timeout, this,
            [this] { m_window.statusPanel(5)->setText(text(m_scanTimer.Elapsed())); });

    m_issuesButton = new QToolButton(&window);
    m_issuesButton->setObjectName(QStringLiteral("cmdScanIssues"));
    m_issuesButton->setAutoRaise(true);
    m_issuesButton->setAccessibleName(QStringLiteral("Files not searched"));
    m_issuesButton->hide();
    window.statusBar()->addPermanentWidget(m_issuesButton);
    connect(m_issuesButton, &QToolButton::clicked, this, &ScanCommands::showIssues);

    window.m_showFuzzyExplanation = [this] { showFuzzyInfo(&m_window); };
    window.m_openCommandLineSession = [this](const std::string& path) {
        openCommandLineSession(path);
    };
    window.m_clearResults = [this] { clearResults(); };
    window.m_resultRowCount = [this] { return m_table.rowCount(); };
    window.m_scanTotals = [this] { return m_totals; };
    connectCommands();
}

ScanCommands::~ScanCommands() = default;

bool ScanCommands::busy() const {
    return m_scanJob->isRunning() || m_loadJob->isRunning();
}

void ScanCommands::connectCommands() {
    const auto command = [this](const char* name, auto slot) {
        QAction* action = m_window.findChild<QAction*>(QLatin1String(name));
        connect(action, &QAction::triggered, this, slot);
    };
    command("MScan", [this] { StartScan(); });
    command("MSaveSession", [this] { saveSession(); });
    command("MLoadSession", [this] { loadSession(); });
}

// ---- Scanning ----

void ScanCommands::StartScan() {
    if (busy()) {
        return;
    }
    recordScanStart(m_window.settings(), std::time(nullptr));
    m_window.SaveDefaultParameters();
    const SessionParameters parameters = m_window.currentParameters();
    if (parameters.paths.empty()) {
        showUserMessage(&m_window, {"Please add search path first.", "Error"},
                        MessageIcon::Information);
        m_window.AddSearchPath();
        return;
    }
    if (QWidget* searchList = m_window.findChild<QWidget*>(QStringLiteral("SearchList"))) {
        searchList->setFocus();
    }
    beginWork();
    ScanRequest request;
    request.paths = parameters.paths;
    request.options = parameters.options;
    request.manyFilesLimit = m_manyFilesLimit;
    m_scanJob->start(std::move(request));
}

void ScanCommands::beginWork() {
    m_window.SetBusy(true);
    m_scanTimer.Reset();
    m_timer1->start();
    for (int panel = 2; panel <= 4; ++panel) {
        m_window.statusPanel(panel)->clear();
    }
    m_window.statusPanel(5)->setText(QStringLiteral("00:00:00"));
    m_window.searchCancelled().reset();
    clearResults();
}

void ScanCommands::showProgress(const JobProgress& progress) {
    if (!progress.statusText.isEmpty()) {
        m_window.statusPanel(1)->setText(progress.statusText);
    }
    if (m_window.isMinimized() && !progress.captionText.isEmpty()) {
        m_window.setWindowTitle(progress.captionText);
    }
}

void ScanCommands::scanFinished(const std::shared_ptr<ScanJobResult>& result) {
    const bool grouped = result->table.grouped();
    m_list->showTable(std::move(result->table));
    m_totals = result->outcome.totals;
    m_issues = std::move(result->outcome.issues);
    setGroupedMode(grouped);
    showTotals(true);
    endWork();
}

void ScanCommands::endWork() {
    m_timer1->stop();
    m_window.SetBusy(false);
    m_window.startCompletionSound();
    const auto count = static_cast<qsizetype>(m_issues.size());
    m_issuesButton->setText(count == 1 ? QStringLiteral("1 file not searched")
                                       : QStringLiteral("%1 files not searched").arg(count));
    m_issuesButton->setVisible(count > 0);
    emit workFinished();
}

void ScanCommands::showTotals(bool show) {
    if (!show) {
        for (int panel = 2; panel <= 4; ++panel) {
            m_window.statusPanel(panel)->hide();
        }
        m_window.statusPanel(5)->setText(QStringLiteral("00:00:00"));
        return;
    }
    m_window.statusPanel(1)->setText(text(m_totals.statusText()));
    m_window.statusPanel(2)->setText(text(m_totals.duplicatesText()));
    m_window.statusPanel(3)->setText(text(m_totals.filesText()));
    m_window.statusPanel(4)->setText(text(m_totals.foldersText()));
}

void ScanCommands::setGroupedMode(bool grouped) {
    const auto show = [this](const char* name, bool visible) {
        if (QAction* action = m_window.findChild<QAction*>(QLatin1String(name))) {
            action->setVisible(visible);
        }
    };
    show("MMarkAll", !grouped);
    show("MMarkAllDuplicates", grouped);
    show("mnuAdvMarkForm", grouped);
    show("MarkSep2", grouped);
}

void ScanCommands::clearResults() {
    m_table.clear();
    m_table.shadingInstalled = false;
    m_table.headerPictures.fill(kNoHeaderPicture);
    m_list->applyChanges();
    m_totals = {};
    m_issues.clear();
    m_issuesButton->hide();
}

void ScanCommands::showIssues() {
    showIssueList(&m_window, m_issues);
}

// ---- Sessions ----

void ScanCommands::openCommandLineSession(const std::string& path) {
    const LoadedParameters loaded = LoadParameters(path);
    m_window.applyParameters(loaded);
    if (!loaded.ok) {
        showUserMessage(&m_window, sessionNotFoundMessage(path), MessageIcon::Critical);
        return;
    }
    StartScan();
}

void ScanCommands::OpenPairwellFile(const std::string& path, bool reScan) {
    if (busy()) {
        return;
    }
    m_window.NewSession();
    beginWork();
    m_loadJob->start(path, reScan);
}

void ScanCommands::sessionLoaded(const std::shared_ptr<LoadedSession>& session) {
    m_window.applyParameters(session->parameters);
    const bool grouped = session->table.grouped();
    m_list->showTable(std::move(session->table));
    m_totals = session->totals;
    m_issues = std::move(session->issues);
    setGroupedMode(grouped && session->parameters.options.method != SearchMethod::ZeroSize);
    endWork();
    showTotals(session->showTotals());
    if (!session->opened || !session->isSession || !session->complete) {
        // A damaged file keeps what was read before the damage; the user learns where
        // reading stopped instead of taking a partial list for the whole session.
        showUserMessage(&m_window, {session->damage, "Error"}, MessageIcon::Warning);
    }
}

void ScanCommands::saveSession() {
    SaveFrm dialog(m_window.settings(), &m_window);
    dialog.setMode(SaveFrm::Mode::Save);
    dialog.onSave = [this](const std::string& path, SessionContent content,
                           const SessionProgressFn& progress) {
        const FileWriteResult written = WriteSessionFile(path, m_window.currentParameters(),
                                                         m_totals, m_table, content, progress);
        if (written.ok) {
            m_window.startCompletionSound();
        }
        return written;
    };
    runModal(dialog);
}

void ScanCommands::loadSession() {
    SaveFrm dialog(m_window.settings(), &m_window);
    dialog.setMode(SaveFrm::Mode::Open);
    std::string chosen;
    bool reScan = false;
    dialog.onOpen = [&](const std::string& path, bool rescan, bool) {
        chosen = path;
        reScan = rescan;
    };
    runModal(dialog);
    // The load starts once the dialog is gone, so that the busy window is not behind it.
    if (!chosen.empty()) {
        OpenPairwellFile(chosen, reScan);
    }
}

} // namespace pw
