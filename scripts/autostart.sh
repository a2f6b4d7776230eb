#!/usr/bin/env bash
# Installs or removes the XDG autostart entry that runs
# "voicememo-today --notify" from the portable app/ folder at login.
#   autostart.sh install [APP_DIR]   (APP_DIR defaults to app)
#   autostart.sh remove
set -euo pipefail
source "$(dirname "$0")/desktop-entries.sh"
action=${1:?install または remove}
autostart_dir="${XDG_CONFIG_HOME:-$HOME/.config}/autostart"
entry="$autostart_dir/voicememo-today.desktop"

# systemd's autostart generator (KDE Plasma's session) reads Exec with one
# unescaping more than the desktop entry format and GLib do, and writes "$"
# and "`" into its unit with escapes that systemd then keeps: no writing of
# "\", "$" or "`" in the path reaches both GLib and systemd as itself. Such
# a folder is refused rather than given an entry that one of them would
# skip or run wrongly.
refuse_unportable_path() {
  refuse_folder_with "$1" '[\\$`]' '「\」「$」「`」' \
    'ログイン時の通知を登録できません（デスクトップによって読み方が違い、正しく起動されません）'
}

case "$action" in
install)
  app_dir=$(program_folder "${2:-app}" voicememo-today)
  refuse_broken_lines "$app_dir"
  refuse_unportable_path "$app_dir"
  program="$app_dir/voicememo-today"
  mkdir -p "$autostart_dir"
  tmp=$(mktemp "$autostart_dir/.voicememo-today.XXXXXX")
  cat >"$tmp" <<DESKTOP
[Desktop Entry]
Type=Application
Name=今日のボイスメモ
Comment=ログインしたときに今日のボイスメモを通知します
TryExec=$(entry_string "$program")
Exec=$(exec_value "$program" --notify)
Terminal=false
NoDisplay=true
X-GNOME-Autostart-enabled=true
DESKTOP
  mv -f "$tmp" "$entry"
  echo "ログイン時の通知を登録しました: $entry"
  ;;
remove)
  if rm -f -- "$entry" && [[ ! -e "$entry" ]]; then
    echo "ログイン時の通知の登録を取り消しました"
  fi
  ;;
*)
  echo "使い方: autostart.sh install [APP_DIR] | remove" >&2
  exit 2
  ;;
esac
