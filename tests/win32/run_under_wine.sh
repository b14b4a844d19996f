#!/usr/bin/env bash
# Runs one Windows test program under Wine, the way ctest calls it through the
# test's emulator:
#
#   run_under_wine.sh [--default-prefix DIR] [--bootsim PROGRAM] [--preload LIBRARY]
#                     [--serve COMn[,BOOTSIM-OPTION...]]... [--expect-memory COMn:ADDRESS:FILE]...
#                     [--display] [--shots DIR] [--arch win32|win64] [--locale ru|en]
#                     [--test-bus TOOL.exe[,VID:PID...]]
#                     -- WINE PROGRAM.exe [ARGUMENT...]
#
# The prefix is $WINEPREFIX when set, otherwise DIR; it is made on first use
# (about 10 s) and then shared by every test. Each --serve starts the native
# emulated programmer on a pseudo-terminal and maps it into the prefix as that
# COM port; the program finds the port names in KESTRUN_PORT_1, _2 and so on,
# in the order of the options. --preload goes into LD_PRELOAD for the program alone.
# --expect-memory fails the run unless the emulated programmer on COMn ends
# holding FILE's bytes from ADDRESS on.
# --display gives the program a virtual display of its own; Wine is ended with
# it, so such runs take the prefix for themselves, one at a time.
# --shots serves the program's requests for pictures of the screen into DIR:
# it finds a folder in KESTRUN_SHOT_REQUESTS, writes NAME.request there
# holding WIDTHxHEIGHT+LEFT+TOP and waits until the file is gone.
# --arch makes the prefix a 32- or 64-bit Windows (Wine's default: 64-bit);
# Wine refuses a prefix of the other kind.
# --locale runs Wine as on a Russian (code page 1251) or an English (1252) PC:
# under that Unix locale, from which Wine takes its code pages, in a prefix of
# its own (the prefix's path with -ru or -en added) that holds only that code
# page's bitmap fonts.
# --test-bus installs the test bus driver into the prefix with TOOL.exe
# (kestrun-test-pnp.exe, of the prefix's own kind) on first use, and plugs in
# and pulls out each VID:PID once there, so that later plugs find its port
# identity in place.
# The emulated programmers' further output (the host opening and closing the
# port, the device falling silent) is in the file named by KESTRUN_PORT_n_EVENTS;
# the program pulls a programmer's cable out and plugs it back in by writing
# "unplug" or "plug" and a newline into the pipe named by KESTRUN_PORT_n_CONTROL.
# The exit status is the program's, or 1 when the memory differs.
set -euo pipefail

die() {
    echo "run_under_wine: $*" >&2
    exit 2
}

default_prefix=""
arch=""
bootsim=""
preload=""
serves=()
expectations=()
display=false
shots=""
locale=""
test_bus=""
while (($#)); do
    case "$1" in
        --default-prefix) default_prefix=${2:?}; shift 2 ;;
        --arch) arch=${2:?}; shift 2 ;;
        --bootsim) bootsim=${2:?}; shift 2 ;;
        --preload) preload=${2:?}; shift 2 ;;
        --serve) serves+=("${2:?}"); shift 2 ;;
        --expect-memory) expectations+=("${2:?}"); shift 2 ;;
        --display) display=true; shift ;;
        --shots) shots=${2:?}; shift 2 ;;
        --locale) locale=${2:?}; shift 2 ;;
        --test-bus) test_bus=${2:?}; shift 2 ;;
        --) shift; break ;;
        *) die "unknown option '$1'" ;;
    esac
