#include "help/help_about.h"

#include <chrono>
#include <ctime>

#include "store/date.h"

namespace velmoran::help {

namespace {
void save(app::Workspace& ws, app::Ui& ui) {
  if (!ws.saveSettings())
    ui.warning(app::programTitle, "Die Velmoran.INI kann nicht geschrieben werden !");
}
}  // namespace

AboutValues aboutValues(const app::Settings& s) {
  AboutValues v;
  v.schoolForm = trimRight(s.schoolForm);
  v.minuteModel = s.minuteModelOn();
  v.minutes = trim(s.minutes);
  v.schoolName1 = trim(s.schoolName1);
  v.schoolName2 = trimRight(s.schoolName2);
  v.schoolNumber = trim(s.schoolNumber);
  return v;
}

bool confirmAbout(app::Workspace& ws, app::Ui& ui, const AboutValues& v) {
  if (trim(v.schoolForm).empty()) {
    ui.warning(aboutCaption, "Sie haben keine Schulform gewählt !");
    return false;
  }
  app::Settings& s = ws.settings;
  s.schoolForm = v.schoolForm;
  s.minutes = v.minutes;
  s.minuteModel = v.minuteModel ? "J" : "";
  s.schoolName1 = v.schoolName1;
  s.schoolName2 = v.schoolName2;
  s.schoolNumber = v.schoolNumber;
  save(ws, ui);
  return true;
}

void finishAbout(app::Workspace& ws, app::Ui& ui, bool minuteModel) {
  ws.settings.minuteModel = minuteModel ? "J" : "";
  save(ws, ui);
  ws.fillZulFaecher();
}

Text programFileDate(const std::filesystem::path& programFile) {
  std::error_code ec;
  auto written = std::filesystem::last_write_time(programFile, ec);
  if (ec) return {};
  auto system = std::chrono::time_point_cast<std::chrono::system_clock::duration>(
      written - std::filesystem::file_time_type::clock::now() + std::chrono::system_clock::now());
  return localTimeText(std::chrono::system_clock::to_time_t(system), "%d.%m.%Y");
}

}  // namespace velmoran::help
