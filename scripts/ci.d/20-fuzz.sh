#!/usr/bin/env bash
# Fuzzes the readers of outside text (field texts, filter response files,
# the driver database, the design charts' inputs, design files, design setup files) with libFuzzer under AddressSanitizer and
# UndefinedBehaviorSanitizer: first the large generated inputs once each,
# then each target for a bounded time from its seed corpus.
#
# Run by scripts/test.sh with DRAVIK_ROOT (the source tree) and
# DRAVIK_BUILD_ROOT (where builds go); builds in $DRAVIK_BUILD_ROOT/fuzz.
# DRAVIK_FUZZ_SECONDS sets the fuzzing time per target (default 50).
# Exits non-zero when a target crashes, fails one of its checks, hangs
# (10 s for one input) or grows beyond 2 GB; the input that did it is kept in
# $DRAVIK_BUILD_ROOT/fuzz/artifacts.
set -euo pipefail
root="${DRAVIK_ROOT:?DRAVIK_ROOT must name the source tree}"
out="${DRAVIK_BUILD_ROOT:?DRAVIK_BUILD_ROOT must name the build root}/fuzz"
seconds="${DRAVIK_FUZZ_SECONDS:-50}"

"$root/scripts/setup-deps.sh" clang libclang-rt-14-dev

echo "-- building the fuzz targets in $out"
cmake -S "$root/tests/fuzz" -B "$out" -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$out" -j "$(nproc)"

work="$(mktemp -d)"
# The targets write their files (and the filter test log, synced to disk on
# every write) in a private directory; a memory file system keeps that cheap.
scratch_base="$work"
[ -d /dev/shm ] && [ -w /dev/shm ] && scratch_base=/dev/shm
scratch="$(mktemp -d -p "$scratch_base" dravik-fuzz.XXXXXX)"
trap 'rm -rf "$work" "$scratch"' EXIT

"$root/tests/fuzz/make-seeds.sh" "$work/seeds" >/dev/null
artifacts="$out/artifacts"
rm -rf "$artifacts"
mkdir -p "$artifacts"

export TMPDIR="$scratch"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp"
common=(-rss_limit_mb=2048 -timeout=10)

# Runs one fuzzer command with its output in a log; shows the log's tail
# and fails when the fuzzer fails.
run_logged() {
    local log="$1"; shift
    if ! "$@" >"$log" 2>&1; then
        tail -n 80 "$log"
        echo "FAILED: $*"
        echo "The failing input is in $artifacts"
        exit 1
    fi
}

fuzz_target() {
    local name="$1" max_len="$2"
    local fuzzer="$out/fuzz_$name"
    echo "-- $name: large inputs, once each"
    run_logged "$work/$name-large.log" "$fuzzer" "${common[@]}" \
        -artifact_prefix="$artifacts/$name-" "$work/seeds/large/$name"/*
    grep -h '^Executed' "$work/$name-large.log" | sed "s|$work/seeds/large/||"

    echo "-- $name: fuzzing for ${seconds}s"
    cp -r "$work/seeds/$name" "$work/corpus-$name"
    run_logged "$work/$name.log" "$fuzzer" "${common[@]}" -max_total_time="$seconds" \
        -max_len="$max_len" -dict="$root/tests/fuzz/dict/$name.dict" -print_final_stats=1 \
        -artifact_prefix="$artifacts/$name-" \
        "$work/corpus-$name"
    grep -E '^(Done|stat::number_of_executed_units|stat::new_units_added|stat::peak_rss_mb)' \
        "$work/$name.log"
}

# Longest inputs while fuzzing: the shipped filter files are about 28 KB.
fuzz_target fieldtext 4096
fuzz_target filterfile 32768
fuzz_target driverdb 16384
fuzz_target designmodel 2048
fuzz_target designfile 65536
fuzz_target setupfile 16384
echo "-- fuzzing found nothing"