done
(($# >= 2)) || die "usage: run_under_wine.sh [OPTION]... -- WINE PROGRAM.exe [ARGUMENT...]"
wine=$1
shift
# Wine starts its own further processes (wineboot's, the services) through
# the loader it was started with, not through the one the PATH's wine picks.
export WINELOADER=$wine

export WINEPREFIX=${WINEPREFIX:-$default_prefix}
[[ -n $WINEPREFIX ]] || die "no prefix: set WINEPREFIX or pass --default-prefix"
# Wine takes only an absolute prefix, and its processes start elsewhere than here.
WINEPREFIX=$(realpath -m "$WINEPREFIX")
if [[ -n $arch ]]; then
    [[ $arch == win32 || $arch == win64 ]] || die "--arch wants win32 or win64, not '$arch'"
    # Wine itself ends with an error when the prefix is of the other kind.
    export WINEARCH=$arch
fi
# fonts-wine holds each bitmap face once per code page, told apart by a
# letter after the face's file name: none for Western (1252: sserife, smalle,
# coure, vgasys, and sseriff with the large-dpi sizes), r for Cyrillic (1251:
# sserifer, sseriffr, smaller, courer, vgasysr), e, g and t for Central
# European, Greek and Turkish, a code page number for Thai, Hebrew, Arabic and
# Baltic; c, h and j are the East Asian system fonts, and Fixedsys (vgafix) is
# Western only. Its TrueType files serve every code page.
fonts=(/usr/share/wine/fonts/*)
case $locale in
    "") ;;
    ru) unix_locale=ru_RU.UTF-8
        fonts=(/usr/share/wine/fonts/*.ttf /usr/share/wine/fonts/{sserifer,sseriffr,smaller,courer,vgasysr}.fon) ;;
    en) unix_locale=en_US.UTF-8
        fonts=(/usr/share/wine/fonts/*.ttf /usr/share/wine/fonts/{sserife,sseriff,smalle,coure,vgasys,vgafix}.fon) ;;
    *) die "--locale takes ru or en, not '$locale'" ;;
esac
if [[ -n $locale ]]; then
    locale -a | grep -ix "${unix_locale/UTF-8/utf8}" >/dev/null ||
        die "no $unix_locale locale: run scripts/install-windows-deps.sh"
    export LANG=$unix_locale LC_ALL=$unix_locale
    WINEPREFIX=$WINEPREFIX-$locale
fi
[[ -z $preload ]] || preload=$(realpath -m "$preload")
export WINEDEBUG=${WINEDEBUG:--all}
# No .NET or HTML engine: nothing here needs them, and Wine would offer to
# download them.
export WINEDLLOVERRIDES="mscoree=;mshtml="

work=$(mktemp -d "${TMPDIR:-/tmp}/kestrun-wine.XXXXXX")
servers=()
links=()
xserver=""
stop_servers() {
    local pid
    for pid in "${servers[@]}"; do
        kill -TERM "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    servers=()
}
cleanup() {
    if [[ -n $xserver ]]; then
        # Whatever Wine still runs in the prefix was started on this display.
        timeout 20 wineserver -k 2>/dev/null || true
        kill -TERM "$xserver" 2>/dev/null || true
        wait "$xserver" 2>/dev/null || true
    fi
    stop_servers
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
    # Its session, started without a display, must end before a program may
    # have one.
    timeout 60 wineserver -w || true
    touch "$WINEPREFIX/.kestrun-ready"
fi
if [[ -n $test_bus && ! -f $WINEPREFIX/.kestrun-test-bus-ready ]]; then
    IFS=, read -r -a words <<<"$test_bus"
    started=$(date +%s%N)
    if ! "$wine" "${words[0]}" install "${words[@]:1}" >"$WINEPREFIX/.kestrun-test-bus.log" 2>&1 </dev/null; then
        cat "$WINEPREFIX/.kestrun-test-bus.log" >&2
        die "could not install the test bus in $WINEPREFIX"
    fi
    timeout 60 wineserver -w || true
    echo "run_under_wine: the test bus installed in $((($(date +%s%N) - started) / 1000000)) ms" >&2
    touch "$WINEPREFIX/.kestrun-test-bus-ready"
fi
# Debian's Wine does not load the fonts of its own data folder (package
# fonts-wine: Tahoma, Wingdings, MS Sans Serif); every Wine reads the
# prefix's Fonts folder.
if [[ -d /usr/share/wine/fonts && -d $WINEPREFIX/drive_c/windows/Fonts ]]; then
    ln -sf "${fonts[@]}" "$WINEPREFIX/drive_c/windows/Fonts/"
fi
flock -u "$lock"
exec {lock}>&-

# Listing the test cases needs no device.
listing=false
for argument in "$@"; do
    [[ $argument == --gtest_list_tests ]] && listing=true
done

served=()
if ! $listing && $display; then
    exec {display_lock}>"$WINEPREFIX/.kestrun-display-lock"
    flock "$display_lock"
    # A session still running in the prefix has another display or none.
    timeout 20 wineserver -k 2>/dev/null || true
    # Xvfb picks a free display itself and names it once it listens.
    Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp >"$work/display" 2>"$work/xvfb.err" &
    xserver=$!
    for _ in $(seq 200); do
        [[ -s $work/display ]] && break
        sleep 0.05
    done
    [[ -s $work/display ]] || { cat "$work/xvfb.err" >&2; die "the virtual display did not start"; }
    export DISPLAY=":$(head -n 1 "$work/display")"
fi
if ! $listing; then
    for serve in "${serves[@]}"; do
        IFS=, read -r -a words <<<"$serve"
        port=${words[0]}
        [[ $port =~ ^COM[0-9]+$ ]] || die "--serve wants COMn first, not '$port'"
        [[ -x $bootsim ]] || die "no emulated programmer at '$bootsim': build the native target kestrun-bootsim"
        # Its standard input is the cable: "unplug" and "plug" written into this pipe.
        mkfifo "$work/$port.control"
        "$bootsim" "${words[@]:1}" --dump "$work/$port.memory" >"$work/$port.out" 2>"$work/$port.err" \
            <>"$work/$port.control" &
        servers+=($!)
        # The first line is the pseudo-terminal's path.
        for _ in $(seq 100); do
            [[ -f $work/$port.out && $(wc -l <"$work/$port.out") -ge 1 ]] && break
            sleep 0.05
        done
        pty=$(head -n 1 "$work/$port.out")
        [[ -c $pty ]] || { cat "$work/$port.err" >&2; die "the emulated programmer for $port did not start"; }
        link="$WINEPREFIX/dosdevices/${port,,}"
        ln -sfn "$pty" "$link"
        links+=("$link")
        served+=("$port")
        export "KESTRUN_PORT_${#served[@]}=$port"
        # Z: is the root of the Unix file system under Wine.
        export "KESTRUN_PORT_${#served[@]}_EVENTS=Z:$work/$port.out"
        export "KESTRUN_PORT_${#served[@]}_CONTROL=Z:$work/$port.control"
    done
    if [[ -n $preload ]]; then
        [[ -f $preload ]] || die "no preload library at '$preload': build the native target kestrun_pty_parity (the 32-bit one comes from the Windows build)"
    fi
fi

if [[ -n $preload ]] && ! $listing; then
    export LD_PRELOAD=$preload${LD_PRELOAD:+:$LD_PRELOAD}
fi
if [[ -n $shots ]] && ! $listing; then
    command -v import >/dev/null || die "--shots needs ImageMagick's import (package imagemagick)"
    mkdir -p "$shots" "$work/shots"
    # Z: is the root of the Unix file system under Wine.
    export KESTRUN_SHOT_REQUESTS="Z:$work/shots"
fi
status=0
if [[ -z $shots ]] || $listing; then
    "$wine" "$@" >"$work/stdout" 2>"$work/stderr" </dev/null || status=$?
else
    "$wine" "$@" >"$work/stdout" 2>"$work/stderr" </dev/null &
    program=$!
    while kill -0 "$program" 2>/dev/null; do
        for request in "$work"/shots/*.request; do
            [[ -f $request ]] || continue
            picture="$shots/$(basename "$request" .request).png"
            import -window root -crop "$(head -n 1 "$request")" +repage "$picture"
            echo "run_under_wine: took $picture" >&2
            rm -f "$request"
        done
        sleep 0.1
    done
    wait "$program" || status=$?
fi
# Windows programs end their lines with CR LF.
tr -d '\r' <"$work/stdout"
tr -d '\r' <"$work/stderr" >&2
# The emulated programmers write their memory as they end.
stop_servers
for expectation in "${expectations[@]}"; do
    IFS=: read -r port address file <<<"$expectation"
    size=$(stat -c %s "$file")
    if ! cmp -n "$size" -i "$((address)):0" "$work/$port.memory" "$file" >&2; then
        echo "run_under_wine: the emulated programmer on $port does not hold $file at $address" >&2
        ((status != 0)) || status=1
    fi
done
if ((status != 0)) && ((${#served[@]})); then
    for port in "${served[@]}"; do
        echo "--- the emulated programmer on $port:" >&2
        tail -n +2 "$work/$port.out" >&2
        cat "$work/$port.err" >&2
    done
fi
exit "$status"
