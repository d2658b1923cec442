#!/usr/bin/env python3
"""End-to-end tests of rozaro-cli on declaration files built here from the byte rules.

Usage: python3 test_cli.py BIN_DIR
"""
import datetime
import glob
import os
import signal
import zipfile
import subprocess
import time

from clitest import CLI, case, expect, finish, read, write
from declarations import (AMOUNTS, BODY_AFM, HEADER_OPTIONS, LEVIES, OPEN_PROBLEM, afm_with_check_digit, cents,
                          declaration, messages, record1, row, run, same_except_date, text)


# --- building declaration files ---------------------------------------------

def detail_afms(path):
    return [line[1:10].decode("cp1253").rstrip() for line in read(path).split(b"\r\n") if line[:1] == b"3"]


# The messages of the program, byte for byte.
NET_MISMATCH = ("Οι Καθαρές αποδοχές δε συμφωνούν με τα υπόλοιπα ποσά που έχετε δηλώσει.Ελέγξτε τα ποσά "
                "των διάφορων κρατήσεων καθώς και τις Ακαθάριστες αποδοχές")
WITHHELD_OVER_40 = ("Ο Φόρος που Παρακρατήθηκε είναι μεγαλύτερος του 40% των Καθαρών Αποδοχών. Είστε βέβαιος "
                    "ότι θέλετε να συνεχίσετε με την αποθήκευση;")
DUE_OVER_40 = ("Ο Φόρος που Αναλογεί είναι μεγαλύτερος του 40% των Καθαρών Αποδοχών. Είστε βέβαιος ότι "
               "θέλετε να συνεχίσετε με την αποθήκευση;")
ROW_HAS_BODY_AFM = ("Ο ΑΦΜ: που εισάγατε είναι ίδιος με τον ΑΦΜ υπόχρεου. Είστε σίγουρος ότι αυτό είναι "
                    "σωστό;")
NOT_A_DECLARATION = "Μη έγκυρο αρχείο"
BAD_RECORD_KIND = "Παρουσιάστηκε πρόβλημα κατά το άνοιγμα του αρχείου"
BAD_LINE_LENGTH = "Παρουσιάστηκε πρόβλημα κατά το άνοιγμα του αρχείου. Το μήκος της γραμμής είναι λανθασμένο"


def duplicate_pair(afm):
    return f"Ο ΑΦΜ: {afm} έχει εισαχθεί 2 φορές στις αναλυτικές αμοιβές με τον ίδιο κωδικό Είδους Αποδοχών"


def body_afm_in_row(afm, line_number):
    return (f"Ο ΑΦΜ: {afm} που έχει εισαχθεί στη γραμμή {line_number} των αναλυτικών αμοιβών είναι ίδιος "
            "με τον ΑΦΜ υπόχρεου. Είστε σίγουρος ότι αυτό είναι σωστό;")


def replace_question(name):
    return f"Είστε σίγουρος ότι θέλετε να αντικαταστήσετε το αρχείο {name};"


AFM_A = afm_with_check_digit("12345678")
AFM_B = afm_with_check_digit("04445556")
AFM_C = afm_with_check_digit("99988877")

VALID_ROWS = [
    row(AFM_A, stamp=360, stamp_levy=72, withheld=10000, due=10000, withheld_levy=300, due_levy=300),
    row(AFM_B, surname="ΑΝΤΩΝΙΟΥ", type_inc="11", days=0, gross=250050, deductions=50025, net=200025,
        withheld=30000, due=35000),
    # Kind 15 is counted in the label but in no total.
    row(AFM_C, surname="ΒΑΣΙΛΕΙΟΥ", type_inc="15", days=365, gross=99999, deductions=0, net=99999),
]


# --- check -------------------------------------------------------------------

@case
def check_of_a_valid_declaration_prints_the_label_and_the_totals(folder):
    path = write(folder, "valid.txt", declaration(VALID_ROWS))
    status, out, err = run("check", path)
    expect(messages(err), [], "stderr")
    expect(out.splitlines(), ["3 Εγγραφές-3 μοναδικοί ΑΦΜ", "Edit1=3500,5", "Edit2=700,25", "Edit3=2800,25",
                              "Edit4=400", "Edit5=3,6", "Edit6=0,72", "Edit7=450", "Edit8=3", "Edit9=3"],
           "stdout")
    expect(status, 0, "exit status")

    # No rows: the totals are all zero and nothing is refused.
    status, out, err = run("check", write(folder, "empty.txt", declaration([])))
    expect((status, messages(err)), (0, []))
    expect(out.splitlines(), ["0 Εγγραφές-0 μοναδικοί ΑΦΜ"] + [f"Edit{k}=0" for k in range(1, 10)])


