#pragma once
// Table: an open dBASE III table file with a cursor, the work-area model every operation is
// written against. Character fields are code page 850 on disk and Windows-1252 (Text) here.
// Orders are key expressions ("FIELD" or "UPPER(FIELD)") kept in memory as sorted
// (key, record number) sequences and written to disk as Clipper NTX files.
//
// Record numbers are 1-based physical positions. Deleted records are hidden from navigation
// unless showDeleted(true). Navigation follows the current order (0 = record order).
//
// I/O failures inside a command (disk full, file gone) throw store::IoError; expected
// failures (missing file, lock held, not a table) come back as Result.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "store/date.h"
#include "store/result.h"
#include "store/text.h"

namespace velmoran::store {

struct Field {
  std::string name;  // upper case, at most 10 characters
  char type = 'C';   // 'C', 'N', 'D', 'L'
  int length = 0;
  int decimals = 0;
  friend bool operator==(const Field&, const Field&) = default;
};
using Structure = std::vector<Field>;

enum class OpenMode { Shared, Exclusive };

// The reason of a failed open() begins with this when another process holds a lock on the
// file (another running copy of the program).
inline constexpr std::string_view lockedReason = "locked by another process";

class IoError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

class Table {
public:
  // Open an existing table. Exclusive takes an exclusive operating-system lock on the file
  // (fails while any other process holds a lock on it); Shared takes a shared one.
  static Result<std::unique_ptr<Table>> open(const std::filesystem::path& file, OpenMode mode);
  // Create (or replace) a table file with this structure and no records.
  static Result<void> create(const std::filesystem::path& file, const Structure& structure);

  // What a table file's header says, read without opening it as a table (and without a lock):
  // for checking a copy before it is trusted. A file that is no table is a failure.
  struct FileFacts {
    Structure structure;
    std::uint32_t statedRecords = 0;  // the record count in the header
    std::uint32_t heldRecords = 0;    // the whole records the file's length holds
    bool complete = false;            // the length is exactly what the header says
  };
  static Result<FileFacts> inspect(const std::filesystem::path& file);

  ~Table();  // flushes and closes
  Table(const Table&) = delete;
  Table& operator=(const Table&) = delete;

  const std::filesystem::path& path() const;
  const Structure& structure() const;
  // 1-based position of the field, 0 when the table has no such field (case-insensitive).
  int fieldIndex(std::string_view name) const;

  // Navigation in the current order; deleted records hidden unless showDeleted(true).
  void goTop();
  void goBottom();
  void skip(long n = 1);
  void goTo(std::uint32_t recno);  // any physical record, deleted or not; 0 or > lastRec: eof
  bool eof() const;
  bool bof() const;
  std::uint32_t recno() const;    // lastRec() + 1 at eof
  std::uint32_t lastRec() const;  // physical record count, deleted included
  void showDeleted(bool visible);
  bool deletedVisible() const;
  // The record numbers navigation would visit from goTop() to eof, in the current order,
  // without moving the cursor (what a grid shows as its rows).
  std::vector<std::uint32_t> visibleRecnos();

  bool deleted() const;
  void remove();  // mark the current record deleted
  void recall();  // clear the deleted mark

  // Field access on the current record, by name or by 1-based position. getText gives a
  // character field without its trailing blanks (getRaw keeps them). A get at eof gives
  // the empty value; a put at eof does nothing. Text is cut to the field width; numbers are
  // rounded to the field's decimals (a number too wide for the field fills it with '*').
  // An unknown field name or position throws std::out_of_range.
  //
  // getText: character fields without their trailing blanks; numbers as stored without
  // blanks ("12.50"); dates "DD.MM.YYYY" ("" when empty); logicals "T"/"F" ("" when unset).
  // put(text) reads the text the same way for the field's type: a number with point or
  // comma (blank when empty or unreadable), a date "DD.MM.YYYY" or "YYYYMMDD", a logical
  // T/Y/J as true. put(number) and put(date) into a character field write their text.
  Text getText(std::string_view field) const;
  Text getText(int position) const;
  // The same into out, whose buffer is reused: for reading many records.
  void getText(int position, Text& out) const;
  double getNumber(std::string_view field) const;
  double getNumber(int position) const;
  Date getDate(std::string_view field) const;
  Date getDate(int position) const;
  bool getLogical(std::string_view field) const;
  bool getLogical(int position) const;
  // The raw field content as Text (numbers and dates as stored, trailing blanks kept).
  Text getRaw(int position) const;
  // getText padded with blanks to the field's width: what the fixed-width field holds, so
  // that character positions and exact comparisons count the stored characters (a character
  // field comes back exactly as stored).
  Text getPadded(std::string_view field) const;
  Text getPadded(int position) const;
  // The same into out, whose buffer is reused: for reading many records.
  void getPadded(int position, Text& out) const;

