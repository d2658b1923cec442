#include "workspace/WorkKeeper.h"

#include "declaration/ChangedSpan.h"
#include "fileio/AtomicWriter.h"
#include "fileio/FileError.h"
#include "fileio/FileReason.h"
#include "fileio/WriteFully.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>
#include <random>
#include <string_view>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

// The order of every change to the working folder. Recovery reads whatever a
// crash leaves after any prefix of these steps and gets the work as it was
// before the call or after it, never a mix:
//
//   Restart   1. the new base (header naming a fresh generation, the state,
//                every row, an end record with the count) through
//                AtomicWriter: temporary file, write, fsync, rename over the
//                base, fsync of the folder. From here the old journal names
//                another generation and is never applied to this base.
//             2. the new journal (its header naming the generation) the same
//                way, then opened for appending at its known size.
//   Record... 3. one record written at the tracked end of the journal with
//                pwrite (a short write resumes where it stopped, never at a
//                position the file offset might have moved to), then
//                fdatasync before the call returns. A record cut short by a
//                crash was never acknowledged and is left out; any failure
//                closes the journal and the next call goes back to step 1.
//   Forget    4. unlink the base, then the journal, then fsync the folder: a
//                journal without its base is never applied, while a base
//                without its newer journal would give back older rows.
//
// Restart of work without changes first writes, as in step 1, a base of the
// state and no rows under a generation of its own: no start offers work
// without changes back, so its rows need not wait for the disk. Steps 1 and 2
// for every row then run on a thread of their own; every other call joins it
// first, so the journal is never appended to before its base is whole. Its
// failure leaves the journal closed, and the next call goes back to step 1.
//
// Nothing here reads the working folder back; only Recover does.

