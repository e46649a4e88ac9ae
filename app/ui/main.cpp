#include "app/startup.h"
#include "app/ui/main_frm.h"
#include "common/ui/ui_text.h"

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
        // The uninstall survey window comes with the report windows; the survey start
        // shows nothing until then, and never the main window.
        return 0;
    }
    pw::MainFrm window(commandLine, shippedMailLibrary());
    window.show();
    return QApplication::exec();
}
