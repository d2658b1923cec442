"""The sheets that every writer is given: the same detail rows, drawn from a
seeded generator, laid out in the ways payroll and HR systems write them.

A sheet is a list of rows of cells; a cell is None (empty) or a tuple:
  ("n", number)                      a number
  ("s", text)                        a text
  ("f", excel, odf, number)          a formula with its number result
  ("fs", excel, odf, text)           a formula with its text result
  ("d", datetime.date)               a date
Each case also says which cells are merged, how many empty formatted rows and
columns follow the data, and what a second sheet holds.
"""
import datetime
import random

ROWS = 50
KINDS = ["10", "11", "12", "13", "14", "15", "16", "20", "21", "22", "23", "24", "25"]
SURNAMES = ["ΠΑΠΑΔΟΠΟΥΛΟΣ", "ΓΕΩΡΓΙΟΥ", "ΝΙΚΟΛΑΪΔΗΣ", "ΑΝΤΩΝΙΟΥ", "ΒΑΣΙΛΕΙΟΥ", "ΚΑΡΑΓΙΑΝΝΗΣ",
            "ΟΙΚΟΝΟΜΟΥ", "ΜΑΚΡΗ", "ΧΑΤΖΗΔΑΚΗ", "ΣΤΕΦΑΝΟΠΟΥΛΟΥ", "ΔΗΜΗΤΡΙΟΥ", "ΚΩΝΣΤΑΝΤΙΝΙΔΟΥ"]
NAMES = ["ΓΙΩΡΓΟΣ", "ΜΑΡΙΑ", "ΕΛΕΝΗ", "ΝΙΚΟΣ", "ΚΩΣΤΑΣ", "ΑΝΝΑ", "ΣΟΦΙΑ", "ΠΑΝΟΣ", "ΧΡΗΣΤΟΣ"]
FATHERS = ["ΚΩΝ", "ΓΕΩ", "ΙΩΑ", "ΔΗΜ", "ΝΙΚ", "ΑΘΑ"]
TOWNS = ["ΑΘΗΝΑ", "ΠΕΙΡΑΙΑΣ", "ΠΑΤΡΑ", "ΛΑΡΙΣΑ", "ΒΟΛΟΣ", "ΧΑΝΙΑ", "ΣΕΡΡΕΣ"]
STREETS = ["ΠΑΤΗΣΙΩΝ", "ΣΤΑΔΙΟΥ", "ΕΡΜΟΥ", "ΑΚΑΔΗΜΙΑΣ", "ΒΑΣ. ΣΟΦΙΑΣ", "ΕΓΝΑΤΙΑΣ", "28ΗΣ ΟΚΤΩΒΡΙΟΥ"]

# The nine amounts of a row, in column order 10-16 then 19-20.
AMOUNTS = ["gross", "stamp", "stamp_levy", "deductions", "net", "withheld", "due", "withheld_levy", "due_levy"]
AMOUNT_COLUMNS = [9, 10, 11, 12, 13, 14, 15, 18, 19]  # 0-based


def afm_check_digit(first8):
    return str(sum(int(d) << (8 - k) for k, d in enumerate(first8)) % 11 % 10)


