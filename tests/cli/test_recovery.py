#!/usr/bin/env python3
"""A real rozaro-cli killed with SIGKILL in the middle of writing leaves a
working folder from which `rozaro-cli recover` gives the result of the last
command that completed, whole; and the recover command's own answers.

Usage: python3 test_recovery.py BIN_DIR
"""
import os
import random
import shutil
import signal
import subprocess
import time

from clitest import CLI, case, expect, finish, read, write
from declarations import HEADER_OPTIONS, afm_with_check_digit, declaration, row, run, same_except_date

NOTHING = "Δεν υπάρχει εργασία για ανάκτηση στον φάκελο "


def start(folder, *args):
    """rozaro-cli with its private working folder inside `folder`/work."""
    work = os.path.join(folder, "work")
    os.makedirs(work, exist_ok=True)
    return subprocess.Popen([CLI, "--yes", *args], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                            env=dict(os.environ, TMPDIR=work)), work


def kill_when(process, seen, timeout=60):
    """SIGKILL as soon as `seen()` holds; False when the process ended first."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline and process.poll() is None:
        if seen():
            process.send_signal(signal.SIGKILL)
            process.wait()
            return True
    process.kill()
    process.wait()
    return False


def half_written(folder, name):
    """Whether the atomic writer's new file for `name` lies in `folder` (it is being written)."""
    return any(entry.startswith("." + name + ".tmp") for entry in os.listdir(folder))


def grown_base(temp, entry):
    """Whether `entry` is the keeper's new base being written, already holding many rows."""
    try:
        return entry.startswith(".work.base.tmp") and os.path.getsize(os.path.join(temp, entry)) > 100000
    except OSError:
        return False


def left_folder(work):
    """The one working folder the killed program left behind (beside what Qt keeps there)."""
    entries = [e for e in os.listdir(work) if os.path.isdir(os.path.join(work, e, "temp"))]
    expect(len(entries), 1, f"one working folder left among {os.listdir(work)}")
    return os.path.join(work, entries[0])


def detail_lines(data):
    return [line for line in data.split(b"\r\n") if line[:1] == b"3"]


@case
def killed_while_saving_100000_sorted_rows_leaves_the_input_and_nothing_to_recover(folder):
    rng = random.Random(15)
    numbers = rng.sample(range(10000000, 99999999), 100000)
    rows = [row(afm_with_check_digit(f"{n:08d}"), surname="ΠΑΠΑΣ") for n in numbers]
    source = write(folder, "big.txt", declaration(rows))
    before = read(source)
    target = os.path.join(folder, "sorted.txt")

    process, work = start(folder, "sort", "afm", source, target)
    expect(kill_when(process, lambda: half_written(folder, "sorted.txt")), True, "killed during the save")
    expect(os.path.exists(target), False, "no half-written declaration")
    expect(read(source) == before, True, "the declaration sorted is as it was")

    # A one-shot sort keeps no copy of its rows: the file it read is that
    # copy, and sorting it again gives the declaration.
    recovered = os.path.join(folder, "recovered.txt")
    status, _, err = run("recover", left_folder(work), recovered)
    expect(status, 1, err)
    expect(NOTHING in err, True, err)
    expect(os.path.exists(recovered), False, "nothing written")


@case
def killed_while_storing_imported_rows_recovers_all_or_none_of_them(folder):
    count = 20000
    line = "{};ΠΑΠΑΔΟΠΟΥΛΟΣ;ΓΙΩΡΓΟΣ;ΚΩΝ;ΑΘΗΝΑ;ΠΑΤΗΣΙΩΝ;5;11257;10;1000;0;0;200;800;0;0;0;25;0;0\r\n"
    afms = [afm_with_check_digit(f"{10000000 + i:08d}") for i in range(count)]
    sheet = write(folder, "rows.csv", "".join(line.format(a) for a in afms).encode("cp1253"))
    process, work = start(folder, "import", sheet, os.path.join(folder, "out.txt"), *HEADER_OPTIONS)

    def storing():
        for entry in os.listdir(work):
            temp = os.path.join(work, entry, "temp")
            # The imported rows being kept: a new base far larger than the
            # empty declaration's that came before it.
            if os.path.isdir(temp) and any(grown_base(temp, entry) for entry in os.listdir(temp)):
                return True
        return False

    expect(kill_when(process, storing), True, "killed while the rows were written")
    recovered = os.path.join(folder, "recovered.txt")
    status, _, err = run("recover", left_folder(work), recovered)
    expect(status, 0, err)
    got = detail_lines(read(recovered))
    if got:
        expect([g[1:10].decode() for g in got][::-1], afms, "every imported row, whole")
        expect({len(g) for g in got}, {170}, "whole rows")
    else:
        same_except_date(read(recovered), declaration([]), "the header keyed, no row")


