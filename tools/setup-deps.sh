#!/usr/bin/env bash
# Installs the Debian packages the game needs to build, test and run.
# As root it installs what is missing; otherwise it prints the command to run.
set -euo pipefail

packages=(g++ make cmake qt6-base-dev qt6-multimedia-dev libgl1-mesa-dev fonts-wqy-microhei xvfb xauth)

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