@case
def check_refuses_files_the_program_does_not_accept(folder):
    good = declaration(VALID_ROWS[:1])
    cases = {
        "not a declaration": (b"0JL1 " + good[5:], NOT_A_DECLARATION),
        "empty file": (b"", NOT_A_DECLARATION),
        "unknown record kind": (good + b"4" + b" " * 169 + b"\r\n", BAD_RECORD_KIND),
        "short line": (good + b"3" + b" " * 168 + b"\r\n", BAD_LINE_LENGTH),
    }
    for what, (data, message) in cases.items():
        status, out, err = run("check", write(folder, "refused.txt", data))
        expect((status, messages(err), out), (1, [message], ""), what)

    # Lower-case record 0 is accepted.
    status, _, err = run("check", write(folder, "lower.txt", b"0jl10" + good[5:]))
    expect((status, messages(err)), (0, []), "lower-case first line")


@case
def check_names_each_refused_row_by_its_line(folder):
    rows = [VALID_ROWS[0], row(AFM_B, type_inc="11", net=79900), VALID_ROWS[2]]
    status, out, err = run("check", write(folder, "badrow.txt", declaration(rows)))
    expect(messages(err), ["Γραμμή 2: " + NET_MISMATCH])
    expect(status, 1)
    # The totals are still shown, as the window shows them after opening.
    expect(out.splitlines()[0], "3 Εγγραφές-3 μοναδικοί ΑΦΜ")


@case
def check_answers_questions_no_unless_told_yes(folder):
    # Taxes of 400,01 on a net of 1000 ask twice whether to go on; "Όχι" stops at the first.
    rows = [VALID_ROWS[0], row(AFM_B, gross=125000, deductions=25000, net=100000, withheld=40001, due=40001)]
    path = write(folder, "question.txt", declaration(rows))
    status, _, err = run("check", path)
    expect((status, messages(err)), (1, ["Γραμμή 2: " + WITHHELD_OVER_40]), "answered no")
    for yes in ("--yes", "-y"):
        status, _, err = run("check", yes, path)
        expect((status, messages(err)), (0, ["Γραμμή 2: " + WITHHELD_OVER_40, "Γραμμή 2: " + DUE_OVER_40]),
               "answered yes with " + yes)


@case
def check_lists_every_rows_problems_in_one_run(folder):
    days = "Οι ημέρες απασχόλησης πρέπει να είναι <= 365. Διορθώστε το για να προχωρήσει η αποθήκευση."
    rows = [VALID_ROWS[0], row(AFM_B, type_inc="11", net=79900), row(AFM_A, surname="ΑΛΛΟΣ"),
            row(BODY_AFM, type_inc="11", days=366), row(AFM_C, type_inc="11")]
    path = write(folder, "many.txt", declaration(rows))
    # Answered "Ναι", the employer's number is asked about and the row goes on to its refusal.
    status, out, err = run("check", "--yes", path)
    expect(messages(err), ["Γραμμή 2: " + NET_MISMATCH, "Γραμμή 3: " + duplicate_pair(AFM_A),
                           "Γραμμή 4: " + ROW_HAS_BODY_AFM, "Γραμμή 4: " + days,
                           body_afm_in_row(BODY_AFM, 4), duplicate_pair(AFM_A)], "answered yes")
    expect((status, out.splitlines()[0]), (1, "5 Εγγραφές-4 μοναδικοί ΑΦΜ"))
    # Answered "Όχι", that row ends at its question; the rows after it are still checked.
    status, _, err = run("check", path)
    expect((status, messages(err)), (1, ["Γραμμή 2: " + NET_MISMATCH, "Γραμμή 3: " + duplicate_pair(AFM_A),
                                         "Γραμμή 4: " + ROW_HAS_BODY_AFM, body_afm_in_row(BODY_AFM, 4)]),
           "answered no")


