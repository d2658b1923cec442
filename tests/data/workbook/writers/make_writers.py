#!/usr/bin/python3
"""Writes every case of cases.py with each independent writer into <case>/:
xlwt.xls, openpyxl.xlsx, odfpy.ods, sheetjs.{xls,xlsx,ods}, gnumeric.{xls,xlsx,ods}
and libreoffice.{xls,xlsx,ods} (both converting odfpy.ods after recalculating it),
and rows.csv (the column texts, semicolon separated, UTF-8), then the small
packages of handmade/ that no writer makes.

Needs python3-xlwt, python3-openpyxl, python3-odf, python3-uno with
libreoffice-calc-nogui, gnumeric (ssconvert), node and the npm package xlsx
(SheetJS), found through NODE_PATH. The results are committed; the tests never
need any of these.
"""
import csv
import datetime
import json
import os
import shutil
import subprocess
import sys
import tempfile

import cases
import handmade

HERE = os.path.dirname(os.path.abspath(__file__))


def target(case, name):
    folder = os.path.join(HERE, case.name)
    os.makedirs(folder, exist_ok=True)
    return os.path.join(folder, name)


def merge_map(case):
    """Top-left cell -> last cell of each merge, and the cells a merge covers."""
    tops, covered = {}, set()
    for r1, c1, r2, c2 in case.merges:
        tops[(r1, c1)] = (r2, c2)
        covered |= {(r, c) for r in range(r1, r2 + 1) for c in range(c1, c2 + 1)} - {(r1, c1)}
    return tops, covered


def grid(case):
    """Every cell of the case with its place, the styled empty ones included (as "styled")."""
    tops, covered = merge_map(case)
    for r, row in enumerate(case.sheet):
        for c, cell in enumerate(row):
            if (r, c) not in covered:
                yield r, c, cell, tops.get((r, c))
        for c in range(case.width, case.width + case.styled_columns):
            yield r, c, "styled", None
    for r in range(len(case.sheet), len(case.sheet) + case.styled_rows):
        for c in range(case.width):
            yield r, c, "styled", None


def write_xlwt(case):
    import xlwt
    book = xlwt.Workbook(encoding="utf-8")
    date_style = xlwt.easyxf(num_format_str="D/M")
    shade = xlwt.easyxf("pattern: pattern solid, fore_colour light_yellow; font: bold on")

    def fill(sheet, rows_of_cells):
        for r, c, cell, merge in rows_of_cells:
            if cell is None:
                continue
            style = shade if cell == "styled" else date_style if cell[0] == "d" else xlwt.Style.default_style
            if cell == "styled":
                value = None
            elif cell[0] in ("f", "fs"):
                value = xlwt.Formula(cell[1])
            else:
                value = cell[1]
            if merge:
                sheet.write_merge(r, merge[0], c, merge[1], value, style)
            else:
                sheet.write(r, c, value, style)

    fill(book.add_sheet("Φύλλο1"), grid(case))
    if case.second:
        fill(book.add_sheet("Σημειώσεις"), ((r, c, cell, None) for r, row in enumerate(case.second)
                                              for c, cell in enumerate(row)))
    book.save(target(case, "xlwt.xls"))


def write_openpyxl(case):
    import openpyxl
    from openpyxl.styles import Font, PatternFill
    book = openpyxl.Workbook()

    def fill(sheet, rows_of_cells):
        for r, c, cell, merge in rows_of_cells:
            if cell is None:
                continue
            place = sheet.cell(row=r + 1, column=c + 1)
            if cell == "styled":
                place.fill = PatternFill("solid", fgColor="FFFF99")
                place.font = Font(bold=True)
                continue
            place.value = "=" + cell[1] if cell[0] in ("f", "fs") else cell[1]
            if cell[0] == "d":
                place.number_format = "d/m"
            if merge:
                sheet.merge_cells(start_row=r + 1, start_column=c + 1, end_row=merge[0] + 1, end_column=merge[1] + 1)

    sheet = book.active
    sheet.title = "Φύλλο1"
    fill(sheet, grid(case))
    if case.second:
        fill(book.create_sheet("Σημειώσεις"), ((r, c, cell, None) for r, row in enumerate(case.second)
                                                for c, cell in enumerate(row)))
    book.save(target(case, "openpyxl.xlsx"))


