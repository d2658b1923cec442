#!/usr/bin/env python3
"""rozaro-cli on a full disk and on outputs that are no regular file: every
command fails with exit 2 and the reason in Greek, and the file that was there
stays whole. The full disk is a small tmpfs, which needs root; without it
those cases pass over themselves and the rest still run.

Usage: python3 test_full_disk.py BIN_DIR
"""
import contextlib
import datetime
import errno
import os
import shutil
import stat
import subprocess
import zipfile

from clitest import CLI, case, expect, finish, read, write

NO_SPACE = "Δεν υπάρχει αρκετός ελεύθερος χώρος στον δίσκο."
NOT_REGULAR = "Δεν είναι κανονικό αρχείο"
YEAR = str(datetime.date.today().year - 1)


def afm_with_check_digit(first8):
    s = sum(int(d) << (8 - k) for k, d in enumerate(first8))
    return first8 + str(s % 11 % 10)


BODY_AFM = afm_with_check_digit("09000004")
HEADER = ["--year", YEAR, "--afm", BODY_AFM, "--name", "ΥΠΟΥΡΓΕΙΟ ΔΟΚΙΜΩΝ"]


def sheet(rows):
    line = "{};ΠΑΠΑΔΟΠΟΥΛΟΣ;ΓΙΩΡΓΟΣ;ΚΩΝ;ΑΘΗΝΑ;ΠΑΤΗΣΙΩΝ;5;11257;10;1000;0;0;200;800;0;0;0;25;0;0\r\n"
    return "".join(line.format(afm_with_check_digit(f"{10000000 + i:08d}")) for i in range(rows)).encode("cp1253")


def run(*args, env=None):
    done = subprocess.run([CLI, "--yes", *args], capture_output=True, timeout=120,
                          env=dict(os.environ, **(env or {})))
    return done.returncode, done.stderr.decode("utf-8")


def declaration(folder, rows=40):
    """A declaration the program wrote itself, from a sheet of `rows` rows."""
    source = write(folder, "rows.csv", sheet(rows))
    target = os.path.join(folder, "declaration.txt")
    status, err = run("import", source, target, *HEADER)
    expect(status, 0, err)
    return target


@contextlib.contextmanager
def full_disk(folder, keep=()):
    """A small tmpfs holding copies of `keep`, then filled to the last byte."""
    mount = os.path.join(folder, "full")
    os.mkdir(mount)
    if os.geteuid() != 0 or subprocess.run(["mount", "-t", "tmpfs", "-o", "size=256k", "tmpfs", mount],
                                           capture_output=True).returncode != 0:
        os.rmdir(mount)
        yield None
        return
    try:
        for path in keep:
            write(mount, os.path.basename(path), read(path))
        with open(os.path.join(mount, "filler"), "wb", buffering=0) as filler:
            for size in (4096, 1):
                with contextlib.suppress(OSError):
                    while True:
                        filler.write(b"f" * size)
        yield mount
    finally:
        subprocess.run(["umount", mount], check=True)
        os.rmdir(mount)


def expect_failed_with_old_file(status, err, path, old, what):
    expect(status, 2, what)
    # The file named may be one of the form's pictures beside it.
    if NO_SPACE not in err or os.path.dirname(path) not in err:
        raise AssertionError(f"{what}: no file and reason in {err!r}")
    expect(read(path), old, what + ": the old file")
    leftovers = sorted(set(os.listdir(os.path.dirname(path))) - {os.path.basename(path), "filler"})
    expect(leftovers, [], what + ": files left behind")


@case
def every_command_onto_a_full_disk_fails_and_keeps_the_old_file(folder):
    source = declaration(folder)
    with full_disk(folder, keep=[source]) as mount:
        if mount is None:
            print("     (skipped: mounting a small file system needs root)")
            return
        target = os.path.join(mount, "declaration.txt")
        old = read(target)
        pdf = os.path.join(mount, "totals.pdf")
        for args in (("resave", source, target), ("sort", "afm", source, target),
                     ("sort", "alpha", source, target), ("report", "detailed", source, target),
                     ("report", "first-page", source, target),
                     ("report", "totals", source, pdf),
                     ("import", os.path.join(folder, "rows.csv"), target, *HEADER),
                     ("zip", source, target)):
            status, err = run(*args)
            expect_failed_with_old_file(status, err, target, old, " ".join(args[:2]))
            expect(os.path.exists(pdf), False, "no PDF")
        if os.path.exists(os.path.join(mount, "E7FirstPageFinal.files")):
            raise AssertionError("an empty pictures folder was left behind")


