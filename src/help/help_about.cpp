#include "help/help_about.h"

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
  return fileTimeText(programFile, "%d.%m.%Y");
}

}  // namespace velmoran::help
