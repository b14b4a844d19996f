#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing the
# updater need. Safe to run again; asks for sudo when not run as root.
set -euo pipefail

if [ "$(id -u)" -ne 0 ]; then
  exec sudo "$0" "$@"
fi

packages=(
  build-essential cmake pkg-config python3    # python3: the Windows window's layout table
  file                                        # the package's dependencies (dpkg-shlibdeps)
  qt6-base-dev qt6-base-dev-tools libgl-dev   # the window
  libudev-dev                                 # device arrival and removal
  libxcb1-dev                                 # the window's title under X11
  libgtest-dev libgmock-dev                   # tests
  fonts-dejavu-core fonts-liberation2         # the tick and cross glyphs; the texts
  xvfb xauth                                  # running the window without a desktop
)

export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${packages[@]}" >/dev/null
