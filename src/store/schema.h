#pragma once
// The seven tables of the data directory: file names, structures and index files, defined
// once here. The shipped tables are made from these structures; the start-up maintenance
// rebuilds the index files listed here.

#include <array>
#include <string_view>
#include <vector>

#include "store/table.h"

namespace velmoran::store {

struct IndexSpec {
  const char* fileName;   // "UNR.NTX"
  const char* orderName;  // "UNR"
  const char* key;        // "UNR", "UPPER(FACHALT)"
};

struct TableSpec {
  const char* name;      // "GPSUL": table name and alias
  const char* fileName;  // "gpsul.dbf"
  Structure structure;
  std::vector<IndexSpec> indexes;
};

// In the order in which start-up copies them: GPSUL, FACH, KLASSE, LEHRER, MEHR_MINDER,
// UVD, ZULFACH.
const std::vector<TableSpec>& tableSpecs();
// The structure and indexes of a table by name ("GPSUL"); throws std::out_of_range for an
// unknown name.
const TableSpec& tableSpec(std::string_view name);

inline constexpr std::string_view tempTableFileName = "temp.dbf";

}  // namespace velmoran::store
