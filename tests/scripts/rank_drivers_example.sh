#!/usr/bin/env bash
# Runs dravik-rank, through examples/rank-drivers.sh, on a small database
# (the Fane Colossus 18 XB and the two records after it in the shipped
# database) and checks the table: its columns, one ranked row per driver in
# the order asked for, the Fane's SBB4 and SC4 boxes, which are known
# figures, its design charts' figures at 600 W, and the box-size budget;
# then a header holding shell syntax, which is refused and never run.
#   rank_drivers_example.sh DRAVIK_RANK EXAMPLES_DIR SHIPPED_DIR
set -euo pipefail
rank="$1"; examples="$2"; shipped="$3"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"

# Three records from the Fane Colossus 18 XB on, renumbered 0 to 2.
first=$(tr -d '\r' < "$shipped/spk.db" | grep -n -x 'Colossus 18 XB' | cut -d: -f1)
start=$((first - 3))
{ head -n 3 "$shipped/spk.db"
  sed -n "${start},$((start + 3 * 31 - 1))p" "$shipped/spk.db" |
      awk '{ if (NR % 31 == 2) printf "%d\r\n", (NR - 2) / 31; else print }'; } > spk.db
printf '2\r\n' > spkdb.hdr

DRAVIK_RANK="$rank" sh "$examples/rank-drivers.sh" --output by-spl.crlf . 2> err.txt
"$rank" --by sbb4_vb_l --ascending . > by-box.crlf
# The Fane's SBB4 box (151 l) over a budget of 100 l; its optimiser's box
# (274 l) within one of 280 l, the other two (300 l) over it.
"$rank" --max-box 100 . > budget-sbb4.crlf
"$rank" --max-box 280 --by opt_max_spl_20hz_db --ascending . > budget-opt.crlf
# Lines end in CR LF; the checks below look at the text without the CRs.
for f in by-spl by-box budget-sbb4 budget-opt; do
    [ "$(grep -c $'\r$' $f.crlf)" -eq "$(wc -l < $f.crlf)" ] || echo "FAIL: $f: a line without CR LF"
    tr -d '\r' < $f.crlf > $f.csv
done

failed=0
check() { if ! eval "$1"; then echo "FAIL: $1"; failed=1; fi; }
check '[ "$(head -n 1 by-spl.csv)" = "rank,index,maker,model,qts,fs_hz,vas_l,sbb4_alignment,sbb4_vb_l,sbb4_fb_hz,sbb4_f3_hz,level_25hz_db,spl_100w_25hz_db,sc4_alignment,sc4_vb_l,sc4_fb_hz,sc4_f3_hz,smallest_box_l,power_w,sbb4_max_spl_20hz_db,sbb4_max_spl_25hz_db,sbb4_excursion_20hz_mm,sbb4_vent_peak_ms,opt_max_spl_20hz_db,opt_max_spl_25hz_db,opt_excursion_20hz_mm,opt_vent_peak_ms,over_budget,problem" ]'
check '[ "$(wc -l < by-spl.csv)" -eq 4 ]'
check '[ "$(cut -d, -f1 by-spl.csv | tail -n 3 | tr "\n" " ")" = "1 2 3 " ]'
check '[ "$(cut -d, -f2 by-spl.csv | tail -n 3 | sort | tr "\n" " ")" = "0 1 2 " ]'
# Ranked by the level at 100 W, largest first; by the SBB4 box, smallest first.
check 'tail -n 3 by-spl.csv | cut -d, -f13 | sort -g -r -c'
check 'tail -n 3 by-box.csv | cut -d, -f9 | sort -g -c'
check '[ ! -s err.txt ]'
fane=$(grep '"Colossus 18 XB"' by-spl.csv)
check '[ "$(cut -d, -f3,4,8-11 <<<"$fane")" = "\"Fane\",\"Colossus 18 XB\",\"SBB4\",150.67,32.90,39.48" ]'
check '[ "$(cut -d, -f14-17 <<<"$fane")" = "\"SC4\",165.39,34.54,36.85" ]'
# At its PEmax of 600 W, in the SBB4 box: excursion-limited at 20 Hz (the
# cone would move 15.95 mm against Xmax 14.3 mm), thermally at 25 Hz.
check '[ "$(cut -d, -f19-22,28,29 <<<"$fane")" = "600,103.10,110.56,15.95,\"\",\"\"" ]'
# Every new figure of every driver is a number; within budget, no reason.
check 'tail -n 3 by-spl.csv | cut -d, -f19-27 | tr , "\n" | grep -c -x -E "[0-9]+([.][0-9]+)?" | grep -q -x 27'
check '[ "$(cut -d, -f4,28 budget-sbb4.csv | tail -n 1)" = "\"Colossus 18 XB\",\"SBB4 box 151 l > 100 l\"" ]'
check 'sed -n 2,3p budget-sbb4.csv | cut -d, -f13 | sort -g -r -c'
check '[ "$(cut -d, -f4 budget-opt.csv | sed -n 2p)" = "\"Colossus 18 XB\"" ]'
check '[ "$(cut -d, -f28 budget-opt.csv | tail -n 2 | sort -u)" = "\"optimiser box 300 l > 280 l\"" ]'
check 'tail -n 2 budget-opt.csv | cut -d, -f24 | sort -g -c'

