// The .ods reader: the package's content.xml walked as it is inflated, up to
// the end of its first table, so that neither the whole content nor a later
// sheet is ever held or even read. Read here rather than through liborcus's
// import filter, which keeps only the last paragraph of a cell of several
// lines, drops the spaces a cell begins with and the saved text of a formula
// cell: each of those would change a row without a word.
#include "workbook/CellGrid.h"
#include "workbook/Messages.h"
#include "workbook/WorkbookData.h"
#include "workbook/XmlPart.h"
#include "workbook/ZipPackage.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace workbook {

namespace {

constexpr std::string_view TableNs = "urn:oasis:names:tc:opendocument:xmlns:table:1.0";
constexpr std::string_view OfficeNs = "urn:oasis:names:tc:opendocument:xmlns:office:1.0";
constexpr std::string_view TextNs = "urn:oasis:names:tc:opendocument:xmlns:text:1.0";
constexpr std::string_view CalcExtNs = "urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0";

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Plain digits are read on the spot; anything else (blanks around them, a
// plus sign) goes through Qt's reading of numbers, which the sheets have
// always been read with.
std::optional<int64_t> Integer(std::string_view text)
{
    if (!text.empty() && text.size() <= 18 && std::all_of(text.begin(), text.end(), IsDigit)) {
        int64_t value = 0;
        std::from_chars(text.data(), text.data() + text.size(), value);
        return value;
    }
    bool ok = false;
    const qlonglong value =
        QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).toLongLong(&ok);
    return ok ? std::optional<int64_t>(value) : std::nullopt;
}

// "-12.5", "1e-7": the form every writer gives a cell's value.
bool PlainDecimal(std::string_view text)
{
    size_t i = text.starts_with('-') ? 1 : 0;
    auto digits = [&] {
        const size_t from = i;
        while (i < text.size() && IsDigit(text[i]))
            ++i;
        return i > from;
    };
    if (!digits())
        return false;
    if (i < text.size() && text[i] == '.' && (++i, !digits()))
        return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '-' || text[i] == '+'))
            ++i;
        if (!digits())
            return false;
    }
    return i == text.size();
}

// The value of a number cell; nothing for one no reading of numbers accepts
// or one that is no finite number.
std::optional<double> Decimal(std::string_view text)
{
    auto finite = [](double value, bool ok) {
        return ok && std::isfinite(value) ? std::optional(value) : std::nullopt;
    };
    auto byQt = [&] {
        bool ok = false;
        const double value =
            QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).toDouble(&ok);
        return finite(value, ok);
    };
    if (!PlainDecimal(text))
        return byQt();
    // An amount of at most 15 digits without an exponent is its digits over a
    // power of ten, both exact in a double: the one division rounds as a full
    // reading of the text does, at a fraction of its cost.
    static constexpr double tens[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                      1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    const bool negative = text.starts_with('-');
    uint64_t digits = 0;
    int significant = 0;
    size_t decimals = 0;
    bool fraction = false;
    bool exponent = false;
    for (const char c : text.substr(negative ? 1 : 0)) {
        if (c == '.') {
            fraction = true;
        } else if (IsDigit(c)) {
            significant += digits != 0 || c != '0';
            digits = digits * 10 + static_cast<uint64_t>(c - '0');
            decimals += fraction;
        } else {
            exponent = true;
            break;
        }
    }
    if (!exponent && significant <= 15 && decimals < std::size(tens)) {
        const double value = static_cast<double>(digits) / tens[decimals];
        return negative ? -value : value;
    }
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() ? finite(value, true) : byQt();
}

// One text for each string however many cells hold it, so that the grid
// holds it once: a sheet of one department repeats its towns and streets.
class Texts
{
public:
    QString Of(std::string_view utf8)
    {
        if (utf8.empty())
            return {};
        if (const auto found = m_known.find(utf8); found != m_known.end())
            return found->second;
        QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
        // Kept within bounds; a sheet of distinct texts starts the list anew.
        if (m_known.size() >= (1 << 16))
            m_known.clear();
        m_known.emplace(utf8, text);
        return text;
    }

private:
    struct Hash
    {
        using is_transparent = void;
        size_t operator()(std::string_view text) const { return std::hash<std::string_view>()(text); }
    };
    std::unordered_map<std::string, QString, Hash, std::equal_to<>> m_known;
};

