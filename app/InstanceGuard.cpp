#include "app/InstanceGuard.h"

#include <QDir>

bool InstanceGuard::Acquire(const QString& workingFolder)
{
    m_lock = std::make_unique<QLockFile>(QDir(workingFolder).filePath(QString::fromLatin1(LockFileName)));
    // A session may last a whole working day: only a dead owner makes a lock
    // stale, never its age.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0)) {
        return true;
    }
    return m_lock->error() != QLockFile::LockFailedError;
}
