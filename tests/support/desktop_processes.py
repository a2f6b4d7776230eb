"""The desktop's parts that a test starts itself, each stopped by its pid."""
import contextlib
import os
import shutil
import signal
import subprocess
import tempfile
import time

WAIT_SECONDS = 60  # generous for a loaded machine; every wait ends once its condition holds


def wait_for(condition, what):
    deadline = time.monotonic() + WAIT_SECONDS
    while time.monotonic() < deadline:
        value = condition()
        if value:
            return value
        time.sleep(0.05)
    raise AssertionError("timed out waiting for " + what)


class Processes:
    """The processes the test started, stopped in reverse order by pid."""

    def __init__(self):
        self.pids = []

    def add(self, pid):
        self.pids.append(pid)

    def stop(self):
        for pid in reversed(self.pids):
            try:
                os.kill(pid, signal.SIGTERM)
            except ProcessLookupError:
                continue
            deadline = time.monotonic() + 10
            while time.monotonic() < deadline:
                try:
                    if os.waitpid(pid, os.WNOHANG)[0] == pid:
                        break
                except ChildProcessError:  # not our child (the forked bus)
                    try:
                        os.kill(pid, 0)
                    except ProcessLookupError:
                        break
                time.sleep(0.05)
            else:
                os.kill(pid, signal.SIGKILL)
        self.pids = []


@contextlib.contextmanager
def started_in_folder(prefix):
    """For a with block: the processes it starts and a temporary folder of its
    own, every process stopped and the folder removed when it is left."""
    processes = Processes()
    folder = tempfile.mkdtemp(prefix=prefix)
    try:
        yield processes, folder
    finally:
        processes.stop()
        shutil.rmtree(folder, ignore_errors=True)


def start_x_server(processes, size="800x600x24"):
    """An Xvfb of its own; returns its DISPLAY. It does not reset when its
    last client leaves, so a client starting meanwhile is not refused."""
    read_end, write_end = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-nolisten", "tcp", "-noreset", "-screen", "0", size],
                            pass_fds=[write_end], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    processes.add(xvfb.pid)
    os.close(write_end)
    with os.fdopen(read_end) as display:
        return ":" + display.readline().strip()


def start_accessibility_session(processes, folder):
    """A private session bus with the accessibility bus on it, and an X server
    of its own: the environment (returned) in which a Qt program is read
    through AT-SPI as a screen reader reads it. Its runtime folder is made in
    folder."""
    env = dict(os.environ)
    out = subprocess.run(["dbus-daemon", "--session", "--fork", "--print-address=1", "--print-pid=1"],
                         check=True, capture_output=True, text=True).stdout.split()
    env["DBUS_SESSION_BUS_ADDRESS"], bus_pid = out[0], int(out[1])
    processes.add(bus_pid)
    runtime = os.path.join(folder, "runtime")
    os.mkdir(runtime, 0o700)
    env["XDG_RUNTIME_DIR"] = runtime
    launcher = subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"], env=env,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    processes.add(launcher.pid)
    env["DISPLAY"] = start_x_server(processes)
    env.pop("WAYLAND_DISPLAY", None)
    env["QT_QPA_PLATFORM"] = "xcb"
    env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
    return env


def report(problems):
    """Prints each problem found and a summary; returns the exit status, 1
    when anything was found."""
    for problem in problems:
        print("FAIL:", problem)
    print("ok" if not problems else f"{len(problems)} problems")
    return 1 if problems else 0
