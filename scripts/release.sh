#!/usr/bin/env bash
# Builds what a user downloads into dist/: both Windows programs, the Debian
# package, SHA256SUMS over them and README.txt. Run it from a clean checkout;
# the files then depend on the commit alone, not on the directory, the clock,
# the locale or the user, so anyone can rebuild them byte for byte:
#   scripts/release.sh
# The builds go to build-release/, emptied first, with the tests off.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

if [ -n "$(git status --porcelain)" ]; then
  echo "release.sh: the checkout has changes or files git does not know;" \
    "a release is built from a commit alone" >&2
  git status --short >&2
  exit 1
fi

# Everything that could leak the machine or the moment into the files.
export LC_ALL=C.UTF-8 TZ=UTC
umask 022
# Tools that stamp files (Qt's resource compiler, the archivers) take the
# commit's time instead of now.
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct HEAD)
export SOURCE_DATE_EPOCH
# A cached object was compiled elsewhere and would hide what this build makes.
unset CMAKE_C_COMPILER_LAUNCHER CMAKE_CXX_COMPILER_LAUNCHER CFLAGS CXXFLAGS LDFLAGS CPPFLAGS
export CCACHE_DISABLE=1
# __FILE__ and the debug information name sources relative to the checkout.
prefix_map="-ffile-prefix-map=$root/="
jobs=$(nproc)

rm -rf build-release dist
mkdir -p dist

configure() {
  cmake -S . -B "build-release/$1" -DBUILD_TESTING=OFF -DKESTRUN_WERROR=ON \
    -DCMAKE_CXX_FLAGS="$prefix_map" "${@:2}" >/dev/null
}

echo "== release: the Debian package"
# Only the program is built: the package's install step needs nothing else.
configure linux -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build-release/linux/CMakeCache.txt)
cmake --build build-release/linux -j"$jobs" --target kestrun-updater
(cd build-release/linux && cpack -G DEB >/dev/null)
mv "build-release/linux/kestrun-updater_${version}_amd64.deb" dist/

for target in x64:x86_64 x86:i686; do
  name=${target%%:*}
  echo "== release: the Windows program, $name"
  # Linked without symbols: the user's copy needs none, and they would carry
  # the build's own paths.
  configure "windows-$name" -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-w64-${target#*:}.cmake" \
    -DCMAKE_EXE_LINKER_FLAGS=-s
  cmake --build "build-release/windows-$name" -j"$jobs" --target kestrun-updater
  cp build-release/windows-"$name"/bin/kestrun-updater*.exe \
    "dist/kestrun-updater-${version}-windows-${name}.exe"
done

# Notepad before Windows 10 shows Russian and line breaks only with a byte
# order mark and CR LF.
{
  printf '\xef\xbb\xbf'
  sed -e "s/@VERSION@/$version/g" -e 's/$/\r/' packaging/README.txt.in
} >dist/README.txt

(cd dist && sha256sum -- *.exe *.deb >SHA256SUMS)
touch --date="@$SOURCE_DATE_EPOCH" dist/*
echo "== release $version in dist/:"
(cd dist && ls -l --time-style=+ -- * && cat SHA256SUMS)
