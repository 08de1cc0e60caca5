#!/usr/bin/env bash
# Our NTX index files walked by Perl XBase::Index (ntx_walk.pl, which also checks each key
# against the table and the order of the keys): the key order must follow the byte
# collation, UPPER must fold the German umlauts, and the record order must be the one we
# expect, for one-page indexes and for trees of several levels (there compared with the order
# our own layer walks).
#
#   ntx_perl_check.sh BUILD_DIR
set -euo pipefail
build=$1
walk="/usr/bin/perl $(cd "$(dirname "$0")" && pwd)/ntx_walk.pl"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

"$build/tests/oracle/oracle_write_sample" "$tmp"
cd "$tmp"

failed=0
expect() {  # expect TABLE INDEX ORDER
  local got
  got=$($walk "$1" "$2") || { echo "FAIL $2"; failed=1; return; }
  if [ "$got" != "$3" ]; then
    echo "FAIL $2: walked $got, expected $3"
    failed=1
  fi
}
expect sample.dbf NAME.NTX 8,7,1,3,4,6,5,2
expect sample.dbf UNAME.NTX 4,8,7,1,6,3,5,2
expect sample.dbf NR.NTX 6,8,2,3,1,7,4,5
expect sample.dbf BETRAG.NTX 7,2,6,5,8,4,1,3

# The multi-level trees: Perl's walk must give the order our layer walks.
"$build/tests/oracle/oracle_dump_table" big.dbf KURS.NTX BIGNR.NTX > dump.txt
kurs=$(sed -n 's/^ORDER UPPER(KURS): *//p' dump.txt | tr -d ' ')
nr=$(sed -n 's/^ORDER NR: *//p' dump.txt | tr -d ' ')
[ "$(tr ',' '\n' <<<"$kurs" | wc -l)" -eq 5000 ] || { echo "our walk of KURS.NTX is short"; exit 1; }
expect big.dbf KURS.NTX "$kurs"
expect big.dbf BIGNR.NTX "$nr"

[ $failed -eq 0 ] || exit 1
echo "ntx_perl_check: 6 indexes walked as expected"