namespace {

constexpr std::string_view kMagic = "Rozaro keep 1";
// Past this the next change starts a new base rather than a longer journal.
constexpr uint64_t kJournalLimit = 8u << 20;
// A change larger than this is kept as a new base: the base is written a
// step at a time through the writer, the journal record would stand whole.
constexpr size_t kSpliceLimit = 1u << 20;
// No record, and no kept file, is trusted to be larger than these.
constexpr uint32_t kRecordLimit = 64u << 20;
constexpr off_t kFileLimit = off_t{1} << 30;
constexpr size_t kFrameHead = 9, kFrameTail = 4;

using Kind = WorkKeeper::RecordKind;

uint32_t Crc(std::string_view bytes)
{
    return static_cast<uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

void PutNumber(std::string& out, uint64_t value, int bytes)
{
    for (int k = 0; k < bytes; ++k)
        out += static_cast<char>((value >> (8 * k)) & 0xFF);
}

uint64_t GetNumber(std::string_view in, size_t at, int bytes)
{
    uint64_t value = 0;
    for (int k = 0; k < bytes; ++k)
        value |= uint64_t{static_cast<unsigned char>(in[at + k])} << (8 * k);
    return value;
}

// length (4) | kind (1) | checksum of those five (4) | payload | its checksum (4).
// The head has a checksum of its own so that a damaged length is told from a
// record the crash cut short.
void AddRecord(std::string& out, Kind kind, std::string_view payload)
{
    std::string head;
    PutNumber(head, payload.size(), 4);
    head += static_cast<char>(kind);
    out += head;
    PutNumber(out, Crc(head), 4);
    out += payload;
    PutNumber(out, Crc(payload), 4);
}

std::string HeaderPayload(uint64_t generation, uint64_t rows)
{
    std::string payload(kMagic);
    PutNumber(payload, generation, 8);
    PutNumber(payload, rows, 8);
    return payload;
}

// Reads records one by one off a kept file.
class RecordReader
{
public:
    enum class Result { Record, End, CutShort, Damaged };

    explicit RecordReader(std::string_view bytes) : m_bytes(bytes) {}

    Result Next(Kind& kind, std::string_view& payload)
    {
        if (m_at == m_bytes.size())
            return Result::End;
        const Result result = At(m_at, kind, payload);
        if (result == Result::Record)
            m_at += kFrameHead + payload.size() + kFrameTail;
        return result;
    }

    // Where the record after a damaged one could start: every later offset
    // whose record passes both checks.
    template <typename Visit> void ScanAfterDamage(Visit visit) const
    {
        for (size_t at = m_at + 1; at + kFrameHead + kFrameTail <= m_bytes.size(); ++at) {
            Kind kind{};
            std::string_view payload;
            if (At(at, kind, payload) == Result::Record)
                visit(kind, payload);
        }
    }

private:
    Result At(size_t at, Kind& kind, std::string_view& payload) const
    {
        const size_t left = m_bytes.size() - at;
        if (left < kFrameHead)
            return Result::CutShort;
        const uint64_t length = GetNumber(m_bytes, at, 4);
        if (GetNumber(m_bytes, at + 5, 4) != Crc(m_bytes.substr(at, 5)) || length > kRecordLimit)
            return Result::Damaged;
        if (left < kFrameHead + length + kFrameTail)
            return Result::CutShort;
        payload = m_bytes.substr(at + kFrameHead, length);
        if (GetNumber(m_bytes, at + kFrameHead + length, 4) != Crc(payload))
            return Result::Damaged;
        kind = static_cast<Kind>(m_bytes[at + 4]);
        return Result::Record;
    }

    std::string_view m_bytes;
    size_t m_at = 0;
};

// A kept file read whole, or why it could not be: only a regular file in the
// folder itself counts, a link is never followed.
struct KeptFile
{
    bool present = false;
    bool readable = false;
    std::string bytes;
};

KeptFile ReadKept(int folder, const char* name)
{
    KeptFile file;
    struct stat info
    {
    };
    if (::fstatat(folder, name, &info, AT_SYMLINK_NOFOLLOW) != 0)
        return file;
    file.present = true;
    if (!S_ISREG(info.st_mode) || info.st_size > kFileLimit)
        return file;
    const int fd = ::openat(folder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return file;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size <= kFileLimit) {
        file.bytes.resize(static_cast<size_t>(info.st_size));
        size_t done = 0;
        while (done < file.bytes.size()) {
            const ssize_t got = ::read(fd, file.bytes.data() + done, file.bytes.size() - done);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                break;
            done += static_cast<size_t>(got);
        }
        file.readable = done == file.bytes.size();
    }
    ::close(fd);
    return file;
}

// A change of the rows: `removed` rows at `start` give way to the listed
// ones, leaving `after` rows in all.
struct Splice
{
    uint64_t start = 0, removed = 0, after = 0;
    std::vector<std::string_view> added;
};

std::string SplicePayload(uint64_t start, uint64_t removed, uint64_t after,
                          const std::vector<std::string>& rows, size_t first, size_t count)
{
    std::string payload;
    PutNumber(payload, start, 8);
    PutNumber(payload, removed, 8);
    PutNumber(payload, after, 8);
    for (size_t k = first; k < first + count; ++k) {
        PutNumber(payload, rows[k].size(), 4);
        payload += rows[k];
    }
    return payload;
}

bool ParseSplice(std::string_view payload, Splice& splice)
{
    if (payload.size() < 24)
        return false;
    splice.start = GetNumber(payload, 0, 8);
    splice.removed = GetNumber(payload, 8, 8);
    splice.after = GetNumber(payload, 16, 8);
    for (size_t at = 24; at < payload.size();) {
        if (payload.size() - at < 4)
            return false;
        const uint64_t size = GetNumber(payload, at, 4);
        at += 4;
        if (size > payload.size() - at)
            return false;
        splice.added.push_back(payload.substr(at, size));
        at += size;
    }
    return true;
}

// Applies `splice` when it fits the rows as they stand; false leaves them.
bool Apply(const Splice& splice, std::vector<std::string>& rows)
{
    const uint64_t held = rows.size();
    if (splice.start > held || splice.removed > held - splice.start ||
        splice.after != held - splice.removed + splice.added.size())
        return false;
    const auto at = rows.begin() + static_cast<std::ptrdiff_t>(splice.start);
    if (splice.removed == splice.added.size()) {
        // An edit: in place, without moving every later row twice.
        std::copy(splice.added.begin(), splice.added.end(), at);
        return true;
    }
    rows.erase(at, at + static_cast<std::ptrdiff_t>(splice.removed));
    rows.insert(rows.begin() + static_cast<std::ptrdiff_t>(splice.start), splice.added.begin(),
                splice.added.end());
    return true;
}

int RealOpen(const char* path, int flags, mode_t mode)
{
    return ::open(path, flags, mode);
}

std::string Damage(const char* file)
{
    return std::string("Το αντίγραφο ασφαλείας της εργασίας είναι κατεστραμμένο (") + file + ").";
}

} // namespace

const WorkKeeper::SystemCalls& WorkKeeper::RealCalls()
{
    static const SystemCalls calls{RealOpen, ::pwrite, ::fdatasync, ::close, ::unlink};
    return calls;
}

WorkKeeper::SystemCalls& WorkKeeper::Calls()
{
    static SystemCalls calls = RealCalls();
    return calls;
}

WorkKeeper::WorkKeeper(std::string workingFolder) : m_folder(std::move(workingFolder)) {}

WorkKeeper::~WorkKeeper()
{
    Settle();
    CloseJournal();
}

void WorkKeeper::Settle() noexcept
{
    if (m_background.joinable())
        m_background.join();
}

std::string WorkKeeper::Path(const char* relative) const
{
    return (std::filesystem::path(m_folder) / relative).string();
}

void WorkKeeper::CloseJournal() noexcept
{
    if (m_fd >= 0)
        Calls().Close(m_fd);
    m_fd = -1;
}

void WorkKeeper::Fail(const std::string& path, int error)
{
    CloseJournal();
    throw EFileError(FileErrorMessage(path, error, FileAction::Write));
}

namespace {

uint64_t NewGeneration()
{
    static std::mt19937_64 random{std::random_device{}()};
    return random();
}

} // namespace

void WorkKeeper::Restart(const SessionState& state, const std::vector<TFixedFormatDataSet::TLine>& rows)
{
    Settle();
    CloseJournal();
    // What is held follows the caller first, so that after any failure
    // below the next call writes the whole base of these rows.
    m_state = state;
    m_haveState = true;
    m_rows.clear();
    m_rows.reserve(rows.size());
    m_ids.clear();
    m_ids.reserve(rows.size());
    for (const auto& row : rows) {
        m_rows.push_back(row.Text);
        m_ids.push_back(row.Id);
    }
    if (state.modified) {
        WriteBase();
        return;
    }
    {
        std::string base;
        const uint64_t stateOnly = NewGeneration();
        AddRecord(base, Kind::BaseHeader, HeaderPayload(stateOnly, 0));
        AddRecord(base, Kind::State, m_state.Serialize());
        std::string none;
        PutNumber(none, 0, 8);
        AddRecord(base, Kind::BaseEnd, none);
        std::error_code ignored;
        std::filesystem::create_directories(std::filesystem::path(Path(BaseFile)).parent_path(), ignored);
        AtomicWriter::WriteWhole(Path(BaseFile), base);
    }
    m_background = std::thread([this, generation = NewGeneration()] {
        try {
            WriteBaseOf(generation);
        } catch (const std::exception&) {
            CloseJournal();
        }
    });
}

void WorkKeeper::WriteBase()
{
    Settle();
    WriteBaseOf(NewGeneration());
}

void WorkKeeper::WriteBaseOf(uint64_t generation)
{
    CloseJournal();
    m_generation = generation;
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(Path(BaseFile)).parent_path(), ignored);

