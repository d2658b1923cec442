#!/usr/bin/env python3
"""End-to-end tests of `rozaro-cli report`: the HTML it writes and the PDF it prints.

Usage: python3 test_reports.py BIN_DIR
"""
import os
import re
import shutil
import subprocess

from clitest import CLI, case, expect, finish, read, write
from payroll import afm, declaration, wide_detail
from pdfcells import check_page, expected_rows, page_count


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


def check_pdf_cells(source, folder, pages=None):
    """Prints the detailed list of `source` to PDF and reads every value back
    from the pages named (all by default): each whole in its own cell, no word
    across a rule or the page's edge. Returns the rows seen, by first cell."""
    page_file, pdf = os.path.join(folder, "list.htm"), os.path.join(folder, "list.pdf")
    expect(run("report", "detailed", source, page_file)[0], 0, "the HTML")
    status, _, err = run("report", "detailed", source, pdf)
    expect((status, err), (0, ""), "the PDF")
    expected = expected_rows(read(page_file))
    seen, problems = [], []
    for page in pages or range(1, page_count(pdf) + 1):
        found, checked = check_page(pdf, page if page > 0 else page_count(pdf) + 1 + page, expected)
        problems += found
        seen += checked
    assert not problems, "\n".join(problems[:20])
    return seen, expected


@case
def pdf_keeps_every_character_of_full_width_values(folder):
    # Every text field filled to its width with wide letters, every amount at
    # its largest: the columns' narrowest widths are wider than the page.
    source = write(folder, "wide.txt", declaration(120, company="ΨΩW" * 10, row=wide_detail))
    seen, expected = check_pdf_cells(source, folder)
    expect(sorted(seen), sorted(expected), "every row read back once, the totals too")


finish()
