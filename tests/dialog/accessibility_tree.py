#!/usr/bin/python3
"""The program as a screen reader reads it through AT-SPI.

Starts, each by its process id, a private session bus, the accessibility
bus, an X server and the program (copied with three memos into a folder of
the test's own), then reads the tree with pyatspi as Orca does: the window,
the names of the controls and one item per memo in the icon view. Stops
everything it started.

Usage: accessibility_tree.py PROGRAM
"""
import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from desktop_processes import Processes, report, start_accessibility_session, wait_for  # noqa: E402

TITLES = ["Apple", "Banana", "Cherry"]


def start_program(processes, program, folder, env):
    app = os.path.join(folder, "app")
    os.makedirs(os.path.join(app, "data"))
    shutil.copy(program, app)
    with open(os.path.join(app, "Voice.dat"), "wb") as catalogue:
        for number, title in enumerate(TITLES, 1):
            catalogue.write(f"{title}\t{app}/data/Voice{number}.wav\t2001/04/05\t09:12:30\tTODO\t\r\n".encode())
    log = open(os.path.join(folder, "program.log"), "wb")
    running = subprocess.Popen([os.path.join(app, os.path.basename(program))], cwd=app, env=env, stderr=log)
    processes.add(running.pid)
    return running


def walk(node):
    yield node
    for index in range(node.childCount):
        child = node.getChildAtIndex(index)
        if child is not None:
            yield from walk(child)


def check(pyatspi, window):
    problems = []

    def expect(condition, message):
        if not condition:
            problems.append(message)

    showing = lambda node: node.getState().contains(pyatspi.STATE_SHOWING)
    expect(window.getRoleName() == "frame", "window role " + window.getRoleName())
    nodes = list(walk(window))

    def labelled(node):
        for relation in node.getRelationSet():
            if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
                return relation.getTarget(0).name
        return node.name

    lists = [n for n in nodes if n.name == "ボイスメモの一覧" and n.getRoleName() in ("list", "table")]
    icons = [n for n in lists if n.getRoleName() == "list"]
    tables = [n for n in lists if n.getRoleName() == "table"]
    expect(len(icons) == 1 and showing(icons[0]), "the icon view ボイスメモの一覧, shown")
    expect(len(tables) == 1 and not showing(tables[0]), "the table ボイスメモの一覧, not shown")
    if icons:
        items = [icons[0].getChildAtIndex(i) for i in range(icons[0].childCount)]
        expect([item.name for item in items] == TITLES, "icon items " + repr([item.name for item in items]))
        # No voice file is there: each memo says so, as its red cross shows.
        expect(all(item.description == "ボイスファイルがありません" for item in items),
               "icon descriptions " + repr([item.description for item in items]))
    for role, name in [("combo box", "年"), ("combo box", "月"), ("spin button", "日"),
                       ("push button", "1日後"), ("push button", "1日前")]:
        expect(any(n.getRoleName() == role and labelled(n) == name for n in nodes), f"{role} named {name}")
    # The day box is one spin button, its value the day the box shows.
    days = [n for n in nodes if n.getRoleName() == "spin button" and labelled(n) == "日"]
    if days:
        value = days[0].queryValue()
        expect(1 <= value.currentValue <= 31 and value.minimumValue == 1 and value.maximumValue >= 28,
               f"the day's value {value.currentValue} in {value.minimumValue}..{value.maximumValue}")
    # The list's holder adds no name of its own on the way in.
    expect(not any(n.getRoleName() != "label" and n.name.startswith("ボイスメモの一覧(") for n in nodes),
           "the list named by its label")
    radios = [n for n in nodes if n.getRoleName() == "radio button"]
    expect(len(radios) == 2 and all(r.parent.name == "ボイスメモの種類" for r in radios),
           "the kind buttons in the group ボイスメモの種類")
    # A box's own text takes no focus of its own: the box, named, has it.
    for node in nodes:
        inputs = ("push button", "radio button", "combo box", "text", "list", "table")
        if node.getRoleName() in inputs and showing(node) and node.parent.getRoleName() != "combo box":
            expect(labelled(node), "a " + node.getRoleName() + " without a name")
    return problems


def main():
    program = sys.argv[1]
    processes = Processes()
    folder = tempfile.mkdtemp(prefix="voicememo-atspi-")
    try:
        env = start_accessibility_session(processes, folder)
        os.environ["DBUS_SESSION_BUS_ADDRESS"] = env["DBUS_SESSION_BUS_ADDRESS"]
        os.environ["DISPLAY"] = env["DISPLAY"]
        import pyatspi

        start_program(processes, program, folder, env)

        def window():
            desktop = pyatspi.Registry.getDesktop(0)
            for index in range(desktop.childCount):
                app = desktop.getChildAtIndex(index)
                if app is not None and app.name == "ボイスメモ" and app.childCount > 0:
                    frame = app.getChildAtIndex(0)
                    if frame is not None and frame.getState().contains(pyatspi.STATE_SHOWING):
                        return frame
            return None

        frame = wait_for(window, "the window on the accessibility bus")
        problems = check(pyatspi, frame)
        # Asked where each object stands, as a screen reader asks: every one is
        # among its parent's children, and Qt has nothing to warn of.
        for node in walk(frame):
            index = node.getIndexInParent()
            if index < 0 or node.parent.getChildAtIndex(index) != node:
                problems.append(f"{node.getRoleName()} {node.name!r} not among its parent's children")
        with open(os.path.join(folder, "program.log"), errors="replace") as log:
            if "Fix my children" in log.read():
                problems.append("Qt warned of an accessibility tree that does not hold")

        return report(problems)
    finally:
        processes.stop()
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
