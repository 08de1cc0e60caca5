#pragma once
// Work on all the records of tables at once. A command that replaces or changes the records
// of tables builds new versions of them beside their files and puts them in place together by
// renaming: after a kill at any moment, a full disk or a failed write the tables hold either
// their old records or their new ones, never a mix.

#include <filesystem>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "store/result.h"
#include "store/table.h"

namespace velmoran::store {

// Replace-by-marking: every live record of the table marked deleted, in record order with
// deleted records visible for the pass; the order and visibility are restored afterwards and
// the cursor ends on the first record. The pack at the next start removes them.
void markAllDeleted(Table& table);

// The list of the files a replacement is putting in place, beside the tables.
inline constexpr std::string_view journalFileName = "velmoran.journal";

// New versions of open tables, put in place all together or not at all.
//
// Each new version is a table file beside the table's file ("gpsul.dbf.new") with index files
// beside the table's index files ("UNR.NTX.new"). commit() writes them all and flushes them to
// the disk, lists them in the journal, and only then renames them over the old files, each old
// file first kept as "<name>.old". A kill before the journal leaves the old files (the next
// start removes the new ones); a kill after it leaves the journal, by which the next start
// finishes the renames (completeReplacements). The tables take up their new files.
class Replacement {
public:
  enum class Start {
    // Every record marked deleted, for the new records to follow (replace-by-marking: the
    // pack at the next start removes the old ones).
    deleted,
    copy,  // every record as it is, the deleted ones still marked: record numbers stay
    pack,  // the live records only
  };

  Replacement() = default;
  // Without commit(): every new file removed, the tables as they were.
  ~Replacement();
  Replacement(const Replacement&) = delete;
  Replacement& operator=(const Replacement&) = delete;

  // The new version of a table, to fill or change, starting as `start` says. Its structure
  // is the table's own, or
  // `structure` (fields carried over by name, as Table::appendFrom does); its file is the
  // table's file name with ".new", or `fileName` beside it. It has the table's orders under
  // the same numbers and stands in the current order on its first record. Throws IoError when
  // it cannot be made.
  Table& add(Table& table, Start start, const Structure* structure = nullptr,
             std::string_view fileName = {});

  // Puts every new version in place; each table then reads its new file and stands on its
  // first record. Throws IoError when that fails: before any rename, or after renames that
  // were then taken back, the tables are as they were.
  void commit();

private:
  struct Rename {
    std::filesystem::path from;  // the new file
    std::filesystem::path to;    // the file it replaces
  };
  struct Part {
    Table* table;
    std::unique_ptr<Table> next;
    std::vector<Rename> renames;  // the table file first, then its index files
  };

  std::vector<Rename> renames() const;
  void writeNewVersions();
  void discardNewVersions();
  void takeUpFiles();

  std::vector<Part> m_parts;
  bool m_committed = false;
};

// Runs `work`, which makes new versions of tables through the replacement it is given, and
// puts them in place when work returns true; false leaves every table as it was. So does an
// I/O failure anywhere (the disk full, the folder write-protected), which comes back as the
// reason.
Result<void> replaceTables(const std::function<bool(Replacement&)>& work);

// At start-up, before any table is opened: a replacement cut off after its journal was
// written is finished from the journal; the new and kept files of one cut off before it are
// removed (or an old file put back where a kill left none).
void completeReplacements(const std::filesystem::path& dataDir);

}  // namespace velmoran::store
