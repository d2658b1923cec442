"""What the end-to-end tests of rozaro-cli share: where the tool is, a runner
that gives each group of checks a fresh folder and counts it, and small file
and comparison helpers. Each test file is run as `python3 test_x.py BIN_DIR`.
"""
import os
import sys
import tempfile
import traceback

BIN_DIR = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "bin")
CLI = os.path.join(BIN_DIR, "rozaro-cli")

RESULTS = {"passed": 0, "failed": 0}


def case(fn):
    """Runs one group of checks in a fresh folder and counts it."""
    with tempfile.TemporaryDirectory() as folder:
        try:
            fn(folder)
            RESULTS["passed"] += 1
            print(f"ok   {fn.__name__}")
        except Exception:  # noqa: BLE001 - report and go on with the other cases
            RESULTS["failed"] += 1
            print(f"FAIL {fn.__name__}")
            traceback.print_exc(file=sys.stdout)
    return fn


def finish():
    """Prints the closing count and ends with the status CTest reads."""
    print(f"{RESULTS['passed']} passed, {RESULTS['failed']} failed")
    sys.exit(1 if RESULTS["failed"] else 0)


def expect(actual, wanted, what=""):
    if actual != wanted:
        raise AssertionError(f"{what}\n  wanted: {wanted!r}\n  actual: {actual!r}")


def write(folder, name, data):
    path = os.path.join(folder, name)
    with open(path, "wb") as f:
        f.write(data)
    return path


def read(path):
    with open(path, "rb") as f:
        return f.read()