def people(seed, whole_euros, leading_zeros=False):
    """ROWS rows of logical values that every row check accepts without a question:
    valid distinct tax numbers, net = gross - deductions, withheld <= due <= 40% of net."""
    rng = random.Random(seed)
    seen = set()
    rows = []
    while len(rows) < ROWS:
        first8 = ("0" if leading_zeros else str(rng.randint(1, 9))) + "".join(str(rng.randint(0, 9)) for _ in range(7))
        afm = first8 + afm_check_digit(first8)
        if afm in seen:
            continue
        seen.add(afm)
        unit = 100 if whole_euros else 1
        gross = rng.randint(500_00 // unit, 60_000_00 // unit) * unit
        deductions = rng.randint(0, gross * 3 // 10 // unit) * unit
        net = gross - deductions
        due = rng.randint(0, net * 4 // 10 // unit) * unit
        withheld = rng.randint(0, due // unit) * unit
        stamp = rng.randint(0, gross // 50 // unit) * unit
        rows.append({
            "afm": afm,
            "surname": rng.choice(SURNAMES),
            "name": rng.choice(NAMES),
            "father": rng.choice(FATHERS),
            "town": rng.choice(TOWNS),
            "street": rng.choice(STREETS),
            "number": str(rng.randint(1, 250)),
            "postcode": ("0" if leading_zeros else str(rng.randint(1, 8))) + "%04d" % rng.randint(0, 9999),
            "kind": rng.choice(KINDS),
            "gross": gross, "stamp": stamp, "stamp_levy": stamp * 20 // 100 // unit * unit,
            "deductions": deductions, "net": net, "withheld": withheld, "due": due,
            "withheld_levy": withheld * 3 // 100 // unit * unit, "due_levy": due * 3 // 100 // unit * unit,
            "branch": ("00" if leading_zeros else "") + str(rng.choice([0, 0, 1, 2, 12, 305])),
            "days": rng.randint(0, 365),
        })
    return rows


def amount_text(cents, trailing_zero=False):
    """An amount as a Greek sheet shows it: decimal comma, no thousands separator."""
    whole, part = divmod(cents, 100)
    if not part:
        return str(whole)
    decimals = "%02d" % part
    return "%d,%s" % (whole, decimals if trailing_zero else decimals.rstrip("0"))


def texts(row):
    """The 20 column texts of a logical row, as the import reads them."""
    cells = [row["afm"], row["surname"], row["name"], row["father"], row["town"], row["street"], row["number"],
             row["postcode"], row["kind"]]
    cells += [amount_text(row[a]) for a in AMOUNTS[:7]]
    cells += [row["branch"], str(row["days"])]
    cells += [amount_text(row[a]) for a in AMOUNTS[7:]]
    return cells


def cell_of(column, text, numbers):
    """A column's text as a cell: a number where the column holds digits and
    numbers are wanted, else a text."""
    if not text:
        return None
    if not numbers or not text.replace(",", "", 1).isdigit() or (text.startswith("0") and len(text) > 1
                                                              and "," not in text):
        return ("s", text)
    value = float(text.replace(",", "."))
    return ("n", int(value) if value.is_integer() else value)


def plain_sheet(rows, numbers=True):
    return [[cell_of(c, t, numbers) for c, t in enumerate(texts(r))] for r in rows]


def column_name(index):
    name = ""
    index += 1
    while index:
        index, rest = divmod(index - 1, 26)
        name = chr(65 + rest) + name
    return name


class Case:
    def __init__(self, name, rows, sheet, merges=(), styled_rows=0, styled_columns=0, second=None):
        self.name = name
        self.rows = rows  # the logical rows
        self.sheet = sheet
        self.merges = list(merges)  # (first row, first column, last row, last column), 0-based
        self.styled_rows = styled_rows
        self.styled_columns = styled_columns
        self.second = second

    @property
    def width(self):
        return max(len(r) for r in self.sheet)


def formulas(rows):
    """Net pay as gross minus deductions and the days as a product, from the third row on."""
    sheet = plain_sheet(rows)
    for r in range(2, len(rows)):
        days = rows[r]["days"]
        sheet[r][13] = ("f", "J%d-M%d" % (r + 1, r + 1), "of:=[.J%d]-[.M%d]" % (r + 1, r + 1), rows[r]["net"] // 100)
        sheet[r][17] = ("f", "%d*2+%d" % (days // 2, days % 2), "of:=%d*2+%d" % (days // 2, days % 2), days)
    return sheet


def text_formulas(rows):
    """The surname and the postcode joined from two pieces of text, from the third row on."""
    sheet = plain_sheet(rows)
    for r in range(2, len(rows)):
        surname, postcode = rows[r]["surname"], rows[r]["postcode"]
        cut = len(surname) // 2
        join = '"%s"&"%s"' % (surname[:cut], surname[cut:])
        sheet[r][1] = ("fs", join, "of:=" + join, surname)
        join = '"%s"&"%s"' % (postcode[:2], postcode[2:])
        sheet[r][7] = ("fs", join, "of:=" + join, postcode)
    return sheet


def merged(rows):
    """Every third row has no father's name; its name cell spans both columns."""
    merges = []
    for r in range(0, len(rows), 3):
        rows[r]["father"] = ""
        merges.append((r, 2, r, 3))
    return plain_sheet(rows), merges


def wide(rows):
    """Notes and numbers past the 20 columns the import reads."""
    sheet = plain_sheet(rows)
    for r, row in enumerate(sheet):
        row += [("s", "ΣΗΜΕΙΩΣΗ %d" % (r + 1)), ("n", r * 1.5), ("s", "ΝΑΙ")]
    return sheet


def second_sheet():
    """A sheet that would be refused on its first row if it were read."""
    return [[("s", "ΑΦΜ"), ("s", "ΕΠΩΝΥΜΟ"), ("s", "ΟΝΟΜΑ")] + [("s", "ΣΤΗΛΗ %d" % c) for c in range(4, 21)],
            [("s", "ΣΥΝΟΛΟ")] + [None] * 8 + [("n", 1.5)] * 11]


def dated(rows):
    """"1/3" typed as the street number of the seventh row: the sheet made it 1 March."""
    sheet = plain_sheet(rows)
    sheet[6][6] = ("d", datetime.date(2024, 3, 1))
    return sheet


def foreign(rows):
    """A name on the fifth row with a letter the declaration's code page does not have."""
    rows[4]["name"] = "ĐORĐE"
    return plain_sheet(rows)


def all_cases():
    cases = []
    rows = people("numbers", whole_euros=True)
    cases.append(Case("numbers", rows, plain_sheet(rows)))
    rows = people("text", whole_euros=False)
    sheet = [[("s", t) for t in texts(r)] for r in rows]
    for r, row in enumerate(rows):  # amounts with their trailing zero, as some systems write them
        if r % 4 == 0:
            for a, c in zip(AMOUNTS, AMOUNT_COLUMNS):
                sheet[r][c] = ("s", amount_text(row[a], trailing_zero=True))
    cases.append(Case("text", rows, sheet))
    rows = people("leading-zeros", whole_euros=True, leading_zeros=True)
    cases.append(Case("leading-zeros", rows, plain_sheet(rows)))
    rows = people("decimals", whole_euros=False)
    cases.append(Case("decimals", rows, plain_sheet(rows)))
    rows = people("formulas", whole_euros=True)
    cases.append(Case("formulas", rows, formulas(rows)))
    rows = people("text-formulas", whole_euros=True)
    cases.append(Case("text-formulas", rows, text_formulas(rows)))
    rows = people("trailing-rows", whole_euros=False)
    cases.append(Case("trailing-rows", rows, plain_sheet(rows), styled_rows=12))
    rows = people("trailing-columns", whole_euros=False)
    cases.append(Case("trailing-columns", rows, plain_sheet(rows), styled_columns=6))
    rows = people("second-sheet", whole_euros=False)
    cases.append(Case("second-sheet", rows, plain_sheet(rows), second=second_sheet()))
    rows = people("merged", whole_euros=True)
    sheet, merges = merged(rows)
    cases.append(Case("merged", rows, sheet, merges=merges))
    rows = people("wide", whole_euros=False)
    cases.append(Case("wide", rows, wide(rows)))
    rows = people("date", whole_euros=True)
    cases.append(Case("date", rows, dated(rows)))
    rows = people("foreign-letter", whole_euros=True)
    cases.append(Case("foreign-letter", rows, foreign(rows)))
    return cases
