#!/usr/bin/env bash
# Times the Windows program's whole update under Wine against the emulated
# programmer paced like the real wire, from the press of Далее that starts it
# to the success display, and sets each run against the wire limit: 898 block
# exchanges (441 written, 441 read back, 16 settings) of 140 bytes at 11 bits
# a byte.
#
#   bench_update.sh [--runs N] [--baud RATE] RUNNER [RUNNER-OPTION...] -- WINE DRIVER.exe
#
# RUNNER is run_under_wine.sh with its prefix, display and emulator options;
# this adds the paced emulated programmer on COM40.
set -euo pipefail

runs=3
baud=115200
while (($#)); do
    case "$1" in
        --runs) runs=${2:?}; shift 2 ;;
        --baud) baud=${2:?}; shift 2 ;;
        *) break ;;
    esac
done
runner=()
while (($#)) && [[ $1 != -- ]]; do
    runner+=("$1")
    shift
done
(($# >= 3)) || { echo "usage: bench_update.sh [--runs N] [--baud RATE] RUNNER... -- WINE DRIVER.exe" >&2; exit 2; }

wire=$(awk -v baud="$baud" 'BEGIN { printf "%.3f", 898 * 140 * 11 / baud }')
echo "whole update under Wine, emulated programmer paced at $baud baud; wire limit $wire s"
for run in $(seq "$runs"); do
    output=$("${runner[@]}" --serve "COM40,--baud-pace=$baud" "$@" succeeds)
    elapsed=$(sed -n 's/^update: \([0-9.]*\) s .* success display$/\1/p' <<<"$output")
    if [[ -z $elapsed ]] || ! grep -q '^PASSED$' <<<"$output"; then
        echo "$output" >&2
        echo "run $run: the update did not succeed" >&2
        exit 1
    fi
    awk -v run="$run" -v elapsed="$elapsed" -v wire="$wire" \
        'BEGIN { printf "run %d: elapsed %.3f s, ratio %.4f\n", run, elapsed, elapsed / wire }'
done
