#pragma once
// RecordCache: a small write-back cache of fixed blocks over a table file, so that walking,
// reading and changing records costs one system call per block instead of one per field,
// and a table of any size needs only a bounded amount of memory. Changed blocks are written
// when they are evicted and on flush(), in file order.
//
// A block is read in segments: a walk in record order reads whole blocks, a walk in key
// order (records scattered over the file) reads only the segments it touches.

#include <cstdint>
#include <memory>
#include <vector>

#include "store/os_file.h"

namespace velmoran::store {

class RecordCache {
public:
  static constexpr std::size_t blockSize = 64 * 1024;
  static constexpr std::size_t maxBlocks = 16;
  static constexpr std::size_t walkBlocks = 2;  // blocks a walk through the file keeps
  static constexpr std::size_t segmentSize = 4 * 1024;
  static constexpr std::size_t segmentsPerBlock = blockSize / segmentSize;
  static_assert(segmentsPerBlock < 32, "a block's segments are the bits of one word");

  explicit RecordCache(OsFile& file) : m_file(file), m_fileEnd(file.size()) {}

  // Copy n bytes at offset out of the cache (reading blocks as needed). Bytes beyond the end
  // of the file and of anything written read as zero.
  void read(std::uint64_t offset, void* out, std::size_t n);
  // Change n bytes at offset; the file gets them at eviction or flush.
  void write(std::uint64_t offset, const void* data, std::size_t n);
  // Write every changed block, in file order.
  void flush();
  // Forget everything (after flush), e.g. before the file is truncated.
  void clear();
  // The file was written to up to `size` bytes past the cache (the end marker): bytes below
  // it are read from the file, not taken as zero.
  void fileGrewTo(std::uint64_t size) { m_fileEnd = std::max(m_fileEnd, size); }

private:
  struct Block {
    std::uint64_t number = 0;
    std::unique_ptr<char[]> data;  // blockSize bytes
    std::size_t dirtyBegin = 0;    // changed range [dirtyBegin, dirtyEnd) within the block
    std::size_t dirtyEnd = 0;
    std::uint64_t lastUse = 0;
    std::uint32_t validSegments = 0;  // bit s: segment s holds the file's bytes
    bool isDirty() const { return dirtyEnd > dirtyBegin; }
  };

  bool holdsChangesIn(std::uint64_t offset, std::size_t n) const;
  // The block holding offset, with the segments of [offset, offset + n) loaded.
  Block& block(std::uint64_t number, std::size_t at, std::size_t n);
  Block& slot(std::uint64_t number);
  void load(Block& b, std::uint32_t segments);
  void writeBack(Block& b);

  OsFile& m_file;
  std::vector<std::unique_ptr<Block>> m_blocks;
  Block* m_last = nullptr;
  std::uint64_t m_clock = 0;
  std::uint64_t m_fileEnd;  // no byte at or beyond this offset is in the file
  std::uint64_t m_lastLoaded = ~std::uint64_t{0};  // block of the last load from the file
};

}  // namespace velmoran::store
