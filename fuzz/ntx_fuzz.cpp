// Fuzz target: a damaged NTX index file opened for a small table, then walked and searched in
// its order, a key changed and the index written again; and the same file opened released
// (only its header read), the top found through the file and the order walked.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz/fuzz_support.h"
#include "store/table.h"

using namespace velmoran;

namespace {

std::unique_ptr<store::Table> smallTable() {
  auto file = fuzz::scratchDir() / "keyed.dbf";
  store::Structure s = {{"KEY", 'C', 8, 0}, {"NUM", 'N', 6, 1}};
  if (!store::Table::create(file, s)) std::abort();
  auto t = store::Table::open(file, store::OpenMode::Exclusive);
  if (!t) std::abort();
  const char* keys[] = {"MEIER", "ÖZTÜRK", "abel", "ZANDER", "MEIER", "", "Ärger"};
  double n = 0;
  for (const char* k : keys) {
    (*t)->append();
    (*t)->put("KEY", k);
    (*t)->put("NUM", n += 1.5);
  }
  (*t)->flush();
  return std::move(*t);
}

}  // namespace

// With VELMORAN_NTX_SEEDS set to a folder, write index files of the small table there first:
// seeds that already hold a valid header and tree.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const char* seeds = std::getenv("VELMORAN_NTX_SEEDS");
  if (!seeds) return 0;
  auto t = smallTable();
  const char* keys[] = {"KEY", "UPPER(KEY)", "NUM"};
  int n = 0;
  for (const char* key : keys)
    if (!t->createOrder(std::filesystem::path(seeds) / ("seed" + std::to_string(++n) + ".ntx"),
                        key))
      std::abort();
  t->flush();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static std::unique_ptr<store::Table> t = smallTable();
  auto ntx = fuzz::writeInput(data, size, "damaged.ntx");
  if (auto released = t->openOrder(ntx, store::Table::OrderKeys::released)) {
    t->setOrder(*released);
    t->goTop();
    if (!t->eof()) (void)t->getText(1);
    for (t->goTop(); !t->eof(); t->skip()) (void)t->getText(1);
    t->setOrder(0);
    t->closeOrders();
    ntx = fuzz::writeInput(data, size, "damaged.ntx");
  }
  auto order = t->openOrder(ntx);
  if (!order) return 0;
  t->setOrder(*order);
  for (t->goTop(); !t->eof(); t->skip()) (void)t->getText(1);
  (void)t->seek("ME");
  (void)t->seek("Z", true);
  (void)t->seek(3.0, true);
  t->goTop();
  if (!t->eof()) t->put(1, "NEU");
  t->flush();
  t->setOrder(0);
  t->closeOrders();
  return 0;
}
