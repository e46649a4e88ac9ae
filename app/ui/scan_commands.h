#pragma once
// The main window's work on results: the Scan command, session loading and saving, the
// result list, and the status bar texts of all of them. It sets the main window's hooks and
// connects its commands, so that MainFrm itself only holds the controls.
//
// Scans and session loads run on a worker (ScanJob, SessionLoadJob); the window is busy
// meanwhile and takes the finished table in one step.

#include "common/buz_timer.h"
#include "results/marking.h"
#include "results/result_table.h"
#include "search/scan_types.h"

#include <QObject>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QTimer;
class QToolButton;

namespace pw {

class MainFrm;
class ResultListView;
class ScanJob;
class SessionLoadJob;
struct JobProgress;
struct LoadedSession;
struct ScanJobResult;

class ScanCommands : public QObject {
    Q_OBJECT

public:
    explicit ScanCommands(MainFrm& window);
    ~ScanCommands() override;

    ResultListView* resultList() const { return m_list; }
    const ResultTable& table() const { return m_table; }
    const ScanTotals& totals() const { return m_totals; }
    // The files and folders the last scan or re-scan could not read.
    const std::vector<FileIssue>& issues() const { return m_issues; }
    bool busy() const;

    // The Scan command: counts the run, writes the default session, then scans the
    // search paths on the worker; with no search path it asks for one instead.
    void StartScan();
    // Reads a session file into the window on the worker: parameters, search paths and
    // result rows; with reScan the stored files are compared again.
    void OpenPairwellFile(const std::string& path, bool reScan);
    // The command line's session: its parameters are loaded and scanned at once; a file
    // that cannot be read is reported as not found.
    void openCommandLineSession(const std::string& path);

    // Lowers the number of files above which a scan asks before it compares (tests).
    void setManyFilesLimitForTests(std::int32_t limit) { m_manyFilesLimit = limit; }

signals:
    // A scan or a session load ended and its result is on the screen.
    void workFinished();

private:
    void connectCommands();
    void beginWork();
    void endWork();
    void showProgress(const JobProgress& progress);
    void scanFinished(const std::shared_ptr<ScanJobResult>& result);
    void sessionLoaded(const std::shared_ptr<LoadedSession>& session);
    void showTotals(bool show);
    void setGroupedMode(bool grouped);
    void clearResults();
    void saveSession();
    void loadSession();
    void showIssues();

    MainFrm& m_window;
    ResultTable m_table;
    ResultListView* m_list = nullptr;
    ScanJob* m_scanJob = nullptr;
    SessionLoadJob* m_loadJob = nullptr;
    QTimer* m_timer1 = nullptr;
    buzTimer m_scanTimer;
    ScanTotals m_totals;
    std::vector<FileIssue> m_issues;
    QToolButton* m_issuesButton = nullptr;
    std::int32_t m_manyFilesLimit = kManyFilesLimit;
};

} // namespace pw
