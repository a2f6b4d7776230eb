#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need.
# Quiet and quick when all are present; safe to run again.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  clang libclang-rt-14-dev
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev qt6-translations-l10n
  libgtest-dev libbenchmark-dev
  libpulse-dev libsndfile1-dev pulseaudio pulseaudio-utils sound-theme-freedesktop
  espeak-ng sox
  fonts-ipafont-gothic
  # voicememo-today: libical-dev to build and run it; dunst, libnotify-bin,
  # python3-icalendar and xvfb for its tests only (a notification server, the
  # display it needs, and a feed reader that is not ours)
  libical-dev dunst libnotify-bin python3-icalendar xvfb
)

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
if [[ $(id -u) -eq 0 ]]; then
  as_root=()
elif command -v sudo >/dev/null; then
  as_root=(sudo)
else
  echo "These packages are missing and neither root nor sudo is available: ${missing[*]}" >&2
  exit 1
fi
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