@case
def check_runs_the_save_checks(folder):
    # The same number twice with the same income type: the later row is refused, and so is the save.
    rows = [VALID_ROWS[0], row(AFM_B, type_inc="11"), row(AFM_A, surname="ΑΛΛΟΣ")]
    status, _, err = run("check", write(folder, "pair.txt", declaration(rows)))
    expect((status, messages(err)), (1, ["Γραμμή 3: " + duplicate_pair(AFM_A), duplicate_pair(AFM_A)]),
           "repeated pair")

    # The same number with two income types is accepted.
    rows = [VALID_ROWS[0], row(AFM_A, type_inc="11")]
    status, out, err = run("check", write(folder, "twotypes.txt", declaration(rows)))
    expect((status, messages(err), out.splitlines()[0]), (0, [], "2 Εγγραφές-1 μοναδικοί ΑΦΜ"), "two types")

    # The employer's own number in a row: asked by the row check and by the save checks.
    rows = [VALID_ROWS[0], row(BODY_AFM, type_inc="11")]
    path = write(folder, "body.txt", declaration(rows))
    status, _, err = run("check", "--yes", path)
    expect((status, messages(err)), (0, ["Γραμμή 2: " + ROW_HAS_BODY_AFM, body_afm_in_row(BODY_AFM, 2)]),
           "employer number, yes")
    status, _, err = run("check", path)
    expect((status, messages(err)), (1, ["Γραμμή 2: " + ROW_HAS_BODY_AFM, body_afm_in_row(BODY_AFM, 2)]),
           "employer number, no")

    # A year after this one is refused by the save checks.
    header = record1(year=b"2999")
    status, _, err = run("check", write(folder, "year.txt", declaration(VALID_ROWS, header=header)))
    expect((status, messages(err)), (1, ["Γράψτε το έτος που αφορούν τα στοιχεία, με τέσσερα ψηφία"]),
           "future year")


@case
def unreadable_amounts_are_reported_and_nothing_is_written(folder):
    data, values, kind = VALID_ROWS[1]
    letters = data[:79] + b"12AB345678" + data[89:]  # gross pay that is not a number
    path = write(folder, "letters.txt", declaration([VALID_ROWS[0], (letters, values, kind)]))
    status, out, err = run("check", path)
    expect(status, 1, "check")
    if "Γραμμή 2: '12AB345678' is not a valid floating point value" not in messages(err):
        raise AssertionError(f"row 2 not named: {err!r}")
    # The totals cannot be summed: the label shows only the count.
    expect(out.splitlines()[0], "2 Εγγραφές")

    target = os.path.join(folder, "out.txt")
    status, _, err = run("resave", path, target)
    expect(status, 1, "resave")
    expect(os.path.exists(target), False, "no file written")


@case
def resave_refuses_an_amount_its_file_field_cannot_carry(folder):
    # "1E9" is no whole number of cents, so reading leaves it as it stands;
    # written, a billion in cents would make the record 172 characters long.
    data, values, kind = VALID_ROWS[1]
    exponent = data[:79] + b"1E9       " + data[89:]
    source = write(folder, "exponent.txt", declaration([VALID_ROWS[0], (exponent, values, kind)]))
    target = os.path.join(folder, "out.txt")
    for args in (("resave", source, target), ("--yes", "resave", source, target),
                 ("sort", "afm", source, target)):
        status, out, err = run(*args)
        expect((status, out), (1, ""), f"{args}")
        if ("Το ποσό Ακαθάριστες Αποδοχές της γραμμής 2 των αναλυτικών αμοιβών υπερβαίνει το όριο του "
                "πεδίου (έως 99999999,9).") not in messages(err) and args[0] != "sort":
            raise AssertionError(f"row and field not named: {err!r}")
        expect(os.path.exists(target), False, f"no file written by {args}")


# --- resave and sort ---------------------------------------------------------

@case
def resave_gives_back_the_same_bytes_except_the_date(folder):
    for rows in (VALID_ROWS, []):
        original = declaration(rows)
        source = write(folder, "original.txt", original)
        target = os.path.join(folder, "αντίγραφο δήλωσης.txt")  # a UTF-8 path with a blank
        status, out, err = run("resave", source, target)
        expect((status, messages(err), out), (0, [], ""), "resave")
        same_except_date(read(target), original, f"{len(rows)} rows")
        os.remove(target)


