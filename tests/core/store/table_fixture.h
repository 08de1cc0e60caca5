#pragma once
// Helpers of the table layer's tests: small tables made on the spot in a temporary folder.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "store/table.h"
#include "support/temp_dir.h"

namespace velmoran::store::testing {

inline std::unique_ptr<Table> openTable(const std::filesystem::path& file,
                                        OpenMode mode = OpenMode::Exclusive) {
  auto opened = Table::open(file, mode);
  if (!opened) ADD_FAILURE() << file << ": " << opened.reason();
  return opened ? std::move(*opened) : nullptr;
}

inline std::unique_ptr<Table> createTable(const std::filesystem::path& file, const Structure& s) {
  auto created = Table::create(file, s);
  if (!created) ADD_FAILURE() << file << ": " << created.reason();
  return openTable(file);
}

// A table with one character field NAME C(width) holding these values, in record order.
inline std::unique_ptr<Table> nameTable(const std::filesystem::path& file,
                                        const std::vector<std::string>& names, int width = 10) {
  auto t = createTable(file, {{"NAME", 'C', width, 0}});
  for (const auto& n : names) {
    t->append();
    t->put("NAME", n);
  }
  return t;
}

// Record numbers of the visible records in the current order, top to bottom.
inline std::vector<std::uint32_t> walk(Table& t) {
  std::vector<std::uint32_t> out;
  for (t.goTop(); !t.eof(); t.skip()) out.push_back(t.recno());
  return out;
}

// The same, bottom to top.
inline std::vector<std::uint32_t> walkBack(Table& t) {
  std::vector<std::uint32_t> out;
  for (t.goBottom(); !t.bof(); t.skip(-1)) {
    out.push_back(t.recno());
    if (t.eof()) break;
  }
  return out;
}

inline std::string bytesAt(const std::string& file, std::size_t offset, std::size_t n) {
  return file.substr(offset, n);
}

}  // namespace velmoran::store::testing
