#!/usr/bin/env python3
"""rozaro-cli with one system call failed at a time: for a small resave, sort,
detailed report and import, the Nth write, pwrite64, ftruncate, fsync,
fdatasync, rename, close or read fails with EIO (strace's fault injection).

Every run must end one of two ways: exit 0 with exactly the output of the run
that nothing failed, or a non-zero exit with a message in Greek, the target as
it was (the same bytes, or still absent), and nothing left beside it nor in
the private working folder. The one exception is a folder that could not be
synced after the rename: exit 2, the message says so, and the new file is in
place. A signal or a crash is always a fault; a library the loader could not
read ends the run before the program starts, in the loader's words.

The PDF report's own writer is tried with its syncs and renames.
Every call on the program's own files and streams is failed in turn, and a
few on the system's files (libraries, fonts), so that the sweep stays within
a couple of minutes; every command and call kind is run.
Without strace (or where it may not trace) the sweep passes over itself.

Usage: python3 test_syscall_sweep.py BIN_DIR
"""
import concurrent.futures
import os
import re
import shutil
import subprocess
import tempfile

from clitest import CLI, case, expect, finish, write
from declarations import HEADER_OPTIONS, afm_with_check_digit, declaration, row

CALLS = ["write", "pwrite64", "ftruncate", "fsync", "fdatasync", "rename", "close", "read"]
# Calls on the system's own files (libraries, fonts) tried per kind.
SYSTEM_SAMPLES = 3
FOLDER_SYNC = "γράφτηκε, αλλά ο φάκελός του δεν περάστηκε οριστικά στον δίσκο"
LOADER = "error while loading shared libraries"
GREEK = re.compile("[\u0370-\u03ff\u1f00-\u1fff]")
STRACE = shutil.which("strace")
# The commands whose output's folder could not be synced in some run.
FOLDER_SYNC_SEEN = set()


def sheet_bytes(count):
    line = "{};ΠΑΠΑΔΟΠΟΥΛΟΣ;ΓΙΩΡΓΟΣ;ΚΩΝ;ΑΘΗΝΑ;ΠΑΤΗΣΙΩΝ;5;11257;10;1000;0;0;200;800;0;0;0;25;0;0\r\n"
    return "".join(line.format(afm_with_check_digit(f"{10000000 + 7 * i:08d}")) for i in range(count)).encode("cp1253")


def inputs(folder):
    rows = [row(afm_with_check_digit("2%07d" % n)) for n in (5, 3, 9, 1, 7)]
    source = write(folder, "in.txt", declaration(rows))
    sheet = write(folder, "rows.csv", sheet_bytes(5))
    return {
        "resave": (["resave", source], "out.txt"),
        "sort": (["sort", "afm", source], "out.txt"),
        "report": (["report", "detailed", source], "out.htm"),
        "import": (["import", sheet], "out.txt"),
        "report-pdf": (["report", "detailed", source], "out.pdf"),
        "first-page": (["report", "first-page", source], "out.htm"),
        "first-page-pdf": (["report", "first-page", source], "out.pdf"),
    }


# The PDF report shares the reading and the working files with the page
# report; its own writer is what is left to try. The first page's PDF also
# reads the pictures it shows.
CALLS_OF = {"report-pdf": ["fsync", "rename"], "first-page-pdf": ["read", "fsync", "rename"]}


class Run:
    """One run of a command in a folder of its own, maybe under strace."""

    def __init__(self, root, name, command, target_name, existing):
        self.folder = tempfile.mkdtemp(dir=root, prefix=name + "-")
        self.scratch = os.path.join(self.folder, "tmp")
        os.mkdir(self.scratch)
        self.out_folder = os.path.join(self.folder, "out")
        os.mkdir(self.out_folder)
        self.target = os.path.join(self.out_folder, target_name)
        self.before = b"keep me\r\n" if existing else None
        if existing:
            write(self.out_folder, target_name, self.before)
        self.args = [CLI, "--yes"] + command + [self.target] + (HEADER_OPTIONS if name == "import" else [])

    def go(self, prefix):
        env = dict(os.environ, TMPDIR=self.scratch, XDG_RUNTIME_DIR=self.folder)
        done = subprocess.run(prefix + self.args, env=env, capture_output=True, timeout=120)
        self.status = done.returncode
        self.stdout = done.stdout
        self.stderr = done.stderr.decode("utf-8", "replace")
        self.after = open(self.target, "rb").read() if os.path.exists(self.target) else None
        self.beside = sorted(os.listdir(self.out_folder))
        self.left = sorted(os.listdir(self.scratch))
        shutil.rmtree(self.folder, ignore_errors=True)
        return self


SYSTEM_FILE = re.compile(r"^(/usr/|/etc/|/proc/|/sys/|/var/|/lib|/dev/|/run/)|\.so(\.[0-9]+)*$")
CALL_LINE = re.compile(r"^(\d+)\s+(\w+)\((?:\d+<([^>]*)>)?")


