#!/usr/bin/env python3
"""rozaro-cli writing through links and over other users' files: the replace
question names the file a link leads to; as root, a replaced file keeps its
owner, group and mode, and a link another user planted in a shared sticky
folder is refused with exit 2 and a Greek reason, the file behind it
untouched. The root cases pass over themselves without root.

Usage: python3 test_link_targets.py BIN_DIR
"""
import os

from clitest import CLI, case, expect, finish, read, write
from declarations import afm_with_check_digit, declaration, messages, row, run

QUESTION = "Είστε σίγουρος ότι θέλετε να αντικαταστήσετε το αρχείο {};"


@case
def links_are_named_by_what_they_replace_and_planted_ones_refused(folder):
    source = write(folder, "in.txt", declaration([row(afm_with_check_digit("20000005"))]))
    real = write(folder, "real.txt", b"keep me")
    link = os.path.join(folder, "link.txt")
    os.symlink("real.txt", link)
    status, _, err = run("resave", source, link)
    expect((status, messages(err)), (1, [QUESTION.format(real)]), "the question names the real file")
    expect(read(real), b"keep me", "answered no")
    plain = write(folder, "plain.txt", b"keep me")
    status, _, err = run("resave", source, plain)
    expect(messages(err), [QUESTION.format("plain.txt")], "a plain file by its name")
    if os.geteuid() != 0:
        print("skip: the owner and planted-link cases need root")
        return

    os.chown(real, 4321, 4322)
    os.chmod(real, 0o604)
    status, _, err = run("--yes", "resave", source, link)
    expect(status, 0, err)
    info = os.stat(real)
    expect((info.st_uid, info.st_gid, info.st_mode & 0o7777), (4321, 4322, 0o604), "owner, group, mode kept")
    expect(os.path.islink(link), True, "the link stays")
    written = read(real)

    shared = os.path.join(folder, "shared")
    os.mkdir(shared)
    os.chmod(shared, 0o1777)
    planted = os.path.join(shared, "out.txt")
    os.symlink(real, planted)
    os.lchown(planted, 4321, 4321)
    status, _, err = run("--yes", "resave", source, planted)
    expect((status, messages(err)[-1:]),
           (2, [f"Το αρχείο «{planted}» δεν μπορεί να γραφτεί. Είναι σύνδεσμος που έβαλε άλλος χρήστης "
                "σε κοινόχρηστο φάκελο και δεν ακολουθείται."]), "refused")
    expect(read(real), written, "the file behind it stays")
    expect(sorted(os.listdir(shared)), ["out.txt"], "nothing left beside the link")


finish()
