#include "declaration/DeclarationFile.h"

#include "dataset/DataSetErrors.h"
#include "text/AmountText.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace declaration {
namespace {

constexpr std::array<FieldLayout, DetailFieldCount> makeDetailLayout()
{
    constexpr const char* names[DetailFieldCount] = {
        "RecordType",   "AFM",     "FILLER",         "SurName",      "Name",        "FatherName",
        "City",         "Street",  "StreetNo",       "TK",           "TypeInc",     "AkaInc",
        "Xartosimo",    "OGAXart", "Kratiseis",      "Kathares",     "ForosParakr", "ForosAnal",
        "Ypokatastima", "Hmeres",  "OGAForouParakr", "OGAForouAnal", "FILLER2"};
    constexpr int widths[DetailFieldCount] = {1, 9, 1, 18, 9, 3, 10, 16, 5, 5, 2, 10,
                                              8, 7, 9, 10, 9, 9, 6,  3,  8, 8, 4};
    std::array<FieldLayout, DetailFieldCount> layout{};
    int offset = 0;
    for (int i = 0; i < DetailFieldCount; ++i) {
        layout[i] = {names[i], offset, widths[i]};
        offset += widths[i];
    }
    return layout;
}

constexpr auto kDetailLayout = makeDetailLayout();
static_assert(kDetailLayout[DetailFieldCount - 1].offset + kDetailLayout[DetailFieldCount - 1].width ==
              RecordWidth);

constexpr std::array<DetailField, 9> kAmountFields = {
    AkaInc, Xartosimo, OGAXart, Kratiseis, Kathares, ForosParakr, ForosAnal, OGAForouParakr, OGAForouAnal};

constexpr std::array<TotalSlot, 9> kTotalsLayout = {{{AkaInc, 15},
                                                     {Kratiseis, 15},
                                                     {Kathares, 15},
                                                     {ForosParakr, 14},
                                                     {Xartosimo, 13},
                                                     {OGAXart, 12},
                                                     {ForosAnal, 14},
                                                     {OGAForouParakr, 13},
                                                     {OGAForouAnal, 13}}};

bool isAmount(int field)
{
    for (DetailField f : kAmountFields)
        if (f == field)
            return true;
    return false;
}

std::string_view trimRight(std::string_view text)
{
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

// The bytes of `line` from 0-based `offset`, at most `width` of them; empty
// when the line ends before.
std::string_view slice(std::string_view line, size_t offset, size_t width)
{
    return offset >= line.size() ? std::string_view() : line.substr(offset, width);
}

// Text fields are left-aligned and space-filled; a longer value goes in whole.
void appendFilled(std::string& out, std::string_view value, size_t width)
{
    out.append(value);
    if (value.size() < width)
        out.append(width - value.size(), ' ');
}

// A signed value keeps its sign in front of the zeros ("-05"), so that the
// field still reads back as the number it was.
void appendZeroFilled(std::string& out, std::string_view value, size_t width)
{
    if (!value.empty() && (value.front() == '-' || value.front() == '+')) {
        out += value.front();
        value.remove_prefix(1);
        width = width > 0 ? width - 1 : 0;
    }
    if (value.size() < width)
        out.append(width - value.size(), '0');
    out.append(value);
}

const std::string_view kCrLf = "\r\n";

} // namespace

const std::array<FieldLayout, DetailFieldCount>& DetailLayout()
{
    return kDetailLayout;
}

std::vector<std::string> DetailSchema()
{
    std::vector<std::string> schema;
    for (const FieldLayout& f : kDetailLayout)
        schema.push_back(std::string(f.name) + "=" + std::to_string(f.width));
    return schema;
}

std::vector<std::string> IncomeTypeSchema()
{
    return {"typeinc=2", "Desc=52"};
}

const std::array<TotalSlot, 9>& TotalsLayout()
{
    return kTotalsLayout;
}

std::string_view DetailFieldText(std::string_view line, DetailField field)
{
    const FieldLayout& f = kDetailLayout[field];
    return trimRight(slice(line, static_cast<size_t>(f.offset), static_cast<size_t>(f.width)));
}

std::string Record0(const QDate& today, const EmployerHeader& header)
{
    char date[32];
    std::snprintf(date, sizeof date, "%04d%02d%02d", today.year(), today.month(), today.day());
    std::string r = "0JL10    ";
    r += date;
    appendFilled(r, header.YearOfData, 4);
    r.append(149, ' ');
    return r;
}

std::string Record1(const EmployerHeader& header)
{
    std::string r = "1";
    appendFilled(r, header.YearOfData, 4);
    appendFilled(r, header.CompanyName, 30);
    r += header.NaturalPerson ? '1' : '0';
    appendFilled(r, header.AFM, 9);
    appendFilled(r, header.AntikeimenoErgasion, 16);
    appendFilled(r, header.Town, 10);
    appendFilled(r, header.Street, 16);
    appendFilled(r, header.Number, 5);
    appendFilled(r, header.TK, 5);
    r.append(73, ' ');
    return r;
}

std::string Record2(const std::array<std::string, 9>& totals, bool hasRows)
{
    std::string r = "2";
    if (!hasRows) {
        r.append(124, '0');
    } else {
        for (size_t i = 0; i < totals.size(); ++i)
            r += amount::ToFileForm(totals[i], kTotalsLayout[i].record2Width);
    }
    r.append(45, ' ');
    return r;
}

namespace {

void appendRecord3(std::string& r, std::string_view workingLine)
{
    for (int i = 0; i < DetailFieldCount; ++i) {
        const auto field = static_cast<DetailField>(i);
        const int width = kDetailLayout[i].width;
        const auto offset = static_cast<size_t>(kDetailLayout[i].offset);
        // A text field held at its full width is already filled as the file
        // wants it: its bytes go over as they stand.
        if (!isAmount(field) && field != Hmeres &&
            offset + static_cast<size_t>(width) <= workingLine.size()) {
            r.append(workingLine.substr(offset, static_cast<size_t>(width)));
            continue;
        }
        const std::string_view text = DetailFieldText(workingLine, field);
        if (isAmount(field))
            amount::AppendFileForm(r, text, width);
        else if (field == Hmeres)
            appendZeroFilled(r, text, static_cast<size_t>(width));
        else
            appendFilled(r, text, static_cast<size_t>(width));
    }
}

} // namespace

std::string Record3(std::string_view workingLine)
{
    std::string r;
    r.reserve(RecordWidth);
    appendRecord3(r, workingLine);
    return r;
}

std::optional<DetailField> FirstUnholdableAmount(std::string_view fileLine)
{
    std::string text;
    for (DetailField field : kAmountFields) {
        const FieldLayout& f = kDetailLayout[field];
        const std::string_view raw = slice(fileLine, size_t(f.offset), size_t(f.width));
        if (raw.size() == size_t(f.width) && amount::FromFileForm(raw, text) && text.size() > raw.size())
            return field;
    }
    return std::nullopt;
}

namespace {

// Record3ToWorking, saying which field did not fit when it refuses.
bool record3ToWorking(std::string_view fileLine, std::string& out, DetailField& unfit)
{
    out.assign(fileLine);
    std::string text;
    for (int i = 0; i < DetailFieldCount; ++i) {
        const auto field = static_cast<DetailField>(i);
        const FieldLayout& f = kDetailLayout[i];
        const auto offset = static_cast<size_t>(f.offset);
        const auto width = static_cast<size_t>(f.width);
        if (offset + width > out.size())
            break;
        const std::string_view raw(out.data() + offset, width);
        if (isAmount(field)) {
            if (!amount::FromFileForm(raw, text))
                continue;
        } else if (field == Hmeres) {
            int64_t days = 0;
            if (!amount::TryStrToInt64(raw, days))
                continue;
            text = std::to_string(days);
        } else {
            continue;
        }
        // Cents of full width with a last digit other than 0 (or a sign)
        // need one more character than the field has; putting them in would
        // shift every later field of the row.
        if (text.size() > width) {
            unfit = field;
            return false;
        }
        std::copy(text.begin(), text.end(), out.begin() + static_cast<std::ptrdiff_t>(offset));
        std::fill_n(out.begin() + static_cast<std::ptrdiff_t>(offset + text.size()), width - text.size(),
                    ' ');
    }
    return true;
}

} // namespace

bool Record3ToWorking(std::string_view fileLine, std::string& out)
{
    std::string working;
    DetailField unfit = AFM;
    if (!record3ToWorking(fileLine, working, unfit))
        return false;
    out = std::move(working);
    return true;
}

std::optional<DetailField> FirstOversizedAmount(std::string_view workingLine)
{
    for (DetailField field : kAmountFields)
        if (!amount::FitsFileForm(DetailFieldText(workingLine, field), kDetailLayout[field].width))
            return field;
    return std::nullopt;
}

std::optional<int> FirstOversizedTotal(const std::array<std::string, 9>& totals)
{
    for (size_t i = 0; i < totals.size(); ++i)
        if (!amount::FitsFileForm(totals[i], kTotalsLayout[i].record2Width))
            return static_cast<int>(i);
    return std::nullopt;
}

namespace {

class RecordWriter
{
public:
    explicit RecordWriter(QIODevice& out) : m_out(out) { m_buffer.reserve(kChunk + 2 * RecordWidth); }

