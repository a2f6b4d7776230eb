#!/usr/bin/env bash
# The user's launcher for a portable program folder:
#   desktop-entry.sh install APP_DIR   the entry and its icons, Exec naming
#                                      APP_DIR/voicememo by its absolute path
#   desktop-entry.sh remove            takes them away again
# Into $XDG_DATA_HOME (~/.local/share): applications/voicememo.desktop and
# icons/hicolor/<size>/apps/voicememo.png. Nothing outside the user's home.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
data_home="${XDG_DATA_HOME:-$HOME/.local/share}"
entry="$data_home/applications/voicememo.desktop"
icons="$data_home/icons/hicolor"
sizes=(16x16 32x32 48x48 64x64 128x128 256x256)

# A desktop entry's string: "\" doubled. Exec's argument is quoted besides:
# '"', '`', '$' and '\' escaped inside the quotes, then '%' doubled.
entry_string() { printf '%s' "${1//\\/\\\\}"; }
exec_argument() {
  local quoted=$1
  quoted=${quoted//\\/\\\\}
  quoted=${quoted//\"/\\\"}
  quoted=${quoted//\`/\\\`}
  quoted=${quoted//\$/\\\$}
  quoted=${quoted//%/%%}
  entry_string "\"$quoted\""
}

# Desktops watch the applications folder themselves. An icon cache is kept
# up to date only where the user has one already: a new one would hide the
# icons other programs put there later.
refresh_icon_cache() {
  if [[ -f "$icons/icon-theme.cache" ]] && command -v gtk-update-icon-cache >/dev/null; then
    gtk-update-icon-cache -q -t "$icons" || true
  fi
}

case "${1:-}" in
  install)
    app_dir="$(cd "${2:?the program folder}" && pwd)"
    [[ -x "$app_dir/voicememo" ]] || { echo "no program at $app_dir/voicememo (make stage first)" >&2; exit 1; }
    mkdir -p "$(dirname "$entry")"
    for size in "${sizes[@]}"; do
      install -D -m 0644 "$here/resources/hicolor/$size/apps/voicememo.png" "$icons/$size/apps/voicememo.png"
    done
    sed -e "s|^Exec=.*|Exec=$(exec_argument "$app_dir/voicememo" | sed 's/[|&\\]/\\&/g')|" \
        -e "/^Exec=/a Path=$(entry_string "$app_dir" | sed 's/[|&\\]/\\&/g')" \
        "$here/resources/voicememo.desktop" >"$entry.new"
    mv -f "$entry.new" "$entry"
    refresh_icon_cache
    echo "launcher: $entry"
    ;;
  remove)
    rm -f "$entry"
    for size in "${sizes[@]}"; do
      rm -f "$icons/$size/apps/voicememo.png"
    done
    refresh_icon_cache
    ;;
  *)
    echo "usage: $0 install APP_DIR | remove" >&2
    exit 2
    ;;
esac
