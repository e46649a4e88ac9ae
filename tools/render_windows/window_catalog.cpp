#include "window_catalog.h"

#include "app/ui/about_frm.h"
#include "app/ui/file_properties_frm.h"
#include "app/ui/folder_frm.h"
#include "app/ui/frm_tip.h"
#include "app/ui/main_frm.h"
#include "app/ui/scan_commands.h"
#include "reports/ui/bug_frm.h"
#include "results/ui/file_info_frm.h"
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
#include <QPainter>
#include <QPushButton>
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

// One line per window and state.
const std::array<CatalogWindow, 17> kWindows{{
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
    {"FileInfoFrm", [](WindowContext& c) { return fileInfoFrm(c); }},
    {"FilePropertiesFrm", [](WindowContext&) { return filePropertiesFrm(); }},
    {"frmExport", [](WindowContext& c) { return exportWizard(c, false, false); }},
    {"frmExport-delimited", [](WindowContext& c) { return exportWizard(c, true, false); }},
    {"frmExport-html", [](WindowContext& c) { return exportWizard(c, true, true); }},
}};

} // namespace

std::span<const CatalogWindow> windowCatalog() {
    return kWindows;
}

} // namespace pw
