#pragma once

#include "declaration/UserInterface.h"

#include <QString>
#include <string>

// The program's shortcut on the person's desktop: a desktop entry that starts
// the program from its own folder, the file managers' counterpart of a link.
class DesktopShortcut
{
public:
    static constexpr const char* FileName = "Rozaro - Έκδοση Δημοσίου.desktop";
    static constexpr const char* FailureMessage = "Υπήρξε κάποιο πρόβλημα κατά τη δημιουργία της συντόμευσης";

    // Puts the shortcut into `desktopFolder`, replacing one of the same name;
    // says FailureMessage when it cannot, and nothing when it can.
    static void Create(UserInterface& ui, const QString& desktopFolder, const QString& programPath);

    // Writes the entry; false when the folder or the file cannot be written,
    // with the file and the reason in `reason` when given.
    static bool Write(const QString& desktopFolder, const QString& programPath,
                      std::string* reason = nullptr);

    // The entry's text for the program at `programPath`. An icon named
    // rozaro.png beside the program becomes the shortcut's picture.
    static QByteArray EntryText(const QString& programPath);

    // A path as one argument of the entry's command line: quoted, with the
    // characters the quotes leave special escaped, and then escaped again as
    // the file's string values are.
    static QString ExecArgument(const QString& path);
    // A string value of the file: backslashes and line breaks escaped.
    static QString StringValue(const QString& text);
};