@case
def resave_replaces_an_existing_file_only_when_told_yes(folder):
    source = write(folder, "in.txt", declaration(VALID_ROWS))
    target = write(folder, "out.txt", b"keep me")
    status, _, err = run("resave", source, target)
    expect((status, messages(err)), (1, [replace_question("out.txt")]), "answered no")
    expect(read(target), b"keep me", "the old file stays")

    status, _, err = run("--yes", "resave", source, target)
    expect((status, messages(err)), (0, [replace_question("out.txt")]), "answered yes")
    same_except_date(read(target), read(source), "replaced")

    # After "--" a file name may begin with a dash.
    dashed = write(folder, "-in.txt", read(source))
    status, _, _ = run("resave", "--", "-in.txt", "-out.txt", cwd=folder)
    expect(status, 0, "dashed names")
    same_except_date(read(os.path.join(folder, "-out.txt")), read(dashed), "dashed")

    # A path relative to the current folder.
    status, _, _ = run("resave", "in.txt", "relative.txt", cwd=folder)
    expect(status, 0, "relative paths")
    same_except_date(read(os.path.join(folder, "relative.txt")), read(source), "relative")


@case
def resave_writes_nothing_when_the_save_checks_refuse(folder):
    rows = [VALID_ROWS[0], row(AFM_A, surname="ΑΛΛΟΣ")]
    target = os.path.join(folder, "out.txt")
    status, _, err = run("resave", write(folder, "pair.txt", declaration(rows)), target)
    expect((status, messages(err)), (1, [duplicate_pair(AFM_A)]))
    expect(os.path.exists(target), False, "no file written")

    status, _, err = run("resave", write(folder, "bad.txt", b"garbage\r\n"), target)
    expect((status, messages(err)), (1, [NOT_A_DECLARATION]), "refused source")
    expect(os.path.exists(target), False, "no file written for a refused source")


@case
def sort_by_number_and_alphabetically(folder):
    rows = [row("200000000", surname="ΠΑΠΑΣΤΑΘΗΣ", type_inc="10"),
            row("100000001", surname="ΠΑΠΑΣ", type_inc="10"),
            row("100000000", surname="ΑΓΓΕΛΟΣ", type_inc="10"),
            row("300000000", surname="ΆΓΓΕΛΟΣ", type_inc="10")]
    source = write(folder, "in.txt", declaration(rows))
    by_number = os.path.join(folder, "afm.txt")
    status, _, err = run("sort", "afm", source, by_number)
    expect((status, messages(err)), (0, []), "sort afm")
    expect(detail_afms(by_number), ["100000000", "100000001", "200000000", "300000000"])

    alphabetical = os.path.join(folder, "alpha.txt")
    status, _, err = run("sort", "alpha", source, alphabetical)
    expect((status, messages(err)), (0, []), "sort alpha")
    # Code order of cp1253: the accented capital first, the padding blank before any letter.
    expect(detail_afms(alphabetical), ["300000000", "100000000", "100000001", "200000000"])
    # Sorting moves whole rows: the file holds the same records.
    expect(sorted(read(alphabetical).split(b"\r\n")[3:]), sorted(read(source).split(b"\r\n")[3:]))

    # No rows: the same three records come back.
    empty = write(folder, "empty.txt", declaration([]))
    status, _, _ = run("sort", "afm", empty, os.path.join(folder, "empty-sorted.txt"))
    expect(status, 0, "sort of no rows")
    same_except_date(read(os.path.join(folder, "empty-sorted.txt")), read(empty), "sort of no rows")


@case
def sort_alphabetically_swaps_the_heads_of_equal_rows(folder):
    # Three rows whose tails are B, B, A: A first, then the two B rows in reverse order.
    rows = [row("111111111", surname="Β"), row("222222222", surname="Β"), row("333333333", surname="Α")]
    target = os.path.join(folder, "alpha.txt")
    status, _, _ = run("sort", "alpha", write(folder, "in.txt", declaration(rows)), target)
    expect(status, 0)
    expect(detail_afms(target), ["333333333", "222222222", "111111111"])


# --- usage -------------------------------------------------------------------

