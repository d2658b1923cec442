#pragma once

#include "declaration/UserInterface.h"

#include <string>

// The command that packs one file the person picks into a zip archive. It
// needs no declaration: it works in the start state as in the working state
// and changes nothing of the open declaration. Paths are UTF-8, as the file
// dialogs give them.
class ZipExport
{
public:
    // Asks for the source and the archive name, starting in `programFolder`,
    // and writes the archive. Errors are thrown with their text.
    static void Run(UserInterface& ui, const std::string& programFolder);

    // The archive for the name confirmed in the save dialog: ".zip" is added,
    // unless the name ends in it already (in any letter case).
    static std::string ArchivePath(const std::string& confirmedName);

    // Packs `source` into the archive for `confirmedName`, asking first
    // whether an existing file of that name is to be replaced. Returns false
    // when the person answers "Όχι".
    static bool Pack(UserInterface& ui, const std::string& source, const std::string& confirmedName);

    // Writes the archive of `source` to `archivePath`, replacing what is
    // there; the archive holds the one file under its own name.
    static void WriteArchive(const std::string& source, const std::string& archivePath);
};
