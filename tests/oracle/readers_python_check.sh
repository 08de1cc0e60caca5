#!/usr/bin/env bash
# Our tables read by the Debian Python readers dbfread and python3-dbf: field names, types,
# widths and decimals, umlauts (decoded through the code-page mark 0x02 = cp850), numbers
# with decimals, dates, logicals, unset values and the deleted record.
#
#   readers_python_check.sh BUILD_DIR
set -euo pipefail
build=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

"$build/tests/oracle/oracle_write_sample" "$tmp"

/usr/bin/python3 - "$tmp/sample.dbf" <<'PY'
import datetime, sys
import dbf, dbfread

path = sys.argv[1]
D = datetime.date
fields = [("NAME", "C", 20, 0), ("BETRAG", "N", 8, 2), ("DATUM", "D", 8, 0),
          ("AKTIV", "L", 1, 0), ("NR", "N", 5, 0)]
# recno: (deleted, NAME, BETRAG, DATUM, AKTIV, NR); None = unset
records = {
    1: (False, "Müller", 12.5, D(2024, 3, 1), True, 3),
    2: (False, "Öztürk", -3.25, None, False, 1),
    3: (False, "Straße", 1000.0, D(1999, 12, 31), False, 2),
    4: (True, "gelöscht", 7.0, D(2020, 1, 2), True, 4),
    5: (False, "Ärger", 0.0, D(2000, 2, 29), True, 10),
    6: (False, "müller", -0.5, D(2024, 3, 2), True, -7),
    7: (False, "Mueller", -120.75, D(2024, 3, 3), True, 3),
    8: (False, "Leer", None, None, None, None),
}
failures = []

def expect(what, got, wanted):
    if got != wanted:
        failures.append(f"{what}: got {got!r}, expected {wanted!r}")

# dbfread: encoding taken from byte 29 (no encoding given).
t = dbfread.DBF(path, load=True)
expect("dbfread encoding", t.encoding, "cp850")
expect("dbfread fields", [(f.name, f.type, f.length, f.decimal_count) for f in t.fields], fields)
live = [r for r in records.values() if not r[0]]
expect("dbfread live count", len(t.records), len(live))
expect("dbfread deleted count", len(t.deleted), 1)
for got, want in zip(t.records, live):
    expect(f"dbfread {want[1]}", [got[f[0]] for f in fields], list(want[1:]))
expect("dbfread deleted record", t.deleted[0]["NAME"], "gelöscht")

# python3-dbf: code page from byte 29 as well.
t = dbf.Table(path)
t.open(dbf.READ_ONLY)
try:
    expect("dbf codepage", t.codepage.name, "cp850")
    expect("dbf record count", len(t), len(records))
    for name, typ, length, dec in fields:
        info = t.field_info(name.lower())  # python3-dbf names fields in lower case
        expect(f"dbf field {name}", (chr(info.field_type), info.length, info.decimal), (typ, length, dec))
    for i, rec in enumerate(t, start=1):
        want = records[i]
        expect(f"dbf {i} deleted", dbf.is_deleted(rec), want[0])
        name, betrag, datum, aktiv, nr = (rec[f[0].lower()] for f in fields)
        expect(f"dbf {i} NAME", name.rstrip(), want[1])
        expect(f"dbf {i} BETRAG", betrag, want[2])
        expect(f"dbf {i} DATUM", datum if datum else None, want[3])
        expect(f"dbf {i} AKTIV", aktiv if aktiv is None else bool(aktiv), want[4])
        expect(f"dbf {i} NR", nr, want[5])
finally:
    t.close()

for f in failures:
    print("FAIL", f)
print(f"readers_python_check: {0 if failures else 2} passed, {len(failures)} failed")
sys.exit(1 if failures else 0)
PY