    std::string base;
    base.reserve(m_rows.size() * (m_rows.empty() ? 0 : m_rows.front().size() + kFrameHead + kFrameTail) +
                 4096);
    AddRecord(base, Kind::BaseHeader, HeaderPayload(m_generation, m_rows.size()));
    AddRecord(base, Kind::State, m_state.Serialize());
    for (const std::string& row : m_rows)
        AddRecord(base, Kind::Row, row);
    std::string count;
    PutNumber(count, m_rows.size(), 8);
    AddRecord(base, Kind::BaseEnd, count);
    AtomicWriter::WriteWhole(Path(BaseFile), base);

    std::string journal;
    AddRecord(journal, Kind::JournalHeader, HeaderPayload(m_generation, 0));
    AtomicWriter::WriteWhole(Path(JournalFile), journal);
    const std::string path = Path(JournalFile);
    const int fd = Calls().Open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC, 0);
    if (fd < 0)
        Fail(path, errno);
    m_fd = fd;
    m_journalSize = journal.size();
}

void WorkKeeper::Append(const std::string& record)
{
    const std::string path = Path(JournalFile);
    const int fd = m_fd;
    const off_t end = static_cast<off_t>(m_journalSize + record.size());
    if (const int error = fileio::WriteFully(record, [fd, end](std::string_view left) {
            return Calls().WriteAt(fd, left.data(), left.size(), end - static_cast<off_t>(left.size()));
        }))
        Fail(path, error);
    if (Calls().Sync(m_fd) != 0)
        Fail(path, errno);
    // A journal whose name was removed (its folder deleted under the running
    // program) takes every append and keeps none of them: that is a failure
    // to keep, and the next call writes a whole copy where the name is.
    struct stat kept;
    if (::fstat(m_fd, &kept) != 0 || kept.st_nlink == 0)
        Fail(path, ENOENT);
    m_journalSize += record.size();
}

