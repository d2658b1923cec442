#pragma once

#include "dataset/FixedFormatDataSet.h"
#include "workspace/AtomicFile.h"
#include "declaration/DeclarationFile.h"
#include "declaration/Totals.h"

#include <QDate>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What the working folder keeps of the open declaration beside its rows
// (temp/record2), so that a program that never reached its close can offer
// the work back at the next start: the header as typed, the file the
// declaration came from or was last saved as, whether it holds changes that
// file has not, and whether its totals were ever summed (a new declaration
// shows empty boxes until its first stored row).
struct SessionState
{
    declaration::EmployerHeader header;
    std::string fileName; // UTF-8; empty for a declaration never opened or saved
    bool modified = false;
    bool summed = false;
    // The Caps Lock the person had before the program first set it: -1 not
    // known, 0 off, 1 on. A session that never closed gives it back.
    int personCapsLock = -1;

    std::string Serialize() const;
    // Nothing for text that is not a whole state (a file from elsewhere).
    static std::optional<SessionState> Parse(std::string_view text);
    bool operator==(const SessionState&) const;
};

// The work a session left in a working folder.
struct LeftoverWork
{
    SessionState state;
    std::vector<TFixedFormatDataSet::TLine> rows;
    // What the copy held and could not give back: rows lost (at least this
    // many), whether any kept record failed its checks and why, in Greek.
    size_t lostRows = 0;
    bool damaged = false;
    std::string reason;
    // The kept files found, relative to the folder: what a damaged copy
    // moves aside into recovered/.
    std::vector<std::string> keptFiles;

    // The working folder's state file, relative to it.
    static constexpr const char* StateFile = "temp/session";

    // Reads the state and the rows of `workingFolder` without changing
    // anything there, never through a link. Nothing when nothing is kept; a
    // damaged copy gives what it holds before the damage, or only the damage
    // (an unchanged empty state) when no state could be read.
    static std::optional<LeftoverWork> Find(const std::string& workingFolder);

    // The first row with an amount that cannot be read, named in Greek;
    // empty when every amount reads.
    std::string UnreadableAmount() const;

    // The totals the rows sum to, as the totals pass leaves them; empty
    // boxes for a declaration never summed, or whose rows cannot be summed.
    Totals SummedTotals() const;

    // Writes the declaration as Save as would, without its checks: a copy
    // that keeps everything, whether or not it could be submitted.
    void WriteDeclaration(const AtomicFile::Factory& factory, const std::string& path,
                          const QDate& today) const;
};
