#include "zip/ZipError.h"
#include "zip/ZipFile.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace {

// zlib's raw deflate at its default level, made here through the raw
// initialisation rather than the wrapped form the writer cuts down.
std::string RawDeflate(const std::string& data)
{
    z_stream s{};
    EXPECT_EQ(deflateInit2(&s, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY), Z_OK);
    std::string out(deflateBound(&s, data.size()) + 16, '\0');
    s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    s.avail_in = static_cast<uInt>(data.size());
    s.next_out = reinterpret_cast<Bytef*>(out.data());
    s.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(deflate(&s, Z_FINISH), Z_STREAM_END);
    out.resize(s.total_out);
    deflateEnd(&s);
    return out;
}

std::string Le(uint64_t value, int bytes)
{
    std::string out;
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
    return out;
}

std::tm At(int year, int month, int day, int hour, int minute, int second)
{
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return t;
}

std::string Archive(TZipFile& zip)
{
    std::ostringstream out;
    zip.WriteArchive(out);
    return out.str();
}

std::string SomeBytes(size_t size)
{
    std::mt19937 random(7);
    std::string data(size, '\0');
    for (char& c : data)
        c = static_cast<char>(random() % 7 == 0 ? random() & 0xFF : 'A' + random() % 4);
    return data;
}

} // namespace

// The whole archive of one Greek-named member, built byte by byte from the
// format's layout: headers, copied fields, offsets and sizes.
TEST(ZipFile, OneMemberArchiveHasTheExactLayout)
{
    const std::string name = "\xC4\xC7\xCB\xD9\xD3\xC7.txt"; // ΔΗΛΩΣΗ.txt in cp1253
    const std::string data = "0JL10    20250110" + std::string(3000, ' ') + "\r\n";
    TZipFile zip;
    zip.Clock = [] { return At(2026, 12, 7, 23, 59, 59); };
    zip.AddEntry(name, 0);
    zip.SetEntryData(0, data);

    const std::string deflated = RawDeflate(data);
    const uint32_t crc = static_cast<uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
    const std::string stamp = Le(29 + 59 * 32 + 23 * 2048, 2) + Le(7 + 12 * 32 + 46 * 512, 2);
    const std::string shared = Le(20, 2) + Le(0, 2) + Le(8, 2) + stamp + Le(crc, 4) + Le(deflated.size(), 4) +
                               Le(data.size(), 4) + Le(name.size(), 2) + Le(0, 2);
    const size_t n = name.size(), c = deflated.size();
    const std::string expected = Le(0x04034B50, 4) + shared + name + deflated +                  // local
                                 Le(0x02014B50, 4) + Le(20, 2) + shared + Le(0, 2) + Le(0, 2) +  // central
                                 Le(0, 2) + Le(0, 4) + Le(0, 4) + name +                         //
                                 Le(0x06054B50, 4) + Le(0, 2) + Le(0, 2) + Le(1, 2) + Le(1, 2) + // end
                                 Le(46 + n, 4) + Le(30 + n + c, 4) + Le(0, 2);
    const std::string written = Archive(zip);
    EXPECT_EQ(written.size(), 30 + n + c + 46 + n + 22);
    EXPECT_EQ(written, expected);
    EXPECT_EQ(zip.EndOfCentralDir().CentralDirOffset, 30 + n + c);
    EXPECT_EQ(zip.EndOfCentralDir().CentralDirSize, 46 + n);
}

TEST(ZipFile, DeflateMatchesZlibRawStreamAtTheDefaultLevel)
{
    for (size_t size : {size_t(0), size_t(1), size_t(1000), size_t(3) << 20}) {
        const std::string data = SomeBytes(size);
        EXPECT_EQ(TZipFile::Deflate(data), RawDeflate(data)) << size;
    }
    EXPECT_EQ(TZipFile::Deflate(""), std::string("\x03\x00", 2));
}

TEST(ZipFile, Crc32IsTheZipChecksum)
{
    EXPECT_EQ(TZipFile::Crc32(""), 0u);
    EXPECT_EQ(TZipFile::Crc32("123456789"), 0xCBF43926u);
}

TEST(ZipFile, DosDateAndTimeAndTheYearsTheFormatHolds)
{
    EXPECT_EQ(TZipFile::DosDateTime(At(1980, 1, 1, 0, 0, 0)), (1u + 32u) << 16);
    EXPECT_EQ(TZipFile::DosDateTime(At(2107, 12, 31, 23, 59, 58)),
              ((31u + 12u * 32 + 127u * 512) << 16) | (29u + 59u * 32 + 23u * 2048));
    EXPECT_EQ(TZipFile::DosDateTime(At(1979, 12, 31, 23, 59, 59)), 0u);
    EXPECT_EQ(TZipFile::DosDateTime(At(2108, 1, 1, 0, 0, 0)), 0u);
}

