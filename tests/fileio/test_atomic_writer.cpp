#include "fileio/AtomicWriter.h"
#include "fileio/FileError.h"
#include "fileio/FileReason.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteFile(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// A folder of its own; the writer's calls are the real ones again afterwards.
class AtomicWriterTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder = fs::temp_directory_path() / ("rozaro-fileio-" + std::to_string(getpid()));
        fs::create_directories(folder);
        target = folder / "declaration.txt";
        WriteFile(target, kOld);
        budget = -1;
        failAt = Call::None;
    }
    void TearDown() override
    {
        AtomicWriter::Calls() = AtomicWriter::RealCalls();
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
    // Only the target is there: no file of the writer's own stays behind.
    void ExpectOnlyTheOldFile()
    {
        EXPECT_EQ(ReadFile(target), kOld);
        size_t entries = 0;
        for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder))
            ++entries;
        EXPECT_EQ(entries, 1u);
    }
    std::string ErrorOf(const std::string& bytes)
    {
        try {
            AtomicWriter::WriteWhole(target.string(), bytes);
        } catch (const EFileError& e) {
            return e.what();
        }
        return {};
    }

    enum class Call { None, Sync, Close, Rename };
    static inline long budget = -1; // bytes the disk still takes; -1 without limit
    static inline Call failAt = Call::None;
    static inline int shortWrites = 0;

    static void InstallFailingDisk()
    {
        auto& calls = AtomicWriter::Calls();
        calls.Write = [](int fd, const void* data, size_t size) -> ssize_t {
            // Short writes and interruptions are the writer's to absorb.
            if (shortWrites > 0 && size > 1) {
                --shortWrites;
                if (shortWrites % 2) {
                    errno = EINTR;
                    return -1;
                }
                size /= 2;
            }
            if (budget >= 0 && static_cast<long>(size) > budget) {
                if (budget == 0) {
                    errno = ENOSPC;
                    return -1;
                }
                size = static_cast<size_t>(budget);
            }
            const ssize_t written = ::write(fd, data, size);
            if (budget >= 0 && written > 0)
                budget -= written;
            return written;
        };
        calls.Sync = [](int fd) { return failAt == Call::Sync ? (errno = EIO, -1) : ::fsync(fd); };
        calls.Close = [](int fd) {
            const int closed = ::close(fd);
            return failAt == Call::Close ? (errno = EDQUOT, -1) : closed;
        };
        calls.Rename = [](const char* from, const char* to) {
            return failAt == Call::Rename ? (errno = EXDEV, -1) : ::rename(from, to);
        };
    }

    static inline const std::string kOld = "the good declaration\r\n";
    fs::path folder;
    fs::path target;
};

} // namespace

TEST_F(AtomicWriterTest, ADiskThatFillsUpAfterNBytesLeavesTheOldFileWhole)
{
    InstallFailingDisk();
    const std::string big(300000, 'x');
    for (long room : {0L, 1L, 65535L, 65536L, 299999L}) {
        budget = room;
        EXPECT_EQ(ErrorOf(big),
                  "Το αρχείο «" + target.string() +
                      "» δεν μπορεί να γραφτεί. Δεν υπάρχει αρκετός ελεύθερος χώρος στον δίσκο.")
            << room;
        ExpectOnlyTheOldFile();
    }
    // Exactly enough room, with short and interrupted writes on the way.
    budget = 300000;
    shortWrites = 6;
    EXPECT_EQ(ErrorOf(big), "");
    EXPECT_EQ(ReadFile(target), big);
}

TEST_F(AtomicWriterTest, AFailureAtSyncCloseOrRenameLeavesTheOldFileWhole)
{
    InstallFailingDisk();
    for (Call call : {Call::Sync, Call::Close, Call::Rename}) {
        failAt = call;
        const std::string error = ErrorOf("new content");
        EXPECT_NE(error.find("«" + target.string() + "»"), std::string::npos);
        ExpectOnlyTheOldFile();
    }
    failAt = Call::Close;
    EXPECT_NE(ErrorOf("x").find("Δεν υπάρχει αρκετός ελεύθερος χώρος"), std::string::npos);
    failAt = Call::Rename;
    EXPECT_NE(ErrorOf("x").find("Παρουσιάστηκε σφάλμα του συστήματος: Invalid cross-device link."),
              std::string::npos);
}

