"""What a power cut may leave on the disk, from a recorded trace and the folder as it was before.

The model, no stronger than NTFS promises:
- operations on names and sizes (create, mkdir, rename, delete, truncate, a write that extends a
  file) reach the disk in the order they were made, and a cut drops any suffix of them;
- a file's contents written since its last flush may be lost, reading as zeros or as the bytes it
  had, even where its name and size survived;
- a flush of a file makes its contents and every earlier name and size operation durable.

A cut point is a count of operations made; the states at it are the names and sizes of that prefix
with every unflushed file's contents as written, as they were at its last flush, or zeroed (each
file alone and all together)."""

import hashlib
import os

NAME_OPS = ("create", "mkdir", "rename", "delete", "rmdir", "truncate")


def read_folder(folder):
    """{relative path: bytes}, {relative folders} of a folder on the disk."""
    files, dirs = {}, set()
    for root, subdirs, names in os.walk(folder):
        rel_root = os.path.relpath(root, folder)
        for d in subdirs:
            dirs.add(os.path.normpath(os.path.join(rel_root, d)))
        for n in names:
            with open(os.path.join(root, n), "rb") as f:
                files[os.path.normpath(os.path.join(rel_root, n))] = f.read()
    return files, dirs


def write_folder(folder, files, dirs):
    for d in sorted(dirs):
        os.makedirs(os.path.join(folder, d), exist_ok=True)
    for rel, data in files.items():
        path = os.path.join(folder, rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)


def state_digest(files, dirs):
    h = hashlib.sha256()
    for rel in sorted(dirs):
        h.update(b"D" + rel.encode() + b"\0")
    for rel in sorted(files):
        h.update(b"F" + rel.encode() + b"\0" + hashlib.sha256(files[rel]).digest())
    return h.hexdigest()


class _File:
    def __init__(self, data):
        self.content = bytearray(data)
        self.flushed = bytes(data)
        self.dirty = []  # (offset, length) written since the last flush
        self.cached = None  # bytes(content), shared by the states until the next change

    def data(self):
        if self.cached is None:
            self.cached = bytes(self.content)
        return self.cached

    def flush(self):
        self.flushed = self.data()
        self.dirty = []


class Replay:
    """The folder as the process left it after each operation, with what is durable."""

    def __init__(self, files, dirs, blobs, each_file=True):
        self.each_file = each_file
        self.names = {rel: _File(data) for rel, data in files.items()}
        self.dirs = set(dirs)
        self.blobs = blobs

    def blob(self, digest):
        with open(os.path.join(self.blobs, digest), "rb") as f:
            return f.read()

    def is_name_op(self, op):
        """Whether `op` changes a name or a size (a write that extends its file does)."""
        if op["op"] in NAME_OPS:
            return True
        if op["op"] == "write":
            f = self.names.get(op["path"])
            return f is None or op["offset"] + op["length"] > len(f.content)
        return False

    def apply(self, op):
        kind, rel = op["op"], op["path"]
        if kind == "create":
            self.names[rel] = _File(b"")
        elif kind == "mkdir":
            self.dirs.add(rel)
        elif kind == "rmdir":
            self.dirs.discard(rel)
        elif kind == "delete":
            self.names.pop(rel, None)
        elif kind == "rename":
            to = op["to"]
            if rel in self.names:
                self.names[to] = self.names.pop(rel)
            else:
                for name in [n for n in self.names if n.startswith(rel + "/")]:
                    self.names[to + name[len(rel):]] = self.names.pop(name)
                self.dirs = {to + d[len(rel):] if d == rel or d.startswith(rel + "/") else d for d in self.dirs}
        elif kind == "truncate":
            f = self.names[rel]
            f.cached = None
            size = op["size"]
            if size < len(f.content):
                del f.content[size:]
            else:
                f.content.extend(bytes(size - len(f.content)))
        elif kind == "write":
            f = self.names[rel]
            f.cached = None
            data = self.blob(op["digest"])
            end = op["offset"] + len(data)
            if end > len(f.content):
                f.content.extend(bytes(end - len(f.content)))
            f.content[op["offset"]:end] = data
            f.dirty.append((op["offset"], len(data)))
        elif kind == "flush":
            for f in ([self.names[rel]] if rel else self.names.values()):
                f.flush()

    def variants(self):
        """The states the disk may hold now: [(label, files, dirs)]."""
        unflushed = sorted(rel for rel, f in self.names.items() if f.dirty)
        written = {rel: f.data() for rel, f in self.names.items()}

        def worst(rel, how):
            f = self.names[rel]
            size = len(f.content)
            if how == "old":
                return f.flushed[:size] + bytes(max(0, size - len(f.flushed)))
            data = bytearray(f.content)
            for offset, length in f.dirty:
                data[offset:offset + length] = bytes(min(length, max(0, size - offset)))
            return bytes(data[:size])

        states = [("written", written)]
        if unflushed:
            for how in ("zeroed", "as it was"):
                key = "old" if how == "as it was" else "zero"
                states.append(("all unflushed %s" % how, dict(written, **{r: worst(r, key) for r in unflushed})))
            if len(unflushed) > 1 and self.each_file:
                for rel in unflushed:
                    states.append(("%s zeroed" % rel, dict(written, **{rel: worst(rel, "zero")})))
        return [(label, files, set(self.dirs)) for label, files in states]


def cut_states(files, dirs, ops, blobs, each_file=True):
    """Every state the model allows at every cut point: [(cut, label, files, dirs)], where `cut` is
    the number of operations made. Cut points lie before and after each operation on names or sizes
    and after each flush; a cut elsewhere leaves one of these states. Without `each_file` the
    unflushed files are lost together only (for large packages)."""
    replay = Replay(files, dirs, blobs, each_file)
    out = [(0, label, f, d) for label, f, d in replay.variants()]
    cut_before = True  # whether the state right before this operation is a cut point already
    for i, op in enumerate(ops):
        name_op = replay.is_name_op(op)
        if name_op and not cut_before:
            for label, f, d in replay.variants():
                out.append((i, label, f, d))
        cut_before = name_op or op["op"] == "flush"
        replay.apply(op)
        if name_op or op["op"] == "flush" or i == len(ops) - 1:
            for label, f, d in replay.variants():
                out.append((i + 1, label, f, d))
    return out


def final_state(files, dirs, ops, blobs):
    replay = Replay(files, dirs, blobs)
    for op in ops:
        replay.apply(op)
    return {rel: bytes(f.content) for rel, f in replay.names.items()}, set(replay.dirs)


def describe(op):
    if op is None:
        return "before the first operation"
    text = "%s %s" % (op["op"], op["path"])
    if op["op"] == "rename":
        text += " -> " + op["to"]
    elif op["op"] == "write":
        text += " @%d+%d" % (op["offset"], op["length"])
    elif op["op"] == "truncate":
        text += " to %d" % op["size"]
    return text
