# shellcheck shell=bash
# What the scripts that write desktop files share (sourced by
# desktop-entry.sh, autostart.sh and calendar.sh): the program folder, and
# how a path is written in a desktop entry so that every reader takes it
# alike: desktop-file-validate, GLib (menus, GNOME's session) and systemd's
# autostart generator (KDE Plasma's session).

# The absolute program folder, after checking that it holds the program:
#   program_folder APP_DIR PROGRAM
program_folder() {
  local app_dir
  app_dir=$(cd "$1" 2>/dev/null && pwd) || app_dir=$1
  if [[ ! -x "$app_dir/$2" ]]; then
    echo "$app_dir/$2 がありません。先に make run か make stage を実行してください" >&2
    return 1
  fi
  printf '%s\n' "$app_dir"
}

# Refuses a folder whose path holds a character that a reader of the file
# would take otherwise, saying what the user is to do; the folder is shown
# as the user sees it, a TAB, CR or LF written \t, \r, \n as the program
# writes them:
#   refuse_folder_with PATH GLOB CHARACTERS CONSEQUENCE
refuse_folder_with() {
  # shellcheck disable=SC2053 # the glob is to match as a pattern
  if [[ "$1" == *$2* ]]; then
    local shown=${1//$'\t'/\\t}
    shown=${shown//$'\r'/\\r}
    shown=${shown//$'\n'/\\n}
    echo "フォルダー $shown のパスに$3があるため、$4。$3のないパスのフォルダーに移してください" >&2
    return 1
  fi
}

# A desktop entry holds one line per key: a path with a TAB or a line break
# cannot be written (the program refuses such a folder too).
refuse_broken_lines() { refuse_folder_with "$1" $'[\t\r\n]' タブや改行 登録できません; }

# A key file string: "\" doubled.
entry_string() { printf '%s' "${1//\\/\\\\}"; }

# Exec's value for a program and plain arguments: the path quoted ('"', '`',
# '$' and '\' escaped inside the quotes), '%' doubled, then written as a
# key file string. The program is started through env: GLib and systemd
# look up Exec's first word as it stands, with a "%%" still doubled, so a
# folder holding "%" would make the entry unloadable; env is everywhere and
# takes the path as the launcher has unquoted it. TryExec (a plain string)
# lets both check that the program is still there.
exec_value() {
  local quoted=$1
  shift
  quoted=${quoted//\\/\\\\}
  quoted=${quoted//\"/\\\"}
  quoted=${quoted//\`/\\\`}
  quoted=${quoted//\$/\\\$}
  quoted=${quoted//%/%%}
  entry_string "env \"$quoted\"${*:+ $*}"
}