def baseline(root, name, command, target_name):
    """The unfailed run, and for each call kind the numbers N worth failing.

    strace counts a call kind per thread, so N is counted per thread as well.
    Calls on the program's own files, its output and its standard streams are
    all chosen; of those on the system's files (libraries, fonts), a few."""
    log = os.path.join(root, name + ".log")
    run = Run(root, name, command, target_name, existing=False)
    run.go([STRACE, "-f", "-qq", "-y", "-o", log, "-e", "trace=" + ",".join(CALLS)])
    seen = {}
    own = {call: set() for call in CALLS}
    system = {call: [] for call in CALLS}
    for line in open(log, encoding="utf-8", errors="replace"):
        match = CALL_LINE.match(line)
        if not match or match.group(2) not in own:
            continue
        pid, call, path = match.groups()
        n = seen[pid, call] = seen.get((pid, call), 0) + 1
        # A call on no open file (closing every descriptor before a start)
        # has nothing to fail; a rename names its files, not a descriptor.
        if (path is None and call != "rename") or (path is not None and SYSTEM_FILE.search(path)):
            system[call].append(n)
        else:
            own[call].add(n)
    chosen = {}
    for call in CALLS:
        spread = system[call][::max(1, len(system[call]) // SYSTEM_SAMPLES)][:SYSTEM_SAMPLES]
        last = max([n for (_, c), n in seen.items() if c == call], default=0)
        # One past the last: the call is no longer reached and the run must
        # be the unfailed one.
        chosen[call] = sorted(own[call] | set(spread) | {last + 1})
    return run, chosen


def comparable(output):
    """What two runs must share: the bytes, but of a PDF, which carries the
    time it was made and may encode its pictures otherwise when an image
    plugin could not be loaded, the text and pictures poppler reads from it
    and that it is whole."""
    if output is None or not output.startswith(b"%PDF-"):
        return output
    with tempfile.NamedTemporaryFile(suffix=".pdf") as pdf:
        pdf.write(output)
        pdf.flush()
        text = subprocess.run(["pdftotext", "-layout", pdf.name, "-"], capture_output=True).stdout
        listing = subprocess.run(["pdfimages", "-list", pdf.name], capture_output=True, text=True).stdout
    pictures = [line.split()[:5] for line in listing.splitlines()[2:]]
    return text, pictures, output.rstrip().endswith(b"%%EOF")


def faults(name, call, n, run, right):
    """What is wrong with one failed run; empty when nothing is."""
    where = f"{name}: {call} #{n} failed"
    # Whether the target may be there is checked above; nothing else may,
    # but for the first page's pictures beside a page that is in place.
    expected_beside = [os.path.basename(run.target)] if run.after is not None else []
    if run.status == 0 or f"«{run.target}» {FOLDER_SYNC}" in run.stderr:
        expected_beside = right.beside
    wrong = []
    if run.status == 127 and LOADER in run.stderr:
        # The program never started: the loader could not read a library.
        # It can say so only in its own words; the files are checked below.
        pass
    elif run.status < 0 or run.status > 2:
        wrong.append(f"{where}: ended by status {run.status}: {run.stderr.strip()[-300:]}")
    elif run.status == 0:
        if (comparable(run.after), run.stdout) != (comparable(right.after), right.stdout):
            wrong.append(f"{where}: exit 0 with a different output")
    else:
        if not GREEK.search(run.stderr):
            wrong.append(f"{where}: exit {run.status} without a Greek message: {run.stderr.strip()[-300:]!r}")
        if f"«{run.target}» {FOLDER_SYNC}" in run.stderr:
            FOLDER_SYNC_SEEN.add(name)
            if run.status != 2 or comparable(run.after) != comparable(right.after):
                wrong.append(f"{where}: folder sync reported, but exit {run.status} or the file not in place")
            if any(run.target in line and "δεν μπορεί να γραφτεί" in line for line in run.stderr.splitlines()):
                wrong.append(f"{where}: the file is in place, yet called unwritten: {run.stderr.strip()[-300:]}")
        elif run.after != run.before:
            wrong.append(f"{where}: exit {run.status} and the target changed")
    if run.beside != expected_beside:
        wrong.append(f"{where}: left beside the target: {run.beside}")
    if run.left:
        wrong.append(f"{where}: left in the private folder: {run.left}")
    return wrong


def usable():
    if not STRACE:
        return False
    probe = subprocess.run([STRACE, "-f", "-qq", "-e", "trace=none", "true"], capture_output=True)
    return probe.returncode == 0


@case
def one_failed_call_never_gives_a_wrong_file_a_touched_target_or_a_leftover(folder):
    if not usable():
        print("skip: strace is missing or may not trace here")
        return
    work = os.path.join(folder, "runs")
    os.mkdir(work)
    jobs = []
    rights = {}
    for name, (command, target_name) in inputs(folder).items():
        right, chosen = baseline(work, name, command, target_name)
        expect(right.status, 0, f"{name} unfailed: {right.stderr}")
        rights[name] = right
        jobs += [(name, command, target_name, call, n) for call in CALLS_OF.get(name, CALLS) for n in chosen[call]]

    def one(job):
        name, command, target_name, call, n = job
        run = Run(work, name, command, target_name, existing=n % 2 == 1)
        # strace fails only calls it traces.
        run.go([STRACE, "-f", "-qq", "-o", "/dev/null", "-e", "trace=" + call,
                "-e", f"inject={call}:error=EIO:when={n}"])
        return faults(name, call, n, run, rights[name])

    with concurrent.futures.ThreadPoolExecutor(max_workers=2) as pool:
        found = [line for wrong in pool.map(one, jobs) for line in wrong]
    print(f"{len(jobs)} runs, {len(found)} faults")
    for line in found:
        print("  " + line)
    # Each command reached the sync of its output's folder and said so.
    expect(sorted(FOLDER_SYNC_SEEN), sorted(rights), "a failed sync of the output's folder, told as such")
    expect(found, [], "one failed call")
    help_text = subprocess.run([CLI, "--help"], capture_output=True).stdout.decode("utf-8")
    expect("φάκελός του δεν περάστηκε οριστικά στον δίσκο" in help_text.replace("\n", " "), True,
           "--help tells the case apart")


finish()
