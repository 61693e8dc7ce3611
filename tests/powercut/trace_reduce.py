"""Reduces strace logs of a program and its wine server to the operations on one folder: create,
mkdir, write (offset, length, content digest), truncate (size), flush, rename, delete, rmdir, in
the order they completed. Paths are relative to the folder, with '/' between components; the bytes
written are kept in a blob store under their digest."""

import hashlib
import os
import re

LINE = re.compile(r"^(\d+)\s+(\d+\.\d+)\s+(.*)$")
CALL = re.compile(r"^(\w+)\((.*)\)\s+=\s+(-?\d+|0x[0-9a-f]+|\?)(?:<(.*)>)?(?:\s.*)?$", re.S)
RESUMED = re.compile(r"^<\.\.\. (\w+) resumed>(.*)$", re.S)
NAME_OPS = ("create", "mkdir", "rename", "delete", "rmdir", "truncate")


def parse_c_string(text, start):
    """The bytes of the C string literal beginning at text[start] (a quote) and the index after it."""
    assert text[start] == '"', text[start:start + 40]
    out = bytearray()
    i = start + 1
    escapes = {"n": 10, "t": 9, "r": 13, "v": 11, "f": 12, "a": 7, "b": 8, "\\": 92, '"': 34, "'": 39}
    while text[i] != '"':
        c = text[i]
        if c == "\\":
            e = text[i + 1]
            if e == "x":
                out.append(int(text[i + 2:i + 4], 16))
                i += 4
                continue
            if e in escapes:
                out.append(escapes[e])
                i += 2
                continue
            m = re.match(r"[0-7]{1,3}", text[i + 1:])
            out.append(int(m.group(0), 8))
            i += 1 + len(m.group(0))
            continue
        out += c.encode("utf-8")
        i += 1
    i += 1
    if text.startswith("...", i):
        raise ValueError("a write longer than strace's -s: the trace cannot be replayed")
    return bytes(out), i


def take_string(text):
    """The C string literal at the start of `text` and what follows it."""
    data, end = parse_c_string(text, 0)
    return data, text[end:]


def read_events(log_paths):
    """Every completed call of interest in the logs, merged in time order: (time, pid, name, args, ret, retpath)."""
    events = []
    for path in log_paths:
        pending = {}
        with open(path, encoding="utf-8", errors="surrogateescape") as log:
            for line in log:
                m = LINE.match(line.rstrip("\n"))
                if not m:
                    continue
                pid, stamp, rest = m.group(1), float(m.group(2)), m.group(3)
                if rest.endswith("<unfinished ...>"):
                    pending[pid] = rest[: -len("<unfinished ...>")].rstrip()
                    continue
                r = RESUMED.match(rest)
                if r:
                    if pid not in pending:
                        continue
                    rest = pending.pop(pid) + r.group(2)
                c = CALL.match(rest)
                if not c:
                    continue
                events.append((stamp, pid, c.group(1), c.group(2), c.group(3), c.group(4)))
    events.sort(key=lambda e: e[0])
    return events


def unescape_path(text):
    """A path as strace prints it after a descriptor (bytes it cannot show as \\xNN) in UTF-8."""
    data = re.sub(rb"\\x([0-9a-f]{2})", lambda m: bytes([int(m.group(1), 16)]), text.encode("utf-8", "surrogateescape"))
    return data.decode("utf-8", "surrogateescape")


def fd_path(arg):
    """The path strace printed for a descriptor argument such as 19</a/b>, or None."""
    m = re.match(r"^-?\d+<(.*?)>(?:,|$)", arg)
    if not m or m.group(1).startswith(("pipe:", "socket:", "anon_inode:", "/dev/")):
        return None
    path = unescape_path(m.group(1))
    return path[: -len(" (deleted)")] if path.endswith(" (deleted)") else path


def split_fd(args):
    m = re.match(r"^(-?\d+|AT_FDCWD)(?:<(.*?)>)?, ", args)
    return m.group(2), args[m.end():]


def canonical(path, base=None):
    if base and not path.startswith("/"):
        path = os.path.join(base, path)
    folder, name = os.path.split(path.rstrip("/"))
    return os.path.join(os.path.realpath(folder), name)


