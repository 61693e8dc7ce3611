"""The explorer: every state a power cut may leave during a recorded update (disk_model.py), each
started on as the next start would (/quiet, the same package) and judged (judge.py); a cut during
that start's recovery is explored too, one level deep, from the operations the wine server made for
it (the recovery only renames and deletes, which the server does)."""

import argparse
import os
import sys
import time

import disk_model
import installation
import judge
import record
from wine_session import WineSession

RECORD = "zr~recovery.dat"


def recovery_ops(ops):
    """The operations of a start up to the removal of the record it found: its recovery."""
    for i, op in enumerate(ops):
        if op["path"] == RECORD and op["op"] in ("delete", "rename"):
            return ops[: i + 1]
    return ops


class Explorer:
    def __init__(self, session, work, out, before, updated, deep=True, log=print, each_file=True):
        self.each_file = each_file
        self.session, self.work, self.out = session, work, out
        self.before, self.updated = before, updated
        self.deep = deep
        self.log = log
        self.judged = {}  # state digest -> faults
        self.update_states = set()  # digests of the states a cut in the update leaves
        self.recovery_cuts = 0
        self.recovery_checked = False
        self.runs = 0
        self.findings = []  # (where, faults)

    def start_on(self, files, dirs, traced_server):
        installation.place(self.session, files, dirs)
        self.runs += 1
        if traced_server:
            code, ops = record.record_run(self.session, self.work, ["/quiet"], os.path.join(self.out, "next"),
                                          client_traced=False)
        else:
            code, ops = self.session.run(["ZR5048VersionUp.exe", "/quiet"], cwd=self.work).returncode, []
        after, _ = installation.read(self.session)
        return code, ops, after

    def explore_state(self, where, files, dirs, level):
        digest = disk_model.state_digest(files, dirs)
        if digest in self.judged:
            return False
        deeper = self.deep and level == 1 and RECORD in files
        code, ops, after = self.start_on(files, dirs, deeper)
        faults = judge.judge(self.before, self.updated, after, code)
        self.judged[digest] = faults
        if faults:
            self.findings.append((where, code, faults))
            shown = judge.windows_exit_code(code)
            self.log("FAULT at %s: exit %s: %s" % (where, shown if shown is not None else "status %d" % code,
                                                     "; ".join(faults)))
        if deeper:
            recovery = recovery_ops(ops)
            if recovery and not self.recovery_checked:
                self.check_recovery_is_the_servers(files, dirs, recovery)
            self.recovery_cuts += len(recovery)
            for cut, label, f, d in disk_model.cut_states(files, dirs, recovery, None):
                if cut == 0:
                    continue
                self.explore_state("%s, then a cut in its recovery after %d of %d operations (%s; %s)"
                                   % (where, cut, len(recovery), disk_model.describe(recovery[cut - 1]), label),
                                   f, d, level + 1)
        return True

    def check_recovery_is_the_servers(self, files, dirs, recovery):
        """Once: the same start with the tool traced too must show no more operations in its
        recovery (no write, no flush) than the server's trace alone."""
        installation.place(self.session, files, dirs)
        self.runs += 1
        _, ops = record.record_run(self.session, self.work, ["/quiet"], os.path.join(self.out, "next"))
        if recovery_ops(ops) != recovery:
            raise RuntimeError("the recovery does more than the server's trace shows: %s" % recovery_ops(ops))
        self.recovery_checked = True

    def summary(self, cuts, states):
        update = len(self.update_states & set(self.judged))
        return ("%d cut points, %d states (%d distinct); %d cut points in recoveries, %d more distinct states; "
                "%d starts of the tool" % (cuts, states, update, self.recovery_cuts, len(self.judged) - update, self.runs))

    def explore_with(self, ops, files, dirs, blobs, deadline=None, progress=None):
        """Explores every cut point in order or, with a `deadline` (a time.time()), coarse to fine
        (every 64th first, then every 32nd, ...), so that a run stopped then has covered the whole
        update evenly. Returns the cut points and states explored."""
        states = disk_model.cut_states(files, dirs, ops, blobs, self.each_file)
        self.update_states = {disk_model.state_digest(f, d) for _, _, f, d in states}
        by_cut = {}
        for cut, label, f, d in states:
            by_cut.setdefault(cut, []).append((label, f, d))
        order, seen = [], set()
        for stride in (64, 32, 16, 8, 4, 2, 1) if deadline else (1,):
            for cut in sorted(by_cut):
                if cut % stride == 0 and cut not in seen:
                    seen.add(cut)
                    order.append(cut)
        explored = 0
        for n, cut in enumerate(order):
            if deadline and time.time() > deadline:
                return n, explored
            for label, f, d in by_cut[cut]:
                where = "cut point %d (after %s; %s)" % (cut, disk_model.describe(ops[cut - 1] if cut else None), label)
                self.explore_state(where, f, d, 1)
                explored += 1
            if progress and (n + 1) % progress == 0:
                self.log("... %d of %d cut points: %s" % (n + 1, len(order), self.summary(n + 1, explored)))
        return len(order), explored


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--tool", required=True, help="the version-up tool (.exe)")
    parser.add_argument("--package", required=True, help="the update package")
    parser.add_argument("--installation", required=True, help="a copy of the installation before the update")
    parser.add_argument("--prefix", required=True, help="the Wine prefix to run in (made if missing)")
    parser.add_argument("--out", required=True, help="a scratch folder: traces, logs")
    parser.add_argument("--trace", help="explore this recorded trace (record.py) instead of recording one")
    parser.add_argument("--shallow", action="store_true", help="no cuts during the next start's recovery")
    parser.add_argument("--together", action="store_true",
                        help="unflushed files lost together only, not each alone (for packages of many files)")
    parser.add_argument("--minutes", type=float, help="stop after this long, cut points taken coarse to fine")
    options = parser.parse_args(argv)
    began = time.time()
    files, dirs = disk_model.read_folder(options.installation)
    with WineSession(options.prefix, os.path.join(options.out, "wineserver.log")) as session:
        installation.register(session)
        work = installation.work_folder(session, options.tool, options.package)
        update_dir = os.path.join(options.out, "update")
        if options.trace:
            code, ops = record.load(options.trace)
            update_dir = options.trace
        else:
            code, ops = record.record_update(session, work, files, dirs, update_dir)
        updated, _ = disk_model.final_state(files, dirs, ops, os.path.join(update_dir, "blobs"))
        print("recorded update: %d operations, exit status %d" % (len(ops), code))
        if options.shallow:
            session.untrace()
        explorer = Explorer(session, work, options.out, files, updated, not options.shallow,
                            each_file=not options.together)
        deadline = began + 60 * options.minutes if options.minutes else None
        cuts, states = explorer.explore_with(ops, files, dirs, os.path.join(update_dir, "blobs"), deadline, 100)
    print("%s; %d faults; %.0f s" % (explorer.summary(cuts, states), len(explorer.findings), time.time() - began))
    return 1 if explorer.findings else 0


if __name__ == "__main__":
    sys.exit(main())
