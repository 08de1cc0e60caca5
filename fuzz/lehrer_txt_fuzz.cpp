// Fuzz target: LEHRER.TXT read by the extra and reduced work import into MEHR_MINDER.
#include <cstddef>
#include <cstdint>
#include "fuzz/fuzz_support.h"
#include "untis/lehrer_txt_import.h"

using namespace velmoran;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static fuzz::SilentUi ui;
  app::Workspace& ws = fuzz::workspace(ui);
  ui.file = fuzz::writeInput(data, size, "LEHRER.TXT");
  untis::readLehrerTxt(ws, ui);
  fuzz::keepSmall(ws.table(app::Page::MehrMinder));
  return 0;
}
