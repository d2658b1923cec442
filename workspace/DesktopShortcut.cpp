#include "workspace/DesktopShortcut.h"

#include "fileio/AtomicWriter.h"
#include "fileio/FileError.h"
#include "fileio/FileReason.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <filesystem>
#include <sys/stat.h>

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
    text += QStringLiteral("Path=") + StringValue(program.absolutePath()) + QLatin1Char('\n');
    const QString icon = program.absoluteDir().filePath(QStringLiteral("rozaro.png"));
    if (QFileInfo::exists(icon))
        text += QStringLiteral("Icon=") + StringValue(icon) + QLatin1Char('\n');
    text += QStringLiteral("Terminal=false\n");
    return text.toUtf8();
}

bool DesktopShortcut::Write(const QString& desktopFolder, const QString& programPath, std::string* reason)
{
    auto fail = [reason](std::string why) {
        if (reason)
            *reason = std::move(why);
        return false;
    };
    if (desktopFolder.isEmpty())
        return fail(FileErrorMessage("", ENOENT, FileAction::Write));
    std::error_code made;
    std::filesystem::create_directories(desktopFolder.toStdString(), made);
    if (made)
        return fail(FileErrorMessage(desktopFolder.toStdString(), made.value(), FileAction::Write));
    try {
        AtomicWriter file(QDir(desktopFolder).filePath(QString::fromUtf8(FileName)).toStdString());
        file.Write(EntryText(programPath).toStdString());
        // Desktops start only entries that may be executed.
        file.AddPermissions(S_IXUSR | S_IXGRP | S_IXOTH);
        file.Commit();
    } catch (const EFileError& e) {
        return fail(e.what());
    }
    return true;
}

void DesktopShortcut::Create(UserInterface& ui, const QString& desktopFolder, const QString& programPath)
{
    std::string reason;
    if (!Write(desktopFolder, programPath, &reason)) {
        ui.ShowMessage(std::string(FailureMessage) + "\n" + reason);
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
