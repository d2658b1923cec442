"""The declaration file built from its byte rules, and the runner of rozaro-cli,
for the end-to-end tests that compare what the tool writes with those bytes."""
import datetime
import subprocess

from clitest import CLI, expect


def afm_with_check_digit(first8):
    """A nine-digit tax number whose ninth digit is the check digit of the first eight."""
    s = sum(int(d) << (8 - k) for k, d in enumerate(first8))
    return first8 + str(s % 11 % 10)


BODY_AFM = afm_with_check_digit("09000004")  # the employer
# Last year: the save checks refuse a year after the current one.
YEAR = str(datetime.date.today().year - 1).encode()
TODAY_ON_FILE = b"20250110"


def text(value, width):
    data = value.encode("cp1253") if isinstance(value, str) else value
    assert len(data) <= width, (value, width)
    return data + b" " * (width - len(data))


def cents(amount_cents, width):
    data = str(amount_cents).encode()
    return b"0" * (width - len(data)) + data


def record0(year=YEAR, date=TODAY_ON_FILE):
    return b"0JL10    " + date + year + b" " * 149


def record1(year=YEAR, name="ΥΠΟΥΡΓΕΙΟ ΔΟΚΙΜΩΝ", afm=BODY_AFM, service="ΔΙΕΥΘΥΝΣΗ Α",
            town="ΑΘΗΝΑ", street="ΣΤΑΔΙΟΥ", number="10", tk="10559"):
    return (b"1" + year + text(name, 30) + b"0" + text(afm, 9) + text(service, 16) + text(town, 10)
            + text(street, 16) + text(number, 5) + text(tk, 5) + b" " * 73)


# The amount fields of a detail row, in record order, with their widths.
AMOUNTS = [("gross", 10), ("stamp", 8), ("stamp_levy", 7), ("deductions", 9), ("net", 10),
           ("withheld", 9), ("due", 9)]
LEVIES = [("withheld_levy", 8), ("due_levy", 8)]


def row(afm, surname="ΠΑΠΑΔΟΠΟΥΛΟΣ", name="ΓΙΩΡΓΟΣ", father="ΚΩΝ", type_inc="10", days=25,
        branch="0", **amounts):
    """A detail row; amounts are whole cents (gross, deductions and net default to 1000/200/800)."""
    values = {"gross": 100000, "deductions": 20000, "net": 80000}
    values.update(amounts)
    data = (b"3" + text(afm, 9) + b" " + text(surname, 18) + text(name, 9) + text(father, 3)
            + text("ΑΘΗΝΑ", 10) + text("ΠΑΤΗΣΙΩΝ", 16) + text("5", 5) + text("11257", 5)
            + text(type_inc, 2))
    data += b"".join(cents(values.get(field, 0), width) for field, width in AMOUNTS)
    data += text(branch, 6) + cents(days, 3)
    data += b"".join(cents(values.get(field, 0), width) for field, width in LEVIES)
    data += b"    "
    assert len(data) == 170
    return data, values, type_inc


def record2(rows):
    """The totals record the program writes for `rows` (kinds 15 and 16 count in no total)."""
    if not rows:
        return b"2" + b"0" * 124 + b" " * 45
    layout = [("gross", 15), ("deductions", 15), ("net", 15), ("withheld", 14), ("stamp", 13),
              ("stamp_levy", 12), ("due", 14), ("withheld_levy", 13), ("due_levy", 13)]
    counted = [values for _, values, kind in rows if kind not in ("15", "16")]
    data = b"2" + b"".join(cents(sum(v.get(f, 0) for v in counted), w) for f, w in layout) + b" " * 45
    assert len(data) == 170
    return data


def declaration(rows, header=None):
    lines = [record0(), header if header is not None else record1(), record2(rows)]
    lines += [data for data, _, _ in rows]
    return b"".join(line + b"\r\n" for line in lines)


def run(*args, cwd=None):
    done = subprocess.run([CLI, *args], capture_output=True, cwd=cwd, timeout=120)
    return done.returncode, done.stdout.decode("utf-8"), done.stderr.decode("utf-8")


def messages(stderr):
    # A missing income-type list beside the executable is reported at start;
    # it is not what these cases are about.
    return [line for line in stderr.splitlines() if "typeofinc" not in line]


def same_except_date(written, original, what):
    expect(len(written), len(original), what + ": length")
    expect(written[:9] + written[17:], original[:9] + original[17:], what + ": bytes outside the date")
    if not written[9:17].isdigit():
        raise AssertionError(f"{what}: date {written[9:17]!r}")


HEADER_OPTIONS = ["--year", YEAR.decode(), "--afm", BODY_AFM, "--name", "ΥΠΟΥΡΓΕΙΟ ΔΟΚΙΜΩΝ",
                  "--service", "ΔΙΕΥΘΥΝΣΗ Α", "--town", "ΑΘΗΝΑ", "--street=ΣΤΑΔΙΟΥ", "--number", "10",
                  "--postcode", "10559"]
OPEN_PROBLEM = ("Υπήρξε πρόβλημα κατά το άνοιγμα του αρχείου. Βεβαιωθείτε ότι έχετε εγκατεστημένο Excel στον "
                "υπολογιστή σας και/ή το αρχείο που προσπαθείτε να ανοίξετε είναι αρχείο Excel.")
