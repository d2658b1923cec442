// The .ods reader: content.xml taken out of the package and walked with Qt's XML stream reader. Read here
// rather than through liborcus's import filter, which keeps only the last paragraph of a cell of several
// lines, drops the spaces a cell begins with and the saved text of a formula cell: each of those would change
// a row without a word.
#include "workbook/CellGrid.h"
#include "workbook/Messages.h"
#include "workbook/WorkbookData.h"
#include "workbook/ZipPackage.h"

#include <QBuffer>
#include <QHash>
#include <QXmlStreamReader>

#include <optional>
#include <vector>

namespace workbook {

namespace {

const QString TableNs = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:table:1.0");
const QString OfficeNs = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:office:1.0");
const QString TextNs = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:text:1.0");
const QString CalcExtNs =
    QStringLiteral("urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0");

QStringView Attribute(const QXmlStreamAttributes& attributes, const QString& ns, QStringView name)
{
    return attributes.value(ns, name.toString());
}

[[noreturn]] void NotOds()
{
    throw WorkbookError(message::NotOds);
}

class OdsReader
{
public:
    // The XML reader takes the content through a device, a block at a time:
    // given the bytes at once, it would turn all of them into UTF-16 first.
    explicit OdsReader(std::string_view content)
        : m_bytes(QByteArray::fromRawData(content.data(), static_cast<qsizetype>(content.size()))),
          m_device(&m_bytes)
    {
        m_device.open(QIODevice::ReadOnly);
        m_xml.setDevice(&m_device);
    }

    Sheet Read()
    {
        while (m_xml.readNextStartElement()) {
            if (Is(TableNs, u"table")) {
                ReadTable();
                return m_grid.TakeSheet();
            }
            if (!(Is(OfficeNs, u"document-content") || Is(OfficeNs, u"body") || Is(OfficeNs, u"spreadsheet")))
                m_xml.skipCurrentElement();
        }
        Check();
        throw WorkbookError(message::NoWorksheet);
    }

private:
    bool Is(const QString& ns, QStringView name) const
    {
        return m_xml.namespaceUri() == ns && m_xml.name() == name;
    }

    void Check()
    {
        if (m_xml.hasError())
            NotOds();
    }

    int64_t Repeat(QStringView attribute)
    {
        const QStringView text = Attribute(m_xml.attributes(), TableNs, attribute);
        if (text.isEmpty())
            return 1;
        bool ok = false;
        const qlonglong n = text.toLongLong(&ok);
        // More than any sheet holds is as good as the most it holds.
        return ok && n > 0 ? std::min<qlonglong>(n, 1 << 24) : 1;
    }

    // Rows may stand in groups and header sections; a row counts wherever it stands.
    void ReadTable()
    {
        while (m_xml.readNextStartElement()) {
            if (Is(TableNs, u"table-row"))
                ReadRow();
            else if (Is(TableNs, u"table-row-group") || Is(TableNs, u"table-header-rows") ||
                     Is(TableNs, u"table-rows"))
                ReadTable();
            else
                m_xml.skipCurrentElement();
        }
        Check();
    }

    void ReadRow()
    {
        const int64_t repeat = Repeat(u"number-rows-repeated");
        struct Value
        {
            int64_t column;
            QString text;
        };
        std::vector<Value> values;
        int64_t column = 0;
        while (m_xml.readNextStartElement()) {
            if (!Is(TableNs, u"table-cell") && !Is(TableNs, u"covered-table-cell")) {
                m_xml.skipCurrentElement();
                continue;
            }
            const int64_t columns = Repeat(u"number-columns-repeated");
            if (std::optional<QString> text = ReadCell(column)) {
                if (static_cast<int64_t>(values.size()) + columns > CellGrid::MaxCells)
                    CellGrid::RefuseSize(m_row + 1, column + columns);
                for (int64_t i = 0; i < columns; ++i)
                    values.push_back({column + i, *text});
            }
            column += columns;
        }
        Check();
        for (int64_t i = 0; i < repeat && !values.empty(); ++i)
            for (const Value& value : values)
                m_grid.Put(m_row + i, value.column, value.text);
        m_row += repeat;
    }

