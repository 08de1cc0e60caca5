#pragma once
// The ten program settings of velmoran.ini, one value per line, and their reading and
// writing. Lines 3, 6, 7, 9 and 10 are held as read, padding included; readers trim.

#include <array>
#include <filesystem>
#include <optional>

#include "store/date.h"
#include "store/result.h"
#include "store/text.h"

namespace velmoran::app {

struct Settings {
  Date reserved1;          // line 1, kept as read
  Text schoolName1;        // line 2
  Text schoolName2;        // line 3
  Text reserved4;          // line 4, kept as read
  Text reserved5;          // line 5, kept as read
  Text schoolForm;         // line 6, the whole entry of the school-form list ("GY=Gymnasium")
  Text lastImport;         // line 7, time stamp of the last GPU002 import
  Text minuteModel;        // line 8, "J" or empty
  Text minutes = "45,00";  // line 9, minutes per lesson with decimal comma
  Text schoolNumber;       // line 10

  // School-form key: the first two characters of the school-form entry without blanks.
  Text sf() const;
  // The minute model is on when line 8 holds "J" (surrounding blanks aside).
  bool minuteModelOn() const;
  // The minutes per lesson of line 9: the number at its start, with a decimal comma or point
  // ("62,25" is 62.25, whatever the locale); nothing when it starts with no number.
  std::optional<double> minutesValue() const;
  // The transfer's minutes: minutesValue(), 45 when line 9 holds no number.
  double minutesPerLesson() const;
};

inline constexpr const char* settingsFileName = "velmoran.ini";

// Read the file; a failure means it cannot be opened.
Result<Settings> readSettings(const std::filesystem::path& file);
// The ten lines as written, each ended by CR LF.
std::string formatSettings(const Settings& settings);
// Write through a temporary file renamed over the old one.
Result<void> writeSettings(const std::filesystem::path& file, const Settings& settings);

}  // namespace velmoran::app