@case
def a_working_folder_on_a_full_disk_is_no_empty_declaration(folder):
    source = declaration(folder)
    with full_disk(folder) as mount:
        if mount is None:
            print("     (skipped: mounting a small file system needs root)")
            return
        for command in (("check", source), ("resave", source, os.path.join(folder, "out.txt")),
                        ("import", os.path.join(folder, "rows.csv"), os.path.join(folder, "out.txt"), *HEADER),
                        ("report", "totals", source, os.path.join(folder, "out.txt")),
                        ("sort", "afm", source, os.path.join(folder, "out.txt"))):
            status, err = run(*command, env={"TMPDIR": mount})
            expect(status, 2, " ".join(command[:1]))
            # The program's own lists that could not be copied are no missing lists.
            if NO_SPACE not in err or "0 Εγγραφές" in err or "typeofinc.txt" in err:
                raise AssertionError(f"{command[0]}: {err!r}")
        expect(os.path.exists(os.path.join(folder, "out.txt")), False, "nothing written")


@case
def devices_and_pipes_are_refused_and_stay_what_they_are(folder):
    source = declaration(folder, rows=2)
    pipe = os.path.join(folder, "pipe")
    os.mkfifo(pipe)
    outputs = [pipe] + (["/dev/full"] if os.path.exists("/dev/full") else [])
    for output in outputs:
        kind = os.stat(output).st_mode
        # (zip adds ".zip" to such a name, so it never aims at the pipe itself.)
        for args in (("report", "totals", source, output), ("resave", source, output)):
            status, err = run(*args)
            expect(status, 2, f"{args[0]} to {output}")
            if NOT_REGULAR not in err:
                raise AssertionError(f"{args[0]} to {output}: {err!r}")
            expect(stat.S_IFMT(os.stat(output).st_mode), stat.S_IFMT(kind), output)


@case
def zip_and_report_write_through_a_link(folder):
    source = declaration(folder, rows=2)
    for args, name in ((("zip", source), "real.zip"), (("report", "totals", source), "real.htm")):
        real = write(folder, name, b"old")
        link = os.path.join(folder, "link-" + name)
        os.symlink(name, link)
        status, err = run(*args, link)
        expect(status, 0, err)
        expect(os.path.islink(link), True, name + ": the link stays")
        if name.endswith(".zip"):
            with zipfile.ZipFile(real) as archive:
                expect(archive.read("declaration.txt"), read(source), "archive through the link")
        elif read(real) == b"old":
            raise AssertionError("the report did not reach the link's file")


@case
def program_lists_a_user_cannot_read_fail_the_run_with_the_reason(folder):
    # An installation whose files only root may read (a package built under a
    # strict umask): an ordinary user's run must say so, not carry on without them.
    if os.geteuid() != 0 or shutil.which("runuser") is None:
        print("     (skipped: running as another user needs root)")
        return
    program = os.path.join(folder, "program")
    os.mkdir(program)
    shutil.copy(CLI, program)
    shutil.copytree(os.path.join(os.path.dirname(CLI), "Addon"), os.path.join(program, "Addon"))
    scratch = os.path.join(folder, "scratch")
    os.mkdir(scratch)
    source = declaration(folder, rows=2)
    for path in (folder, program, scratch, source):
        os.chmod(path, 0o777 if path == scratch else 0o755 if os.path.isdir(path) else 0o644)
    os.chmod(os.path.join(program, "Addon"), 0o700)
    done = subprocess.run(["runuser", "-u", "nobody", "--", "env", f"TMPDIR={scratch}",
                           os.path.join(program, "rozaro-cli"), "check", source],
                          capture_output=True, timeout=120)
    err = done.stderr.decode("utf-8")
    expect(done.returncode, 2, err)
    if f"«{os.path.join(program, 'Addon')}» δεν μπορεί να ανοίξει. Δεν έχετε δικαίωμα" not in err:
        raise AssertionError(err)
    # (Qt may leave its runtime folder there; the run's own folder must go.)
    expect([e for e in os.listdir(scratch) if e.startswith("rozaro-cli")], [], "the run's folder is gone")


if __name__ == "__main__":
    finish()
