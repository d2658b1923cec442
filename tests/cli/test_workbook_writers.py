#!/usr/bin/env python3
"""The same sheets written by nine independent spreadsheet writers (tests/data/workbook/writers),
imported by rozaro-cli: every file of a sheet gives, byte for byte, the declaration built by the
file rules from the sheet's column texts (its rows.csv), and every file that cannot be read exactly
is refused, naming the cell, with nothing written.

Usage: python3 test_workbook_writers.py BIN_DIR
"""
import csv
import os
import re

from clitest import case, expect, finish, read
from declarations import AMOUNTS, HEADER_OPTIONS, LEVIES, OPEN_PROBLEM, cents, declaration, messages, run, \
    same_except_date, text

WRITERS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data", "workbook", "writers")

IMPORTED = ["numbers", "text", "leading-zeros", "decimals", "formulas", "text-formulas", "trailing-rows",
            "trailing-columns", "second-sheet", "merged", "wide", "notes-past-t", "links"]
# The sheets of make_more_writers.py: three writers each, besides rows.csv.
MORE_WRITERS = {"notes-past-t", "links", "stand-in-results", "later-formulas"}
READ_AND_CHECKED = IMPORTED + ["foreign-letter"]

# Files a reader is known to misread, by name, with what goes wrong: reported as expected faults
# while listed; one that is handled correctly fails the test until it is taken off the list.
KNOWN_FAULTS = {}

def stored_cents(amount):
    """An amount text of the sheet ("1234,5", "1234,50", "1234") as whole cents."""
    whole, _, part = amount.partition(",")
    return int(whole) * 100 + int((part + "00")[:2])


def detail(cells):
    """The detail record, its amounts and its income kind, that a row of 20 column texts becomes."""
    cut = lambda value, width: text(value.encode("cp1253")[:width], width)  # noqa: E731
    afm, surname, name, father, town, street, number, postcode, kind = cells[:9]
    values = {field: stored_cents(amount) for (field, _), amount in zip(AMOUNTS, cells[9:16])}
    values.update({field: stored_cents(amount) for (field, _), amount in zip(LEVIES, cells[18:20])})
    data = (b"3" + cut(afm, 9) + b" " + cut(surname, 18) + cut(name, 9) + cut(father, 3) + cut(town, 10)
            + cut(street, 16) + cut(number, 5) + cut(postcode, 5) + cut(kind, 2))
    data += b"".join(cents(values[field], width) for field, width in AMOUNTS)
    data += cut(cells[16] or "0", 6) + cents(int(cells[17]), 3)
    data += b"".join(cents(values[field], width) for field, width in LEVIES) + b"    "
    assert len(data) == 170
    return data, values, kind


def wanted_declaration(sheet):
    with open(os.path.join(WRITERS, sheet, "rows.csv"), encoding="utf-8-sig", newline="") as f:
        rows = [detail(cells) for cells in csv.reader(f, delimiter=";")]
    # Every row is inserted ahead of the one before: the sheet's rows stand in reverse.
    return declaration(list(reversed(rows)))


def settle(outcomes):
    """Fails on every file whose outcome is not the one its listing in KNOWN_FAULTS leads to expect."""
    problems = []
    for name, fault in outcomes:
        known = KNOWN_FAULTS.get(name)
        if fault and not known:
            problems.append(f"{name}: {fault}")
        elif known and not fault:
            problems.append(f"{name}: now handled correctly ({known}); take it off its list")
        elif known:
            print(f"     known fault {name}: {known} -- {fault[:90]}")
    if problems:
        raise AssertionError("\n  ".join([f"{len(problems)} of {len(outcomes)} files:"] + problems))


def names_cell(line, cell):
    return re.search(r"(?<![A-Za-z0-9])" + cell + r"(?![0-9])", line) is not None


def cell_place(cell):
    """"N3" as the refusal names it: "Γραμμή 3, στήλη N"."""
    letters = re.match(r"[A-Z]+", cell).group(0)
    return f"Γραμμή {cell[len(letters):]}, στήλη {letters} "


def refused_naming(status, lines, cell):
    """Why a refusal is not the one wanted: exit 1, the reason naming the sheet row and column, then
    the generic text on the next line."""
    if status != 1:
        return f"exit {status}, wanted 1: {' / '.join(lines)[:200]}"
    if OPEN_PROBLEM not in lines[1:]:
        return f"no reason followed by the generic text: {' / '.join(lines)[:200]}"
    reason = lines[lines.index(OPEN_PROBLEM) - 1]
    return None if reason.startswith(cell_place(cell)) else f"the reason does not start naming {cell}: {reason}"


