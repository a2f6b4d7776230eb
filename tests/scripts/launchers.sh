#!/usr/bin/env bash
# make desktop-entry's launcher and make autostart's login entry, installed
# into a temporary home for program folders whose paths need quoting. Each
# passes desktop-file-validate, is loaded by GLib (menus, GNOME's session)
# and started by it: the right program, in its folder, with its arguments.
# systemd's autostart generator (KDE Plasma's session) makes the login entry
# a unit that systemd reads without complaint; a folder that GLib and
# systemd would read differently gets no login entry, and says why. The
# launcher has its icon at each size; removing leaves nothing behind.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work/home"
unset XDG_DATA_HOME XDG_CONFIG_HOME
# The generator reads no entry of the machine's own.
export XDG_CONFIG_DIRS="$work/no-config"
generator=/lib/systemd/user-generators/systemd-xdg-autostart-generator

fail() { echo "$*" >&2; exit 1; }
# A stand-in program that writes where it ran and its arguments.
stand_in() {
  mkdir -p "$1"
  printf '#!/bin/sh\n{ pwd; printf "%%s\\n" "$0" "$@"; } >"%s/ran.new" && mv "%s/ran.new" "%s/ran"\n' \
    "$work" "$work" "$work" >"$1/$2"
  chmod +x "$1/$2"
}
value() { sed -n "s/^$2=//p" "$1"; }
# Loads the entry as GLib does and starts it; then waits for what ran.
launch() {
  rm -f "$work/ran"
  /usr/bin/python3 - "$1" <<'PY' || fail "GLib refuses $1"
import sys
import gi
gi.require_version("Gio", "2.0")
from gi.repository import Gio
try:
    entry = Gio.DesktopAppInfo.new_from_filename(sys.argv[1])
except TypeError:
    entry = None
if entry is None or not entry.launch([], None):
    sys.exit(1)
PY
  for ((i = 0; i < 3000; i++)); do
    [[ -e "$work/ran" ]] && break
    sleep 0.02
  done
  cat "$work/ran" 2>/dev/null || fail "nothing ran for $1"
}

# The menu's launcher, for a folder with every character that needs quoting.
app="$work/メモ \\ \"q\" 'a' \$HOME \`b\` 100%"
stand_in "$app" voicememo
entry="$HOME/.local/share/applications/voicememo.desktop"
bash "$root/scripts/desktop-entry.sh" install "$app" >/dev/null
desktop-file-validate "$entry" || fail "the launcher is not valid"
[[ "$(value "$entry" Name)" == "ボイスメモ" ]] || fail "Name: $(value "$entry" Name)"
[[ "$(value "$entry" Categories)" == "AudioVideo;Audio;Recorder;" ]] || fail "Categories"
[[ -n "$(value "$entry" Comment)" ]] || fail "no Comment"
png_size() { python3 -c 'import struct,sys; d=open(sys.argv[1],"rb").read(24); print("%dx%d" % struct.unpack(">II", d[16:24]) if d[:8]==b"\x89PNG\r\n\x1a\n" else "none")' "$1"; }
for size in 16x16 32x32 48x48 64x64 128x128 256x256; do
  icon="$HOME/.local/share/icons/hicolor/$size/apps/$(value "$entry" Icon).png"
  [[ -f "$icon" && "$(png_size "$icon")" == "$size" ]] || fail "icon $size: $icon"
done
ran=$(launch "$entry")
[[ "$ran" == "$app"$'\n'"$app/voicememo" ]] || fail "the launcher ran: $ran"

# The login entry, for a folder with what both GLib and systemd can read.
login_app="$work/メモ \"q\" 'a' 100%"
stand_in "$login_app" voicememo-today
login="$HOME/.config/autostart/voicememo-today.desktop"
bash "$root/scripts/autostart.sh" install "$login_app" >/dev/null
desktop-file-validate "$login" || fail "the login entry is not valid"
ran=$(launch "$login")
[[ "$ran" == *$'\n'"$login_app/voicememo-today"$'\n--notify' ]] || fail "the login entry ran: $ran"
units="$work/units"
mkdir -p "$units"
"$generator" "$units" "$units" "$units" 2>"$work/generator.log"
unit=$(find "$units" -maxdepth 1 -name '*voicememo*.service')
[[ -n "$unit" ]] || fail "systemd made no unit: $(cat "$work/generator.log")"
cp "$unit" "$work/login.service"
complaints=$(systemd-analyze verify --man=no "$work/login.service" 2>&1) || fail "systemd refuses the unit: $complaints"
[[ -z "$complaints" ]] || fail "systemd reads the unit with: $complaints"

# Folders whose login entry one of them would read wrongly: refused, and
# the entry installed before stays.
for bad in "$work/a\\b" "$work/a \$HOME" "$work/a \`b\`"; do
  stand_in "$bad" voicememo-today
  if bash "$root/scripts/autostart.sh" install "$bad" 2>"$work/refusal"; then
    fail "installed for $bad"
  fi
  grep -qF "フォルダー $bad のパスに" "$work/refusal" || fail "refusal: $(cat "$work/refusal")"
  [[ "$(value "$login" TryExec)" == "$login_app/voicememo-today" ]] || fail "the entry changed for $bad"
done

bash "$root/scripts/desktop-entry.sh" remove >/dev/null
bash "$root/scripts/autostart.sh" remove >/dev/null
left=$(find "$HOME" -type f)
[[ -z "$left" ]] || fail "left behind: $left"
echo "launchers ok"