// The elements are told apart by namespace as well as by name: a writer's
// own <x:p> or <x:s> inside a cell is not a paragraph or a run of spaces.
class OdsContent : public XmlPart
{
public:
    bool NamespacesMatter() const override { return true; }

    void Start(std::string_view name, const XmlAttributes& attributes) override
    {
        if (m_skipped > 0) {
            ++m_skipped;
            return;
        }
        const std::string_view ns = attributes.ElementNamespace();
        switch (m_open.empty() ? Element::Container : m_open.back()) {
        case Element::Container:
            // Up to the first table, the way leads through the document, its body and its spreadsheet.
            if (name == "table" && ns == TableNs) {
                m_tableFound = true;
                m_open.push_back(Element::Table);
            } else if ((name == "document-content" || name == "body" || name == "spreadsheet") &&
                       ns == OfficeNs) {
                m_open.push_back(Element::Container);
            } else if (m_open.empty()) {
                throw WorkbookError(message::NotOds); // a document of another kind
            } else {
                Skip();
            }
            break;
        case Element::Table:
        case Element::Rows:
            // Rows may stand in groups and header sections; a row counts wherever it stands.
            if (name == "table-row" && ns == TableNs)
                StartRow(attributes);
            else if ((name == "table-row-group" || name == "table-header-rows" || name == "table-rows") &&
                     ns == TableNs)
                m_open.push_back(Element::Rows);
            else
                Skip();
            break;
        case Element::Row:
            if ((name == "table-cell" || name == "covered-table-cell") && ns == TableNs)
                StartCell(attributes);
            else
                Skip();
            break;
        case Element::Cell:
            if ((name == "p" || name == "h") && ns == TextNs)
                StartParagraph();
            else
                Skip(); // comments, shapes
            break;
        case Element::Paragraph:
            StartInline(name, ns, attributes);
            break;
        }
    }

    void End(std::string_view) override
    {
        if (m_skipped > 0) {
            --m_skipped;
            return;
        }
        const Element closed = m_open.back();
        m_open.pop_back();
        if (closed == Element::Row)
            EndRow();
        else if (closed == Element::Cell)
            EndCell();
        else if (closed == Element::Table || closed == Element::Container)
            Finish(); // the first table read, or none before its container ends
    }

    void Text(std::string_view text) override
    {
        if (m_skipped > 0 || !m_wantText || m_open.empty() || m_open.back() != Element::Paragraph)
            return;
        // Runs of blanks in the XML count as one blank and none at the start
        // of a paragraph; the spaces a cell really holds are <text:s text:c="n"/>.
        while (!text.empty()) {
            const size_t blank = text.find_first_of(" \t\n\r");
            if (blank != 0) {
                m_text.append(text.substr(0, blank));
                m_afterBlank = false;
                if (blank == std::string_view::npos)
                    return;
            }
            if (!m_afterBlank)
                m_text.push_back(' ');
            m_afterBlank = true;
            text.remove_prefix(blank + 1);
        }
    }

    Sheet TakeSheet()
    {
        if (!m_tableFound)
            throw WorkbookError(message::NoWorksheet);
        return m_grid.TakeSheet();
    }

private:
    // The kinds of element read; spans, links and fields inside a paragraph
    // are read as the paragraph itself.
    enum class Element : uint8_t { Container, Table, Rows, Row, Cell, Paragraph };

    void Skip() { m_skipped = 1; }

    static int64_t Repeat(const XmlAttributes& attributes, std::string_view name)
    {
        const std::optional<int64_t> n = Integer(attributes.Raw(name, TableNs));
        // More than any sheet holds is as good as the most it holds.
        return n && *n > 0 ? std::min<int64_t>(*n, 1 << 24) : 1;
    }

