// Prints a table as our table layer reads it, for comparison with what another program wrote:
//
//   oracle_dump_table TABLE.dbf [INDEX.ntx ...]
//
// Output (UTF-8): "FIELDS NAME:C:20:0 ...", "COUNT n", then one line per record
// "recno live|deleted value|value|..." (characters without trailing blanks, numbers with
// their decimals, dates YYYY-MM-DD, logicals T/F; unset values empty), then per index file
// "ORDER expression: recno,recno,..." (deleted records included).

#include <cstdio>
#include <string>

#include "store/code_page.h"
#include "store/table.h"

using namespace velmoran;
using namespace velmoran::store;

namespace {

std::string value(Table& t, int pos, const Field& f) {
  std::string raw = t.getRaw(pos);
  if (raw.find_first_not_of(' ') == std::string::npos) return "";
  char buf[64];
  switch (f.type) {
    case 'N':
      std::snprintf(buf, sizeof buf, "%.*f", f.decimals, t.getNumber(pos));
      return buf;
    case 'D': {
      Date d = t.getDate(pos);
      if (d.isEmpty()) return "";
      std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", d.year(), d.month(), d.day());
      return buf;
    }
    default:
      return windows1252ToUtf8(t.getText(pos));
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: oracle_dump_table TABLE.dbf [INDEX.ntx ...]\n");
    return 2;
  }
  auto opened = Table::open(argv[1], OpenMode::Shared);
  if (!opened) {
    std::fprintf(stderr, "%s\n", opened.reason().c_str());
    return 1;
  }
  Table& t = **opened;
  t.showDeleted(true);
  std::printf("FIELDS");
  for (const Field& f : t.structure())
    std::printf(" %s:%c:%d:%d", f.name.c_str(), f.type, f.length, f.decimals);
  std::printf("\nCOUNT %u\n", t.lastRec());
  for (t.goTop(); !t.eof(); t.skip()) {
    std::printf("%u %s", t.recno(), t.deleted() ? "deleted" : "live");
    for (std::size_t i = 0; i < t.structure().size(); ++i) {
      int pos = static_cast<int>(i) + 1;
      std::printf("%c%s", i == 0 ? ' ' : '|', value(t, pos, t.structure()[i]).c_str());
    }
    std::printf("\n");
  }
  for (int a = 2; a < argc; ++a) {
    auto n = t.openOrder(argv[a]);
    if (!n) {
      std::fprintf(stderr, "%s: %s\n", argv[a], n.reason().c_str());
      return 1;
    }
    t.setOrder(*n);
    std::printf("ORDER %s:", t.orderKey(*n).c_str());
    const char* sep = " ";
    for (t.goTop(); !t.eof(); t.skip(), sep = ",") std::printf("%s%u", sep, t.recno());
    std::printf("\n");
  }
  return 0;
}
