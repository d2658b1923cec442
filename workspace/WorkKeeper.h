#pragma once

#include "dataset/FixedFormatDataSet.h"
#include "workspace/SessionState.h"

#include <cstdint>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <sys/types.h>

// The one writer of the working folder: a copy of the open declaration that
// a crash or a power cut leaves whole enough to offer back. A base holds the
// state and every row; an append-only journal after it holds each later
// change, synced before the call returns. Every record carries its length and
// checksums, so recovery finds damage instead of trusting it.
class WorkKeeper
{
public:
    static constexpr const char* BaseFile = "temp/work.base";
    static constexpr const char* JournalFile = "temp/work.journal";

    // The system calls the keeper makes itself (the base and the journal's
    // first bytes go through AtomicWriter's); tests put recording or failing
    // ones in place.
    struct SystemCalls
    {
        int (*Open)(const char* path, int flags, mode_t mode);
        ssize_t (*WriteAt)(int fd, const void* data, size_t size, off_t offset);
        int (*Sync)(int fd);
        int (*Close)(int fd);
        int (*Unlink)(const char* path);
    };
    static SystemCalls& Calls();
    static const SystemCalls& RealCalls();

    explicit WorkKeeper(std::string workingFolder);
    ~WorkKeeper();
    WorkKeeper(const WorkKeeper&) = delete;
    WorkKeeper& operator=(const WorkKeeper&) = delete;

    // Replaces everything kept by `state` and `rows`: a new base, then an empty journal. Throws EFileError.
    // Work without changes (a declaration just opened, a new one) is kept at
    // once by a base of the state alone, since no start offers such work
    // back; the base of every row follows in the background, and every later
    // call waits for it first.
    void Restart(const SessionState& state, const std::vector<TFixedFormatDataSet::TLine>& rows);
    // Appends how `rows` differ from those last kept (rows carry ids), synced before it returns.
    // Throws EFileError; after any failure the next call writes a whole new base instead.
    void RecordRows(const std::vector<TFixedFormatDataSet::TLine>& rows);
    // The same after one store, insert or delete: only rows whose ids came or
    // went, and the row at `editedAt`, are compared; the others are taken as
    // kept. Compares every row when the ids tell of more.
    void RecordRows(const std::vector<TFixedFormatDataSet::TLine>& rows, std::optional<size_t> editedAt);
    // Appends the state (header, file name, flags) when it differs from the one last kept, synced. Throws
    // EFileError.
    void RecordState(const SessionState& state);
    // Removes every kept file, the base before its journal; never throws.
    void Forget() noexcept;
    // Waits for the base being written in the background, if any. A failure
    // there is not thrown: the next call writes the whole base itself.
    void Settle() noexcept;

    // What a working folder gives back. Reads only regular files inside the
    // folder, never through a link, and changes nothing there.
    struct Recovered
    {
        // A base naming a state was found: there is work to offer.
        bool found = false;
        SessionState state;
        std::vector<TFixedFormatDataSet::TLine> rows; // ids 1, 2, ...
        // Rows the copy held that could not be read back (at least this many).
        size_t lostRows = 0;
        // Some kept record failed its checks; `reason` says what, in Greek.
        bool damaged = false;
        std::string reason;
        // The kept files present, relative to the folder: what a damaged copy
        // moves aside and a settled one removes.
        std::vector<std::string> files;
    };
    static Recovered Recover(const std::string& workingFolder);

    // Record bytes, for the tests that damage them.
    enum class RecordKind : uint8_t {
        BaseHeader = 1,
        State = 2,
        Row = 3,
        BaseEnd = 4,
        JournalHeader = 5,
        Splice = 6
    };

private:
    [[noreturn]] void Fail(const std::string& path, int error);
    void WriteBase();
    void WriteBaseOf(uint64_t generation);
    void KeepSpan(size_t start, size_t removed, const std::vector<TFixedFormatDataSet::TLine>& rows,
                  size_t added);
    void Append(const std::string& record);
    std::string Path(const char* relative) const;
    void CloseJournal() noexcept;

    std::string m_folder;
    // What the caller last gave; the disk holds it while m_fd is open.
    SessionState m_state;
    std::vector<std::string> m_rows;
    std::vector<int32_t> m_ids; // of m_rows, as the caller numbered them
    bool m_haveState = false;
    uint64_t m_generation = 0;
    int m_fd = -1;
    uint64_t m_journalSize = 0;
    // Writes the base of every row while the caller goes on; it alone
    // touches the members above until Settle has joined it.
    std::thread m_background;
};