// The stamp is taken when the data is set, and both headers carry it.
TEST(ZipFile, DataStampReplacesTheAddStampInBothHeaders)
{
    TZipFile zip;
    zip.Clock = [] { return At(2001, 2, 3, 4, 5, 6); };
    zip.AddEntry("a", 0x20);
    zip.Clock = [] { return At(2020, 6, 7, 8, 9, 10); };
    zip.SetEntryData(0, "abc");
    const auto& local = zip.LocalFiles()[0];
    const auto& central = zip.FileHeaders()[0];
    EXPECT_EQ(local.Fields.ModDate, 7 + 6 * 32 + 40 * 512);
    EXPECT_EQ(local.Fields.ModTime, 5 + 9 * 32 + 8 * 2048);
    EXPECT_EQ(central.Fields.ModDate, local.Fields.ModDate);
    EXPECT_EQ(central.Fields.ModTime, local.Fields.ModTime);
    EXPECT_EQ(central.ExternalAttributes, 0x20u);
}

TEST(ZipFile, SetEntryDataRefusesAnIndexThatNamesNoMember)
{
    TZipFile zip;
    try {
        zip.SetEntryData(0, "x");
        FAIL() << "no error";
    } catch (const EZipError& e) {
        EXPECT_STREQ(e.what(), "Index out of range.");
    }
    zip.AddEntry("a", 0);
    EXPECT_THROW(zip.SetEntryData(1, "x"), EZipError);
    EXPECT_NO_THROW(zip.SetEntryData(0, "x"));
}

// Offsets count from the start of the archive's stream, also when the
// archive is written after other bytes; every member gets its own.
TEST(ZipFile, OffsetsFollowTheStreamPosition)
{
    TZipFile zip;
    zip.AddEntry("one", 0);
    zip.SetEntryData(0, "first");
    zip.AddEntry("two", 0);
    zip.SetEntryData(1, "second member");
    std::ostringstream out;
    out << "PREFIX";
    zip.WriteArchive(out);
    const auto& headers = zip.FileHeaders();
    EXPECT_EQ(headers[0].LocalHeaderOffset, 6u);
    EXPECT_EQ(headers[1].LocalHeaderOffset, 6u + 30 + 3 + zip.LocalFiles()[0].Fields.CompressedSize);
    EXPECT_EQ(out.str().substr(headers[1].LocalHeaderOffset, 4), "PK\x03\x04");
    EXPECT_EQ(zip.EndOfCentralDir().TotalEntries, 2);
    EXPECT_EQ(out.str().size(),
              zip.EndOfCentralDir().CentralDirOffset + zip.EndOfCentralDir().CentralDirSize + 22);
}

TEST(ZipFile, ArchiveFileReplacesAFileAndAFailureLeavesNothingBehind)
{
    const auto folder = std::filesystem::temp_directory_path() / ("rozaro-zip-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder / "taken");
    const std::string target = (folder / "out.zip").string();
    std::ofstream(target) << "old content";

    TZipFile zip;
    zip.AddEntry("m", 0);
    zip.SetEntryData(0, "data");
    zip.WriteArchiveFile(target);
    std::ifstream in(target, std::ios::binary);
    const std::string written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(written, Archive(zip));

    // A name that a folder holds cannot be replaced: the error says so and
    // no passing file is left beside it.
    EXPECT_THROW(zip.WriteArchiveFile((folder / "taken").string()), EZipError);
    EXPECT_TRUE(std::filesystem::is_directory(folder / "taken"));
    EXPECT_THROW(zip.WriteArchiveFile((folder / "missing" / "x.zip").string()), EZipError);
    size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder))
        ++entries;
    EXPECT_EQ(entries, 2u);
    std::filesystem::remove_all(folder);
}

// The end record counts members in 16 bits: the largest count is written and
// counted whole, one more is refused before a byte reaches the stream.
TEST(ZipFile, MemberCountStopsAtWhatTheEndRecordHolds)
{
    TZipFile zip;
    zip.Clock = [] { return At(2026, 1, 2, 3, 4, 5); };
    for (int n = 0; n < 65535; ++n)
        zip.AddEntry("m", 0);
    const std::string archive = Archive(zip);
    EXPECT_EQ(archive.substr(archive.size() - 22, 4), "PK\x05\x06");
    EXPECT_EQ(archive.substr(archive.size() - 14, 4), Le(65535, 2) + Le(65535, 2));

    zip.AddEntry("m", 0);
    std::ostringstream out;
    try {
        zip.WriteArchive(out);
        FAIL() << "no error";
    } catch (const EZipError& e) {
        EXPECT_STREQ(e.what(), "Ένα αρχείο zip δεν μπορεί να έχει περισσότερα από 65535 αρχεία.");
    }
    EXPECT_TRUE(out.str().empty());
}
