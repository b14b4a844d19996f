#!/usr/bin/env bash
# Runs one Windows test program under Wine, the way ctest calls it through the
# test's emulator:
#
#   run_under_wine.sh [--default-prefix DIR] [--bootsim PROGRAM] [--preload LIBRARY]
#                     [--serve COMn[,BOOTSIM-OPTION...]]... -- WINE PROGRAM.exe [ARGUMENT...]
#
# The prefix is $WINEPREFIX when set, otherwise DIR; it is made on first use
# (about 10 s) and then shared by every test. Each --serve starts the native
# emulated programmer on a pseudo-terminal and maps it into the prefix as that
# COM port; the program finds the port names in KESTRUN_PORT_1, _2 and so on,
# in the order of the options. --preload goes into LD_PRELOAD for the program alone.
# The exit status is the program's.
set -euo pipefail

die() {
    echo "run_under_wine: $*" >&2
    exit 2
}

default_prefix=""
bootsim=""
preload=""
serves=()
while (($#)); do
    case "$1" in
        --default-prefix) default_prefix=${2:?}; shift 2 ;;
        --bootsim) bootsim=${2:?}; shift 2 ;;
        --preload) preload=${2:?}; shift 2 ;;
        --serve) serves+=("${2:?}"); shift 2 ;;
        --) shift; break ;;
        *) die "unknown option '$1'" ;;
    esac
done
(($# >= 2)) || die "usage: run_under_wine.sh [OPTION]... -- WINE PROGRAM.exe [ARGUMENT...]"
wine=$1
shift

export WINEPREFIX=${WINEPREFIX:-$default_prefix}
[[ -n $WINEPREFIX ]] || die "no prefix: set WINEPREFIX or pass --default-prefix"
export WINEDEBUG=${WINEDEBUG:--all}
# No .NET or HTML engine: nothing here needs them, and Wine would offer to
# download them.
export WINEDLLOVERRIDES="mscoree=;mshtml="

work=$(mktemp -d "${TMPDIR:-/tmp}/kestrun-wine.XXXXXX")
servers=()
links=()
cleanup() {
    local pid
    for pid in "${servers[@]}"; do
        kill -TERM "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -f "${links[@]}"
    rm -rf "$work"
}
trap cleanup EXIT

# Wine's own processes (the server, services) outlive the program and keep the
# descriptors they were started with; everything Wine runs here therefore
# writes into files, never into ctest's pipes, which would otherwise stay open
# until those processes end.
mkdir -p "$WINEPREFIX"
exec {lock}>"$WINEPREFIX/.kestrun-lock"
flock "$lock"
if [[ ! -f $WINEPREFIX/.kestrun-ready ]]; then
    if ! "$wine" wineboot -i >"$WINEPREFIX/.kestrun-wineboot.log" 2>&1; then
        cat "$WINEPREFIX/.kestrun-wineboot.log" >&2
        die "could not make the prefix $WINEPREFIX"
    fi
    touch "$WINEPREFIX/.kestrun-ready"
fi
flock -u "$lock"
exec {lock}>&-

# Listing the test cases needs no device.
listing=false
for argument in "$@"; do
    [[ $argument == --gtest_list_tests ]] && listing=true
done

served=()
if ! $listing; then
    for serve in "${serves[@]}"; do
        IFS=, read -r -a words <<<"$serve"
        port=${words[0]}
        [[ $port =~ ^COM[0-9]+$ ]] || die "--serve wants COMn first, not '$port'"
        [[ -x $bootsim ]] || die "no emulated programmer at '$bootsim': build the native target kestrun-bootsim"
        "$bootsim" "${words[@]:1}" >"$work/$port.out" 2>"$work/$port.err" &
        servers+=($!)
        # The first line is the pseudo-terminal's path.
        for _ in $(seq 100); do
            [[ $(wc -l <"$work/$port.out") -ge 1 ]] && break
            sleep 0.05
        done
        pty=$(head -n 1 "$work/$port.out")
        [[ -c $pty ]] || { cat "$work/$port.err" >&2; die "the emulated programmer for $port did not start"; }
        link="$WINEPREFIX/dosdevices/${port,,}"
        ln -sfn "$pty" "$link"
        links+=("$link")
        served+=("$port")
        export "KESTRUN_PORT_${#served[@]}=$port"
    done
    if [[ -n $preload ]]; then
        [[ -f $preload ]] || die "no preload library at '$preload': build the native target kestrun_pty_parity"
    fi
fi

if [[ -n $preload ]] && ! $listing; then
    export LD_PRELOAD=$preload${LD_PRELOAD:+:$LD_PRELOAD}
fi
status=0
"$wine" "$@" >"$work/stdout" 2>"$work/stderr" </dev/null || status=$?
# Windows programs end their lines with CR LF.
tr -d '\r' <"$work/stdout"
tr -d '\r' <"$work/stderr" >&2
if ((status != 0)) && ((${#served[@]})); then
    for pid in "${servers[@]}"; do
        kill -TERM "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    servers=()
    for port in "${served[@]}"; do
        echo "--- the emulated programmer on $port:" >&2
        cat "$work/$port.err" >&2
    done
fi
exit "$status"
