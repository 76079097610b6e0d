#!/usr/bin/env bash
# rank-drivers.sh: every driver of a Dravik driver database through the same
# design questions, ranked, as a CSV table.
#
# For each record of spk.db the script loads the driver through the database
# dialog and asks:
#   - the SBB4 box: volume, tuning, -3 dB point (a driver whose Qts lies
#     outside the SBB4 table gets the maximally flat box tuned to Fs instead,
#     and the "sbb4_alignment" column says "flat");
#   - that box by "Calculate from Vb and Fb": the level at 25 Hz relative to
#     the passband and the level at 25 Hz with 100 W;
#   - the SC4 box, likewise (with its own "sc4_alignment" column);
#   - the optimiser: the smallest box tuned to --target-fb that reaches
#     --target-db at 20 Hz (300 l when none up to 300 l does);
#   - the design charts' figures of the SBB4 box and of the optimiser's box
#     at the driver's PEmax (columns sbb4_... and opt_...): the maximum level
#     at 20 Hz and at 25 Hz within both limits (PEmax and Xmax), the peak cone
#     excursion at 20 Hz, and the highest peak air velocity in the vent from
#     5 Hz to 1 kHz, with the Vent page's vents (one of 152 mm unless
#     --vents and --vent-diam say otherwise). Figures between two rows of the
#     charts' export are interpolated in log frequency.
# Drivers whose box for the ranked column (the optimiser's for opt_... and
# smallest_box_l, the SC4 box for sc4_..., else the SBB4 box) is larger than
# --max-box are listed last; the "over_budget" column says why.
# All drivers go through one dravik-script process.
#
# Usage: rank-drivers.sh [options] [DATABASE_DIR]
#   DATABASE_DIR     folder holding spk.db and spkdb.hdr (default: .)
#   --by COLUMN      column to rank by (default spl_100w_25hz_db)
#   --ascending      smallest first (default: largest first)
#   --target-fb HZ   optimiser tuning (default 22)
#   --target-db DB   optimiser target level at 20 Hz (default -9)
#   --max-box LITRES box-size budget (default 200; 0: none)
#   --vents N        number of vents for the vent velocity
#   --vent-diam MM   inner diameter of each vent for the vent velocity
#   --output FILE    write the table to FILE instead of standard output
#   --dravik-script PATH   the program to use (default: $DRAVIK_SCRIPT, or
#                    dravik-script on the PATH)
set -euo pipefail

columns=(rank index maker model qts fs_hz vas_l
         sbb4_alignment sbb4_vb_l sbb4_fb_hz sbb4_f3_hz level_25hz_db spl_100w_25hz_db
         sc4_alignment sc4_vb_l sc4_fb_hz sc4_f3_hz smallest_box_l
         power_w sbb4_max_spl_20hz_db sbb4_max_spl_25hz_db sbb4_excursion_20hz_mm
         sbb4_vent_peak_ms opt_max_spl_20hz_db opt_max_spl_25hz_db opt_excursion_20hz_mm
         opt_vent_peak_ms over_budget)

usage() { sed -n '/^# Usage:/,/^set -euo/p' "$0" | sed -e '$d' -e 's/^# \{0,1\}//'; }

by=spl_100w_25hz_db order=r target_fb=22 target_db=-9 output=- db=.
max_box=200 vents="" vent_diam=""
runner="${DRAVIK_SCRIPT:-dravik-script}"
while [ $# -gt 0 ]; do
    case "$1" in
        --by) by="$2"; shift 2 ;;
        --ascending) order=""; shift ;;
        --target-fb) target_fb="$2"; shift 2 ;;
        --target-db) target_db="$2"; shift 2 ;;
        --max-box) max_box="$2"; shift 2 ;;
        --vents) vents="$2"; shift 2 ;;
        --vent-diam) vent_diam="$2"; shift 2 ;;
        --output) output="$2"; shift 2 ;;
        --dravik-script) runner="$2"; shift 2 ;;
        -h|--help) usage; exit 0 ;;
        -*) echo "rank-drivers.sh: unknown option $1" >&2; usage >&2; exit 2 ;;
        *) db="$1"; shift ;;
    esac
done
key=0
for i in "${!columns[@]}"; do [ "${columns[$i]}" = "$by" ] && key=$((i + 1)); done
if [ "$key" -le 4 ] || [ "$by" = sbb4_alignment ] || [ "$by" = sc4_alignment ] ||
    [ "$by" = over_budget ]; then
    echo "rank-drivers.sh: cannot rank by \"$by\"; a numeric column is needed" >&2
    exit 2
fi
if ! awk -v v="$max_box" 'BEGIN { exit !(v ~ /^[0-9]+([.][0-9]*)?$/) }'; then
    echo "rank-drivers.sh: --max-box needs a number of litres (0: no budget)" >&2
    exit 2
fi
# The box that the ranked column is about, by its column number.
case "$by" in
    opt_* | smallest_box_l) budget_box=optimiser budget_col=18 ;;
    sc4_*) budget_box=SC4 budget_col=15 ;;
    *) budget_box=SBB4 budget_col=9 ;;
esac
[ -f "$db/spk.db" ] && [ -f "$db/spkdb.hdr" ] ||
    { echo "rank-drivers.sh: no spk.db and spkdb.hdr in $db" >&2; exit 1; }
records=$(( $(tr -d '\r ' < "$db/spkdb.hdr") + 1 ))

# The charts' exports (about 30 MB for 400 drivers) go to memory when it can
# hold them: a file written to disk waits for the disk, twice per driver.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then
    work="$(mktemp -d -p /dev/shm rank-drivers.XXXXXX)"
else
    work="$(mktemp -d)"
fi
trap 'rm -rf "$work"' EXIT

