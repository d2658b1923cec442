#include "ScriptedUi.h"
#include "workspace/DesktopShortcut.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray ReadShortcut(const QString& desktop)
{
    QFile file(QDir(desktop).filePath(QString::fromUtf8(DesktopShortcut::FileName)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

// A program folder with blanks, quotes, a dollar, a percent and a backslash:
// every one comes back out of the entry's command line as it was.
TEST(DesktopShortcut, EntryStartsTheProgramFromItsFolderWhateverThePath)
{
    QTemporaryDir root;
    const QString folder = root.filePath(QString::fromUtf8("Φάκελος με \"κενά\" $HOME 100% a\\b"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString program = folder + QStringLiteral("/rozaro");
    QFile(folder + QStringLiteral("/rozaro.png")).open(QIODevice::WriteOnly);

    const QString desktop = root.filePath(QStringLiteral("Desktop"));
    ASSERT_TRUE(DesktopShortcut::Write(desktop, program));
    const QByteArray expected =
        QString(QStringLiteral("[Desktop Entry]\nType=Application\nVersion=1.0\n") +
                QString::fromUtf8("Name=Rozaro - Έκδοση Δημοσίου\n"
                                  "Comment=Οριστική Δήλωση Φόρου Μισθωτών Υπηρεσιών\n") +
                QStringLiteral("Exec=\"") + root.path() +
                QString::fromUtf8("/Φάκελος με \\\\\"κενά\\\\\" \\\\$HOME 100%% a\\\\\\\\b/rozaro\"\n") +
                QStringLiteral("Path=") + root.path() +
                QString::fromUtf8("/Φάκελος με \"κενά\" $HOME 100% a\\\\b\n") + QStringLiteral("Icon=") +
                root.path() + QString::fromUtf8("/Φάκελος με \"κενά\" $HOME 100% a\\\\b/rozaro.png\n") +
                QStringLiteral("Terminal=false\n"))
            .toUtf8();
    EXPECT_EQ(ReadShortcut(desktop), expected);
    const QFile::Permissions permissions =
        QFile(QDir(desktop).filePath(QString::fromUtf8(DesktopShortcut::FileName))).permissions();
    EXPECT_TRUE(permissions & QFile::ExeOwner);

    // The desktop's own checker accepts the entry.
    const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (!validator.isEmpty()) {
        QProcess check;
        check.start(validator, {QDir(desktop).filePath(QString::fromUtf8(DesktopShortcut::FileName))});
        ASSERT_TRUE(check.waitForFinished(10000));
        EXPECT_EQ(check.exitCode(), 0) << check.readAllStandardOutput().toStdString();
    }

    // A second time replaces the first: one file of that name.
    ASSERT_TRUE(DesktopShortcut::Write(desktop, root.filePath(QStringLiteral("other/rozaro"))));
    EXPECT_TRUE(
        ReadShortcut(desktop).contains("Path=" + root.filePath(QStringLiteral("other")).toUtf8() + "\n"));
    EXPECT_EQ(QDir(desktop).entryList(QDir::Files).size(), 1);
}

TEST(DesktopShortcut, FailureSaysSoAndSuccessSaysNothing)
{
    QTemporaryDir root;
    ScriptedUi ui;
    QFile(root.filePath(QStringLiteral("blocked"))).open(QIODevice::WriteOnly); // a file, not a folder
    DesktopShortcut::Create(ui, root.filePath(QStringLiteral("blocked")),
                            QStringLiteral("/opt/rozaro/rozaro"));
    DesktopShortcut::Create(ui, root.filePath(QStringLiteral("Desktop")),
                            QStringLiteral("/opt/rozaro/rozaro"));
    // The usual words, then the folder and why on the next line.
    EXPECT_EQ(ui.Said(),
              std::vector<std::string>{"message: Υπήρξε κάποιο πρόβλημα κατά τη δημιουργία της "
                                       "συντόμευσης\nΤο αρχείο «" +
                                       root.filePath(QStringLiteral("blocked")).toStdString() +
                                       "» δεν μπορεί να γραφτεί. Ο φάκελος του αρχείου δεν υπάρχει."});
    EXPECT_FALSE(ReadShortcut(root.filePath(QStringLiteral("Desktop"))).isEmpty());
}
