#include "fileio/FileError.h"
#include "workspace/WorkKeeper.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include <zlib.h>

namespace {

namespace fs = std::filesystem;
using Line = TFixedFormatDataSet::TLine;

std::string Slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void Put(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::vector<Line> Rows(int first, int count)
{
    std::vector<Line> rows;
    for (int k = 0; k < count; ++k)
        rows.push_back({"ΓΡΑΜΜΗ " + std::to_string(first + k), k + 1});
    return rows;
}

// The rows and state a recovery gives, without how it judged them.
std::string Content(const WorkKeeper::Recovered& work)
{
    if (!work.found)
        return "nothing";
    std::string text = work.state.Serialize();
    for (const Line& row : work.rows)
        text += row.Text + "\n";
    return text;
}

class WorkKeeperTest : public ::testing::Test
{
protected:
    std::string Folder() const { return m_dir.path().toStdString(); }
    std::string Base() const { return Folder() + "/" + WorkKeeper::BaseFile; }
    std::string Journal() const { return Folder() + "/" + WorkKeeper::JournalFile; }
    WorkKeeper::Recovered Recover() const { return WorkKeeper::Recover(Folder()); }

    // A base of `rows` rows and a journal with a change of each kind; the
    // content recovery may give after each whole journal record.
    std::vector<std::string> KeepWithJournal(WorkKeeper& keeper)
    {
        m_state.header.CompanyName = "ΓΕΝΙΚΟ ΛΟΓΙΣΤΗΡΙΟ ΚΡΑΤΟΥΣ";
        m_state.modified = true;
        std::vector<Line> rows = Rows(0, 4);
        keeper.Restart(m_state, rows);
        std::vector<std::string> stages{Content(Recover())};
        rows[1].Text = "ΑΛΛΑΓΜΕΝΗ";
        keeper.RecordRows(rows);
        stages.push_back(Content(Recover()));
        m_state.fileName = "/home/clerk/δήλωση.txt";
        keeper.RecordState(m_state);
        stages.push_back(Content(Recover()));
        rows.erase(rows.begin() + 2);
        keeper.RecordRows(rows);
        stages.push_back(Content(Recover()));
        return stages;
    }

    QTemporaryDir m_dir;
    SessionState m_state;
};

TEST_F(WorkKeeperTest, KeepsEveryChangeAndGivesItBack)
{
    WorkKeeper keeper(Folder());
    EXPECT_FALSE(Recover().found);
    const std::vector<std::string> stages = KeepWithJournal(keeper);
    WorkKeeper::Recovered work = Recover();
    ASSERT_TRUE(work.found);
    EXPECT_FALSE(work.damaged);
    EXPECT_EQ(work.state, m_state);
    ASSERT_EQ(work.rows.size(), 3u);
    EXPECT_EQ(work.rows[1].Text, "ΑΛΛΑΓΜΕΝΗ");
    EXPECT_EQ(work.rows[2].Text, "ΓΡΑΜΜΗ 3");
    EXPECT_EQ(work.rows[2].Id, 3);

    // A change too large for one journal record becomes a new base.
    const std::vector<Line> many = Rows(0, 60000);
    keeper.RecordRows(many);
    EXPECT_LT(fs::file_size(Journal()), 100u);
    EXPECT_EQ(Recover().rows.size(), 60000u);
    // Nothing changed, nothing written.
    const auto size = fs::file_size(Journal());
    keeper.RecordRows(many);
    keeper.RecordState(m_state);
    EXPECT_EQ(fs::file_size(Journal()), size);

    keeper.Forget();
    EXPECT_FALSE(fs::exists(Base()));
    EXPECT_FALSE(fs::exists(Journal()));
    EXPECT_FALSE(Recover().found);
}

TEST_F(WorkKeeperTest, AFailedAppendIsThrownAndTheNextChangeKeepsEverything)
{
    WorkKeeper keeper(Folder());
    keeper.Restart(m_state, Rows(0, 2));
    const WorkKeeper::SystemCalls saved = WorkKeeper::Calls();
    WorkKeeper::Calls().Sync = [](int) {
        errno = EIO;
        return -1;
    };
    EXPECT_THROW(keeper.RecordRows(Rows(5, 2)), EFileError);
    m_state.modified = true;
    // A whole new base, which needs no append.
    EXPECT_NO_THROW(keeper.RecordState(m_state));
    WorkKeeper::Calls() = saved;
    const WorkKeeper::Recovered work = Recover();
    EXPECT_EQ(work.state, m_state);
    ASSERT_EQ(work.rows.size(), 2u);
    EXPECT_EQ(work.rows[0].Text, "ΓΡΑΜΜΗ 5");
}

// A base cut anywhere gives its first rows and counts the rest; a journal
// cut anywhere gives the changes before the cut.
TEST_F(WorkKeeperTest, FilesCutAtEveryLengthGiveAPrefixOfWhatWasKept)
{
    WorkKeeper keeper(Folder());
    const std::vector<std::string> stages = KeepWithJournal(keeper);
    const std::string base = Slurp(Base()), journal = Slurp(Journal());
    for (size_t length = 0; length < journal.size(); ++length) {
        Put(Journal(), journal.substr(0, length));
        const WorkKeeper::Recovered work = Recover();
        ASSERT_NE(std::find(stages.begin(), stages.end(), Content(work)), stages.end()) << length;
        ASSERT_FALSE(work.damaged) << "a cut journal is an unfinished change, at " << length;
    }
    fs::remove(Journal());
    for (size_t length = 0; length < base.size(); ++length) {
        Put(Base(), base.substr(0, length));
        const WorkKeeper::Recovered work = Recover();
        ASSERT_TRUE(work.damaged) << length;
        if (!work.found)
            continue;
        ASSERT_EQ(work.state.header.CompanyName, m_state.header.CompanyName);
        ASSERT_EQ(work.rows.size() + work.lostRows, 4u) << length;
        for (size_t k = 0; k < work.rows.size(); ++k)
            ASSERT_EQ(work.rows[k].Text, Rows(0, 4)[k].Text);
    }
}

// A flipped bit in every byte of every record of either file is found, and
// what comes back is still something that was kept.
TEST_F(WorkKeeperTest, EveryFlippedBitIsFoundAndNothingNeverKeptComesBack)
{
    WorkKeeper keeper(Folder());
    const std::vector<std::string> stages = KeepWithJournal(keeper);
    // Recovers `path` with byte `byte` of `bytes` flipped, one bit of it by turns.
    const auto flipped = [this](const std::string& path, std::string bytes, size_t byte) {
        bytes[byte] = static_cast<char>(bytes[byte] ^ (1 << (byte % 8)));
        Put(path, bytes);
        return Recover();
    };
    const std::string journal = Slurp(Journal());
    for (size_t byte = 0; byte < journal.size(); ++byte) {
        const WorkKeeper::Recovered work = flipped(Journal(), journal, byte);
        ASSERT_TRUE(work.damaged) << byte;
        ASSERT_NE(std::find(stages.begin(), stages.end(), Content(work)), stages.end()) << byte;
    }
    fs::remove(Journal());
    const std::string base = Slurp(Base());
    for (size_t byte = 0; byte < base.size(); ++byte) {
        const WorkKeeper::Recovered work = flipped(Base(), base, byte);
        ASSERT_TRUE(work.damaged && !work.reason.empty()) << byte;
        if (work.found) {
            ASSERT_EQ(work.state.header.CompanyName, m_state.header.CompanyName) << byte;
            ASSERT_LE(work.rows.size(), 4u) << byte;
            for (size_t k = 0; k < work.rows.size(); ++k)
                ASSERT_EQ(work.rows[k].Text, Rows(0, 4)[k].Text) << byte;
        }
    }
}

// A record whose checks pass but whose change cannot apply (a position past
// the end that would wrap an index) is damage, not a crash.
TEST_F(WorkKeeperTest, AChangeOutsideTheRowsIsDamageNotACrash)
{
    WorkKeeper keeper(Folder());
    keeper.Restart(m_state, Rows(0, 2));
    keeper.Settle(); // work without changes has its rows kept in the background
    const auto record = [](uint64_t start, uint64_t removed, uint64_t after) {
        std::string payload, head, out;
        for (const uint64_t value : {start, removed, after})
            for (int k = 0; k < 8; ++k)
                payload += static_cast<char>((value >> (8 * k)) & 0xFF);
        const auto number = [&out](uint32_t value) {
            for (int k = 0; k < 4; ++k)
                out += static_cast<char>((value >> (8 * k)) & 0xFF);
        };
        number(static_cast<uint32_t>(payload.size()));
        out += static_cast<char>(WorkKeeper::RecordKind::Splice);
        number(crc32(0, reinterpret_cast<const Bytef*>(out.data()), 5));
        out += payload;
        number(crc32(0, reinterpret_cast<const Bytef*>(payload.data()), static_cast<uInt>(payload.size())));
        return out;
    };
    const std::string journal = Slurp(Journal());
    for (const auto& [start, removed, after] : std::vector<std::tuple<uint64_t, uint64_t, uint64_t>>{
             {UINT64_MAX, 2, 0}, {1, UINT64_MAX, 0}, {3, 0, 2}, {0, 1, 5}}) {
        Put(Journal(), journal + record(start, removed, after));
        const WorkKeeper::Recovered work = Recover();
        EXPECT_TRUE(work.damaged) << start << " " << removed;
        EXPECT_EQ(work.rows.size(), 2u);
    }
}

TEST_F(WorkKeeperTest, RecoveryNeverReadsThroughALink)
{
    WorkKeeper keeper(Folder());
    keeper.Restart(m_state, Rows(0, 2));
    keeper.Settle();
    const std::string elsewhere = Folder() + "/elsewhere";
    fs::rename(Base(), elsewhere);
    fs::create_symlink(elsewhere, Base());
    WorkKeeper::Recovered work = Recover();
    EXPECT_FALSE(work.found);
    EXPECT_TRUE(work.damaged);
    EXPECT_EQ(work.files.size(), 2u) << "the link is named to be moved aside";

    // The kept folder itself a link.
    fs::remove(Base());
    fs::rename(elsewhere, Base());
    const std::string other = Folder() + "/other";
    fs::create_directories(other);
    fs::rename(Folder() + "/temp", other + "/temp");
    fs::create_directory_symlink(other + "/temp", Folder() + "/temp");
    EXPECT_FALSE(Recover().found);
    EXPECT_TRUE(WorkKeeper::Recover(other).found);
}

} // namespace
