// Fuzz target: GPU002.TXT read by the teaching distribution import into GPSUL.
#include <cstddef>
#include <cstdint>
#include "fuzz/fuzz_support.h"
#include "untis/gpu002_import.h"

using namespace velmoran;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static fuzz::SilentUi ui;
  app::Workspace& ws = fuzz::workspace(ui);
  untis::importGpu002(ws, ui, fuzz::writeInput(data, size, "GPU002.TXT"));
  fuzz::keepSmall(ws.table(app::Page::Gpsul));
  return 0;
}
