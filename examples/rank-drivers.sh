#!/bin/sh
# Every driver of a driver database ranked as a CSV table: see dravik-rank(1).
exec "${DRAVIK_RANK:-dravik-rank}" "$@"