void WorkKeeper::RecordRows(const std::vector<TFixedFormatDataSet::TLine>& rows)
{
    Settle();
    // The changed stretch: what lies between the rows equal at both ends.
    const size_t held = m_rows.size(), now = rows.size();
    const ChangedSpan span =
        ChangedSpan::Between(held, now, [&](size_t i, size_t j) { return m_rows[i] == rows[j].Text; });
    // Equal texts may carry other ids now (rows reordered alike).
    for (size_t k = 0; k < span.start; ++k)
        m_ids[k] = rows[k].Id;
    for (size_t k = 0; k < held - span.start - span.removed; ++k)
        m_ids[held - 1 - k] = rows[now - 1 - k].Id;
    KeepSpan(span.start, span.removed, rows, span.added);
}

void WorkKeeper::RecordRows(const std::vector<TFixedFormatDataSet::TLine>& rows,
                            std::optional<size_t> editedAt)
{
    Settle();
    std::optional<ChangedSpan> span = ChangedSpan::Find(m_ids, rows, editedAt);
    if (!span) {
        RecordRows(rows);
        return;
    }
    // The stretch shrinks past rows that stand as they were kept (an edit
    // that changed nothing leaves none).
    while (span->removed > 0 && span->added > 0 && m_rows[span->start] == rows[span->start].Text &&
           m_ids[span->start] == rows[span->start].Id) {
        ++span->start;
        --span->removed;
        --span->added;
    }
    while (span->removed > 0 && span->added > 0 &&
           m_rows[span->start + span->removed - 1] == rows[span->start + span->added - 1].Text &&
           m_ids[span->start + span->removed - 1] == rows[span->start + span->added - 1].Id) {
        --span->removed;
        --span->added;
    }
    KeepSpan(span->start, span->removed, rows, span->added);
}

// Keeps rows [start, start + added) of `rows` in place of the `removed` held
// from `start`: appended as one change, or as a new base.
void WorkKeeper::KeepSpan(size_t start, size_t removed, const std::vector<TFixedFormatDataSet::TLine>& rows,
                          size_t added)
{
    if (m_fd >= 0 && removed == 0 && added == 0)
        return;
    std::vector<std::string> fresh;
    fresh.reserve(added);
    size_t bytes = 0;
    for (size_t k = start; k < start + added; ++k) {
        fresh.push_back(rows[k].Text);
        bytes += rows[k].Text.size() + 4;
    }
    if (removed == added) {
        // An edit: in place, without moving every later row.
        for (size_t k = 0; k < added; ++k) {
            m_rows[start + k] = fresh[k];
            m_ids[start + k] = rows[start + k].Id;
        }
    } else {
        const auto at = m_rows.begin() + static_cast<std::ptrdiff_t>(start);
        m_rows.erase(at, at + static_cast<std::ptrdiff_t>(removed));
        m_rows.insert(m_rows.begin() + static_cast<std::ptrdiff_t>(start), fresh.begin(), fresh.end());
        const auto id = m_ids.begin() + static_cast<std::ptrdiff_t>(start);
        m_ids.erase(id, id + static_cast<std::ptrdiff_t>(removed));
        m_ids.insert(m_ids.begin() + static_cast<std::ptrdiff_t>(start), added, 0);
        for (size_t k = start; k < start + added; ++k)
            m_ids[k] = rows[k].Id;
    }

    if (m_fd < 0 || m_journalSize > kJournalLimit || bytes > kSpliceLimit) {
        WriteBase();
        return;
    }
    std::string record;
    AddRecord(record, Kind::Splice, SplicePayload(start, removed, m_rows.size(), fresh, 0, fresh.size()));
    Append(record);
}

void WorkKeeper::RecordState(const SessionState& state)
{
    Settle();
    if (m_fd >= 0 && m_haveState && state == m_state)
        return;
    m_state = state;
    m_haveState = true;
    if (m_fd < 0) {
        WriteBase();
        return;
    }
    std::string record;
    AddRecord(record, Kind::State, m_state.Serialize());
    Append(record);
}

void WorkKeeper::Forget() noexcept
{
    Settle();
    CloseJournal();
    m_rows.clear();
    m_ids.clear();
    m_haveState = false;
    const SystemCalls& calls = Calls();
    calls.Unlink(Path(BaseFile).c_str());
    calls.Unlink(Path(JournalFile).c_str());
    const std::string folder = std::filesystem::path(Path(BaseFile)).parent_path().string();
    const int fd = calls.Open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    if (fd >= 0) {
        calls.Sync(fd);
        calls.Close(fd);
    }
}

