#include "app/InstanceGuard.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString lockPath(const QTemporaryDir& dir)
{
    return dir.filePath(QString::fromLatin1(InstanceGuard::LockFileName));
}

// A pid that no running process has: beyond the kernel's largest pid.
constexpr qint64 DeadPid = 4194305;

} // namespace

class TestInstanceGuard : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void firstProgramStarts();
    void secondProgramFromTheSameFolderIsRefused();
    void programInAnotherFolderStarts();
    void lockOfACrashedProgramDoesNotBlock();
    void lockIsFreedWhenTheProgramEnds();
    void oldLockOfARunningProgramStillHolds();
    void folderWithoutWriteAccessDoesNotStopTheStart();
};

void TestInstanceGuard::firstProgramStarts()
{
    QTemporaryDir dir;
    InstanceGuard guard;
    QVERIFY(guard.Acquire(dir.path()));
    QVERIFY(guard.Held());
    QVERIFY(QFile::exists(lockPath(dir)));
    // Not in temp/, which closing removes with everything in it.
    QVERIFY(!lockPath(dir).contains(QStringLiteral("/temp/")));
}

void TestInstanceGuard::secondProgramFromTheSameFolderIsRefused()
{
    QTemporaryDir dir;
    QLockFile running(lockPath(dir));
    QVERIFY(running.tryLock(0));
    InstanceGuard second;
    QVERIFY(!second.Acquire(dir.path()));
    QVERIFY(!second.Held());
}

void TestInstanceGuard::programInAnotherFolderStarts()
{
    QTemporaryDir first;
    QTemporaryDir other;
    InstanceGuard a;
    InstanceGuard b;
    QVERIFY(a.Acquire(first.path()));
    QVERIFY(b.Acquire(other.path()));
}

void TestInstanceGuard::lockOfACrashedProgramDoesNotBlock()
{
    QTemporaryDir dir;
    {
        QLockFile crashed(lockPath(dir));
        QVERIFY(crashed.tryLock(0));
        crashed.setStaleLockTime(0);
        // Leave the file behind as a crash would, then claim a dead owner.
    }
    QFile file(lockPath(dir));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QByteArray::number(DeadPid) + "\nrozaro\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    file.close();

    InstanceGuard guard;
    QVERIFY(guard.Acquire(dir.path()));
    QVERIFY(guard.Held());
}

void TestInstanceGuard::lockIsFreedWhenTheProgramEnds()
{
    QTemporaryDir dir;
    {
        InstanceGuard first;
        QVERIFY(first.Acquire(dir.path()));
    }
    InstanceGuard next;
    QVERIFY(next.Acquire(dir.path()));
}

void TestInstanceGuard::oldLockOfARunningProgramStillHolds()
{
    QTemporaryDir dir;
    QLockFile running(lockPath(dir));
    QVERIFY(running.tryLock(0));
    // A lock from a morning start is as valid in the afternoon.
    QFile file(lockPath(dir));
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(
        file.setFileTime(QDateTime::currentDateTime().addSecs(-8 * 3600), QFileDevice::FileModificationTime));
    file.close();
    InstanceGuard second;
    QVERIFY(!second.Acquire(dir.path()));
}

void TestInstanceGuard::folderWithoutWriteAccessDoesNotStopTheStart()
{
    QTemporaryDir dir;
    QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    InstanceGuard guard;
    const bool started = guard.Acquire(dir.path());
    QFile::setPermissions(dir.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QVERIFY(started);
}

QTEST_MAIN(TestInstanceGuard)
#include "tst_instanceguard.moc"
