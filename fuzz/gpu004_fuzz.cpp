// Fuzz target: GPU004.TXT read by the teacher import into LEHRER.
#include <cstddef>
#include <cstdint>
#include "fuzz/fuzz_support.h"
#include "untis/gpu004_import.h"

using namespace velmoran;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static fuzz::SilentUi ui;
  app::Workspace& ws = fuzz::workspace(ui);
  untis::importGpu004(ws, ui, fuzz::writeInput(data, size, "GPU004.TXT"));
  fuzz::keepSmall(ws.table(app::Page::Lehrer));
  return 0;
}
