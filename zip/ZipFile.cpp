#include "zip/ZipFile.h"

#include "zip/ZipError.h"

#include "fileio/AtomicWriter.h"
#include "fileio/FileError.h"

#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <limits>
#include <string_view>

namespace {

constexpr uint64_t Max32 = std::numeric_limits<uint32_t>::max();
constexpr size_t MaxMembers = std::numeric_limits<uint16_t>::max();
constexpr uint64_t LocalHeaderSize = 30;
constexpr uint64_t CentralHeaderSize = 46;
constexpr uint64_t EndRecordSize = 22;

const char* const TooLarge =
    "Το αρχείο είναι πολύ μεγάλο για συμπιεσμένο αρχείο zip: το αρχείο zip δεν μπορεί να ξεπεράσει τα 4 GB.";

} // namespace

// Little-endian fields and raw bytes into a sink, counting what went out.
class ZipByteWriter
{
public:
    using Sink = std::function<void(std::string_view)>;
    ZipByteWriter(Sink sink, uint64_t base) : m_sink(std::move(sink)), m_base(base) {}

    void U16(uint16_t value)
    {
        const char bytes[2] = {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
        Bytes(std::string_view(bytes, 2));
    }
    void U32(uint32_t value)
    {
        U16(static_cast<uint16_t>(value & 0xFFFF));
        U16(static_cast<uint16_t>(value >> 16));
    }
    void Bytes(std::string_view bytes)
    {
        m_sink(bytes);
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
    uint64_t Position() const { return m_base + m_written; }

private:
    Sink m_sink;
    uint64_t m_base;
    uint64_t m_written = 0;
};

namespace {

std::string Le32(uint32_t value)
{
    std::string out(4, '\0');
    for (int i = 0; i < 4; ++i)
        out[static_cast<size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
    return out;
}

// Where the checksum and the two sizes sit in a local header.
constexpr uint64_t kLocalCrcOffset = 14;

// zlib's raw deflate at its default level, fed piece by piece: the same
// stream as the one-shot Deflate, which cuts the wrapped form down to it.
class StreamDeflater
{
public:
    StreamDeflater()
    {
        if (deflateInit2(&m_stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) !=
            Z_OK) {
            throw EZipError("Η συμπίεση δεν μπορεί να ξεκινήσει.");
        }
    }
    ~StreamDeflater() { deflateEnd(&m_stream); }
    StreamDeflater(const StreamDeflater&) = delete;
    StreamDeflater& operator=(const StreamDeflater&) = delete;

    // Deflates `size` bytes (the last piece with `finish`) and hands on what
    // comes out.
    template <class Put> void Feed(const char* data, size_t size, bool finish, Put&& put)
    {
        m_stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
        m_stream.avail_in = static_cast<uInt>(size);
        const int flush = finish ? Z_FINISH : Z_NO_FLUSH;
        for (;;) {
            m_stream.next_out = reinterpret_cast<Bytef*>(m_out);
            m_stream.avail_out = sizeof m_out;
            const int result = deflate(&m_stream, flush);
            if (result == Z_STREAM_ERROR)
                throw EZipError("Η συμπίεση απέτυχε.");
            put(std::string_view(m_out, sizeof m_out - m_stream.avail_out));
            if (finish ? result == Z_STREAM_END : m_stream.avail_out != 0)
                return;
        }
    }

private:
    z_stream m_stream{};
    char m_out[1 << 16];
};

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
    if (index < m_sources.size())
        m_sources[index] = nullptr;
    StampData(index, Crc32(data), compressed.size(), data.size());
    m_localFiles[index].Data = std::move(compressed);
}

void TZipFile::SetEntrySource(size_t index, Source source)
{
    if (index >= m_localFiles.size()) {
        throw EZipError("Index out of range.");
    }
    m_sources.resize(m_localFiles.size());
    m_sources[index] = std::move(source);
    m_localFiles[index].Data.clear();
    StampData(index, 0, 0, 0);
}

void TZipFile::StampData(size_t index, uint32_t crc, uint64_t compressedSize, uint64_t size)
{
    TLocalFile& local = m_localFiles[index];
    const uint32_t stamp = DosDateTime(Clock());
    local.Signature = 0x04034B50;
    TEntryFields& fields = local.Fields;
    fields = TEntryFields{};
    fields.ModTime = static_cast<uint16_t>(stamp & 0xFFFF);
    fields.ModDate = static_cast<uint16_t>(stamp >> 16);
    fields.Crc = crc;
    fields.CompressedSize = static_cast<uint32_t>(compressedSize);
    fields.UncompressedSize = static_cast<uint32_t>(size);
    fields.NameLength = static_cast<uint16_t>(local.Name.size());
    fields.ExtraLength = static_cast<uint16_t>(local.Extra.size());
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
    for (const Source& source : m_sources) {
        if (source)
            throw EZipError("Ένα αρχείο που συμπιέζεται από την πηγή του γράφεται μόνο σε αρχείο zip.");
    }
    CheckLimits();
    const std::streamoff start = stream.tellp();
    ZipByteWriter out(
        [&stream](std::string_view bytes) {
            stream.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        },
        start < 0 ? 0 : static_cast<uint64_t>(start));
    WriteMembers(out, [](size_t, ZipByteWriter&) {});
    WriteDirectory(out);
    stream.flush();
    if (!stream) {
        throw EZipError("Το αρχείο zip δεν μπορεί να γραφτεί.");
    }
}

void TZipFile::WriteArchiveFile(const std::string& fileName)
{
    CheckLimits();
    try {
        AtomicWriter file(fileName);
        ZipByteWriter out([&file](std::string_view bytes) { file.Write(bytes); }, 0);
        WriteMembers(out, [&](size_t index, ZipByteWriter& data) {
            const uint64_t header = m_fileHeaders[index].LocalHeaderOffset;
            const Source& source = m_sources[index];
            StreamDeflater deflater;
            std::vector<char> piece(1 << 16);
            uLong crc = crc32(0L, Z_NULL, 0);
            uint64_t size = 0;
            uint64_t compressed = 0;
            auto put = [&](std::string_view bytes) {
                compressed += bytes.size();
                if (data.Position() + bytes.size() > Max32)
                    throw EZipError(TooLarge);
                data.Bytes(bytes);
            };
            for (;;) {
                const size_t got = source(piece.data(), piece.size());
                size += got;
                if (size > Max32)
                    throw EZipError(TooLarge);
                crc = crc32(crc, reinterpret_cast<const Bytef*>(piece.data()), static_cast<uInt>(got));
                deflater.Feed(piece.data(), got, got == 0, put);
                if (got == 0)
                    break;
            }
            StampData(index, static_cast<uint32_t>(crc), compressed, size);
            m_fileHeaders[index].LocalHeaderOffset = static_cast<uint32_t>(header);
            const TEntryFields& fields = m_localFiles[index].Fields;
            file.WriteAt(header + kLocalCrcOffset,
                         Le32(fields.Crc) + Le32(fields.CompressedSize) + Le32(fields.UncompressedSize));
        });
        WriteDirectory(out);
        file.Commit();
    } catch (const EFileError& e) {
        throw EZipError(e.what());
    }
}

// Every member's local header and data. A member whose content comes from a
// source is written by `streamData` right after its header, which is then
// patched with the checksum and sizes.
template <class StreamData> void TZipFile::WriteMembers(ZipByteWriter& out, StreamData streamData)
{
    for (size_t i = 0; i < m_localFiles.size(); ++i) {
        const TLocalFile& local = m_localFiles[i];
        if (out.Position() > Max32) {
            throw EZipError(TooLarge);
        }
        m_fileHeaders[i].LocalHeaderOffset = static_cast<uint32_t>(out.Position());
        out.U32(local.Signature);
        out.Fields(local.Fields);
        out.Bytes(local.Name);
        out.Bytes(local.Extra);
        if (i < m_sources.size() && m_sources[i])
            streamData(i, out);
        else
            out.Bytes(local.Data);
    }
}

void TZipFile::WriteDirectory(ZipByteWriter& out)
{
    const uint64_t centralOffset = out.Position();
    if (centralOffset > Max32) {
        throw EZipError(TooLarge);
    }
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

    if (out.Position() > Max32) {
        throw EZipError(TooLarge);
    }
    m_end = TEndOfCentralDir{};
    m_end.EntriesOnDisk = static_cast<uint16_t>(m_localFiles.size());
    m_end.TotalEntries = m_end.EntriesOnDisk;
    m_end.CentralDirSize = static_cast<uint32_t>(out.Position() - centralOffset);
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
}
