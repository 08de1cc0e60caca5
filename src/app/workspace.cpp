#include "app/workspace.h"

#include <stdexcept>

#include "app/error_log.h"
#include "store/code_page.h"
#include "store/files.h"
#include "store/schema.h"

namespace velmoran::app {

namespace fs = std::filesystem;

const std::array<TableInfo, pageCount>& tableInfos() {
  static const std::array<TableInfo, pageCount> infos = {{
      {Page::Gpsul, "GPSUL", "gpsul.dbf"},
      {Page::Uvd, "UVD", "uvd.dbf"},
      {Page::Zulfach, "ZULFACH", "zulfach.dbf"},
      {Page::Fach, "FACH", "fach.dbf"},
      {Page::Klasse, "KLASSE", "klasse.dbf"},
      {Page::Lehrer, "LEHRER", "lehrer.dbf"},
      {Page::MehrMinder, "MEHR_MINDER", "mehr_minder.dbf"},
  }};
  return infos;
}

const TableInfo& tableInfo(Page page) { return tableInfos()[static_cast<int>(page) - 1]; }

std::optional<Page> pageByTableName(std::string_view name) {
  Text wanted = upper(name);
  for (const auto& info : tableInfos())
    if (wanted == info.name) return info.page;
  return std::nullopt;
}

Text foreignTableText(const fs::path& file, std::string_view table,
                      const std::vector<std::string>& missing) {
  Text fields;
  for (const std::string& name : missing) fields += (fields.empty() ? "" : ", ") + name;
  return "Die Datei " + store::pathText(file) + " enthält nicht die Tabelle " + Text(table) +
         (missing.size() == 1
              ? ": das Feld " + fields + " fehlt oder steht an anderer Stelle."
              : ": die Felder " + fields + " fehlen oder stehen an anderer Stelle.");
}

Text notWrittenText(const Workspace& ws, std::string_view reason,
                    std::initializer_list<Page> pages) {
  appendErrorLog(ws.dataDir(), reason);
  Text names;
  std::size_t i = 0;
  for (Page page : pages) {
    names += Text(i == 0 ? "" : i + 1 == pages.size() ? " und " : ", ") + tableInfo(page).name;
    ++i;
  }
  const bool one = pages.size() == 1;
  return Text(one ? "Die Tabelle " : "Die Tabellen ") + names + (one ? " konnte" : " konnten") +
         " nicht geschrieben werden: Ist der Datenträger voll oder schreibgeschützt?\r\n" +
         (one ? "Sie enthält" : "Sie enthalten") + " weiter ihre bisherigen Daten.";
}

Workspace::Workspace(fs::path programDir, fs::path dataDir)
    : m_programDir(std::move(programDir)), m_dataDir(std::move(dataDir)) {}

Workspace::~Workspace() = default;

std::string Workspace::dataDirText() const {
  std::string text = m_dataDir.string();
  const char sep = static_cast<char>(fs::path::preferred_separator);
  if (text.empty() || text.back() != sep) text += sep;
  return text;
}

fs::path Workspace::dataFile(std::string_view name) const {
  return store::findInDir(m_dataDir, name);
}

store::Table& Workspace::table(Page page) {
  auto& t = m_tables[static_cast<int>(page) - 1];
  if (!t) throw std::logic_error(std::string("table not open: ") + tableInfo(page).name);
  return *t;
}

bool Workspace::tablesOpen() const {
  for (const auto& t : m_tables)
    if (!t) return false;
  return true;
}

Result<void> Workspace::openTable(Page page) {
  const TableInfo& info = tableInfo(page);
  fs::path file = dataFile(info.fileName);
  auto opened = store::Table::open(file, store::OpenMode::Shared);
  if (!opened) return fail(file.string() + ": " + opened.reason());
  std::unique_ptr<store::Table> table = std::move(*opened);
  for (const auto& index : store::tableSpec(info.name).indexes) {
    // The start-up has just built every index file: the orders come into memory when a
    // page or a command needs them.
    auto r = table->openOrder(dataFile(index.fileName), store::Table::OrderKeys::released);
    if (!r) r = table->createOrder(dataFile(index.fileName), index.key);
    if (!r) return fail(dataFile(index.fileName).string() + ": " + r.reason());
  }
  // Pages show their tables in the order of their first index.
  if (table->orderCount() > 0) table->setOrder(1);
  table->goTop();
  m_tables[static_cast<int>(page) - 1] = std::move(table);
  return {};
}

Result<void> Workspace::openTables() {
  for (const auto& info : tableInfos()) {
    if (m_tables[static_cast<int>(info.page) - 1]) continue;
    if (auto r = openTable(info.page); !r) return r;
  }
  return {};
}

void Workspace::closeTable(Page page) { m_tables[static_cast<int>(page) - 1].reset(); }

void Workspace::closeTables() {
  for (auto& t : m_tables) t.reset();
}

std::optional<Text> Workspace::foreignTable(Page page) {
  const store::Table& t = table(page);
  const char* name = tableInfo(page).name;
  const auto missing = store::missingFields(store::tableSpec(name), t.structure());
  if (missing.empty()) return std::nullopt;
  return foreignTableText(t.path(), name, missing);
}

Result<void> Workspace::saveSettings() {
  return writeSettings(dataFile(settingsFileName), settings);
}

void Workspace::fillZulFaecher() {
  catalogs = catalog::fillZulFaecher(settings.schoolForm, table(Page::Zulfach));
}

}  // namespace velmoran::app
