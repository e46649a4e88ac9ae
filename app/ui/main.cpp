#include "app/mail_component.h"
#include "app/startup.h"
#include "app/ui/main_frm.h"
#include "app/ui/main_window_report.h"
#include "app/ui/qt_settings_store.h"
#include "common/ui/ui_text.h"
#include "reports/ui/feed_back_frm.h"
#include "reports/ui/report_context.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <string>
#include <vector>

namespace {

// The mail library the program ships: lib/ beside bin/ when installed, else the one this
// build made.
std::string shippedMailLibrary() {
    const QString installed = QDir(QCoreApplication::applicationDirPath())
                                  .absoluteFilePath(QStringLiteral("../lib/libvelomail.so"));
    if (QFileInfo(installed).isFile()) {
        return pw::dialogPath(QDir::cleanPath(installed));
    }
#ifdef PAIRWELL_BUILD_MAIL_LIBRARY
    return PAIRWELL_BUILD_MAIL_LIBRARY;
#else
    return {};
#endif
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pairwell"));
    QApplication::setOrganizationName(QStringLiteral("Pairwell"));
    // QApplication has taken its own options out of argv.
    const std::string commandLine =
        pw::commandLineText(std::vector<std::string>(argv + 1, argv + argc));
    if (pw::entryWindow(commandLine) == pw::StartWindow::Survey) {
        // The survey alone, never the main window; it mails through the same component.
        pw::QtSettingsStore store;
        if (const std::string library = shippedMailLibrary(); !library.empty()) {
            pw::registerMailComponent(library);
        }
        pw::setReportContext({&store, {}});
        return pw::runSurvey(store);
    }
    pw::MainFrm window(commandLine, shippedMailLibrary());
    pw::connectReportsTo(window);
    window.show();
    return QApplication::exec();
}