    void StartRow(const XmlAttributes& attributes)
    {
        m_open.push_back(Element::Row);
        m_rowRepeat = Repeat(attributes, "number-rows-repeated");
        m_values.clear();
        m_rowBeyond = false;
        m_column = 0;
    }

    void EndRow()
    {
        if (m_rowBeyond)
            m_grid.NoteBeyond(m_row + m_rowRepeat - 1);
        for (int64_t i = 0; i < m_rowRepeat && !m_values.empty(); ++i)
            for (const Value& value : m_values)
                if (value.isNumber)
                    m_grid.PutNumber(m_row + i, value.column, value.number);
                else
                    m_grid.Put(m_row + i, value.column, value.text);
        m_row += m_rowRepeat;
    }

    void StartCell(const XmlAttributes& attributes)
    {
        m_open.push_back(Element::Cell);
        m_cellColumns = Repeat(attributes, "number-columns-repeated");
        const std::string_view type = attributes.Raw("value-type", OfficeNs);
        m_typed = !type.empty();
        m_formula = attributes.Has("formula", TableNs);
        m_value = {};
        m_text.clear();
        m_firstParagraph = true;
        m_paragraphs = false;
        m_beyond = CellGrid::Beyond(m_column);
        if (m_beyond) {
            // Nothing past T is read, not even whether it could be.
            m_rowBeyond = m_rowBeyond || m_typed || m_formula || attributes.Has("value-type", CalcExtNs);
            m_error = m_hasValue = m_wantText = false;
            return;
        }
        m_error = attributes.Raw("value-type", CalcExtNs) == "error";
        m_hasValue = true;
        if (type == "float" || type == "percentage" || type == "currency") {
            if (!attributes.Has("value", OfficeNs)) {
                if (m_formula)
                    CellGrid::RefuseUncalculated(m_row, m_column);
                CellGrid::RefuseMissingValue(m_row, m_column, QString::fromUtf8(type.data(), type.size()));
            }
            const std::string_view value = attributes.Raw("value", OfficeNs);
            const std::optional<double> number = Decimal(value);
            if (!number)
                CellGrid::RefuseBadNumber(m_row, m_column, QString::fromUtf8(value.data(), value.size()));
            m_value.isNumber = true;
            m_value.number = *number;
        } else if (type == "date" || type == "time") {
            CellGrid::RefuseDate(m_row, m_column);
        } else if (type == "boolean") {
            const std::string_view value = attributes.Raw("boolean-value", OfficeNs);
            if (value != "true" && value != "false")
                CellGrid::RefuseMissingValue(m_row, m_column, QStringLiteral("boolean"));
            m_value.text = value == "true" ? QStringLiteral("True") : QStringLiteral("False");
        } else if (type == "string" && attributes.Has("string-value", OfficeNs)) {
            m_value.text = m_texts.Of(attributes.Value("string-value", OfficeNs));
        } else {
            m_hasValue = false;
        }
        // The text shown is wanted for an error and for a value given only as
        // text: a cell of text may declare no value type at all (a link, as
        // some writers save it), and still holds that text.
        m_wantText = m_error || !m_hasValue;
    }

    void StartParagraph()
    {
        m_open.push_back(Element::Paragraph);
        m_paragraphs = true;
        if (m_wantText && !m_firstParagraph)
            m_text.push_back('\n');
        m_firstParagraph = false;
        m_afterBlank = true;
    }

