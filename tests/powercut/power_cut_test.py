"""The regular power-cut exploration: an update of a few files (a replaced file, a new file, one
large file, beside a user's file at a reserved name and files the package does not carry) cut at
every point the disk model allows, recovery cuts included; then the explorer's own check: the same
trace with the staged files' flushes removed must show a fault, named with its cut point."""

import argparse
import os
import sys
import time

import disk_model
import explore
import fixture
import installation
import record
from wine_session import WineSession


def regular_case(build):
    before = dict(fixture.installed_base(build))
    before.update({
        "EXCEL/Report.xls": b"report 1.04\r\n",
        "EXCEL/Other.xls": b"not the package's\r\n",
        "EXCEL/zr~0000ABCD.tmp": b"a user's file at a reserved name\r\n",
        "Images/Large.bin": fixture.pseudo_random(600 * 1024, 104),
    })
    entries = {
        "ZR5048Em.exe": fixture.stand_in(build, "1.5.0.0"),
        "EXCEL\\Report.xls": b"report 1.05\r\n",
        "Images\\New.bmp": b"BM a new file",
        "Images\\Large.bin": fixture.pseudo_random(700 * 1024, 105),
    }
    return before, entries


def without_staged_flushes(ops):
    """The fault planted: the flushes of the staged files (every flush but the record's) removed."""
    return [op for op in ops if not (op["op"] == "flush" and op["path"] != explore.RECORD)]


def main():
    sys.stdout.reconfigure(line_buffering=True)
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--build", required=True, help="the i686 build folder")
    parser.add_argument("--shallow", action="store_true", help="no cuts during the next start's recovery")
    options = parser.parse_args()
    began = time.time()
    scratch = os.path.join(options.build, "power-cut")
    before, entries = regular_case(options.build)
    fixture.write_files(os.path.join(scratch, "installation"), before)
    ok = True
    with WineSession(os.path.join(options.build, "wineprefix-power-cut"), os.path.join(scratch, "wineserver.log")) as session:
        package = os.path.join(scratch, "vupcab")
        fixture.make_package(session, os.path.join(options.build, "mkvupcab.exe"), package, entries,
                             os.path.join(scratch, "payloads"))
        installation.register(session)
        work = installation.work_folder(session, os.path.join(options.build, "ZR5048VersionUp.exe"), package)
        files, dirs = disk_model.read_folder(os.path.join(scratch, "installation"))
        update = os.path.join(scratch, "update")
        code, ops = record.record_update(session, work, files, dirs, update)
        blobs = os.path.join(update, "blobs")
        updated, _ = disk_model.final_state(files, dirs, ops, blobs)
        print("recorded update: %d operations, exit status %d" % (len(ops), code))
        if code != 0 or any(updated.get(n.replace("\\", "/")) != d for n, d in entries.items()):
            print("FAIL: the recorded update did not install the package")
            return 1
        explorer = explore.Explorer(session, work, scratch, files, updated, deep=not options.shallow)
        cuts, states = explorer.explore_with(ops, files, dirs, blobs)
        print("power cut: %s; %d faults" % (explorer.summary(cuts, states), len(explorer.findings)))
        ok &= not explorer.findings

        # The explorer itself: a planted fault is found and named.
        planted = explore.Explorer(session, work, scratch, files, updated, deep=False, log=lambda _: None)
        planted.judged = {d: f for d, f in explorer.judged.items()}  # the same state judges the same
        planted_ops = without_staged_flushes(ops)
        planted.explore_with(planted_ops, files, dirs, blobs)
        commit = max(i for i, op in enumerate(planted_ops) if op["op"] == "write" and op["path"] == explore.RECORD)
        named = sorted((where for where, _, _ in planted.findings), key=lambda w: int(w.split()[2]))
        print("planted fault (staged files never flushed): %d states with faults, first at %s"
              % (len(named), named[0] if named else "none"))
        if not named or any(int(w.split()[2]) <= commit for w in named):
            print("FAIL: the planted fault was not found after the commit line (operation %d)" % (commit + 1))
            ok = False
    print("%s in %.0f s" % ("passed" if ok else "FAILED", time.time() - began))
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
