"""The larger exploration, outside the test suite (it takes long): an update of 255 files cut at
every point (the unflushed files lost together), and a signed package that a tool built with the
test keys refuses after staging, cut at every point with its recovery cuts. Prints the figures."""

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

KEYS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "fixtures", "keys")


def large_case(build):
    before = dict(fixture.installed_base(build))
    entries = {"ZR5048Em.exe": fixture.stand_in(build, "1.5.0.0")}
    for i in range(254):
        folder = ("EXCEL", "Images", "Data")[i % 3]
        name = "%s/File%03d.dat" % (folder, i)
        if i % 5:  # four in five replace an installed file, the rest are new
            before[name] = b"1.04 %d\r\n" % i
        entries[name.replace("/", "\\")] = b"1.05 %d\r\n" % i
    before["EXCEL/zr~0000ABCD.tmp"] = b"a user's file at a reserved name\r\n"
    before["Data/Notes.txt"] = b"not the package's\r\n"
    return before, entries


def run_case(build, scratch, tool, before, entries, key, deep, each_file, expected_exit, minutes=None):
    os.makedirs(scratch, exist_ok=True)
    fixture.write_files(os.path.join(scratch, "installation"), before)
    with WineSession(os.path.join(build, "wineprefix-power-cut-large"), os.path.join(scratch, "wineserver.log")) as session:
        package = os.path.join(scratch, "vupcab")
        fixture.make_package(session, os.path.join(build, "mkvupcab.exe"), package, entries,
                             os.path.join(scratch, "payloads"), key)
        installation.register(session)
        work = installation.work_folder(session, tool, package)
        files, dirs = disk_model.read_folder(os.path.join(scratch, "installation"))
        update = os.path.join(scratch, "update")
        code, ops = record.record_update(session, work, files, dirs, update)
        blobs = os.path.join(update, "blobs")
        updated, _ = disk_model.final_state(files, dirs, ops, blobs)
        print("recorded: %d operations, exit status %d (expected %d)" % (len(ops), code, expected_exit & 0xFF))
        if not deep:
            session.untrace()
        explorer = explore.Explorer(session, work, scratch, files, updated, deep=deep, each_file=each_file)
        deadline = time.time() + 60 * minutes if minutes else None
        cuts, states = explorer.explore_with(ops, files, dirs, blobs, deadline, progress=100)
        total = len({cut for cut, _, _, _ in disk_model.cut_states(files, dirs, ops, blobs, each_file)})
        print("explored %d of %d cut points: %s; %d faults" % (cuts, total, explorer.summary(cuts, states),
                                                              len(explorer.findings)))
        return code == expected_exit & 0xFF and not explorer.findings


def main():
    sys.stdout.reconfigure(line_buffering=True)
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--build", required=True, help="the i686 build folder")
    parser.add_argument("--only", choices=["large", "signed"])
    parser.add_argument("--minutes", type=float, help="stop the 255 files' exploration after this long "
                        "(its cut points are taken coarse to fine, so a stopped run covers the whole update)")
    options = parser.parse_args()
    build = os.path.abspath(options.build)
    ok = True
    if options.only in (None, "signed"):
        began = time.time()
        print("== a signed package refused after staging (tool with the test keys, package signed by another key)")
        from power_cut_test import regular_case
        before, entries = regular_case(build)
        ok &= run_case(build, os.path.join(build, "power-cut-signed"), os.path.join(build, "keyed", "ZR5048VersionUp.exe"),
                       before, entries, os.path.join(KEYS, "other.key"), True, True, 1620)
        print("   %.0f s" % (time.time() - began))
    if options.only in (None, "large"):
        began = time.time()
        print("== 255 files")
        before, entries = large_case(build)
        ok &= run_case(build, os.path.join(build, "power-cut-large"), os.path.join(build, "ZR5048VersionUp.exe"),
                       before, entries, None, False, False, 0, options.minutes)
        print("   %.0f s" % (time.time() - began))
    print("passed" if ok else "FAILED")
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
