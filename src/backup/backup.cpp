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

#ifdef _WIN32
#include <windows.h>
#endif

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

// Copy a file of the data directory into the backup folder, over a copy of any case.
bool saveFile(const app::Workspace& ws, const fs::path& secure, std::string_view name) {
  return copyFile(ws.dataFile(name), store::findInDir(secure, name));
}

}  // namespace

fs::path secureFolder(const app::Workspace& ws) {
  return store::findInDir(ws.dataDir(), app::secureFolderName);
}

bool copyFile(const fs::path& from, const fs::path& to) {
  std::error_code ec;
  if (!fs::is_regular_file(from, ec)) return false;
#ifdef _WIN32
  // MinGW's std::filesystem::copy_file refuses to overwrite (it takes every two files of a
  // drive for the same file), so the system copies.
  return CopyFileW(from.c_str(), to.c_str(), FALSE) != 0;
#else
  return fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec) && !ec;
#endif
}

void saveData(app::Workspace& ws, app::Ui& ui) {
  const fs::path secure = secureFolder(ws);
  std::error_code ec;
  fs::create_directory(secure, ec);  // normally made at start-up; a failure shows in the copies
  std::vector<Text> saved;
  for (app::Page page : backupOrder) {
    const char* name = app::tableInfo(page).fileName;
    // What the open table still holds in memory goes to its file first.
    ws.table(page).flush();
    if (saveFile(ws, secure, name))
      saved.emplace_back(name);
    else
      ui.warning(app::mainWindowCaption(), notSavedText(name));
  }
  // The settings files: a failed copy is not reported.
  if (saveFile(ws, secure, app::settingsFileName)) saved.emplace_back(app::settingsFileName);
  for (const char* optional : {app::columnLayoutFileName, app::untisIniFileName})
    if (fs::exists(ws.dataFile(optional), ec) && saveFile(ws, secure, optional))
      saved.emplace_back(optional);

  const Text count = app::counted(saved.size(), "Datei", "Dateien");
  ui.status("Datensicherung: " + count + " nach SECURE gesichert");
  Text list;
  for (const Text& name : saved) list += "\r\n" + name;
  ui.info(Text(app::programTitle) + " / Datensicherung",
          "Am " + Date::today().format() + " " + (saved.size() == 1 ? "wurde " : "wurden ") +
              count + " nach " + store::pathText(secure) + " gesichert:" + list);
}

}  // namespace velmoran::backup
