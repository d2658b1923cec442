#!/usr/bin/env python3
"""The archives of `rozaro-cli zip`, checked by tools we did not write: unzip -t,
zipinfo and Python's zipfile, and byte for byte against zlib's raw deflate.

Usage: python3 test_zip.py BIN_DIR
"""
import os
import random
import struct
import subprocess
import time
import zipfile
import zlib

from clitest import BIN_DIR, CLI, case, finish


def cli(*args):
    return subprocess.run([CLI, *args], capture_output=True, timeout=120)


def raw_deflate(data):
    z = zlib.compressobj(zlib.Z_DEFAULT_COMPRESSION, zlib.DEFLATED, -15)
    return z.compress(data) + z.flush()


def dos_stamp(seconds):
    t = time.localtime(seconds)
    return (t.tm_sec // 2 + t.tm_min * 32 + t.tm_hour * 2048,
            t.tm_mday + t.tm_mon * 32 + (t.tm_year - 1980) * 512)


def check_archive(archive, name, data, before, after):
    """One member named `name` (str) holding `data`, valid for every outside tool."""
    blob = open(archive, "rb").read()
    raw_name = name.encode("cp1253")
    deflated = raw_deflate(data)
    n, c = len(raw_name), len(deflated)
    assert len(blob) == 30 + n + c + 46 + n + 22, (len(blob), n, c)

    local = struct.unpack("<IHHHHHIIIHH", blob[:30])
    assert local[6:] == (zlib.crc32(data), c, len(data), n, 0), local
    assert blob[30:30 + n] == raw_name and blob[30 + n:30 + n + c] == deflated
    assert struct.unpack("<II", blob[-10:-2]) == (46 + n, 30 + n + c)
    # The stamp is the local time of the run, to the format's two seconds.
    assert (local[4], local[5]) in {dos_stamp(s) for s in range(int(before) - 2, int(after) + 2)}, local

    with zipfile.ZipFile(archive) as z:
        assert z.testzip() is None
        (info,) = z.infolist()
        assert info.flag_bits & 0x800 == 0
        assert info.filename.encode("cp437") == raw_name
        assert z.read(info) == data
    tested = subprocess.run(["unzip", "-t", archive], capture_output=True)
    assert tested.returncode == 0 and b"No errors detected" in tested.stdout, tested
    listed = subprocess.run(["zipinfo", "-v", archive], capture_output=True)
    assert listed.returncode == 0, listed
    assert b"compression method:                             deflated" in listed.stdout, listed.stdout
    assert f"uncompressed size:                              {len(data)} bytes".encode() in listed.stdout


def pack(folder, name, data, *archive):
    source = os.path.join(folder, name)
    with open(source, "wb") as f:
        f.write(data)
    before = time.time()
    result = cli("zip", source, *archive)
    after = time.time()
    assert result.returncode == 0, result
    assert result.stdout == b"" and result.stderr == b"", result
    return (archive[0] if archive else source + ".zip"), before, after


@case
def sources_of_every_kind_make_archives_the_tools_accept(folder):
    rng = random.Random(11)
    declaration = b"".join(b"3%09d %-160s\r\n" % (k, b"\xd0\xc1\xd0\xc1\xc4\xcf\xd0\xcf\xd5\xcb\xcf\xd3")
                           for k in range(40000))
    sources = [
        ("empty", b""),
        ("small.txt", b"0JL10    20250110" + b" " * 153 + b"\r\n"),
        ("binary.bin", bytes(rng.randrange(256) for _ in range(70000))),
        ("ΔΗΛΩΣΗ Εργοδότη 2025.txt", "Αθήνα".encode("cp1253") * 300),
        ("090000045-Rozaro", declaration),  # about 6.9 MB
    ]
    for name, data in sources:
        archive, before, after = pack(folder, name, data)
        check_archive(archive, name, data, before, after)
    assert raw_deflate(b"") == b"\x03\x00"


@case
def an_existing_archive_is_replaced_only_on_yes(folder):
    source = os.path.join(folder, "a.txt")
    with open(source, "wb") as f:
        f.write(b"new content")
    archive = os.path.join(folder, "keep.zip")
    with open(archive, "wb") as f:
        f.write(b"old archive")
    declined = cli("zip", source, archive)
    assert declined.returncode == 1, declined
    assert declined.stderr.decode() == "Είστε σίγουρος ότι θέλετε να αντικαταστήσετε το αρχείο keep.zip;\n"
    assert open(archive, "rb").read() == b"old archive"
    # The question names what was typed, without the ".zip" added to it.
    declined = cli("zip", source, archive[:-4])
    assert declined.stderr.decode().endswith("το αρχείο keep;\n"), declined
    before = time.time()
    accepted = cli("--yes", "zip", source, archive)
    assert accepted.returncode == 0, accepted
    check_archive(archive, "a.txt", b"new content", before, time.time())
    assert sorted(os.listdir(folder)) == ["a.txt", "keep.zip"]


@case
def failures_leave_no_archive_and_say_why(folder):
    missing = cli("zip", os.path.join(folder, "nothing.txt"))
    assert missing.returncode == 2 and b"nothing.txt" in missing.stderr, missing
    assert os.listdir(folder) == []
    own = os.path.join(folder, "own.zip")
    with open(own, "wb") as f:
        f.write(b"precious")
    # A folder where the archive should go cannot be written to.
    blocked = cli("zip", own, os.path.join(folder, "no", "such", "place.zip"))
    assert blocked.returncode == 2 and "Ο φάκελος του αρχείου δεν υπάρχει.".encode() in blocked.stderr, blocked
    assert sorted(os.listdir(folder)) == ["own.zip"]
    usage = cli("zip")
    assert usage.returncode == 2 and "Χρήση: rozaro-cli zip".encode() in usage.stderr, usage


if __name__ == "__main__":
    finish()
