#include "workspace/DesktopShortcut.h"

#include "workspace/ProgramFolders.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>

QString DesktopShortcut::StringValue(const QString& text)
{
    QString out;
    for (const QChar c : text) {
        if (c == QLatin1Char('\\'))
            out += QStringLiteral("\\\\");
        else if (c == QLatin1Char('\n'))
            out += QStringLiteral("\\n");
        else if (c == QLatin1Char('\r'))
            out += QStringLiteral("\\r");
        else if (c == QLatin1Char('\t'))
            out += QStringLiteral("\\t");
        else
            out += c;
    }
    return out;
}

QString DesktopShortcut::ExecArgument(const QString& path)
{
    QString quoted = QStringLiteral("\"");
    for (const QChar c : path) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        // A lone percent sign would be read as a field code.
        if (c == QLatin1Char('%'))
            quoted += QLatin1Char('%');
        quoted += c;
    }
    quoted += QLatin1Char('"');
    return StringValue(quoted);
}

QByteArray DesktopShortcut::EntryText(const QString& programPath)
{
    const QFileInfo program(programPath);
    QString text = QStringLiteral("[Desktop Entry]\n"
                                  "Type=Application\n"
                                  "Version=1.0\n");
    text += QStringLiteral("Name=") + QString::fromUtf8("Rozaro - Έκδοση Δημοσίου") + QLatin1Char('\n');
    text += QStringLiteral("Comment=") + QString::fromUtf8("Οριστική Δήλωση Φόρου Μισθωτών Υπηρεσιών") +
            QLatin1Char('\n');
    text += QStringLiteral("Exec=") + ExecArgument(program.absoluteFilePath()) + QLatin1Char('\n');
    const QString icon = program.absoluteDir().filePath(QStringLiteral("rozaro.png"));
    if (QFileInfo::exists(icon)) {
        text += QStringLiteral("Path=") + StringValue(program.absolutePath()) + QLatin1Char('\n');
        text += QStringLiteral("Icon=") + StringValue(icon) + QLatin1Char('\n');
    } else if (QFileInfo(ProgramFolders::InstalledDataFolder(program.absolutePath())).isDir()) {
        // An installed program works in the person's data folder, whatever
        // the folder it is started in, and its picture is in the icon theme.
        text += QStringLiteral("Icon=rozaro\n");
    } else {
        text += QStringLiteral("Path=") + StringValue(program.absolutePath()) + QLatin1Char('\n');
    }
    text += QStringLiteral("Terminal=false\n");
    return text.toUtf8();
}

bool DesktopShortcut::Write(const QString& desktopFolder, const QString& programPath)
{
    if (desktopFolder.isEmpty() || !QDir().mkpath(desktopFolder))
        return false;
    QSaveFile file(QDir(desktopFolder).filePath(QString::fromUtf8(FileName)));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(EntryText(programPath));
    // Desktops start only entries that may be executed.
    file.setPermissions(file.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser |
                        QFileDevice::ExeGroup | QFileDevice::ExeOther);
    return file.commit();
}

void DesktopShortcut::Create(UserInterface& ui, const QString& desktopFolder, const QString& programPath)
{
    if (!Write(desktopFolder, programPath)) {
        ui.ShowMessage(FailureMessage);
        return;
    }
    // Some desktops also want a launcher on the desktop marked as trusted
    // before they start it; where that mark cannot be set, the file manager
    // asks once instead.
    const QString gio = QStandardPaths::findExecutable(QStringLiteral("gio"));
    if (!gio.isEmpty()) {
        QProcess mark;
        mark.start(gio, {QStringLiteral("set"), QDir(desktopFolder).filePath(QString::fromUtf8(FileName)),
                         QStringLiteral("metadata::trusted"), QStringLiteral("true")});
        mark.waitForFinished(3000);
    }
}
