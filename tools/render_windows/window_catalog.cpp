#include "window_catalog.h"

#include "app/ui/about_frm.h"
#include "app/ui/file_properties_frm.h"
#include "app/ui/folder_frm.h"
#include "app/ui/frm_tip.h"
#include "app/ui/main_frm.h"
#include "app/ui/scan_commands.h"
#include "fileops/ui/file_cm_frm.h"
#include "fileops/ui/file_del_frm.h"
#include "fileops/ui/warning_frm.h"
#include "reports/ui/bug_frm.h"
#include "reports/ui/feed_back_frm.h"
#include "reports/ui/report_context.h"
#include "results/ui/adv_mark_frm.h"
#include "results/ui/file_info_frm.h"
#include "results/ui/frm_max_size.h"
#include "results/ui/result_list_view.h"
#include "search/ui/frm_too_many_files.h"
#include "search/ui/fuzzy_frm.h"
#include "session/ui/frm_export.h"
#include "session/ui/save_frm.h"
#include "settings/settings_table.h"

#include <QAction>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
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

// The limit dialog as it first opens: "CD (700 MB)" chosen.
std::unique_ptr<QWidget> maxSizeFrm(WindowContext& context) {
    static std::optional<double> maxSizeValue;
    return std::make_unique<frmMaxSize>(context.store, maxSizeValue);
}

// The advanced marking dialog on either tab: a size limit typed in, and the folders of a
// scanned collection with a folder and its sub-folder checked.
std::unique_ptr<QWidget> advMarkFrm(WindowContext& context, bool foldersTab) {
    static ResultTable table;
    AdvMarkingSettings settings;
    chooseSizeRule(settings, SizeRule::KeepLarger);
    settings.sizeLimit = SizeLimitChoice::Specify;
    settings.sizeText = "650";
    settings.sizeUnit = "MB";
    settings.folderMask = std::string(kBuiltInFileMasks[3]);
    SaveAdvMarkingSettings(context.store, settings);
    auto frm = std::make_unique<AdvMarkFrm>(context.store, table, [] { return true; });
    frm->setFolders({"/home/user/Pictures/holiday 2019/", "/home/user/Pictures/imported/",
                     "/home/user/Music/Album/", "/home/user/Music/Downloads/",
                     "/home/user/Documents/", "/home/user/Documents/old/"});
    if (foldersTab) {
        frm->findChild<QTabWidget*>(QStringLiteral("TabStrip1"))->setCurrentIndex(1);
        auto* folders = frm->findChild<QTreeWidget*>(QStringLiteral("lvFolders"));
        folders->topLevelItem(0)->setCheckState(0, Qt::Checked);
        folders->topLevelItem(1)->setCheckState(0, Qt::Checked);
    }
    return frm;
}

// A picture of a sunset over the sea, drawn and written as a JPEG below the temporary
// folder: what the picture preview shows.
std::string samplePicture() {
    QImage image(800, 600, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient sky(0, 0, 0, 420);
    sky.setColorAt(0, QColor(40, 60, 140));
    sky.setColorAt(1, QColor(250, 160, 90));
    painter.fillRect(0, 0, 800, 420, sky);
    painter.setBrush(QColor(255, 220, 120));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QPoint(400, 420), 90, 90);
    painter.fillRect(0, 420, 800, 180, QColor(30, 70, 110));
    painter.end();
    const QString path = QDir::temp().filePath(QStringLiteral("pairwell-sunset.jpg"));
    image.save(path, "JPG");
    return path.toStdString();
}

std::unique_ptr<QWidget> fileInfoFrm(WindowContext& context) {
    auto frm = std::make_unique<FileInfoFrm>(context.store);
    QEventLoop loop;
    QObject::connect(frm.get(), &FileInfoFrm::pictureShown, &loop, &QEventLoop::quit);
    QObject::connect(frm.get(), &FileInfoFrm::pictureFailed, &loop, &QEventLoop::quit);
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    frm->LoadPic(samplePicture());
    loop.exec();
    return frm;
}

std::unique_ptr<QWidget> filePropertiesFrm() {
    const std::string path = samplePicture();
    const std::size_t slash = path.rfind('/');
    const FilePropertiesResult read =
        readFileProperties(path.substr(0, slash + 1), path.substr(slash + 1));
    return std::make_unique<FilePropertiesFrm>(read.properties.value_or(FileProperties{}));
}

// Rows for the export wizard, which only looks at the list when it moves on.
const ResultTable& sampleTable() {
    static const ResultTable table = [] {
        ResultTable rows;
        for (const char* name : {"beach.jpg", "beach (copy).jpg"}) {
            ResultTableRow row;
            row.name = name;
            row.folder = makeFolderText("/home/user/Pictures/");
            row.size = 27919;
            row.group = 1;
            rows.appendRow(row);
        }
        return rows;
    }();
    return table;
}

std::unique_ptr<QWidget> exportWizard(WindowContext& context, bool secondPage, bool html) {
    ExportChoices choices;
    choices.exportType = 2;
    choices.html = html;
    choices.exportChar = 2;
    saveExportChoices(context.store, choices);
    auto frm = std::make_unique<frmExport>(context.store, sampleTable(), frmExport::ListState{});
    if (secondPage) {
        frm->findChild<QPushButton*>(QStringLiteral("btn"))->click();
    }
    return frm;
}

