#!/usr/bin/env bash
# Installs what is missing, builds Dravik and starts it in its working
# directory (default ~/Dravik, or DRAVIK_WORKDIR). The directory is created on
# first use and given the shipped data files that it lacks; files already
# there are never overwritten.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${DRAVIK_BUILD_DIR:-$root/build/release}"
workdir="${DRAVIK_WORKDIR:-$HOME/Dravik}"

"$root/scripts/setup-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DDRAVIK_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target dravik

mkdir -p "$workdir"
for f in "$root"/data/shipped/*; do
    [ -e "$f" ] || continue
    [ -e "$workdir/$(basename "$f")" ] || cp "$f" "$workdir/"
done
cd "$workdir"
exec "$build/src/app/dravik" "$@"
