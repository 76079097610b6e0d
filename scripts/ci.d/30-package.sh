#!/usr/bin/env bash
# Builds the Debian package from a Release build and checks it: the files it
# installs, its dependencies on the Qt runtime, lintian (no error and no
# warning; informational and pedantic notes are listed), its desktop entry
# and AppStream metainfo (validated), that apt can resolve it on this
# machine, and that its launcher sets up a working directory (copying the
# shipped data without overwriting the user's files) from which the
# installed programs run.
#
# Environment: DRAVIK_ROOT (the source tree), DRAVIK_BUILD_ROOT (builds go to
# $DRAVIK_BUILD_ROOT/package). DRAVIK_BUILD_LOCK, when set, names a lock file
# that the build steps take, for machines where several builds share the cores.
set -euo pipefail
root="${DRAVIK_ROOT:?DRAVIK_ROOT must name the source tree}"
build="${DRAVIK_BUILD_ROOT:?DRAVIK_BUILD_ROOT must name the build folder}/package"

"$root/scripts/setup-deps.sh" dpkg-dev desktop-file-utils lintian appstream man-db

lock=()
[ -n "${DRAVIK_BUILD_LOCK:-}" ] && lock=(flock "$DRAVIK_BUILD_LOCK")

echo "-- Release build in $build"
mkdir -p "$build"
run_logged() {
    local log="$1"; shift
    "$@" >"$log" 2>&1 || { tail -n 60 "$log"; echo "FAIL: $*"; exit 1; }
}
run_logged "$build/configure.log" "${lock[@]}" cmake -S "$root" -B "$build" -G Ninja \
    -DCMAKE_BUILD_TYPE=Release -DDRAVIK_BUILD_TESTS=OFF
run_logged "$build/build.log" "${lock[@]}" cmake --build "$build" -j "$(nproc)"

