#include "store/maintenance.h"

#include <array>
#include <iterator>
#include <mutex>
#include <optional>
#include <system_error>

#include "store/files.h"
#include "store/parallel.h"
#include "store/schema.h"

namespace velmoran::store {

namespace fs = std::filesystem;

namespace {

const Field kursartField{"KURSART", 'C', 100, 0};

bool hasField(const Structure& s, std::string_view name) {
  for (const auto& f : s)
    if (f.name == name) return true;
  return false;
}

// The structure a table must be upgraded to, or the same structure when it is current.
Structure upgradedStructure(std::string_view table, Structure s) {
  if (table == "UVD") {
    if (s.size() >= 10 && s[9].length < 2) s[9].length = 20;
  } else if (table == "FACH") {
    // Widen FACHNEU and add KURSART; a table that already has KURSART keeps its one field.
    if (s.size() >= 2 && s[1].length < 100) s[1].length = 100;
    if (!hasField(s, "KURSART")) s.push_back(kursartField);
  } else if (table == "KLASSE") {
    if (s.size() < 4 && !hasField(s, "KURSART")) s.push_back(kursartField);
  }
  return s;
}

// Rebuild the table in temp.dbf with the new structure and put it in place with one rename,
// so a crash at any moment leaves either the old table or the new one.
Result<void> copyStructure(const fs::path& dataDir, std::unique_ptr<Table>& table,
                           const fs::path& file, const Structure& structure) {
  fs::path temp = findInDir(dataDir, tempTableFileName);
  if (auto r = Table::create(temp, structure); !r) return r;
  table.reset();
  {
    auto t = Table::open(temp, OpenMode::Exclusive);
    if (!t) return fail(t.reason());
    if (auto r = (*t)->appendFrom(file); !r) return r;
    (*t)->flush();
  }
  std::error_code ec;
  fs::rename(temp, file, ec);
  if (ec) return fail("cannot replace " + file.string() + ": " + ec.message());
  return {};
}

// upgrades: held while a table is rebuilt in temp.dbf, which all tables share.
Result<void> maintainOne(const fs::path& dataDir, const TableSpec& spec,
                         std::unique_ptr<Table> table, std::mutex& upgrades) {
  fs::path file = findInDir(dataDir, spec.fileName);
  // Every index file of the table, built together in the pack's pass over the records.
  auto attachIndexes = [&]() -> Result<void> {
    for (const auto& index : spec.indexes) {
      auto r = table->createOrder(findInDir(dataDir, index.fileName), index.key, {},
                                  Table::OrderKeys::released);
      if (!r) return fail(r.reason());
    }
    return {};
  };
  Structure wanted = upgradedStructure(spec.name, table->structure());
  // An upgrade builds a new table file: its index files are built from that one.
  if (wanted == table->structure()) {
    if (auto r = attachIndexes(); !r) return r;
  }
  try {
    table->pack();
  } catch (const IoError& e) {
    return fail(e.what());
  }
  if (wanted != table->structure()) {
    std::lock_guard<std::mutex> one(upgrades);
    if (auto r = copyStructure(dataDir, table, file, wanted); !r) return r;
    auto again = Table::open(file, OpenMode::Exclusive);
    if (!again) return fail(again.reason());
    table = std::move(*again);
    if (auto r = attachIndexes(); !r) return r;
  }
  try {
    table->closeOrders();
  } catch (const IoError& e) {
    return fail(e.what());
  }
  return {};
}

}  // namespace

MaintenanceOutcome maintainTables(const fs::path& dataDir) {
  // The order of the tables; the problems are reported in this order.
  static constexpr const char* order[] = {"GPSUL",  "UVD",    "ZULFACH",    "FACH",
                                          "KLASSE", "LEHRER", "MEHR_MINDER"};
  constexpr std::size_t count = std::size(order);
  auto open = [&](std::size_t i) {
    return Table::open(findInDir(dataDir, tableSpec(order[i]).fileName), OpenMode::Exclusive);
  };
  MaintenanceOutcome outcome;
  // The first table, opened alone, tells whether another running copy of the program holds
  // the tables: then nothing is touched.
  auto first = open(0);
  if (!first && first.reason().starts_with(lockedReason)) {
    outcome.locked = true;
    return outcome;
  }
  // The tables are separate files: two at a time.
  std::array<std::optional<std::string>, count> problems;
  std::mutex upgrades;
  onTwoThreads(count, [&](std::size_t i) {
    auto opened = i == 0 ? std::move(first) : open(i);
    if (!opened) {
      problems[i] = opened.reason();
      return;
    }
    if (auto r = maintainOne(dataDir, tableSpec(order[i]), std::move(*opened), upgrades); !r)
      problems[i] = r.reason();
  });
  for (std::size_t i = 0; i < count; ++i)
    if (problems[i]) outcome.problems.push_back(std::string(order[i]) + ": " + *problems[i]);
  return outcome;
}

}  // namespace velmoran::store
