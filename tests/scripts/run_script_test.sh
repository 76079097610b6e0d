#!/usr/bin/env bash
# Runs one end-to-end script in a fresh working directory and compares what
# it prints with the expected output.
#   NAME.dvs       the script
#   NAME.expected  its expected standard output (may be left out when a
#                  NAME.check looks at the output, saved as out.txt)
#   NAME.files/    input files copied into the working directory (optional)
#   NAME.status    the expected exit status (optional, default 0)
#   NAME.stderr    the expected "script error" lines (optional); without it
#                  standard error must stay empty: a clean run is quiet
#   NAME.stdin     marker: feed the script on standard input as "-"
#   NAME.bare      marker: start without the shipped data files
#   NAME.check     shell commands run in the working directory afterwards
#                  (optional); a non-zero exit fails the test
set -u
runner="$1"; script="$2"; shipped="$3"
dir="$(cd "$(dirname "$script")" && pwd)"
name="$(basename "$script" .dvs)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

[ -e "$dir/$name.bare" ] || cp -r "$shipped"/. "$work"/
[ -d "$dir/$name.files" ] && cp -r "$dir/$name.files"/. "$work"/
cd "$work"
# The toolkit complains about a missing runtime directory; that must not show.
unset XDG_RUNTIME_DIR

if [ -e "$dir/$name.stdin" ]; then
    "$runner" - < "$dir/$name.dvs" > out.txt 2> err.txt
else
    "$runner" "$dir/$name.dvs" > out.txt 2> err.txt
fi
status=$?

failed=0
if [ -f "$dir/$name.expected" ] || [ ! -f "$dir/$name.check" ]; then
    if ! diff -u "$dir/$name.expected" out.txt; then
        echo "FAIL: output differs from $name.expected"; failed=1
    fi
fi
expected_status=0
[ -f "$dir/$name.status" ] && expected_status="$(cat "$dir/$name.status")"
if [ "$status" != "$expected_status" ]; then
    echo "FAIL: exit status $status, expected $expected_status"; cat err.txt; failed=1
fi
if [ -f "$dir/$name.stderr" ]; then
    grep '^script error' err.txt > script-errors.txt || true
    if ! diff -u "$dir/$name.stderr" script-errors.txt; then
        echo "FAIL: script errors differ from $name.stderr"; failed=1
    fi
elif [ -s err.txt ]; then
    echo "FAIL: a clean run wrote to standard error:"; head -n 20 err.txt; failed=1
fi
if [ -f "$dir/$name.check" ]; then
    if ! SCRIPT_DIR="$dir" bash -eu "$dir/$name.check"; then
        echo "FAIL: $name.check"; failed=1
    fi
fi
exit $failed
