#pragma once
// "PWMutex": a lock file the running program holds for its whole life, so that other
// programs (an installer, the survey) can tell that it runs. A second copy of the program
// runs all the same: it simply does not hold the lock.

#include <QLockFile>
#include <QString>
#include <memory>

namespace pw {

class ProgramLock {
public:
    // The lock file "PWMutex.lock" in `folder`; "" means the user's runtime folder, or the
    // temporary folder where there is none.
    explicit ProgramLock(const QString& folder = {});

    bool held() const { return m_held; }
    QString fileName() const { return m_file->fileName(); }

private:
    std::unique_ptr<QLockFile> m_file;
    bool m_held = false;
};

} // namespace pw
