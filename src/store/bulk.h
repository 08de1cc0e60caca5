#pragma once
// Work on all the records of a table at once. The commands that replace a table's records
// are plain loops that append records and put their fields through the table; how the old
// records go and when the index files are built is decided here, in one place.

#include <functional>

#include "store/table.h"

namespace velmoran::store {

// Replace-by-marking: every live record of the table marked deleted, in record order with
// deleted records visible for the pass; the order and visibility are restored afterwards and
// the cursor ends on the first record. The pack at the next start removes them.
void markAllDeleted(Table& table);

// Replaces the records of the table by those that `fill` appends to the table it is given:
// append(), then put field by field; fill may go back to a record it appended (goTo) and
// change it, and reach the new records through that table only. The old records are marked
// deleted. The index files are not kept in step with each appended record: they are built
// once afterwards from the records, in bounded memory, and everything is flushed. The cursor
// ends on the first record of the table's order.
void replaceRecords(Table& table, const std::function<void(Table& target)>& fill);

}  // namespace velmoran::store
