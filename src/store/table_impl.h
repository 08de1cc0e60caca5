#pragma once
// The inside of an open Table, shared by the files that implement it: table.cpp (opening,
// the cursor, field access, appending, writing) and table_orders.cpp (the orders, their
// index files and the pack). Nothing outside store/ includes this.

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "store/dbf_header.h"
#include "store/order.h"
#include "store/os_file.h"
#include "store/record_cache.h"
#include "store/table.h"

namespace velmoran::store {

struct Table::Impl {
  std::filesystem::path path;
  OpenMode mode = OpenMode::Shared;
  OsFile file;
  DbfHeader header;
  std::unique_ptr<RecordCache> cache;
  std::uint32_t lastRec = 0;

  std::uint32_t recno = 1;
  bool isEof = true;
  bool isBof = true;
  bool wasFound = false;
  bool deletedVisible = false;
  std::string record;  // the current record's bytes (blank at eof)
  std::string blank;   // a record of blanks (blankBytes)
  // The record's changes are not yet in the cache: commit() puts them there, before anything
  // else reads or writes the cache or the cursor moves. A record appended and filled field by
  // field so goes to the cache once.
  bool recordChanged = false;
  std::size_t positionHint = 0;  // where the current record last was in the current order

  std::vector<std::unique_ptr<Order>> orders;
  std::vector<bool> indexedFields;  // by field: whether an order's key is made from it
  int current = 0;
  // While the file is released: the orders and the current order it will have again.
  std::vector<std::unique_ptr<Order>> heldOrders;
  int heldCurrent = 0;

  bool headerStale = false;  // records changed since the header was written
  bool endMarkerStale = false;
  std::set<std::uint32_t> recordLocks;

  // --- records (table.cpp) ---------------------------------------------------------------

  std::uint64_t offsetOf(std::uint32_t r) const {
    return header.headerLength + static_cast<std::uint64_t>(r - 1) * header.recordLength;
  }
  void commit();
  void loadRecord(std::uint32_t r);
  bool isDeleted(std::uint32_t r);
  bool isVisible(std::uint32_t r) { return deletedVisible || !isDeleted(r); }
  void requireWritable() const;
  const std::string& blankBytes();
  // Appends a record of these bytes; the cursor goes to it.
  void appendRecord(std::string_view bytes);
  // The records of another table, their fields carried over by name: the deleted ones with
  // their mark or left out, or every one marked deleted.
  void appendRecordsOf(Impl& source, bool withDeleted, bool markDeleted);
  // Every record in record order, read a block at a time: visit(recno, bytes).
  template <class Visit>
  void forEachRecord(Visit visit);

  // --- cursor (table.cpp) ----------------------------------------------------------------

  void positionOn(std::uint32_t r);
  void positionAtEof();
  Order* currentOrder();
  // The record sequence navigation walks: the current order's, or record order.
  std::size_t sequenceSize();
  std::uint32_t recnoAt(std::size_t i);
  // The position of the current record in the sequence; the size at eof.
  std::size_t currentPosition();
  void positionAt(std::size_t i);
  // The first visible position at or after i (forward), or the last one before i (backward);
  // npos when there is none.
  std::size_t visibleFrom(std::size_t i, bool forward);
  void goTop();
  void goBottom();
  void skipForward(long n);
  void skipBackward(long n);

  // --- fields (table.cpp) ----------------------------------------------------------------

  std::size_t checkedIndex(int position) const {
    if (position < 1 || static_cast<std::size_t>(position) > header.fields.size())
      throwNoField(position);
    return static_cast<std::size_t>(position - 1);
  }
  [[noreturn]] void throwNoField(int position) const;
  int positionOf(std::string_view name) const;
  int checkedPosition(std::string_view name) const;
  std::string_view content(std::size_t i) const {
    return std::string_view(record).substr(static_cast<std::size_t>(header.offsets[i]),
                                           static_cast<std::size_t>(header.fields[i].length));
  }
  // Field i of the current record written by encode(field, out); nothing at eof.
  template <class Encode>
  void writeField(std::size_t i, Encode encode);
  void setDeletedFlag(bool deleted);
  void flush();

  // --- the file (table.cpp) --------------------------------------------------------------

  Result<void> openFile();
  // Lets go of the file and its index files without writing anything more to them, so that
  // new ones can take their place (store/bulk.h); takeUpFile() opens them again.
  void releaseFile();
  Result<void> takeUpFile();

  // --- orders (table_orders.cpp) ---------------------------------------------------------

  // Every order that indexes field i takes the current record's new content.
  void fieldChanged(std::size_t i) {
    if (i < indexedFields.size() && indexedFields[i]) keysChanged(i);
  }
  void keysChanged(std::size_t i);
  void ordersChanged();  // after orders were attached or detached
  // Every order takes the record just appended.
  void recordAppended();
  // The keys of every record for an order, read from the records.
  void buildKeys(Order& o);
  // An order released from memory comes back when navigation or a seek needs it.
  Order& use(Order& o);
  bool loadFile(Order& o);
  bool topFromFile(Order& o);
  void writeFromRecords(const std::vector<Order*>& stale);
  void writeOrders();
  Result<void> writeOrder(Order& o);
  void writeOrderOrThrow(Order& o);
  int attach(std::unique_ptr<Order> o);
  bool seekKey(Order& o, const std::string& key, bool soft);
  template <class Value>
  bool seekValue(const Value& value, bool soft);
};

template <class Visit>
void Table::Impl::forEachRecord(Visit visit) {
  commit();
  const std::size_t length = header.recordLength;
  const auto perBlock = static_cast<std::uint32_t>(std::max<std::size_t>(1, 256 * 1024 / length));
  if (lastRec == 0) return;
  // Filled by each read before it is looked at: not cleared first.
  auto block = std::make_unique_for_overwrite<char[]>(perBlock * length);
  for (std::uint32_t r = 1; r <= lastRec; r += perBlock) {
    const std::uint32_t n = std::min(perBlock, lastRec - r + 1);
    cache->read(offsetOf(r), block.get(), n * length);
    for (std::uint32_t k = 0; k < n; ++k) visit(r + k, block.get() + k * length);
  }
}

}  // namespace velmoran::store