    std::string& Buffer() { return m_buffer; }

    // A detail record of another width would shift every record after it
    // for the tax administration's reader: the whole file is refused instead.
    // (The header records hold what the program itself limits to its width.)
    void EndRecord(bool detail = false)
    {
        ++m_records;
        if (detail && m_buffer.size() - m_recordStart != static_cast<size_t>(RecordWidth))
            throw std::length_error("Η εγγραφή " + std::to_string(m_records) + " του αρχείου δεν έχει " +
                                    std::to_string(RecordWidth) + " χαρακτήρες· το αρχείο δεν γράφτηκε.");
        m_buffer += kCrLf;
        if (m_buffer.size() >= kChunk)
            Flush();
        m_recordStart = m_buffer.size();
    }

    void Flush()
    {
        if (m_buffer.empty())
            return;
        const char* data = m_buffer.data();
        auto left = static_cast<qint64>(m_buffer.size());
        while (left > 0) {
            const qint64 n = m_out.write(data, left);
            if (n <= 0)
                throw EFileError(m_out.errorString().toStdString());
            data += n;
            left -= n;
        }
        m_buffer.clear();
    }

private:
    static constexpr size_t kChunk = 256 * 1024;
    QIODevice& m_out;
    std::string m_buffer;
    size_t m_recordStart = 0;
    int m_records = 0;
};

} // namespace

void WriteDeclaration(QIODevice& out, const QDate& today, const EmployerHeader& header,
                      const std::array<std::string, 9>& totals,
                      const std::vector<TFixedFormatDataSet::TLine>& rows)
{
    RecordWriter writer(out);
    writer.Buffer() += Record0(today, header);
    writer.EndRecord();
    writer.Buffer() += Record1(header);
    writer.EndRecord();
    writer.Buffer() += Record2(totals, !rows.empty());
    writer.EndRecord();
    for (const TFixedFormatDataSet::TLine& row : rows) {
        appendRecord3(writer.Buffer(), row.Text);
        writer.EndRecord(true);
    }
    writer.Flush();
}

const char* ReadStatusMessage(ReadStatus status)
{
    switch (status) {
    case ReadStatus::Ok:
        return "";
    case ReadStatus::NotADeclaration:
        return "Μη έγκυρο αρχείο";
    case ReadStatus::BadLineLength:
        return "Παρουσιάστηκε πρόβλημα κατά το άνοιγμα του αρχείου. Το μήκος της γραμμής είναι λανθασμένο";
    case ReadStatus::BadRecordKind:
    case ReadStatus::ReadFailed:
    case ReadStatus::AmountTooLarge:
        return "Παρουσιάστηκε πρόβλημα κατά το άνοιγμα του αρχείου";
    }
    return "";
}

bool ReadStatusBeeps(ReadStatus status)
{
    return status != ReadStatus::Ok && status != ReadStatus::NotADeclaration;
}

namespace {

// Reads a device line by line through one buffer of fixed size, so that a
// file of any size and content is judged in the same small memory: of each
// line only its first bytes are kept (a record is never longer), with its
// whole length and whether a zero byte was among its bytes. A line ends at
// CR LF, a lone CR or a lone LF; the last line counts without a break, and a
// break at the very end adds no empty line.
class LineReader
{
public:
    explicit LineReader(QIODevice& in) : m_in(in), m_chunk(kChunk) {}

