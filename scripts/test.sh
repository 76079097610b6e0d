#!/usr/bin/env bash
# Installs what is missing, builds Dravik twice (warnings as errors; then with
# AddressSanitizer and UndefinedBehaviorSanitizer) and runs every test in
# both builds, offscreen. Exits non-zero when anything fails or no test ran.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
out="${DRAVIK_TEST_BUILD_ROOT:-$root/build}"
jobs="$(nproc)"

"$root/scripts/setup-deps.sh"
export QT_QPA_PLATFORM=offscreen

run_suite() {
    local name="$1"; shift
    echo "== $name build"
    cmake -S "$root" -B "$out/$name" -G Ninja -DDRAVIK_WERROR=ON "$@" >/dev/null
    cmake --build "$out/$name" -j "$jobs"
    echo "== $name tests"
    (cd "$out/$name" && ctest --output-on-failure --no-tests=error -j "$jobs" -LE benchmark)
}

run_suite ci -DCMAKE_BUILD_TYPE=RelWithDebInfo
ASAN_OPTIONS="detect_leaks=1:abort_on_error=1" \
UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
LSAN_OPTIONS="suppressions=$root/tests/lsan.supp" \
    run_suite asan -DCMAKE_BUILD_TYPE=Debug -DDRAVIK_SANITIZE=ON
# Further checks (fuzzing, packaging, ...) each live in scripts/ci.d/.
for extra in "$root"/scripts/ci.d/*.sh; do
    [ -e "$extra" ] || continue
    echo "== $(basename "$extra" .sh)"
    DRAVIK_ROOT="$root" DRAVIK_BUILD_ROOT="$out" bash "$extra"
done
echo "== all tests passed"
