"""Small .xlsx packages built by hand for what no writer above makes: every
cell type of a worksheet in one file, and the cells a reader must refuse."""
import os
import zipfile
from xml.sax.saxutils import escape

import cases

CONTENT_TYPES = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">
<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>
<Default Extension="xml" ContentType="application/xml"/>
<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>
<Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>
<Override PartName="/xl/sharedStrings.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"/>
<Override PartName="/xl/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml"/>
</Types>"""
ROOT_RELS = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/>
</Relationships>"""
WORKBOOK = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">
<sheets><sheet name="Φύλλο1" sheetId="1" r:id="rId7"/></sheets>
</workbook>"""
WORKBOOK_RELS = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings" Target="sharedStrings.xml"/>
<Relationship Id="rId3" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles" Target="styles.xml"/>
<Relationship Id="rId7" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/>
</Relationships>"""
# Style 0 general, 1 the built-in day-month-year format 14, 2 a format of the file's own ("d/m").
STYLES = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">
<numFmts count="1"><numFmt numFmtId="164" formatCode="d/m"/></numFmts>
<fonts count="1"><font><sz val="11"/><name val="Calibri"/></font></fonts>
<fills count="2"><fill><patternFill patternType="none"/></fill><fill><patternFill patternType="gray125"/></fill></fills>
<borders count="1"><border><left/><right/><top/><bottom/><diagonal/></border></borders>
<cellStyleXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/></cellStyleXfs>
<cellXfs count="3"><xf numFmtId="0" fontId="0" fillId="0" borderId="0" xfId="0"/>\
<xf numFmtId="14" fontId="0" fillId="0" borderId="0" xfId="0" applyNumberFormat="1"/>\
<xf numFmtId="164" fontId="0" fillId="0" borderId="0" xfId="0" applyNumberFormat="1"/></cellXfs>
</styleSheet>"""
# Shared strings: plain, rich text runs, a phonetic reading that is no part of
# the text, and blanks kept by xml:space.
SHARED = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" count="5" uniqueCount="5">
<si><t>ΑΘΗΝΑ</t></si>
<si><r><t>ΠΑΠΑ</t></r><r><rPr><b/><sz val="11"/></rPr><t>ΔΟΠΟΥΛΟΣ</t></r></si>
<si><t>ΚΩΣΤΑΣ</t><rPh sb="0" eb="6"><t>ΦΩΝΗΤΙΚΑ</t></rPh><phoneticPr fontId="0" type="noConversion"/></si>
<si><t xml:space="preserve">  ΔΥΟ ΚΕΝΑ  </t></si>
<si><t>ΕΠΩΝΥΜΟ</t></si>
</sst>"""

# One row of every cell type and its expected text (the test keeps the same table).
CELL_TYPES = [
    ('t="b"><v>1</v>', "True"),
    ('t="b"><v>0</v>', "False"),
    ('t="n"><v>1234.5</v>', "1234,5"),
    ('><v>10</v>', "10"),
    ('><v>1.0E-3</v>', "0,001"),
    ('t="s"><v>0</v>', "ΑΘΗΝΑ"),
    ('t="s"><v>1</v>', "ΠΑΠΑΔΟΠΟΥΛΟΣ"),
    ('t="s"><v>2</v>', "ΚΩΣΤΑΣ"),
    ('t="s"><v>3</v>', "  ΔΥΟ ΚΕΝΑ  "),
    ('t="inlineStr"><is><t>01234</t></is>', "01234"),
    ('t="inlineStr"><is><r><t xml:space="preserve">ΟΔΟΣ </t></r><r><rPr><i/></rPr><t>ΕΡΜΟΥ</t></r></is>', "ΟΔΟΣ ΕΡΜΟΥ"),
    ('t="inlineStr"><is><t>ΝΙΚΟΣ</t><rPh sb="0" eb="5"><t>ΦΩΝ</t></rPh></is>', "ΝΙΚΟΣ"),
    ('t="str"><v>ΧΩΡΙΣ ΤΥΠΟ</v>', "ΧΩΡΙΣ ΤΥΠΟ"),
    ('t="str"><f>"ΑΒ"&amp;"Γ"</f><v>ΑΒΓ</v>', "ΑΒΓ"),
    ('t="s"><f>"ΕΠΩΝ"&amp;"ΥΜΟ"</f><v>4</v>', "ΕΠΩΝΥΜΟ"),
    ('><f>2*3</f><v>6</v>', "6"),
    ('t="n"><f>1/4</f><v>0.25</v>', "0,25"),
    ('t="str"><v xml:space="preserve"> ΚΕΝΟ ΜΠΡΟΣΤΑ</v>', " ΚΕΝΟ ΜΠΡΟΣΤΑ"),
    ('t="inlineStr"><is><t xml:space="preserve">ΤΕΛΟΣ </t></is>', "ΤΕΛΟΣ "),
]


