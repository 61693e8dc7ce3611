"""Whether the installation after the next start is whole: every file the update changes all old or
all new across the installation (never mixed), every other file as it was (a user's file at a
reserved name, files the package does not carry), no file of the reserved form left behind, and an
exit code the tool documents."""

import os

# The exit codes the README's table documents.
DOCUMENTED_EXIT_CODES = {0, 1602, 1603, 1605, 1618, 1619, 1620, 1622, 1623, 1638, 1639}


def windows_exit_code(status):
    """The tool's exit code from the status of the wine process, which carries only its low 8 bits
    (a Linux exit status); the documented codes differ in them. None for any other."""
    for code in DOCUMENTED_EXIT_CODES:
        if code & 0xFF == status:
            return code
    return None


def reserved(rel):
    return os.path.basename(rel).lower().startswith("zr~")


def judge(before, updated, after, exit_code):
    """Faults found ([] when whole). `before` and `updated` are the installation ({path: bytes})
    before and after the recorded update, `after` the state after the next start."""
    faults = []
    changed = sorted(set(before) | set(updated))
    changed = [rel for rel in changed if before.get(rel) != updated.get(rel) and not reserved(rel)]
    sides = set()
    for rel in changed:
        now = after.get(rel)
        if now == before.get(rel) and now == updated.get(rel):
            continue
        if now == before.get(rel):
            sides.add("old")
        elif now == updated.get(rel):
            sides.add("new")
        else:
            faults.append("%s is neither old nor new (%s)" % (rel, "missing" if now is None else "%d bytes" % len(now)))
    if len(sides) > 1:
        old = [rel for rel in changed if after.get(rel) == before.get(rel)]
        faults.append("old and new files mixed (old: %s)" % ", ".join(old))
    for rel, data in sorted(before.items()):
        if rel in changed:
            continue
        if after.get(rel) != data:
            faults.append("%s (not the update's) %s" % (rel, "lost" if rel not in after else "changed"))
    for rel in sorted(after):
        if rel not in before and rel not in changed:
            faults.append("%s left behind" % rel)
    if windows_exit_code(exit_code) is None:
        faults.append("exit status %d is no documented exit code" % exit_code)
    return faults
