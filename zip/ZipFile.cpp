#include "zip/ZipFile.h"

#include "zip/ZipError.h"

#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <limits>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr uint64_t Max32 = std::numeric_limits<uint32_t>::max();
constexpr size_t MaxMembers = std::numeric_limits<uint16_t>::max();
constexpr uint64_t LocalHeaderSize = 30;
constexpr uint64_t CentralHeaderSize = 46;
constexpr uint64_t EndRecordSize = 22;

const char* const TooLarge =
    "Το αρχείο είναι πολύ μεγάλο για συμπιεσμένο αρχείο zip: το αρχείο zip δεν μπορεί να ξεπεράσει τα 4 GB.";

class ByteWriter
{
public:
    explicit ByteWriter(std::ostream& stream) : m_stream(stream) {}

    void U16(uint16_t value)
    {
        const char bytes[2] = {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
        m_stream.write(bytes, 2);
        m_written += 2;
    }
    void U32(uint32_t value)
    {
        U16(static_cast<uint16_t>(value & 0xFFFF));
        U16(static_cast<uint16_t>(value >> 16));
    }
    void Bytes(const std::string& bytes)
    {
        m_stream.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        m_written += bytes.size();
    }
    void Fields(const TZipFile::TEntryFields& fields)
    {
        U16(fields.VersionNeeded);
        U16(fields.Flags);
        U16(fields.Method);
        U16(fields.ModTime);
        U16(fields.ModDate);
        U32(fields.Crc);
        U32(fields.CompressedSize);
        U32(fields.UncompressedSize);
        U16(fields.NameLength);
        U16(fields.ExtraLength);
    }
    uint64_t Written() const { return m_written; }

private:
    std::ostream& m_stream;
    uint64_t m_written = 0;
};

// The words the record store uses for a file it cannot make.
std::string CannotCreate(const std::string& fileName, int error)
{
    return "Cannot create file \"" + fileName + "\". " + std::strerror(error);
}

} // namespace

std::tm TZipFile::LocalTimeNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

uint32_t TZipFile::DosDateTime(const std::tm& local)
{
    const int year = local.tm_year + 1900;
    if (year < 1980 || year > 2107) {
        return 0;
    }
    const uint32_t time = static_cast<uint32_t>(local.tm_sec / 2 + local.tm_min * 32 + local.tm_hour * 2048);
    const uint32_t date =
        static_cast<uint32_t>(local.tm_mday + (local.tm_mon + 1) * 32 + (year - 1980) * 512);
    return (date << 16) | time;
}

uint32_t TZipFile::Crc32(const std::string& data)
{
    uLong crc = crc32(0L, Z_NULL, 0);
    const auto* bytes = reinterpret_cast<const Bytef*>(data.data());
    size_t left = data.size();
    while (left > 0) {
        const uInt chunk = static_cast<uInt>(std::min<size_t>(left, 1u << 30));
        crc = crc32(crc, bytes, chunk);
        bytes += chunk;
        left -= chunk;
    }
    return static_cast<uint32_t>(crc);
}

