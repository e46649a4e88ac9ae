#include "app/ui/program_lock.h"

#include <QDir>
#include <QStandardPaths>

namespace pw {
namespace {

QString lockFolder(const QString& folder) {
    if (!folder.isEmpty()) {
        return folder;
    }
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? QDir::tempPath() : runtime;
}

} // namespace

ProgramLock::ProgramLock(const QString& folder)
    : m_file(std::make_unique<QLockFile>(
          QDir(lockFolder(folder)).absoluteFilePath(QStringLiteral("PWMutex.lock")))) {
    // Held for as long as the program runs, so age says nothing: only a lock whose process
    // is gone (a crash) is stale, and tryLock removes such a lock before taking it.
    m_file->setStaleLockTime(0);
    m_held = m_file->tryLock();
}

} // namespace pw
