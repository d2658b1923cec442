#include "workbook/ZipPackage.h"

#include "workbook/FileBytes.h"
#include "workbook/Messages.h"
#include "workbook/Workbook.h"

#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <memory>

namespace workbook {

namespace {

// No member read whole comes near this; a larger claim is a zip bomb or a
// damaged size.
constexpr uint64_t MaxMemberSize = 512ULL * 1024 * 1024;
// A sheet is inflated piece by piece and never held, so it may be larger:
// 100,000 rows with 200 columns of notes take some 700 MB of XML.
constexpr uint64_t MaxStreamedSize = 2048ULL * 1024 * 1024;
constexpr size_t ChunkSize = 256 * 1024;
constexpr size_t InputChunkSize = 1024 * 1024;

uint32_t Le32(std::string_view data, size_t at)
{
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = v << 8 | static_cast<uint8_t>(data[at + static_cast<size_t>(i)]);
    return v;
}

uint16_t Le16(std::string_view data, size_t at)
{
    return static_cast<uint16_t>(static_cast<uint8_t>(data[at]) | static_cast<uint8_t>(data[at + 1]) << 8);
}

bool SameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

} // namespace

void ZipPackage::Need(size_t offset, size_t length) const
{
    if (m_file)
        m_file->Load(offset, length);
}

void ZipPackage::Refuse() const
{
    throw WorkbookError(m_notThisKind);
}

// The central directory at the end of the archive names every member with its
// sizes; the members' own headers are only used to find where the data begins,
// since a writer that streams sets their sizes after the data.
ZipPackage::ZipPackage(std::string_view data, const char* notThisKind)
    : m_data(data), m_file(FileBytes::Backing(data)), m_notThisKind(notThisKind)
{
    constexpr size_t endRecordSize = 22;
    if (data.size() < endRecordSize)
        Refuse();
    size_t end = data.size() - endRecordSize;
    const size_t lowest = data.size() > 65535 + endRecordSize ? data.size() - 65535 - endRecordSize : 0;
    Need(lowest, data.size() - lowest);
    while (Le32(data, end) != 0x06054b50) {
        if (end == lowest)
            Refuse();
        --end;
    }
    const size_t entries = Le16(data, end + 10);
    size_t at = Le32(data, end + 16);
    if (at < lowest)
        Need(at, lowest - at);
    m_members.reserve(entries);
    for (size_t i = 0; i < entries; ++i) {
        if (at > data.size() || data.size() - at < 46 || Le32(data, at) != 0x02014b50)
            Refuse();
        Member member;
        member.flags = Le16(data, at + 8);
        member.method = Le16(data, at + 10);
        member.crc = Le32(data, at + 16);
        member.packedSize = Le32(data, at + 20);
        member.size = Le32(data, at + 24);
        member.localHeader = Le32(data, at + 42);
        const size_t nameLength = Le16(data, at + 28);
        const size_t next = at + 46 + nameLength + Le16(data, at + 30) + Le16(data, at + 32);
        if (next > data.size())
            Refuse();
        member.name.assign(data.substr(at + 46, nameLength));
        // 0xFFFFFFFF marks a size of 64 bits: larger than any workbook still.
        if (member.size > MaxStreamedSize || member.packedSize > MaxMemberSize)
            throw WorkbookError(message::OutOfMemory);
        m_members.push_back(std::move(member));
        at = next;
    }
}

std::vector<std::string> ZipPackage::Names() const
{
    std::vector<std::string> names;
    for (const Member& member : m_members)
        names.push_back(member.name);
    return names;
}

const ZipPackage::Member* ZipPackage::Lookup(std::string_view name) const
{
    for (const Member& member : m_members)
        if (member.name == name)
            return &member;
    for (const Member& member : m_members)
        if (SameName(member.name, name))
            return &member;
    return nullptr;
}

std::string ZipPackage::Find(std::string_view name) const
{
    const Member* member = Lookup(name);
    return member ? member->name : std::string();
}

bool ZipPackage::Read(std::string_view name, std::vector<unsigned char>& content) const
{
    content.clear();
    if (const Member* member = Lookup(name); member && member->size > MaxMemberSize)
        throw WorkbookError(message::OutOfMemory);
    // Set aside no more than the archive's bytes can give (deflate makes at
    // most 1032 bytes of one): a few damaged bytes may claim half a gigabyte.
    if (const Member* member = Lookup(name))
        content.reserve(
            std::min<uint64_t>(member->size, std::min<uint64_t>(member->packedSize, m_data.size()) * 1032));
    return Stream(name, [&](std::string_view piece) {
        content.insert(content.end(), piece.begin(), piece.end());
        return true;
    });
}

bool ZipPackage::Stream(std::string_view name, const std::function<bool(std::string_view)>& sink) const
{
    const Member* member = Lookup(name);
    if (!member)
        return false;
    const size_t local = member->localHeader;
    Need(local, 30);
    if (local > m_data.size() || m_data.size() - local < 30 || Le32(m_data, local) != 0x04034b50)
        Refuse();
    // An encrypted member cannot be read without its password.
    if (member->flags & 0x0001)
        throw WorkbookError(message::Encrypted);
    const size_t start = local + 30 + Le16(m_data, local + 26) + Le16(m_data, local + 28);
    if (start > m_data.size() || m_data.size() - start < member->packedSize)
        Refuse();
    const std::string_view packed = m_data.substr(start, member->packedSize);

    uLong crc = crc32(0, nullptr, 0);
    if (member->method == 0) {
        Need(start, packed.size());
        if (member->packedSize != member->size)
            Refuse();
        crc = crc32(crc, reinterpret_cast<const Bytef*>(packed.data()), static_cast<uInt>(packed.size()));
        if (crc != member->crc)
            Refuse();
        sink(packed);
        return true;
    }
    if (member->method != 8)
        Refuse();

    z_stream z{};
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK)
        throw WorkbookError(message::OutOfMemory);
    const std::unique_ptr<z_stream, int (*)(z_stream*)> done(&z, inflateEnd);
    // The compressed bytes go in a piece at a time, each let go once inflated.
    size_t fed = 0;
    size_t piece = 0;
    std::unique_ptr<char[]> buffer(new char[ChunkSize]);
    uint64_t total = 0;
    while (true) {
        if (z.avail_in == 0 && fed < packed.size()) {
            if (m_file && piece > 0)
                m_file->Release(start + fed - piece, piece);
            piece = std::min(InputChunkSize, packed.size() - fed);
            Need(start + fed, piece);
            z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data() + fed));
            z.avail_in = static_cast<uInt>(piece);
            fed += piece;
        }
        z.next_out = reinterpret_cast<Bytef*>(buffer.get());
        z.avail_out = ChunkSize;
        const int status = inflate(&z, Z_NO_FLUSH);
        if (status != Z_OK && status != Z_STREAM_END)
            Refuse();
        const size_t produced = ChunkSize - z.avail_out;
        total += produced;
        if (total > member->size)
            Refuse();
        crc = crc32(crc, reinterpret_cast<const Bytef*>(buffer.get()), static_cast<uInt>(produced));
        if (produced > 0 && !sink(std::string_view(buffer.get(), produced)))
            return true;
        if (status == Z_STREAM_END)
            break;
        if (produced == 0 && z.avail_in == 0 && fed == packed.size())
            Refuse(); // the data ends before the member does
    }
    if (total != member->size || crc != member->crc)
        Refuse();
    return true;
}

} // namespace workbook