WorkKeeper::Recovered WorkKeeper::Recover(const std::string& workingFolder)
{
    Recovered out;
    const int root = ::open(workingFolder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (root < 0)
        return out;
    const int temp = ::openat(root, "temp", O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    ::close(root);
    if (temp < 0)
        return out;
    const char* baseName = std::strrchr(BaseFile, '/') + 1;
    const char* journalName = std::strrchr(JournalFile, '/') + 1;
    const KeptFile base = ReadKept(temp, baseName);
    const KeptFile journal = ReadKept(temp, journalName);
    ::close(temp);
    if (base.present)
        out.files.push_back(BaseFile);
    if (journal.present)
        out.files.push_back(JournalFile);
    if (!base.present)
        return out; // a journal alone is what Forget leaves half-way
    const auto damaged = [&out](const char* file) -> Recovered& {
        out.damaged = true;
        out.reason = Damage(file);
        return out;
    };
    if (!base.readable)
        return damaged(BaseFile);

    // The base: its header, the state, every row, the end with the count.
    RecordReader reader(base.bytes);
    Kind kind{};
    std::string_view payload;
    if (reader.Next(kind, payload) != RecordReader::Result::Record || kind != Kind::BaseHeader ||
        payload.size() != kMagic.size() + 16 || payload.substr(0, kMagic.size()) != kMagic)
        return damaged(BaseFile);
    const uint64_t generation = GetNumber(payload, kMagic.size(), 8);
    const uint64_t declared = GetNumber(payload, kMagic.size() + 8, 8);
    std::optional<SessionState> state;
    if (reader.Next(kind, payload) == RecordReader::Result::Record && kind == Kind::State)
        state = SessionState::Parse(payload);
    if (!state) {
        out.lostRows = declared;
        return damaged(BaseFile);
    }
    out.found = true;
    out.state = *state;
    std::vector<std::string> rows;
    bool whole = false;
    for (;;) {
        if (reader.Next(kind, payload) != RecordReader::Result::Record)
            break;
        if (kind == Kind::Row) {
            rows.emplace_back(payload);
            continue;
        }
        whole = kind == Kind::BaseEnd && payload.size() == 8 && GetNumber(payload, 0, 8) == declared &&
                rows.size() == declared && reader.Next(kind, payload) == RecordReader::Result::End;
        break;
    }
    const auto give = [&out, &rows] {
        int32_t id = 0;
        out.rows.reserve(rows.size());
        for (std::string& text : rows)
            out.rows.push_back({std::move(text), ++id});
        return out;
    };
    if (!whole) {
        out.lostRows = declared > rows.size() ? declared - rows.size() : 0;
        damaged(BaseFile);
        return give();
    }

    // The journal, when it follows this base: every change up to the first
    // that fails a check; a last one cut short was never acknowledged.
    if (!journal.present)
        return give();
    if (!journal.readable) {
        damaged(JournalFile);
        return give();
    }
    RecordReader changes(journal.bytes);
    const RecordReader::Result first = changes.Next(kind, payload);
    if (first == RecordReader::Result::CutShort || first == RecordReader::Result::End)
        return give(); // the journal of a new base, cut before its header was whole
    if (first != RecordReader::Result::Record || kind != Kind::JournalHeader ||
        payload.size() != kMagic.size() + 16 || payload.substr(0, kMagic.size()) != kMagic) {
        damaged(JournalFile);
        return give();
    }
    if (GetNumber(payload, kMagic.size(), 8) != generation)
        return give(); // left from before this base: never applied to it
    for (;;) {
        const RecordReader::Result result = changes.Next(kind, payload);
        if (result == RecordReader::Result::End || result == RecordReader::Result::CutShort)
            break;
        bool applied = false;
        if (result == RecordReader::Result::Record && kind == Kind::State) {
            if (std::optional<SessionState> later = SessionState::Parse(payload)) {
                out.state = *later;
                applied = true;
            }
        } else if (result == RecordReader::Result::Record && kind == Kind::Splice) {
            Splice splice;
            applied = ParseSplice(payload, splice) && Apply(splice, rows);
        }
        if (applied)
            continue;
        // How many rows the copy held after the last change still readable
        // beyond the damage: at least the difference is lost.
        uint64_t later = 0;
        changes.ScanAfterDamage([&later](Kind found, std::string_view bytes) {
            Splice splice;
            if (found == Kind::Splice && ParseSplice(bytes, splice))
                later = splice.after;
        });
        out.lostRows = later > rows.size() ? later - rows.size() : 0;
        damaged(JournalFile);
        break;
    }
    return give();
}
