"""Reads a printed list back from its PDF with poppler's tools, which we did
not write: the words and their boxes from `pdftotext -bbox`, the cell rules
from the strokes that `pdftocairo -svg` draws. Checks that every value of the
list stands whole in its own cell and that no word crosses a rule or the
page's edge."""
import html
import re
import subprocess
import xml.etree.ElementTree as ET

SLACK = 0.3  # points: a glyph box may touch a rule it does not cross


def words(pdf, page):
    """(xMin, yMin, xMax, yMax, text) of every word on `page` (from 1), and the page's size."""
    done = subprocess.run(["pdftotext", "-bbox", "-f", str(page), "-l", str(page), pdf, "-"],
                          capture_output=True, check=True)
    root = ET.fromstring(done.stdout.decode("utf-8"))
    found, size = [], None
    for element in root.iter():
        tag = element.tag.split("}")[-1]
        if tag == "page":
            size = (float(element.get("width")), float(element.get("height")))
        elif tag == "word":
            found.append(tuple(float(element.get(k)) for k in ("xMin", "yMin", "xMax", "yMax")) + (element.text,))
    return found, size


def rules(pdf, page):
    """The stroked straight lines of `page`: (horizontal, vertical) lists of
    (fixed coordinate, from, to) in the page's points, top down."""
    done = subprocess.run(["pdftocairo", "-svg", "-f", str(page), "-l", str(page), pdf, "-"],
                          capture_output=True, check=True)
    horizontal, vertical = [], []
    for path in re.finditer(rb"<path [^>]*stroke-width[^>]*>", done.stdout):
        text = path.group(0).decode()
        a, b, c, d, e, f = 1, 0, 0, 1, 0, 0
        matrix = re.search(r'transform="matrix\(([^)]*)\)"', text)
        if matrix:
            a, b, c, d, e, f = (float(v) for v in matrix.group(1).split(","))
        points = re.findall(r"([ML]) (-?[\d.]+) (-?[\d.]+)", re.search(r' d="([^"]*)"', text).group(1))
        start = None
        for op, x, y in points:
            x, y = float(x), float(y)
            here = (a * x + c * y + e, b * x + d * y + f)
            if op == "L" and start:
                (x1, y1), (x2, y2) = start, here
                if abs(y1 - y2) < 0.01:
                    horizontal.append((y1, min(x1, x2), max(x1, x2)))
                elif abs(x1 - x2) < 0.01:
                    vertical.append((x1, min(y1, y2), max(y1, y2)))
            start = here
    return horizontal, vertical


def expected_rows(report_html):
    """The rows of the list's table as the HTML file holds them: cell texts
    with the non-breaking blanks dropped, keyed by the first cell's text."""
    text = report_html.decode("cp1253")
    body = text[text.rindex("</tr></thead>"):]
    rows = {}
    for row in re.findall(r"<tr>(.*?)</tr>", body, re.S):
        cells = [html.unescape(c.replace("&nbsp;", "")).strip()
                 for c in re.findall(r"<td[^>]*>(.*?)</td>", row, re.S)]
        if cells and cells[0]:
            rows[cells[0]] = cells
        elif len(cells) > 2:
            rows["totals"] = cells
    return rows


def check_page(pdf, page, expected):
    """Problems found on `page`, as sentences; the rows it checked by their first cell."""
    found, (width, height) = words(pdf, page)
    horizontal, vertical = rules(pdf, page)
    problems, checked = [], []
    for x0, y0, x1, y1, text in found:
        if x0 < -SLACK or y0 < -SLACK or x1 > width + SLACK or y1 > height + SLACK:
            problems.append(f"page {page}: '{text}' crosses the page's edge")
        for x, top, bottom in vertical:
            if top < (y0 + y1) / 2 < bottom and x0 + SLACK < x < x1 - SLACK:
                problems.append(f"page {page}: '{text}' crosses the rule at x={x:.1f}")
        for y, left, right in horizontal:
            if left < (x0 + x1) / 2 < right and y0 + SLACK < y < y1 - SLACK:
                problems.append(f"page {page}: '{text}' crosses the rule at y={y:.1f}")
    # The cells: between two row rules, between the column rules of that band.
    bands = sorted({round(y, 1) for y, _, _ in horizontal})
    for top, bottom in zip(bands, bands[1:]):
        edges = sorted({round(x, 1) for x, t, b in vertical if t <= top + 0.5 and b >= bottom - 0.5})
        cells = [[] for _ in edges[1:]]
        for x0, y0, x1, y1, text in found:
            cy, cx = (y0 + y1) / 2, (x0 + x1) / 2
            if top < cy < bottom:
                for k, (left, right) in enumerate(zip(edges, edges[1:])):
                    if left < cx < right:
                        cells[k].append((round(y0, 1), x0, text))
        texts = ["".join(t for _, _, t in sorted(cell)) for cell in cells]
        key = texts[0] if texts and texts[0] else ("totals" if any("ΣΥΝΟΛΟ" in t for t in texts) else None)
        if key not in expected:
            continue
        wanted = [value.replace(" ", "") for value in expected[key]]
        if texts != wanted:
            problems.append(f"page {page}: row {key} reads {texts}, wanted {wanted}")
        checked.append(key)
    return problems, checked


def page_count(pdf):
    done = subprocess.run(["pdfinfo", pdf], capture_output=True, check=True)
    return int(re.search(rb"Pages:\s+(\d+)", done.stdout).group(1))
