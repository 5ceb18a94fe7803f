#!/usr/bin/python3
"""Screen reader's view of the options window, through the accessibility bus.

Starts the program (a copy of its folder, with its own home and settings folders),
selects every entry of the page list through the bus, and on each page fails on any
text field, combo box, scroll bar or button that has no accessible name.
Run inside a session bus and an X server:
    dbus-run-session -- xvfb-run -a atspi_names.py build/program/tunedesk
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

import pyatspi

CHECKED = {
    pyatspi.ROLE_TEXT: "text field",
    pyatspi.ROLE_ENTRY: "text field",
    pyatspi.ROLE_PASSWORD_TEXT: "text field",
    pyatspi.ROLE_SPIN_BUTTON: "spin box",
    pyatspi.ROLE_COMBO_BOX: "combo box",
    pyatspi.ROLE_SCROLL_BAR: "scroll bar",
    pyatspi.ROLE_SLIDER: "slider",
    pyatspi.ROLE_PUSH_BUTTON: "button",
    pyatspi.ROLE_TOGGLE_BUTTON: "button",
    pyatspi.ROLE_CHECK_BOX: "check box",
    pyatspi.ROLE_RADIO_BUTTON: "option button",
}


def wait_for(what, probe, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        found = probe()
        if found:
            return found
        time.sleep(0.2)
    sys.exit("gave up waiting for " + what)


def descendants(node):
    for child in node:
        if child is None:
            continue
        yield child
        yield from descendants(child)


def extents(node):
    return node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)


def inside(outer, node):
    e = extents(node)
    return (e.width > 0 and e.height > 0 and e.x >= outer.x and e.y >= outer.y
            and e.x + e.width <= outer.x + outer.width and e.y + e.height <= outer.y + outer.height)


def main():
    program = os.path.abspath(sys.argv[1])
    work = tempfile.mkdtemp(prefix="tunedesk-atspi-")
    folder = os.path.join(work, "program")
    os.makedirs(folder)
    shutil.copy(program, folder)
    shutil.copy(os.path.join(os.path.dirname(program), "tuneKorean.lng"), folder)
    env = dict(os.environ, HOME=work, XDG_CONFIG_HOME=os.path.join(work, "config"),
               XDG_DATA_HOME=os.path.join(work, "data"), XDG_RUNTIME_DIR=work,
               QT_QPA_PLATFORM="xcb", QT_ACCESSIBILITY="1", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
    child = subprocess.Popen([os.path.join(folder, os.path.basename(program))], env=env)
    try:
        return walk(child)
    finally:
        child.terminate()
        try:
            child.wait(5)
        except subprocess.TimeoutExpired:
            child.kill()
            child.wait()
        shutil.rmtree(work, ignore_errors=True)


def walk(child):
    def window():
        if child.poll() is not None:
            sys.exit("the program ended before its window opened (exit %s)" % child.returncode)
        for app in pyatspi.Registry.getDesktop(0):
            if app is None:
                continue
            for frame in app:
                if frame is not None and (frame.name or "").startswith("Tune Desk for Daybrook"):
                    return frame
        return None

    frame = wait_for("the options window on the accessibility bus", window, 30)
    pages = wait_for("the page list", lambda: next(
        (n for n in descendants(frame) if n.getRole() == pyatspi.ROLE_LIST and n.childCount == 8), None), 10)
    if not pages.name:
        print("FAIL: the page list has no name")
    area = extents(frame)
    missing = set()
    for index in range(pages.childCount):
        entry = pages[index]
        # What a screen reader does to pick an entry: its toggle action selects it.
        action = entry.queryAction()
        names = [action.getName(i) for i in range(action.nActions)]
        if "Toggle" not in names:
            sys.exit("page entry %d offers no toggle action: %s" % (index, names))
        action.doAction(names.index("Toggle"))
        # The page title follows the chosen entry.
        wait_for("page %d (%s) to be shown" % (index, entry.name), lambda: any(
            n.getRole() == pyatspi.ROLE_LABEL and n.name == entry.name and n.getIndexInParent() >= 0
            and extents(n).y < extents(pages).y for n in descendants(frame)), 10)
        shown = [n for n in descendants(frame) if n.getRole() in CHECKED and inside(area, n)]
        print("page %d %s: %d controls" % (index, entry.name, len(shown)))
        if not shown:
            print("FAIL: page %d shows no control" % index)
            missing.add(("page", index))
        for node in shown:
            if not (node.name or "").strip():
                e = extents(node)
                key = (CHECKED[node.getRole()], e.x - area.x, e.y - area.y, e.width, e.height)
                if key not in missing:
                    print("FAIL: page %d (%s): %s without a name at %d,%d size %dx%d" % ((index, entry.name) + key))
                missing.add(key)
    return 1 if missing or not pages.name else 0


if __name__ == "__main__":
    sys.exit(main())