def sheet_xml(rows):
    """rows: lists of (reference, attributes-and-content) pairs."""
    body = "".join('<row r="%d">%s</row>' % (r + 1, "".join('<c r="%s" %s</c>' % cell for cell in row))
                   for r, row in enumerate(rows))
    return ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
            '<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">'
            '<sheetData>%s</sheetData></worksheet>' % body)


def package(path, rows):
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("[Content_Types].xml", CONTENT_TYPES)
        z.writestr("_rels/.rels", ROOT_RELS)
        z.writestr("xl/workbook.xml", WORKBOOK)
        z.writestr("xl/_rels/workbook.xml.rels", WORKBOOK_RELS)
        z.writestr("xl/styles.xml", STYLES)
        z.writestr("xl/sharedStrings.xml", SHARED)
        z.writestr("xl/worksheets/sheet1.xml", sheet_xml(rows))


def detail_rows(rows):
    """Three importable rows, every cell an inline string or a number."""
    result = []
    for r, row in enumerate(rows[:3]):
        cells = []
        for c, cell in enumerate(cases.plain_sheet([row])[0]):
            ref = cases.column_name(c) + str(r + 1)
            if cell is None:
                continue
            if cell[0] == "n":
                cells.append((ref, "><v>%s</v>" % cell[1]))
            else:
                cells.append((ref, 't="inlineStr"><is><t>%s</t></is>' % escape(cell[1])))
        result.append(cells)
    return result


def replaced(rows, ref, content):
    return [[(cell_ref, content if cell_ref == ref else old) for cell_ref, old in row] for row in rows]


# Refused packages: the cell the import names and what that cell holds.
REFUSED = [
    ("formula-empty-value", "N3", '><f>J3-M3</f><v></v>'),
    ("formula-no-value", "N3", '><f>J3-M3</f>'),
    ("text-formula-no-value", "B3", 't="str"><f>"ΠΑΠΑ"&amp;"ΔΟΠΟΥΛΟΣ"</f>'),
    ("text-formula-empty-string", "B3", 't="str"><f>"ΠΑΠΑ"&amp;"ΔΟΠΟΥΛΟΣ"</f><v></v>'),
    ("error-value", "N3", 't="e"><f>J3/0</f><v>#DIV/0!</v>'),
    ("date-type", "G3", 't="d"><v>2024-03-01T00:00:00</v>'),
    ("date-builtin-format", "G3", 's="1"><v>45352</v>'),
    ("date-own-format", "G3", 's="2"><v>45352</v>'),
]


def write_all(folder, rows):
    os.makedirs(folder, exist_ok=True)
    package(os.path.join(folder, "cell-types.xlsx"),
            [[(cases.column_name(c) + "1", content) for c, (content, _) in enumerate(CELL_TYPES)]])
    for name, ref, content in REFUSED:
        package(os.path.join(folder, name + ".xlsx"), replaced(detail_rows(rows), ref, content))
