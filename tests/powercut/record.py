"""The recorder: one run of the tool (its whole process tree, and the wine server, whose log the
session keeps) reduced to the operations on the installation folder, checked by replaying them onto
the folder as it was: the replay must end where the run ended, byte for byte."""

import argparse
import json
import os
import time

import disk_model
import installation
import trace_reduce
from wine_session import WineSession


def server_slice(session, start, out):
    time.sleep(0.2)  # the server's tracer writes its last lines after the client has gone
    with open(session.server_log, "rb") as log:
        log.seek(start)
        data = log.read()
    with open(out, "wb") as f:
        f.write(data)
    return out


def record_run(session, work, args, out, client_traced=True):
    """Runs the tool in `work` (the package beside it) with `args` on the installation as placed, and
    returns (exit status, operations); any change to the package stops the recording. With
    client_traced false only the server is traced (the operations it makes: creates, renames,
    deletes), at the cost of a program start only."""
    os.makedirs(out, exist_ok=True)
    files, dirs = installation.read(session)
    start = session.server_log_size()
    client_log = os.path.join(out, "client.log") if client_traced else None
    result = session.run(["ZR5048VersionUp.exe"] + args, cwd=work, trace_log=client_log)
    logs = [server_slice(session, start, os.path.join(out, "server.log"))]
    if client_log:
        logs.append(client_log)
    ops = trace_reduce.reduce_logs(logs, installation.linux_folder(session), os.path.join(out, "blobs"),
                                   {rel: len(data) for rel, data in files.items()}, dirs,
                                   watched=[os.path.join(work, "vupcab")])
    for log in logs:
        os.remove(log)
    if client_traced:
        replayed = disk_model.final_state(files, dirs, ops, os.path.join(out, "blobs"))
        if replayed != installation.read(session):
            raise RuntimeError("the recorded operations do not lead where the run ended")
    return result.returncode, ops


def save(out, exit_code, ops):
    with open(os.path.join(out, "trace.jsonl"), "w") as f:
        f.write(json.dumps({"exit": exit_code}) + "\n")
        for op in ops:
            f.write(json.dumps(op) + "\n")


def record_update(session, work, files, dirs, out):
    """Places the installation as it was (`files`, `dirs`), records one /quiet update of it into
    `out` and saves the trace there; returns its exit status and operations."""
    installation.place(session, files, dirs)
    exit_code, ops = record_run(session, work, ["/quiet"], out)
    save(out, exit_code, ops)
    return exit_code, ops


def load(out):
    with open(os.path.join(out, "trace.jsonl")) as f:
        lines = [json.loads(line) for line in f]
    return lines[0]["exit"], lines[1:]


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--tool", required=True, help="the version-up tool (.exe)")
    parser.add_argument("--package", required=True, help="the update package")
    parser.add_argument("--installation", required=True, help="a copy of the installation before the update")
    parser.add_argument("--prefix", required=True, help="the Wine prefix to run in (made if missing)")
    parser.add_argument("--out", required=True, help="where the trace (trace.jsonl, blobs/) goes")
    options = parser.parse_args()
    files, dirs = disk_model.read_folder(options.installation)
    with WineSession(options.prefix, os.path.join(options.out, "wineserver.log")) as session:
        installation.register(session)
        work = installation.work_folder(session, options.tool, options.package)
        exit_code, ops = record_update(session, work, files, dirs, options.out)
    print("recorded %d operations, exit code %d" % (len(ops), exit_code))


if __name__ == "__main__":
    main()
