#pragma once
// The seven tables of the data directory: file names, structures and index files, defined
// once here. The shipped tables are made from these structures; the start-up maintenance
// rebuilds the index files listed here.

#include <array>
#include <string>
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
  // The first fields that the commands write by position: they must stand at their places.
  std::size_t fieldsByPosition = 0;
  // A field that tables of older program versions lack; the start-up upgrade adds it.
  const char* addedByUpgrade = nullptr;
};

// In the order in which start-up copies them: GPSUL, FACH, KLASSE, LEHRER, MEHR_MINDER,
// UVD, ZULFACH.
const std::vector<TableSpec>& tableSpecs();
// The structure and indexes of a table by name ("GPSUL"); throws std::out_of_range for an
// unknown name.
const TableSpec& tableSpec(std::string_view name);

// The fields a table file must have to be taken for the table `spec` describes: each field of
// the structure (but the upgrade's), those written by position at their places. The names of
// those it lacks or holds elsewhere; empty when the file is that table.
std::vector<std::string> missingFields(const TableSpec& spec, const Structure& structure);

inline constexpr std::string_view tempTableFileName = "temp.dbf";

}  // namespace velmoran::store