def write_odfpy(case, name="odfpy.ods", with_values=True):
    from odf.number import DateStyle, Day, Month, Text as NumberText
    from odf.opendocument import OpenDocumentSpreadsheet
    from odf.style import Style, TableCellProperties, TextProperties
    from odf.table import CoveredTableCell, Table, TableCell, TableRow
    from odf.text import P

    doc = OpenDocumentSpreadsheet()
    day_month = DateStyle(name="N-day-month")
    day_month.addElement(Day())
    day_month.addElement(NumberText(text="/"))
    day_month.addElement(Month())
    doc.automaticstyles.addElement(day_month)
    date_style = Style(name="ce-date", family="table-cell", datastylename="N-day-month")
    doc.automaticstyles.addElement(date_style)
    shade = Style(name="ce-shade", family="table-cell")
    shade.addElement(TableCellProperties(backgroundcolor="#ffff99"))
    shade.addElement(TextProperties(fontweight="bold"))
    doc.automaticstyles.addElement(shade)

    def cell_element(cell, span):
        spans = {"numbercolumnsspanned": span, "numberrowsspanned": 1} if span > 1 else {}
        if cell is None:
            return TableCell(**spans)
        if cell == "styled":
            return TableCell(stylename=shade)
        kind, shown = cell[0], cell[-1]
        if kind == "n":
            element = TableCell(valuetype="float", value=shown, **spans)
        elif kind == "s":
            element = TableCell(valuetype="string", **spans)
        elif kind == "d":
            element = TableCell(valuetype="date", datevalue=shown.isoformat(), stylename=date_style, **spans)
            shown = "%d/%d" % (shown.day, shown.month)
        elif not with_values:
            return TableCell(formula=cell[2], **spans)
        elif kind == "f":
            element = TableCell(valuetype="float", value=shown, formula=cell[2], **spans)
        else:
            element = TableCell(valuetype="string", formula=cell[2], **spans)
        element.addElement(P(text=str(shown).replace(".", ",") if kind in ("n", "f") else shown))
        return element

    def table(name, rows_of_cells):
        result = Table(name=name)
        rows = {}
        for r, c, cell, merge in rows_of_cells:
            rows.setdefault(r, []).append((c, cell, merge))
        for r in sorted(rows):
            row = TableRow()
            for c, cell, merge in rows[r]:
                span = merge[1] - c + 1 if merge else 1  # the merges here lie within one row
                row.addElement(cell_element(cell, span))
                for _ in range(span - 1):
                    row.addElement(CoveredTableCell())
            result.addElement(row)
        return result

    doc.spreadsheet.addElement(table("Φύλλο1", grid(case)))
    if case.second:
        doc.spreadsheet.addElement(table("Σημειώσεις", ((r, c, cell, None) for r, row in enumerate(case.second)
                                                       for c, cell in enumerate(row))))
    path = target(case, name)
    doc.save(path)
    return path


def write_sheetjs(cases_to_write):
    """SheetJS through node, from a description of every case."""
    def plain(cell):
        if cell is None or cell == "styled":
            return cell
        return [cell[0]] + [v.isoformat() if isinstance(v, datetime.date) else v for v in cell[1:]]

    described = [{"folder": os.path.join(HERE, case.name), "width": case.width,
                  "rows": [[plain(cell) for cell in row] for row in case.sheet],
                  "merges": case.merges, "styledRows": case.styled_rows, "styledColumns": case.styled_columns,
                  "second": [[plain(cell) for cell in row] for row in case.second] if case.second else None}
                 for case in cases_to_write]
    with tempfile.NamedTemporaryFile("w", suffix=".json", delete=False) as f:
        json.dump(described, f, ensure_ascii=False)
    try:
        subprocess.run(["node", os.path.join(HERE, "sheetjs.js"), f.name], check=True)
    finally:
        os.remove(f.name)


def write_gnumeric(case, source):
    for ending, exporter in (("xls", "Gnumeric_Excel:excel_biff8"), ("xlsx", "Gnumeric_Excel:xlsx2"),
                             ("ods", "Gnumeric_OpenCalc:odf")):
        subprocess.run(["ssconvert", "--recalc", "-T", exporter, source, target(case, "gnumeric." + ending)],
                       check=True, stderr=subprocess.DEVNULL)


def write_libreoffice(sources):
    """LibreOffice opens each odfpy file, recalculates it and saves it in its three formats."""
    import uno
    from office import office_desktop, props

    with office_desktop() as desktop:
        for case, source in sources:
            doc = desktop.loadComponentFromURL(uno.systemPathToFileUrl(source), "_blank", 0, props(Hidden=True))
            doc.calculateAll()
            for ending, filter_name in (("xls", "MS Excel 97"), ("xlsx", "Calc MS Excel 2007 XML"), ("ods", "calc8")):
                doc.storeToURL(uno.systemPathToFileUrl(target(case, "libreoffice." + ending)),
                               props(FilterName=filter_name))
            doc.close(True)


def write_csv(case):
    with open(target(case, "rows.csv"), "w", encoding="utf-8-sig", newline="") as f:
        csv.writer(f, delimiter=";", lineterminator="\r\n").writerows(cases.texts(row) for row in case.rows)


def main():
    every = cases.all_cases()
    chosen = [c for c in every if len(sys.argv) < 2 or c.name in sys.argv[1:]]
    sources = []
    for case in chosen:
        shutil.rmtree(os.path.join(HERE, case.name), ignore_errors=True)
        write_xlwt(case)
        write_openpyxl(case)
        source = write_odfpy(case)
        sources.append((case, source))
        if any(cell and cell != "styled" and cell[0] in ("f", "fs") for row in case.sheet for cell in row):
            write_odfpy(case, "odfpy-no-value.ods", with_values=False)
        if case.name != "date":  # a text column takes "1/3" as it stands
            write_csv(case)
        write_gnumeric(case, source)
    write_sheetjs(chosen)
    write_libreoffice(sources)
    handmade.write_all(os.path.join(HERE, "handmade"), every[0].rows)


if __name__ == "__main__":
    main()
