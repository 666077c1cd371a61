#!/bin/sh
# Installs the Debian 12 packages that building, testing and the demo need,
# and only those that are missing. Installing needs root (or sudo).
set -eu

packages="build-essential cmake pkg-config
libfftw3-dev
libxcb1-dev libxcb-shm0-dev libxcb-xtest0-dev
libfreetype-dev libfontconfig-dev fonts-liberation2
libsndfile1-dev libpng-dev
libgtest-dev libbenchmark-dev
xvfb xauth xdotool x11-utils"

missing=""
for package in $packages; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    case "$status" in
        *"install ok installed"*) ;;
        *) missing="$missing $package" ;;
    esac
done

if [ -z "$missing" ]; then
    exit 0
fi

echo "Installing missing Debian packages:$missing"
if [ "$(id -u)" -eq 0 ]; then
    run=""
elif command -v sudo >/dev/null 2>&1; then
    run="sudo"
else
    echo "These packages are missing and installing them needs root:$missing" >&2
    echo "Run as root: apt-get install$missing" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
$run apt-get update -q
# shellcheck disable=SC2086
$run apt-get install -y -q --no-install-recommends $missing
