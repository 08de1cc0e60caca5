// Writes tables and index files with our table layer for the independent readers to check:
//
//   oracle_write_sample DIR
//   oracle_write_sample --index TABLE.dbf INDEX.ntx KEY [INDEX.ntx KEY ...]
//
// DIR/sample.dbf: every field type, umlauts, negative numbers, an empty date, a deleted
// record, a record with unset fields; its orders NAME.NTX (NAME), UNAME.NTX (UPPER(NAME)),
// NR.NTX (NR), BETRAG.NTX (BETRAG).
// DIR/big.dbf: 5000 records, some deleted, with KURS.NTX (UPPER(KURS)) and BIGNR.NTX (NR):
// trees of several levels.
// With --index: builds index files over an existing table (one written by another program).

#include <cstdio>
#include <filesystem>
#include <string>

#include "store/table.h"

namespace fs = std::filesystem;
using namespace velmoran;
using namespace velmoran::store;

namespace {

struct Row {
  const char* name;  // Windows-1252
  double betrag;
  int year, month, day;  // 0: empty date
  bool aktiv;
  double nr;
  bool deleted;
};

const Row rows[] = {
    {"M\xFCller", 12.5, 2024, 3, 1, true, 3, false},
    {"\xD6zt\xFCrk", -3.25, 0, 0, 0, false, 1, false},
    {"Stra\xDF"
     "e",
     1000, 1999, 12, 31, false, 2, false},
    {"gel\xF6scht", 7, 2020, 1, 2, true, 4, true},
    {"\xC4rger", 0, 2000, 2, 29, true, 10, false},
    {"m\xFCller", -0.5, 2024, 3, 2, true, -7, false},
    {"Mueller", -120.75, 2024, 3, 3, true, 3, false},
};

bool check(const Result<int>& r, const char* what) {
  if (!r) std::fprintf(stderr, "%s: %s\n", what, r.reason().c_str());
  return r.ok();
}

bool writeSample(const fs::path& dir) {
  fs::path file = dir / "sample.dbf";
  Structure s = {{"NAME", 'C', 20, 0},
                 {"BETRAG", 'N', 8, 2},
                 {"DATUM", 'D', 8, 0},
                 {"AKTIV", 'L', 1, 0},
                 {"NR", 'N', 5, 0}};
  if (auto r = Table::create(file, s); !r) {
    std::fprintf(stderr, "%s\n", r.reason().c_str());
    return false;
  }
  auto t = Table::open(file, OpenMode::Exclusive);
  if (!t) return false;
  Table& table = **t;
  bool ok = check(table.createOrder(dir / "NAME.NTX", "NAME", "NAME"), "NAME.NTX") &&
            check(table.createOrder(dir / "UNAME.NTX", "UPPER(NAME)", "UNAME"), "UNAME.NTX") &&
            check(table.createOrder(dir / "NR.NTX", "NR", "NR"), "NR.NTX");
  for (const Row& row : rows) {
    table.append();
    table.put("NAME", row.name);
    table.put("BETRAG", row.betrag);
    if (row.year) table.put("DATUM", *Date::make(row.year, row.month, row.day));
    table.putLogical("AKTIV", row.aktiv);
    table.put("NR", row.nr);
    if (row.deleted) table.remove();
  }
  table.append();  // only a name, every other field left unset
  table.put("NAME", "Leer");
  // An order created after the records, the others kept up to date while appending.
  ok = ok && check(table.createOrder(dir / "BETRAG.NTX", "BETRAG", "BETRAG"), "BETRAG.NTX");
  table.flush();
  return ok;
}

bool writeBig(const fs::path& dir) {
  fs::path file = dir / "big.dbf";
  if (!Table::create(file, {{"KURS", 'C', 30, 0}, {"NR", 'N', 6, 0}})) return false;
  auto t = Table::open(file, OpenMode::Exclusive);
  if (!t) return false;
  Table& table = **t;
  bool ok = check(table.createOrder(dir / "KURS.NTX", "UPPER(KURS)", "KURS"), "KURS.NTX") &&
            check(table.createOrder(dir / "BIGNR.NTX", "NR", "NR"), "BIGNR.NTX");
  unsigned seed = 4711;
  for (int i = 0; i < 5000; ++i) {
    seed = seed * 1103515245 + 12345;
    unsigned v = (seed >> 8) % 1500;
    table.append();
    std::string kurs = (v % 3 == 0 ? "kurs " : "Kurs ") + std::to_string(v % 400);
    if (v % 7 == 0) kurs += " \xFC";  // ü
    table.put("KURS", kurs);
    table.put("NR", static_cast<double>(static_cast<int>(v) - 500));
    if (v % 11 == 0) table.remove();
  }
  table.flush();
  return ok;
}

bool writeIndexes(int argc, char** argv) {
  auto t = Table::open(argv[2], OpenMode::Exclusive);
  if (!t) {
    std::fprintf(stderr, "%s\n", t.reason().c_str());
    return false;
  }
  bool ok = true;
  for (int a = 3; a + 1 < argc; a += 2)
    ok = check((*t)->createOrder(argv[a], argv[a + 1]), argv[a]) && ok;
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 5 && std::string(argv[1]) == "--index") return writeIndexes(argc, argv) ? 0 : 1;
  if (argc != 2) {
    std::fprintf(stderr, "usage: oracle_write_sample DIR | --index TABLE INDEX KEY...\n");
    return 2;
  }
  fs::path dir = argv[1];
  return writeSample(dir) && writeBig(dir) ? 0 : 1;
}
