// The .xlsx reader: the package's relationships lead from the package to its
// workbook and from the workbook to its first worksheet, its shared strings
// and its styles; the sheet's XML is then walked as it is inflated, so that a
// sheet of many rows is never held whole. Every kind of cell the format knows
// is read; a formula cell gives the result saved with it.
#include "workbook/CellGrid.h"
#include "workbook/Messages.h"
#include "workbook/NumberFormat.h"
#include "workbook/WorkbookData.h"
#include "workbook/XmlPart.h"
#include "workbook/ZipPackage.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace workbook {

namespace {

[[noreturn]] void NotXlsx()
{
    throw WorkbookError(message::NotXlsx);
}

[[noreturn]] void Damaged(const QString& what)
{
    throw WorkbookError(QString::fromUtf8(message::Damaged).arg(what).toStdString());
}

bool EndsWith(std::string_view text, std::string_view end)
{
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// A text of the format: characters the XML cannot carry are written as _xHHHH_.
QString XText(std::string_view utf8)
{
    QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    if (!text.contains(QLatin1String("_x")))
        return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'_' && i + 6 < text.size() && text[i + 1] == u'x' && text[i + 6] == u'_') {
            bool ok = false;
            const uint code = QStringView(text).mid(i + 2, 4).toUInt(&ok, 16);
            if (ok) {
                out.append(QChar(static_cast<char16_t>(code)));
                i += 6;
                continue;
            }
        }
        out.append(text[i]);
    }
    return out;
}

int ToInt(std::string_view text, int fallback)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() ? value : fallback;
}

// ---------------------------------------------------------------------------
// The way from the package to its parts

struct Relationship
{
    std::string id;
    std::string type;
    std::string target; // the part's name in the package
};

// "xl/worksheets/sheet1.xml" from the part "xl/workbook.xml" and the target
// "worksheets/sheet1.xml", "/xl/worksheets/sheet1.xml" or "../xl/...".
std::string ResolveTarget(std::string_view source, std::string_view target)
{
    std::string path;
    if (target.starts_with('/'))
        path = target.substr(1);
    else
        path = std::string(source.substr(0, source.rfind('/') + 1)) + std::string(target);
    std::vector<std::string> segments;
    size_t start = 0;
    while (start <= path.size()) {
        size_t slash = path.find('/', start);
        if (slash == std::string::npos)
            slash = path.size();
        const std::string segment = path.substr(start, slash - start);
        if (segment == "..") {
            if (!segments.empty())
                segments.pop_back();
        } else if (!segment.empty() && segment != ".") {
            segments.push_back(segment);
        }
        start = slash + 1;
    }
    std::string resolved;
    for (const std::string& segment : segments)
        resolved += (resolved.empty() ? "" : "/") + segment;
    return resolved;
}

// The relationships of the part `source` ("" for the package's own).
class Relationships : public XmlPart
{
public:
    Relationships(const ZipPackage& package, const std::string& source) : m_source(source)
    {
        const size_t slash = source.rfind('/');
        const std::string name = slash == std::string::npos ? "_rels/" + source + ".rels"
                                                            : source.substr(0, slash + 1) + "_rels/" +
                                                                  source.substr(slash + 1) + ".rels";
        ParseXmlMember(package, package.Find(name), *this, message::NotXlsx);
    }

    const Relationship* ById(std::string_view id) const
    {
        for (const Relationship& r : m_list)
            if (r.id == id)
                return &r;
        return nullptr;
    }
    // The first relationship whose type ends with "/`kind`".
    const Relationship* ByType(std::string_view kind) const
    {
        for (const Relationship& r : m_list)
            if (EndsWith(r.type, "/" + std::string(kind)))
                return &r;
        return nullptr;
    }

    void Start(std::string_view name, const XmlAttributes& attributes) override
    {
        if (name != "Relationship" || attributes.Raw("TargetMode") == "External")
            return;
        m_list.push_back({attributes.Value("Id"), attributes.Value("Type"),
                          ResolveTarget(m_source, attributes.Value("Target"))});
    }
    void End(std::string_view) override {}

private:
    std::string m_source;
    std::vector<Relationship> m_list;
};

// Where the package keeps its workbook when its relationships do not say:
// the part its content types call the workbook, or the usual place.
class ContentTypes : public XmlPart
{
public:
    explicit ContentTypes(const ZipPackage& package)
    {
        ParseXmlMember(package, package.Find("[Content_Types].xml"), *this, message::NotXlsx);
    }
    std::string workbook = "xl/workbook.xml";

    void Start(std::string_view name, const XmlAttributes& attributes) override
    {
        if (name == "Override" && EndsWith(attributes.Raw("ContentType"), ".main+xml") &&
            attributes.Raw("ContentType").find("spreadsheetml") != std::string_view::npos)
            workbook = ResolveTarget("", attributes.Value("PartName"));
    }
    void End(std::string_view) override {}
};

