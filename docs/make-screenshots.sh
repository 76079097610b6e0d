#!/usr/bin/env bash
# Makes the screenshots of the user guide (docs/images/*.png) with
# dravik-script: the real windows, drawn offscreen, after the same clicks a
# user would make. Rerun after changing a window.
#
#   docs/make-screenshots.sh                 builds dravik-script in build/screenshots
#   docs/make-screenshots.sh PATH/dravik-script
#
# DRAVIK_BUILD_LOCK, when set, names a lock file that the build step takes.
# The pictures are reduced to a small palette (pngquant) and recompressed
# (optipng), so each stays well under 60 KB.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
images="$root/docs/images"

"$root/scripts/setup-deps.sh" pngquant optipng

if [ $# -ge 1 ]; then
    script="$(readlink -f "$1")"
else
    build="$root/build/screenshots"
    lock=()
    [ -n "${DRAVIK_BUILD_LOCK:-}" ] && lock=(flock "$DRAVIK_BUILD_LOCK")
    "${lock[@]}" cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DDRAVIK_BUILD_TESTS=OFF >/dev/null
    "${lock[@]}" cmake --build "$build" --target dravik-script
    script="$build/src/script/dravik-script"
fi

# A fresh working directory with the shipped data, as a first start has it.
# Its path shows on the File page, so it is the same on every run.
tmp=/tmp/dravik-screenshots
rm -rf "$tmp"
trap 'rm -rf "$tmp"' EXIT
work="$tmp/Dravik"
mkdir -p "$work" "$tmp/runtime"
chmod 700 "$tmp/runtime"
cp "$root"/data/shipped/* "$work/"
# A real driver's measurements, for the Measure Driver window.
cp "$root"/tests/measure/l16rnx.files/*.zma "$work/"
# A screen of a 1366 x 768 laptop, so that each window opens at the size a
# user sees (Qt's offscreen screen is 800 x 600 otherwise).
cat >"$tmp/screen.json" <<'SCREEN'
{ "screens": [ { "name": "laptop", "x": 0, "y": 0, "width": 1366, "height": 768, "logicalDpi": 96 } ] }
SCREEN

cat >"$tmp/screenshots.dvs" <<'SCRIPT'
# Start-up: the Driver page with the default driver.
page PG_Driver
grab drvik driver.png
# "Calculate from Vb and Fb" with the default box (240 l, 22 Hz).
click Button1
grab OutputForm plot.png
page PG_Box
grab drvik box.png
page PG_Vent
grab drvik vent.png
page PG_Analysis
grab drvik analysis.png
# A crossover preset, then the SBB4 alignment drawn with the crossover.
click BUTTONQuorvel80
page PG_Crossover
grab drvik crossover.png
click SBB4Button
grab OutputForm plot-crossover.png
# Panel sizes of the SBB4 box.
page PG_List
click BCalcDimensions1
grab drvik partlist.png
# The driver database dialog.
click GETDRIVERButton
grab GETDRIVERForm database.png
# Save the design, then the File page with the saved file listed.
set EDesignFile colossus-sbb4.dgn
click Button17
opendir .
page PG_File
grab drvik file.png
# The design charts of the default driver in the default box (240 l tuned to
# 22 Hz) at 600 W.
set EVb 240
set EFb 22
click Button1
click DesignCharts1
grab ChartsForm charts.png
page ChartsForm.ExcursionPanel
grab ChartsForm.ExcursionPanel chart-excursion.png
page ChartsForm.PortVelocityPanel
grab ChartsForm.PortVelocityPanel chart-port-velocity.png
page ChartsForm.ImpedancePanel
grab ChartsForm.ImpedancePanel chart-impedance.png
page ChartsForm.GroupDelayPanel
grab ChartsForm.GroupDelayPanel chart-group-delay.png
page ChartsForm.LimitsPanel
grab ChartsForm.LimitsPanel chart-limits.png
page ChartsForm.ExcursionPanel
# Three boxes of the start-up driver compared: SBB4 and the optimiser's box
# pinned, the closed box as the current design.
click SBB4Button
click ChartsForm.PinButton
click Button25
click ChartsForm.PinButton
click Button2
grab ChartsForm charts-compared.png
page ChartsForm.PortVelocityPanel
grab ChartsForm.PortVelocityPanel chart-closed-port-velocity.png
click ChartsForm.ClearButton
# The most each box can take for two more drivers of the database, an
# 8-inch woofer and a 15-inch one, in their SBB4 boxes at PEmax.
click GETDRIVERButton
select GETDRIVERForm.ListBox1 378
click GETDRIVERForm.LoadButton
click SBB4Button
page ChartsForm.LimitsPanel
grab ChartsForm.LimitsPanel chart-limits-8inch.png
click GETDRIVERButton
select GETDRIVERForm.ListBox1 126
click GETDRIVERForm.LoadButton
click SBB4Button
grab ChartsForm.LimitsPanel chart-limits-15inch.png
# The kinds the main window cannot hold, each from its starting values for
# the start-up driver in its SBB4 box.
click GETDRIVERButton
select GETDRIVERForm.ListBox1 138
click GETDRIVERForm.LoadButton
click SBB4Button
page ChartsForm.ExcursionPanel
choose ChartsForm.PassiveRadiatorChoice
click ChartsForm.UpdateButton
grab ChartsForm charts-passive-radiator.png
choose ChartsForm.Bandpass4Choice
click ChartsForm.Bp4DesignButton
set ChartsForm.EBp4VentDiameter 200
click ChartsForm.UpdateButton
grab ChartsForm charts-bandpass-4.png
choose ChartsForm.Bandpass6Choice
set ChartsForm.EDriverCount 2
choose ChartsForm.IsobaricMountingChoice
click ChartsForm.UpdateButton
grab ChartsForm charts-bandpass-6.png
# The signal chain, the amplifier and the listening space, for the start-up
# design again: one driver in the vented box of 240 l tuned to 22 Hz, 600 W.
set ChartsForm.EDriverCount 1
choose ChartsForm.NormalMountingChoice
choose ChartsForm.VentedChoice
set EVb 240
set EFb 22
click Button1
# An 18 Hz subsonic filter: a 4th-order Butterworth high-pass, added in the
# side panel's Signal chain section (the sections above it folded, so that
# it shows) with the chain's chart on its tab.
click ChartsForm.DriversSectionHeader
click ChartsForm.EnclosureSectionHeader
click ChartsForm.DriveSectionHeader
page ChartsForm.ChainPanel
choose ChartsForm.HighPassChoice
choose ChartsForm.ButterworthChoice
set ChartsForm.EFilterOrder 4
set ChartsForm.EFilterFrequency 18
click ChartsForm.AddFilterButton
grab ChartsForm chart-signal-chain.png
select ChartsForm.ChainList 0
click ChartsForm.RemoveFilterButton
click ChartsForm.ChainSectionHeader
click ChartsForm.DriveSectionHeader
# In a saloon car, with an amplifier of 600 W into 4 ohm: the cone sets the
# maximum below 16 Hz, the amplifier above.
choose ChartsForm.CarChoice
select ChartsForm.SpacePresetList 0
set ChartsForm.EAmpRatedPower 600
set ChartsForm.EAmpRatedLoad 4
click ChartsForm.UpdateButton
page ChartsForm.LimitsPanel
grab ChartsForm charts-car-amplifier.png
# In the medium room preset, no amplifier limit: the level at the listener
# with the box where the preset puts it (front left, pinned) and at the
# best of the nine places (back centre).
set ChartsForm.EAmpRatedPower
set ChartsForm.EAmpRatedLoad
choose ChartsForm.RoomChoice
select ChartsForm.SpacePresetList 1
click ChartsForm.UpdateButton
page ChartsForm.RoomPanel
click ChartsForm.PinButton
click ChartsForm.PlaceBackCentreButton
grab ChartsForm.RoomPanel chart-room-placement.png
click ChartsForm.ClearButton
# Two dual-voice-coil drivers of the start-up driver's figures (each of its
# two coils taken as 6.5 ohm) in half space, the coils of each in series, the
# drivers in parallel: the wiring list, and the impedance of that wiring.
choose ChartsForm.HalfSpaceChoice
click ChartsForm.DriveSectionHeader
click ChartsForm.SpaceSectionHeader
click ChartsForm.DriversSectionHeader
set ChartsForm.EDriverCount 2
choose ChartsForm.TwoCoilsChoice
click ChartsForm.UpdateButton
page ChartsForm.ImpedancePanel
grab ChartsForm charts-dual-voice-coils.png
# The start-up driver's passive radiator box in US units.
set ChartsForm.EDriverCount 1
choose ChartsForm.OneCoilChoice
click ChartsForm.DriversSectionHeader
click ChartsForm.EnclosureSectionHeader
choose ChartsForm.UsUnitsChoice
choose ChartsForm.PassiveRadiatorChoice
click ChartsForm.UpdateButton
page ChartsForm.ExcursionPanel
grab ChartsForm charts-us-units.png
# Two dual-voice-coil drivers in a vented box of 5 cubic feet (141.58 l,
# the main window's Vb), 34 x 20 inches outside with 3/4-inch walls and
# its depth solved, a 13 x 3.25-inch slot vent in a corner: the
# Construction section in US units.
set ChartsForm.EDriverCount 2
choose ChartsForm.TwoCoilsChoice
set EVb 141.584233
set EFb 30
click Button1
click ChartsForm.EnclosureSectionHeader
set ChartsForm.EOutsideWidth 34
set ChartsForm.EOutsideHeight 20
set ChartsForm.EWallThickness 0.75
set ChartsForm.EDriverDisplacement 0.15
set ChartsForm.EBracing 0.05
set ChartsForm.EVentSlotWidth 13
set ChartsForm.EVentSlotHeight 3.25
set ChartsForm.EVentSharedWalls 2
click ChartsForm.UpdateButton
grab ChartsForm charts-construction.png
choose ChartsForm.MetricUnitsChoice
# A tapped horn for one start-up driver, as the window starts it: the path
# editor, the path's drawing and the curves.
set ChartsForm.EDriverCount 1
choose ChartsForm.OneCoilChoice
click ChartsForm.ConstructionSectionHeader
click ChartsForm.EnclosureSectionHeader
choose ChartsForm.TappedHornChoice
click ChartsForm.UpdateButton
grab ChartsForm charts-tapped-horn.png
# Measure Driver: a SEAS L16RNX in free air and with two added masses,
# fitted over the whole file; the fitted curve over the measured one.
click MeasureDriver1
answer L16RNX_0g_242_27mV.zma
click MeasureForm.FreeAirButton
answer L16RNX_8_017g_242_27mV.zma
click MeasureForm.AddedMass1Button
set MeasureForm.EAddedMass1 8.017
answer L16RNX_16_048g_242_27mV.zma
click MeasureForm.AddedMass2Button
set MeasureForm.EAddedMass2 16.048
click MeasureForm.FitButton
grab MeasureForm measure-real-driver.png
SCRIPT

# Qt's offscreen platform remarks on window calls it ignores; only those are dropped.
(cd "$work" && XDG_RUNTIME_DIR="$tmp/runtime" QT_QPA_PLATFORM="offscreen:configfile=$tmp/screen.json" \
    timeout 120 "$script" "$tmp/screenshots.dvs") \
    2> >(grep -v '^This plugin does not support' >&2)

mkdir -p "$images"
for shot in "$work"/*.png; do
    name="$(basename "$shot")"
    pngquant --force --quality 60-90 --speed 1 --strip --output "$images/$name" -- "$shot" ||
        cp "$shot" "$images/$name" # pngquant declines when it cannot reach the quality
    optipng -quiet -o5 -strip all "$images/$name"
done
ls -l "$images"
