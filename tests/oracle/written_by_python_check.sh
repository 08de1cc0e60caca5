#!/usr/bin/env bash
# A table written by python3-dbf (dBASE III, code page 850, dBASE's own header layout with a
# single 0x0D terminator, field offsets in the descriptors, '?' for an unset logical) read by
# our table layer, with an index we build over it.
#
#   written_by_python_check.sh BUILD_DIR
set -euo pipefail
build=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

/usr/bin/python3 - "$tmp/py.dbf" <<'PY'
import datetime, sys
import dbf
t = dbf.Table(sys.argv[1], "NAME C(20); BETRAG N(8,2); DATUM D; AKTIV L; NR N(5,0)",
              dbf_type="db3", codepage="cp850")
t.open(dbf.READ_WRITE)
t.append(("Müller", 12.5, datetime.date(2024, 3, 1), True, 3))
t.append(("Öztürk", -3.25, None, False, -7))
t.append(("Straße", None, datetime.date(1999, 12, 31), None, None))
t.append(("gelöscht", 7, datetime.date(2020, 1, 2), True, 4))
t.append(("Ärger", 0, datetime.date(2000, 2, 29), True, 10))
dbf.delete(t[3])
t.close()
PY

cat > "$tmp/expected.txt" <<'TXT'
FIELDS NAME:C:20:0 BETRAG:N:8:2 DATUM:D:8:0 AKTIV:L:1:0 NR:N:5:0
COUNT 5
1 live Müller|12.50|2024-03-01|T|3
2 live Öztürk|-3.25||F|-7
3 live Straße||1999-12-31||
4 deleted gelöscht|7.00|2020-01-02|T|4
5 live Ärger|0.00|2000-02-29|T|10
ORDER UPPER(NAME): 4,1,3,5,2
ORDER NR: 2,3,1,4,5
TXT

# Build two indexes with our layer, then print the table and the orders as we read them.
"$build/tests/oracle/oracle_write_sample" --index "$tmp/py.dbf" "$tmp/UNAME.NTX" "UPPER(NAME)" \
  "$tmp/NR.NTX" "NR"
"$build/tests/oracle/oracle_dump_table" "$tmp/py.dbf" "$tmp/UNAME.NTX" "$tmp/NR.NTX" > "$tmp/actual.txt"
if diff -u "$tmp/expected.txt" "$tmp/actual.txt"; then
  echo "written_by_python_check: 1 passed, 0 failed"
else
  echo "written_by_python_check: 0 passed, 1 failed"
  exit 1
fi
