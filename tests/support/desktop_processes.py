"""The desktop's parts that a test starts itself, each stopped by its pid."""
import os
import signal
import subprocess
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