# A header that a shell would run is refused as the program refuses it.
mkdir hostile && cp spk.db hostile/ && printf '$(touch pwned)\r\n' > hostile/spkdb.hdr
status=0
(cd hostile && "$rank" --output table.csv . 2> err.txt) || status=$?
check '[ "$status" -eq 1 ]'
check '[ "$(cat hostile/err.txt)" = "dravik-rank: Driver database header is damaged." ]'
check '[ ! -e hostile/pwned ] && [ ! -e pwned ] && [ ! -e hostile/table.csv ]'

# --output onto a writable file in a directory "nobody" may not write: no
# temporary file beside it, so refused rather than written over in place.
if [ "$(id -u)" -eq 0 ] && command -v setpriv > /dev/null; then
    mkdir locked && cp spk.db spkdb.hdr locked/ && printf 'old table\r\n' > locked/table.csv
    chmod 755 "$work" && chmod 666 locked/table.csv && chmod 555 locked
    status=0
    (cd locked && setpriv --reuid=65534 --regid=65534 --clear-groups \
        "$rank" --output table.csv . 2> ../locked-err.txt) || status=$?
    check '[ "$status" -eq 1 ]'
    check '[ "$(cat locked-err.txt)" = "dravik-rank: cannot write \"$work/locked/table.csv\": File access denied." ]'
    check '[ "$(cat locked/table.csv)" = "$(printf "old table\r")" ] && [ "$(ls -A locked | wc -l)" -eq 3 ]'
    chmod 755 locked
else
    echo "SKIP: --output beside no temporary file (needs root and setpriv)"
fi

# The command line: refusals with status 2 and a sentence, help, version.
refused() { local st=0; "$rank" "$@" . > /dev/null 2> why.txt || st=$?; [ "$st" -eq 2 ] && cat why.txt; }
check '[ "$(refused --by maker)" = "dravik-rank: cannot rank by \"maker\"; a numeric column is needed" ]'
check '[ "$(refused --by problem)" = "dravik-rank: cannot rank by \"problem\"; a numeric column is needed" ]'
check '[ "$(refused --max-box 1e3)" = "dravik-rank: --max-box needs a number of litres (0: no budget)" ]'
check '[ "$(refused --jobs 0)" = "dravik-rank: --jobs needs a number of threads from 1 to 64" ]'
check '[ "$(refused --jobs 2.5)" = "dravik-rank: --jobs needs a number of threads from 1 to 64" ]'
# Every numeric option through the same check: no rows of problems, no empty columns.
for v in abc nan 0 -5; do
    check '[ "$(refused --target-fb '"$v"')" = "dravik-rank: --target-fb needs a tuning in hertz above 0" ]'
done
for v in abc 0 -1 2.5; do
    check '[ "$(refused --vents '"$v"')" = "dravik-rank: --vents needs a whole number of vents of 1 or more" ]'
done
check '[ "$(refused --vent-diam 0)" = "dravik-rank: --vent-diam needs a diameter in millimetres above 0" ]'
check '[ "$(refused --target-db 1e3)" = "dravik-rank: --target-db needs a level in dB" ]'
huge=$(printf '9%.0s' $(seq 400)) # beyond the largest double
check '[ "$(refused --max-box "$huge")" = "dravik-rank: --max-box needs a number of litres (0: no budget)" ]'
check '"$rank" --target-fb 22 --target-db -9 --vents 1 --vent-diam 152 --jobs 1 . | cmp -s - by-spl.crlf'
check '[ "$(refused --frobnicate | head -n 1)" = "dravik-rank: unknown option --frobnicate" ]'
check '"$rank" --help | head -n 1 | grep -q -x "Usage: dravik-rank \[options\] \[DATABASE_DIR\]"'
check '"$rank" --version | grep -q -x "dravik-rank [0-9.]*"'
check '"$rank" --jobs 1 . | cmp -s - by-spl.crlf'
[ "$failed" -eq 0 ] && echo "dravik-rank ranks the small database"
exit "$failed"
