#!/usr/bin/env python3
"""rozaro-cli ended by a signal at the moment its output's new file appears
beside the target, or a little before: the run ends by that signal, silently, the target stays as
it was and neither the new file nor the private folder is left.

Usage: python3 test_interrupt.py BIN_DIR
"""
import glob
import os
import signal
import subprocess
import time

from clitest import CLI, case, expect, finish, read, write
from declarations import afm_with_check_digit, declaration, messages, row

AIMED_RUNS = 20
# With --yes the question is answered, and may come before the signal.
QUESTION = "Είστε σίγουρος ότι θέλετε να αντικαταστήσετε το αρχείο out.txt;"


@case
def a_signal_as_the_new_file_appears_leaves_nothing_behind(folder):
    rows = [row(afm_with_check_digit("2%07d" % n)) for n in range(30000)]
    source = write(folder, "big.txt", declaration(rows))
    scratch = os.path.join(folder, "tmp")
    out = os.path.join(folder, "out")
    os.mkdir(out)
    target = write(out, "out.txt", b"keep me")
    signals = [signal.SIGTERM, signal.SIGINT, signal.SIGHUP]
    aimed = 0
    attempts = 0
    # A run that finished before the signal came proves nothing: try again,
    # so the test holds on a fast machine and a slow one alike.
    while aimed < AIMED_RUNS and attempts < 4 * AIMED_RUNS:
        attempts += 1
        os.mkdir(scratch)
        signal_number = signals[aimed % len(signals)]
        env = dict(os.environ, TMPDIR=scratch, XDG_RUNTIME_DIR=folder)
        process = subprocess.Popen([CLI, "--yes", "resave", source, target], env=env,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        # Every other run aims earlier, while the working rows are written:
        # the output's new file then appears while the signal is handled.
        aim = os.path.join(out, ".out.txt.tmp*") if attempts % 2 else os.path.join(scratch, "*", "temp", "*")
        deadline = time.monotonic() + 60
        while not glob.glob(aim) and process.poll() is None and time.monotonic() < deadline:
            pass
        process.send_signal(signal_number)
        _, err = process.communicate(timeout=60)
        if process.returncode == 0:
            write(out, "out.txt", b"keep me")
        else:
            aimed += 1
            said = [line for line in messages(err.decode()) if line != QUESTION]
            expect((process.returncode, said), (-signal_number, []),
                   f"run {attempts}: ended by signal {signal_number}, silently")
            expect(read(target), b"keep me", f"run {attempts}: the target stays")
        expect(os.listdir(out), ["out.txt"], f"run {attempts}: nothing left beside the target")
        expect(os.listdir(scratch), [], f"run {attempts}: private folder gone")
        os.rmdir(scratch)
    expect(aimed, AIMED_RUNS, "runs the signal reached")


finish()
