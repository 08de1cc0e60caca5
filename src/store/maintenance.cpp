#include "store/maintenance.h"

#include <array>
#include <iterator>
#include <mutex>
#include <optional>
#include <system_error>

#include "store/bulk.h"
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

// A table that holds more than its live records, or has an older structure, is written anew
// beside its file (an upgrade in temp.dbf) and put in place with its index files; otherwise
// only its index files are built. A crash at any moment leaves the old table or the new one.
// replacing: held while a replacement is put in place (one journal for all tables) and for
// the whole of an upgrade (one temp.dbf for all tables).
Result<void> maintainOne(const fs::path& dataDir, const TableSpec& spec,
                         std::unique_ptr<Table> table, std::mutex& replacing) {
  // Every index file of the table, built together in one pass over the records.
  for (const auto& index : spec.indexes) {
    auto r = table->createOrder(findInDir(dataDir, index.fileName), index.key, {},
                                Table::OrderKeys::released);
    if (!r) return fail(r.reason());
  }
  const Structure wanted = upgradedStructure(spec.name, table->structure());
  const bool upgrade = wanted != table->structure();
  try {
    if (upgrade || table->needsPack()) {
      std::unique_lock<std::mutex> one(replacing, std::defer_lock);
      if (upgrade) one.lock();
      Replacement replacement;
      replacement.add(*table, Replacement::Start::pack, upgrade ? &wanted : nullptr,
                      upgrade ? tempTableFileName : std::string_view());
      if (!upgrade) one.lock();
      replacement.commit();
    }
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
  std::mutex replacing;
  onTwoThreads(count, [&](std::size_t i) {
    auto opened = i == 0 ? std::move(first) : open(i);
    if (!opened) {
      problems[i] = opened.reason();
      return;
    }
    if (auto r = maintainOne(dataDir, tableSpec(order[i]), std::move(*opened), replacing); !r)
      problems[i] = r.reason();
  });
  for (std::size_t i = 0; i < count; ++i)
    if (problems[i]) outcome.problems.push_back(std::string(order[i]) + ": " + *problems[i]);
  return outcome;
}

}  // namespace velmoran::store