// The relationship ids of the workbook's sheets, in the workbook's order,
// and whether the workbook asks to be calculated in full when it is opened:
// a writer that cannot calculate says so and saves a stand-in result (a 0)
// in every formula cell, so no saved result of it can be trusted.
class WorkbookSheets : public XmlPart
{
public:
    std::vector<std::string> ids;
    bool staleResults = false;

    void Start(std::string_view name, const XmlAttributes& attributes) override
    {
        if (name == "sheet") {
            ids.push_back(attributes.Value("id"));
        } else if (name == "calcPr") {
            const std::string_view full = attributes.Raw("fullCalcOnLoad");
            staleResults = full == "1" || full == "true";
        }
    }
    void End(std::string_view) override {}
};

// ---------------------------------------------------------------------------
// Shared strings and styles

// Collects the text of the <t> elements of a string item (<si> or <is>), the
// rich-text runs one after the other; phonetic runs (<rPh>) are guides to
// reading, not text of the cell.
class StringItem
{
public:
    void Start(std::string_view name)
    {
        if (name == "rPh")
            ++m_phonetic;
        else if (name == "t" && m_phonetic == 0)
            m_inText = true;
    }
    void End(std::string_view name)
    {
        if (name == "rPh")
            --m_phonetic;
        else if (name == "t")
            m_inText = false;
    }
    void Text(std::string_view text)
    {
        if (m_inText)
            m_text.append(text);
    }
    QString Take()
    {
        QString text = XText(m_text);
        m_text.clear();
        m_inText = false;
        m_phonetic = 0;
        return text;
    }

private:
    std::string m_text;
    bool m_inText = false;
    int m_phonetic = 0;
};

// The shared strings that cells of columns A to T show, `used` in increasing
// order; the others are passed over, and reading stops once every one used
// has been read.
class SharedStrings : public XmlPart
{
public:
    explicit SharedStrings(const std::vector<uint32_t>& used) : m_used(used)
    {
        if (m_used.empty())
            Finish();
        texts.reserve(m_used.size());
    }

    std::vector<QString> texts; // of the strings used, in their order
    // How many strings the table holds, as far as it had to be read.
    uint64_t count = 0;

    void Start(std::string_view name, const XmlAttributes&) override
    {
        if (name == "si") {
            m_inItem = true;
            m_keep = m_next < m_used.size() && m_used[m_next] == count;
        } else if (m_inItem) {
            m_item.Start(name);
        }
    }
    void End(std::string_view name) override
    {
        if (name == "si") {
            if (m_keep) {
                texts.push_back(m_item.Take());
                if (++m_next == m_used.size())
                    Finish();
            } else {
                m_item.Take();
            }
            ++count;
            m_inItem = m_keep = false;
        } else if (m_inItem) {
            m_item.End(name);
        }
    }
    void Text(std::string_view text) override
    {
        if (m_keep)
            m_item.Text(text);
    }

private:
    const std::vector<uint32_t>& m_used;
    size_t m_next = 0;
    StringItem m_item;
    bool m_inItem = false;
    bool m_keep = false;
};

// Which cell formats (the s="n" of a cell) show a date or a time.
class Styles : public XmlPart
{
public:
    std::vector<bool> dateFormats;

    void Start(std::string_view name, const XmlAttributes& attributes) override
    {
        if (name == "numFmt") {
            m_codes.push_back({ToInt(attributes.Raw("numFmtId"), -1), attributes.Value("formatCode")});
        } else if (name == "cellXfs") {
            m_inCellFormats = true;
        } else if (name == "xf" && m_inCellFormats) {
            const int id = ToInt(attributes.Raw("numFmtId"), 0);
            std::string_view code;
            for (const auto& [codeId, text] : m_codes)
                if (codeId == id)
                    code = text;
            dateFormats.push_back(IsDateFormat(id, code));
        }
    }
    void End(std::string_view name) override
    {
        if (name == "cellXfs")
            m_inCellFormats = false;
    }

private:
    std::vector<std::pair<int, std::string>> m_codes;
    bool m_inCellFormats = false;
};

// ---------------------------------------------------------------------------
// The worksheet

class Worksheet : public XmlPart
{
public:
    Worksheet(CellGrid& grid, const std::vector<bool>& dateFormats, bool staleResults)
        : m_grid(grid), m_dateFormats(dateFormats), m_staleResults(staleResults)
    {
    }

