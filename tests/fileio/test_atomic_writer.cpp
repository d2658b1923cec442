#include "fileio/AtomicWriter.h"
#include "fileio/FileError.h"
#include "fileio/FileReason.h"
#include "fileio/ReplaceTarget.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>

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

// A run ended by a signal takes away the new files of the writers still at
// work; the targets stay as they were, and a later commit of such a writer
// fails instead of putting anything in place.
TEST_F(AtomicWriterTest, UnfinishedNewFilesAreRemovedOnRequest)
{
    AtomicWriter writer(target.string());
    writer.Write(std::string(100000, 'x'));
    AtomicWriter other((folder / "report.htm").string());
    AtomicWriter::RemoveUnfinished();
    ExpectOnlyTheOldFile();
    EXPECT_THROW(writer.Commit(), EFileError);
    ExpectOnlyTheOldFile();
}

// The rename went through but the folder could not be synced: the file is in
// place and the error says exactly that. A file system that cannot sync a
// folder at all (EINVAL) is no failure.
TEST_F(AtomicWriterTest, AFolderThatCannotBeSyncedAfterTheRenameIsToldApart)
{
    static int folderError = EIO;
    AtomicWriter::Calls().Sync = [](int fd) {
        struct stat info;
        if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode))
            return errno = folderError, -1;
        return ::fsync(fd);
    };
    try {
        AtomicWriter::WriteWhole(target.string(), "new");
        ADD_FAILURE() << "no error";
    } catch (const EFolderSyncError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Το αρχείο «" + target.string() +
                      "» γράφτηκε, αλλά ο φάκελός του δεν περάστηκε οριστικά στον δίσκο: μια διακοπή "
                      "ρεύματος μπορεί ακόμη να το χάσει. Παρουσιάστηκε σφάλμα του συστήματος: "
                      "Input/output error.");
    }
    EXPECT_EQ(ReadFile(target), "new");
    folderError = EINVAL;
    EXPECT_EQ(ErrorOf("newer"), "");
    EXPECT_EQ(ReadFile(target), "newer");
}

// A name as long as a folder takes (255 bytes, cut inside a Greek letter or
// not) still saves and replaces: the new file's name beside it is shortened.
TEST_F(AtomicWriterTest, ANameOfTheLongestLengthSaves)
{
    for (const std::string& name :
         {std::string(242, 'a'), std::string(243, 'b'), std::string(255, 'c'), "d" + [] {
              std::string s;
              for (int i = 0; i < 127; ++i)
                  s += "α";
              return s;
          }()}) {
        const fs::path longTarget = folder / name;
        ASSERT_EQ(longTarget.filename().string().size() <= 255, true);
        for (const char* content : {"first", "second"})
            AtomicWriter::WriteWhole(longTarget.string(), content);
        EXPECT_EQ(ReadFile(longTarget), "second") << name.size();
        fs::remove(longTarget);
        ExpectOnlyTheOldFile();
    }
}

// As root a replaced file keeps its owner and group, and a link another user
// planted in a sticky folder everyone writes into is not followed.
TEST_F(AtomicWriterTest, AsRootOwnersAreKeptAndPlantedLinksRefused)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "giving files away needs root";
    ASSERT_EQ(::chown(target.c_str(), 4321, 4322), 0);
    ::chmod(target.c_str(), 0604);
    AtomicWriter::WriteWhole(target.string(), "kept owner");
    struct stat info;
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(std::make_tuple(info.st_uid, info.st_gid, info.st_mode & 07777),
              std::make_tuple(4321u, 4322u, 0604u));
    // Root that cannot give the file away says so and changes nothing.
    AtomicWriter::Calls().Chown = [](int, uid_t, gid_t) { return errno = EPERM, -1; };
    EXPECT_NE(ErrorOf("x").find("Δεν έχετε δικαίωμα"), std::string::npos);
    EXPECT_EQ(ReadFile(target), "kept owner");
    AtomicWriter::Calls() = AtomicWriter::RealCalls();

    const fs::path shared = folder / "shared";
    fs::create_directory(shared);
    ::chmod(shared.c_str(), 01777);
    const fs::path planted = shared / "planted";
    fs::create_symlink(target, planted);
    ASSERT_EQ(::lchown(planted.c_str(), 4321, 4321), 0);
    try {
        AtomicWriter::WriteWhole(planted.string(), "through");
        ADD_FAILURE() << "the link was followed";
    } catch (const EFileError& e) {
        EXPECT_EQ(std::string(e.what()), "Το αρχείο «" + planted.string() +
                                             "» δεν μπορεί να γραφτεί. Είναι σύνδεσμος που έβαλε άλλος "
                                             "χρήστης σε κοινόχρηστο φάκελο και δεν ακολουθείται.");
    }
    EXPECT_EQ(ReadFile(target), "kept owner");
    EXPECT_TRUE(fs::is_symlink(planted));
    EXPECT_EQ(ReplacedFileName(planted.string()), "planted");
    // The folder's owner's link, and the caller's own, are followed; the
    // question names the file that is really replaced.
    ASSERT_EQ(::lchown(planted.c_str(), 0, 0), 0);
    EXPECT_EQ(ReplacedFileName(planted.string()), target.string());
    EXPECT_EQ(ReplacedFileName(target.string()), "declaration.txt");
    AtomicWriter::WriteWhole(planted.string(), "through");
    EXPECT_EQ(ReadFile(target), "through");
    ::chmod(shared.c_str(), 0755); // not shared: anyone's link is followed
    ASSERT_EQ(::lchown(planted.c_str(), 4321, 4321), 0);
    EXPECT_EQ(ReplacedFileName(planted.string()), target.string());
}

// After Halt no writer starts or puts a file in place; the new files are
// removed last. In a child process: the halt lasts until the process ends.
TEST_F(AtomicWriterTest, AHaltedRunPutsNothingInPlaceAndLeavesNothingBehind)
{
    EXPECT_EXIT(
        {
            AtomicWriter earlier(target.string());
            earlier.Write("half");
            AtomicWriter::Halt();
            bool refused = false;
            try {
                AtomicWriter later((folder / "report.htm").string());
            } catch (const EFileError&) {
                refused = true;
            }
            try {
                earlier.Commit();
                refused = false;
            } catch (const EFileError&) {
            }
            AtomicWriter::RemoveUnfinished();
            _exit(refused && ReadFile(target) == kOld &&
                          std::distance(fs::directory_iterator(folder), fs::directory_iterator()) == 1
                      ? 0
                      : 1);
        },
        ::testing::ExitedWithCode(0), "");
}
