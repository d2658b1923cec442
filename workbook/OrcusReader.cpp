// The .xlsx reader: liborcus parses the package and hands every cell
// of every sheet to the import interfaces below, which keep the values of the
// first sheet as texts and let the rest go by. Formula cells give the result
// saved with them.
#include "workbook/CellGrid.h"
#include "workbook/Messages.h"
#include "workbook/WorkbookData.h"
#include "workbook/ZipPackage.h"

#include <QDate>
#include <orcus/orcus_xlsx.hpp>
#include <orcus/spreadsheet/import_interface.hpp>

#include <cmath>
#include <string>
#include <unordered_map>
#include <vector>

namespace workbook {

namespace {

namespace iface = orcus::spreadsheet::iface;
using orcus::spreadsheet::col_t;
using orcus::spreadsheet::row_t;

QString Utf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString BooleanText(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

class SharedStrings : public iface::import_shared_strings
{
public:
    size_t append(std::string_view s) override
    {
        m_strings.push_back(Utf8(s));
        return m_strings.size() - 1;
    }
    size_t add(std::string_view s) override
    {
        auto [it, inserted] = m_index.try_emplace(std::string(s), m_strings.size());
        if (inserted)
            m_strings.push_back(Utf8(s));
        return it->second;
    }
    void set_segment_font(size_t) override {}
    void set_segment_bold(bool) override {}
    void set_segment_italic(bool) override {}
    void set_segment_font_name(std::string_view) override {}
    void set_segment_font_size(double) override {}
    void set_segment_font_color(orcus::spreadsheet::color_elem_t, orcus::spreadsheet::color_elem_t,
                                orcus::spreadsheet::color_elem_t, orcus::spreadsheet::color_elem_t) override
    {
    }
    void append_segment(std::string_view s) override { m_segments.append(s); }
    size_t commit_segments() override
    {
        const size_t index = append(m_segments);
        m_segments.clear();
        return index;
    }

    const QString* Find(size_t index) const { return index < m_strings.size() ? &m_strings[index] : nullptr; }

private:
    std::vector<QString> m_strings;
    std::unordered_map<std::string, size_t> m_index;
    std::string m_segments;
};

// The first sheet. Text cells refer to the shared strings, which a package
// may store after its sheets, so they are looked up once everything is read.
class FirstSheet : public iface::import_sheet,
                   private iface::import_formula,
                   private iface::import_array_formula
{
public:
    explicit FirstSheet(CellGrid& grid) : m_grid(grid) {}

    iface::import_formula* get_formula() override { return this; }
    iface::import_array_formula* get_array_formula() override { return this; }

    void set_auto(row_t row, col_t col, std::string_view s) override { Put(row, col, Utf8(s)); }
    void set_string(row_t row, col_t col, orcus::spreadsheet::string_id_t sindex) override
    {
        m_stringCells.push_back({row, col, sindex});
    }
    void set_value(row_t row, col_t col, double value) override { Put(row, col, NumberText(value)); }
    void set_bool(row_t row, col_t col, bool value) override { Put(row, col, BooleanText(value)); }
    // A date is the number of days since 30 December 1899 with the time of day
    // as its fraction, as the other formats store it.
    void set_date_time(row_t row, col_t col, int year, int month, int day, int hour, int minute,
                       double second) override
    {
        const QDate date(year, month, day);
        const double days = date.isValid() ? static_cast<double>(QDate(1899, 12, 30).daysTo(date)) : 0.0;
        set_value(row, col, days + (hour * 3600.0 + minute * 60.0 + second) / 86400.0);
    }
    void set_format(row_t, col_t, size_t) override {}
    void set_format(row_t, col_t, row_t, col_t, size_t) override {}
    void fill_down_cells(row_t src_row, col_t src_col, row_t range_size) override
    {
        if (m_lastRow != src_row || m_lastColumn != src_col)
            return; // the source cell holds no value
        const QString text = m_lastText;
        for (row_t i = 1; i <= range_size; ++i)
            Put(src_row + i, src_col, text);
    }
    orcus::spreadsheet::range_size_t get_sheet_size() const override { return {1'048'576, 16'384}; }

    // Text cells, once the shared strings are complete.
    void PutStrings(const SharedStrings& strings)
    {
        for (const StringCell& cell : m_stringCells) {
            const QString* text = strings.Find(cell.index);
            if (!text)
                throw WorkbookError(QString::fromUtf8(message::MissingString)
                                        .arg(CellGrid::CellName(cell.row, cell.column))
                                        .toStdString());
            m_grid.Put(cell.row, cell.column, *text);
        }
    }

private:
    void Put(row_t row, col_t col, QString text)
    {
        m_lastRow = row;
        m_lastColumn = col;
        m_lastText = text;
        m_grid.Put(row, col, std::move(text));
    }

    // import_formula: only the position and the saved result matter.
    void set_position(row_t row, col_t col) override
    {
        m_formulaRow = row;
        m_formulaColumn = col;
        m_formulaResult = false;
    }
    void set_formula(orcus::spreadsheet::formula_grammar_t, std::string_view) override {}
    void set_shared_formula_index(size_t) override {}
    void set_result_string(std::string_view value) override
    {
        m_formulaResult = true;
        Put(m_formulaRow, m_formulaColumn, Utf8(value));
    }
    void set_result_value(double value) override
    {
        m_formulaResult = true;
        set_value(m_formulaRow, m_formulaColumn, value);
    }
    void set_result_bool(bool value) override
    {
        m_formulaResult = true;
        set_bool(m_formulaRow, m_formulaColumn, value);
    }
    void set_result_empty() override
    {
        m_formulaResult = true;
        Put(m_formulaRow, m_formulaColumn, QString());
    }
    // A formula cell that comes without a result holds an error (#DIV/0!
    // ...), which the parser passes over, or was never calculated: either way
    // it has no value to read.
    void commit() override
    {
        if (!m_formulaResult)
            CellGrid::RefuseError(m_formulaRow, m_formulaColumn,
                                  QStringLiteral("χωρίς αποθηκευμένο αποτέλεσμα"));
    }

    // import_array_formula: each cell of the range gets its own result.
    void set_range(const orcus::spreadsheet::range_t&) override {}
    void set_result_string(row_t row, col_t col, std::string_view value) override
    {
        Put(row, col, Utf8(value));
    }
    void set_result_value(row_t row, col_t col, double value) override { set_value(row, col, value); }
    void set_result_bool(row_t row, col_t col, bool value) override { set_bool(row, col, value); }
    void set_result_empty(row_t row, col_t col) override { Put(row, col, QString()); }

    struct StringCell
    {
        row_t row;
        col_t column;
        size_t index;
    };
    CellGrid& m_grid;
    std::vector<StringCell> m_stringCells;
    row_t m_formulaRow = 0;
    col_t m_formulaColumn = 0;
    bool m_formulaResult = false;
    row_t m_lastRow = -1;
    col_t m_lastColumn = -1;
    QString m_lastText;
};

// Every sheet after the first: its cells, formulas included, are not wanted.
class IgnoredSheet : public iface::import_sheet,
                     private iface::import_formula,
                     private iface::import_array_formula
{
public:
    iface::import_formula* get_formula() override { return this; }
    iface::import_array_formula* get_array_formula() override { return this; }
    void set_position(row_t, col_t) override {}
    void set_formula(orcus::spreadsheet::formula_grammar_t, std::string_view) override {}
    void set_shared_formula_index(size_t) override {}
    void set_result_string(std::string_view) override {}
    void set_result_value(double) override {}
    void set_result_bool(bool) override {}
    void set_result_empty() override {}
    void commit() override {}
    void set_range(const orcus::spreadsheet::range_t&) override {}
    void set_result_string(row_t, col_t, std::string_view) override {}
    void set_result_value(row_t, col_t, double) override {}
    void set_result_bool(row_t, col_t, bool) override {}
    void set_result_empty(row_t, col_t) override {}

    void set_auto(row_t, col_t, std::string_view) override {}
    void set_string(row_t, col_t, orcus::spreadsheet::string_id_t) override {}
    void set_value(row_t, col_t, double) override {}
    void set_bool(row_t, col_t, bool) override {}
    void set_date_time(row_t, col_t, int, int, int, int, int, double) override {}
    void set_format(row_t, col_t, size_t) override {}
    void set_format(row_t, col_t, row_t, col_t, size_t) override {}
    void fill_down_cells(row_t, col_t, row_t) override {}
    orcus::spreadsheet::range_size_t get_sheet_size() const override { return {1'048'576, 16'384}; }
};

class GlobalSettings : public iface::import_global_settings
{
public:
    void set_origin_date(int, int, int) override {}
    void set_default_formula_grammar(orcus::spreadsheet::formula_grammar_t grammar) override
    {
        m_grammar = grammar;
    }
    orcus::spreadsheet::formula_grammar_t get_default_formula_grammar() const override { return m_grammar; }
    void set_character_set(orcus::character_set_t) override {}

private:
    orcus::spreadsheet::formula_grammar_t m_grammar = orcus::spreadsheet::formula_grammar_t::unknown;
};

// Cell addresses of the A1 style ("B7", "$AA$10", "A1:T20") as the package
// writes them; a sheet name in front ("Φύλλο1!A1") is not needed here.
class ReferenceResolver : public iface::import_reference_resolver
{
public:
    orcus::spreadsheet::src_address_t resolve_address(std::string_view address) override
    {
        if (const size_t bang = address.rfind('!'); bang != std::string_view::npos)
            address.remove_prefix(bang + 1);
        size_t i = 0;
        int64_t column = 0;
        int64_t row = 0;
        auto skipDollar = [&] {
            if (i < address.size() && address[i] == '$')
                ++i;
        };
        skipDollar();
        const size_t lettersStart = i;
        for (; i < address.size() && address[i] >= 'A' && address[i] <= 'Z' && column <= ColumnLimit; ++i)
            column = column * 26 + (address[i] - 'A' + 1);
        skipDollar();
        const size_t digitsStart = i;
        for (; i < address.size() && address[i] >= '0' && address[i] <= '9' && row <= RowLimit; ++i)
            row = row * 10 + (address[i] - '0');
        if (i == lettersStart || digitsStart == i || i != address.size() || column == 0 || row == 0 ||
            column > ColumnLimit || row > RowLimit)
            throw WorkbookError(QString::fromUtf8(message::Damaged)
                                    .arg(QStringLiteral("λάθος διεύθυνση κελιού «%1»").arg(Utf8(address)))
                                    .toStdString());
        return {0, static_cast<row_t>(row - 1), static_cast<col_t>(column - 1)};
    }
    orcus::spreadsheet::src_range_t resolve_range(std::string_view range) override
    {
        const size_t colon = range.find(':');
        if (colon == std::string_view::npos) {
            const auto address = resolve_address(range);
            return {address, address};
        }
        return {resolve_address(range.substr(0, colon)), resolve_address(range.substr(colon + 1))};
    }

private:
    static constexpr int64_t RowLimit = 1'048'576;
    static constexpr int64_t ColumnLimit = 16'384;
};

class Factory : public iface::import_factory
{
public:
    iface::import_global_settings* get_global_settings() override { return &m_settings; }
    iface::import_shared_strings* get_shared_strings() override { return &m_strings; }
    iface::import_reference_resolver*
    get_reference_resolver(orcus::spreadsheet::formula_ref_context_t) override
    {
        return &m_resolver;
    }

    iface::import_sheet* append_sheet(orcus::spreadsheet::sheet_t index, std::string_view name) override
    {
        if (m_sheets == 0 && index == 0) {
            m_firstName = std::string(name);
            ++m_sheets;
            return &m_first;
        }
        ++m_sheets;
        return &m_ignored;
    }
    iface::import_sheet* get_sheet(std::string_view name) override
    {
        if (m_sheets == 0)
            return nullptr;
        return name == m_firstName ? static_cast<iface::import_sheet*>(&m_first) : &m_ignored;
    }
    iface::import_sheet* get_sheet(orcus::spreadsheet::sheet_t index) override
    {
        if (index < 0 || index >= m_sheets)
            return nullptr;
        return index == 0 ? static_cast<iface::import_sheet*>(&m_first) : &m_ignored;
    }
    void finalize() override {}

    // `notThisKind` for a package without a single sheet: no spreadsheet
    // program writes one, so it is some other kind of zip archive.
    Sheet TakeSheet(const char* notThisKind)
    {
        if (m_sheets == 0)
            throw WorkbookError(notThisKind);
        m_first.PutStrings(m_strings);
        return m_grid.TakeSheet();
    }

private:
    GlobalSettings m_settings;
    ReferenceResolver m_resolver;
    SharedStrings m_strings;
    CellGrid m_grid;
    FirstSheet m_first{m_grid};
    IgnoredSheet m_ignored;
    std::string m_firstName;
    int m_sheets = 0;
};

} // namespace

Sheet ReadXlsxData(std::string_view data)
{
    ZipPackage(data, message::NotXlsx).CheckXmlMembers();
    Factory factory;
    // The parser says what went wrong in its own terms (a member missing, a
    // reference it cannot follow): to the person the file is simply not a
    // readable .xlsx workbook.
    GuardZipErrors(message::NotXlsx, [&] {
        orcus::orcus_xlsx filter(&factory);
        filter.read_stream(data);
        return 0;
    });
    return factory.TakeSheet(message::NotXlsx);
}

} // namespace workbook
