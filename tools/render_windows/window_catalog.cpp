#include "window_catalog.h"

#include "app/ui/about_frm.h"
#include "app/ui/folder_frm.h"
#include "app/ui/frm_tip.h"
#include "app/ui/main_frm.h"
#include "app/ui/scan_commands.h"
#include "fileops/ui/file_cm_frm.h"
#include "fileops/ui/file_del_frm.h"
#include "fileops/ui/warning_frm.h"
#include "reports/ui/bug_frm.h"
#include "results/ui/result_list_view.h"
#include "search/ui/frm_too_many_files.h"
#include "search/ui/fuzzy_frm.h"
#include "session/ui/save_frm.h"

#include <QAction>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <array>
#include <utility>

namespace pw {
namespace {

// The main window as the program opens it, with the given search paths.
std::unique_ptr<MainFrm> mainFrm(const std::vector<SearchPathEntry>& paths = {}) {
    auto frm = std::make_unique<MainFrm>();
    if (!paths.empty()) {
        frm->applyParameters(SessionParameters{{}, paths});
    }
    return frm;
}

// A small collection of photos, music and documents with a few copies, written afresh
// below the temporary folder: what the main window shows after a scan.
std::string sampleCollection() {
    const QString root = QDir::temp().filePath(QStringLiteral("pairwell-sample"));
    QDir(root).removeRecursively();
    const std::array<std::pair<const char*, int>, 12> files{{
        {"Pictures/holiday 2019/beach.jpg", 1},
        {"Pictures/holiday 2019/beach (copy).jpg", 1},
        {"Pictures/imported/IMG_0412.jpg", 1},
        {"Pictures/holiday 2019/harbour.jpg", 2},
        {"Pictures/imported/IMG_0413.jpg", 2},
        {"Music/Album/01 Opening.ogg", 3},
        {"Music/Downloads/01 Opening.ogg", 3},
        {"Documents/report.pdf", 4},
        {"Documents/old/report-final.pdf", 4},
        {"Documents/letter.odt", 5},
        {"Documents/notes.txt", 6},
        {"Music/Album/02 Theme.ogg", 7},
    }};
    for (const auto& [name, content] : files) {
        const QString path = QDir(root).filePath(QString::fromUtf8(name));
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        if (file.open(QIODevice::WriteOnly)) {
            file.write(QByteArray(20000 + content * 7919, static_cast<char>('a' + content)));
        }
    }
    return root.toStdString();
}

// The main window after a scan of the sample collection, its duplicates marked.
std::unique_ptr<QWidget> scannedMainFrm() {
    SearchPathEntry entry;
    entry.folder = sampleCollection();
    entry.minSize = "10";
    auto frm = mainFrm({entry});
    ScanCommands& scan = frm->scanCommands();
    QEventLoop loop;
    QObject::connect(&scan, &ScanCommands::workFinished, &loop, &QEventLoop::quit);
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    scan.StartScan();
    loop.exec();
    frm->findChild<QAction*>(QStringLiteral("MMarkAllDuplicates"))->trigger();
    scan.resultList()->selectPosition(2);
    return frm;
}

std::unique_ptr<QWidget> saveFrm(WindowContext& context, SaveFrm::Mode mode) {
    auto frm = std::make_unique<SaveFrm>(context.store);
    frm->setMode(mode);
    return frm;
}

const std::vector<SearchPathEntry> kSamplePaths{
    {"/home/user/Pictures", "Yes", "Images  (*.bmp *.gif *.jpg)", "10", "", kSearchIcon},
    {"/home/user/Pictures/cache", "Yes", "", "", "", kExcludeIcon},
    {"/srv/music", "No", "All files(*.*)", "100", "20000", kSearchIcon}};

const RuntimeError kSampleError{
    5, "Permission denied", "CompareFiles",
    "/home/user/Pictures/holiday 2019/beach at sunset, the second evening.jpg"};

// What the file-operation dialogs work on: a table and a shell that outlive every window
// of the catalog. Nothing is run, so neither is touched.
ResultTable& fileTable() {
    static ResultTable table;
    return table;
}

Shell& fileShell() {
    static const std::unique_ptr<Shell> shell = makeLinuxShell();
    return *shell;
}

const std::vector<WarningLine> kWarningLines{{"beach.jpg", "27919", "6/14/2019 5:42:10 PM", "N/A",
                                              "1", "/home/user/Pictures/holiday 2019/", 1},
                                             {"beach (copy).jpg", "27919", "6/14/2019 5:42:10 PM",
                                              "N/A", "1", "/home/user/Pictures/holiday 2019/", 2},
                                             {"IMG_0412.jpg", "27919", "8/2/2021 9:03:55 AM", "N/A",
                                              "1", "/home/user/Pictures/imported/", 3}};

// The deletion dialog in a state of its run, with a report's progress and error rows.
std::unique_ptr<QWidget> fileDelFrmIn(WindowContext&, RunState state, const RunReport& report) {
    auto frm =
        std::make_unique<fileDelFrm>(fileTable(), fileShell(), RecyclePreference::RecycleBin, 12);
    if (state != RunState::Ready) {
        frm->showState(state);
        frm->showReport(report);
    }
    return frm;
}

const RunReport kRunningReport{
    RunState::Running, {5, 12, "/home/user/Pictures/imported/IMG_0413.jpg"}, {}, 4};
const RunReport kDoneReport{
    RunState::Done,
    {3, 3, "Completed"},
    {{"1005", "Unable to delete file", "/home/user/Pictures/holiday 2019/beach (copy).jpg"},
     {"1008", "File changed since the scan", "/home/user/Music/Downloads/01 Opening.ogg"}},
    10};

std::unique_ptr<QWidget> fileCMFrm(TransferMode mode) {
    return std::make_unique<FileCMFrm>(fileTable(), fileShell(), mode, "/media/backup/duplicates",
                                       12);
}

// One line per window and state.
const std::array<CatalogWindow, 18> kWindows{{
    {"MainFrm", [](WindowContext&) -> std::unique_ptr<QWidget> { return mainFrm(); }},
    {"MainFrm-paths",
     [](WindowContext&) -> std::unique_ptr<QWidget> { return mainFrm(kSamplePaths); }},
    {"MainFrm-result", [](WindowContext&) { return scannedMainFrm(); }},
    {"FolderFrm-add",
     [](WindowContext& c) { return std::make_unique<FolderFrm>(c.store, std::nullopt); }},
    {"FolderFrm-excluded",
     [](WindowContext& c) { return std::make_unique<FolderFrm>(c.store, kSamplePaths[1]); }},
    {"frmTip",
     [](WindowContext& c) {
         return std::make_unique<frmTip>(c.store, [](int, int) { return 11; });
     }},
    {"AboutFrm", [](WindowContext&) { return std::make_unique<AboutFrm>(); }},
    {"BugFrm", [](WindowContext&) { return std::make_unique<BugFrm>(kSampleError); }},
    {"frmTooManyFiles", [](WindowContext&) { return std::make_unique<frmTooManyFiles>(123456); }},
    {"FuzzyFrm", [](WindowContext&) { return std::make_unique<FuzzyFrm>(); }},
    {"SaveFrm-save", [](WindowContext& c) { return saveFrm(c, SaveFrm::Mode::Save); }},
    {"SaveFrm-open", [](WindowContext& c) { return saveFrm(c, SaveFrm::Mode::Open); }},
    {"WarningFrm",
     [](WindowContext&) { return std::make_unique<WarningFrm>(fileTable(), kWarningLines); }},
    {"fileDelFrm", [](WindowContext& c) { return fileDelFrmIn(c, RunState::Ready, {}); }},
    {"fileDelFrm-running",
     [](WindowContext& c) { return fileDelFrmIn(c, RunState::Running, kRunningReport); }},
    {"fileDelFrm-done-errors",
     [](WindowContext& c) { return fileDelFrmIn(c, RunState::Done, kDoneReport); }},
    {"FileCMFrm-copy", [](WindowContext&) { return fileCMFrm(TransferMode::Copy); }},
    {"FileCMFrm-move", [](WindowContext&) { return fileCMFrm(TransferMode::Move); }},
}};

} // namespace

std::span<const CatalogWindow> windowCatalog() {
    return kWindows;
}

} // namespace pw
