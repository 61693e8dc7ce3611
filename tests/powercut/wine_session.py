"""One Wine prefix kept for a whole exploration: a wine server that lives as long as the session
(every program start then costs a process, not a server start), optionally run under strace so that
what the server does to files (creates, renames, deletes, flushes) can be recorded too."""

import os
import subprocess
import time

# The system calls that change names, sizes or contents of files, or make them durable; the file
# position moves too, so that a write() lands where it lands.
TRACED_CALLS = ",".join([
    "open", "openat", "creat", "write", "pwrite64", "writev", "pwritev", "pwritev2", "ftruncate",
    "truncate", "fallocate", "fsync", "fdatasync", "sync_file_range", "syncfs", "sync", "rename",
    "renameat", "renameat2", "unlink", "unlinkat", "mkdir", "mkdirat", "rmdir", "link", "linkat",
    "lseek", "_llseek",
])


def strace_command(log, string_limit=1 << 26):
    # -yy: every descriptor printed with the path it stands for in that process, so descriptors the
    # server hands to its clients need no tracking; -x: data as escaped text; large -s: whole writes.
    # --seccomp-bpf: only the calls traced stop the program, so a traced server is not slowed down.
    return ["strace", "--seccomp-bpf", "-f", "-ttt", "-yy", "-qq", "-x", "-s", str(string_limit), "-e", "signal=none",
            "-e", "trace=" + TRACED_CALLS, "-o", log]


class WineSession:
    def __init__(self, prefix, server_log=None):
        self.prefix = prefix
        self.env = dict(os.environ)
        self.env.update({"WINEPREFIX": prefix, "WINEARCH": "win32", "WINEDEBUG": "-all",
                         "WINEDLLOVERRIDES": "mscoree,mshtml="})
        self.server_log = server_log
        self.server = None

    def boot(self):
        if not os.path.exists(os.path.join(self.prefix, "system.reg")):
            subprocess.run(["wineboot", "-i"], env=self.env, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, check=True)
            subprocess.run(["wineserver", "-w"], env=self.env, check=True)

    def start(self):
        """Starts the persistent server (traced when a log was named) after the prefix is made."""
        self.boot()
        subprocess.run(["wineserver", "-k"], env=self.env, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=self.env, stderr=subprocess.DEVNULL)
        command = ["wineserver", "-f", "-p"]
        if self.server_log:
            os.makedirs(os.path.dirname(self.server_log), exist_ok=True)
            # The server writes no file's contents (the programs do), only its replies: a write of
            # more than this to a file would stop the reduction instead of passing unseen.
            command = strace_command(self.server_log, 256) + command
        self.server = subprocess.Popen(command, env=self.env, stderr=subprocess.DEVNULL)
        # A client arriving before the server listens would start a server of its own, untraced.
        time.sleep(2)
        if self.server.poll() is not None or self.run(["cmd", "/c", "exit"]).returncode != 0:
            raise RuntimeError("the wine server did not come up in " + self.prefix)

    def run(self, args, cwd=None, trace_log=None, timeout=300):
        command = ["wine"] + args
        if trace_log:
            command = strace_command(trace_log) + command
        return subprocess.run(command, cwd=cwd, env=self.env, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, timeout=timeout)

    def untrace(self):
        """Goes on with a server nobody traces (for starts whose operations are not needed)."""
        self.stop()
        self.server_log = None
        self.start()

    def server_log_size(self):
        return os.path.getsize(self.server_log) if self.server_log else 0

    def stop(self):
        if self.server:
            subprocess.run(["wineserver", "-k"], env=self.env, stderr=subprocess.DEVNULL)
            try:
                self.server.wait(timeout=30)
            except subprocess.TimeoutExpired:
                self.server.kill()
            self.server = None

    def __enter__(self):
        self.start()
        return self

    def __exit__(self, *exc):
        self.stop()

    def drive_c(self):
        return os.path.join(self.prefix, "drive_c")
