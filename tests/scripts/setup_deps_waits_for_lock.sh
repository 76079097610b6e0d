#!/usr/bin/env bash
# scripts/setup-deps.sh waits for the package manager's lock: every apt-get
# call it makes (the install, and the update and install after a failed
# first try) carries apt's lock timeout. apt-get, dpkg-query and sudo are
# stand-ins that record the calls, so nothing is installed.
#   setup_deps_waits_for_lock.sh SETUP_DEPS
set -euo pipefail
setupDeps="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"
# No package installed; the first install fails as under a held lock.
printf '#!/bin/sh\nexit 1\n' > "$work/bin/dpkg-query"
printf '#!/bin/sh\necho "$*" >> "%s/calls"\n[ -e "%s/failed" ] && exit 0\ntouch "%s/failed"\nexit 100\n' \
    "$work" "$work" "$work" > "$work/bin/apt-get"
printf '#!/bin/sh\nexec "$@"\n' > "$work/bin/sudo"
chmod +x "$work/bin/"*

PATH="$work/bin:$PATH" bash "$setupDeps" > /dev/null
failed=0
[ "$(wc -l < "$work/calls")" -eq 3 ] || { echo "FAIL: not install, update, install"; failed=1; }
while read -r call; do
    case "$call" in
    "-o DPkg::Lock::Timeout=600 "*) ;;
    *) echo "FAIL: apt-get without the lock timeout: $call"; failed=1 ;;
    esac
done < "$work/calls"
[ "$failed" -eq 0 ] && echo "setup-deps.sh waits for the package manager's lock"
exit "$failed"
