// Draws every window of the program offscreen into OUTDIR/<name>.png (OUTDIR is the first
// argument, ./window-renders without one), so that their look can be checked without a
// display. Settings and data go to a temporary folder; every message box, file dialog and
// modal dialog a window would raise is answered at once.

#include "common/ui/common_dlg.h"
#include "common/ui/modal.h"
#include "window_catalog.h"

#include <QApplication>
#include <QDir>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace {

// The per-user folders of this run, so that a window reading or writing its settings or
// its default session touches nothing of the user's. Set before Qt looks at them.
std::string isolateUserFolders() {
    std::string rootTemplate =
        (std::filesystem::temp_directory_path() / "pairwell-render-XXXXXX").string();
    if (mkdtemp(rootTemplate.data()) == nullptr) {
        return {};
    }
    for (const char* folder : {"config", "data", "runtime"}) {
        std::filesystem::create_directories(rootTemplate + "/" + folder);
    }
    std::filesystem::permissions(rootTemplate + "/runtime", std::filesystem::perms::owner_all);
    setenv("XDG_CONFIG_HOME", (rootTemplate + "/config").c_str(), 1);
    setenv("XDG_DATA_HOME", (rootTemplate + "/data").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (rootTemplate + "/runtime").c_str(), 1);
    return rootTemplate;
}

// Shows the window as the program would, lets it settle and writes what it drew.
int render(const pw::CatalogWindow& window, const QDir& outDir) {
    pw::WindowContext context;
    const std::unique_ptr<QWidget> widget = window.make(context);
    widget->show();
    QApplication::processEvents();
    const QString file = outDir.filePath(QString::fromLatin1(window.name) + QStringLiteral(".png"));
    const bool saved = widget->grab().save(file);
    widget->close();
    std::fprintf(saved ? stdout : stderr, saved ? "%s\n" : "cannot write %s\n", qPrintable(file));
    return saved ? 0 : 1;
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    const std::string root = isolateUserFolders();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pairwell"));
    QApplication::setOrganizationName(QStringLiteral("Pairwell"));
    pw::setMessageHookForTests(
        [](const pw::MessageRequest& request) { return request.defaultAnswer; });
    pw::setFileDialogHookForTests([](const pw::FileDialogRequest&) { return std::nullopt; });
    pw::setModalHookForTests([](QDialog&) { return static_cast<int>(QDialog::Rejected); });

    const QString outDir =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("window-renders");
    int status = 0;
    if (QDir().mkpath(outDir)) {
        for (const pw::CatalogWindow& window : pw::windowCatalog()) {
            status |= render(window, QDir(outDir));
        }
    } else {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(outDir));
        status = 1;
    }
    if (!root.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    }
    return status;
}