    void Start(std::string_view name, const XmlAttributes& attributes) override
    {
        if (!m_inData) {
            m_inData = name == "sheetData";
            if (name == "dimension")
                ExpectBlock(attributes.Raw("ref"));
            return;
        }
        if (m_inCell) {
            if (name == "v") {
                m_inValue = m_hasValue = true;
            } else if (name == "f") {
                m_hasFormula = true;
            } else if (name == "is") {
                m_inInline = true;
                m_hasValue = true;
            } else if (m_inInline) {
                m_item.Start(name);
            }
        } else if (name == "c") {
            StartCell(attributes);
        } else if (name == "row") {
            const std::string_view r = attributes.Raw("r");
            m_row = r.empty() ? m_row + 1 : ToInt(r, 0) - 1;
            if (m_row < 0)
                Damaged(
                    QStringLiteral("λάθος αριθμός γραμμής «%1»").arg(QString::fromUtf8(r.data(), r.size())));
            m_column = -1;
        }
    }

    void End(std::string_view name) override
    {
        if (!m_inData)
            return;
        if (name == "sheetData") {
            m_inData = false;
        } else if (name == "c") {
            EndCell();
        } else if (name == "v") {
            m_inValue = false;
        } else if (name == "is") {
            m_inInline = false;
        } else if (m_inInline) {
            m_item.End(name);
        }
    }

    void Text(std::string_view text) override
    {
        if (m_inValue)
            m_value.append(text);
        else if (m_inInline)
            m_item.Text(text);
    }

private:
    void StartCell(const XmlAttributes& attributes)
    {
        m_inCell = true;
        m_hasValue = m_hasFormula = m_inValue = m_inInline = false;
        m_value.clear();
        const std::string_view reference = attributes.Raw("r");
        if (reference.empty())
            ++m_column;
        else
            ReadReference(reference);
        m_type = attributes.Raw("t");
        const int style = ToInt(attributes.Raw("s"), 0);
        m_date = style >= 0 && static_cast<size_t>(style) < m_dateFormats.size() && m_dateFormats[style];
    }

    // The sheet's own word on its used block ("A1:T100000"), a hint only.
    void ExpectBlock(std::string_view range)
    {
        const size_t colon = range.find(':');
        if (colon == std::string_view::npos)
            return;
        int64_t rows = 0;
        int64_t columns = 0;
        std::string_view last = range.substr(colon + 1);
        for (; !last.empty() && last.front() >= 'A' && last.front() <= 'Z' && columns <= 16'384;
             last.remove_prefix(1))
            columns = columns * 26 + (last.front() - 'A' + 1);
        for (; !last.empty() && last.front() >= '0' && last.front() <= '9' && rows <= 1'048'576;
             last.remove_prefix(1))
            rows = rows * 10 + (last.front() - '0');
        if (last.empty())
            m_grid.Expect(rows, columns);
    }

