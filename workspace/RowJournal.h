#pragma once

#include <optional>
#include <string>
#include <vector>

// The detail rows as earlier releases kept them against a power cut: a base
// copy (temp/rows.base, "Rozaro rows <generation>" and a row a line) and a
// journal (temp/rows.journal, "Rozaro journal <generation>" and entries
// "R <start> <removed> <added>", the added rows, "E"). Only read now, so that
// work left by such a release still comes back; the working folder's keeper
// writes everything new.
//
// A journal that names another base is never applied to this one; an entry
// cut short, and everything after it, is left out.
class RowJournal
{
public:
    static constexpr const char* BaseFile = "temp/rows.base";
    static constexpr const char* JournalFile = "temp/rows.journal";

    // The rows a base and its journal give; nothing when there is no base.
    static std::optional<std::vector<std::string>> Replay(const std::string& workingFolder);
};
