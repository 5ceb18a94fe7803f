#!/usr/bin/python3
"""What a screen reader says: the real program, Orca and real key presses.

Starts the program (a copy of its folder, with its own home and settings folders),
speech-dispatcher with its dummy output and Orca writing its debug file, then tabs
through every page with real key events (xdotool) and reads Orca's "SPEECH OUTPUT:"
lines. Every control reached must be spoken with its caption, a combo box with its
entry, a colour sample and a font button with what they hold; Down on a combo box must
be followed by its new entry; the about panel's key must speak its button.
Run inside a session bus and an X server:
    dbus-run-session -- xvfb-run -a orca_speech.py build/program/tunedesk
Exits 77 (skipped) where orca or xdotool is missing.
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

SKIP = 77
OK = "취소 push button"  # the window's last control, after every page
FIRST_YEAR = "시작 연도"  # the export page's first control, a combo box with nothing chosen
TITLE = "Tune Desk for Daybrook"


def missing_tools():
    return [t for t in ("orca", "xdotool", "speech-dispatcher") if shutil.which(t) is None]


class Speech:
    """The SPEECH OUTPUT lines of Orca's debug file, read as they come."""

    LINE = re.compile(r"SPEECH OUTPUT: '(.*)' ?\{'established")
    ECHO = {"tab", "left shift", "left control"}  # Orca echoing the keys

    def __init__(self, path):
        self.path = path
        self.offset = 0

    def new(self):
        try:
            with open(self.path, "rb") as f:
                f.seek(self.offset)
                data = f.read()
        except FileNotFoundError:
            return []
        end = data.rfind(b"\n") + 1  # a line still being written is read next time
        self.offset += end
        text = data[:end].decode("utf-8", "replace")
        return [m.group(1) for m in self.LINE.finditer(text)]

    def wait(self, what, seconds=10.0):
        """Lines until one contains what (or the time is up)."""
        lines = []
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            lines += self.new()
            if any(what in line for line in lines):
                return lines
            time.sleep(0.05)
        return lines

    def settle(self, quiet=0.3, seconds=1.5):
        """Lines after a key: until Orca has echoed the key, said something after the
        echo, and then nothing new for a moment. Speech late from the key before comes
        ahead of the echo and does not count."""
        lines, last = [], time.monotonic()
        deadline = last + seconds
        while time.monotonic() < deadline:
            got = self.new()
            if got:
                lines += got
                last = time.monotonic()
            echoes = [i for i, line in enumerate(lines) if line.strip().lower() in self.ECHO]
            after = lines[echoes[-1] + 1:] if echoes else []
            if after and time.monotonic() - last > quiet:
                break
            time.sleep(0.05)
        return lines

def key(*keys):
    subprocess.run(["xdotool", "key", "--clearmodifiers"] + list(keys), check=True)


def walk(node):
    for child in node:
        if child is not None:
            yield child
            yield from walk(child)


def spoken_controls(frame):
    """What each control of the shown page must be heard with: (caption, value or None).
    Pages not shown lie left of the window; only the checked option of a group takes Tab."""
    import pyatspi
    area = frame.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)

    wanted = []
    for node in walk(frame):
        states = node.getState()
        if not (states.contains(pyatspi.STATE_FOCUSABLE) and states.contains(pyatspi.STATE_SHOWING)):
            continue
        role = node.getRole()
        if role not in (pyatspi.ROLE_COMBO_BOX, pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TEXT, pyatspi.ROLE_ENTRY,
                        pyatspi.ROLE_CHECK_BOX, pyatspi.ROLE_RADIO_BUTTON, pyatspi.ROLE_SCROLL_BAR):
            continue
        if not states.contains(pyatspi.STATE_ENABLED):
            continue
        if role == pyatspi.ROLE_RADIO_BUTTON:
            continue  # Tab reaches one option of a group, which one is Qt's choice
        e = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        if e.width <= 0 or e.x < area.x or e.x + e.width > area.x + area.width:
            continue
        value = None
        if role in (pyatspi.ROLE_TEXT, pyatspi.ROLE_ENTRY) and node.queryText().characterCount == 0:
            continue  # Orca 43 says nothing on reaching an empty field of Qt's
        if role == pyatspi.ROLE_COMBO_BOX:
            text = node.queryText()
            value = text.getText(0, text.characterCount)
        elif node.description:
            value = node.description
        wanted.append((node.name, value, role == pyatspi.ROLE_COMBO_BOX))
    return wanted