    void StartInline(std::string_view name, std::string_view ns, const XmlAttributes& attributes)
    {
        if (ns == TextNs && name == "s") {
            const std::optional<int64_t> n = Integer(attributes.Raw("c", TextNs));
            if (m_wantText)
                m_text.append(static_cast<size_t>(n && *n > 0 ? std::min<int64_t>(*n, 1024) : 1), ' ');
            m_afterBlank = false;
            Skip();
        } else if (ns == TextNs && name == "tab") {
            if (m_wantText)
                m_text.push_back('\t');
            m_afterBlank = false;
            Skip();
        } else if (ns == TextNs && name == "line-break") {
            if (m_wantText)
                m_text.push_back('\n');
            m_afterBlank = true;
            Skip();
        } else if ((ns == OfficeNs && name == "annotation") || (ns == TextNs && name == "note")) {
            Skip();
        } else {
            m_open.push_back(Element::Paragraph);
        }
    }

    void EndCell()
    {
        if (m_beyond) {
            m_column += m_cellColumns;
            return;
        }
        // A cell repeated across T holds the row's fields up to T only.
        if (CellGrid::Beyond(m_column + m_cellColumns - 1)) {
            m_rowBeyond = m_rowBeyond || m_hasValue || m_typed || m_formula || !m_text.empty();
            m_cellColumns = CellGrid::ReadColumns - m_column;
        }
        // A formula whose result is empty text is saved with an empty
        // paragraph and no value type; with neither it has no result at all.
        if (m_formula && !m_typed && !m_error && !m_paragraphs)
            CellGrid::RefuseUncalculated(m_row, m_column);
        if (m_error)
            CellGrid::RefuseError(m_row, m_column,
                                  QString::fromUtf8(m_text.data(), static_cast<qsizetype>(m_text.size())));
        if (!m_hasValue && (m_typed || !m_text.empty())) {
            m_value.text = m_texts.Of(m_text);
            m_hasValue = true;
        }
        // Empty text is also what a writer that never calculates might leave:
        // the grid tells the two apart by the other formulas.
        if (m_formula) {
            m_hasValue = true;
            m_grid.NoteFormula(m_row, m_column, m_value.isNumber ? NumberText(m_value.number) : m_value.text);
        }
        if (m_hasValue) {
            // Refused before the row holds a copy for every column a cell
            // claims: a few bytes could otherwise claim a gigabyte.
            CellGrid::CheckPlace(m_row, m_column + m_cellColumns - 1);
            if (static_cast<int64_t>(m_values.size()) + m_cellColumns > CellGrid::MaxCells)
                CellGrid::RefuseSize(m_row + 1, m_column + m_cellColumns);
            for (int64_t i = 0; i < m_cellColumns; ++i) {
                m_value.column = m_column + i;
                m_values.push_back(m_value);
            }
        }
        m_column += m_cellColumns;
    }

    struct Value
    {
        int64_t column = 0;
        bool isNumber = false;
        double number = 0;
        QString text;
    };

    CellGrid m_grid;
    Texts m_texts;
    std::vector<Element> m_open; // the elements read, from the document down
    int64_t m_skipped = 0;       // how deep inside an element passed over
    bool m_tableFound = false;

    int64_t m_row = 0;
    int64_t m_rowRepeat = 1;
    std::vector<Value> m_values; // the row's cells, put in place when it ends

    int64_t m_column = 0;
    int64_t m_cellColumns = 1;
    bool m_typed = false;
    bool m_beyond = false;    // the cell lies past T
    bool m_rowBeyond = false; // some cell of the row past T holds something
    bool m_error = false;
    bool m_formula = false;
    bool m_hasValue = false;
    Value m_value;

    bool m_wantText = false;
    bool m_firstParagraph = true;
    bool m_paragraphs = false; // the cell has a paragraph, even an empty one
    bool m_afterBlank = true;
    std::string m_text; // the text the cell shows, UTF-8
};

} // namespace

Sheet ReadOdsData(std::string_view data)
{
    const ZipPackage package(data, message::NotOds);
    OdsContent content;
    if (!ParseXmlMember(package, "content.xml", content, message::NotOds))
        throw WorkbookError(message::NotOds);
    return content.TakeSheet();
}

Sheet ReadOdsContent(std::string_view xml)
{
    OdsContent content;
    ParseXml(xml, content, message::NotOds);
    return content.TakeSheet();
}

} // namespace workbook
