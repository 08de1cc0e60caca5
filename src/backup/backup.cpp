#include "backup/backup.h"

#include <system_error>
#include <vector>

#include "app/column_layout_file.h"
#include "app/os_version.h"
#include "app/settings_file.h"
#include "app/startup.h"
#include "store/code_page.h"
#include "store/date.h"
#include "store/files.h"
#include "store/table.h"

namespace velmoran::backup {

namespace fs = std::filesystem;

namespace {

// The tables in the order of the backup.
constexpr app::Page backupOrder[] = {app::Page::Gpsul,  app::Page::Fach,       app::Page::Klasse,
                                     app::Page::Lehrer, app::Page::MehrMinder, app::Page::Uvd,
                                     app::Page::Zulfach};

Text notSavedText(std::string_view fileName) {
  return "Die Datei \"" + Text(fileName) + "\" konnte nicht gesichert werden !";
}

// Copy a file of the data directory into the backup folder, over a copy of any case; the
// previous copy stays unless the new one is complete.
bool saveFile(const app::Workspace& ws, const fs::path& secure, std::string_view name,
              const store::AcceptFile& accept = {}) {
  return store::copyFileAtomically(ws.dataFile(name), store::findInDir(secure, name), accept);
}

// A copy of a table is taken only when its header agrees with its length.
bool isCompleteTable(const fs::path& file) {
  auto facts = store::Table::inspect(file);
  return facts && facts->complete;
}

Text listed(const std::vector<Text>& names) {
  Text list;
  for (const Text& name : names) list += "\r\n" + name;
  return list;
}

}  // namespace

fs::path secureFolder(const app::Workspace& ws) {
  return store::findInDir(ws.dataDir(), app::secureFolderName);
}

void saveData(app::Workspace& ws, app::Ui& ui) {
  const fs::path secure = secureFolder(ws);
  std::error_code ec;
  fs::create_directory(secure, ec);  // normally made at start-up; a failure shows in the copies
  std::vector<Text> saved;
  std::vector<Text> kept;
  for (app::Page page : backupOrder) {
    const char* name = app::tableInfo(page).fileName;
    // What the open table still holds in memory goes to its file first.
    ws.table(page).flush();
    if (saveFile(ws, secure, name, isCompleteTable)) {
      saved.emplace_back(name);
    } else {
      ui.warning(app::mainWindowCaption(), notSavedText(name));
      kept.emplace_back(name);
    }
  }
  // The settings files: a failed copy has no warning of its own.
  std::vector<const char*> settingsFiles = {app::settingsFileName};
  for (const char* optional : {app::columnLayoutFileName, app::untisIniFileName})
    if (fs::exists(ws.dataFile(optional), ec)) settingsFiles.push_back(optional);
  for (const char* name : settingsFiles)
    (saveFile(ws, secure, name) ? saved : kept).emplace_back(name);

  const Text count = app::counted(saved.size(), "Datei", "Dateien");
  ui.status("Datensicherung: " + count + " nach SECURE gesichert");
  Text text = "Am " + Date::today().format() + " " + (saved.size() == 1 ? "wurde " : "wurden ") +
              count + " nach " + store::pathText(secure) + " gesichert:" + listed(saved);
  if (!kept.empty())
    text += "\r\nNicht gesichert (die vorige Sicherung bleibt erhalten):" + listed(kept);
  ui.info(Text(app::programTitle) + " / Datensicherung", text);
}

}  // namespace velmoran::backup
