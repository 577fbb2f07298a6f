#!/usr/bin/env bash
# Installs the Debian packages the game needs to build, test and run.
# As root it installs what is missing; otherwise it prints the command to run.
#   tools/setup-deps.sh        what `make run` and `make test` need
#   tools/setup-deps.sh lint   that and the package checkers of `make lint-package`
set -euo pipefail

packages=(g++ make cmake python3 qt6-base-dev qt6-tools-dev qt6-l10n-tools libsdl2-dev libsdl2-mixer-dev libxkbcommon-x11-dev libgl1-mesa-dev fonts-wqy-microhei xvfb xauth)

case "${1:-}" in
    "") ;;
    # dpkg-dev brings dpkg-shlibdeps and dpkg-buildflags; cpack's dependency
    # scan also needs file.
    lint) packages+=(dpkg-dev file appstream desktop-file-utils lintian man-db) ;;
    *)
        echo "usage: $0 [lint]" >&2
        exit 2
        ;;
esac

missing=()
for pkg in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$pkg")
    fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
    echo "Installing missing packages: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
else
    echo "Missing packages: ${missing[*]}"
    echo "Run: sudo apt-get install -y ${missing[*]}"
    exit 1
fi
