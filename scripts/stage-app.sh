#!/usr/bin/env bash
# Stages the portable program folder app/: the program and an empty data/
# folder beside it. The user's Voice.dat, sorvane.ini and voice files are
# never touched.
set -euo pipefail
build_dir=${1:-build}
app_dir=${2:-app}

mkdir -p "$app_dir/data"
if [[ -x "$build_dir/dialog/voicememo" ]]; then
  install -m 0755 "$build_dir/dialog/voicememo" "$app_dir/voicememo.new"
  mv -f "$app_dir/voicememo.new" "$app_dir/voicememo"
fi
