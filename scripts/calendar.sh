#!/usr/bin/env bash
# The day's memos in the desktop's calendar (evolution-data-server, which
# GNOME Calendar, Evolution and the clock of GNOME Shell read):
#   calendar.sh install APP_DIR   writes APP_DIR/Voice.ics now, has each save
#                                 of the window write it again ([Voice]
#                                 CalendarFeed=1 in sorvane.ini), and
#                                 registers it as a read-only local calendar
#   calendar.sh remove            takes the registration away; the feed and
#                                 its setting stay
# The registration is one key file in the user's evolution/sources, which a
# running evolution-source-registry picks up by itself; writing it needs no
# part of evolution-data-server.
set -euo pipefail
source "$(dirname "$0")/desktop-entries.sh"
sources="${XDG_CONFIG_HOME:-$HOME/.config}/evolution/sources"
# The source's UID is its file's name.
source_file="$sources/voicememo.source"

# The file: URI of an absolute path, each byte but the unreserved ones and
# "/" percent-encoded.
file_uri() {
  local LC_ALL=C path=$1 uri='' byte i
  for ((i = 0; i < ${#path}; i++)); do
    byte=${path:i:1}
    case "$byte" in
      [A-Za-z0-9/._~-]) uri+=$byte ;;
      *) printf -v byte '%%%02X' "'$byte"; uri+=$byte ;;
    esac
  done
  printf 'file://%s' "$uri"
}

# The local backend of evolution-data-server decodes the file's path once
# more after the URI's own decoding: a "%" in it makes the file unopenable.
refuse_percent() { refuse_folder_with "$1" % '「%」' 'デスクトップのカレンダーが Voice.ics を開けません'; }

case "${1:-}" in
  install)
    app_dir=$(program_folder "${2:?プログラムのフォルダー}" voicememo-today)
    refuse_percent "$app_dir"
    # The feed first: where it cannot be written, nothing is registered.
    "$app_dir/voicememo-today" --folder "$app_dir" --feed-on
    mkdir -p "$sources"
    # Written whole under a name the registry does not load, then renamed.
    tmp=$(mktemp "$sources/.voicememo.XXXXXX")
    cat >"$tmp" <<SOURCE
[Data Source]
DisplayName=ボイスメモ
Enabled=true
Parent=local-stub

[Calendar]
BackendName=local
Selected=true

[Local Backend]
CustomFile=$(file_uri "$app_dir/Voice.ics")
Writable=false
SOURCE
    chmod 0644 "$tmp"
    mv -f "$tmp" "$source_file"
    echo "デスクトップのカレンダーに登録しました: $app_dir/Voice.ics ($source_file)"
    ;;
  remove)
    rm -f -- "$source_file"
    echo "デスクトップのカレンダーの登録を取り消しました（Voice.ics とその書き出しはそのままです）"
    ;;
  *)
    echo "使い方: calendar.sh install APP_DIR | remove" >&2
    exit 2
    ;;
esac
