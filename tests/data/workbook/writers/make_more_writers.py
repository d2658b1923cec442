#!/usr/bin/python3
"""Writes the sheets of the cases below with three more writers into <case>/:
xlsxwriter.xlsx (python3-xlsxwriter), writeexcel.xls (libspreadsheet-writeexcel-perl,
through writeexcel.pl beside this script) and odfpy-calcext.ods (python3-odf, its
cells then marked as office suites mark them, with calcext attributes), and
rows.csv (the column texts, semicolon separated, UTF-8) for the cases that import.

  notes-past-t       a hire date, a note of two lines, #N/A and a formula without
                     a result in columns U to X beside every row: imports
  stand-in-results   text and amount formulas saved without their results (a
                     stand-in 0, marked to be calculated when opened): refused
  links              surnames that are links: imports
  later-formulas     net pay as a formula; from row 11 on saved without any result:
                     refused (xlsxwriter marks every result stale: refused at once)

Needs python3-xlsxwriter, python3-odf, perl with libspreadsheet-writeexcel-perl.
The results are committed; the tests never need any of these.
"""
import csv
import datetime
import json
import os
import re
import shutil
import subprocess
import tempfile
import zipfile

import cases

HERE = os.path.dirname(os.path.abspath(__file__))
LATER_FROM = 10  # the first row (from 0) of later-formulas saved without a result


def plain(rows):
    return cases.plain_sheet(rows)


def notes_past_t(rows):
    sheet = plain(rows)
    for r, row in enumerate(sheet):
        row += [("d", datetime.date(2015 + r % 9, 1 + r % 12, 1 + r % 28)),
                ("s", "ΠΡΟΣΛΗΨΗ\nΜΕ ΣΥΜΒΑΣΗ %d" % (r + 1)),
                ("e", "NA()", "of:=NA()", "#N/A"),
                ("f", "V%d*2" % (r + 1), "of:=[.V%d]*2" % (r + 1), None)]
    return sheet


def stand_in_results(rows):
    sheet = plain(rows)
    for r in range(2, len(rows)):
        surname = rows[r]["surname"]
        cut = len(surname) // 2
        join = '"%s"&"%s"' % (surname[:cut], surname[cut:])
        sheet[r][1] = ("f", join, "of:=" + join, None)
        sheet[r][13] = ("f", "J%d-M%d" % (r + 1, r + 1), "of:=[.J%d]-[.M%d]" % (r + 1, r + 1), None)
    return sheet


def links(rows):
    sheet = plain(rows)
    for r, row in enumerate(rows):
        sheet[r][1] = ("u", row["surname"], "https://example.org/%d" % (r + 1))
    return sheet


def later_formulas(rows):
    sheet = plain(rows)
    for r in range(2, len(rows)):
        net = rows[r]["net"] // 100
        sheet[r][13] = ("f", "J%d-M%d" % (r + 1, r + 1), "of:=[.J%d]-[.M%d]" % (r + 1, r + 1),
                        net if r < LATER_FROM else None)
    return sheet


CASES = [("notes-past-t", notes_past_t, True), ("stand-in-results", stand_in_results, False),
         ("links", links, True), ("later-formulas", later_formulas, False)]


def target(name, file):
    folder = os.path.join(HERE, name)
    os.makedirs(folder, exist_ok=True)
    return os.path.join(folder, file)


def write_xlsxwriter(name, sheet):
    import xlsxwriter
    book = xlsxwriter.Workbook(target(name, "xlsxwriter.xlsx"))
    page = book.add_worksheet("Φύλλο1")
    dates = book.add_format({"num_format": "dd/mm/yyyy"})
    for r, row in enumerate(sheet):
        for c, cell in enumerate(row):
            if cell is None:
                continue
            kind = cell[0]
            if kind == "n":
                page.write_number(r, c, cell[1])
            elif kind == "s":
                page.write_string(r, c, cell[1])
            elif kind == "d":
                page.write_datetime(r, c, datetime.datetime.combine(cell[1], datetime.time()), dates)
            elif kind == "e":
                page.write_formula(r, c, "=" + cell[1], None, cell[3])
            elif kind == "f":
                # Without a result xlsxwriter saves a stand-in 0, as it does for every formula it is not given one for.
                page.write_formula(r, c, "=" + cell[1], None, cell[3] if cell[3] is not None else 0)
            elif kind == "u":
                page.write_url(r, c, cell[2], string=cell[1])
    book.close()


