#!/usr/bin/env bash
# Renders the committed PNG sizes of the application icon from dravik.svg.
# Rerun after changing the drawing; needs rsvg-convert (librsvg2-bin) and
# optipng, which it installs through the project's set-up script when missing.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
"$here/../../scripts/setup-deps.sh" librsvg2-bin optipng

for size in 16 32 48 64 128 256; do
    out="$here/dravik-$size.png"
    rsvg-convert --width "$size" --height "$size" "$here/dravik.svg" --output "$out"
    optipng -quiet -o5 -strip all "$out"
done
ls -l "$here"/dravik-*.png
