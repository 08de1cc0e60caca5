// Fuzz target: VELMORAN_Column.INI parsed into the seven column layouts.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include "app/column_layout_file.h"
#include "fuzz/fuzz_support.h"

using namespace velmoran;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  (void)app::parseColumnLayouts(text);
  return 0;
}
