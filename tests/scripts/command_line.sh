#!/usr/bin/env bash
# dravik-script as a command: --help lists every verb in one line each (and
# each is documented in the manual page), --version names the project's
# version, "--" ends the options, and an unknown option or a wrong number of
# scripts is a usage error with exit status 2.
# dravik itself takes no arguments at all.
#   command_line.sh DRAVIK_SCRIPT VERSION MANUAL_PAGE DRAVIK
set -uo pipefail
runner="$1"; version="$2"; manual="$3"; dravik="$4"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"
unset XDG_RUNTIME_DIR
failed=0
fail() { echo "FAIL: $*"; failed=1; }

# Runs the runner with the arguments; sets out, err and status.
run() { "$runner" "$@" >out.txt 2>err.txt; status=$?; out=$(cat out.txt); err=$(cat err.txt); }

run --help
[ "$status" -eq 0 ] && [ -z "$err" ] || fail "--help: status $status, stderr '$err'"
verbs=$(sed -n '/^Commands:/,/^$/p' out.txt | awk 'NF && !/^Commands:/ { print $1 }')
[ "$(wc -w <<<"$verbs")" -eq 13 ] || fail "--help lists $(wc -w <<<"$verbs") verbs, not 13"
for part in 'usage: dravik-script' 'Exit status:' 'script error'; do
    grep -qF "$part" out.txt || fail "--help lacks \"$part\""
done
for verb in $verbs; do
    grep -q "^\.B[IR] $verb\b" "$manual" || fail "the manual page does not describe \"$verb\""
    printf '%s\n' "$verb" >verb.dvs
    run verb.dvs
    grep -q 'unknown verb' err.txt && fail "--help lists \"$verb\", the runner does not know it"
done

run --version
[ "$status" -eq 0 ] && [ "$out" = "dravik-script $version" ] || fail "--version: '$out' (status $status)"

for args in "--bogus" "-x" "" "a.dvs b.dvs"; do
    # shellcheck disable=SC2086
    run $args
    [ "$status" -eq 2 ] && [ -n "$err" ] && [ -z "$out" ] || fail "'$args': status $status, no usage error"
done

printf 'print EVb\n' >-odd.dvs
run -- -odd.dvs
[ "$status" -eq 0 ] && [ "$out" = "EVb=240" ] && [ -z "$err" ] || fail "-- -odd.dvs: '$out' '$err' (status $status)"

# Lost output is an error: standard output on a full device or closed, the
# script's standard input closed. A closed standard error costs nothing.
printf 'print EVb\n' >p.dvs
"$runner" p.dvs >/dev/full 2>err.txt; status=$?
[ "$status" -ne 0 ] && [ -s err.txt ] || fail "output on /dev/full: status $status, no message"
"$runner" p.dvs >&- 2>err.txt; status=$?
[ "$status" -eq 2 ] && [ -s err.txt ] || fail "output closed: status $status, no message"
"$runner" - <&- >out.txt 2>err.txt; status=$?
[ "$status" -eq 2 ] && [ -s err.txt ] && [ ! -s out.txt ] || fail "input closed: status $status"
"$runner" p.dvs >out.txt 2>&-; status=$?
[ "$status" -eq 0 ] && [ "$(cat out.txt)" = "EVb=240" ] || fail "error closed: status $status"

# The toolkit's own options are unknown options, and no argument reaches it.
for args in "-stylesheet /dev/zero p.dvs" "-platform xcb p.dvs" "p.dvs -style fusion"; do
    # shellcheck disable=SC2086
    run $args
    [ "$status" -eq 2 ] && [ -z "$out" ] && grep -q 'unknown option' err.txt ||
        fail "'$args': status $status, not an unknown option"
done
# An empty QT_QPA_PLATFORM asks for no platform: offscreen, as when unset.
QT_QPA_PLATFORM= run p.dvs
[ "$status" -eq 0 ] && [ "$out" = "EVb=240" ] || fail "empty QT_QPA_PLATFORM: status $status"

# dravik: any argument, a toolkit option too, is a usage error before any window.
for args in "-stylesheet /dev/zero" "-platform offscreen" "x.dgn"; do
    # shellcheck disable=SC2086
    timeout 60 "$dravik" $args >out.txt 2>err.txt; status=$?
    [ "$status" -eq 2 ] && grep -q '^usage: dravik' err.txt && [ ! -s out.txt ] ||
        fail "dravik $args: status $status, no usage error"
done

[ "$failed" -eq 0 ] && echo "dravik-script's command line behaves"
exit "$failed"
