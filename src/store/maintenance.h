#pragma once
// The maintenance that runs at every start: each table opened exclusively, packed, upgraded
// to the current structure where an older program version left it narrower, and its index
// files rebuilt from scratch.

#include <filesystem>
#include <string>
#include <vector>

namespace velmoran::store {

struct MaintenanceOutcome {
  // The first table is held by another process (another running copy): nothing was touched.
  bool locked = false;
  // Tables that could not be opened or maintained, with the reason.
  std::vector<std::string> problems;
};

MaintenanceOutcome maintainTables(const std::filesystem::path& dataDir);

}  // namespace velmoran::store