@case
def wrong_usage_exits_2_with_the_usage(folder):
    path = write(folder, "valid.txt", declaration(VALID_ROWS))
    wrong = [
        [],
        ["frobnicate", path],
        ["check"],
        ["check", path, path],
        ["resave", path],
        ["sort", "name", path, os.path.join(folder, "out.txt")],
        ["sort", "afm", path],
        ["--force", "check", path],
    ]
    for args in wrong:
        status, out, err = run(*args)
        expect(status, 2, f"exit status of {args}")
        expect(out, "", f"stdout of {args}")
        if "Χρήση: rozaro-cli" not in err:
            raise AssertionError(f"no usage for {args}: {err!r}")
    expect(os.path.exists(os.path.join(folder, "out.txt")), False, "nothing written")


@case
def help_is_shown_for_the_tool_and_each_command(folder):
    status, out, err = run("--help")
    expect((status, err), (0, ""), "tool help")
    for command in ("check", "resave", "sort"):
        if f"  {command} " not in out:
            raise AssertionError(f"tool help lacks {command}: {out!r}")
        status, out_command, _ = run(command, "--help")
        expect(status, 0, f"{command} --help")
        if not out_command.startswith(f"Χρήση: rozaro-cli {command} "):
            raise AssertionError(f"help of {command}: {out_command!r}")


@case
def unreadable_and_unwritable_files_exit_2(folder):
    status, out, err = run("check", os.path.join(folder, "missing.txt"))
    expect((status, out), (2, ""), "missing file")
    if "missing.txt" not in err:
        raise AssertionError(f"message does not name the file: {err!r}")
    status, _, _ = run("check", folder)
    expect(status, 2, "a folder")
    source = write(folder, "in.txt", declaration(VALID_ROWS))
    status, _, err = run("resave", source, os.path.join(folder, "no such folder", "out.txt"))
    expect(status, 2, "output folder missing")
    if not messages(err):
        raise AssertionError("no message for an unwritable output")
    # A name that leads into a folder that does not exist: the write itself
    # fails after the declaration passed its checks.
    dangling = os.path.join(folder, "dangling.txt")
    os.symlink(os.path.join(folder, "gone", "out.txt"), dangling)
    status, _, err = run("resave", source, dangling)
    expect(status, 2, "write that fails")
    if not messages(err) or os.path.exists(os.path.join(folder, "gone")):
        raise AssertionError(f"failed write: {err!r}")

    # Totals that cannot be written out are no success either.
    if os.path.exists("/dev/full"):
        with open("/dev/full", "wb") as full:
            done = subprocess.run([CLI, "check", source], stdout=full, stderr=subprocess.PIPE, timeout=120)
        expect(done.returncode, 2, "standard output full")


# --- import ------------------------------------------------------------------

def working_amount(amount_cents):
    """An amount as a Greek spreadsheet shows it: decimal comma, no trailing zeros."""
    whole, part = divmod(amount_cents, 100)
    return str(whole) + (("," + f"{part:02d}".rstrip("0")) if part else "")


def sheet_line(detail):
    """The 20 spreadsheet columns of a detail row built by row()."""
    data, values, kind = detail
    field = lambda start, width: data[start:start + width].decode("cp1253").rstrip()  # noqa: E731
    cells = [field(1, 9), field(11, 18), field(29, 9), field(38, 3), field(41, 10), field(51, 16),
             field(67, 5), field(72, 5), kind]
    cells += [working_amount(values.get(name, 0)) for name, _ in AMOUNTS]
    cells += [field(141, 6), str(int(field(147, 3)))]
    cells += [working_amount(values.get(name, 0)) for name, _ in LEVIES]
    return ";".join('"' + c.replace('"', '""') + '"' if ";" in c or '"' in c else c for c in cells)


IMPORT_DONE = "Η εισαγωγή στοιχείων από Excel ολοκληρώθηκε. Υπάρχουν {} λανθασμένοι ΑΦΜ στα στοιχεία που εισήχθησαν."