std::string TZipFile::Deflate(const std::string& data)
{
    if (data.size() > Max32) {
        throw EZipError(TooLarge);
    }
    z_stream stream{};
    if (deflateInit(&stream, Z_DEFAULT_COMPRESSION) != Z_OK) {
        throw EZipError("Η συμπίεση δεν μπορεί να ξεκινήσει.");
    }
    // zlib's wrapped form, fed in one go: its deflate stream is the member's
    // data once the 2-byte header and the 4-byte checksum are cut off.
    std::string out(deflateBound(&stream, static_cast<uLong>(data.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    size_t produced = 0;
    int result = Z_OK;
    while (result == Z_OK) {
        if (produced == out.size()) {
            out.resize(out.size() + 65536);
        }
        const uInt room = static_cast<uInt>(std::min<size_t>(out.size() - produced, 1u << 30));
        stream.next_out = reinterpret_cast<Bytef*>(out.data() + produced);
        stream.avail_out = room;
        result = deflate(&stream, Z_FINISH);
        produced += room - stream.avail_out;
    }
    deflateEnd(&stream);
    if (result != Z_STREAM_END || produced < 6) {
        throw EZipError("Η συμπίεση απέτυχε.");
    }
    out.resize(produced - 4);
    out.erase(0, 2);
    return out;
}

void TZipFile::AddEntry(const std::string& name, uint32_t externalAttributes)
{
    if (name.size() > std::numeric_limits<uint16_t>::max()) {
        throw EZipError("Το όνομα του αρχείου είναι πολύ μεγάλο για αρχείο zip.");
    }
    const uint32_t stamp = DosDateTime(Clock());
    TLocalFile local;
    local.Fields.ModTime = static_cast<uint16_t>(stamp & 0xFFFF);
    local.Fields.ModDate = static_cast<uint16_t>(stamp >> 16);
    local.Name = name;
    local.Fields.NameLength = static_cast<uint16_t>(name.size());
    m_localFiles.push_back(std::move(local));
    m_fileHeaders.resize(m_localFiles.size());
    m_fileHeaders.back().ExternalAttributes = externalAttributes;
    RefreshCentralHeader(m_localFiles.size() - 1);
}

void TZipFile::SetEntryData(size_t index, const std::string& data)
{
    if (index >= m_localFiles.size()) {
        throw EZipError("Index out of range.");
    }
    std::string compressed = Deflate(data);
    if (compressed.size() > Max32) {
        throw EZipError(TooLarge);
    }
    TLocalFile& local = m_localFiles[index];
    const uint32_t stamp = DosDateTime(Clock());
    local.Signature = 0x04034B50;
    TEntryFields& fields = local.Fields;
    fields = TEntryFields{};
    fields.ModTime = static_cast<uint16_t>(stamp & 0xFFFF);
    fields.ModDate = static_cast<uint16_t>(stamp >> 16);
    fields.Crc = Crc32(data);
    fields.CompressedSize = static_cast<uint32_t>(compressed.size());
    fields.UncompressedSize = static_cast<uint32_t>(data.size());
    fields.NameLength = static_cast<uint16_t>(local.Name.size());
    fields.ExtraLength = static_cast<uint16_t>(local.Extra.size());
    local.Data = std::move(compressed);
    RefreshCentralHeader(index);
}

// The central entry repeats the local header's fields; only the external
// attributes are its own.
void TZipFile::RefreshCentralHeader(size_t index)
{
    const TLocalFile& local = m_localFiles[index];
    TFileHeader& central = m_fileHeaders[index];
    const uint32_t external = central.ExternalAttributes;
    central = TFileHeader{};
    central.Fields = local.Fields;
    central.ExternalAttributes = external;
    central.Name = local.Name;
    central.Extra = local.Extra;
}

// Refuses, before a byte is written, an archive whose offsets or count the
// format's fields cannot hold.
void TZipFile::CheckLimits() const
{
    if (m_localFiles.size() > MaxMembers) {
        throw EZipError("Ένα αρχείο zip δεν μπορεί να έχει περισσότερα από 65535 αρχεία.");
    }
    uint64_t position = 0;
    for (size_t i = 0; i < m_localFiles.size(); ++i) {
        const TLocalFile& local = m_localFiles[i];
        position += LocalHeaderSize + local.Name.size() + local.Extra.size() + local.Data.size();
    }
    if (position > Max32) {
        throw EZipError(TooLarge);
    }
}

void TZipFile::WriteArchive(std::ostream& stream)
{
    CheckLimits();
    const std::streamoff start = stream.tellp();
    const uint64_t base = start < 0 ? 0 : static_cast<uint64_t>(start);
    ByteWriter out(stream);
    auto position = [&] { return base + out.Written(); };

    for (size_t i = 0; i < m_localFiles.size(); ++i) {
        const TLocalFile& local = m_localFiles[i];
        if (position() > Max32) {
            throw EZipError(TooLarge);
        }
        m_fileHeaders[i].LocalHeaderOffset = static_cast<uint32_t>(position());
        out.U32(local.Signature);
        out.Fields(local.Fields);
        out.Bytes(local.Name);
        out.Bytes(local.Extra);
        out.Bytes(local.Data);
    }

    const uint64_t centralOffset = position();
    for (const TFileHeader& central : m_fileHeaders) {
        out.U32(central.Signature);
        out.U16(central.VersionMadeBy);
        out.Fields(central.Fields);
        out.U16(central.CommentLength);
        out.U16(central.DiskNumberStart);
        out.U16(central.InternalAttributes);
        out.U32(central.ExternalAttributes);
        out.U32(central.LocalHeaderOffset);
        out.Bytes(central.Name);
        out.Bytes(central.Extra);
        out.Bytes(central.Comment);
    }

    if (position() > Max32) {
        throw EZipError(TooLarge);
    }
    m_end = TEndOfCentralDir{};
    m_end.EntriesOnDisk = static_cast<uint16_t>(m_localFiles.size());
    m_end.TotalEntries = m_end.EntriesOnDisk;
    m_end.CentralDirSize = static_cast<uint32_t>(position() - centralOffset);
    m_end.CentralDirOffset = static_cast<uint32_t>(centralOffset);
    m_end.CommentLength = static_cast<uint16_t>(m_comment.size());
    out.U32(m_end.Signature);
    out.U16(m_end.DiskNumber);
    out.U16(m_end.CentralDirDisk);
    out.U16(m_end.EntriesOnDisk);
    out.U16(m_end.TotalEntries);
    out.U32(m_end.CentralDirSize);
    out.U32(m_end.CentralDirOffset);
    out.U16(m_end.CommentLength);
    out.Bytes(m_comment);
    stream.flush();
    if (!stream) {
        throw EZipError("Το αρχείο zip δεν μπορεί να γραφτεί.");
    }
}

void TZipFile::WriteArchiveFile(const std::string& fileName)
{
    // The archive that replaces a file keeps that file's permissions; a new
    // one gets the usual ones.
    mode_t mode = 0;
    struct stat existing
    {
    };
    if (stat(fileName.c_str(), &existing) == 0) {
        mode = existing.st_mode & 07777;
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        mode = 0666 & ~mask;
    }

    std::string passing = fileName + ".XXXXXX";
    const int fd = mkstemp(passing.data());
    if (fd < 0) {
        throw EZipError(CannotCreate(fileName, errno));
    }
    close(fd);
    try {
        {
            std::ofstream out(passing, std::ios::binary | std::ios::trunc);
            if (!out) {
                throw EZipError(CannotCreate(fileName, errno));
            }
            WriteArchive(out);
            out.close();
            if (!out) {
                throw EZipError(CannotCreate(fileName, errno));
            }
        }
        const int sync = open(passing.c_str(), O_RDONLY);
        const bool synced = sync >= 0 && fsync(sync) == 0;
        const int syncError = errno;
        if (sync >= 0) {
            close(sync);
        }
        if (!synced) {
            throw EZipError(CannotCreate(fileName, syncError));
        }
        chmod(passing.c_str(), mode);
        if (std::rename(passing.c_str(), fileName.c_str()) != 0) {
            throw EZipError(CannotCreate(fileName, errno));
        }
    } catch (...) {
        unlink(passing.c_str());
        throw;
    }
}
