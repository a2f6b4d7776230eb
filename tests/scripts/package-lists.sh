#!/usr/bin/env bash
# make run installs what building and running needs, and nothing that would
# change the user's desktop: no sound server daemon, not even through a
# dependency, and no test, fuzz or bench tool. make test has what the tests
# start.
set -euo pipefail
lists="$(dirname "$0")/../../scripts/install-deps.sh"
forbidden='^(pulseaudio|pipewire|pipewire-pulse|wireplumber|jackd2?|libgtest-dev|googletest|libbenchmark-dev|clang|ninja-build|lld|sox|espeak-ng|dunst|weston|sway|xvfb|at-spi2-core|desktop-file-utils|openbox|evolution-data-server|gir1\.2-edataserver-1\.2|gir1\.2-ecal-2\.0|syncthing)$'

mapfile -t run < <(bash "$lists" --list run)
found=$(printf '%s\n' "${run[@]}" | grep -E "$forbidden" || true)
[[ -z "$found" ]] || { echo "make run names: $found"; exit 1; }
if command -v apt-cache >/dev/null; then
  pulled=$(apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts --no-breaks \
             --no-replaces --no-enhances "${run[@]}" 2>/dev/null | grep -E '^[a-z0-9]' | sort -u |
           grep -E "$forbidden" || true)
  [[ -z "$pulled" ]] || { echo "make run pulls in: $pulled"; exit 1; }
fi
for needed in pulseaudio pulseaudio-utils libgtest-dev sox weston sway desktop-file-utils ninja-build lld \
  evolution-data-server gir1.2-edataserver-1.2 gir1.2-ecal-2.0 syncthing; do
  bash "$lists" --list test | grep -qx "$needed" || { echo "make test lacks $needed"; exit 1; }
done
echo "package lists ok"
