#pragma once
// KeySorter: puts the (key, record number) items of an index into order within a bounded
// amount of memory. Items arrive in record order. While they fit into the budget they are
// sorted in memory; beyond it each full run is sorted and written to a temporary file, and
// the runs are merged at the end, at most 32 at a time. Without a temporary file everything
// stays in memory.

#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string_view>
#include <vector>

#if defined(_MSC_VER) && !defined(__clang__)
#include <stdlib.h>
#endif

namespace velmoran::store {

// The first eight key bytes as one number, so that most comparisons of a sort are a single
// integer comparison (shorter keys padded with zero bytes).
inline std::uint64_t keyPrefix(const char* key, std::size_t size) {
  if (size >= 8) {  // eight bytes read at once, the first one the highest
    std::uint64_t p;
    std::memcpy(&p, key, 8);
    if constexpr (std::endian::native == std::endian::big) return p;
#if defined(_MSC_VER) && !defined(__clang__)
    return _byteswap_uint64(p);
#else
    return __builtin_bswap64(p);
#endif
  }
  std::uint64_t p = 0;
  for (std::size_t i = 0; i < 8; ++i)
    p = (p << 8) | (i < size ? static_cast<unsigned char>(key[i]) : 0u);
  return p;
}

// The positions 0 .. n-1 of n keys of keySize bytes each, stored one after the other, in the
// order of their bytes (unsigned); equal keys keep their order.
std::vector<std::uint32_t> sortedPositions(const char* keys, std::size_t keySize, std::size_t n);

class KeySorter {
public:
  KeySorter(std::size_t keySize, std::size_t memoryBudget);
  ~KeySorter();
  KeySorter(const KeySorter&) = delete;
  KeySorter& operator=(const KeySorter&) = delete;

  // key: keySize bytes; record numbers ascending from one call to the next.
  void add(std::uint32_t recno, const char* key);
  // After the last add: every item in (key bytes, record number) order. Throws IoError when
  // the temporary file cannot be read back.
  void drain(const std::function<void(std::uint32_t recno, const char* key)>& out);
  // Runs written to the temporary file so far.
  std::size_t spilledRuns() const { return m_runs.size(); }

private:
  struct Run {
    std::uint64_t offset;  // of its first item in the temporary file
    std::uint64_t count;
  };
  void spill();
  // Item `at` of the run in memory as it goes to the temporary file: record number, key.
  void itemBytes(std::uint32_t at, char* out) const;
  void appendToTemp(const std::vector<char>& bytes);
  // The runs of the temporary file and, when inMemory is given, the items still in memory in
  // that order of their positions.
  void mergeRuns(const std::vector<Run>& runs, const std::vector<std::uint32_t>* inMemory,
                 const std::function<void(const char* item)>& out);

  std::size_t m_keySize;
  std::size_t m_capacity;  // items of one run
  std::vector<char> m_keys;
  std::vector<std::uint32_t> m_recnos;
  std::FILE* m_temp = nullptr;
  bool m_noTemp = false;
  std::uint64_t m_written = 0;  // bytes in the temporary file
  bool m_atEnd = true;          // its stream stands at its end after a write
  std::vector<Run> m_runs;
};

}  // namespace velmoran::store