echo "-- cpack -G DEB"
rm -f "$build"/dravik_*.deb
run_logged "$build/cpack.log" "${lock[@]}" timeout 300 cpack -G DEB --config "$build/CPackConfig.cmake" -B "$build"
debs=("$build"/dravik_*.deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
    echo "FAIL: expected one dravik_*.deb in $build, found: ${debs[*]}"
    exit 1
fi
deb="${debs[0]}"
echo "   $(basename "$deb"), $(stat -c %s "$deb") bytes"

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# ---- the file list
listing="$(dpkg-deb -c "$deb")"
paths="$(awk '{print $6}' <<<"$listing")"
expected=(
    ./usr/bin/dravik
    ./usr/bin/dravik-script
    ./usr/bin/dravik-rank
    ./usr/bin/dravik-start
    ./usr/share/dravik/spk.db
    ./usr/share/dravik/spkdb.hdr
    ./usr/share/dravik/HP2C16C.FLT
    ./usr/share/dravik/LP1C60B.FLT
    ./usr/share/dravik/LP2C100B.FLT
    ./usr/share/dravik/LP2C80B.FLT
    ./usr/share/dravik/LP2C70B.FLT
    ./usr/share/dravik/H3C19C12.FLT
    ./usr/share/dravik/LP2C40B.FLT
    ./usr/share/applications/org.example.dravik.desktop
    ./usr/share/metainfo/org.example.dravik.metainfo.xml
    ./usr/share/man/man1/dravik.1.gz
    ./usr/share/man/man1/dravik-script.1.gz
    ./usr/share/man/man1/dravik-rank.1.gz
    ./usr/share/man/man1/dravik-start.1.gz
    ./usr/share/doc/dravik/copyright
    ./usr/share/doc/dravik/changelog.Debian.gz
    ./usr/share/doc/dravik/examples/rank-drivers.sh
    ./usr/share/icons/hicolor/scalable/apps/dravik.svg
    ./usr/share/doc/dravik/user-guide.md
    ./usr/share/doc/dravik/images/plot.png
)
for size in 16 32 48 64 128 256; do
    expected+=("./usr/share/icons/hicolor/${size}x${size}/apps/dravik.png")
done
for path in "${expected[@]}"; do
    grep -qxF "$path" <<<"$paths" || fail "the package lacks $path"
done
for program in dravik dravik-script dravik-rank dravik-start; do
    mode="$(awk -v p="./usr/bin/$program" '$6 == p {print $1}' <<<"$listing")"
    [ "$mode" = "-rwxr-xr-x" ] || fail "usr/bin/$program has mode '$mode', not -rwxr-xr-x"
done
# Everything lies under /usr: nothing in /etc, /opt or /usr/local.
if grep -v -e '^\./usr/' -e '^\./$' <<<"$paths" | grep -q .; then
    fail "files outside /usr: $(grep -v -e '^\./usr/' -e '^\./$' <<<"$paths" | tr '\n' ' ')"
fi

# ---- the control fields
[ "$(dpkg-deb -f "$deb" Package)" = dravik ] || fail "package name is not dravik"
[ "$(dpkg-deb -f "$deb" Architecture)" = "$(dpkg --print-architecture)" ] ||
    fail "architecture is not $(dpkg --print-architecture)"
depends="$(dpkg-deb -f "$deb" Depends)"
echo "   Depends: $depends"
depNames="$(tr ',|' '\n' <<<"$depends" | sed -e 's/(.*)//' -e 's/[[:space:]]//g' | grep .)"
for dep in libqt6widgets6 libqt6gui6 libqt6core6 libgsl27 fonts-liberation; do
    grep -qxF "$dep" <<<"$depNames" || fail "Depends lacks $dep"
done
# apt resolves the package and its dependencies (a dry run changes nothing).
if ! apt-get install --simulate --no-install-recommends "$deb" >"$build/apt-simulate.log" 2>&1; then
    cat "$build/apt-simulate.log"
    fail "apt-get cannot install $(basename "$deb")"
fi

# ---- lintian: errors and warnings fail, the rest is listed
lintian -EIL +pedantic "$deb" >"$build/lintian.log" 2>&1 || true
grep -v '^running with root privileges' "$build/lintian.log" | sed 's/^/   lintian: /'
if grep -q '^[EW]: ' "$build/lintian.log"; then
    fail "lintian reports $(grep -c '^[EW]: ' "$build/lintian.log") errors or warnings"
fi

# ---- the unpacked package: desktop entry, metainfo, launcher, installed programs
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
dpkg-deb -x "$deb" "$tmp/root"
desktop="$tmp/root/usr/share/applications/org.example.dravik.desktop"
if [ -f "$desktop" ]; then
    desktop-file-validate "$desktop" || fail "the desktop entry does not validate"
    grep -qx 'Exec=dravik-start' "$desktop" || fail "the desktop entry does not start dravik-start"
    grep -qx 'Icon=dravik' "$desktop" || fail "the desktop entry does not name the icon dravik"
    grep -qx 'GenericName=Loudspeaker enclosure designer' "$desktop" ||
        fail "the desktop entry lacks its generic name"
fi
metainfo="$tmp/root/usr/share/metainfo/org.example.dravik.metainfo.xml"
if [ -f "$metainfo" ]; then
    appstreamcli validate --no-net --pedantic "$metainfo" | sed 's/^/   appstream: /'
    appstreamcli validate --no-net "$metainfo" >/dev/null || fail "the metainfo does not validate"
    grep -q '<launchable type="desktop-id">org.example.dravik.desktop</launchable>' "$metainfo" ||
        fail "the metainfo does not name the desktop entry"
fi
# The manual pages read without a complaint from man.
for page in "$tmp"/root/usr/share/man/man1/*.1.gz; do
    warnings="$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)"
    [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
done
# dravik-script tells its version, the package's.
version="$("$tmp/root/usr/bin/dravik-script" --version)"
[ "$version" = "dravik-script $(dpkg-deb -f "$deb" Version | sed 's/-[^-]*$//')" ] ||
    fail "dravik-script --version says '$version', the package is $(dpkg-deb -f "$deb" Version)"

# A first run fills the working directory; a file the user already has stays.
home="$tmp/home"
mkdir -p "$home/Dravik"
printf 'mine\r\n' >"$home/Dravik/spkdb.hdr"
status=0
HOME="$home" QT_QPA_PLATFORM=offscreen timeout 5 "$tmp/root/usr/bin/dravik-start" \
    >"$tmp/start.log" 2>&1 || status=$?
# 124: still running when the timeout ended it, as a started program should be.
[ "$status" -eq 124 ] || { cat "$tmp/start.log"; fail "dravik-start ended with status $status"; }
for file in "$tmp"/root/usr/share/dravik/*; do
    name="$(basename "$file")"
    [ -f "$home/Dravik/$name" ] || fail "the launcher did not copy $name into the working directory"
    [ "$name" = spkdb.hdr ] || cmp -s "$file" "$home/Dravik/$name" ||
        fail "the working directory's $name differs from the shipped file"
done
[ "$(cat "$home/Dravik/spkdb.hdr")" = $'mine\r' ] || fail "the launcher overwrote the user's spkdb.hdr"

# The installed dravik-script computes a design in the new working directory.
printf '0\r\n' >"$home/Dravik/spkdb.hdr"
printf 'click SBB4Button\nprint EVb\n' >"$tmp/sbb4.dvs"
result="$(cd "$home/Dravik" && timeout 30 "$tmp/root/usr/bin/dravik-script" "$tmp/sbb4.dvs" 2>/dev/null)" ||
    fail "the installed dravik-script failed"
[ "$result" = "EVb=150.67" ] || fail "the installed dravik-script printed '$result', not EVb=150.67"

# The installed dravik-rank ranks the one record spkdb.hdr now counts.
ranked="$(cd "$home/Dravik" && timeout 60 "$tmp/root/usr/bin/dravik-rank" 2>/dev/null | tr -d '\r')" ||
    fail "the installed dravik-rank failed"
[ "$(wc -l <<<"$ranked")" -eq 2 ] && [ "$(tail -n 1 <<<"$ranked" | cut -d, -f1,2)" = "1,0" ] ||
    fail "the installed dravik-rank printed '$ranked', not one ranked driver"

if [ "$failures" -ne 0 ]; then
    echo "package check: $failures failed"
    exit 1
fi
echo "package check: $(basename "$deb") holds ${#expected[@]} expected files and the Qt and GSL runtime dependencies"
