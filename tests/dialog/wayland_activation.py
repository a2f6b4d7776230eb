#!/usr/bin/python3
"""A second start under sway brings the first window forward with the
activation token its launcher gave it.

Starts a headless sway (as an unprivileged user when run as root: sway
refuses to run as root) with the program's first copy and another window
that has the focus, then starts the program again in the same folder:
- with no token: nothing comes forward, under focus_on_window_activation
  focus (judged once the first copy has let go of the start's connection,
  after the next start has shown);
- with a token from the compositor, under sway's default
  focus_on_window_activation (urgent): the window is marked urgent;
- with a token, under focus_on_window_activation focus: it gets the focus.

Usage: wayland_activation.py PROGRAM TOKEN_HELPER
"""
import json
import os
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from desktop_processes import report, started_in_folder, wait_for  # noqa: E402

UNPRIVILEGED = 65534 if os.geteuid() == 0 else os.geteuid()
OTHER_WINDOW = "org.freedesktop.weston.flower"


def as_user():
    """Popen's arguments that run a process as the unprivileged user."""
    if os.geteuid() != 0:
        return {}
    return {"user": UNPRIVILEGED, "group": UNPRIVILEGED, "extra_groups": []}


def owned_folder(path, mode=0o755):
    os.makedirs(path, mode, exist_ok=True)
    os.chmod(path, mode)
    os.chown(path, UNPRIVILEGED, UNPRIVILEGED)
    return path


def owned_copy(source, folder):
    target = os.path.join(folder, os.path.basename(source))
    shutil.copy2(source, target)
    os.chown(target, UNPRIVILEGED, UNPRIVILEGED)
    return target


def windows(env):
    """Each window of sway's tree by app_id: (focused, urgent)."""
    tree = subprocess.run(["swaymsg", "-t", "get_tree"], env=env, capture_output=True, text=True)
    if tree.returncode != 0:
        return {}
    found = {}

    def walk(node):
        if node.get("app_id"):
            found[node["app_id"]] = (bool(node.get("focused")), bool(node.get("urgent")))
        for child in node.get("nodes", []) + node.get("floating_nodes", []):
            walk(child)

    walk(json.loads(tree.stdout))
    return found


def sockets_held(pid):
    """How many sockets the process holds open."""
    folder = f"/proc/{pid}/fd"
    held = 0
    for name in os.listdir(folder):
        try:
            held += os.readlink(os.path.join(folder, name)).startswith("socket:")
        except FileNotFoundError:
            continue
    return held


def sway_command(env, command):
    subprocess.run(["swaymsg", command], env=env, check=True, capture_output=True)


def main(program, token_helper):
    problems = []
    with started_in_folder("voicememo-activation-") as (processes, folder):
        owned_folder(folder)
        runtime = owned_folder(os.path.join(folder, "runtime"), 0o700)
        app = owned_folder(os.path.join(folder, "app"))
        owned_folder(os.path.join(app, "data"))
        program = owned_copy(program, app)
        token_helper = owned_copy(token_helper, folder)
        config = os.path.join(folder, "sway.conf")
        with open(config, "w") as text:
            text.write("# sway's defaults, and no bar\n")

        env = {key: value for key, value in os.environ.items() if key not in ("DISPLAY", "WAYLAND_DISPLAY")}
        env.update(HOME=folder, XDG_CONFIG_HOME=folder, XDG_RUNTIME_DIR=runtime, WLR_BACKENDS="headless",
                   WLR_LIBINPUT_NO_DEVICES="1", WLR_RENDERER="pixman", DBUS_SESSION_BUS_ADDRESS="disabled:",
                   QT_QPA_PLATFORM="wayland")
        with open(os.path.join(folder, "sway.log"), "w") as log:
            sway = subprocess.Popen(["sway", "-c", config], env=env, stdout=log, stderr=log, **as_user())
        processes.add(sway.pid)

        def sockets():
            names = os.listdir(runtime)
            display = [n for n in names if n.startswith("wayland-") and not n.endswith(".lock")]
            ipc = [n for n in names if n.startswith("sway-ipc.")]
            return display and ipc and (display[0], os.path.join(runtime, ipc[0]))

        env["WAYLAND_DISPLAY"], env["SWAYSOCK"] = wait_for(sockets, "sway's sockets")

        first = subprocess.Popen([program], cwd=app, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                 **as_user())
        processes.add(first.pid)
        wait_for(lambda: "voicememo" in windows(env), "the first window")
        other = subprocess.Popen(["weston-flower"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                 **as_user())
        processes.add(other.pid)
        wait_for(lambda: OTHER_WINDOW in windows(env), "the other window")

        # (focus_on_window_activation, with a token, (focused, urgent) once handled)
        cases = [("focus", False, (False, False)), ("urgent", True, (False, True)), ("focus", True, (True, False))]
        for mode, with_token, expected in cases:
            sway_command(env, f'[app_id="{OTHER_WINDOW}"] focus')
            sway_command(env, '[app_id="voicememo"] urgent disable')
            wait_for(lambda: windows(env).get(OTHER_WINDOW, (False,))[0], "the other window's focus")
            sway_command(env, f"focus_on_window_activation {mode}")
            idle = sockets_held(first.pid)
            second = [token_helper, program] if with_token else [program]
            ended = subprocess.run(second, cwd=app, env=env, capture_output=True, text=True, timeout=60,
                                   **as_user())
            if ended.returncode != 0:
                problems.append(f"second start ({mode}, token {with_token}) ended {ended.returncode}: "
                                f"{ended.stderr.strip()}")
                continue
            what = f"the window after a start {'with' if with_token else 'without'} a token under {mode}"
            try:
                if with_token:
                    wait_for(lambda: windows(env).get("voicememo") == expected, f"{what} as {expected}")
                else:
                    wait_for(lambda: sockets_held(first.pid) <= idle, "the first copy to handle the start")
            except AssertionError as failure:
                if not with_token:
                    problems.append(str(failure))
            if windows(env).get("voicememo") != expected:
                problems.append(f"{what}: (focused, urgent) {windows(env).get('voicememo')}, not {expected}")
    return report(problems)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1], sys.argv[2]))