  void put(std::string_view field, std::string_view text);
  void put(int position, std::string_view text);
  void put(std::string_view field, double number);
  void put(int position, double number);
  void put(std::string_view field, const Date& date);
  void put(int position, const Date& date);
  void putLogical(std::string_view field, bool value);
  void putLogical(int position, bool value);

  // Append a blank record and put the cursor on it.
  void append();

  // Record locks in the Clipper convention (a byte at 1,000,000,000 + recno).
  bool lock(std::uint32_t recno);
  void unlock(std::uint32_t recno);

  // Remove deleted records physically, truncate the file, rebuild every order.
  void pack();
  // Whether the file holds more than its live records: records marked deleted, a header
  // whose record count disagrees with the file, bytes after the last record's end marker.
  bool needsPack();
  // Append every record of another table file (deleted ones too, with their mark), fields
  // matched by name; a wider field keeps its content, a narrower one is cut.
  Result<void> appendFrom(const std::filesystem::path& file);

  // Orders. createOrder builds the order from the records and writes its NTX file (the order
  // name, at most 10 characters, goes into the file's header); openOrder reads an existing
  // NTX file (key expression from its header) and rebuilds it from the records when it is
  // damaged or disagrees with the table. Both attach the order and return its number
  // (1-based, in attach order; an order for the same file takes the old one's place); the
  // current order is unchanged. Changed orders are written to their files by flush().
  //
  // With OrderKeys::released the order is attached released (see releaseOrders): createOrder
  // leaves the building of its file to flush(), which builds every such order in one pass
  // over the records; openOrder reads only the file's header and checks the rest when the
  // order is first needed (a damaged file is then rebuilt from the records).
  enum class OrderKeys { inMemory, released };
  Result<int> createOrder(const std::filesystem::path& ntxFile, std::string_view keyExpression,
                          std::string_view orderName = {}, OrderKeys keys = OrderKeys::inMemory);
  Result<int> openOrder(const std::filesystem::path& ntxFile, OrderKeys keys = OrderKeys::inMemory);
  // Detach every order; their files stay, with any change not yet written written first.
  void closeOrders();
  // Drop every order's keys from memory, before a bulk append (see store/bulk.h): appends and
  // changes then leave the orders alone, flush() builds their index files from the records in
  // bounded memory, goTop() finds the first record through the index file, and an order comes
  // back into memory when other navigation or a seek needs it.
  void releaseOrders();
  int orderCount() const;
  void setOrder(int n);  // 0 = record order; the cursor stays on its record
  int order() const;
  std::string orderKey(int n) const;             // key expression of order n
  std::filesystem::path orderFile(int n) const;  // index file of order n

  // Seek in the current order: exact positions on the first key that begins with `key`
  // (found) or goes to eof; soft positions on the first key >= `key` (eof when none) and is
  // found when that key begins with `key`. Numeric orders compare numbers.
  bool seek(std::string_view key, bool soft = false);
  bool seek(double key, bool soft = false);
  bool found() const;

  // Write every pending record, the header and every order's NTX file.
  void flush();

private:
  // New versions of tables are built and put in place through their insides (store/bulk.h).
  friend class Replacement;
  struct Impl;
  explicit Table(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> m;
};

}  // namespace velmoran::store
