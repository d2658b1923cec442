#include "ScriptedUi.h"
#include "workspace/DesktopShortcut.h"
#include "workspace/ProgramFolders.h"
#include "workspace/Workspace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

void Put(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// An installation as the package lays it out: usr/bin/ with the programs,
// usr/share/rozaro/ with Addon/ and Help/.
struct Installation
{
    QTemporaryDir root;
    QString bin = root.filePath(QStringLiteral("usr/bin"));
    QString data = root.filePath(QStringLiteral("usr/share/rozaro"));
    QString home = root.filePath(QStringLiteral("home/.local/share/Rozaro"));
    QString documents = root.filePath(QStringLiteral("home/Documents"));

    Installation()
    {
        QDir().mkpath(bin);
        QDir().mkpath(home);
        Put(data + QStringLiteral("/Addon/typeofinc.txt"), "10" + QByteArray(52, 'x') + "\r\n");
        Put(data + QStringLiteral("/Addon/E7FirstPageFinal.files/filelist.xml"), "<xml/>");
    }
};

// The folder is judged by the seam, not by the file system: as root every
// folder may be written, so a read-only test would pass for the wrong reason.
bool Writable(const QString&)
{
    return true;
}
bool ReadOnly(const QString&)
{
    return false;
}

} // namespace

TEST(ProgramFolders, AWritableFolderWithItsResourcesIsOneProgramFolder)
{
    Installation at;
    // A portable copy: Addon/ beside the executable.
    QDir().mkpath(at.bin + QStringLiteral("/Addon"));
    const ProgramFolders portable = ProgramFolders::Choose(at.bin, at.home, at.documents, Writable);
    EXPECT_FALSE(portable.installed);
    EXPECT_EQ(portable.resources, at.bin);
    EXPECT_EQ(portable.working, at.bin);
    EXPECT_EQ(portable.dialogs, at.bin);

    // The same copy on a folder the person may not write.
    const ProgramFolders readOnly = ProgramFolders::Choose(at.bin, at.home, at.documents, ReadOnly);
    EXPECT_TRUE(readOnly.installed);
    EXPECT_EQ(readOnly.resources, at.data);
    EXPECT_EQ(readOnly.working, at.home);
    EXPECT_EQ(readOnly.dialogs, at.documents);
}

TEST(ProgramFolders, ABinFolderWithoutResourcesIsAnInstallationEvenWhenWritable)
{
    Installation at;
    // Root may write /usr/bin: temp/ must still not go there.
    const ProgramFolders installed = ProgramFolders::Choose(at.bin, at.home, at.documents, Writable);
    EXPECT_TRUE(installed.installed);
    EXPECT_EQ(installed.resources, at.data);
    EXPECT_EQ(installed.working, at.home);
    EXPECT_TRUE(ProgramFolders::IsWritable(at.home));
    EXPECT_FALSE(ProgramFolders::IsWritable(at.root.filePath(QStringLiteral("missing"))));
}

// An installed workspace reads the income types from the data folder, works
// in the person's folder, starts its dialogs in the documents and then in the
// folder last chosen, and leaves the installation untouched.
TEST(ProgramFolders, AnInstalledWorkspaceWorksInThePersonsFolder)
{
    Installation at;
    ScriptedUi ui;
    Workspace ws(ui, ProgramFolders::Choose(at.bin, at.home, at.documents, ReadOnly));
    ws.Start();
    EXPECT_TRUE(ws.FixedFormatDataSet2.Active());
    EXPECT_TRUE(QFileInfo(at.home + QStringLiteral("/temp")).isDir());
    EXPECT_TRUE(QFileInfo::exists(at.home + QStringLiteral("/Addon/E7FirstPageFinal.files/filelist.xml")));
    EXPECT_FALSE(QFileInfo::exists(at.bin + QStringLiteral("/temp")));
    EXPECT_FALSE(QFileInfo::exists(at.data + QStringLiteral("/temp")));

    const QString saved = at.root.filePath(QStringLiteral("saved"));
    Put(saved + QStringLiteral("/declaration"), "not a declaration\r\n");
    ui.openChoices.push_back((saved + QStringLiteral("/declaration")).toStdString());
    ui.openChoices.push_back(std::nullopt);
    ws.Open();
    ws.Open();
    std::vector<std::string> dialogs;
    for (const auto& line : ui.log)
        if (line.rfind("open-dialog: ", 0) == 0)
            dialogs.push_back(line);
    EXPECT_EQ(dialogs, (std::vector<std::string>{"open-dialog: " + at.documents.toStdString() + " *.*",
                                                 "open-dialog: " + saved.toStdString() + " *.*"}));
    ws.Shutdown();
    EXPECT_FALSE(QFileInfo(at.home + QStringLiteral("/temp")).exists());
}

// The shortcut of an installed program takes its picture from the icon theme
// and no working folder; a portable copy's keeps both beside the program.
TEST(ProgramFolders, TheShortcutOfAnInstalledProgram)
{
    Installation at;
    const QString entry = QString::fromUtf8(DesktopShortcut::EntryText(at.bin + QStringLiteral("/rozaro")));
    EXPECT_TRUE(entry.contains(QStringLiteral("\nExec=\"") + at.bin + QStringLiteral("/rozaro\"\n")));
    EXPECT_TRUE(entry.contains(QStringLiteral("\nIcon=rozaro\n")));
    EXPECT_FALSE(entry.contains(QStringLiteral("\nPath=")));

    QTemporaryDir bare;
    const QString plain =
        QString::fromUtf8(DesktopShortcut::EntryText(bare.filePath(QStringLiteral("rozaro"))));
    EXPECT_TRUE(plain.contains(QStringLiteral("\nPath=") + bare.path() + QStringLiteral("\n")));
    EXPECT_FALSE(plain.contains(QStringLiteral("\nIcon=")));
}

// The pictures of the first page come back whole at every start: a missing
// one is copied again even when one before it cannot be replaced, and one
// the person's copy holds whole is left alone.
TEST(ProgramFolders, APicturesFolderWithAMissingPictureIsMadeWholeAtStart)
{
    Installation at;
    const QString source = at.data + QStringLiteral("/Addon/E7FirstPageFinal.files/");
    Put(source + QStringLiteral("a.png"), "new a");
    Put(source + QStringLiteral("image.gif"), "gif");
    const QString copy = at.home + QStringLiteral("/Addon/E7FirstPageFinal.files/");
    // A folder where a picture should be cannot be replaced by it.
    QDir().mkpath(copy + QStringLiteral("a.png"));
    Put(copy + QStringLiteral("filelist.xml"), "<xml/>");
    ScriptedUi ui;
    Workspace ws(ui, ProgramFolders::Choose(at.bin, at.home, at.documents, ReadOnly));
    ws.Start();
    QFile gif(copy + QStringLiteral("image.gif"));
    ASSERT_TRUE(gif.open(QIODevice::ReadOnly));
    EXPECT_EQ(gif.readAll(), QByteArray("gif"));
    EXPECT_TRUE(QFileInfo(copy + QStringLiteral("a.png")).isDir());
    EXPECT_TRUE(ui.Said().empty());
}
