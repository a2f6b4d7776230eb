#!/usr/bin/env bash
# Installs or removes the XDG autostart entry that runs
# "voicememo-today --notify" from the portable app/ folder at login.
#   autostart.sh install [APP_DIR]   (APP_DIR defaults to app)
#   autostart.sh remove
set -euo pipefail
action=${1:?install or remove}
autostart_dir="${XDG_CONFIG_HOME:-$HOME/.config}/autostart"
entry="$autostart_dir/voicememo-today.desktop"

case "$action" in
install)
  app_dir=$(cd "${2:-app}" 2>/dev/null && pwd || echo "${2:-app}")
  program="$app_dir/voicememo-today"
  if [[ ! -x "$program" ]]; then
    echo "$program がありません。先に make run か make stage を実行してください" >&2
    exit 1
  fi
  # Exec quotes the path: inside quotes \ " ` $ take a backslash, which the
  # file's own string escapes write as two; % is doubled.
  quoted=$(printf '%s' "$program" | sed -e 's/[\\"`$]/\\\\&/g' -e 's/%/%%/g')
  mkdir -p "$autostart_dir"
  tmp=$(mktemp "$autostart_dir/.voicememo-today.XXXXXX")
  cat >"$tmp" <<DESKTOP
[Desktop Entry]
Type=Application
Name=今日のボイスメモ
Comment=ログインしたときに今日のボイスメモを通知します
Exec="$quoted" --notify
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
