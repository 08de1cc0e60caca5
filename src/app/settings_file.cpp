#include "app/settings_file.h"

#include <charconv>
#include <system_error>

#include "store/files.h"

namespace velmoran::app {

namespace {
constexpr std::size_t paddedWidth = 32;
constexpr double defaultMinutes = 45;
constexpr const char* crlf = "\r\n";
// An empty date is written the way the date format shows it.
constexpr const char* emptyDateText = "  .  .    ";
}  // namespace

Text Settings::sf() const { return removeBlanks(left(schoolForm, 2)); }

bool Settings::minuteModelOn() const { return trim(minuteModel) == "J"; }

std::optional<double> Settings::minutesValue() const {
  Text t = trim(minutes);
  for (char& c : t)
    if (c == ',') c = '.';
  double value = 0;
  const auto r = std::from_chars(t.data(), t.data() + t.size(), value, std::chars_format::fixed);
  if (r.ec != std::errc()) return std::nullopt;
  return value;
}

double Settings::minutesPerLesson() const { return minutesValue().value_or(defaultMinutes); }

Result<Settings> readSettings(const std::filesystem::path& file) {
  // A folder, or a file far too big for ten lines, cannot be the settings file.
  auto bytes = store::readFile(file, store::smallFileLimit);
  if (!bytes) return fail(bytes.reason());
  Settings s;
  const std::string& text = *bytes;
  std::size_t pos = 0;
  for (int n = 1; n <= 10; ++n) {
    std::size_t end = text.find(crlf, pos);
    if (end == std::string::npos) break;  // a last line without line end is not read
    Text line = text.substr(pos, end - pos);
    pos = end + 2;
    switch (n) {
      case 1:
        s.reserved1 = Date::parse(line);
        break;
      case 2:
        s.schoolName1 = trim(line);
        break;
      case 3:
        s.schoolName2 = line;
        break;
      case 4:
        s.reserved4 = line;
        break;
      case 5:
        s.reserved5 = line;
        break;
      case 6:
        s.schoolForm = line;
        break;
      case 7:
        s.lastImport = line;
        break;
      case 8:
        s.minuteModel = line;
        break;
      case 9:
        s.minutes = line;
        break;
      case 10:
        s.schoolNumber = line;
        break;
    }
  }
  return s;
}

std::string formatSettings(const Settings& s) {
  auto padded = [](const Text& v) { return padRight(v, paddedWidth); };
  std::string out;
  out += (s.reserved1.isEmpty() ? std::string(emptyDateText) : s.reserved1.format()) + crlf;
  out += trim(s.schoolName1) + crlf;
  out += padded(s.schoolName2) + crlf;
  out += s.reserved4 + crlf;
  out += s.reserved5 + crlf;
  out += padded(s.schoolForm) + crlf;
  out += padded(s.lastImport) + crlf;
  out += trim(s.minuteModel) + crlf;
  out += padded(s.minutes) + crlf;
  out += padded(s.schoolNumber) + crlf;
  return out;
}

Result<void> writeSettings(const std::filesystem::path& file, const Settings& settings) {
  return store::writeFileAtomically(file, formatSettings(settings));
}

}  // namespace velmoran::app