# One script for the whole database.
{
    echo "set ETargetFb $target_fb"
    echo "set ETargetDbmag $target_db"
    [ -z "$vents" ] || echo "set ENumOfVents $vents"
    [ -z "$vent_diam" ] || echo "set EVentDiam $vent_diam"
    echo "choose ChartsForm.VentedChoice"
    echo "click GETDRIVERButton"
    # The design charts' window stays closed: its export reads the design
    # afresh, at the power that follows the driver's PEmax.
    for ((i = 0; i < records; i++)); do
        printf '%s\n' "select GETDRIVERForm.ListBox1 $i" "click GETDRIVERForm.LoadButton" \
            "print GETDRIVERForm.Edit1" "print EManufacturer" "print EModel" \
            "print EQts" "print EFs" "print EVas" \
            "click SBB4Button" "list ListBox2" "print EVb" "print EFb" "print E3dB" \
            "click Button1" "print EdBmag25" "print ESPL100W" \
            "answer $work/sbb4-$i.csv" "click ChartsForm.ExportButton" \
            "click Button26" "list ListBox2" "print EVb" "print EFb" "print E3dB" \
            "click Button25" "print EVb" \
            "answer $work/opt-$i.csv" "click ChartsForm.ExportButton" "print ChartsForm.EPower"
    done
} > "$work/rank.dvs"
(cd "$db" && "$runner" "$work/rank.dvs") > "$work/out.txt"

# The printed values in order, one row per driver, tab-separated; a
# "ListBox2" listing tells whether the alignment fell back to the flat box.
awk -v columns="${#columns[@]}" '
    function flush() { if (n) { line = values[1]; for (i = 2; i <= n; i++) line = line "\t" values[i]; print line } }
    /^error: / { print "rank-drivers.sh: " $0 > "/dev/stderr"; next }
    /^GETDRIVERForm.Edit1=/ { flush(); n = 0 }
    /^ListBox2: / { listing = 1; alignment = "table"; next }
    listing && /^Flat alignment calculated\.$/ { alignment = "flat" }
    /^[A-Za-z0-9_.]+=/ {
        if (listing) { values[++n] = alignment; listing = 0 }
        values[++n] = substr($0, index($0, "=") + 1)
        next
    }
    END { flush() }' "$work/out.txt" |
    awk -F'\t' -v OFS='\t' '{ sub(/^table$/, "SBB4", $7); sub(/^table$/, "SC4", $13); print }' \
    > "$work/values.tsv"

# The charts' figures of each driver's two boxes, from the exported files:
# the maximum level at 20 and 25 Hz, the excursion at 20 Hz (between two
# rows, interpolated in log frequency) and the highest vent velocity.
for ((i = 0; i < records; i++)); do
    for box in sbb4 opt; do [ -f "$work/$box-$i.csv" ] && echo "$box-$i.csv"; done
done > "$work/exports.txt"
mapfile -t exports < "$work/exports.txt"
(cd "$work" && awk -F, -v records="$records" '
    function at(f, col,   k, t) {
        for (k = 2; k <= rows; k++)
            if (freq[k] >= f) {
                if (cell[k - 1, col] == "" || cell[k, col] == "") return ""
                t = log(f / freq[k - 1]) / log(freq[k] / freq[k - 1])
                return sprintf("%.2f", cell[k - 1, col] + t * (cell[k, col] - cell[k - 1, col]))
            }
        return ""
    }
    function done(   k, peak) {
        if (name == "") return
        peak = ""
        for (k = 1; k <= rows; k++)
            if (cell[k, 4] != "" && (peak == "" || cell[k, 4] + 0 > peak + 0)) peak = cell[k, 4]
        figures[name] = at(20, 8) "\t" at(25, 8) "\t" at(20, 3) "\t" (peak == "" ? "" : sprintf("%.2f", peak))
    }
    FNR == 1 { done(); name = FILENAME; sub(/[.]csv$/, "", name); rows = 0 }
    /^#/ || /^frequency_hz/ { next }
    { rows++; freq[rows] = $1; cell[rows, 3] = $3; cell[rows, 4] = $4; cell[rows, 8] = $8 }
    END {
        done()
        for (i = 0; i < records; i++) {
            s = ("sbb4-" i) in figures ? figures["sbb4-" i] : "\t\t\t"
            o = ("opt-" i) in figures ? figures["opt-" i] : "\t\t\t"
            print s "\t" o
        }
    }' "${exports[@]}" < /dev/null) > "$work/figures.tsv"

# The budget: a driver whose ranked box is too large goes after the others,
# with the reason; each group is ranked by the column asked for.
paste "$work/values.tsv" "$work/figures.tsv" |
    awk -F'\t' -v OFS='\t' -v max="$max_box" -v col="$((budget_col - 1))" -v box="$budget_box" '
        { over = max > 0 && $col != "" && $col + 0 > max + 0
          reason = over ? sprintf("%s box %.0f l > %g l", box, $col, max) : ""
          print over, $0, reason }' |
    sort -t $'\t' -k 1,1n -k "$key,${key}g$order" -s | cut -f 2- > "$work/rows.tsv"

# CSV: a header, then the rows with their rank; texts in double quotes.
{
    (IFS=,; echo "${columns[*]}")
    awk -F'\t' '
        function q(s) { gsub(/"/, "\"\"", s); return "\"" s "\"" }
        { line = NR; for (i = 1; i <= NF; i++) line = line "," (i == 2 || i == 3 || i == 7 || i == 13 || i == 27 ? q($i) : $i); print line }' \
        "$work/rows.tsv"
} > "$work/table.csv"
if [ "$output" = - ]; then cat "$work/table.csv"; else cp "$work/table.csv" "$output"; fi
