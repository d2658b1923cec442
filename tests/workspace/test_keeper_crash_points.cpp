// Every state a crash can leave in the middle of each keeper call recovers to
// the work before the call or after it.
//
// The calls really run; a recorder between them and the system notes each
// creation, write, sync, rename and removal. A crash keeps every operation a
// sync made durable before it, plus any in-order prefix of those not yet
// synced; each such folder is built afresh and recovered.
#include "fileio/AtomicWriter.h"
#include "fileio/FileError.h"
#include "workspace/WorkKeeper.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Op
{
    enum Type { Create, Write, Rename, Unlink, SyncFile, SyncFolder } type;
    ino_t inode = 0;
    std::string name, target; // file names inside the kept folder
    off_t offset = 0;
    std::string bytes;
};

std::vector<Op> g_log;
// Writes take at most this much per call, so every write is resumed.
size_t g_writeLimit = 61;

std::string Leaf(const char* path)
{
    return std::filesystem::path(path).filename().string();
}

ino_t InodeOf(int fd)
{
    struct stat info
    {
    };
    ::fstat(fd, &info);
    return info.st_ino;
}

int RecordOpen(const char* path, int flags, mode_t mode)
{
    const int fd = ::open(path, flags, mode);
    if (fd >= 0 && (flags & O_CREAT))
        g_log.push_back({Op::Create, InodeOf(fd), Leaf(path), {}, 0, {}});
    return fd;
}

ssize_t RecordWriteAt(int fd, const void* data, size_t size, off_t offset)
{
    size = std::min(size, g_writeLimit);
    const ssize_t written = ::pwrite(fd, data, size, offset);
    if (written > 0)
        g_log.push_back({Op::Write,
                         InodeOf(fd),
                         {},
                         {},
                         offset,
                         std::string(static_cast<const char*>(data), static_cast<size_t>(written))});
    return written;
}

ssize_t RecordWrite(int fd, const void* data, size_t size)
{
    const off_t at = ::lseek(fd, 0, SEEK_CUR);
    const ssize_t written = RecordWriteAt(fd, data, size, at);
    if (written > 0)
        ::lseek(fd, written, SEEK_CUR);
    return written;
}

int RecordSync(int fd)
{
    struct stat info
    {
    };
    ::fstat(fd, &info);
    g_log.push_back({S_ISDIR(info.st_mode) ? Op::SyncFolder : Op::SyncFile, info.st_ino, {}, {}, 0, {}});
    return ::fsync(fd);
}

int RecordRename(const char* from, const char* to)
{
    g_log.push_back({Op::Rename, 0, Leaf(from), Leaf(to), 0, {}});
    return ::rename(from, to);
}

int RecordUnlink(const char* path)
{
    g_log.push_back({Op::Unlink, 0, Leaf(path), {}, 0, {}});
    return ::unlink(path);
}

// The kept folder as a crash leaves it: `applied` says which logged
// operations reached the disk.
std::map<std::string, std::string> FolderAfter(const std::vector<bool>& applied)
{
    std::map<ino_t, std::string> contents;
    std::map<std::string, ino_t> names;
    for (size_t k = 0; k < applied.size(); ++k) {
        if (!applied[k])
            continue;
        const Op& op = g_log[k];
        switch (op.type) {
        case Op::Create:
            names[op.name] = op.inode;
            contents[op.inode].clear();
            break;
        case Op::Write: {
            std::string& content = contents[op.inode];
            if (content.size() < op.offset + op.bytes.size())
                content.resize(op.offset + op.bytes.size());
            content.replace(static_cast<size_t>(op.offset), op.bytes.size(), op.bytes);
            break;
        }
        case Op::Rename:
            if (names.count(op.name)) {
                names[op.target] = names[op.name];
                names.erase(op.name);
            }
            break;
        case Op::Unlink:
            names.erase(op.name);
            break;
        default:
            break;
        }
    }
    std::map<std::string, std::string> folder;
    for (const auto& [name, inode] : names)
        folder[name] = contents[inode];
    return folder;
}

// The crash states at the point after the first `done` logged operations.
std::vector<std::vector<bool>> CrashStates(size_t done)
{
    // An operation is durable once a later sync covers it: a write by a sync
    // of its file, a name change by a sync of the folder.
    std::vector<bool> durable(done, false);
    for (size_t k = 0; k < done; ++k) {
        const Op& op = g_log[k];
        if (op.type == Op::SyncFile || op.type == Op::SyncFolder) {
            durable[k] = true;
            continue;
        }
        for (size_t later = k + 1; later < done && !durable[k]; ++later) {
            const Op& sync = g_log[later];
            durable[k] = op.type == Op::Write ? sync.type == Op::SyncFile && sync.inode == op.inode
                                              : sync.type == Op::SyncFolder;
        }
    }
    std::vector<size_t> pending;
    for (size_t k = 0; k < done; ++k)
        if (!durable[k])
            pending.push_back(k);
    std::vector<std::vector<bool>> states;
    for (size_t prefix = 0; prefix <= pending.size(); ++prefix) {
        std::vector<bool> applied = durable;
        for (size_t k = 0; k < prefix; ++k)
            applied[pending[k]] = true;
        states.push_back(applied);
    }
    return states;
}