    // The cell's value, or nothing for a cell without one.
    std::optional<QString> ReadCell(int64_t column)
    {
        const QXmlStreamAttributes attributes = m_xml.attributes();
        const QStringView type = Attribute(attributes, OfficeNs, u"value-type");
        const bool error = Attribute(attributes, CalcExtNs, u"value-type") == u"error";
        const bool formula = attributes.hasAttribute(TableNs, QStringLiteral("formula"));
        auto has = [&](const char* name) {
            return attributes.hasAttribute(OfficeNs, QString::fromLatin1(name));
        };
        std::optional<QString> value;
        if (type == u"float" || type == u"percentage" || type == u"currency") {
            if (formula && !has("value"))
                CellGrid::RefuseUncalculated(m_row, column);
            value = Number(Attribute(attributes, OfficeNs, u"value").toDouble());
        } else if (type == u"date" || type == u"time") {
            CellGrid::RefuseDate(m_row, column);
        } else if (type == u"boolean") {
            value = Attribute(attributes, OfficeNs, u"boolean-value") == u"true" ? QStringLiteral("True")
                                                                                 : QStringLiteral("False");
        } else if (type == u"string" && has("string-value")) {
            value = Attribute(attributes, OfficeNs, u"string-value").toString();
        }

        const QString shown = ReadParagraphs();
        if (error)
            CellGrid::RefuseError(m_row, column, shown);
        if (!value && !type.isEmpty())
            value = shown;
        // A formula without a value type gives empty text, or was never
        // calculated: the grid tells the two apart by the other formulas.
        if (formula) {
            if (!value)
                value = QString();
            m_grid.NoteFormula(m_row, column, *value);
        }
        return value;
    }

    // The text of a cell: its paragraphs one to a line. Runs of blanks in the
    // XML count as one blank and none at the start of a paragraph; the
    // spaces a cell really holds are written as <text:s text:c="n"/>.
    QString ReadParagraphs()
    {
        QString text;
        bool first = true;
        while (m_xml.readNextStartElement()) {
            if (Is(TextNs, u"p") || Is(TextNs, u"h")) {
                if (!first)
                    text.append(u'\n');
                first = false;
                bool afterBlank = true;
                ReadInline(text, afterBlank);
            } else {
                m_xml.skipCurrentElement(); // comments, shapes
            }
        }
        Check();
        return text;
    }

    void ReadInline(QString& text, bool& afterBlank)
    {
        while (!m_xml.atEnd()) {
            switch (m_xml.readNext()) {
            case QXmlStreamReader::Characters:
                for (QChar c : m_xml.text()) {
                    if (c == u' ' || c == u'\t' || c == u'\n' || c == u'\r') {
                        if (!afterBlank)
                            text.append(u' ');
                        afterBlank = true;
                    } else {
                        text.append(c);
                        afterBlank = false;
                    }
                }
                break;
            case QXmlStreamReader::StartElement:
                if (Is(TextNs, u"s")) {
                    text.append(QString(static_cast<qsizetype>(std::min<int64_t>(Count(), 1024)), u' '));
                    afterBlank = false;
                    m_xml.skipCurrentElement();
                } else if (Is(TextNs, u"tab")) {
                    text.append(u'\t');
                    afterBlank = false;
                    m_xml.skipCurrentElement();
                } else if (Is(TextNs, u"line-break")) {
                    text.append(u'\n');
                    afterBlank = true;
                    m_xml.skipCurrentElement();
                } else if (Is(OfficeNs, u"annotation") || Is(TextNs, u"note")) {
                    m_xml.skipCurrentElement();
                } else {
                    ReadInline(text, afterBlank); // spans, links, fields
                }
                break;
            case QXmlStreamReader::EndElement:
                return;
            default:
                break;
            }
        }
        Check();
    }

    int64_t Count()
    {
        const QStringView text = Attribute(m_xml.attributes(), TextNs, u"c");
        bool ok = false;
        const qlonglong n = text.toLongLong(&ok);
        return ok && n > 0 ? n : 1;
    }

    // One text for each amount however many cells hold it, so that the grid holds it once.
    QString Number(double value)
    {
        if (const auto found = m_numbers.constFind(value); found != m_numbers.constEnd())
            return *found;
        QString text = NumberText(value);
        if (m_numbers.size() < (1 << 16))
            m_numbers.insert(value, text);
        return text;
    }

    QByteArray m_bytes;
    QBuffer m_device;
    QXmlStreamReader m_xml;
    QHash<double, QString> m_numbers;
    CellGrid m_grid;
    int64_t m_row = 0;
};

} // namespace

Sheet ReadOdsData(std::string_view data)
{
    std::vector<unsigned char> content;
    if (!ZipPackage(data, message::NotOds).Read("content.xml", content))
        NotOds();
    return ReadOdsContent(std::string_view(reinterpret_cast<const char*>(content.data()), content.size()));
}

Sheet ReadOdsContent(std::string_view content)
{
    return OdsReader(content).Read();
}

} // namespace workbook
