#pragma once
// The column search of the grids: finds the next record whose value in one column equals the
// search text. Its state (last text, where it stopped) is shared by every page for the run,
// so repeating the same text continues the search, also on another page.

#include <cstdint>
#include <optional>

#include "store/table.h"
#include "store/text.h"

namespace velmoran::pages {

struct SearchState {
  Text lastText;
  std::uint32_t position = 1;  // the record where the last search stopped
};

struct SearchHit {
  std::uint32_t recno;  // the record to show
  bool found;           // false: no match, and recno is the table's last record
};

// Runs the search for `text` (the dialog's result) in the field at `fieldPosition`
// (1-based). Returns the record to show, or nothing when the text is empty. The table's
// order is the same afterwards; its cursor stands on the returned record.
std::optional<SearchHit> columnSearch(store::Table& table, SearchState& state, int fieldPosition,
                                      const Text& text);

}  // namespace velmoran::pages
