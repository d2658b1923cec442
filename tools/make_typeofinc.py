#!/usr/bin/env python3
"""Writes resources/Addon/typeofinc.txt, the list of income kinds behind the
grid's income-kind box: a 2-character code and a 52-character description per
line, cp1253, CR LF line ends."""
import pathlib
import sys

KINDS = [
    ("10", "Τακτικές αποδοχές"),
    ("11", "Πρόσθετες αποδοχές"),
    ("12", "Αναδρομικά"),
    ("13", "Λοιπά"),
    ("14", "Αποδοχές που παρέχονται στην αλλοδαπή από κάτοικο Ελλάδας"),
    ("15", "Αποδοχές φορολογούμενες με ειδικό τρόπο ή αυτοτελώς"),
    ("16", "Αποδοχές απαλασσόμενες στο σύνολό τους"),
    ("20", "Κύρια σύνταξη"),
    ("21", "Επικουρική σύνταξη"),
    ("22", "Μέρισμα από ασφαλιστικές εισφορές"),
    ("23", "Βοήθημα από ασφαλιστικές εισφορές"),
    ("24", "Αναδρομικά"),
    ("25", "Λοιπά"),
]
DESC_WIDTH = 52


def main() -> int:
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "resources")
    lines = [code + desc[:DESC_WIDTH].ljust(DESC_WIDTH) for code, desc in KINDS]
    data = "".join(line + "\r\n" for line in lines).encode("cp1253")
    target = root / "Addon" / "typeofinc.txt"
    target.parent.mkdir(parents=True, exist_ok=True)
    target.write_bytes(data)
    return 0


if __name__ == "__main__":
    sys.exit(main())