@case
def import_writes_the_sheet_rows_in_reverse_as_a_declaration(folder):
    wrong = row("123456780", surname='ΝΙΚΟΛΑΟΥ; "Ο ΝΕΟΣ"', type_inc="12", days=7)
    rows = VALID_ROWS + [wrong]
    csv_cp1253 = "".join(sheet_line(r) + "\r\n" for r in rows).encode("cp1253")
    for name, data in (("rows.csv", csv_cp1253), ("rows-utf8.csv", b"\xef\xbb\xbf" + csv_cp1253.decode(
            "cp1253").encode("utf-8"))):
        source = write(folder, name, data)
        target = os.path.join(folder, "out.txt")
        status, out, err = run("import", source, target, *HEADER_OPTIONS)
        expect((status, messages(err), out), (0, [IMPORT_DONE.format(1), "Γραμμή 4: «123456780»"], ""), name)
        same_except_date(read(target), declaration(list(reversed(rows))), name)
        os.remove(target)


@case
def import_that_stops_writes_nothing(folder):
    target = os.path.join(folder, "out.txt")
    bad_days = sheet_line(VALID_ROWS[0]).split(";")
    bad_days[17] = "1,5"
    first = sheet_line(VALID_ROWS[1]) + "\r\n"
    cases = [
        (first + ";".join(bad_days), 1, "Λάθος στη γραμμή 2 του αρχείου: Η στήλη Σύνολο Ημερών Απασχόλησης (Νο 18) "
                                "πρέπει να έχει ακέραια τιμή <=365. Διορθώστε το για να προχωρήσετε στην εισαγωγή."),
        (first + sheet_line(VALID_ROWS[1]), 1, "Παρουσιάστηκαν σφάλματα κατά την εισαγωγή των στοιχείων. Η εισαγωγή "
                                       "διακόπηκε"),
        ("a;b;c", 1, OPEN_PROBLEM),  # narrower than the 20 columns of a row
        # No sheet at all: the general message, then the reader's reason on its own line.
        ('a;"b', 2, "Ένα κελί του αρχείου .csv ανοίγει εισαγωγικά που δεν κλείνουν."),
    ]
    for sheet, wanted_status, wanted_message in cases:
        source = write(folder, "rows.csv", sheet.encode("cp1253"))
        status, _, err = run("import", source, target, *HEADER_OPTIONS)
        # The reason comes first; the general text or the row where the import stopped follows it.
        expect((status, wanted_message in messages(err)[-2:]), (wanted_status, True), sheet)
        expect(os.path.exists(target), False, "no file written")
    # A workbook refused for what its first sheet holds ends with 1 and names the cell.
    source = os.path.join(folder, "dated.xlsx")
    with zipfile.ZipFile(source, "w") as package:
        package.writestr("_rels/.rels", '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
                         '<Relationship Id="r1" Type="http://x/officeDocument" Target="/xl/workbook.xml"/></Relationships>')
        package.writestr("xl/workbook.xml", '<workbook xmlns:r="urn:r"><sheets><sheet name="A" r:id="s"/></sheets></workbook>')
        package.writestr("xl/_rels/workbook.xml.rels", '<Relationships><Relationship Id="s" Type="http://x/worksheet"'
                         ' Target="worksheets/a.xml"/></Relationships>')
        package.writestr("xl/worksheets/a.xml", '<worksheet><sheetData><row r="1"><c r="A1"><v>1</v></c>'
                         '<c r="B1" t="d"><v>2024-03-01</v></c></row></sheetData></worksheet>')
    status, _, err = run("import", source, target, *HEADER_OPTIONS)
    expect((status, messages(err)[-1]), (1, OPEN_PROBLEM), "date cell")
    expect(messages(err)[-2].startswith("Γραμμή 1, στήλη B (Επώνυμο): έχει ημερομηνία"), True, "date cell named")
    expect(os.path.exists(target), False, "no file written")
    # A header value the declaration cannot hold, a missing option, a missing workbook.
    expect(run("import", source, target, *HEADER_OPTIONS, "--postcode", "1055A")[0], 2, "postcode")
    expect(run("import", source, target, "--year", "2025")[0], 2, "missing options")
    expect(run("import", os.path.join(folder, "none.csv"), target, *HEADER_OPTIONS)[0], 2, "missing workbook")
    expect(os.path.exists(target), False, "no file written")


# --- outputs and inputs -------------------------------------------------------

