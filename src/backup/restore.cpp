#include "backup/restore.h"

#include <optional>
#include <system_error>

#include "app/column_layout_file.h"
#include "app/settings_file.h"
#include "backup/backup.h"
#include "store/files.h"
#include "store/schema.h"

namespace velmoran::backup {

namespace fs = std::filesystem;

namespace {

using app::Page;

enum class Kind { table, settings, layouts, untisSettings };

struct Entry {
  const char* name;      // as the dialog lists it
  const char* fileName;  // the file in the data directory and in the backup folder
  Kind kind;
  Page page;  // for tables
};

constexpr Entry entries[] = {
    {"gpsul.dbf", "gpsul.dbf", Kind::table, Page::Gpsul},
    {"uvd.dbf", "uvd.dbf", Kind::table, Page::Uvd},
    {"zulfach.dbf", "zulfach.dbf", Kind::table, Page::Zulfach},
    {"fach.dbf", "fach.dbf", Kind::table, Page::Fach},
    {"klasse.dbf", "klasse.dbf", Kind::table, Page::Klasse},
    {"lehrer.dbf", "lehrer.dbf", Kind::table, Page::Lehrer},
    {"mehr_minder.dbf", "mehr_minder.dbf", Kind::table, Page::MehrMinder},
    {"VELMORAN.INI", app::settingsFileName, Kind::settings, Page::Gpsul},
    {"VELMORAN_Column.INI", app::columnLayoutFileName, Kind::layouts, Page::Gpsul},
    {"UNTIS.INI", app::untisIniFileName, Kind::untisSettings, Page::Gpsul},
};

Text notRestoredText(std::string_view fileName) {
  return "Die Datei \"" + Text(fileName) + "\" konnte nicht zurückgelesen werden !";
}

const Entry* entryNamed(std::string_view name) {
  const Text wanted = upper(name);
  for (const Entry& e : entries)
    if (upper(e.name) == wanted) return &e;
  return nullptr;
}

fs::path withSuffix(const fs::path& file, const char* suffix) {
  fs::path p = file;
  p += suffix;
  return p;
}

// Copy `from` over `to` through a temporary file beside `to`, so a failed copy leaves `to`
// whole. The file it replaces is kept as `previous` (when there was one) for the caller to
// put back or remove.
bool replaceFile(const fs::path& from, const fs::path& to, const fs::path& previous) {
  std::error_code ec;
  const fs::path temp = withSuffix(to, ".restore");
  if (!copyFile(from, temp)) {
    fs::remove(temp, ec);
    return false;
  }
  const bool hadFile = fs::exists(to, ec);
  if (hadFile) fs::rename(to, previous, ec);
  if (!ec) fs::rename(temp, to, ec);
  if (ec) {
    fs::remove(temp, ec);
    if (hadFile && fs::exists(previous, ec)) fs::rename(previous, to, ec);
    return false;
  }
  return true;
}

// Build every index of the table again from its records: the index files on disk belong to
// the table as it was before the restore.
void reindex(app::Workspace& ws, Page page) {
  store::Table& t = ws.table(page);
  t.closeOrders();
  for (const auto& index : store::tableSpec(app::tableInfo(page).name).indexes) {
    // A failure leaves the order out; the next start builds every index file anew.
    static_cast<void>(t.createOrder(ws.dataFile(index.fileName), index.key, index.orderName));
  }
  if (t.orderCount() > 0) t.setOrder(1);
  t.goTop();
  t.flush();
}

// The page's table lets go of its file, the backup copy replaces it, and the table is opened
// again. A copy that does not open as a table is taken back: the table stays as it was.
// True when the copy is the table now.
bool restoreTable(app::Workspace& ws, app::Ui& ui, Page page, const fs::path& copy) {
  const char* fileName = app::tableInfo(page).fileName;
  // Closing writes what the table holds in memory, so nothing of it is written later over
  // the restored file.
  ws.closeTable(page);
  const fs::path target = ws.dataFile(fileName);
  const fs::path previous = withSuffix(target, ".previous");
  std::error_code ec;
  const bool replaced = fs::exists(copy, ec) && replaceFile(copy, target, previous);
  if (!ws.openTable(page)) {
    if (replaced) {
      fs::remove(target, ec);
      fs::rename(previous, target, ec);
    }
    ui.warning(restoreDialogCaption, notRestoredText(fileName));
    if (ws.openTable(page)) reindex(ws, page);
    return false;
  }
  fs::remove(previous, ec);
  reindex(ws, page);
  return replaced;
}

// velmoran.ini or Untis.ini: replaced by the copy and read again at once.
bool restoreFile(app::Workspace& ws, const Entry& entry, const fs::path& copy) {
  std::error_code ec;
  if (!fs::exists(copy, ec)) return false;
  const fs::path target = ws.dataFile(entry.fileName);
  const fs::path previous = withSuffix(target, ".previous");
  if (!replaceFile(copy, target, previous)) return false;
  fs::remove(previous, ec);
  return true;
}

// One chosen entry; true when its copy replaced the file. A restored settings file or
// ZULFACH makes the catalogs stale.
bool restoreOne(app::Workspace& ws, app::Ui& ui, const Entry& e, const fs::path& copy,
                bool& catalogsStale) {
  switch (e.kind) {
    case Kind::table:
      catalogsStale = catalogsStale || e.page == Page::Zulfach;
      return restoreTable(ws, ui, e.page, copy);
    case Kind::settings:
      if (!restoreFile(ws, e, copy)) return false;
      if (auto settings = app::readSettings(ws.dataFile(app::settingsFileName))) {
        ws.settings = *settings;
        catalogsStale = true;
      }
      return true;
    case Kind::layouts:
      // The window must not write its layouts over the restored file when it closes.
      ws.LRESTORED = true;
      return restoreFile(ws, e, copy);
    case Kind::untisSettings:
      if (!restoreFile(ws, e, copy)) return false;
      // The next export launch and the settings dialog read the restored file, as they read
      // Untis.ini whenever the list is empty.
      ws.AUNTIS_ARRAY.clear();
      return true;
  }
  return false;
}

}  // namespace

std::optional<fs::path> copyInBackup(const app::Workspace& ws, std::string_view name) {
  const Entry* e = entryNamed(name);
  if (!e) return std::nullopt;
  fs::path copy = store::findInDir(secureFolder(ws), e->fileName);
  std::error_code ec;
  if (!fs::is_regular_file(copy, ec)) return std::nullopt;
  return copy;
}

const std::vector<Text>& restoreEntries() {
  static const std::vector<Text> names = [] {
    std::vector<Text> list;
    for (const Entry& e : entries) list.emplace_back(e.name);
    return list;
  }();
  return names;
}

std::optional<Text> restoreEntry(std::string_view name) {
  const Entry* e = entryNamed(name);
  return e ? std::optional<Text>(e->name) : std::nullopt;
}

bool restoreData(app::Workspace& ws, app::Ui& ui, const std::vector<Text>& chosen) {
  std::vector<const Entry*> picked;
  for (const Entry& e : entries)
    for (const Text& name : chosen)
      if (upper(name) == upper(e.name)) {
        picked.push_back(&e);
        break;
      }
  if (picked.empty()) {
    ui.warning(restoreDialogCaption, nothingChosenText);
    return false;
  }

  const fs::path secure = secureFolder(ws);
  // What the data directory holds of these files now is lost once the copies replace it.
  Text inBackup;
  for (const Entry* e : picked)
    if (copyInBackup(ws, e->name)) inBackup += Text(inBackup.empty() ? "" : ", ") + e->name;
  if (!inBackup.empty() &&
      !ui.askYesNo(restoreDialogCaption,
                   "Aus der Sicherung zurückholen: " + inBackup +
                       ". Die jetzigen Dateien werden dabei überschrieben. Fortfahren?"))
    return false;

  bool catalogsStale = false;
  std::vector<Text> restored;
  ui.busy(true);
  for (const Entry* e : picked)
    if (restoreOne(ws, ui, *e, store::findInDir(secure, e->fileName), catalogsStale))
      restored.emplace_back(e->name);
  // The catalogs depend on the school form of the settings and on ZULFACH.
  if (catalogsStale && ws.tablesOpen()) ws.fillZulFaecher();
  ui.busy(false);
  ui.status("Datensicherung eingelesen: " + app::counted(restored.size(), "Datei", "Dateien") +
            " zurückgeholt");
  Text list;
  for (const Text& name : restored) list += "\r\n" + name;
  ui.info(restoreDialogCaption, restored.empty() ? Text("Es wurde keine Datei zurückgeholt.")
                                                 : "Aus der Sicherung zurückgeholt:" + list);
  return true;
}

}  // namespace velmoran::backup
