#include "workspace/DeclarationFile.h"

#include "dataset/DataSetErrors.h"
#include "text/AmountText.h"

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
        const std::string_view text = DetailFieldText(workingLine, field);
        const int width = kDetailLayout[i].width;
        if (isAmount(field))
            r += amount::ToFileForm(text, width);
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

bool Record3ToWorking(std::string_view fileLine, std::string& out)
{
    std::string r(fileLine);
    std::string text;
    for (int i = 0; i < DetailFieldCount; ++i) {
        const auto field = static_cast<DetailField>(i);
        const FieldLayout& f = kDetailLayout[i];
        const auto offset = static_cast<size_t>(f.offset);
        const auto width = static_cast<size_t>(f.width);
        if (offset + width > r.size())
            break;
        const std::string_view raw(r.data() + offset, width);
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
        if (text.size() > width)
            return false;
        text.append(width - text.size(), ' ');
        r.replace(offset, width, text);
    }
    out = std::move(r);
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
        return "Παρουσιάστηκε πρόβλημα κατά το άνοιγμα του αρχείου";
    }
    return "";
}

bool ReadStatusBeeps(ReadStatus status)
{
    return status != ReadStatus::Ok && status != ReadStatus::NotADeclaration;
}

namespace {

// The whole device as bytes; false when the device reports an error.
bool readAll(QIODevice& in, std::string& data)
{
    constexpr qint64 chunk = 1 << 20;
    data.clear();
    if (!in.isSequential()) {
        const qint64 remaining = in.size() - in.pos();
        if (remaining > 0)
            data.reserve(static_cast<size_t>(remaining) + 1);
    }
    for (;;) {
        const size_t used = data.size();
        const qint64 want = data.capacity() > used + 1 ? qint64(data.capacity() - used) : chunk;
        data.resize(used + static_cast<size_t>(want));
        const qint64 got = in.read(data.data() + used, want);
        if (got < 0)
            return false;
        data.resize(used + static_cast<size_t>(got));
        if (got == 0)
            return true;
    }
}

// Calls `take(line)` for every line of `data`: a line ends at CR LF, a lone
// CR or a lone LF; the last line counts without a break, and a break at the
// very end adds no empty line. Stops when `take` returns false.
template <typename Take> void forEachLine(std::string_view data, Take take)
{
    size_t start = 0;
    const size_t n = data.size();
    while (start < n) {
        size_t end = start;
        while (end < n && data[end] != '\r' && data[end] != '\n')
            ++end;
        if (!take(data.substr(start, end - start)))
            return;
        if (end < n && data[end] == '\r' && end + 1 < n && data[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
}

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

} // namespace

ReadResult ReadDeclaration(QIODevice& in)
{
    ReadResult result;
    std::string data;
    if (!readAll(in, data)) {
        result.status = ReadStatus::ReadFailed;
        return result;
    }
    result.detailLines.reserve(data.size() / (RecordWidth + 2) + 1);

    // The working store stops reading at a zero byte, so the rows after it
    // would vanish without a word; a line that holds one refuses the file,
    // once the checks every line must pass have passed for it.
    auto holdsZeroByte = [](std::string_view line) { return std::memchr(line.data(), 0, line.size()); };
    int lineNo = 0;
    forEachLine(data, [&](std::string_view line) {
        ++lineNo;
        if (lineNo == 1) {
            // A workbook or an archive picked by mistake is no declaration,
            // whatever zero bytes it holds.
            if (!isDeclarationHeader(line))
                result.status = ReadStatus::NotADeclaration;
            else if (holdsZeroByte(line))
                result.status = ReadStatus::ReadFailed;
            return result.status == ReadStatus::Ok;
        }
        if (!line.empty() && line[0] != '1' && line[0] != '2' && line[0] != '3')
            result.status = ReadStatus::BadRecordKind;
        else if (line.size() != RecordWidth)
            result.status = ReadStatus::BadLineLength;
        else if (holdsZeroByte(line))
            result.status = ReadStatus::ReadFailed;
        else if (line[0] == '1')
            result.employerLines.emplace_back(line);
        else if (line[0] == '3') {
            std::string working;
            if (!Record3ToWorking(line, working))
                result.status = ReadStatus::ReadFailed;
            else
                result.detailLines.push_back(std::move(working));
        }
        return result.status == ReadStatus::Ok;
    });

    if (lineNo == 0)
        result.status = ReadStatus::NotADeclaration;
    if (result.status != ReadStatus::Ok) {
        result.failedLine = lineNo;
        result.employerLines.clear();
        result.detailLines.clear();
    }
    return result;
}

EmployerHeader LoadEmployerLine(std::string_view line)
{
    EmployerHeader h;
    auto field = [&](int position, int width) { return slice(line, size_t(position - 1), size_t(width)); };
    auto trimmed = [&](int position, int width) { return std::string(trimRight(field(position, width))); };

    h.YearOfData = std::string(field(2, 4));
    const std::string first = trimmed(6, 18);
    h.Name = trimmed(24, 9);
    h.FatherName = trimmed(33, 3);
    h.CompanyName = first + h.Name + h.FatherName;
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
