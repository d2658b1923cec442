"""Declarations of any size for the end-to-end tests: a generated payroll
whose rows agree with themselves, or rows with every field as wide as it goes."""
import datetime


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


WIDE = "ΨΩWΨΩWΨΩWΨΩWΨΩWΨΩW"


def wide_detail(n):
    """Row n with every text field filled to its width in wide letters and every
    amount as large as a row's field holds (in cents, one decimal place)."""
    def text(width):
        return field(WIDE[:width], width)
    largest = {10: 9999999990, 9: 999999990, 8: 99999990, 7: 9999990}
    amounts = [(largest[w], w) for w in (10, 8, 7, 9, 10, 9, 9)]
    data = (b"3" + field(afm("9%07d" % n), 9) + b" " + text(18) + text(9) + text(3) + text(10) + text(16)
            + text(5) + b"99999" + b"99")
    data += b"".join(field(str(v), w, b"0", True) for v, w in amounts)
    data += text(6) + b"999" + field(str(largest[8]), 8) * 2 + b"    "
    assert len(data) == 170, len(data)
    gross, deductions, net, tax = largest[10], largest[9], largest[10], largest[9]
    return data, gross, deductions, net, tax


def declaration(rows, company="ΥΠΟΥΡΓΕΙΟ ΔΟΚΙΜΩΝ", row=detail):
    year = str(datetime.date.today().year - 1).encode()
    details = [row(n) for n in range(1, rows + 1)]
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
