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
#     --target-db at 20 Hz (300 l when none up to 300 l does).
# All drivers go through one dravik-script process.
#
# Usage: rank-drivers.sh [options] [DATABASE_DIR]
#   DATABASE_DIR     folder holding spk.db and spkdb.hdr (default: .)
#   --by COLUMN      column to rank by (default spl_100w_25hz_db)
#   --ascending      smallest first (default: largest first)
#   --target-fb HZ   optimiser tuning (default 22)
#   --target-db DB   optimiser target level at 20 Hz (default -9)
#   --output FILE    write the table to FILE instead of standard output
#   --dravik-script PATH   the program to use (default: $DRAVIK_SCRIPT, or
#                    dravik-script on the PATH)
set -euo pipefail

columns=(rank index maker model qts fs_hz vas_l
         sbb4_alignment sbb4_vb_l sbb4_fb_hz sbb4_f3_hz level_25hz_db spl_100w_25hz_db
         sc4_alignment sc4_vb_l sc4_fb_hz sc4_f3_hz smallest_box_l)

usage() { sed -n '/^# Usage:/,/^set -euo/p' "$0" | sed -e '$d' -e 's/^# \{0,1\}//'; }

by=spl_100w_25hz_db order=-r target_fb=22 target_db=-9 output=- db=.
runner="${DRAVIK_SCRIPT:-dravik-script}"
while [ $# -gt 0 ]; do
    case "$1" in
        --by) by="$2"; shift 2 ;;
        --ascending) order=""; shift ;;
        --target-fb) target_fb="$2"; shift 2 ;;
        --target-db) target_db="$2"; shift 2 ;;
        --output) output="$2"; shift 2 ;;
        --dravik-script) runner="$2"; shift 2 ;;
        -h|--help) usage; exit 0 ;;
        -*) echo "rank-drivers.sh: unknown option $1" >&2; usage >&2; exit 2 ;;
        *) db="$1"; shift ;;
    esac
done
key=0
for i in "${!columns[@]}"; do [ "${columns[$i]}" = "$by" ] && key=$((i + 1)); done
if [ "$key" -le 4 ] || [ "$by" = sbb4_alignment ] || [ "$by" = sc4_alignment ]; then
    echo "rank-drivers.sh: cannot rank by \"$by\"; a numeric column is needed" >&2
    exit 2
fi
[ -f "$db/spk.db" ] && [ -f "$db/spkdb.hdr" ] ||
    { echo "rank-drivers.sh: no spk.db and spkdb.hdr in $db" >&2; exit 1; }
records=$(( $(tr -d '\r ' < "$db/spkdb.hdr") + 1 ))

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# One script for the whole database.
{
    echo "set ETargetFb $target_fb"
    echo "set ETargetDbmag $target_db"
    echo "click GETDRIVERButton"
    for ((i = 0; i < records; i++)); do
        printf '%s\n' "select GETDRIVERForm.ListBox1 $i" "click GETDRIVERForm.LoadButton" \
            "print GETDRIVERForm.Edit1" "print EManufacturer" "print EModel" \
            "print EQts" "print EFs" "print EVas" \
            "click SBB4Button" "list ListBox2" "print EVb" "print EFb" "print E3dB" \
            "click Button1" "print EdBmag25" "print ESPL100W" \
            "click Button26" "list ListBox2" "print EVb" "print EFb" "print E3dB" \
            "click Button25" "print EVb"
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
    awk -F'\t' -v OFS='\t' '{ sub(/^table$/, "SBB4", $7); sub(/^table$/, "SC4", $13); print }' |
    sort -t $'\t' -k "$((key - 1)),$((key - 1))" -g $order -s > "$work/rows.tsv"

# CSV: a header, then the rows with their rank; texts in double quotes.
{
    (IFS=,; echo "${columns[*]}")
    awk -F'\t' '
        function q(s) { gsub(/"/, "\"\"", s); return "\"" s "\"" }
        { line = NR; for (i = 1; i <= NF; i++) line = line "," (i == 2 || i == 3 || i == 7 || i == 13 ? q($i) : $i); print line }' \
        "$work/rows.tsv"
} > "$work/table.csv"
if [ "$output" = - ]; then cat "$work/table.csv"; else cp "$work/table.csv" "$output"; fi
