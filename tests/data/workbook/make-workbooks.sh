#!/usr/bin/env bash
# Makes the test workbooks from the .fods sources beside this script with
# LibreOffice in headless mode (every formula recalculated before saving, so
# the saved results are the spreadsheet's own), then derives the damaged ones.
# Needs libreoffice-calc-nogui and python3-uno; the results are committed, so
# the tests never need either.
set -euo pipefail
cd "$(dirname "$0")"

/usr/bin/python3 - <<'PY'
import glob, os, sys, uno
sys.path.insert(0, "writers")
from office import office_desktop, props

XLS, XLSX, ODS = "MS Excel 97", "Calc MS Excel 2007 XML", "calc8"
with office_desktop() as desktop:
    here = uno.systemPathToFileUrl(os.getcwd()) + "/"
    for source in sorted(glob.glob("*.fods")):
        name = source[:-len(".fods")]
        doc = desktop.loadComponentFromURL(here + source, "_blank", 0, props(Hidden=True))
        doc.calculateAll()
        # An .xls sheet holds 65,536 rows: the huge sheet is only made in the larger formats.
        outputs = [("xlsx", XLSX), ("ods", ODS)] + ([] if name == "huge" else [("xls", XLS)])
        for ending, filter_name in outputs:
            doc.storeToURL(here + name + "." + ending, props(FilterName=filter_name))
        if name == "payroll":
            # The payroll saved with the password "rozaro", as a payroll office protects it.
            doc.storeToURL(here + "password.xls", props(FilterName=XLS, Password="rozaro"))
        doc.close(True)
    # A long sheet from a semicolon-separated UTF-8 source: its shared strings
    # run over many records of the .xls file.
    csv_filter = props(Hidden=True, FilterName="Text - txt - csv (StarCalc)", FilterOptions="59,34,76,1,,1033")
    doc = desktop.loadComponentFromURL(here + "many-rows.csv", "_blank", 0, csv_filter)
    doc.calculateAll()
    for ending, filter_name in [("xls", XLS), ("xlsx", XLSX), ("ods", ODS)]:
        doc.storeToURL(here + "many-rows." + ending, props(FilterName=filter_name))
    doc.close(True)
PY

# Damaged packages made from good ones.
/usr/bin/python3 - <<'PY'
import re, zipfile

# An .xlsx whose text cells point past the end of its shared strings.
with zipfile.ZipFile("payroll.xlsx") as src, zipfile.ZipFile("missing-string.xlsx", "w", zipfile.ZIP_DEFLATED) as out:
    for item in src.infolist():
        data = src.read(item.filename)
        if item.filename == "xl/sharedStrings.xml":
            text = data.decode("utf-8")
            text = re.sub(r"<si>.*</si>", "<si><t>ΜΟΝΟ</t></si>", text, flags=re.S)
            text = re.sub(r'(count|uniqueCount)="\d+"', r'\1="1"', text)
            data = text.encode("utf-8")
        out.writestr(item, data)

# A zip archive that is no workbook at all.
with zipfile.ZipFile("not-a-workbook.zip", "w", zipfile.ZIP_DEFLATED) as out:
    out.writestr("readme.txt", "Ένα απλό συμπιεσμένο αρχείο.\n")
PY

# The same sheets from every independent writer, and the packages made by hand
# (see writers/make_writers.py for what each needs). SheetJS comes from the npm
# registry into a folder of its own, never into the repository.
node_folder=$(mktemp -d)
trap 'rm -rf "$node_folder"' EXIT
npm install --silent --no-save --prefix "$node_folder" xlsx@0.18.5
NODE_PATH="$node_folder/node_modules" /usr/bin/python3 writers/make_writers.py
# The sheets of faults three more writers show (see writers/make_more_writers.py).
/usr/bin/python3 writers/make_more_writers.py
