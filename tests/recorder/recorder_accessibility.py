#!/usr/bin/python3
"""The real recorder as a screen reader meets it through AT-SPI, while a take runs.

Starts, each by its process id, a private session bus, the accessibility
bus, an X server, a private PulseAudio server whose microphone hears what is
played into its speaker, and the recorder on a new empty file, which it
records at once. A tone plays into the speaker meanwhile. Then checks what a
screen reader depends on:
- the level meter is no progress bar (whose every change is read out), sends
  no change of its value, and gives its value when asked: above 0 while the
  tone plays;
- each new status (録音中…, and 録音を保存しました。 after 停止 is pressed
  through the bus) appears as a notification shown anew, which a screen
  reader speaks wherever the focus is;
- the status bar holds the status and the take's time, to be read on demand.
Stops everything it started.

Usage: recorder_accessibility.py RECORDER
"""
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from desktop_processes import report, start_accessibility_session, started_in_folder, wait_for  # noqa: E402

# The sinks and sources of the C++ tests' TestSoundServer: the microphone
# hears the speaker, and the loopback spares a null sink's start-up delay.
SOUND_SERVER_SCRIPT = """load-module module-null-sink sink_name=speaker
load-module module-null-sink sink_name=drain
load-module module-loopback source=speaker.monitor sink=drain latency_msec=20
load-module module-remap-source source_name=microphone master=speaker.monitor
load-module module-native-protocol-unix socket={socket} auth-anonymous=1
set-default-sink speaker
set-default-source microphone
suspend-sink speaker 1
suspend-sink speaker 0
"""


def start_sound_server(processes, folder, env):
    server = os.path.join(folder, "pulse")
    for sub in ("runtime", "state", "home"):
        os.makedirs(os.path.join(server, sub))
    with open(os.path.join(server, "client.conf"), "w") as conf:
        conf.write("autospawn = no\n")
    script = os.path.join(server, "test.pa")
    with open(script, "w") as pa:
        pa.write(SOUND_SERVER_SCRIPT.format(socket=os.path.join(server, "native")))
    env.update({"PULSE_SERVER": "unix:" + os.path.join(server, "native"),
                "PULSE_CLIENTCONFIG": os.path.join(server, "client.conf"),
                "PULSE_COOKIE": os.path.join(server, "cookie"),
                "PULSE_RUNTIME_PATH": os.path.join(server, "runtime"),
                "PULSE_STATE_PATH": os.path.join(server, "state")})
    log = open(os.path.join(server, "server.log"), "wb")
    daemon = subprocess.Popen(["pulseaudio", "--daemonize=no", "-n", "-F", script, "--use-pid-file=no",
                               "--exit-idle-time=-1", "--disallow-exit=yes", "--high-priority=no", "--realtime=no"],
                              env=dict(env, HOME=os.path.join(server, "home")), stdout=log, stderr=log)
    processes.add(daemon.pid)
    answers = lambda: subprocess.run(["pactl", "info"], env=env, capture_output=True).returncode == 0
    wait_for(lambda: answers() or daemon.poll() is not None, "the sound server")
    if daemon.poll() is not None:
        raise AssertionError("pulseaudio ended: " + open(os.path.join(server, "server.log")).read())


def press(button):
    actions = button.queryAction()
    for index in range(actions.nActions):
        if actions.getName(index) == "Press":
            actions.doAction(index)
            return
    raise AssertionError("no Press action on " + button.name)


def check(recorder, processes, folder):
    problems = []

    def expect(condition, message):
        if not condition:
            problems.append(message)

    env = start_accessibility_session(processes, folder)
    env["XDG_CONFIG_HOME"] = os.path.join(folder, "config")  # the chosen input is remembered there
    start_sound_server(processes, folder, env)
    os.environ["DBUS_SESSION_BUS_ADDRESS"] = env["DBUS_SESSION_BUS_ADDRESS"]
    os.environ["DISPLAY"] = env["DISPLAY"]
    import pyatspi
    from gi.repository import GLib

    # What the recorder tells the bus, noted as it comes; a name is read at
    # once, before a later status can replace it.
    shown_notifications, value_changes = [], []

    def note(event):
        if event.source.getRoleName() == "notification" and event.detail1:
            shown_notifications.append(event.source.name)
        elif event.type.startswith("object:property-change:accessible-value"):
            value_changes.append(event.source.getRoleName() + " " + event.source.name)

    pyatspi.Registry.registerEventListener(note, "object:state-changed:showing")
    pyatspi.Registry.registerEventListener(note, "object:property-change:accessible-value")

    def waiting_for(condition, what):
        def pumped():
            while GLib.MainContext.default().iteration(False):
                pass
            return condition()
        return wait_for(pumped, what)

    def announced(status):
        try:
            waiting_for(lambda: status in shown_notifications, status + " announced")
        except AssertionError as missing:
            problems.append(str(missing))

    take = os.path.join(folder, "Voice1.wav")
    open(take, "wb").close()
    log = open(os.path.join(folder, "recorder.log"), "wb")
    processes.add(subprocess.Popen([recorder, take], env=env, stdout=log, stderr=log).pid)

    def window():
        desktop = pyatspi.Registry.getDesktop(0)
        for index in range(desktop.childCount):
            app = desktop.getChildAtIndex(index)
            if app is not None and app.name == "voicememo-recorder" and app.childCount > 0:
                return app.getChildAtIndex(0)
        return None

    frame = waiting_for(window, "the recorder's window on the accessibility bus")
    nodes = pyatspi.findAllDescendants(frame, lambda node: True)
    meter = next(n for n in nodes if n.name == "入力レベル:" and n.getRoleName() != "label")
    status_bar = next(n for n in nodes if n.getRoleName() == "status bar")

    announced("録音中…")
    tone = os.path.join(folder, "tone.wav")
    subprocess.run(["sox", "-n", "-r", "22050", "-c", "1", "-b", "16", tone, "synth", "3", "sine", "440"], check=True)
    player = subprocess.Popen(["paplay", tone], env=env)
    processes.add(player.pid)
    level = waiting_for(lambda: meter.queryValue().currentValue, "a level read from the meter")
    waiting_for(lambda: player.poll() is not None, "the tone's end")
    press(next(n for n in nodes if n.getRoleName() == "push button" and n.name == "停止(S)"))
    announced("録音を保存しました。")

    expect(meter.getRoleName() != "progress bar", "the meter is a progress bar")
    expect(0 < level <= meter.queryValue().maximumValue == 100, f"the meter read {level}")
    expect(not value_changes, f"{len(value_changes)} value changes sent, from {set(value_changes)}")
    expect(not status_bar.name, "the status bar has a name of its own: " + status_bar.name)
    read = [status_bar.getChildAtIndex(i).name for i in range(status_bar.childCount)]
    expect(len(read) == 3 and read[:2] == ["録音を保存しました。", "録音時間:"] and read[2] not in ("", "0:00.0"),
           "the status bar reads " + repr(read))
    return problems


if __name__ == "__main__":
    with started_in_folder("voicememo-recorder-atspi-") as (processes, folder):
        sys.exit(report(check(sys.argv[1], processes, folder)))
