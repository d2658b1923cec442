// The .xls reader: the workbook stream of an Excel 5.0-2003 file (BIFF5 and
// BIFF8) taken out of its compound file by libgsf and walked record by record.
// Only the records that carry a cell value of the first worksheet are read;
// a formula cell gives the result the spreadsheet saved with it.
#include "workbook/CellGrid.h"
#include "workbook/Messages.h"
#include "workbook/NumberFormat.h"
#include "workbook/WorkbookData.h"

#include "text/Cp1253.h"

#include <QStringDecoder>
#include <gsf/gsf.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

namespace workbook {

namespace {

using Bytes = std::span<const uint8_t>;

enum RecordType : uint16_t {
    FormulaRecord = 0x0006,
    EofRecord = 0x000A,
    FilePassRecord = 0x002F,
    FormatRecord = 0x041E,
    XfRecord = 0x00E0,
    ContinueRecord = 0x003C,
    CodePageRecord = 0x0042,
    BoundSheetRecord = 0x0085,
    MulRkRecord = 0x00BD,
    RStringRecord = 0x00D6,
    SstRecord = 0x00FC,
    LabelSstRecord = 0x00FD,
    NumberRecord = 0x0203,
    LabelRecord = 0x0204,
    BoolErrRecord = 0x0205,
    StringRecord = 0x0207,
    ArrayRecord = 0x0221,
    TableRecord = 0x0236,
    SharedFormulaRecord = 0x04BC,
    RkRecord = 0x027E,
    BofRecord = 0x0809,
};

constexpr uint16_t Biff8 = 0x0600;
constexpr uint16_t Biff5 = 0x0500;
constexpr uint16_t WorksheetSubstream = 0x0010;
constexpr uint8_t WorksheetKind = 0;
constexpr uint16_t CalcOnLoad = 0x0002; // of a FORMULA record's option flags

[[noreturn]] void Damaged(const char* what)
{
    throw WorkbookError(QString::fromUtf8(message::Damaged).arg(QString::fromUtf8(what)).toStdString());
}

// One record with the CONTINUE records that follow it: long strings and the
// shared string table are split over them.
struct Record
{
    uint16_t type = 0;
    std::vector<Bytes> parts;
};

class RecordStream
{
public:
    RecordStream(Bytes stream, size_t offset) : m_stream(stream), m_pos(offset) {}

    bool AtEnd() const { return m_pos >= m_stream.size(); }

    Record Next()
    {
        Record record;
        Next(record);
        return record;
    }
    // Into a record read before, whose room is used again: a sheet has a
    // record for every cell, and a new list of parts for each costs more than
    // reading the cell.
    void Next(Record& record)
    {
        record.parts.clear();
        Bytes body;
        record.type = Header(body);
        record.parts.push_back(body);
        while (m_pos + 4 <= m_stream.size() && Peek() == ContinueRecord) {
            Header(body);
            record.parts.push_back(body);
        }
    }

private:
    uint16_t Peek() const { return static_cast<uint16_t>(m_stream[m_pos] | m_stream[m_pos + 1] << 8); }

    uint16_t Header(Bytes& body)
    {
        if (m_stream.size() - m_pos < 4)
            Damaged("μια εγγραφή του αρχείου είναι κομμένη");
        const uint16_t type = Peek();
        const size_t length = m_stream[m_pos + 2] | m_stream[m_pos + 3] << 8;
        m_pos += 4;
        if (m_stream.size() - m_pos < length)
            Damaged("μια εγγραφή του αρχείου είναι κομμένη");
        body = m_stream.subspan(m_pos, length);
        m_pos += length;
        return type;
    }

    Bytes m_stream;
    size_t m_pos;
};

// Reads the fields of a record across its CONTINUE parts.
class Cursor
{
public:
    explicit Cursor(const Record& record) : m_parts(record.parts) {}

