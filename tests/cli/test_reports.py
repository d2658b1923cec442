#!/usr/bin/env python3
"""End-to-end tests of `rozaro-cli report`: the HTML it writes and the PDF it prints.

Usage: python3 test_reports.py BIN_DIR
"""
import datetime
import os
import re
import shutil
import subprocess

from clitest import CLI, case, expect, finish, write


# --- a declaration of any size -------------------------------------------------

def afm(first8):
    """Eight digits completed with their check digit."""
    s = sum(int(d) << (8 - k) for k, d in enumerate(first8))
    return first8 + str(s % 11 % 10)


def field(value, width, fill=b" ", right=False):
    data = value.encode("cp1253") if isinstance(value, str) else value
    assert len(data) <= width, (value, width)
    return fill * (width - len(data)) + data if right else data + fill * (width - len(data))


SURNAMES = ["ΠΑΠΑΔΟΠΟΥΛΟΣ", "ΑΝΤΩΝΙΟΥ", "ΒΑΣΙΛΕΙΟΥ", "ΓΕΩΡΓΙΟΥ", "ΔΗΜΗΤΡΙΟΥ", "ΚΩΝΣΤΑΝΤΙΝΙΔΗΣ",
            "ΝΙΚΟΛΑΟΥ", "ΙΩΑΝΝΟΥ", "ΜΙΧΑΗΛΙΔΗΣ", "ΣΤΕΦΑΝΟΥ"]
NAMES = ["ΓΙΩΡΓΟΣ", "ΜΑΡΙΑ", "ΝΙΚΟΣ", "ΕΛΕΝΗ", "ΚΩΣΤΑΣ", "ΑΝΝΑ"]


def detail(n):
    """Row n of a generated payroll: gross, deductions and net that agree, tax under 40%."""
    gross = 1200000 + 3711 * n
    deductions = gross // 5
    net = gross - deductions
    tax = net // 10
    amounts = [(gross, 10), (0, 8), (0, 7), (deductions, 9), (net, 10), (tax, 9), (tax, 9)]
    data = (b"3" + field(afm("1%07d" % (1000 + n)), 9) + b" " + field(SURNAMES[n % 10], 18)
            + field(NAMES[n % 6], 9) + field("ΚΩΝ", 3) + field("ΑΘΗΝΑ", 10) + field("ΠΑΤΗΣΙΩΝ", 16)
            + field(str(n), 5) + field("11257", 5) + b"10")
    data += b"".join(field(str(v), w, b"0", True) for v, w in amounts)
    data += field("0", 6) + b"300" + field(b"", 8, b"0") * 2 + b"    "
    assert len(data) == 170
    return data, gross, deductions, net, tax


def declaration(rows, company="ΥΠΟΥΡΓΕΙΟ ΔΟΚΙΜΩΝ"):
    year = str(datetime.date.today().year - 1).encode()
    details = [detail(n) for n in range(1, rows + 1)]
    totals = [sum(d[k] for d in details) for k in (1, 2, 3, 4)]
    record0 = b"0JL10    20250110" + year + b" " * 149
    record1 = (b"1" + year + field(company, 30) + b"0" + field(afm("09000004"), 9) + field("ΜΙΣΘΟΔΟΣΙΑ", 16)
               + field("ΑΘΗΝΑ", 10) + field("ΣΤΑΔΙΟΥ", 16) + field("10", 5) + field("10559", 5) + b" " * 73)
    gross, deductions, net, tax = (field(str(t), 15, b"0", True) for t in totals)
    record2 = (b"2" + gross + deductions + net + field(str(totals[3]), 14, b"0", True) + b"0" * 13 + b"0" * 12
               + field(str(totals[3]), 14, b"0", True) + b"0" * 26 + b" " * 45)
    lines = [record0, record1, record2] + [d[0] for d in details]
    assert all(len(line) == 170 for line in lines)
    return b"".join(line + b"\r\n" for line in lines)


def run(*args):
    env = {k: v for k, v in os.environ.items() if k not in ("QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY")}
    done = subprocess.run([CLI, *args], capture_output=True, timeout=300, env=env)
    return done.returncode, done.stdout, done.stderr.decode("utf-8")