const std::vector<SearchPathEntry> kSamplePaths{
    {"/home/user/Pictures", "Yes", "Images  (*.bmp *.gif *.jpg)", "10", "", kSearchIcon},
    {"/home/user/Pictures/cache", "Yes", "", "", "", kExcludeIcon},
    {"/srv/music", "No", "All files(*.*)", "100", "20000", kSearchIcon}};

const RuntimeError kSampleError{
    5, "Permission denied", "CompareFiles",
    "/home/user/Pictures/holiday 2019/beach at sunset, the second evening.jpg"};

// Presses the window's send button with the mail host on a closed local port, and waits
// for the failed connection's status lines: nothing ever leaves the machine.
template <class Window>
std::unique_ptr<QWidget> notSent(std::unique_ptr<Window> frm, const char* sendButton) {
    frm->show();
    auto* send = frm->template findChild<QPushButton*>(QLatin1String(sendButton));
    send->click();
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&loop, &frm] {
        if (frm->template findChild<QPushButton*>(QStringLiteral("Command1"))->isEnabled()) {
            loop.quit();
        }
    });
    poll.start(20);
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    loop.exec();
    return frm;
}

std::unique_ptr<QWidget> bugFrmNotSent(WindowContext& context) {
    context.store.saveValue("Reports", "MailHost", "127.0.0.1:1");
    const ReportContext saved = reportContext();
    setReportContext({&context.store, {}});
    auto frm = std::make_unique<BugFrm>(kSampleError);
    frm->findChild<QPlainTextEdit*>(QStringLiteral("Text1"))
        ->setPlainText(QStringLiteral("I marked the pictures and pressed Delete."));
    auto shown = notSent(std::move(frm), "Command3");
    setReportContext(saved);
    return shown;
}

// The survey with the price reason chosen and a few answers typed.
std::unique_ptr<FeedBackFrm> answeredSurvey(WindowContext& context) {
    auto frm = std::make_unique<FeedBackFrm>(context.store);
    frm->findChild<QRadioButton*>(QStringLiteral("Opt7"))->click();
    frm->findChild<QLineEdit*>(QStringLiteral("txtPrice"))->setText(QStringLiteral("15"));
    frm->findChild<QLineEdit*>(QStringLiteral("txtName"))->setText(QStringLiteral("Ana Lima"));
    frm->findChild<QPlainTextEdit*>(QStringLiteral("txtDesc"))
        ->setPlainText(QStringLiteral("It found my duplicates, but I only needed it once."));
    return frm;
}

std::unique_ptr<QWidget> feedBackFrmNotSent(WindowContext& context) {
    context.store.saveValue("Reports", "MailHost", "127.0.0.1:1");
    return notSent(answeredSurvey(context), "Command1");
}

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
const auto kWindows = std::to_array<CatalogWindow>({
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
    {"BugFrm-not-sent", bugFrmNotSent},
    {"FeedBackFrm", [](WindowContext& c) { return std::make_unique<FeedBackFrm>(c.store); }},
    {"FeedBackFrm-price",
     [](WindowContext& c) -> std::unique_ptr<QWidget> { return answeredSurvey(c); }},
    {"FeedBackFrm-not-sent", feedBackFrmNotSent},
    {"frmTooManyFiles", [](WindowContext&) { return std::make_unique<frmTooManyFiles>(123456); }},
    {"FuzzyFrm", [](WindowContext&) { return std::make_unique<FuzzyFrm>(); }},
    {"SaveFrm-save", [](WindowContext& c) { return saveFrm(c, SaveFrm::Mode::Save); }},
    {"SaveFrm-open", [](WindowContext& c) { return saveFrm(c, SaveFrm::Mode::Open); }},
    {"frmMaxSize", maxSizeFrm},
    {"AdvMarkFrm-range", [](WindowContext& c) { return advMarkFrm(c, false); }},
    {"AdvMarkFrm-folders", [](WindowContext& c) { return advMarkFrm(c, true); }},
    {"FileInfoFrm", [](WindowContext& c) { return fileInfoFrm(c); }},
    {"FilePropertiesFrm", [](WindowContext&) { return filePropertiesFrm(); }},
    {"frmExport", [](WindowContext& c) { return exportWizard(c, false, false); }},
    {"frmExport-delimited", [](WindowContext& c) { return exportWizard(c, true, false); }},
    {"frmExport-html", [](WindowContext& c) { return exportWizard(c, true, true); }},
    {"WarningFrm",
     [](WindowContext&) { return std::make_unique<WarningFrm>(fileTable(), kWarningLines); }},
    {"fileDelFrm", [](WindowContext& c) { return fileDelFrmIn(c, RunState::Ready, {}); }},
    {"fileDelFrm-running",
     [](WindowContext& c) { return fileDelFrmIn(c, RunState::Running, kRunningReport); }},
    {"fileDelFrm-done-errors",
     [](WindowContext& c) { return fileDelFrmIn(c, RunState::Done, kDoneReport); }},
    {"FileCMFrm-copy", [](WindowContext&) { return fileCMFrm(TransferMode::Copy); }},
    {"FileCMFrm-move", [](WindowContext&) { return fileCMFrm(TransferMode::Move); }},
});

} // namespace

std::span<const CatalogWindow> windowCatalog() {
    return kWindows;
}

} // namespace pw
