#!/usr/bin/env bash
# Builds the seed corpora of the fuzz targets in OUT_DIR (made if missing).
#
#   tests/fuzz/make-seeds.sh OUT_DIR
#
# OUT_DIR/fieldtext, OUT_DIR/filterfile, OUT_DIR/driverdb, OUT_DIR/designmodel,
# OUT_DIR/designfile and OUT_DIR/setupfile, one per target, get the small seeds kept in tests/fuzz/corpus and the shipped data files:
# the corpus to fuzz from. OUT_DIR/large/<target> gets the large inputs that
# are not worth keeping in the repository (100,000-line files, a line of
# 200,000 characters, more points than a filter file may hold); run them
# once each, or add them to a long run's corpus.
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 OUT_DIR" >&2; exit 2; }
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"
out="$1"

for target in fieldtext filterfile driverdb designmodel designfile setupfile; do
    mkdir -p "$out/$target" "$out/large/$target"
    cp "$here/corpus/$target/"* "$out/$target/"
done

# Line ends of the program's own files.
crlf() { sed 's/$/\r/'; }

# --- design model: a 100,000-character field text ---
{ printf '32.9\n0.38\n0.46\n2.28\n'; head -c 100000 /dev/zero | tr '\0' '7'; printf '\n'; } \
    >"$out/large/designmodel/gen-long-field"

# --- design file: the start-up design ending in a 2 GB hole ---
{ cat "$here/corpus/designfile/start-up-design.dgn"; printf '%%%%hole'; } \
    >"$out/large/designfile/gen-design-then-hole"

# --- setup file: exactly 1 MiB (read), 1 MiB + 1 (refused), and a 2 GB hole ---
sf="$out/large/setupfile"
pad_to() { # FILE SIZE: blanks after the document up to SIZE bytes
    local n=$(( $2 - $(wc -c <"$1") ))
    head -c "$n" /dev/zero | tr '\0' ' ' >>"$1"
}
cp "$here/corpus/setupfile/published-layout" "$sf/gen-1-mib"
pad_to "$sf/gen-1-mib" 1048576
cp "$here/corpus/setupfile/published-layout" "$sf/gen-1-mib-and-1"
pad_to "$sf/gen-1-mib-and-1" 1048577
{ cat "$here/corpus/setupfile/published-layout"; printf '%%%%hole'; } >"$sf/gen-layout-then-hole"
# 10,000 nested arrays as the label.
{ printf '{"format": "dravik-design-setup", "version": 1, "label": '
  head -c 10000 /dev/zero | tr '\0' '['; head -c 10000 /dev/zero | tr '\0' ']'; printf '}\n'; } \
    >"$sf/gen-10000-nested"

# --- field text ---
{ printf '0.'; head -c 5000 /dev/zero | tr '\0' '0'; printf '1e5000'; } >"$out/large/fieldtext/gen-5000-digits"

# --- filter files ---
cp "$root/data/shipped/LP2C40B.FLT" "$out/filterfile/shipped-LP2C40B.FLT"
cp "$root/data/shipped/HP2C16C.FLT" "$out/filterfile/shipped-HP2C16C.FLT"
ff="$out/large/filterfile"
# 50,000 points (100,000 data lines), frequencies climbing 0..1001 again and
# again; the end marker lies far beyond the lines a file may have.
{ echo 'generated: 100,000 data lines'; echo '{'
  seq 0 49999 | awk '{ print $1 % 1002; printf "-%d.%02d\n", $1 % 40, $1 % 100 }'
  echo '}'; } | crlf >"$ff/gen-100k-data-lines"
# 100,000 leading lines before the start marker.
{ seq 1 100000 | awk '{ print "#" }'; echo '{'; echo 10; echo -3; echo 20; echo -4; echo '}'; } \
    | crlf >"$ff/gen-100k-leading-lines"
# 8,200 points inside 0..1001 Hz, more than a file may hold.
{ echo '{'; seq 0 8199 | awk '{ print int($1 / 8.2); print "-" ($1 % 7) ".5" }'; echo '}'; } \
    | crlf >"$ff/gen-8200-points"
# A frequency line of 200,000 digits, CR-only line ends.
{ printf 'long line\r{\r10\r-3.0\r'; head -c 200000 /dev/zero | tr '\0' '9'; printf '\r-4.0\r1000\r-1\r}\r'; } \
    >"$ff/gen-long-line-cr"

# --- driver database ---
{ cat "$root/data/shipped/spkdb.hdr"; printf '%%%%spk.db\n'; cat "$root/data/shipped/spk.db"; } \
    >"$out/driverdb/shipped-database"
db="$out/large/driverdb"
# 3,225 records: 3 + 3,225 * 31 = 99,978 lines.
{ printf '3224\r\n%%%%spk.db\n'
  { echo 'generated'; echo 'database of'; echo '3,225 records'
    seq 0 3224 | awk '{ print "<begin_element>"; print $1; print "Maker " $1; print "Model " $1
                        print "Comment " $1; for (k = 0; k < 25; ++k) print k; print "<end_element>" }'
  } | crlf; } >"$db/gen-100k-lines"
# A header announcing far more records than the file holds.
{ printf '999999\r\n%%%%spk.db\n'; head -c 1000 "$db/gen-100k-lines" | tail -n +3; } \
    >"$out/driverdb/gen-missing-records"
# A record whose model is one line of 100,000 characters.
{ printf '0\r\n%%%%spk.db\nh1\r\nh2\r\nh3\r\n<begin_element>\r\n0\r\nMaker\r\n'
  head -c 100000 /dev/zero | tr '\0' 'M'; printf '\r\n'
  seq 1 26 | crlf; printf '<end_element>\r\n'; } >"$db/gen-long-field"