def main():
    program = os.path.abspath(sys.argv[1])
    lacking = missing_tools()
    if lacking:
        print("SKIP: %s not installed (scripts/deps installs them)" % ", ".join(lacking))
        return SKIP
    work = tempfile.mkdtemp(prefix="tunedesk-orca-")
    folder = os.path.join(work, "program")
    os.makedirs(folder)
    shutil.copy(program, folder)
    shutil.copy(os.path.join(os.path.dirname(program), "tuneKorean.lng"), folder)
    config = os.path.join(work, "config")
    os.makedirs(os.path.join(config, "speech-dispatcher"))
    with open(os.path.join(config, "speech-dispatcher", "speechd.conf"), "w") as f:
        # Speech goes nowhere; the daemon Orca starts ends by itself once Orca has gone.
        f.write('AddModule "dummy" "sd_dummy" ""\nDefaultModule dummy\nTimeout 2\n')
    env = dict(os.environ, HOME=work, XDG_CONFIG_HOME=config, XDG_DATA_HOME=os.path.join(work, "data"),
               XDG_CACHE_HOME=os.path.join(work, "cache"), XDG_RUNTIME_DIR=work, XDG_STATE_HOME=os.path.join(work, "state"),
               QT_QPA_PLATFORM="xcb", QT_ACCESSIBILITY="1", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
    os.environ.update(env)
    log = os.path.join(work, "orca.debug")
    started = []
    try:
        started.append(subprocess.Popen([os.path.join(folder, os.path.basename(program))], env=env))
        started.append(subprocess.Popen(["orca", "--replace", "--debug-file", log], env=env,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        return listen(Speech(log), started[0])
    finally:
        for child in reversed(started):
            child.terminate()
            try:
                child.wait(5)
            except subprocess.TimeoutExpired:
                child.kill()
                child.wait()
        shutil.rmtree(work, ignore_errors=True)


def window_frame():
    import pyatspi
    for app in pyatspi.Registry.getDesktop(0):
        if app is None or app.name == "orca":
            continue
        for frame in app:
            if frame is not None and (frame.name or "").startswith(TITLE):
                return frame
    return None


def listen(speech, child):
    if not any("Screen reader on" in line for line in speech.wait("Screen reader on", 30)):
        print("FAIL: Orca did not start")
        return 1
    deadline = time.monotonic() + 30
    win = ""
    while not win and time.monotonic() < deadline:
        if child.poll() is not None:
            print("FAIL: the program ended (exit %s)" % child.returncode)
            return 1
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", TITLE], capture_output=True, text=True)
        win = found.stdout.split("\n")[0].strip()
        time.sleep(0.2)
    if not win:
        print("FAIL: the options window did not appear")
        return 1
    subprocess.run(["xdotool", "windowfocus", win], check=False)
    frame = None
    while frame is None and time.monotonic() < deadline:
        frame = window_frame()
        time.sleep(0.2)
    faults = []
    speech.settle(seconds=3)
    import pyatspi
    pages = next((n for n in walk(frame) if n.getRole() == pyatspi.ROLE_LIST and n.childCount == 9), None)
    if pages is None:
        return fail(["no page list on the accessibility bus"], [])
    heard_by_page, wanted_by_page = [], []
    for page in range(9):
        # A click on the page's entry (where a user starts), then the keyboard alone.
        e = pages[page].queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        subprocess.run(["xdotool", "mousemove", str(e.x + e.width // 2), str(e.y + e.height // 2), "click", "1"],
                       check=True)
        heard = speech.settle()
        wanted = spoken_controls(frame)
        if page == 4:
            arrow_faults, said = arrow_key_change(frame, speech)
            faults += arrow_faults
            heard += said
        for _ in range(len(wanted) + 4):
            key("Tab")
            said = speech.settle()
            heard += said
            if any(OK in line for line in said):
                break  # past the page and the window's own buttons
        heard_by_page.append(heard)
        wanted_by_page.append(wanted)
        progress("page %d: %d controls, %d lines spoken" % (page, len(wanted), len(heard)))
        if os.environ.get("ORCA_SPEECH_VERBOSE"):
            print("\n".join("  heard: " + h for h in heard))
    for page, wanted in enumerate(wanted_by_page):
        # Speech may trail a key press: what came right after the page counts for it.
        text = "\n".join(heard_by_page[page] + (heard_by_page[page + 1][:4] if page < 8 else []))
        for name, value, _ in wanted:
            if not name or name not in text:
                faults.append("page %d: %r never spoken" % (page, name))
            elif value and value not in text:
                faults.append("page %d: %r spoken without its value %r" % (page, name, value))
    key("ctrl+shift+d")
    about = speech.settle()
    if not any("안녕~" in line for line in about):
        faults.append("the about panel's key did not speak its button: %s" % about)
    return fail(faults, []) if faults else 0


def arrow_key_change(frame, speech):
    """Down on a closed combo box is answered with its new entry: the first control of
    the export page, reached by Tab from the page list."""
    import pyatspi
    key("Tab")
    before = speech.wait(FIRST_YEAR, 30)  # Orca may lag far behind under load: wait for its words
    key("Down")
    after = speech.wait("2000", 30)
    combo = next((n for n in walk(frame) if n.getRole() == pyatspi.ROLE_COMBO_BOX and n.name == FIRST_YEAR
                  and n.getState().contains(pyatspi.STATE_FOCUSED)), None)
    if not any("2000" in line for line in after):
        return ["Down on %r: heard %s after %s (%s)" % (FIRST_YEAR, after, before, combo)], before + after
    return [], before + after


def progress(what):
    if os.environ.get("ORCA_SPEECH_VERBOSE"):
        print(time.strftime("%H:%M:%S"), what, flush=True)


def fail(faults, heard):
    for fault in faults:
        print("FAIL: " + fault)
    for line in heard:
        print("  heard: " + line)
    return 1


if __name__ == "__main__":
    sys.exit(main())
