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
  imagemagick                                # the Windows pictures: import photographs the display
  g++-mingw-w64-i686-posix                   # the 32-bit program, built everywhere
  locales                                    # the Russian and English PCs the window is tested as
)

export DEBIAN_FRONTEND=noninteractive
# Running the 32-bit program's tests takes the 32-bit Wine and the host's i386
# compiler for the pty parity shim that Wine preloads. Where the kernel starts
# no 32-bit program they would be of no use, and Debian's wine would then
# choose the 32-bit loader that cannot start, for 64-bit programs too.
if reason=$("$(dirname "$0")/starts-32-bit-programs.sh"); then
  packages+=(wine32:i386 g++-multilib)
  # wine32 is an i386 package; adding the architecture again changes nothing.
  dpkg --add-architecture i386
else
  echo "install-windows-deps: 32-bit Wine and g++-multilib left out: $reason"
fi
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
