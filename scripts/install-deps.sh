#!/usr/bin/env bash
# Installs the Debian packages one use of the project needs, and no more:
#   install-deps.sh run     building and running the program (make run)
#   install-deps.sh test    the above, and what the tests need (make test)
#   install-deps.sh bench   the above, and the benchmark library (make bench)
#   install-deps.sh fuzz    the above, and clang's fuzzer with the test trees'
#                           builder and linker (make fuzz)
#   install-deps.sh --list KIND   prints the packages of KIND, installs nothing
# Quiet and quick when all are present; safe to run again.
#
# `run` never installs a sound server daemon or a test tool: the user's
# desktop stays as it was. The tests start a private PulseAudio server of
# their own; where the desktop's sound server is PipeWire (pipewire-pulse),
# the pulseaudio package's user units are masked for every user's session,
# so the desktop's server stays in charge at the next login.
set -euo pipefail

# Building and running: the compiler, Qt, the sound libraries, the desktop's
# alert sound and a Japanese font. qt6-wayland is Qt's Wayland platform: on
# a desktop without X11 (no Xwayland) the program cannot open its window
# without it, and with it the compositor names the window by its launcher.
run_packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins qt6-wayland libgl-dev qt6-translations-l10n
  libpulse-dev libsndfile1-dev sound-theme-freedesktop
  fonts-ipafont-gothic
  # voicememo-today writes its calendar feed with libical
  libical-dev
)
# The tests: GoogleTest, the private sound server with its tools, the
# voice and sound measurer, a headless Wayland compositor, the launcher's
# checker, clang for the sanitizer and fuzz runs, clang-format that checks
# the code's layout, Ninja and lld that build
# and link the test trees quickly, and the accessibility bus, its Python
# client and an X server for the screen reader's view.
test_packages=(
  libgtest-dev
  pulseaudio pulseaudio-utils espeak-ng sox
  weston desktop-file-utils
  # a native Wayland compositor that offers xdg-activation, and what builds
  # the launcher stand-in that asks it for a token
  sway libwayland-dev wayland-protocols libwayland-bin
  clang libclang-rt-14-dev ninja-build lld clang-format
  at-spi2-core python3-pyatspi xvfb
  # a real window manager and the X tools that read where it put a window
  openbox x11-utils
  # voicememo-today's tests: a notification server, notify-send to check it
  # by hand, and a feed reader that is not ours
  dunst libnotify-bin python3-icalendar
  # make calendar's registration read by the desktop's calendar service and
  # its Python client (large: for the tests only; make calendar writes its
  # key file without them)
  evolution-data-server gir1.2-edataserver-1.2 gir1.2-ecal-2.0
  # the launchers loaded as GLib loads them, and the login entry made into a
  # unit by systemd's autostart generator, as KDE Plasma's session does
  python3-gi gir1.2-glib-2.0 systemd
  # two private Syncthing instances on loopback that sync a folder the
  # windows share, as two machines do
  syncthing
)
bench_packages=(libbenchmark-dev)
fuzz_packages=(clang libclang-rt-14-dev ninja-build lld)

packages_of() {
  case "$1" in
    run) echo "${run_packages[@]}" ;;
    test) echo "${run_packages[@]}" "${test_packages[@]}" ;;
    bench) echo "${run_packages[@]}" "${bench_packages[@]}" ;;
    fuzz) echo "${run_packages[@]}" "${fuzz_packages[@]}" ;;
    *) echo "unknown kind: $1 (run, test, bench or fuzz)" >&2; return 1 ;;
  esac
}

if [[ "${1:-}" == "--list" ]]; then
  packages_of "${2:-run}" | tr ' ' '\n'
  exit 0
fi
kind="${1:-run}"
read -r -a packages <<<"$(packages_of "$kind")"

as_root() {
  if [[ $(id -u) -eq 0 ]]; then
    "$@"
  elif command -v sudo >/dev/null; then
    sudo "$@"
  else
    echo "Root rights are needed for: $*" >&2
    return 1
  fi
}

installed() {
  [[ "$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null || true)" == "install ok installed" ]]
}

missing=()
for package in "${packages[@]}"; do
  installed "$package" || missing+=("$package")
done
if [[ ${#missing[@]} -gt 0 ]]; then
  echo "Installing: ${missing[*]}"
  as_root apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The test server's package must not take the desktop's sound over.
if installed pulseaudio && installed pipewire-pulse && command -v systemctl >/dev/null; then
  for unit in pulseaudio.service pulseaudio.socket; do
    if [[ "$(systemctl --global is-enabled "$unit" 2>/dev/null || true)" != "masked" ]]; then
      as_root systemctl --global mask "$unit" >/dev/null 2>&1 || true
    fi
  done
fi