    // The first `n` bytes of the device (fewer when it is shorter), read
    // before any line is taken, so that a file can be refused on its first
    // bytes without a search for the end of its first line.
    std::string_view Ahead(size_t n)
    {
        while (m_end - m_pos < n && !m_atEnd) {
            const qint64 got = m_in.read(m_chunk.data() + m_end, qint64(m_chunk.size() - m_end));
            if (got <= 0)
                m_atEnd = true;
            m_failed = got < 0;
            m_end += got > 0 ? size_t(got) : 0;
        }
        return std::string_view(m_chunk.data() + m_pos, std::min(n, m_end - m_pos));
    }

    // Takes the next line; false at the end of the device or when it fails.
    bool Next()
    {
        m_line.clear();
        m_length = 0;
        m_zero = false;
        bool taken = false;
        for (;;) {
            if (m_pos == m_end && !fill())
                return taken && !m_failed;
            if (m_skipLf) {
                m_skipLf = false;
                if (m_chunk[m_pos] == '\n') {
                    ++m_pos;
                    continue;
                }
            }
            const char* begin = m_chunk.data() + m_pos;
            const char* end = m_chunk.data() + m_end;
            const char* brk = std::find_if(begin, end, [](char c) { return c == '\r' || c == '\n'; });
            take(std::string_view(begin, size_t(brk - begin)));
            taken = true;
            if (brk == end) {
                m_pos = m_end;
                continue;
            }
            m_pos += size_t(brk - begin) + 1;
            m_skipLf = *brk == '\r';
            return true;
        }
    }

