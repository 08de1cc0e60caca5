#pragma once
// Workspace: the running program without windows. Start-up builds it; every command takes
// it together with the Ui port. It owns the seven open tables, the settings, the Untis
// settings list, the code catalogs and the column layouts.

#include <array>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/program_title.h"
#include "app/settings_file.h"
#include "catalog/catalogs.h"
#include "store/os_file.h"
#include "store/table.h"
#include "store/text.h"

namespace velmoran::app {

// The seven pages in tab order, each with its table.
enum class Page { Gpsul = 1, Uvd, Zulfach, Fach, Klasse, Lehrer, MehrMinder };
inline constexpr int pageCount = 7;

struct TableInfo {
  Page page;
  const char* name;      // table name and alias: "GPSUL"
  const char* fileName;  // "gpsul.dbf"
};
// In page order.
const std::array<TableInfo, pageCount>& tableInfos();
const TableInfo& tableInfo(Page page);
// The table of this name (case-insensitive), or nothing.
std::optional<Page> pageByTableName(std::string_view name);

// The warning about a table file that holds another table: its path, the table it should be
// and the fields of that table it lacks (or holds elsewhere).
Text foreignTableText(const std::filesystem::path& file, std::string_view table,
                      const std::vector<std::string>& missing);

// The Untis settings file of the data directory, which AUNTIS_ARRAY is read from.
inline constexpr const char* untisIniFileName = "Untis.ini";

// A page's saved column layout: per grid column, (width, open position).
using ColumnLayout = std::vector<std::pair<int, int>>;

class Workspace {
public:
  Workspace(std::filesystem::path programDir, std::filesystem::path dataDir);
  ~Workspace();

  const std::filesystem::path& programDir() const { return m_programDir; }
  const std::filesystem::path& dataDir() const { return m_dataDir; }
  // The data directory as text, ending in the path separator.
  std::string dataDirText() const;
  // An existing file of the data directory whatever the case of its name, or the name as
  // given when there is none.
  std::filesystem::path dataFile(std::string_view name) const;

  Settings settings;
  std::vector<Text> AUNTIS_ARRAY;
  catalog::Catalogs catalogs;
  std::array<ColumnLayout, pageCount> layouts;  // ATAB1 to ATAB7
  bool LNOSERVER = false;
  bool LRESTORED = false;

  // The open table of a page. Throws std::logic_error when the tables are not open.
  store::Table& table(Page page);
  bool tablesOpen() const;
  // Open the seven tables shared, with their index files; a failure names the file.
  Result<void> openTables();
  // Flush and close every table (before a restore copies files over them).
  void closeTables();
  void closeTable(Page page);
  Result<void> openTable(Page page);

  // Keep the lock that keeps a second copy of the program out of the data directory until
  // the workspace ends, after its tables are closed.
  void holdRunLock(store::OsFile lock) { m_runLock = std::move(lock); }

  // The page's open table checked against the fields its name requires: nothing when it is
  // that table, otherwise foreignTableText for it. A command checks the tables it changes
  // before it reads its input.
  std::optional<Text> foreignTable(Page page);

  // Write the settings to velmoran.ini; false when that failed.
  Result<void> saveSettings();
  // Rebuild the code catalogs for the current school form.
  void fillZulFaecher();

private:
  std::filesystem::path m_programDir;
  std::filesystem::path m_dataDir;
  store::OsFile m_runLock;  // before the tables: released after they are closed
  std::array<std::unique_ptr<store::Table>, pageCount> m_tables;
};

// The warning after the new contents of tables could not be written (the disk full, the
// folder write-protected), naming the tables, which keep what they held. The reason, in the
// table layer's words, goes to the error log of the data directory.
Text notWrittenText(const Workspace& ws, std::string_view reason,
                    std::initializer_list<Page> pages);

}  // namespace velmoran::app
