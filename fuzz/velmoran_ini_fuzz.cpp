// Fuzz target: velmoran.ini read as the settings file; what was read is written back and read
// again.
#include <cstddef>
#include <cstdint>
#include "app/settings_file.h"
#include "fuzz/fuzz_support.h"

using namespace velmoran;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto file = fuzz::writeInput(data, size, "velmoran.ini");
  auto settings = app::readSettings(file);
  if (!settings) return 0;
  (void)settings->sf();
  (void)settings->minuteModelOn();
  (void)settings->minutesPerLesson();
  std::string text = app::formatSettings(*settings);
  auto again = fuzz::writeInput(reinterpret_cast<const std::uint8_t*>(text.data()), text.size(),
                                "velmoran2.ini");
  if (!app::readSettings(again)) __builtin_trap();
  return 0;
}
