#!/usr/bin/env bash
# The user's launcher for a portable program folder:
#   desktop-entry.sh install APP_DIR   the entry and its icons, Exec naming
#                                      APP_DIR/voicememo by its absolute path
#   desktop-entry.sh remove            takes them away again
# Into $XDG_DATA_HOME (~/.local/share): applications/voicememo.desktop and
# icons/hicolor/<size>/apps/voicememo.png. Nothing outside the user's home.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
source "$here/scripts/desktop-entries.sh"
data_home="${XDG_DATA_HOME:-$HOME/.local/share}"
entry="$data_home/applications/voicememo.desktop"
icons="$data_home/icons/hicolor"
sizes=(16x16 32x32 48x48 64x64 128x128 256x256)

# Desktops watch the applications folder themselves. An icon cache is kept
# up to date only where the user has one already: a new one would hide the
# icons other programs put there later.
refresh_icon_cache() {
  if [[ -f "$icons/icon-theme.cache" ]] && command -v gtk-update-icon-cache >/dev/null; then
    gtk-update-icon-cache -q -t "$icons" || true
  fi
}

# The launcher's template with the program's place filled in.
write_entry() {
  local app_dir=$1 line
  while IFS= read -r line; do
    if [[ "$line" == Exec=* ]]; then
      printf 'TryExec=%s\n' "$(entry_string "$app_dir/voicememo")"
      printf 'Exec=%s\n' "$(exec_value "$app_dir/voicememo")"
      printf 'Path=%s\n' "$(entry_string "$app_dir")"
    else
      printf '%s\n' "$line"
    fi
  done <"$here/resources/voicememo.desktop"
}

case "${1:-}" in
  install)
    app_dir=$(program_folder "${2:?プログラムのフォルダー}" voicememo)
    refuse_broken_lines "$app_dir"
    mkdir -p "$(dirname "$entry")"
    for size in "${sizes[@]}"; do
      install -D -m 0644 "$here/resources/hicolor/$size/apps/voicememo.png" "$icons/$size/apps/voicememo.png"
    done
    write_entry "$app_dir" >"$entry.new"
    mv -f "$entry.new" "$entry"
    refresh_icon_cache
    echo "メニューに登録しました: $entry"
    ;;
  remove)
    rm -f "$entry"
    for size in "${sizes[@]}"; do
      rm -f "$icons/$size/apps/voicememo.png"
    done
    refresh_icon_cache
    echo "メニューの登録を取り消しました"
    ;;
  *)
    echo "使い方: desktop-entry.sh install APP_DIR | remove" >&2
    exit 2
    ;;
esac
