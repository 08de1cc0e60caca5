#include "untis/export_launch.h"

#include <string>
#include <system_error>

#include "untis/untis_ini.h"

namespace velmoran::untis {

namespace {

constexpr int pauseMilliseconds = 1000;

// An entry missing from a shorter list counts as empty, as does one of blanks only.
Text entry(const std::vector<Text>& entries, std::size_t i) {
  return i < entries.size() ? entries[i] : Text();
}
bool isFilled(const std::vector<Text>& entries, std::size_t i) {
  return !trim(entry(entries, i)).empty();
}

Text waitText(int secondsLeft) {
  return "Untis exportiert … noch " + std::to_string(secondsLeft) + " Sekunden";
}

}  // namespace

std::optional<ExportCommand> exportCommand(const std::vector<Text>& entries,
                                           std::string_view exportSwitch, const Text& target) {
  Text exportParameter = Text(exportSwitch) + target;
  if (entries.size() > 1 && isFilled(entries, dbProgram) && isFilled(entries, dbName)) {
    // The program and the database name are taken as held, user and password trimmed.
    return ExportCommand{entry(entries, dbProgram),
                         {"DB=" + entry(entries, dbName), "/user=" + trim(entry(entries, dbUser)),
                          "/pw=" + trim(entry(entries, dbPassword)), exportParameter}};
  }
  if (entries.size() > 5 && isFilled(entries, fileProgram) && isFilled(entries, untisFile)) {
    return ExportCommand{trim(entry(entries, fileProgram)),
                         {trim(entry(entries, untisFile)), exportParameter}};
  }
  return std::nullopt;
}

std::optional<std::filesystem::path> launchExport(app::Workspace& ws, app::Ui& ui,
                                                  std::string_view exportSwitch,
                                                  std::string_view fileName) {
  if (ws.AUNTIS_ARRAY.empty()) getFromUntisIni(ws);
  std::filesystem::path target = ws.dataDir() / std::string(fileName);
  auto command = exportCommand(ws.AUNTIS_ARRAY, exportSwitch, ws.dataDirText() + Text(fileName));
  if (!command) return std::nullopt;
  // A file left from an earlier export must not pass for the new one.
  std::error_code ec;
  std::filesystem::remove(target, ec);
  ui.startProgram(command->program, command->parameters);
  // Untis is not observed: the wait is fixed and ends no earlier.
  for (int left = exportWaitSeconds; left >= 1; --left) ui.pause(pauseMilliseconds, waitText(left));
  return target;
}

}  // namespace velmoran::untis