    // "B7": column 1, row 6. The row is the cell's own even when its <row> says otherwise.
    void ReadReference(std::string_view reference)
    {
        size_t i = 0;
        int64_t column = 0;
        for (; i < reference.size() && reference[i] >= 'A' && reference[i] <= 'Z' && column <= 16'384; ++i)
            column = column * 26 + (reference[i] - 'A' + 1);
        int64_t row = 0;
        const size_t digits = i;
        for (; i < reference.size() && reference[i] >= '0' && reference[i] <= '9' && row <= 1'048'576; ++i)
            row = row * 10 + (reference[i] - '0');
        if (column == 0 || i == digits || i != reference.size() || row == 0)
            Damaged(QStringLiteral("λάθος διεύθυνση κελιού «%1»")
                        .arg(QString::fromUtf8(reference.data(), static_cast<qsizetype>(reference.size()))));
        m_column = column - 1;
        m_row = row - 1;
    }

    void EndCell()
    {
        m_inCell = false;
        const int64_t row = m_row;
        const int64_t column = m_column;
        if (CellGrid::Beyond(column)) {
            // Nothing past T is read, not even whether it could be.
            if (m_hasValue || m_hasFormula)
                m_grid.NoteBeyond(row);
            m_item.Take();
            return;
        }
        if (m_hasFormula && m_staleResults)
            CellGrid::RefuseUncalculated(row, column);
        if (m_type == "inlineStr") {
            QString text = m_item.Take();
            if (m_hasFormula)
                m_grid.NoteFormula(row, column, text);
            if (m_hasValue || m_hasFormula)
                m_grid.Put(row, column, std::move(text));
            return;
        }
        if (m_hasFormula && m_value.empty()) {
            // Empty text is a result; a number, a truth value or a string
            // reference left empty was never calculated.
            if (m_type != "str")
                CellGrid::RefuseUncalculated(row, column);
            m_grid.NoteFormula(row, column, QString());
            m_grid.Put(row, column, QString());
            return;
        }
        if (!m_hasValue)
            return; // a cell that only carries a format
        if (m_type.empty() || m_type == "n") {
            if (m_value.empty())
                return;
            if (m_date)
                CellGrid::RefuseDate(row, column);
            if (m_hasFormula)
                Put(row, column, NumberText(Number(row, column)));
            else
                m_grid.PutNumber(row, column, Number(row, column));
        } else if (m_type == "s") {
            const int index = ToInt(m_value, -1);
            if (index < 0)
                throw WorkbookError(QString::fromUtf8(message::MissingString)
                                        .arg(CellGrid::CellName(row, column))
                                        .toStdString());
            m_grid.PutShared(row, column, static_cast<uint32_t>(index), m_hasFormula);
        } else if (m_type == "str") {
            Put(row, column, XText(m_value));
        } else if (m_type == "b") {
            Put(row, column,
                m_value == "1" || m_value == "true" ? QStringLiteral("True") : QStringLiteral("False"));
        } else if (m_type == "e") {
            CellGrid::RefuseError(row, column, XText(m_value));
        } else if (m_type == "d") {
            CellGrid::RefuseDate(row, column);
        } else {
            Damaged(QStringLiteral("άγνωστο είδος κελιού «%1»")
                        .arg(QString::fromUtf8(m_type.data(), static_cast<qsizetype>(m_type.size()))));
        }
    }

    void Put(int64_t row, int64_t column, QString text)
    {
        if (m_hasFormula)
            m_grid.NoteFormula(row, column, text);
        m_grid.Put(row, column, std::move(text));
    }

    double Number(int64_t row, int64_t column) const
    {
        std::string_view text = m_value;
        while (!text.empty() && (text.front() == ' ' || text.front() == '\t' || text.front() == '\n'))
            text.remove_prefix(1);
        while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\n'))
            text.remove_suffix(1);
        if (text.starts_with('+'))
            text.remove_prefix(1);
        double value = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        // "inf", "nan" and a number too large for a double are read by
        // from_chars too, but are no amount.
        if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
            CellGrid::RefuseBadNumber(row, column, XText(m_value));
        return value;
    }

    CellGrid& m_grid;
    const std::vector<bool>& m_dateFormats;
    const bool m_staleResults;
    bool m_inData = false;
    bool m_inCell = false;
    bool m_inValue = false;
    bool m_inInline = false;
    bool m_hasValue = false;
    bool m_hasFormula = false;
    bool m_date = false;
    int64_t m_row = -1;
    int64_t m_column = -1;
    std::string m_type; // the t="..." of the cell being read
    std::string m_value;
    StringItem m_item;
};

// The name of the workbook part, through the package's relationships.
std::string WorkbookPart(const ZipPackage& package)
{
    const Relationships root(package, "");
    if (const Relationship* office = root.ByType("officeDocument");
        office && !package.Find(office->target).empty())
        return package.Find(office->target);
    return package.Find(ContentTypes(package).workbook);
}

} // namespace

Sheet ReadXlsxData(std::string_view data)
{
    const ZipPackage package(data, message::NotXlsx);
    const std::string workbook = WorkbookPart(package);
    if (workbook.empty())
        NotXlsx();
    WorkbookSheets sheets;
    ParseXmlMember(package, workbook, sheets, message::NotXlsx);
    const Relationships parts(package, workbook);

    // The first sheet that is a worksheet: a chart sheet has no cells.
    std::string sheetPart;
    for (const std::string& id : sheets.ids) {
        const Relationship* r = parts.ById(id);
        if (r && EndsWith(r->type, "/worksheet")) {
            sheetPart = package.Find(r->target);
            break;
        }
    }
    if (sheetPart.empty()) {
        if (sheets.ids.empty())
            NotXlsx();
        throw WorkbookError(message::NoWorksheet);
    }

    Styles styles;
    if (const Relationship* r = parts.ByType("styles"))
        ParseXmlMember(package, package.Find(r->target), styles, message::NotXlsx);
    CellGrid grid;
    // The shared strings are read after the sheet, and only those that
    // columns A to T show.
    const Relationship* stringsPart = parts.ByType("sharedStrings");
    const auto readStrings = [&](std::pair<int64_t, int64_t> before) {
        const std::vector<uint32_t> used = grid.SharedUsed();
        SharedStrings strings(used);
        if (stringsPart && !used.empty())
            ParseXmlMember(package, package.Find(stringsPart->target), strings, message::NotXlsx);
        grid.ResolveShared(used, strings.texts, strings.Finished() ? UINT64_MAX : strings.count, before);
    };
    Worksheet sheet(grid, styles.dateFormats, sheets.staleResults);
    try {
        if (!ParseXmlMember(package, sheetPart, sheet, message::NotXlsx))
            NotXlsx();
    } catch (const WorkbookRefusal& refusal) {
        // A text cell ahead of the refused one may be refused itself: the
        // first refused cell of the sheet is the one named.
        if (refusal.Row() >= 0)
            readStrings({refusal.Row(), refusal.Column()});
        throw;
    }
    readStrings({CellGrid::RowLimit, 0});
    return grid.TakeSheet();
}

} // namespace workbook