    // The line's first bytes: all of it when it is no longer than a record and one byte.
    std::string_view Text() const { return m_line; }
    size_t Length() const { return m_length; }
    bool HoldsZeroByte() const { return m_zero; }
    bool Failed() const { return m_failed; }

private:
    static constexpr size_t kChunk = 64 * 1024;
    static constexpr size_t kKept = RecordWidth + 1;

    bool fill()
    {
        m_pos = m_end = 0;
        if (m_atEnd)
            return false;
        const qint64 got = m_in.read(m_chunk.data(), qint64(m_chunk.size()));
        if (got <= 0) {
            m_atEnd = true;
            m_failed = got < 0;
            return false;
        }
        m_end = size_t(got);
        return true;
    }

    void take(std::string_view part)
    {
        m_length += part.size();
        if (m_line.size() < kKept)
            m_line.append(part.substr(0, kKept - m_line.size()));
        m_zero = m_zero || std::memchr(part.data(), 0, part.size()) != nullptr;
    }

    QIODevice& m_in;
    std::vector<char> m_chunk;
    size_t m_pos = 0;
    size_t m_end = 0;
    bool m_atEnd = false;
    bool m_failed = false;
    bool m_skipLf = false;
    std::string m_line;
    size_t m_length = 0;
    bool m_zero = false;
};

bool isDeclarationHeader(std::string_view line)
{
    constexpr std::string_view tag = "0JL10";
    if (line.size() < tag.size())
        return false;
    for (size_t i = 0; i < tag.size(); ++i) {
        char c = line[i];
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        if (c != tag[i])
            return false;
    }
    return true;
}

// The rows a file of `size` bytes will give, allocated once; capped, so that
// a long file that is no declaration past its first line costs nothing.
size_t detailRowsHint(const QIODevice& in)
{
    constexpr qint64 cap = 200000;
    return in.isSequential() ? 0 : size_t(std::min(in.size() / (RecordWidth + 2) + 1, cap));
}

} // namespace

ReadResult ReadDeclaration(QIODevice& in)
{
    ReadResult result;
    LineReader reader(in);
    // A workbook, an archive or anything else picked by mistake is refused on
    // its first bytes, before the rest of it is read.
    if (!isDeclarationHeader(reader.Ahead(5))) {
        result.status = reader.Failed() ? ReadStatus::ReadFailed : ReadStatus::NotADeclaration;
        return result;
    }
    result.detailLines.reserve(detailRowsHint(in));

    // The working store stops reading at a zero byte, so the rows after it
    // would vanish without a word; a line that holds one refuses the file,
    // once the checks every line must pass have passed for it.
    int lineNo = 0;
    std::string working;
    working.reserve(RecordWidth);
    while (result.status == ReadStatus::Ok && reader.Next()) {
        ++lineNo;
        const std::string_view line = reader.Text();
        if (lineNo == 1) {
            if (reader.HoldsZeroByte())
                result.status = ReadStatus::ReadFailed;
            continue;
        }
        if (!line.empty() && line[0] != '1' && line[0] != '2' && line[0] != '3')
            result.status = ReadStatus::BadRecordKind;
        else if (reader.Length() != RecordWidth)
            result.status = ReadStatus::BadLineLength;
        else if (reader.HoldsZeroByte())
            result.status = ReadStatus::ReadFailed;
        else if (line[0] == '1')
            result.employerLines.emplace_back(line);
        else if (line[0] == '3') {
            // One pass converts the row and finds the amount it cannot hold.
            DetailField unfit = AFM;
            if (record3ToWorking(line, working, unfit)) {
                result.detailLines.push_back(working);
            } else if (isAmount(unfit)) {
                result.status = ReadStatus::AmountTooLarge;
                result.failedRow = static_cast<int>(result.detailLines.size()) + 1;
                result.failedAfm = std::string(DetailFieldText(line, AFM));
                result.failedField = unfit;
                const FieldLayout& f = kDetailLayout[unfit];
                amount::FromFileForm(line.substr(size_t(f.offset), size_t(f.width)), result.failedAmount);
            } else {
                result.status = ReadStatus::ReadFailed;
            }
        }
    }
    if (result.status == ReadStatus::Ok && reader.Failed())
        result.status = ReadStatus::ReadFailed;
    if (result.status != ReadStatus::Ok) {
        result.failedLine = lineNo;
        result.employerLines.clear();
        result.detailLines.clear();
        result.detailLines.shrink_to_fit();
    }
    return result;
}

EmployerHeader LoadEmployerLine(std::string_view line)
{
    EmployerHeader h;
    auto field = [&](int position, int width) { return slice(line, size_t(position - 1), size_t(width)); };
    auto trimmed = [&](int position, int width) { return std::string(trimRight(field(position, width))); };

    h.YearOfData = std::string(field(2, 4));
    // The body name fills the three pieces as one text: a blank where one
    // piece meets the next is part of the name.
    h.CompanyName = trimmed(6, 30);
    h.Name = trimmed(24, 9);
    h.FatherName = trimmed(33, 3);
    h.NaturalPerson = false;
    h.AFM = std::string(field(37, 9));
    h.AntikeimenoErgasion = trimmed(46, 16);
    h.Town = trimmed(62, 10);
    h.Street = trimmed(72, 16);
    h.Number = trimmed(88, 5);
    h.TK = trimmed(93, 5);
    return h;
}

} // namespace declaration
