#!/usr/bin/env bash
# Add Driver from two programs at once, and after a program killed while
# adding: every add lands, indexes stay consecutive, nothing is refused.
#   driver_database_two_programs.sh DRAVIK_SCRIPT SHIPPED_DIR
set -uo pipefail
runner="$1"; shipped="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"
unset XDG_RUNTIME_DIR
cp "$shipped/spk.db" "$shipped/spkdb.hdr" .
first=$(( $(tr -d '\r' < spkdb.hdr) + 1 ))
failed=0
fail() { echo "FAIL: $*"; failed=1; }

# A script adding N drivers whose model names the program and the count.
adds() {
    for i in $(seq 1 "$2"); do
        printf 'set EModel %s %d\nclick ADDDRIVERButton\n' "$1" "$i"
    done
}

# spk.db holds exactly header + 1 records, each with its own position as index.
consistent() {
    local last
    last=$(tr -d '\r' < spkdb.hdr)
    [ "$(wc -l < spk.db)" -eq $((3 + 31 * (last + 1))) ] || return 1
    tr -d '\r' < spk.db | awk -v n="$last" '
        NR > 3 && (NR - 4) % 31 == 1 { if ($0 != (NR - 5) / 31) bad = 1; k++ }
        END { exit (bad || k != n + 1) }'
}

# Two programs, 100 adds each, at the same time.
adds A 100 > a.dvs
adds B 100 > b.dvs
"$runner" a.dvs > a.out 2>&1 & pa=$!
"$runner" b.dvs > b.out 2>&1 & pb=$!
wait "$pa" || fail "program A exited with $?"
wait "$pb" || fail "program B exited with $?"
[ -s a.out ] && fail "program A reported: $(head -n 3 a.out)"
[ -s b.out ] && fail "program B reported: $(head -n 3 b.out)"
[ "$(tr -d '\r' < spkdb.hdr)" = "$((first + 199))" ] || fail "header $(tr -d '\r' < spkdb.hdr), expected $((first + 199))"
consistent || fail "records and indexes out of step after two programs"
for p in A B; do
    [ "$(tr -d '\r' < spk.db | grep -c -x "$p [0-9]*")" -eq 100 ] || fail "program $p's records: not 100"
done

# A program killed in the middle of adding, five times at different
# moments; after each, one more add and a listing.
adds K 5000 > k.dvs
for delay in 0.2 0.3 0.4 0.5 0.6; do
    "$runner" k.dvs > k.out 2>&1 & pk=$!
    sleep "$delay"
    kill -9 "$pk" 2>/dev/null
    wait "$pk" 2>/dev/null
    adds "L $delay" 1 > l.dvs
    printf 'click GETDRIVERButton\nprint EModel\n' >> l.dvs
    "$runner" l.dvs > l.out 2>&1 || fail "add after the kill at $delay s exited with $?"
    [ "$(cat l.out)" = "EModel=L $delay 1" ] || fail "add after the kill at $delay s reported: $(head -n 3 l.out)"
    consistent || fail "records and indexes out of step after the kill at $delay s"
    [ "$(tr -d '\r' < spk.db | tail -n 28 | head -n 1)" = "L $delay 1" ] ||
        fail "the last record is not the one added after the kill at $delay s"
done

exit $failed
