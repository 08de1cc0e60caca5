// Fuzz target: UVD.TXT read by the re-import into UVD.
#include <cstddef>
#include <cstdint>
#include "fuzz/fuzz_support.h"
#include "untis/uvd_txt_import.h"

using namespace velmoran;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static fuzz::SilentUi ui;
  app::Workspace& ws = fuzz::workspace(ui);
  untis::importUvd(ws, ui, fuzz::writeInput(data, size, "UVD.TXT"));
  fuzz::keepSmall(ws.table(app::Page::Uvd));
  return 0;
}
