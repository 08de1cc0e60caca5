#!/usr/bin/env bash
# Our NTX index files walked by Perl XBase::Index through dbf-check: the key order must follow
# the byte collation, the keys must match the table (UPPER folding the German umlauts), and
# the record order must be the one we expect, for one-page indexes and for trees of several
# levels (there compared with the order our own layer walks).
#
#   ntx_perl_check.sh BUILD_DIR SHARED_DIR
set -euo pipefail
build=$1
shared=$2
check="$shared/tools/dbf-check"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

"$build/tests/oracle/oracle_write_sample" "$tmp"
cd "$tmp"

bash "$check" -q -c binary -u de850 \
  -n NAME.NTX -x 8,7,1,3,4,6,5,2 \
  -n UNAME.NTX -x 4,8,7,1,6,3,5,2 \
  -n NR.NTX -x 6,8,2,3,1,7,4,5 \
  -n BETRAG.NTX -x 7,2,6,5,8,4,1,3 \
  sample.dbf

# The multi-level trees: Perl's walk must give the order our layer walks.
"$build/tests/oracle/oracle_dump_table" big.dbf KURS.NTX BIGNR.NTX > dump.txt
grep '^ORDER UPPER(KURS):' dump.txt | cut -d: -f2 | tr -d ' ' > kurs.order
grep '^ORDER NR:' dump.txt | cut -d: -f2 | tr -d ' ' > nr.order
[ "$(tr ',' '\n' < kurs.order | wc -l)" -eq 5000 ] || { echo "our walk of KURS.NTX is short"; exit 1; }
bash "$check" -q -c binary -u de850 -n KURS.NTX -x @kurs.order -n BIGNR.NTX -x @nr.order big.dbf

echo "ntx_perl_check: 2 passed, 0 failed"
