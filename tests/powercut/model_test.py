"""The reducer and the disk model on small traces written out here: what strace prints (a server's
create, a client's write through a descriptor it was handed, a flush split by another thread, a
rename through the prefix's drive link) becomes the operations made, and the model gives the states
its rules allow and no others."""

import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import disk_model  # noqa: E402
import trace_reduce  # noqa: E402


class Reducer(unittest.TestCase):
    def test_server_and_client_lines_become_the_operations_in_time_order(self):
        with tempfile.TemporaryDirectory() as root:
            folder = os.path.join(root, "drive_c", "Inst")
            os.makedirs(folder)
            os.symlink("drive_c", os.path.join(root, "c:"))
            f = os.path.join(folder, "zr~1.tmp")
            server = os.path.join(root, "server.log")
            client = os.path.join(root, "client.log")
            with open(server, "w") as log:
                log.write('7 10.000001 openat(AT_FDCWD</s>, "%s", O_RDWR|O_CREAT|O_EXCL, 0666) = 26<%s>\n' % (f, f))
                log.write('7 10.000005 rename("%s", "%s/c:/Inst/a.txt") = 0\n' % (f, root))
                log.write('7 10.000006 rename("/elsewhere/x", "/elsewhere/y") = 0\n')
                log.write('7 10.000007 unlink("%s/nothing") = -1 ENOENT (No such file or directory)\n' % folder)
            with open(client, "w") as log:
                log.write('9 10.000002 write(20<%s>, "ab\\x00\\n", 4) = 4\n' % f)
                log.write('9 10.000003 fsync(20<%s> <unfinished ...>\n' % f)
                log.write('11 10.0000035 write(5<pipe:[1]>, "x", 1) = 1\n')
                log.write('9 10.000004 <... fsync resumed>) = 0\n')
            blobs = os.path.join(root, "blobs")
            ops = trace_reduce.reduce_logs([server, client], folder, blobs, {}, set())
            self.assertEqual([(op["op"], op["path"]) for op in ops],
                             [("create", "zr~1.tmp"), ("write", "zr~1.tmp"), ("flush", "zr~1.tmp"),
                              ("rename", "zr~1.tmp")])
            self.assertEqual(ops[3]["to"], "a.txt")
            with open(os.path.join(blobs, ops[1]["digest"]), "rb") as data:
                self.assertEqual(data.read(), b"ab\x00\n")

    def test_a_change_to_the_package_stops_the_reduction_but_reading_it_does_not(self):
        with tempfile.TemporaryDirectory() as root:
            package = os.path.join(root, "vupcab")
            log = os.path.join(root, "log")
            with open(log, "w") as f:
                f.write('9 1.0 openat(AT_FDCWD</w>, "%s", O_RDONLY) = 3<%s>\n' % (package, package))
            trace_reduce.reduce_logs([log], os.path.join(root, "inst"), os.path.join(root, "b"), {}, set(), [package])
            with open(log, "a") as f:
                f.write('9 2.0 write(3<%s>, "x", 1) = 1\n' % package)
            with self.assertRaises(RuntimeError):
                trace_reduce.reduce_logs([log], os.path.join(root, "inst"), os.path.join(root, "b"), {}, set(), [package])


class Model(unittest.TestCase):
    def states(self, files, ops, contents):
        with tempfile.TemporaryDirectory() as blobs:
            for digest, data in contents.items():
                with open(os.path.join(blobs, digest), "wb") as f:
                    f.write(data)
            return [(cut, label, dict(state)) for cut, label, state, _ in disk_model.cut_states(files, set(), ops, blobs)]

    def test_unflushed_contents_may_be_lost_and_flushed_ones_not(self):
        ops = [{"op": "create", "path": "s"},
               {"op": "write", "path": "s", "offset": 0, "length": 3, "digest": "new"},
               {"op": "flush", "path": "s"},
               {"op": "rename", "path": "a", "to": "k"},
               {"op": "rename", "path": "s", "to": "a"}]
        states = self.states({"a": b"old"}, ops, {"new": b"NEW"})
        at = lambda cut: sorted(tuple(sorted(s.items())) for c, _, s in states if c == cut)  # noqa: E731
        self.assertEqual(at(1), [(("a", b"old"), ("s", b""))])
        # After the write, before its flush: its size is on the disk, its bytes may not be.
        self.assertEqual(at(2), [(("a", b"old"), ("s", b"\0\0\0")), (("a", b"old"), ("s", b"\0\0\0")),
                                 (("a", b"old"), ("s", b"NEW"))])
        self.assertEqual(at(5), [(("a", b"NEW"), ("k", b"old"))])
        self.assertEqual(sorted({c for c, _, _ in states}), [0, 1, 2, 3, 4, 5])

    def test_an_overwrite_in_place_may_read_as_the_old_bytes(self):
        ops = [{"op": "write", "path": "r", "offset": 1, "length": 1, "digest": "x"},
               {"op": "rename", "path": "r", "to": "q"}]
        states = self.states({"r": b"abc"}, ops, {"x": b"X"})
        self.assertEqual(sorted({s["r"] for c, _, s in states if c == 1}), [b"a\0c", b"aXc", b"abc"])


if __name__ == "__main__":
    unittest.main()
