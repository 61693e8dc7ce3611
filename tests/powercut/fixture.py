"""Installations and packages for the explorations, made in a session's prefix with the package tool
the build made."""

import os
import random
import shutil

import disk_model


def pseudo_random(size, seed):
    return random.Random(seed).randbytes(size)


def write_files(folder, files):
    if os.path.exists(folder):
        shutil.rmtree(folder)
    os.makedirs(folder)
    disk_model.write_folder(folder, files, set())


def make_package(session, mkvupcab, out, entries, scratch, key=None):
    """Writes the package `out` carrying `entries` ({package name with backslashes: bytes})."""
    write_files(scratch, {"%d" % i: data for i, data in enumerate(entries.values())})
    args = [mkvupcab, "create", "Z:" + out, "--version", "1.05", "--language", "1"]
    for i, name in enumerate(entries):
        args += ["--entry", name, "Z:" + os.path.join(scratch, "%d" % i)]
    if key:
        args += ["--key", "Z:" + key]
    if session.run(args).returncode != 0 or not os.path.exists(out):
        raise RuntimeError("the package tool could not make " + out)


def stand_in(build, version):
    with open(os.path.join(build, "fixtures", "stand-in", version, "ZR5048Em.exe"), "rb") as f:
        return f.read()


def installed_base(build):
    """The product as installed: version 1.04, English."""
    return {"ZR5048Em.exe": stand_in(build, "1.4.0.0"), "Language.ini": b"[LangList]\r\nNo0=1\r\n"}