def row_in_working_form(data):
    """A file-form detail row as the working file holds it (gross 1000, deductions 200, net 800)."""
    amounts = [(79, 10, b"1000"), (89, 8, b""), (97, 7, b""), (104, 9, b"200"), (113, 10, b"800"),
               (123, 9, b""), (132, 9, b""), (150, 8, b""), (158, 8, b"")]
    out = bytearray(data)
    for start, width, value in amounts:
        out[start:start + width] = value.ljust(width)
    out[147:150] = b"25 "
    return bytes(out)


@case
def recover_says_when_there_is_nothing_and_keeps_an_existing_file(folder):
    status, _, err = run("recover", folder, os.path.join(folder, "out.txt"))
    expect((status, NOTHING + folder in err), (1, True), err)
    status, _, err = run("recover", os.path.join(folder, "missing"), os.path.join(folder, "out.txt"))
    expect(status, 2, err)

    # Work left by a session that stopped after a change.
    temp = os.path.join(folder, "temp")
    os.mkdir(temp)
    write(temp, "session", "Rozaro session 1\nmodified=1\nsummed=1\nfile=\nNaturalPerson=0\n"
          "YearOfData=2025\nAFM=094014201\nCompanyName=\xd5\xd0\nend\n".encode("latin-1"))
    data, _, _ = row("090000045")
    write(temp, "record2", row_in_working_form(data) + b"\r\n")
    existing = write(folder, "out.txt", b"keep")
    expect(subprocess.run([CLI, "recover", folder, existing], capture_output=True).returncode, 1,
           "an existing file is kept without --yes")
    expect(read(existing), b"keep")
    status, _, err = run("--yes", "recover", folder, existing)
    expect(status, 0, err)
    got = read(existing).split(b"\r\n")
    expect(got[1][:36], b"12025\xd5\xd0" + b" " * 28 + b"0", "the header as kept")
    expect(got[3][:10], b"3090000045", "the row")
    expect(got[2][1:16], b"000000000100000", "the totals summed from the rows")
    expect(os.path.exists(os.path.join(temp, "session")), True, "the folder stays as it was")


@case
def recover_reads_nothing_through_a_link(folder):
    temp = os.path.join(folder, "temp")
    os.mkdir(temp)
    write(temp, "session", b"Rozaro session 1\nmodified=1\nsummed=0\nfile=\nNaturalPerson=0\n"
          b"YearOfData=2025\nAFM=094014201\nend\n")
    data, _, _ = row("090000045")
    outside = write(folder, "outside.txt", row_in_working_form(data) + b"\r\n")
    os.symlink(outside, os.path.join(temp, "record2"))
    out = os.path.join(folder, "out.txt")
    status, _, err = run("recover", folder, out)
    expect(status, 0, err)
    expect(detail_lines(read(out)), [], "no row read through the link")

    # The keeper's copy as a link: damage said, nothing written.
    os.symlink(outside, os.path.join(temp, "work.base"))
    status, _, err = run("--yes", "recover", folder, os.path.join(folder, "other.txt"))
    expect((status, "κατεστραμμένο" in err, os.path.exists(os.path.join(folder, "other.txt"))), (2, True, False),
           err)
    expect(os.path.islink(os.path.join(temp, "work.base")), True, "the folder stays as it was")


@case
def an_installed_copy_recovers_from_the_persons_data_folder_by_default(folder):
    # A copy with no Addon/ beside it runs as installed: its working folder is
    # the person's data folder, where the desktop program keeps its work.
    installed = os.path.join(folder, "bin")
    os.mkdir(installed)
    shutil.copy(CLI, installed)
    data = os.path.join(folder, "data")
    os.makedirs(os.path.join(data, "Rozaro"))
    done = subprocess.run([os.path.join(installed, "rozaro-cli"), "recover", os.path.join(folder, "out.txt")],
                          capture_output=True, env=dict(os.environ, XDG_DATA_HOME=data))
    err = done.stderr.decode("utf-8")
    expect((done.returncode, NOTHING + os.path.join(data, "Rozaro") in err), (1, True), err)


@case
def help_names_the_recover_command(folder):
    status, out, _ = run("--help")
    expect(status, 0)
    if "recover [ΦΑΚΕΛΟΣ] ΝΕΟ" not in out:
        raise AssertionError(out)


finish()
