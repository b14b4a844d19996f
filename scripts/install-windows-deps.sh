#!/usr/bin/env bash
# Installs the Debian 12 packages that cross-building the Windows program and
# running its tests under Wine need, beside those of install-deps.sh (whose
# native build supplies the emulated programmer for those tests). Safe to run
# again; asks for sudo when not run as root.
set -euo pipefail

if [ "$(id -u)" -ne 0 ]; then
  exec sudo "$0" "$@"
fi

packages=(
  g++-mingw-w64-x86-64-posix cmake python3   # the cross compiler; the layout table
  googletest                                 # GoogleTest's sources, built for Windows
  wine wine64 fonts-wine                     # running the tests; Wingdings and MS Sans Serif
  fonts-liberation2                          # Wine's Microsoft Sans Serif: the fit test measures it
  xvfb xauth                                 # a display for the window's tests
  # The 32-bit program: its compiler, the 32-bit Wine its tests run under,
  # and the host's i386 compiler for the pty parity shim that Wine preloads.
  g++-mingw-w64-i686-posix wine32:i386 g++-multilib
  locales                                    # the Russian and English PCs the window is tested as
)

export DEBIAN_FRONTEND=noninteractive
# wine32 is an i386 package; adding the architecture again changes nothing.
dpkg --add-architecture i386
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${packages[@]}" >/dev/null

# Wine takes its ANSI code page from the Unix locale it runs under: the
# window's tests run once as a Russian PC (code page 1251) and once as an
# English one (1252).
for locale in ru_RU.UTF-8 en_US.UTF-8; do
  sed -i "s/^# *\(${locale} UTF-8\)/\1/" /etc/locale.gen
  grep -q "^${locale} UTF-8" /etc/locale.gen || echo "${locale} UTF-8" >>/etc/locale.gen
done
locale-gen >/dev/null
