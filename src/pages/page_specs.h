#pragma once
// The seven pages as data: each page's table, tab caption, columns (field, caption, form
// label, default width, editor), band colour rule and whether caption clicks sort. The
// windows build their grids and forms from this; the combo lists come from comboList.

#include <string>
#include <vector>

#include "app/workspace.h"

namespace velmoran::pages {

enum class Editor { Text, Date, Combo };

// Which rows get the band colour.
enum class Band {
  OddUnr,          // page 1: odd lesson numbers
  OddRecno,        // page 2: odd record numbers
  OddPosition,     // pages 3-5: first, third, fifth row of the sorted list
  EveryFourthRow,  // page 6: records 1, 5, 9, ... (each teacher's full row)
  LsRows,          // page 7: rows of kind "LS"
};

struct ColumnSpec {
  const char* field;
  const char* caption;    // grid column caption
  const char* formLabel;  // label in the form view
  int width;              // default width in pixels
  Editor editor;
};

struct PageSpec {
  app::Page page;
  const char* tabCaption;
  std::vector<ColumnSpec> columns;
  Band band;
  bool captionClickSorts;  // page 1 only
  int highlightColumn;     // 0-based column whose caption marks the current order; -1 none
  const char* emptyText;   // shown in the grid while the table has no records: what fills it
};

const std::vector<PageSpec>& pageSpecs();
const PageSpec& pageSpec(app::Page page);

// The entries offered by a combo editor of this column for the current record of the page's
// table (page 7 offers a key catalog only on rows of its kind). Empty for non-combo columns.
std::vector<Text> comboList(app::Workspace& ws, app::Page page, const char* field);

// The sortable columns of page 1 and the order each one selects (0: record order).
int sortOrderForField(const char* field);

}  // namespace velmoran::pages