// What recovery gives, in a form two results compare by. The rows of work
// without changes are never offered back, so they are no part of it.
std::string Snapshot(const WorkKeeper::Recovered& work)
{
    if (!work.found)
        return "nothing";
    std::string text = work.state.Serialize();
    for (const auto& row : work.rows)
        if (work.state.modified)
            text += row.Text + "\n";
    if (work.damaged || work.lostRows)
        text += "damaged";
    return text;
}

std::vector<TFixedFormatDataSet::TLine> Rows(int first, int count)
{
    std::vector<TFixedFormatDataSet::TLine> rows;
    for (int k = 0; k < count; ++k)
        rows.push_back({"row " + std::to_string(first + k), k + 1});
    return rows;
}

class KeeperCrashPoints : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_savedWriter = AtomicWriter::Calls();
        m_savedKeeper = WorkKeeper::Calls();
        AtomicWriter::Calls().Open = RecordOpen;
        AtomicWriter::Calls().Write = RecordWrite;
        AtomicWriter::Calls().WriteAt = RecordWriteAt;
        AtomicWriter::Calls().Sync = RecordSync;
        AtomicWriter::Calls().Rename = RecordRename;
        WorkKeeper::Calls().Open = RecordOpen;
        WorkKeeper::Calls().WriteAt = RecordWriteAt;
        WorkKeeper::Calls().Sync = RecordSync;
        WorkKeeper::Calls().Unlink = RecordUnlink;
        g_log.clear();
        std::filesystem::create_directories(Folder() + "/temp");
    }
    void TearDown() override
    {
        AtomicWriter::Calls() = m_savedWriter;
        WorkKeeper::Calls() = m_savedKeeper;
    }
    std::string Folder() const { return m_dir.path().toStdString() + "/work"; }

    // Runs `step`, then checks every crash inside it against the work
    // before and after it.
    template <typename Step> void Check(const std::string& what, Step step)
    {
        const size_t from = g_log.size();
        const std::string before = Snapshot(WorkKeeper::Recover(Folder()));
        step();
        const std::string after = Snapshot(WorkKeeper::Recover(Folder()));
        ASSERT_EQ(after.find("damaged"), std::string::npos) << what;
        for (size_t done = from; done <= g_log.size(); ++done) {
            for (const std::vector<bool>& applied : CrashStates(done)) {
                const std::string crash = m_dir.path().toStdString() + "/crash";
                std::filesystem::remove_all(crash);
                std::filesystem::create_directories(crash + "/temp");
                for (const auto& [name, content] : FolderAfter(applied))
                    std::ofstream(crash + "/temp/" + name, std::ios::binary) << content;
                const std::string got = Snapshot(WorkKeeper::Recover(crash));
                ASSERT_TRUE(got == before || got == after)
                    << what << ": a crash after " << done - from << " of " << g_log.size() - from
                    << " operations recovers\n"
                    << got << "\ninstead of\n"
                    << before << "\nor\n"
                    << after;
                ++m_states;
            }
        }
    }

    QTemporaryDir m_dir;
    AtomicWriter::SystemCalls m_savedWriter{};
    WorkKeeper::SystemCalls m_savedKeeper{};
    size_t m_states = 0;
};

TEST_F(KeeperCrashPoints, EveryCrashRecoversTheWorkBeforeOrAfterTheCall)
{
    WorkKeeper keeper(Folder());
    SessionState state;
    state.header.AFM = "094019245";
    state.modified = true;
    std::vector<TFixedFormatDataSet::TLine> rows = Rows(0, 5);

    Check("a first base", [&] { keeper.Restart(state, rows); });
    rows[2].Text = "row 2 edited";
    Check("a row replaced", [&] { keeper.RecordRows(rows); });
    state.fileName = "/home/clerk/2025.txt";
    Check("a new state", [&] { keeper.RecordState(state); });
    rows.erase(rows.begin());
    rows.push_back({"row appended", 9});
    Check("a row removed and one added", [&] { keeper.RecordRows(rows); });
    Check("a base over a journal with changes", [&] { keeper.Restart(state, Rows(100, 3)); });
    Check("a change after the new base", [&] { keeper.RecordRows(Rows(100, 2)); });
    Check("everything forgotten", [&] { keeper.Forget(); });
    Check("a base after forgetting", [&] { keeper.Restart(state, Rows(200, 2)); });
    EXPECT_GT(m_states, 100u);
}

