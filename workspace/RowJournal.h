#pragma once

#include "dataset/FixedFormatDataSet.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The detail rows as a power cut leaves them: a base copy written whole and
// synced now and then (temp/rows.base), and after it a journal
// (temp/rows.journal) to which every store or delete appends the rows it
// changed and which is synced before the command goes on. Appending a row is
// far cheaper than syncing a whole working file of a large declaration,
// while temp/record2, written after it without waiting for the disk, keeps
// serving the running program and any crash that spares the system.
//
// A journal names the base it follows, so a journal left from before a new
// base is never applied to it; a change whose entry was cut short by the
// power cut is the one that is lost.
class RowJournal
{
public:
    static constexpr const char* BaseFile = "temp/rows.base";
    static constexpr const char* JournalFile = "temp/rows.journal";

    explicit RowJournal(std::string workingFolder);
    ~RowJournal();
    RowJournal(const RowJournal&) = delete;
    RowJournal& operator=(const RowJournal&) = delete;

    // Writes `lines` as a new base and starts its journal empty. Throws
    // EFileError when either cannot be written.
    void Restart(const std::vector<TFixedFormatDataSet::TLine>& lines);
    // Appends how `lines` differ from the rows of the last call and waits for
    // the disk. Starts a new base when there is none yet or the journal has
    // grown large.
    void Record(const std::vector<TFixedFormatDataSet::TLine>& lines);
    // Forgets the open journal (its files are being removed).
    void Close();

    // The rows a base and its journal give; nothing when there is no base.
    static std::optional<std::vector<std::string>> Replay(const std::string& workingFolder);

private:
    std::string Path(const char* relative) const;

    std::string m_folder;
    std::vector<std::string> m_rows;
    int m_fd = -1;
    uint64_t m_journalSize = 0;
};
