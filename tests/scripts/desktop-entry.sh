#!/usr/bin/env bash
# make desktop-entry's launcher, installed into a temporary home for a
# program folder whose path needs quoting: it is valid, has its icon at each
# size, starts that very program in its folder, and make
# desktop-entry-remove leaves nothing behind.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
app="$work/my memos \$HOME 100%"
mkdir -p "$app"
printf '#!/bin/sh\npwd >"%s/ran-in"\n' "$work" >"$app/voicememo"
chmod +x "$app/voicememo"
export HOME="$work/home"
unset XDG_DATA_HOME
entry="$HOME/.local/share/applications/voicememo.desktop"

fail() { echo "$*"; exit 1; }
bash "$root/scripts/desktop-entry.sh" install "$app" >/dev/null
desktop-file-validate "$entry" || fail "the entry is not valid"
value() { sed -n "s/^$1=//p" "$entry"; }
[[ "$(value Name)" == "ボイスメモ" ]] || fail "Name: $(value Name)"
[[ "$(value Categories)" == "AudioVideo;Audio;Recorder;" ]] || fail "Categories: $(value Categories)"
[[ -n "$(value Comment)" ]] || fail "no Comment"
[[ "$(value Path)" == "$app" ]] || fail "Path: $(value Path)"
png_size() { python3 -c 'import struct,sys; d=open(sys.argv[1],"rb").read(24); print("%dx%d" % struct.unpack(">II", d[16:24]) if d[:8]==b"\x89PNG\r\n\x1a\n" else "none")' "$1"; }
for size in 16x16 32x32 48x48 64x64 128x128 256x256; do
  icon="$HOME/.local/share/icons/hicolor/$size/apps/$(value Icon).png"
  [[ -f "$icon" && "$(png_size "$icon")" == "$size" ]] || fail "icon $size: $icon"
done
# Exec, unquoted as a launcher does (string escapes, then the quoted
# argument), runs the program in its folder.
exec_line="$(value Exec)"
command=$(python3 - "$exec_line" <<'PY'
import re, sys
s = sys.argv[1].replace("\\\\", "\\").replace("%%", "%")
quoted = re.match(r'"((?:[^"\\]|\\.)*)"', s)
print(re.sub(r'\\(.)', r'\1', quoted.group(1)) if quoted else s.split(" ")[0])
PY
)
[[ "$command" == "$app/voicememo" ]] || fail "Exec: $exec_line"
(cd "$(value Path)" && "$command")
[[ "$(cat "$work/ran-in")" == "$app" ]] || fail "ran in $(cat "$work/ran-in")"

bash "$root/scripts/desktop-entry.sh" remove
left=$(find "$HOME" -type f)
[[ -z "$left" ]] || fail "left behind: $left"
echo "launcher ok"
