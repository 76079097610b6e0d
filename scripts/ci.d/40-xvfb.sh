#!/usr/bin/env bash
# The installed program on a real X server: unpacks the Debian package into a
# temporary root, starts it through its launcher with a fresh home directory
# under Xvfb, waits for the main window, takes a screenshot of it and checks
# the picture and the working directory that the launcher set up. Skipped,
# with a message saying why, where no X server can be started.
#
# Environment: DRAVIK_ROOT (the source tree), DRAVIK_BUILD_ROOT (the package
# is taken from $DRAVIK_BUILD_ROOT/package, built there first when missing;
# the screenshot is left in $DRAVIK_BUILD_ROOT/xvfb).
set -euo pipefail
root="${DRAVIK_ROOT:?DRAVIK_ROOT must name the source tree}"
buildRoot="${DRAVIK_BUILD_ROOT:?DRAVIK_BUILD_ROOT must name the build folder}"
results="$buildRoot/xvfb"

skip() {
    echo "SKIP: $* (the installed program was not started under X)"
    exit 0
}

# xvfb: the server; x11-utils: xwininfo, xdpyinfo; x11-apps: xwd; xdotool: finding the window.
if ! "$root/scripts/setup-deps.sh" xvfb x11-utils x11-apps xdotool; then
    skip "Xvfb and the X tools could not be installed"
fi

debs=("$buildRoot"/package/dravik_*.deb)
if [ ! -f "${debs[0]}" ]; then
    bash "$root/scripts/ci.d/30-package.sh"
    debs=("$buildRoot"/package/dravik_*.deb)
fi
deb="${debs[0]}"

tmp="$(mktemp -d)"
xvfbPid=""
appPid=""
stop() {
    local pid="$1"
    [ -n "$pid" ] || return 0
    kill "$pid" 2>/dev/null || return 0
    for _ in $(seq 50); do
        kill -0 "$pid" 2>/dev/null || return 0
        sleep 0.1
    done
    kill -9 "$pid" 2>/dev/null || true
}
cleanup() {
    stop "$appPid"
    stop "$xvfbPid"
    rm -rf "$tmp"
}
trap cleanup EXIT

dpkg-deb -x "$deb" "$tmp/root"
mkdir -p "$results" "$tmp/home" "$tmp/runtime"
chmod 700 "$tmp/runtime"
rm -f "$results"/*

# ---- the X server, on a display number it picks itself
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$tmp/display" >"$results/xvfb.log" 2>&1 &
xvfbPid=$!
display=""
for _ in $(seq 100); do
    display="$(tr -dc 0-9 <"$tmp/display")"
    [ -n "$display" ] && break
    kill -0 "$xvfbPid" 2>/dev/null || break
    sleep 0.1
done
if [ -z "$display" ] || ! DISPLAY=":$display" timeout 10 xdpyinfo >/dev/null 2>&1; then
    skip "Xvfb could not start: $(tail -n 3 "$results/xvfb.log" | tr '\n' ' ')"
fi
export DISPLAY=":$display"
echo "-- Xvfb on $DISPLAY"

# ---- the installed program, started as the desktop entry starts it
env -u QT_QPA_PLATFORM HOME="$tmp/home" XDG_RUNTIME_DIR="$tmp/runtime" \
    timeout 120 "$tmp/root/usr/bin/dravik-start" >"$results/dravik.log" 2>&1 &
appPid=$!

window="$(timeout 30 xdotool search --sync --onlyvisible --name '^Dravik' 2>/dev/null | head -n 1)" || true
if [ -z "$window" ]; then
    cat "$results/dravik.log"
    echo "FAIL: no visible window titled Dravik appeared within 30 seconds"
    exit 1
fi
title="$(xdotool getwindowname "$window")"
echo "   window $window: $title"
sleep 1 # let the first paint reach the server

# ---- the screenshot
info="$(timeout 10 xwininfo -id "$window")"
width="$(awk '/^ *Width:/ {print $2}' <<<"$info")"
height="$(awk '/^ *Height:/ {print $2}' <<<"$info")"
shot="$results/main-window.xwd"
timeout 20 xwd -silent -id "$window" -out "$shot"

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# An XWD file starts with big-endian 32-bit fields: header size (0), version,
# format, depth, width (16), height (20), ..., colour map entries (76); the
# pixels follow the header and the colour map (12 bytes an entry).
field() { od -An -tu1 -j "$1" -N 4 "$shot" | awk '{print $1 * 16777216 + $2 * 65536 + $3 * 256 + $4}'; }
headerSize="$(field 0)"
colourMapBytes=$(($(field 76) * 12))
shotWidth="$(field 16)"
shotHeight="$(field 20)"
echo "   screenshot $shotWidth x $shotHeight, window $width x $height, $(stat -c %s "$shot") bytes"
if [ "$shotWidth" != "$width" ] || [ "$shotHeight" != "$height" ]; then
    fail "the screenshot is $shotWidth x $shotHeight, the window $width x $height"
fi
# The main window has a fixed size of about 715 x 600; far less means it did not lay out.
if [ "$width" -lt 600 ] || [ "$height" -lt 500 ]; then
    fail "the main window is only $width x $height"
fi
colours="$(od -An -v -tx4 -j $((headerSize + colourMapBytes)) "$shot" | tr -s ' ' '\n' | grep . | sort -u | wc -l)"
echo "   $colours distinct pixel values"
[ "$colours" -ge 8 ] || fail "the screenshot is nearly blank ($colours distinct pixel values)"

kill -0 "$appPid" 2>/dev/null || fail "the program ended by itself"
# Started from a terminal, the program writes nothing there.
[ ! -s "$results/dravik.log" ] || fail "the program wrote to its terminal: $(head -c 300 "$results/dravik.log")"
for file in "$tmp"/root/usr/share/dravik/*; do
    [ -f "$tmp/home/Dravik/$(basename "$file")" ] ||
        fail "the launcher did not put $(basename "$file") into the new home's Dravik folder"
done

if [ "$failures" -ne 0 ]; then
    cat "$results/dravik.log"
    echo "xvfb check: $failures failed"
    exit 1
fi
echo "xvfb check: the installed program showed its main window; screenshot $shot (view with xwud -in)"
