#include "app/ui/main_frm.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pairwell"));
    QApplication::setOrganizationName(QStringLiteral("Pairwell"));
    pw::MainFrm window;
    window.show();
    return QApplication::exec();
}
