#!/usr/bin/env bash
# Stages the portable program folder app/: the program, its recorder, the
# command for the day's memos with the icon its notification shows, and an
# empty data/ folder beside them. The user's Voice.dat, sorvane.ini and
# voice files are never touched.
set -euo pipefail
build_dir=${1:-build}
app_dir=${2:-app}

# Copies a built program into app/ under a temporary name first, so a running
# copy is replaced whole or not at all.
stage_program() {
  local built=$1 name=$2
  if [[ -x "$built" ]]; then
    install -m 0755 "$built" "$app_dir/$name.new"
    mv -f "$app_dir/$name.new" "$app_dir/$name"
  fi
}

mkdir -p "$app_dir/data"
stage_program "$build_dir/dialog/voicememo" voicememo
stage_program "$build_dir/recorder/voicememo-recorder" voicememo-recorder
stage_program "$build_dir/today/voicememo-today" voicememo-today
install -m 0644 "$(dirname "$0")/../resources/hicolor/64x64/apps/voicememo.png" "$app_dir/voicememo.png.new"
mv -f "$app_dir/voicememo.png.new" "$app_dir/voicememo.png"