@case
def an_output_that_is_an_input_is_refused(folder):
    source = write(folder, "in.txt", declaration(VALID_ROWS))
    original = read(source)
    sheet = write(folder, "rows.csv", (sheet_line(VALID_ROWS[0]) + "\r\n").encode("cp1253"))
    os.symlink("in.txt", os.path.join(folder, "link.txt"))
    os.link(source, os.path.join(folder, "hard.txt"))
    os.mkdir(os.path.join(folder, "sub"))
    spellings = [source, os.path.join(folder, "link.txt"), os.path.join(folder, "hard.txt"),
                 os.path.join(folder, "sub", "..", "in.txt")]
    for target in spellings:
        for args in (("report", "detailed", source, target), ("--yes", "report", "totals", source, target)):
            status, out, err = run(*args)
            expect((status, out), (2, ""), f"{args}")
            expect("είναι το ίδιο με το αρχείο εισόδου" in err, True, err)
    expect(read(source), original, "the declaration stays")
    status, _, err = run("--yes", "import", sheet, os.path.join(folder, ".", "rows.csv"), *HEADER_OPTIONS)
    expect(status, 2, "import over its workbook: " + err)
    expect(read(sheet), (sheet_line(VALID_ROWS[0]) + "\r\n").encode("cp1253"), "the workbook stays")


@case
def every_command_replaces_an_existing_output_only_when_told_yes(folder):
    source = write(folder, "in.txt", declaration(VALID_ROWS))
    sheet = write(folder, "rows.csv", (sheet_line(VALID_ROWS[0]) + "\r\n").encode("cp1253"))
    commands = [("resave", source, "{}"), ("sort", "afm", source, "{}"), ("report", "totals", source, "{}"),
                ("report", "detailed", source, "{}.pdf"), ("zip", source, "{}.zip"),
                ("import", sheet, "{}", *HEADER_OPTIONS)]
    for k, command in enumerate(commands):
        name = f"out{k}"
        args = [a.format(os.path.join(folder, name)) if a.startswith("{}") else a for a in command]
        target = next(a for a in args if os.path.basename(a).startswith(name))
        write(folder, os.path.basename(target), b"keep me")
        status, _, err = run(*args)
        expect((status, messages(err)[-1:]), (1, [replace_question(os.path.basename(target))]), f"{command} no")
        expect(read(target), b"keep me", f"{command}: the old file stays")
        status, _, err = run("--yes", *args)
        expect(status, 0, f"{command} yes: {err}")
        expect(read(target) != b"keep me", True, f"{command}: replaced")
    status, out, _ = run("--help")
    expect("αντικαθίσταται μόνο με αυτήν" in out, True, "the help says so")


@case
def a_signal_removes_the_private_folder_and_leaves_the_target(folder):
    # Enough rows that the run is still working when the signal comes.
    rows = [row(afm_with_check_digit("2%07d" % n)) for n in range(60000)]
    source = write(folder, "big.txt", declaration(rows))
    target = write(folder, "out.txt", b"keep me")
    def interrupted_run(signal_number):
        """The run's exit status and messages; 0 when it finished before the signal came."""
        env = dict(os.environ, TMPDIR=scratch, XDG_RUNTIME_DIR=folder)
        process = subprocess.Popen([CLI, "--yes", "resave", source, target], env=env,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        # The private folder is set up before the file is read.
        deadline = time.monotonic() + 60
        while not glob.glob(os.path.join(scratch, "*", "temp")) and time.monotonic() < deadline:
            time.sleep(0.002)
        process.send_signal(signal_number)
        _, err = process.communicate(timeout=60)
        # The replace question may come before the signal; no error may follow it.
        return process.returncode, [line for line in messages(err.decode()) if line != replace_question("out.txt")]

    scratch = os.path.join(folder, "tmp")
    for signal_number in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
        os.mkdir(scratch)
        # A fast machine may finish the save before the signal is sent: try again.
        for _ in range(5):
            status, said = interrupted_run(signal_number)
            if status != 0:
                break
            write(folder, "out.txt", b"keep me")
        expect((status, said), (-signal_number, []), f"ended by signal {signal_number}, silently")
        expect(os.listdir(scratch), [], f"private folder gone after {signal_number}")
        expect(read(target), b"keep me", "the target stays")
        expect(sorted(os.listdir(folder)), ["big.txt", "out.txt", "tmp"], "nothing left beside the target")
        os.rmdir(scratch)

finish()