    uint8_t U8()
    {
        while (m_pos == Part().size())
            Advance();
        return Part()[m_pos++];
    }
    uint16_t U16() { return static_cast<uint16_t>(U8() | U8() << 8); }
    uint32_t U32() { return U16() | static_cast<uint32_t>(U16()) << 16; }
    double F64()
    {
        uint64_t bits = U32();
        bits |= static_cast<uint64_t>(U32()) << 32;
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    void Skip(size_t count)
    {
        while (count > 0) {
            while (m_pos == Part().size())
                Advance();
            const size_t step = std::min(count, Part().size() - m_pos);
            m_pos += step;
            count -= step;
        }
    }

    // The characters of a BIFF8 string: one byte each (the low byte of a
    // UTF-16 unit) or two. Where the characters run on into the next part,
    // that part starts with a new flags byte saying how wide the rest are.
    // Without `text` they are only passed over.
    void Characters(size_t count, bool wide, QString* text)
    {
        if (text)
            text->reserve(static_cast<qsizetype>(std::min<size_t>(count, RemainingBytes())));
        while (count > 0) {
            if (m_pos == Part().size()) {
                // An empty continuation holds not even the flags byte.
                Advance();
                wide = (U8() & 0x01) != 0;
                continue;
            }
            const size_t width = wide ? 2 : 1;
            const size_t available = (Part().size() - m_pos) / width;
            if (available == 0)
                Damaged("ένα κείμενο είναι κομμένο");
            const size_t n = std::min(count, available);
            if (!text)
                m_pos += n * width;
            else
                for (size_t i = 0; i < n; ++i, m_pos += width)
                    text->append(QChar(wide ? static_cast<char16_t>(Part()[m_pos] | Part()[m_pos + 1] << 8)
                                            : static_cast<char16_t>(Part()[m_pos])));
            count -= n;
        }
    }

    // A BIFF8 string: its length, flags, the characters, then formatting runs
    // and phonetic data that are skipped. `shortLength` for a one-byte length.
    QString UnicodeString(bool shortLength = false)
    {
        QString text;
        UnicodeString(&text, shortLength);
        return text;
    }
    // The same into `text`, or only passed over without it.
    void UnicodeString(QString* text, bool shortLength = false)
    {
        const size_t count = shortLength ? U8() : U16();
        const uint8_t flags = U8();
        const size_t runs = (flags & 0x08) ? U16() : 0;
        const size_t extra = (flags & 0x04) ? U32() : 0;
        Characters(count, (flags & 0x01) != 0, text);
        Skip(runs * 4);
        Skip(extra);
    }

    // A BIFF5 string: a length and bytes in the workbook's code page.
    std::string ByteString(bool shortLength = false)
    {
        const size_t count = shortLength ? U8() : U16();
        std::string bytes;
        bytes.reserve(std::min<size_t>(count, RemainingBytes()));
        for (size_t i = 0; i < count; ++i)
            bytes.push_back(static_cast<char>(U8()));
        return bytes;
    }

private:
    Bytes Part() const { return m_parts[m_part]; }
    void Advance()
    {
        if (m_part + 1 >= m_parts.size())
            Damaged("μια εγγραφή του αρχείου είναι κομμένη");
        ++m_part;
        m_pos = 0;
    }
    size_t RemainingBytes() const
    {
        size_t n = Part().size() - m_pos;
        for (size_t i = m_part + 1; i < m_parts.size(); ++i)
            n += m_parts[i].size();
        return n;
    }

    const std::vector<Bytes>& m_parts;
    size_t m_part = 0;
    size_t m_pos = 0;
};

// Excel's compact number: a whole number of 30 bits or the upper half of a
// double, either of them possibly scaled by 100.
double RkValue(uint32_t rk)
{
    double value;
    if (rk & 0x02) {
        value = static_cast<double>(static_cast<int32_t>(rk) >> 2);
    } else {
        const uint64_t bits = static_cast<uint64_t>(rk & 0xFFFFFFFC) << 32;
        std::memcpy(&value, &bits, sizeof value);
    }
    return (rk & 0x01) ? value / 100.0 : value;
}

QString ErrorText(uint8_t code)
{
    switch (code) {
    case 0x00:
        return QStringLiteral("#NULL!");
    case 0x07:
        return QStringLiteral("#DIV/0!");
    case 0x0F:
        return QStringLiteral("#VALUE!");
    case 0x17:
        return QStringLiteral("#REF!");
    case 0x1D:
        return QStringLiteral("#NAME?");
    case 0x24:
        return QStringLiteral("#NUM!");
    case 0x2A:
        return QStringLiteral("#N/A");
    default:
        return QStringLiteral("#%1").arg(code);
    }
}

QString BooleanText(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

struct GObjectDeleter
{
    void operator()(gpointer object) const { g_object_unref(object); }
};
template <typename T> using GPtr = std::unique_ptr<T, GObjectDeleter>;

// The workbook stream of the compound file.
std::vector<uint8_t> WorkbookStream(std::string_view data)
{
    static std::once_flag initialised;
    std::call_once(initialised, [] {
        gsf_init();
        // A damaged file makes the library complain on the console; the
        // person hears of it through the error the reader raises.
        g_log_set_handler(
            "libgsf:msole", static_cast<GLogLevelFlags>(G_LOG_LEVEL_MASK | G_LOG_FLAG_FATAL),
            [](const gchar*, GLogLevelFlags, const gchar*, gpointer) {}, nullptr);
    });

    GPtr<GsfInput> input(gsf_input_memory_new(reinterpret_cast<const guint8*>(data.data()),
                                              static_cast<gsf_off_t>(data.size()), FALSE));
    GError* error = nullptr;
    GPtr<GsfInfile> file(gsf_infile_msole_new(input.get(), &error));
    if (error)
        g_error_free(error);
    if (!file)
        throw WorkbookError(message::NotXls);

    GPtr<GsfInput> stream(gsf_infile_child_by_name(file.get(), "Workbook"));
    if (!stream)
        stream.reset(gsf_infile_child_by_name(file.get(), "Book"));
    if (!stream) {
        // An .xlsx saved with a password is a compound file that holds the
        // encrypted package instead of a workbook stream.
        if (GPtr<GsfInput> package(gsf_infile_child_by_name(file.get(), "EncryptedPackage")); package)
            throw WorkbookError(message::Encrypted);
        throw WorkbookError(message::NotXls);
    }
    const gsf_off_t size = gsf_input_size(stream.get());
    // Every byte of a stream lies in a sector of the file, so a larger size is a lie.
    if (size < 0 || static_cast<uint64_t>(size) > data.size())
        Damaged("ο πίνακας περιεχομένων του αρχείου δεν είναι σωστός");
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    if (size > 0 && !gsf_input_read(stream.get(), static_cast<size_t>(size), bytes.data()))
        Damaged("το αρχείο είναι κομμένο");
    return bytes;
}

class XlsReader
{
public:
    explicit XlsReader(Bytes stream) : m_stream(stream) {}

    Sheet Read()
    {
        ReadGlobals();
        if (m_hasSharedStrings) {
            MarkSharedStrings();
            Cursor in(m_sharedStrings);
            ReadSharedStrings(in);
            m_sharedStrings = {};
        }
        ReadSheet();
        return m_grid.TakeSheet();
    }

private:
    void ReadGlobals()
    {
        RecordStream records(m_stream, 0);
        if (m_stream.size() >= 2) {
            const uint16_t first = static_cast<uint16_t>(m_stream[0] | m_stream[1] << 8);
            if (first == 0x0009 || first == 0x0209 || first == 0x0409)
                throw WorkbookError(message::OldXls);
        }
        if (records.AtEnd())
            Damaged("το αρχείο δεν έχει περιεχόμενο");
        const Record bof = records.Next();
        if (bof.type != BofRecord)
            throw WorkbookError(message::NotXls);
        m_version = Cursor(bof).U16();
        if (m_version != Biff8 && m_version != Biff5)
            throw WorkbookError(message::OldXls);

        bool firstSheetFound = false;
        while (true) {
            if (records.AtEnd())
                Damaged("το αρχείο τελειώνει πριν από τα φύλλα του");
            const Record record = records.Next();
            Cursor in(record);
            switch (record.type) {
            case EofRecord:
                if (!firstSheetFound)
                    throw WorkbookError(message::NoWorksheet);
                return;
            case FilePassRecord:
                throw WorkbookError(message::Encrypted);
            case CodePageRecord:
                m_codePage = in.U16();
                break;
            case BoundSheetRecord: {
                const uint32_t offset = in.U32();
                in.U8(); // visibility: a hidden first worksheet is still the first
                if (in.U8() == WorksheetKind && !firstSheetFound) {
                    firstSheetFound = true;
                    m_sheetOffset = offset;
                }
                break;
            }
            case SstRecord:
                // Read once the sheet has told which of them columns A to T use.
                m_sharedStrings = record;
                m_hasSharedStrings = true;
                break;
            case FormatRecord: {
                const int id = in.U16();
                const QString code =
                    m_version == Biff8 ? in.UnicodeString() : FromCodePage(in.ByteString(true));
                m_formats.emplace_back(id, code.toStdString());
                break;
            }
            case XfRecord: {
                in.U16(); // font
                const int id = in.U16();
                std::string_view code;
                for (const auto& [formatId, text] : m_formats)
                    if (formatId == id)
                        code = text;
                m_dateFormats.push_back(IsDateFormat(id, code));
                break;
            }
            default:
                break;
            }
        }
    }

    // Marks the shared strings that cells of columns A to T use: a sheet
    // may hold many thousands of notes beside them, never read. Where the
    // sheet cannot be walked, every string is marked, and reading the sheet
    // itself then says what is wrong with it.
    void MarkSharedStrings()
    {
        // Each string takes three bytes at least, so no index of a string there can be larger.
        const size_t most = m_stream.size() / 3;
        try {
            if (m_sheetOffset >= m_stream.size())
                return MarkAllSharedStrings();
            RecordStream records(m_stream, m_sheetOffset);
            int depth = 0;
            Record record;
            do {
                if (records.AtEnd())
                    return MarkAllSharedStrings();
                records.Next(record);
                if (record.type == BofRecord)
                    ++depth;
                else if (record.type == EofRecord)
                    --depth;
                else if (depth == 1 && record.type == LabelSstRecord && record.parts.front().size() >= 10) {
                    const Bytes cell = record.parts.front();
                    const uint32_t index =
                        cell[6] | cell[7] << 8 | cell[8] << 16 | static_cast<uint32_t>(cell[9]) << 24;
                    if (!CellGrid::Beyond(cell[2] | cell[3] << 8) && index < most) {
                        if (index >= m_usedStrings.size())
                            m_usedStrings.resize(index + 1);
                        m_usedStrings[index] = true;
                    }
                }
            } while (depth > 0);
        } catch (const WorkbookError&) {
            MarkAllSharedStrings();
        }
    }
    void MarkAllSharedStrings() { m_usedStrings.assign(m_stream.size() / 3, true); }

    void ReadSharedStrings(Cursor& in)
    {
        in.U32(); // references to the strings in the whole workbook
        const uint32_t count = in.U32();
        for (uint32_t i = 0; i < count; ++i) {
            if (i < m_usedStrings.size() && m_usedStrings[i]) {
                m_stringIndices.push_back(i);
                m_strings.push_back(in.UnicodeString());
            } else {
                in.UnicodeString(nullptr);
            }
        }
        m_usedStrings = {};
    }

    // The shared string `index` that a cell of A to T names; nothing for one the table lacks.
    const QString* SharedString(uint32_t index) const
    {
        const auto found = std::lower_bound(m_stringIndices.begin(), m_stringIndices.end(), index);
        if (found == m_stringIndices.end() || *found != index)
            return nullptr;
        return &m_strings[static_cast<size_t>(found - m_stringIndices.begin())];
    }

    void ReadSheet()
    {
        if (m_sheetOffset >= m_stream.size())
            Damaged("το πρώτο φύλλο βρίσκεται έξω από το αρχείο");
        RecordStream records(m_stream, m_sheetOffset);
        const Record bof = records.Next();
        if (bof.type != BofRecord)
            Damaged("το πρώτο φύλλο δεν βρίσκεται εκεί που δείχνει το αρχείο");
        Cursor head(bof);
        head.U16();
        if (head.U16() != WorksheetSubstream)
            Damaged("το πρώτο φύλλο δεν είναι φύλλο εργασίας");

        // Charts drawn on the sheet sit inside it as nested parts of their own.
        int depth = 1;
        Record record;
        while (depth > 0) {
            if (records.AtEnd())
                Damaged("το πρώτο φύλλο είναι κομμένο");
            records.Next(record);
            if (record.type == BofRecord)
                ++depth;
            else if (record.type == EofRecord) {
                if (--depth == 0 && m_pendingString)
                    CellGrid::RefuseUncalculated(m_pendingRow, m_pendingColumn);
            } else if (depth == 1)
                ReadCell(record);
        }
    }

    void ReadCell(const Record& record)
    {
        // The text result of a formula follows it at once, after the formula
        // it shares at most; without it the formula has no value.
        if (m_pendingString && record.type != StringRecord && record.type != SharedFormulaRecord &&
            record.type != ArrayRecord && record.type != TableRecord)
            CellGrid::RefuseUncalculated(m_pendingRow, m_pendingColumn);
        Cursor in(record);
        if (IsSingleCell(record.type) && record.parts.front().size() >= 4) {
            const Bytes head = record.parts.front();
            const int column = head[2] | head[3] << 8;
            if (CellGrid::Beyond(column)) {
                // Nothing past T is read, not even whether it could be.
                m_grid.NoteBeyond(head[0] | head[1] << 8);
                if (record.type == FormulaRecord)
                    m_pendingString = false;
                return;
            }
        }
        switch (record.type) {
        case NumberRecord: {
            const auto [row, column, format] = Position(in);
            PutNumber(row, column, format, in.F64());
            break;
        }
        case RkRecord: {
            const auto [row, column, format] = Position(in);
            PutNumber(row, column, format, RkValue(in.U32()));
            break;
        }
        case MulRkRecord: {
            const int row = in.U16();
            const int first = in.U16();
            // Six bytes a cell, then the last column in two bytes; the cells
            // past T are not read.
            const size_t length = record.parts.front().size();
            const size_t cells = length >= 6 ? (length - 6) / 6 : 0;
            if (cells > 0 && CellGrid::Beyond(first + static_cast<int64_t>(cells) - 1))
                m_grid.NoteBeyond(row);
            for (size_t i = 0; i < cells && !CellGrid::Beyond(first + static_cast<int64_t>(i)); ++i) {
                const int format = in.U16();
                PutNumber(row, first + static_cast<int>(i), format, RkValue(in.U32()));
            }
            break;
        }
        case LabelSstRecord: {
            const auto [row, column, format] = Position(in);
            const QString* text = SharedString(in.U32());
            if (!text)
                throw WorkbookError(QString::fromUtf8(message::MissingString)
                                        .arg(CellGrid::CellName(row, column))
                                        .toStdString());
            m_grid.Put(row, column, *text);
            break;
        }
        case LabelRecord:
        case RStringRecord: {
            const auto [row, column, format] = Position(in);
            m_grid.Put(row, column, Text(in));
            break;
        }
        case BoolErrRecord: {
            const auto [row, column, format] = Position(in);
            const uint8_t value = in.U8();
            if (in.U8() != 0)
                CellGrid::RefuseError(row, column, ErrorText(value));
            m_grid.Put(row, column, BooleanText(value != 0));
            break;
        }
        case FormulaRecord:
            ReadFormula(in);
            break;
        case StringRecord:
            if (m_pendingString) {
                m_pendingString = false;
                PutFormulaResult(m_pendingRow, m_pendingColumn, Text(in));
            }
            break;
        default:
            break;
        }
    }

    static bool IsSingleCell(uint16_t type)
    {
        return type == NumberRecord || type == RkRecord || type == LabelSstRecord || type == LabelRecord ||
               type == RStringRecord || type == BoolErrRecord || type == FormulaRecord;
    }

    // A formula cell holds its last result: a number in the eight bytes, or a
    // marker for text (which follows in a STRING record), a truth value, an
    // error or empty text.
    void ReadFormula(Cursor& in)
    {
        const auto [row, column, format] = Position(in);
        uint8_t result[8];
        for (uint8_t& b : result)
            b = in.U8();
        m_pendingString = false;
        // A writer that cannot calculate saves a stand-in result and marks the
        // formula to be calculated when the workbook is opened; the mark is
        // never set beside a result that was calculated.
        if (in.U16() & CalcOnLoad)
            CellGrid::RefuseUncalculated(row, column);
        if (result[6] != 0xFF || result[7] != 0xFF) {
            double value;
            std::memcpy(&value, result, sizeof value);
            PutNumber(row, column, format, value);
            m_grid.NoteFormula(row, column, NumberText(value));
            return;
        }
        switch (result[0]) {
        case 0:
            m_pendingString = true;
            m_pendingRow = row;
            m_pendingColumn = column;
            break;
        case 1:
            PutFormulaResult(row, column, BooleanText(result[2] != 0));
            break;
        case 2:
            CellGrid::RefuseError(row, column, ErrorText(result[2]));
        case 3:
            PutFormulaResult(row, column, QString());
            break;
        default:
            Damaged("ένας τύπος έχει αποτέλεσμα άγνωστου είδους");
        }
    }

    struct Place
    {
        int row;
        int column;
        int format;
    };
    static Place Position(Cursor& in)
    {
        const int row = in.U16();
        const int column = in.U16();
        return {row, column, in.U16()};
    }

    // A number in a cell formatted as a date or time is a date.
    void PutNumber(int row, int column, int format, double value)
    {
        if (format >= 0 && static_cast<size_t>(format) < m_dateFormats.size() && m_dateFormats[format])
            CellGrid::RefuseDate(row, column);
        m_grid.PutNumber(row, column, value);
    }

    void PutFormulaResult(int row, int column, QString text)
    {
        m_grid.NoteFormula(row, column, text);
        m_grid.Put(row, column, std::move(text));
    }

    QString Text(Cursor& in)
    {
        if (m_version == Biff8)
            return in.UnicodeString();
        return FromCodePage(in.ByteString());
    }

    // Texts of a BIFF5 workbook are bytes in the code page it names.
    QString FromCodePage(const std::string& bytes) const
    {
        if (m_codePage == 1253)
            return cp1253::toUnicode(bytes);
        if (m_codePage >= 874 && m_codePage <= 1258) {
            QStringDecoder decoder(QStringLiteral("windows-%1").arg(m_codePage).toLatin1().constData());
            if (decoder.isValid())
                return decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
        }
        return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    }

    Bytes m_stream;
    uint16_t m_version = Biff8;
    uint16_t m_codePage = 1252;
    size_t m_sheetOffset = 0;
    // The shared strings that columns A to T use, by their indices in the table.
    Record m_sharedStrings;
    bool m_hasSharedStrings = false;
    std::vector<bool> m_usedStrings;
    std::vector<uint32_t> m_stringIndices;
    std::vector<QString> m_strings;
    std::vector<std::pair<int, std::string>> m_formats; // the workbook's own number formats
    std::vector<bool> m_dateFormats;                    // by cell format
    CellGrid m_grid;
    bool m_pendingString = false;
    int m_pendingRow = 0;
    int m_pendingColumn = 0;
};

} // namespace

Sheet ReadXlsData(std::string_view data)
{
    const std::vector<uint8_t> stream = WorkbookStream(data);
    return XlsReader(Bytes(stream.data(), stream.size())).Read();
}

Sheet ReadXlsStream(std::string_view stream)
{
    return XlsReader(Bytes(reinterpret_cast<const uint8_t*>(stream.data()), stream.size())).Read();
}

} // namespace workbook
