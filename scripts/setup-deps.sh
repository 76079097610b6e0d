#!/usr/bin/env bash
# Installs what building and testing Dravik needs, and only what is missing,
# so a second run is quick. Runs apt-get as root, or through sudo otherwise.
set -euo pipefail

packages=(g++ cmake ninja-build qt6-base-dev qt6-charts-dev libqt6opengl6-dev qt6-svg-dev libgl-dev libgsl-dev fonts-liberation "$@")

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# Another install (unattended upgrades on a fresh machine, a second build)
# may hold the package manager's lock: wait for it, up to ten minutes, rather
# than fail and leave a check skipped for want of its tools.
wait=(-o DPkg::Lock::Timeout=600)
if ! $sudo apt-get "${wait[@]}" install -y -qq --no-install-recommends "${missing[@]}" >/dev/null 2>&1; then
    $sudo apt-get "${wait[@]}" update -qq
    $sudo apt-get "${wait[@]}" install -y -qq --no-install-recommends "${missing[@]}"
fi
