#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

class ZipByteWriter;

// A zip archive held in memory: members are added, given their whole content
// (deflated at once) and the archive is written out in one go. Names are
// bytes in the Windows Greek code page and are written as they are, with the
// UTF-8 flag clear. Sizes and offsets are 32 bits and the member count 16
// bits; an archive beyond those limits is refused, never written corrupt.
class TZipFile
{
public:
    // The ten fields a member's local header and its central entry share,
    // from the version needed to extract to the extra field's length.
    struct TEntryFields
    {
        uint16_t VersionNeeded = 20;
        uint16_t Flags = 0;
        uint16_t Method = 8;
        uint16_t ModTime = 0;
        uint16_t ModDate = 0;
        uint32_t Crc = 0;
        uint32_t CompressedSize = 0;
        uint32_t UncompressedSize = 0;
        uint16_t NameLength = 0;
        uint16_t ExtraLength = 0;
    };

    // The header a member has in front of its data.
    struct TLocalFile
    {
        uint32_t Signature = 0x04034B50;
        TEntryFields Fields;
        std::string Name;
        std::string Extra;
        std::string Data; // the raw deflate stream
    };

    // A member's entry in the central directory.
    struct TFileHeader
    {
        uint32_t Signature = 0x02014B50;
        uint16_t VersionMadeBy = 20;
        TEntryFields Fields; // a copy of the local header's
        uint16_t CommentLength = 0;
        uint16_t DiskNumberStart = 0;
        uint16_t InternalAttributes = 0;
        uint32_t ExternalAttributes = 0;
        uint32_t LocalHeaderOffset = 0;
        std::string Name;
        std::string Extra;
        std::string Comment;
    };

    struct TEndOfCentralDir
    {
        uint32_t Signature = 0x06054B50;
        uint16_t DiskNumber = 0;
        uint16_t CentralDirDisk = 0;
        uint16_t EntriesOnDisk = 0;
        uint16_t TotalEntries = 0;
        uint32_t CentralDirSize = 0;
        uint32_t CentralDirOffset = 0;
        uint16_t CommentLength = 0;
    };

    // Appends a member without data.
    void AddEntry(const std::string& name, uint32_t externalAttributes);
    // Deflates `data` and makes it the content of member `index`.
    void SetEntryData(size_t index, const std::string& data);
    // Writes the archive from the stream's current position.
    void WriteArchive(std::ostream& stream);
    // Reads a member's content piece by piece: fills up to `size` bytes and
    // returns how many, 0 at the end; throws when the source cannot be read.
    using Source = std::function<size_t(char* into, size_t size)>;
    // Makes `source` the content of member `index`. Nothing is read until the
    // archive is written to a file, which then deflates the source in pieces
    // straight into the archive, so a source of any size needs little memory.
    void SetEntrySource(size_t index, Source source);
    // Writes the archive to a file of that name, through the atomic writer:
    // a failure never leaves a broken archive under the name, and a link is
    // written through. The archive's bytes are those WriteArchive gives.
    void WriteArchiveFile(const std::string& fileName);

    static uint32_t Crc32(const std::string& data);
    // zlib's deflate at its default level without the zlib header and trailer.
    static std::string Deflate(const std::string& data);
    // The DOS time (low half) and date (high half) of a local time; 0 for a
    // year the format cannot hold (before 1980, after 2107).
    static uint32_t DosDateTime(const std::tm& local);

    const std::vector<TLocalFile>& LocalFiles() const { return m_localFiles; }
    const std::vector<TFileHeader>& FileHeaders() const { return m_fileHeaders; }
    const TEndOfCentralDir& EndOfCentralDir() const { return m_end; }

    // The local time now; replaceable so that the date rules can be tried.
    std::function<std::tm()> Clock = LocalTimeNow;
    static std::tm LocalTimeNow();

private:
    void RefreshCentralHeader(size_t index);
    void CheckLimits() const;
    void StampData(size_t index, uint32_t crc, uint64_t compressedSize, uint64_t size);
    template <class StreamData> void WriteMembers(ZipByteWriter& out, StreamData streamData);
    void WriteDirectory(ZipByteWriter& out);

    std::vector<Source> m_sources;

    std::vector<TLocalFile> m_localFiles;
    std::vector<TFileHeader> m_fileHeaders;
    TEndOfCentralDir m_end;
    std::string m_comment;
};