def pdf_pages(path):
    """The text of every page of a PDF, as poppler's pdftotext reads it."""
    done = subprocess.run(["pdftotext", "-layout", path, "-"], capture_output=True, check=True)
    pages = done.stdout.decode("utf-8").split("\f")
    return pages[:-1] if pages and not pages[-1].strip() else pages


# --- the cases ---------------------------------------------------------------------

@case
def html_goes_to_the_output_or_a_file_byte_for_byte(folder):
    source = write(folder, "decl.txt", declaration(3))
    status, out, err = run("report", "detailed", source)
    expect((status, err), (0, ""))
    expect(out[:2] + out[-8:], b"\r\n" + b"</html>\r\n"[-8:], "CR LF lines from the empty first line to </html>")
    rows = re.findall(rb"<tr>\r\n<td class=\"style2\">(\d+)</td>\r\n", out)
    expect(rows, [b"1", b"2", b"3"], "one numbered row per detail row")
    expect(out.decode("cp1253").count("ΑΘΗΝΑ, ΠΑΤΗΣΙΩΝ 1 11257&nbsp;"), 1, "address of row 1")

    target = os.path.join(folder, "totals.htm")
    expect(run("report", "totals", source, target)[0], 0)
    with open(target, "rb") as f:
        totals = f.read()
    expect(totals, run("report", "totals", source)[1], "file and standard output agree")
    assert "ΕΚΤΥΠΩΣΗ ΣΥΝΟΛΩΝ".encode("cp1253") in totals

    # The form page brings its pictures along.
    form = os.path.join(folder, "form.htm")
    expect(run("report", "first-page", source, form)[0], 0)
    assert os.path.isdir(os.path.join(folder, "E7FirstPageFinal.files"))


@case
def pdf_repeats_the_column_titles_on_every_page(folder):
    source = write(folder, "decl.txt", declaration(200))
    target = os.path.join(folder, "detailed.pdf")
    status, _, err = run("report", "detailed", source, target)
    expect((status, err), (0, ""))
    pages = pdf_pages(target)
    assert len(pages) >= 4, f"200 rows on {len(pages)} pages"
    for number, page in enumerate(pages, 1):
        for title in ("Ακαθάριστες", "Χαρτόσημο", "Razeve"):
            assert title in page, f"{title} missing on page {number}"
    text = "".join(pages)
    assert re.search(r"\b200\s+1200", text) or " 200 " in text, "the last row is printed"
    assert "ΣΥΝΟΛΟ" in pages[-1]
    # Every row is printed once and whole (never split over two pages), the
    # report's head stands on the first page only, and every page is numbered.
    for n in range(1, 201):
        tax_number = afm("1%07d" % (1000 + n))
        expect(sum(page.count(tax_number) for page in pages), 1, f"row {n}")
    expect([("ΣΤΟΙΧΕΙΑ ΦΟΡΕΑ" in page) for page in pages], [True] + [False] * (len(pages) - 1))
    for number, page in enumerate(pages, 1):
        assert re.search(rf"\b{number}\s*/\s*{len(pages)}\b", page), f"page {number} unnumbered"

    for kind, wanted in (("totals", 1), ("first-page", 1)):
        target = os.path.join(folder, kind + ".pdf")
        expect(run("report", kind, source, target)[0], 0, kind)
        expect(len(pdf_pages(target)), wanted, kind + " pages")
    assert "ΑΝΑΚΕΦΑΛΑΙΩΣΗ" in pdf_pages(os.path.join(folder, "first-page.pdf"))[0]


@case
def failures_write_nothing_and_say_why(folder):
    source = write(folder, "decl.txt", declaration(1))
    missing = os.path.join(folder, "no", "out.pdf")
    status, out, err = run("report", "detailed", source, missing)
    expect(status, 2)
    assert "δεν μπορεί να γραφτεί" in err, err
    expect(run("report", "weekly", source)[0], 2, "an unknown report")
    status, _, err = run("report", "totals", os.path.join(folder, "absent.txt"))
    expect(status, 2)


finish()
