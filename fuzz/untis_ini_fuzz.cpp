// Fuzz target: Untis.ini parsed into the six Untis settings, formatted and parsed again.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include "fuzz/fuzz_support.h"
#include "untis/untis_ini.h"

using namespace velmoran;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::vector<Text> entries = untis::parseUntisIni(bytes);
  std::array<Text, untis::untisEntryCount> six{};
  for (std::size_t i = 0; i < six.size() && i < entries.size(); ++i) six[i] = entries[i];
  (void)untis::parseUntisIni(untis::formatUntisIni(six));
  if (untis::scramble(untis::scramble(bytes)) != bytes) __builtin_trap();
  return 0;
}
