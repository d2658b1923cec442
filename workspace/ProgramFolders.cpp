#include "workspace/ProgramFolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

ProgramFolders ProgramFolders::Single(const QString& folder)
{
    return {folder, folder, folder, false};
}

QString ProgramFolders::InstalledDataFolder(const QString& executableFolder)
{
    return QDir::cleanPath(QDir(executableFolder).filePath(QStringLiteral("../share/rozaro")));
}

bool ProgramFolders::IsWritable(const QString& folder)
{
    const QFileInfo info(folder);
    return info.isDir() && info.isWritable();
}

ProgramFolders ProgramFolders::Choose(const QString& executableFolder, const QString& userDataFolder,
                                      const QString& documentsFolder, const WritableCheck& writable)
{
    // A folder without Addon/ beside the program is no program folder, even
    // when it may be written: root may write /usr/bin, and temp/ must not
    // land there.
    const bool portable = QFileInfo(QDir(executableFolder).filePath(QStringLiteral("Addon"))).isDir() &&
                          writable(executableFolder);
    if (portable)
        return Single(executableFolder);
    const QString data = InstalledDataFolder(executableFolder);
    // A copy that has neither (a bare executable) still finds what it can
    // beside itself instead of in a data folder that is not there.
    const QString resources = QFileInfo(data).isDir() ? data : executableFolder;
    return {resources, userDataFolder, documentsFolder, true};
}

ProgramFolders ProgramFolders::ForRunningProgram()
{
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty() || !QFileInfo(documents).isDir())
        documents = QDir::homePath();
    ProgramFolders folders =
        Choose(QCoreApplication::applicationDirPath(),
               QStandardPaths::writableLocation(QStandardPaths::AppDataLocation), documents);
    if (folders.installed)
        QDir().mkpath(folders.working);
    return folders;
}