// A declaration just opened is kept at once by its state alone and its rows
// in the background; the changes after it follow one row at a time.
TEST_F(KeeperCrashPoints, AnOpenedDeclarationAndTheStoresAfterItRecoverWhole)
{
    WorkKeeper keeper(Folder());
    SessionState state;
    state.modified = true;
    Check("work with changes", [&] { keeper.Restart(state, Rows(0, 4)); });
    state.modified = false;
    state.fileName = "/home/clerk/2024.txt";
    std::vector<TFixedFormatDataSet::TLine> rows = Rows(50, 6);
    Check("a declaration opened", [&] {
        keeper.Restart(state, rows);
        keeper.Settle();
    });
    const WorkKeeper::Recovered opened = WorkKeeper::Recover(Folder());
    ASSERT_EQ(opened.rows.size(), 6u);
    state.modified = true;
    Check("its first change", [&] { keeper.RecordState(state); });
    rows[4].Text = "row 54 edited";
    Check("a row stored in place", [&] { keeper.RecordRows(rows, 4); });
    rows.insert(rows.begin() + 1, {"row inserted", 7});
    Check("a row inserted", [&] { keeper.RecordRows(rows, 1); });
    rows.erase(rows.begin() + 3);
    Check("a row deleted", [&] { keeper.RecordRows(rows, std::nullopt); });
    Check("a row stored unchanged", [&] { keeper.RecordRows(rows, 0); });
    const WorkKeeper::Recovered work = WorkKeeper::Recover(Folder());
    ASSERT_EQ(work.rows.size(), rows.size());
    for (size_t k = 0; k < rows.size(); ++k)
        EXPECT_EQ(work.rows[k].Text, rows[k].Text) << k;
}

// A background base that fails leaves the state-only base, which is the
// work as it stands; the first change then writes every row itself.
TEST_F(KeeperCrashPoints, AFailedBackgroundBaseIsWrittenByTheNextChange)
{
    WorkKeeper keeper(Folder());
    SessionState state;
    AtomicWriter::Calls().Write = [](int fd, const void* data, size_t size) -> ssize_t {
        // The state-only base passes; the base of every row after it fails.
        const std::string_view bytes(static_cast<const char*>(data), std::min(size, g_writeLimit));
        if (bytes.find("row ") != std::string_view::npos) {
            errno = ENOSPC;
            return -1;
        }
        return RecordWrite(fd, data, size);
    };
    keeper.Restart(state, Rows(0, 3));
    keeper.Settle();
    AtomicWriter::Calls().Write = RecordWrite;
    EXPECT_TRUE(WorkKeeper::Recover(Folder()).rows.empty());
    state.modified = true;
    Check("the first change after it", [&] { keeper.RecordState(state); });
    EXPECT_EQ(WorkKeeper::Recover(Folder()).rows.size(), 3u);
}

// An opened declaration whose state-only base cannot be written: the first
// change keeps the rows it was opened with, never those before it.
TEST_F(KeeperCrashPoints, AFailedStateOnlyBaseLeavesTheOpenedRowsForTheNextChange)
{
    WorkKeeper keeper(Folder());
    SessionState state;
    state.modified = true;
    keeper.Restart(state, Rows(0, 2));
    state.modified = false;
    AtomicWriter::Calls().Write = [](int, const void*, size_t) -> ssize_t {
        errno = ENOSPC;
        return -1;
    };
    EXPECT_THROW(keeper.Restart(state, Rows(30, 3)), EFileError);
    AtomicWriter::Calls().Write = RecordWrite;
    state.modified = true;
    Check("the first change after it", [&] { keeper.RecordState(state); });
    const WorkKeeper::Recovered work = WorkKeeper::Recover(Folder());
    ASSERT_EQ(work.rows.size(), 3u);
    EXPECT_EQ(work.rows[0].Text, "row 30");
}

// After a failed append the journal's end is uncertain: the next change
// starts a new base, and every crash during it still recovers whole.
TEST_F(KeeperCrashPoints, AChangeAfterAFailedAppendStartsANewBase)
{
    WorkKeeper keeper(Folder());
    SessionState state;
    state.modified = true;
    Check("a first base", [&] { keeper.Restart(state, Rows(0, 3)); });
    WorkKeeper::Calls().WriteAt = [](int, const void*, size_t, off_t) -> ssize_t {
        errno = ENOSPC;
        return -1;
    };
    EXPECT_THROW(keeper.RecordRows(Rows(10, 3)), EFileError);
    WorkKeeper::Calls().WriteAt = RecordWriteAt;
    Check("the change after the failure", [&] { keeper.RecordRows(Rows(20, 4)); });
    const WorkKeeper::Recovered work = WorkKeeper::Recover(Folder());
    ASSERT_EQ(work.rows.size(), 4u);
    EXPECT_EQ(work.rows[3].Text, "row 23");
}

} // namespace
