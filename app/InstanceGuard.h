#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

// One running program per working folder: two copies would share and delete
// each other's working files in temp/. The lock file lies in the working
// folder itself, because closing removes temp/ with everything in it. A lock
// left behind by a program that crashed is recognised by its dead process and
// taken over.
class InstanceGuard
{
public:
    static constexpr const char* LockFileName = "rozaro.lock";

    // False only when another running program holds the folder. A folder in
    // which no lock file can be written (a read-only installation) does not
    // stop the start: the program then runs unguarded.
    bool Acquire(const QString& workingFolder);
    bool Held() const { return m_lock != nullptr && m_lock->isLocked(); }

private:
    std::unique_ptr<QLockFile> m_lock;
};
