#pragma once
// Order: one index of a table kept in memory, the key of every record (deleted ones
// included) and the record numbers sorted by (key, record number). Keys compare as unsigned
// bytes of their code-page-850 form. Changes are collected and sorted in lazily, the next
// time the order is needed for navigation, a seek or writing its file, so that a bulk
// append costs O(n log n) in all.
//
// An order can also be released from memory: then only its index file holds it (current when
// !needsWrite(), else to be built again from the records), and the table brings it back into
// memory the next time navigation or a seek needs it.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "store/result.h"
#include "store/table.h"

namespace velmoran::store {

// A key expression over one field: "FIELD" or "UPPER(FIELD)".
struct KeySpec {
  std::string expression;  // normalised: "NAME", "UPPER(NAME)"
  int field = 0;           // 0-based field position
  bool upper = false;
  char type = 'C';
  int size = 0;  // key size in bytes
  int decimals = 0;
};

Result<KeySpec> parseKeyExpression(std::string_view expression, const Structure& structure);

// UPPER() on code-page-850 bytes: a-z and ä ö ü (0x84 0x94 0x81 -> 0x8E 0x99 0x9A).
void upperCp850(char* bytes, std::size_t n);

class Order {
public:
  Order(KeySpec spec, std::filesystem::path file, std::string tagName);

  const KeySpec& spec() const { return m_spec; }
  const std::filesystem::path& file() const { return m_file; }
  const std::string& tagName() const { return m_tag; }

  // The key of a record from its field content (code page 850 bytes as stored).
  std::string makeKey(std::string_view fieldContent) const;
  void makeKey(std::string_view fieldContent, char* out) const;  // key size bytes
  // The key a search value is compared with: code page 850 bytes for character keys (cut
  // to the key size), the numeric key for a number.
  std::string searchKey(std::string_view cp850Text) const;
  std::string searchKey(double number) const;

  std::uint32_t count() const { return static_cast<std::uint32_t>(m_keys.size() / keySize()); }
  std::string_view keyOf(std::uint32_t recno) const;

  // Replace everything: keys of records 1..n in record order; sorted is their order when
  // already known (it is checked), or empty to sort here. True when sorted was taken as it
  // came.
  bool assign(std::vector<char> keys, std::vector<std::uint32_t> sorted = {});
  // The key of record count() + 1.
  void appendKey(std::string_view key);
  void setKey(std::uint32_t recno, std::string_view key);

  // Sorts in whatever changed since the last call.
  void resolve();
  // After resolve(): the record numbers in key order.
  const std::vector<std::uint32_t>& sorted() const { return m_sorted; }
  // After resolve(): the position of a record in sorted().
  std::size_t positionOf(std::uint32_t recno) const;
  // After resolve(): the first position whose key, compared over the search key's length,
  // is not below it.
  std::size_t lowerBound(std::string_view search) const;
  bool keyStartsWith(std::size_t position, std::string_view search) const;

  // Whether the keys are in memory; release() drops them (assign() brings them back).
  bool resident() const { return m_resident; }
  void release();

  // Whether the file on disk lags behind the keys in memory (or behind the records).
  bool needsWrite() const { return m_needsWrite; }
  void setWritten() { m_needsWrite = false; }
  void setNeedsWrite() { m_needsWrite = true; }

private:
  std::size_t keySize() const { return static_cast<std::size_t>(m_spec.size); }
  const char* keyPtr(std::uint32_t recno) const { return m_keys.data() + (recno - 1) * keySize(); }
  bool less(std::uint32_t a, std::uint32_t b) const;
  void sortAll();
  void markPending(std::uint32_t recno);

  KeySpec m_spec;
  std::filesystem::path m_file;
  std::string m_tag;
  std::vector<char> m_keys;             // key of record r at (r - 1) * size
  std::vector<std::uint32_t> m_sorted;  // sorted record numbers, without the pending ones
  std::vector<std::uint32_t> m_pending;
  std::vector<bool> m_isPending;  // by recno - 1
  bool m_needsWrite = true;
  bool m_resident = true;
};

}  // namespace velmoran::store
