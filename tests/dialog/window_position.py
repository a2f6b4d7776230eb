#!/usr/bin/python3
"""The window opens where it was closed, under a real window manager.

The stored [Voice] Left/Top are the window's outer corner: the frame's, where
a window manager gives it one. Starts the program (copied into a folder of
the test's own) several times on a private X server, with openbox and with
no window manager; each time reads the frame's corner off the X server,
ends the program by SIGTERM (which saves as a close does) and reads the
stored place back. Neither may move.

Usage: window_position.py PROGRAM
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from desktop_processes import Processes, start_x_server, wait_for  # noqa: E402

# (what manages the windows, stored corner, starts)
CASES = [("openbox", (20, 40), 5), ("openbox", (300, 200), 2), (None, (20, 40), 3)]
WINDOW_LINE = re.compile(r"^(\s*)(0x[0-9a-f]+) (.*?)\s+\d+x\d+\+-?\d+\+-?\d+\s+\+(-?\d+)\+(-?\d+)\s*$")


def outer_corner(display, title):
    """The absolute corner of the root's child that holds the mapped window
    named title (the frame, or the window itself without a manager)."""
    tree = subprocess.run(["xwininfo", "-display", display, "-root", "-tree"], capture_output=True, text=True,
                          errors="replace").stdout
    windows = [m for m in map(WINDOW_LINE.match, tree.splitlines()) if m]
    if not windows:
        return None
    top = min(len(m.group(1)) for m in windows)
    corner = None
    for m in windows:
        if len(m.group(1)) == top:
            corner = (int(m.group(4)), int(m.group(5)))
        if f'"{title}"' in m.group(3) and viewable(display, m.group(2)):
            return corner
    return None


def viewable(display, window):
    info = subprocess.run(["xwininfo", "-display", display, "-id", window], capture_output=True, text=True,
                          errors="replace").stdout
    return "IsViewable" in info


def framed(display, title):
    """True once the window manager has told the window its frame."""
    out = subprocess.run(["xwininfo", "-display", display, "-root", "-tree"], capture_output=True, text=True,
                         errors="replace").stdout
    for m in map(WINDOW_LINE.match, out.splitlines()):
        if m and f'"{title}"' in m.group(3):
            props = subprocess.run(["xprop", "-display", display, "-id", m.group(2), "_NET_FRAME_EXTENTS"],
                                   capture_output=True, text=True).stdout
            if "=" in props:
                return True
    return False


def stored_corner(app):
    with open(os.path.join(app, "sorvane.ini"), "rb") as ini:
        text = ini.read().decode("cp932")
    left = re.search(r"^Left=(-?\d+)", text, re.M)
    top = re.search(r"^Top=(-?\d+)", text, re.M)
    return (int(left.group(1)), int(top.group(1))) if left and top else None


def run_case(program, folder, manager, corner, starts):
    problems = []
    processes = Processes()
    env = {k: v for k, v in os.environ.items() if k not in ("WAYLAND_DISPLAY", "QT_SCALE_FACTOR")}
    env.update({"QT_QPA_PLATFORM": "xcb", "DBUS_SESSION_BUS_ADDRESS": "disabled:"})
    app = tempfile.mkdtemp(prefix="app-", dir=folder)
    os.mkdir(os.path.join(app, "data"))
    shutil.copy(program, app)
    runtime = os.path.join(app, "runtime")
    os.mkdir(runtime, 0o700)
    env["XDG_RUNTIME_DIR"] = runtime
    with open(os.path.join(app, "sorvane.ini"), "wb") as ini:
        ini.write(f"[Voice]\r\nLeft={corner[0]}\r\nTop={corner[1]}\r\n".encode())
    title = "ボイスメモ"
    try:
        env["DISPLAY"] = start_x_server(processes)
        if manager:
            wm = subprocess.Popen([manager] + (["--sm-disable"] if manager == "openbox" else ["--sm-client-disable", "--compositor=off"]), env=env, stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL)
            processes.add(wm.pid)
            wait_for(lambda: "_NET_SUPPORTING_WM_CHECK(WINDOW)" in subprocess.run(
                ["xprop", "-display", env["DISPLAY"], "-root", "_NET_SUPPORTING_WM_CHECK"],
                capture_output=True, text=True).stdout, manager)
        label = f"{manager or 'no window manager'} at {corner}"
        for start in range(1, starts + 1):
            running = subprocess.Popen([os.path.join(app, os.path.basename(program))], cwd=app, env=env)
            try:
                wait_for(lambda: outer_corner(env["DISPLAY"], title), "the window on screen")
                if manager:
                    wait_for(lambda: framed(env["DISPLAY"], title), "the window's frame")
                # Read again: the tree that found the window may predate its mapping.
                seen = outer_corner(env["DISPLAY"], title)
                if seen != corner:
                    problems.append(f"{label}, start {start}: the window's outer corner is at {seen}")
            finally:
                running.terminate()
                running.wait(30)
            if running.returncode != 0:
                problems.append(f"{label}, start {start}: the program ended with {running.returncode}")
            kept = stored_corner(app)
            if kept != corner:
                problems.append(f"{label}, start {start}: the stored place became {kept}")
                break
    finally:
        processes.stop()
    return problems


def main():
    program = sys.argv[1]
    folder = tempfile.mkdtemp(prefix="voicememo-wm-")
    problems = []
    try:
        for manager, corner, starts in CASES:
            problems += run_case(program, folder, manager, corner, starts)
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    for problem in problems:
        print("FAIL:", problem)
    print("ok" if not problems else f"{len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
