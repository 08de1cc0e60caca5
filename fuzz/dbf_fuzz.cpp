// Fuzz target: a damaged table file opened by the table layer, every record and field read,
// one record appended, flushed and packed, as start-up maintenance and a command would.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_support.h"
#include "store/table.h"

using namespace velmoran;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto file = fuzz::writeInput(data, size, "damaged.dbf");
  auto opened = store::Table::open(file, store::OpenMode::Exclusive);
  if (!opened) return 0;
  store::Table& t = **opened;
  const int fields = static_cast<int>(t.structure().size());
  t.showDeleted(true);
  int visited = 0;
  for (t.goTop(); !t.eof() && visited < 2000; t.skip(), ++visited) {
    (void)t.deleted();
    for (int f = 1; f <= fields; ++f) {
      (void)t.getRaw(f);
      (void)t.getText(f);
      (void)t.getNumber(f);
    }
  }
  if (t.lastRec() > 2000) return 0;
  t.append();
  if (fields > 0) t.put(1, "Ä1");
  t.remove();
  t.flush();
  t.pack();
  return 0;
}
