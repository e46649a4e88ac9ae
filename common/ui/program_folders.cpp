#include "common/ui/program_folders.h"

#include "common/ui/ui_text.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace pw {

std::string programDataFolder() {
    const QString folder = QDir(QCoreApplication::applicationDirPath())
                               .absoluteFilePath(QStringLiteral("../share/pairwell"));
    return QFileInfo(folder).isDir() ? dialogPath(QDir::cleanPath(folder)) : std::string();
}

} // namespace pw