def write_writeexcel(name, sheet):
    described = [[None if cell is None else [cell[0]] + [v.isoformat() if isinstance(v, datetime.date) else v
                                                         for v in cell[1:]] for cell in row] for row in sheet]
    with tempfile.NamedTemporaryFile("w", suffix=".json", delete=False, encoding="utf-8") as f:
        json.dump(described, f, ensure_ascii=False)
    try:
        subprocess.run(["perl", os.path.join(HERE, "writeexcel.pl"), f.name, target(name, "writeexcel.xls")],
                       check=True)
    finally:
        os.remove(f.name)


CALCEXT = "urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0"


def write_odfpy_calcext(name, sheet):
    """odfpy writes the cells; the marks office suites add (calcext:value-type) go in after it, by a
    placeholder style name, since odfpy knows no calcext attribute."""
    from odf.number import DateStyle, Day, Month, Text as NumberText, Year
    from odf.opendocument import OpenDocumentSpreadsheet
    from odf.style import Style
    from odf.table import Table, TableCell, TableRow
    from odf.text import A, P

    doc = OpenDocumentSpreadsheet()
    day_month = DateStyle(name="N-date")
    for part in (Day(), NumberText(text="/"), Month(), NumberText(text="/"), Year()):
        day_month.addElement(part)
    doc.automaticstyles.addElement(day_month)
    date_style = Style(name="ce-date", family="table-cell", datastylename="N-date")
    doc.automaticstyles.addElement(date_style)
    marks = {}
    for mark in ("string", "error"):
        marks[mark] = Style(name="calcext-" + mark, family="table-cell")
        doc.automaticstyles.addElement(marks[mark])

    table = Table(name="Φύλλο1")
    for row in sheet:
        tr = TableRow()
        for cell in row:
            if cell is None:
                tr.addElement(TableCell())
                continue
            kind = cell[0]
            if kind == "n":
                element = TableCell(valuetype="float", value=cell[1])
                element.addElement(P(text=str(cell[1]).replace(".", ",")))
            elif kind == "s":
                element = TableCell(valuetype="string")
                for line in cell[1].split("\n"):
                    element.addElement(P(text=line))
            elif kind == "d":
                element = TableCell(valuetype="date", datevalue=cell[1].isoformat(), stylename=date_style)
                element.addElement(P(text=cell[1].strftime("%d/%m/%Y")))
            elif kind == "e":
                element = TableCell(formula=cell[2], stylename=marks["error"])
                element.addElement(P(text=cell[3]))
            elif kind == "f" and cell[3] is None:
                element = TableCell(formula=cell[2])  # no result at all
            elif kind == "f":
                element = TableCell(valuetype="float", value=cell[3], formula=cell[2])
                element.addElement(P(text=str(cell[3])))
            elif kind == "u":
                # A link cell: text and the suite's own mark, no office:value-type.
                element = TableCell(stylename=marks["string"])
                p = P()
                p.addElement(A(href=cell[2], text=cell[1]))
                element.addElement(p)
            tr.addElement(element)
        table.addElement(tr)
    doc.spreadsheet.addElement(table)
    path = target(name, "odfpy-calcext.ods")
    doc.save(path)

    with zipfile.ZipFile(path) as src:
        members = [(item, src.read(item.filename)) for item in src.infolist()]
    with zipfile.ZipFile(path, "w") as out:
        for item, data in members:
            if item.filename == "content.xml":
                text = data.decode("utf-8")
                text = text.replace("<office:document-content ",
                                    '<office:document-content xmlns:calcext="%s" ' % CALCEXT, 1)
                text = text.replace('table:style-name="calcext-string"', 'calcext:value-type="string"')
                text = text.replace('table:style-name="calcext-error"',
                                    'office:value-type="string" office:string-value="" calcext:value-type="error"')
                text = re.sub(r'<style:style style:name="calcext-(string|error)"[^>]*/>', "", text)
                data = text.encode("utf-8")
            out.writestr(item, data, zipfile.ZIP_STORED if item.filename == "mimetype" else zipfile.ZIP_DEFLATED)


def write_csv(name, rows):
    with open(target(name, "rows.csv"), "w", encoding="utf-8-sig", newline="") as f:
        csv.writer(f, delimiter=";", lineterminator="\r\n").writerows(cases.texts(row) for row in rows)


def main():
    for name, make, imports in CASES:
        shutil.rmtree(os.path.join(HERE, name), ignore_errors=True)
        rows = cases.people(name, whole_euros=True)
        sheet = make(rows)
        write_xlsxwriter(name, sheet)
        write_writeexcel(name, sheet)
        write_odfpy_calcext(name, sheet)
        if imports:
            write_csv(name, rows)


if __name__ == "__main__":
    main()