TEST_F(AtomicWriterTest, KeepsPermissionsWritesThroughLinksAndRefusesWhatIsNoFile)
{
    ::chmod(target.c_str(), 0640);
    const fs::path link = folder / "link";
    fs::create_symlink("declaration.txt", link);
    AtomicWriter::WriteWhole(link.string(), "through the link");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadFile(target), "through the link");
    struct stat info;
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);

    // A folder, a pipe and a device are refused and stay what they were.
    fs::create_directory(folder / "sub");
    EXPECT_THROW(AtomicWriter::WriteWhole((folder / "sub").string(), "x"), EFileError);
    EXPECT_TRUE(fs::is_directory(folder / "sub"));
    ASSERT_EQ(::mkfifo((folder / "pipe").c_str(), 0600), 0);
    try {
        AtomicWriter::WriteWhole((folder / "pipe").string(), "x");
        ADD_FAILURE();
    } catch (const EFileError& e) {
        EXPECT_NE(std::string(e.what()).find("Δεν είναι κανονικό αρχείο"), std::string::npos);
    }
    EXPECT_TRUE(fs::is_fifo(folder / "pipe"));
    if (fs::exists("/dev/full")) {
        EXPECT_THROW(AtomicWriter::WriteWhole("/dev/full", "x"), EFileError);
        EXPECT_TRUE(fs::is_character_file("/dev/full"));
    }
    // A missing folder says so.
    try {
        AtomicWriter::WriteWhole((folder / "none" / "x").string(), "x");
        ADD_FAILURE();
    } catch (const EFileError& e) {
        EXPECT_NE(std::string(e.what()).find("Ο φάκελος του αρχείου δεν υπάρχει."), std::string::npos);
    }
}

TEST(FileReason, CommonCausesInGreekAndTheRestWithTheSystemsText)
{
    EXPECT_EQ(FileReason(EDQUOT, FileAction::Write), FileReason(ENOSPC, FileAction::Write));
    EXPECT_EQ(FileReason(EPERM, FileAction::Write), FileReason(EACCES, FileAction::Write));
    EXPECT_EQ(FileReason(EROFS, FileAction::Write), "Ο δίσκος επιτρέπει μόνο ανάγνωση.");
    EXPECT_EQ(FileReason(ENOENT, FileAction::Read), "Το αρχείο δεν υπάρχει.");
    EXPECT_EQ(FileReason(EISDIR, FileAction::Read), "Είναι φάκελος, όχι αρχείο.");
    EXPECT_EQ(FileReason(EFBIG, FileAction::Write), "Το αρχείο είναι πολύ μεγάλο για τον δίσκο.");
    EXPECT_EQ(FileReason(EIO, FileAction::Read), "Παρουσιάστηκε σφάλμα του συστήματος: Input/output error.");
    EXPECT_EQ(FileReason(0, FileAction::Read), FileReason(EIO, FileAction::Read));
}

// A real full file system: a small tmpfs (needs root; skipped without it).
TEST(AtomicWriterOnAFullDisk, TheOldFileStaysWhole)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "mounting a small file system needs root";
    const fs::path mount = fs::temp_directory_path() / ("rozaro-full-" + std::to_string(getpid()));
    fs::create_directories(mount);
    if (::mount("tmpfs", mount.c_str(), "tmpfs", 0, "size=64k") != 0) {
        fs::remove(mount);
        GTEST_SKIP() << "tmpfs cannot be mounted here";
    }
    const fs::path target = mount / "out";
    const std::string old(40000, 'o');
    WriteFile(target, old);
    std::string error;
    try {
        AtomicWriter::WriteWhole(target.string(), std::string(50000, 'n'));
    } catch (const EFileError& e) {
        error = e.what();
    }
    EXPECT_NE(error.find("Δεν υπάρχει αρκετός ελεύθερος χώρος στον δίσκο."), std::string::npos) << error;
    EXPECT_EQ(ReadFile(target), old);
    size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(mount))
        ++entries;
    EXPECT_EQ(entries, 1u);
    ::umount(mount.c_str());
    fs::remove(mount);
}

