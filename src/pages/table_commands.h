#pragma once
// Commands on a whole page's table and on single fields, shared by the grid pages and the
// command line.

#include <string>

#include "app/ui.h"
#include "app/workspace.h"

namespace velmoran::pages {

// Ask, then mark every record of the page's table deleted (they disappear at the next
// start's pack), all or none. The table keeps its order and ends on its first record. False
// when declined or when the table could not be written (the warning shown).
bool deleteTable(app::Workspace& ws, app::Ui& ui, app::Page page);

// Put a value typed as text into a field of a record, as the grid's editor does: numbers
// with a decimal point or comma, dates as DD.MM.YYYY, logicals as T/F/J/N.
Result<void> setField(store::Table& table, std::uint32_t recno, std::string_view field,
                      std::string_view value);

// The visible records in the table's current order as CSV (UTF-8, header of field names,
// CR LF), texts without their trailing blanks, dates as DD.MM.YYYY. With `withRecno` a first
// column RECNO gives each record's number (for editing it with setField).
std::string dumpCsv(store::Table& table, bool withRecno = false);

}  // namespace velmoran::pages
