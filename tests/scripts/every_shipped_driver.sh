#!/usr/bin/env bash
# Loads every record of the shipped driver database through the real
# database dialog and runs every sizing command on it: "Calculate from Vb and
# Fb" on a 240 l box tuned to 22 Hz, the four alignments, the optimiser, the
# closed box and the dimensions. No command may end in an error report, and
# the cone area the vent calculator derives from the diameter field must be a
# real one (0.001 to 0.5 m2).
#   every_shipped_driver.sh DRAVIK_SCRIPT SHIPPED_DIR
set -euo pipefail
runner="$1"; shipped="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$shipped"/* "$work"/
cd "$work"

records=$(( $(tr -d '\r ' < spkdb.hdr) + 1 ))
{
    echo "click GETDRIVERButton"
    for ((i = 0; i < records; i++)); do
        printf '%s\n' "select GETDRIVERForm.ListBox1 $i" "click GETDRIVERForm.LoadButton" \
            "print EModel" "set EVb 240" "set EFb 22" "click Button1" "print ESd" \
            "click SBB4Button" "click Button26" "click CALCULATEMAXIMALLYFLATButton" \
            "click CALCULATEIDEALButton" "click Button25" "click Button2" "click BCalcDimensions1"
    done
} > every.dvs
"$runner" every.dvs > out.txt

failed=0
if grep -q '^error: ' out.txt; then
    echo "FAIL: commands ended in an error report:"
    grep -B 1 '^error: ' out.txt | grep -v '^--' | head -40
    failed=1
fi
awk -F= -v records="$records" '
    /^EModel=/ { model = $2 }
    /^ESd=/    { n++; if ($2 + 0 < 0.001 || $2 + 0 > 0.5) { print "FAIL: " model ": ESd=" $2; bad = 1 } }
    END        { if (n != records) { print "FAIL: " n " of " records " records computed"; bad = 1 }
                 exit bad }' out.txt || failed=1
[ "$failed" -eq 0 ] && echo "all $records shipped drivers compute"
exit "$failed"
