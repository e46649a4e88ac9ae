// What the desktop program costs against the command-line front end for one scan: runs
// the main window's Scan command on FOLDER (byte to byte, hidden files taken, no minimum
// size: what `pairwell-cli scan --method byte --hidden` does), waits until the result list
// shows the result, and prints the rows, the wall time and the peak resident memory.
// Settings and the default session go to a temporary folder, never the user's.
//
//   pw_scan_window_bench FOLDER      (QT_QPA_PLATFORM defaults to offscreen)

#include "app/ui/main_frm.h"
#include "app/ui/qt_settings_store.h"
#include "app/ui/scan_commands.h"
#include "settings/settings_table.h"

#include <QApplication>
#include <QEventLoop>
#include <QTemporaryDir>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <sys/resource.h>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: pw_scan_window_bench FOLDER\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", home.filePath(QStringLiteral("data")).toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", home.path().toLocal8Bit());
    QApplication app(argc, argv);
    {
        // No tip window at start: it would wait for a click.
        pw::QtSettingsStore store;
        pw::saveShowTipsAtStartup(store, false);
    }

    pw::MainFrm window;
    window.resize(1200, 800);
    window.show();
    pw::SessionParameters parameters;
    parameters.options.includeHidden = true;
    pw::SearchPathEntry entry;
    entry.folder = argv[1];
    entry.minSize = "";
    parameters.paths.push_back(entry);
    window.applyParameters(parameters);

    pw::ScanCommands& scan = window.scanCommands();
    // The many-files warning would wait for a click that never comes offscreen.
    scan.setManyFilesLimitForTests(std::numeric_limits<std::int32_t>::max());
    QEventLoop loop;
    QObject::connect(&scan, &pw::ScanCommands::workFinished, &loop, &QEventLoop::quit);
    const auto start = std::chrono::steady_clock::now();
    scan.StartScan();
    loop.exec();
    window.repaint();
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%d rows, %s, %.2f s, peak resident memory %ld KB\n", scan.table().rowCount(),
                scan.totals().duplicatesText().c_str(), elapsed.count(), usage.ru_maxrss);
    return 0;
}