def refused_at_row_and_column(status, lines, cell):
    """A letter outside the code page is the import's own check: its message gives row and column."""
    column = ord(cell[0]) - ord("A") + 1
    said = " / ".join(lines)
    if status != 1:
        return f"exit {status}, wanted 1: {said[:200]}"
    if names_cell(said, cell) or (f"γραμμή {cell[1:]} " in said and f"Νο {column} " in said):
        return None
    return f"does not name {cell}: {said[:200]}"


EVERY_WRITER = ["xlwt.xls", "openpyxl.xlsx", "odfpy.ods", "gnumeric.xls", "gnumeric.xlsx", "gnumeric.ods",
                "libreoffice.xls", "libreoffice.xlsx", "libreoffice.ods", "sheetjs.xls", "sheetjs.xlsx",
                "sheetjs.ods"]

# What must be refused, where, and how the refusal reads.
REFUSALS = [
    # Formulas the writer never calculated: xlwt marks every result an empty string, openpyxl writes
    # an empty value, an .ods formula without office:value; then .xlsx without any value at all.
    ("formulas/xlwt.xls", "N3", refused_naming),
    ("formulas/openpyxl.xlsx", "N3", refused_naming),
    ("formulas/odfpy-no-value.ods", "N3", refused_naming),
    ("text-formulas/xlwt.xls", "B3", refused_naming),
    ("text-formulas/openpyxl.xlsx", "B3", refused_naming),
    ("text-formulas/odfpy-no-value.ods", "B3", refused_naming),
    ("handmade/formula-empty-value.xlsx", "N3", refused_naming),
    ("handmade/formula-no-value.xlsx", "N3", refused_naming),
    ("handmade/text-formula-no-value.xlsx", "B3", refused_naming),
    ("handmade/text-formula-empty-string.xlsx", "B3", refused_naming),
    # An error instead of a value.
    ("handmade/error-value.xlsx", "N3", refused_naming),
    # Dates: "1/3" typed as a street number, in every writer's file; in .xlsx also as a cell of type
    # "d", by the built-in date format and by a date format of the file's own.
    *[(f"date/{writer}", "G7", refused_naming) for writer in EVERY_WRITER],
    ("handmade/date-type.xlsx", "G3", refused_naming),
    ("handmade/date-builtin-format.xlsx", "G3", refused_naming),
    ("handmade/date-own-format.xlsx", "G3", refused_naming),
    # Formulas saved with a stand-in 0 and marked to be calculated when opened (the whole workbook in
    # .xlsx, each formula in .xls), or in .ods with no result at all; then net pay whose later
    # formulas have no result, where the earlier ones have theirs.
    *[(f"stand-in-results/{writer}", "B3", refused_naming)
      for writer in ("xlsxwriter.xlsx", "writeexcel.xls", "odfpy-calcext.ods")],
    ("later-formulas/xlsxwriter.xlsx", "N3", refused_naming),
    ("later-formulas/writeexcel.xls", "N11", refused_naming),
    ("later-formulas/odfpy-calcext.ods", "N11", refused_naming),
    # A letter the declaration's code page does not have, from every writer and in .csv.
    *[(f"foreign-letter/{writer}", "C5", refused_at_row_and_column) for writer in EVERY_WRITER + ["rows.csv"]],
]


REFUSED_FILES = {name for name, _, _ in REFUSALS}


@case
def every_writer_gives_the_declaration_of_the_sheet(folder):
    target = os.path.join(folder, "out.txt")
    outcomes = []
    for sheet in IMPORTED:
        wanted = wanted_declaration(sheet)
        # Formulas never calculated cannot give the declaration: they are among the refusals.
        files = sorted(f for f in os.listdir(os.path.join(WRITERS, sheet)) if f"{sheet}/{f}" not in REFUSED_FILES)
        expect(len(files) >= (4 if sheet in MORE_WRITERS else 11), True, f"{sheet}: a file of every writer and format")
        for name in files:
            status, _, err = run("import", os.path.join(WRITERS, sheet, name), target, *HEADER_OPTIONS)
            fault = None
            if status != 0:
                fault = f"exit {status}: {' / '.join(messages(err))[:200]}"
            else:
                try:
                    same_except_date(read(target), wanted, name)
                except AssertionError as e:
                    fault = "declaration differs: " + str(e).splitlines()[0]
                os.remove(target)
            outcomes.append((f"{sheet}/{name}", fault))
    settle(outcomes)


@case
def files_that_cannot_be_read_exactly_are_refused_naming_the_cell(folder):
    target = os.path.join(folder, "out.txt")
    outcomes = []
    for name, cell, judge in REFUSALS:
        status, _, err = run("import", os.path.join(WRITERS, name), target, *HEADER_OPTIONS)
        fault = judge(status, messages(err), cell)
        if os.path.exists(target):
            fault = f"a declaration was written ({fault or 'exit 0'})"
            os.remove(target)
        outcomes.append((name, fault))
    settle(outcomes)


finish()
