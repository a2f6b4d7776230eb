#!/usr/bin/python3
"""make calendar's registration as the desktop's calendar service reads it:
evolution-data-server on a session bus of the test's own, in a temporary
home. The registry runs before the registration, as on a desktop, and
picks it up; the feed's memos stand on their days (the every-day memo from
the day it was recorded on), read-only; a rewrite of the feed, as each save
of the window makes, is seen in place; the removal takes the calendar away.

    calendar-registration.py SOURCE_ROOT VOICEMEMO_TODAY

Every process of the session is stopped by its process id at the end."""
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

# Generous for a loaded two-core machine; only a fault takes this long.
BOUND_SECONDS = 60


def wait_for(condition, what, context=None):
    deadline = time.monotonic() + BOUND_SECONDS
    while True:
        while context is not None and context.pending():
            context.iteration(False)
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            sys.exit("not within the bound: " + what)
        time.sleep(0.05)


def memo_line(title, path, recorded, kind, shown):
    line = "\t".join([title, path, recorded, "09:08:07", kind, shown]) + "\r\n"
    return line.encode("cp932")


def gone(pid):
    # Stopped, or a zombie that the session's init has not reaped yet.
    try:
        with open(f"/proc/{pid}/stat") as stat:
            return stat.read().rsplit(")", 1)[1].split()[0] == "Z"
    except FileNotFoundError:
        return True


class PrivateSession:
    """A session bus with the system's service files, so that the calendar
    services start on demand, in the environment given."""

    def __init__(self, environment):
        output = subprocess.run(["dbus-daemon", "--session", "--fork", "--print-address=1", "--print-pid=1"],
                                env=environment, check=True, capture_output=True, text=True).stdout.split("\n")
        self.address, self.pid = output[0], int(output[1])
        os.environ["DBUS_SESSION_BUS_ADDRESS"] = self.address

    def stop(self, bus):
        """Every process on the bus but this one, then the bus itself."""
        pids = set()
        if bus is not None:
            from gi.repository import GLib

            names = bus.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                                  "ListNames", None, None, 0, -1, None).unpack()[0]
            for name in names:
                if name.startswith(":"):
                    try:
                        pids.add(bus.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                               "org.freedesktop.DBus", "GetConnectionUnixProcessID",
                                               GLib.Variant("(s)", (name,)), None, 0, -1, None).unpack()[0])
                    except Exception:
                        pass  # left meanwhile
        pids.discard(os.getpid())
        pids.add(self.pid)
        for pid in pids:
            try:
                os.kill(pid, signal.SIGTERM)
            except ProcessLookupError:
                pass
        wait_for(lambda: all(gone(pid) for pid in pids), "the session's processes end")


def main():
    root, program = sys.argv[1], sys.argv[2]
    work = tempfile.mkdtemp()
    home = os.path.join(work, "home")
    runtime = os.path.join(work, "runtime")
    os.makedirs(runtime, mode=0o700)
    os.environ.update(HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"),
                      XDG_DATA_HOME=os.path.join(home, ".local/share"), XDG_CACHE_HOME=os.path.join(home, ".cache"),
                      XDG_RUNTIME_DIR=runtime, GSETTINGS_BACKEND="memory")
    # A folder whose file: URI must be encoded.
    app = os.path.join(work, "メモ #1 'a' \"q\" \\ $HOME")
    os.makedirs(os.path.join(app, "data"))
    shutil.copy(program, app)
    catalogue = os.path.join(app, "Voice.dat")

    def write_catalogue(every_day_title):
        with open(catalogue, "wb") as memos:
            memos.write(memo_line(every_day_title, os.path.join(app, "data/Voice1.wav"), "2025/01/02", "TODO", ""))
            memos.write(memo_line("会議", os.path.join(app, "data/Voice2.wav"), "2025/01/02", "DAILY", "2025/3/1"))

    write_catalogue("毎日のメモ")
    settings = os.path.join(app, "sorvane.ini")
    with open(settings, "wb") as file:
        file.write(b"[Option]\r\nShowHint=0\r\n")

    # A "%", which the calendar service cannot open, is refused before
    # anything is written.
    unopenable = os.path.join(work, "100%")
    shutil.copytree(app, unopenable)
    refused = subprocess.run(["bash", os.path.join(root, "scripts/calendar.sh"), "install", unopenable],
                             capture_output=True, text=True)
    if refused.returncode == 0 or "「%」" not in refused.stderr or sorted(os.listdir(unopenable)) != sorted(os.listdir(app)):
        sys.exit("a folder with a %: " + refused.stderr)

    session = PrivateSession(dict(os.environ))
    bus = None
    try:
        import gi

        gi.require_version("EDataServer", "1.2")
        gi.require_version("ECal", "2.0")
        gi.require_version("Gio", "2.0")
        from gi.repository import ECal, EDataServer, Gio, GLib

        bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
        bus.set_exit_on_close(False)  # the session ends before this test does
        context = GLib.MainContext.default()
        registry = EDataServer.SourceRegistry.new_sync(None)

        installed = subprocess.run(["bash", os.path.join(root, "scripts/calendar.sh"), "install", app],
                                   capture_output=True, text=True)
        if installed.returncode != 0:
            sys.exit("calendar.sh install: " + installed.stdout + installed.stderr)
        with open(settings, "rb") as file:
            if file.read() != b"[Option]\r\nShowHint=0\r\n[Voice]\r\nCalendarFeed=1\r\n":
                sys.exit("sorvane.ini: the feed is not switched on, or another key changed")

        source = wait_for(lambda: registry.ref_source("voicememo"), "the registry sees the calendar", context)
        # Not waiting for a network connection that a file never makes.
        client = ECal.Client.connect_sync(source, ECal.ClientSourceType.EVENTS, 1, None)
        if not client.is_readonly():
            sys.exit("the calendar can be written")

        def on(day):
            query = f'(occur-in-time-range? (make-time "{day}T000000Z") (make-time "{day}T235959Z"))'
            found, items = client.get_object_list_as_comps_sync(query, None)
            return sorted((item.get_summary().get_value(), item.get_uid()) for item in items)

        days = {day: [title for title, _ in on(day)] for day in ["20250101", "20250102", "20250301", "20300615"]}
        expected = {"20250101": [], "20250102": ["毎日のメモ"], "20250301": ["会議", "毎日のメモ"],
                    "20300615": ["毎日のメモ"]}
        if days != expected:
            sys.exit(f"the calendar's days: {days}")
        uids = {uid for _, uid in on("20250301")}

        # The window's save rewrites the feed by rename: seen in place.
        write_catalogue("毎日の新しいメモ")
        subprocess.run([os.path.join(app, "voicememo-today"), "--folder", app, "--ics", os.path.join(app, "Voice.ics")],
                       check=True)
        wait_for(lambda: [title for title, _ in on("20300615")] == ["毎日の新しいメモ"], "the rewrite is seen",
                 context)
        if {uid for _, uid in on("20250301")} != uids:
            sys.exit("the rewrite changed the items' UIDs")

        removed = subprocess.run(["bash", os.path.join(root, "scripts/calendar.sh"), "remove"], capture_output=True,
                                 text=True)
        if removed.returncode != 0:
            sys.exit("calendar.sh remove: " + removed.stdout + removed.stderr)
        wait_for(lambda: registry.ref_source("voicememo") is None, "the registry lets the calendar go", context)
        if not os.path.exists(os.path.join(app, "Voice.ics")):
            sys.exit("the removal took the feed")
    finally:
        session.stop(bus)
        shutil.rmtree(work, ignore_errors=True)
    print("calendar registration ok")


if __name__ == "__main__":
    main()
