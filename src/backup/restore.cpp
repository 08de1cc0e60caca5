#include "backup/restore.h"

#include <algorithm>
#include <optional>
#include <system_error>

#include "app/column_layout_file.h"
#include "app/settings_file.h"
#include "backup/backup.h"
#include "store/files.h"
#include "store/schema.h"
#include "store/staged_files.h"
#include "store/table.h"

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

const Entry* entryNamed(std::string_view name) {
  const Text wanted = upper(name);
  for (const Entry& e : entries)
    if (upper(e.name) == wanted) return &e;
  return nullptr;
}

// The fields a copy must have to stand in for the table: the names and types of the open
// table's fields, in their order (a width may differ).
bool sameFields(const store::Structure& a, const store::Structure& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](const store::Field& x, const store::Field& y) {
                      return x.name == y.name && x.type == y.type;
                    });
}

// Why a copy cannot take the place of its file, in the words of the message; nothing when it
// can. A table must open as a table, hold every record its header counts and have the
// fields of the table it replaces; a settings file must be a readable file of its size.
std::optional<Text> copyProblem(app::Workspace& ws, const Entry& e, const fs::path& copy) {
  if (e.kind != Kind::table) {
    if (!store::readFile(copy, store::smallFileLimit)) return Text("die Kopie ist nicht lesbar");
    return std::nullopt;
  }
  auto facts = store::Table::inspect(copy);
  if (!facts) return Text("die Kopie ist keine Tabelle");
  if (!facts->complete)
    return "die Kopie ist unvollständig (laut Dateikopf " + std::to_string(facts->statedRecords) +
           " Datensätze, die Datei enthält " + std::to_string(facts->heldRecords) + ")";
  // The open table's fields; the ones it is made with when a failed restore left it closed.
  const char* table = app::tableInfo(e.page).name;
  if (!sameFields(facts->structure, ws.tablesOpen() ? ws.table(e.page).structure()
                                                    : store::tableSpec(table).structure))
    return "die Kopie hat nicht die Felder der Tabelle " + Text(table);
  return std::nullopt;
}

// Every copy written beside the file it replaces and checked again as written; then the
// tables let go of their files and all of them are replaced in one step (store/staged_files.h),
// so that a kill leaves either every file as it was or every file restored. A failure comes
// back as the sentence that tells the person.
Result<void> putInPlace(app::Workspace& ws, const std::vector<const Entry*>& sound) {
  const fs::path secure = secureFolder(ws);
  std::vector<std::string> names;
  for (const Entry* e : sound) {
    const fs::path target = ws.dataFile(e->fileName);
    const auto accept = [&ws, e](const fs::path& written) { return !copyProblem(ws, *e, written); };
    if (!store::copyFileAtomically(store::findInDir(secure, e->fileName), store::stagedPath(target),
                                   accept)) {
      std::error_code ec;
      for (const std::string& name : names) fs::remove(store::stagedPath(ws.dataDir() / name), ec);
      return fail("Die Kopie von " + Text(e->name) +
                  " konnte nicht in den Datenordner geschrieben werden (ist der Datenträger "
                  "voll?).");
    }
    names.push_back(target.filename().string());
  }
  // Closing writes what a table holds in memory to the old file, so nothing of it is written
  // later over the restored one.
  for (const Entry* e : sound)
    if (e->kind == Kind::table) ws.closeTable(e->page);
  if (store::replaceByStaged(ws.dataDir(), names)) return {};
  std::error_code ec;
  if (fs::exists(ws.dataFile(store::stagedListFileName), ec))
    return fail("Nicht alle Dateien konnten ersetzt werden; der nächste Start von " +
                Text(app::programTitle) + " ersetzt die übrigen.");
  return fail(Text("Der Datenordner ist voll oder schreibgeschützt."));
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

// After the files are replaced: each table opened again and re-indexed, a settings file read
// again. A restored settings file or ZULFACH makes the catalogs stale.
void takeUp(app::Workspace& ws, const Entry& e, bool& catalogsStale) {
  switch (e.kind) {
    case Kind::table:
      catalogsStale = catalogsStale || e.page == Page::Zulfach;
      // A table that does not open again (it was checked) stays closed; the next start
      // reports it.
      if (ws.openTable(e.page)) reindex(ws, e.page);
      break;
    case Kind::settings:
      if (auto settings = app::readSettings(ws.dataFile(app::settingsFileName))) {
        ws.settings = *settings;
        catalogsStale = true;
      }
      break;
    case Kind::layouts:
      break;
    case Kind::untisSettings:
      // The next export launch and the settings dialog read the restored file, as they read
      // Untis.ini whenever the list is empty.
      ws.AUNTIS_ARRAY.clear();
      break;
  }
}

Text listed(const std::vector<Text>& lines) {
  Text text;
  for (const Text& line : lines) text += "\r\n" + line;
  return text;
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

  // Each copy is checked before anything is touched; what cannot be restored is named.
  std::vector<const Entry*> sound;
  std::vector<Text> refused;
  for (const Entry* e : picked) {
    // The window must not write its layouts over the file when it closes.
    if (e->kind == Kind::layouts) ws.LRESTORED = true;
    const auto copy = copyInBackup(ws, e->name);
    const auto problem = copy ? copyProblem(ws, *e, *copy) : Text("keine Kopie im Ordner SECURE");
    if (problem)
      refused.push_back(Text(e->name) + ": " + *problem);
    else
      sound.push_back(e);
  }
  // What the data directory holds of these files now is lost once the copies replace it.
  Text names;
  for (const Entry* e : sound) names += Text(names.empty() ? "" : ", ") + e->name;
  if (!sound.empty() &&
      !ui.askYesNo(restoreDialogCaption,
                   "Aus der Sicherung zurückholen: " + names +
                       ". Die jetzigen Dateien werden dabei überschrieben. Fortfahren?"))
    return false;

  ui.busy(true);
  std::vector<Text> restored;
  Text failure;
  if (!sound.empty()) {
    if (auto placed = putInPlace(ws, sound); !placed) failure = placed.reason();
    // Taken up after the files were replaced, and after a failure that had closed the
    // tables already.
    if (failure.empty() || !ws.tablesOpen()) {
      bool catalogsStale = false;
      for (const Entry* e : sound) takeUp(ws, *e, catalogsStale);
      // The catalogs depend on the school form of the settings and on ZULFACH.
      if (catalogsStale && ws.tablesOpen()) ws.fillZulFaecher();
    }
    if (failure.empty())
      for (const Entry* e : sound) restored.emplace_back(e->name);
  }
  ui.busy(false);
  ui.status("Datensicherung eingelesen: " + app::counted(restored.size(), "Datei", "Dateien") +
            " zurückgeholt");
  Text text = restored.empty() ? Text("Es wurde keine Datei zurückgeholt.")
                               : "Aus der Sicherung zurückgeholt:" + listed(restored);
  if (!refused.empty()) text += "\r\n\r\nNicht zurückgeholt:" + listed(refused);
  if (!failure.empty()) text += "\r\n\r\n" + failure;
  if (refused.empty() && failure.empty())
    ui.info(restoreDialogCaption, text);
  else
    ui.warning(restoreDialogCaption, text);
  return true;
}

}  // namespace velmoran::backup
