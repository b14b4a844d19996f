#!/usr/bin/env bash
# Builds the release twice and fails unless every file in dist/ comes out
# with the same bytes. The second build runs in a fresh clone of the same
# commit elsewhere, under a clock a year and a month ahead (faketime), so a
# path or a time stamp that reaches a file shows up as a difference; it
# shares nothing with the first but the installed tools and git's objects.
# diffoscope's report of what differs goes to standard output.
#   scripts/check-reproducible.sh     (needs the faketime and diffoscope packages)
# dist/ keeps the first build's files.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/release.sh

second=$(mktemp -d /tmp/kestrun-second-build.XXXXXX)
trap 'rm -rf "$second"' EXIT
git clone -q --no-checkout "$PWD" "$second/checkout"
git -C "$second/checkout" checkout -q --detach "$(git rev-parse HEAD)"
# libfaketime shifts the clock of every program the build starts.
faketime -f '+400d' "$second/checkout/scripts/release.sh"

first_files=$(cd dist && ls)
second_files=$(cd "$second/checkout/dist" && ls)
if [ "$first_files" != "$second_files" ]; then
  echo "reproducible: the two builds made different files:" >&2
  diff <(echo "$first_files") <(echo "$second_files") >&2 || true
  exit 1
fi
different=()
for file in $first_files; do
  cmp -s "dist/$file" "$second/checkout/dist/$file" || different+=("$file")
done
if [ ${#different[@]} -ne 0 ]; then
  echo "reproducible: differ between the two builds: ${different[*]}" >&2
  for file in "${different[@]}"; do
    diffoscope --text - --max-text-report-size 60000 \
      "dist/$file" "$second/checkout/dist/$file" || true
  done
  exit 1
fi
echo "reproducible: both builds made the same bytes:"
(cd dist && sha256sum -- *)
