#!/usr/bin/python3
"""Screen reader's view of the options window, through the accessibility bus.

Starts the program (a copy of its folder, with its own home and settings folders),
selects every entry of the page list through the bus, and on each page fails on any
control that has no accessible name, on two controls of one kind with the same name in
one group, on a name that is only a unit ("년", "분"), on a control inside a "frame"
(a window to a screen reader, which drops the focus events of what it holds), and on a
combo box without its caption or without its value (its text).
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
    pyatspi.ROLE_PROGRESS_BAR: "progress bar",
    pyatspi.ROLE_LIST: "list",
}
UNITS = {"년", "월", "일", "초", "분", "%", "year", "month", "day", "seconds", "minutes"}


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


def ancestors(node, top):
    parent = node.parent
    while parent is not None and parent != top:
        yield parent
        parent = parent.parent


def group_of(node, top):
    """The nearest named grouping around a control: controls in two frames may share a name."""
    for parent in ancestors(node, top):
        if parent.getRole() in (pyatspi.ROLE_PANEL, pyatspi.ROLE_GROUPING) and parent.name:
            return parent.name
    return ""


def caption_of(node):
    labels = [t.name for r in node.getRelationSet() if r.getRelationType() == pyatspi.RELATION_LABELLED_BY
              for t in (r.getTarget(i) for i in range(r.getNTargets())) if t is not None and t.name]
    return " ".join(labels) or node.name or ""


def faults_of(page, shown, top):
    faults = []
    seen = {}
    for node in shown:
        kind = CHECKED[node.getRole()]
        name = (node.name or "").strip()
        where = "%s %r" % (kind, name)
        if any(a.getRole() == pyatspi.ROLE_FRAME for a in ancestors(node, top)):
            faults.append("%s sits inside a frame" % where)
        if name.lower() in UNITS:
            faults.append("%s is named by a unit only" % where)
        if node.getRole() == pyatspi.ROLE_COMBO_BOX:
            if not caption_of(node).strip():
                faults.append("%s has no caption" % where)
            try:
                text = node.queryText()
                value = text.getText(0, text.characterCount)
            except NotImplementedError:
                value = ""
            if not value.strip():
                faults.append("%s has no value" % where)
        key = (kind, name, group_of(node, top))
        if name and key in seen:
            faults.append("%s twice on the page" % where)
        seen[key] = True
    return ["page %d: %s" % (page, f) for f in faults]


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
        (n for n in descendants(frame) if n.getRole() == pyatspi.ROLE_LIST and n.childCount == 9), None), 10)
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
        for fault in faults_of(index, shown, frame):
            print("FAIL: " + fault)
            missing.add(fault)
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
