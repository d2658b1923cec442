#pragma once

#include <QString>
#include <functional>

// Where the program reads its resources (Addon/, Help/) and where it keeps
// its working files (temp/, Rozaro.htm, the form page, the single-instance
// lock). A copy that runs from a folder it may write (the build tree, a
// portable copy with Addon/ beside it) keeps both in that one folder; an
// installed program reads the data folder of its installation
// (../share/rozaro beside bin/) and works in the person's data folder.
struct ProgramFolders
{
    QString resources;
    QString working;
    // Where the open and save dialogs start until the person picks a folder.
    QString dialogs;
    bool installed = false;

    using WritableCheck = std::function<bool(const QString& folder)>;

    // One folder for everything, as a portable copy has it.
    static ProgramFolders Single(const QString& folder);
    // The choice for a program whose executable lies in `executableFolder`;
    // `userDataFolder` and `documentsFolder` stand for the installed case.
    static ProgramFolders Choose(const QString& executableFolder, const QString& userDataFolder,
                                 const QString& documentsFolder, const WritableCheck& writable = IsWritable);
    // The choice for the running program, with the person's folders; the
    // working folder is created when it is missing.
    static ProgramFolders ForRunningProgram();

    // The installed data folder that belongs to an executable folder.
    static QString InstalledDataFolder(const QString& executableFolder);
    static bool IsWritable(const QString& folder);
};