class Reducer:
    def __init__(self, folder, blobs, initial_files, initial_dirs, watched=()):
        self.folder = os.path.realpath(folder)
        self.blobs = blobs
        self.watched = [os.path.realpath(w) for w in watched]
        self.ops = []
        self.sizes = dict(initial_files)  # relative path -> size, as the replay stands
        self.dirs = set(initial_dirs)
        self.position = {}  # relative path -> file position of its last open description
        os.makedirs(blobs, exist_ok=True)

    def relative(self, path, change=True):
        """`path` relative to the folder, or None outside it. A change to a watched file stops the
        reduction."""
        if path is None:
            return None
        if path in self.watched:
            if change:
                raise RuntimeError("the program changed " + path)
            return None
        if path == self.folder:
            return ""
        if path.startswith(self.folder + "/"):
            return path[len(self.folder) + 1:]
        return None

    def emit(self, **op):
        self.ops.append(op)

    def write(self, rel, offset, data, moves_position=True):
        digest = hashlib.sha256(data).hexdigest()
        blob = os.path.join(self.blobs, digest)
        if not os.path.exists(blob):
            with open(blob, "wb") as f:
                f.write(data)
        self.emit(op="write", path=rel, offset=offset, length=len(data), digest=digest)
        self.sizes[rel] = max(self.sizes.get(rel, 0), offset + len(data))
        if moves_position:
            self.position[rel] = offset + len(data)

    def rename(self, src, dst):
        if src is None and dst is None:
            return
        if src is None or dst is None:
            raise RuntimeError("a rename across the folder's edge: %s -> %s" % (src, dst))
        moved = {p: s for p, s in self.sizes.items() if p == src or p.startswith(src + "/")}
        for p in moved:
            del self.sizes[p]
        for p, s in moved.items():
            self.sizes[dst + p[len(src):]] = s
        if src in self.dirs:
            self.dirs = {dst + d[len(src):] if d == src or d.startswith(src + "/") else d for d in self.dirs}
        self.emit(op="rename", path=src, to=dst)

    def event(self, name, args, ret, retpath):
        if ret.startswith("-") or ret == "?":
            return  # failed calls change nothing
        if name in ("open", "openat", "creat"):
            if name == "openat":
                base, rest = split_fd(args)
            else:
                base, rest = None, args
            path, rest = take_string(rest)
            full = unescape_path(retpath) if retpath else canonical(path.decode("utf-8", "surrogateescape"), base)
            if full.endswith(" (deleted)"):
                return
            flags = rest
            rel = self.relative(full, change=any(f in flags for f in ("O_WRONLY", "O_RDWR", "O_TRUNC")))
            if rel is None:
                return
            if rel not in self.sizes and ("O_CREAT" in flags or name == "creat") and rel not in self.dirs:
                self.emit(op="create", path=rel)
                self.sizes[rel] = 0
            elif ("O_TRUNC" in flags or name == "creat") and self.sizes.get(rel):
                self.emit(op="truncate", path=rel, size=0)
                self.sizes[rel] = 0
            if rel in self.sizes:
                self.position[rel] = 0
        elif name in ("write", "pwrite64"):
            rel = self.relative(fd_path(args))
            if rel is None or rel not in self.sizes:
                return
            _, rest = split_fd(args)
            data, rest = take_string(rest)
            data = data[: int(ret)]
            if name == "pwrite64":
                offset = int(rest.split(",")[-1])
            else:
                offset = self.position.get(rel, 0)
            self.write(rel, offset, data, moves_position=name == "write")
        elif name in ("writev", "pwritev", "pwritev2", "fallocate", "sync_file_range", "link", "linkat"):
            path = fd_path(args) if name not in ("link", "linkat") else None
            if self.relative(path) is not None:
                raise RuntimeError("not modelled: %s on %s" % (name, path))
        elif name == "lseek":
            rel = self.relative(fd_path(args), change=False)
            if rel is not None:
                self.position[rel] = int(ret)
        elif name == "_llseek":
            rel = self.relative(fd_path(args), change=False)
            if rel is not None:
                self.position[rel] = int(re.search(r"\[(\d+)\]", args).group(1))
        elif name == "ftruncate":
            rel = self.relative(fd_path(args))
            if rel is not None and rel in self.sizes:
                size = int(args.rsplit(",", 1)[1])
                self.emit(op="truncate", path=rel, size=size)
                self.sizes[rel] = size
        elif name == "truncate":
            path, rest = take_string(args)
            rel = self.relative(canonical(path.decode("utf-8", "surrogateescape")))
            if rel is not None:
                size = int(rest.rsplit(",", 1)[1])
                self.emit(op="truncate", path=rel, size=size)
                self.sizes[rel] = size
        elif name in ("fsync", "fdatasync"):
            rel = self.relative(fd_path(args), change=False)
            if rel is not None and rel in self.sizes:
                self.emit(op="flush", path=rel)
        elif name in ("sync", "syncfs"):
            self.emit(op="flush", path="")
        elif name in ("rename", "renameat", "renameat2"):
            if name == "rename":
                src, rest = take_string(args)
                dst, _ = take_string(rest[2:])
                src, dst = canonical(src.decode()), canonical(dst.decode())
            else:
                base1, rest = split_fd(args)
                src, rest = take_string(rest)
                base2, rest = split_fd(rest[2:])
                dst, _ = take_string(rest)
                src, dst = canonical(src.decode(), base1), canonical(dst.decode(), base2)
            self.rename(self.relative(src), self.relative(dst))
        elif name in ("unlink", "unlinkat", "rmdir"):
            if name == "unlinkat":
                base, rest = split_fd(args)
                path, rest = take_string(rest)
                full = canonical(path.decode(), base)
                directory = "AT_REMOVEDIR" in rest
            else:
                path, _ = take_string(args)
                full = canonical(path.decode())
                directory = name == "rmdir"
            rel = self.relative(full)
            if rel is None:
                return
            if directory:
                self.dirs.discard(rel)
                self.emit(op="rmdir", path=rel)
            else:
                self.sizes.pop(rel, None)
                self.emit(op="delete", path=rel)
        elif name in ("mkdir", "mkdirat"):
            if name == "mkdirat":
                base, rest = split_fd(args)
                path, _ = take_string(rest)
            else:
                base = None
                path, _ = take_string(args)
            rel = self.relative(canonical(path.decode(), base))
            if rel is not None:
                self.dirs.add(rel)
                self.emit(op="mkdir", path=rel)


def reduce_logs(log_paths, folder, blobs, initial_files, initial_dirs, watched=()):
    reducer = Reducer(folder, blobs, initial_files, initial_dirs, watched)
    for _, _, name, args, ret, retpath in read_events(log_paths):
        reducer.event(name, args, ret, retpath)
    return reducer.ops
