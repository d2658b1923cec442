#!/usr/bin/env python3
"""The detailed list of a large payroll printed to PDF and read back from the
PDF with poppler's tools: the first and the last page keep every character of
every value in its cell (six-digit row numbers, the largest totals). Too slow
for the test suite (a minute or more for 100,000 rows); run by hand:

    python3 tests/cli/check_big_report.py build/bin [ROWS]
"""
import os
import subprocess
import sys
import tempfile
import time

import clitest
from payroll import declaration, wide_detail
from pdfcells import check_page, expected_rows, page_count

ROWS = int(sys.argv[2]) if len(sys.argv) > 2 else 100_000


def run(*args):
    done = subprocess.run([clitest.CLI, *args], capture_output=True)
    return done.returncode, done.stdout, done.stderr.decode("utf-8")


def main():
    with tempfile.TemporaryDirectory() as folder:
        source = clitest.write(folder, "big.txt", declaration(ROWS, company="ΨΩW" * 10, row=wide_detail))
        html, pdf = os.path.join(folder, "list.htm"), os.path.join(folder, "list.pdf")
        started = time.monotonic()
        assert run("report", "detailed", source, html)[0] == 0
        written = time.monotonic()
        status, _, err = run("report", "detailed", source, pdf)
        assert (status, err) == (0, ""), err
        printed = time.monotonic()
        expected = expected_rows(clitest.read(html))
        last = page_count(pdf)
        problems, seen = [], []
        for page in (1, last):
            found, checked = check_page(pdf, page, expected)
            problems += found
            seen += checked
        print(f"{ROWS} rows: HTML {written - started:.1f} s, PDF {printed - written:.1f} s, {last} pages")
        print(f"rows read back from pages 1 and {last}: {seen[:3]} ... {seen[-3:]}")
        assert str(ROWS) in seen and "totals" in seen, "the last row and the totals are on the last page"
        if problems:
            print("\n".join(problems[:40]))
            sys.exit(1)
        print("every value whole in its cell")


main()
