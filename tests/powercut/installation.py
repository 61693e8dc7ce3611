"""The installation the tool updates, in a Wine prefix: placed from a folder (the installation as it
was before the update) at the folder the Windows Installer recorded, and registered there."""

import os
import shutil

import disk_model

WINDOWS_FOLDER = "C:\\Apps\\ZR5048 Emulation Software\\"


def linux_folder(session):
    return os.path.join(session.drive_c(), "Apps", "ZR5048 Emulation Software")


def register(session):
    reg = os.path.join(session.drive_c(), "zr-power-cut-installation.reg")
    with open(reg, "w", newline="") as f:
        f.write("REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\Folders]"
                "\r\n\"%s\"=\"\"\r\n" % (WINDOWS_FOLDER + "EXCEL\\").replace("\\", "\\\\"))
    if session.run(["regedit", "/S", "C:\\zr-power-cut-installation.reg"]).returncode != 0:
        raise RuntimeError("the installation could not be registered")


def place(session, files, dirs):
    """Makes the installation folder hold exactly `files` and `dirs`."""
    folder = linux_folder(session)
    if os.path.exists(folder):
        shutil.rmtree(folder)
    os.makedirs(folder)
    disk_model.write_folder(folder, files, dirs)


def read(session):
    return disk_model.read_folder(linux_folder(session))


def work_folder(session, tool, package):
    """The folder the tool starts from, with the package beside it."""
    work = os.path.join(session.drive_c(), "zr-power-cut-work")
    os.makedirs(work, exist_ok=True)
    shutil.copyfile(tool, os.path.join(work, "ZR5048VersionUp.exe"))
    shutil.copyfile(package, os.path.join(work, "vupcab"))
    return work
