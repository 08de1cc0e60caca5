#include "store/record_cache.h"

#include <algorithm>
#include <cstring>

namespace velmoran::store {

namespace {

std::uint32_t segmentMask(std::size_t at, std::size_t n) {
  const std::size_t first = at / RecordCache::segmentSize;
  const std::size_t last = (at + n - 1) / RecordCache::segmentSize;
  // Bits first .. last; segmentsPerBlock is below 32.
  return ((2u << last) - 1) & ~((1u << first) - 1);
}

constexpr std::uint32_t allSegments = (1u << RecordCache::segmentsPerBlock) - 1;

}  // namespace

RecordCache::Block& RecordCache::slot(std::uint64_t number) {
  if (m_last && m_last->number == number) return *m_last;
  for (auto& b : m_blocks) {
    if (b->number == number) {
      m_last = b.get();
      return *b;
    }
  }
  Block* target = nullptr;
  // A walk through the file (the block after the last one read, as appending gives) reuses
  // the oldest of a few blocks; other reads gather blocks up to the maximum.
  const bool walking = number == m_lastLoaded + 1 && m_blocks.size() >= walkBlocks;
  if (m_blocks.size() < maxBlocks && !walking) {
    m_blocks.push_back(std::make_unique<Block>());
    target = m_blocks.back().get();
    // Left uninitialised: only loaded segments are ever read.
    target->data = std::make_unique_for_overwrite<char[]>(blockSize);
  } else {
    auto oldest =
        std::min_element(m_blocks.begin(), m_blocks.end(),
                         [](const auto& a, const auto& b) { return a->lastUse < b->lastUse; });
    target = oldest->get();
    writeBack(*target);
  }
  target->number = number;
  target->dirtyBegin = target->dirtyEnd = 0;
  target->validSegments = 0;
  m_last = target;
  return *target;
}

void RecordCache::load(Block& b, std::uint32_t segments) {
  segments &= ~b.validSegments;
  if (segments == 0) return;
  for (std::size_t s = 0; s < segmentsPerBlock;) {
    if (!(segments & (1u << s))) {
      ++s;
      continue;
    }
    std::size_t end = s;
    while (end < segmentsPerBlock && (segments & (1u << end))) ++end;
    std::size_t at = s * segmentSize;
    std::size_t n = (end - s) * segmentSize;
    // Segments wholly beyond the end of the file (records being appended) are not read.
    std::uint64_t from = b.number * blockSize + at;
    std::size_t got = from < m_fileEnd ? m_file.readAt(from, b.data.get() + at, n) : 0;
    std::memset(b.data.get() + at + got, 0, n - got);
    s = end;
  }
  b.validSegments |= segments;
}

RecordCache::Block& RecordCache::block(std::uint64_t number, std::size_t at, std::size_t n) {
  Block& b = slot(number);
  b.lastUse = ++m_clock;
  std::uint32_t needed = segmentMask(at, n);
  if ((b.validSegments & needed) != needed) {
    // Reading on in the same or the next block is a walk through the file: take the whole
    // block at once. Anything else reads just what is needed.
    bool walking = number == m_lastLoaded || number == m_lastLoaded + 1;
    load(b, walking ? allSegments : needed);
    m_lastLoaded = number;
  }
  return b;
}

void RecordCache::writeBack(Block& b) {
  if (!b.isDirty()) return;
  m_file.writeAt(b.number * blockSize + b.dirtyBegin, b.data.get() + b.dirtyBegin,
                 b.dirtyEnd - b.dirtyBegin);
  fileGrewTo(b.number * blockSize + b.dirtyEnd);
  b.dirtyBegin = b.dirtyEnd = 0;
}

bool RecordCache::holdsChangesIn(std::uint64_t offset, std::size_t n) const {
  for (const auto& b : m_blocks) {
    if (!b->isDirty()) continue;
    const std::uint64_t begin = b->number * blockSize + b->dirtyBegin;
    const std::uint64_t end = b->number * blockSize + b->dirtyEnd;
    if (begin < offset + n && offset < end) return true;
  }
  return false;
}

void RecordCache::read(std::uint64_t offset, void* out, std::size_t n) {
  char* dst = static_cast<char*>(out);
  // A long read of unchanged bytes (a pass over all records) goes straight to the file,
  // without passing through the blocks.
  if (n >= blockSize && !holdsChangesIn(offset, n)) {
    std::size_t got = m_file.readAt(offset, dst, n);
    std::memset(dst + got, 0, n - got);
    return;
  }
  while (n > 0) {
    std::size_t at = static_cast<std::size_t>(offset % blockSize);
    std::size_t part = std::min(n, blockSize - at);
    Block& b = block(offset / blockSize, at, part);
    std::memcpy(dst, b.data.get() + at, part);
    dst += part;
    offset += part;
    n -= part;
  }
}

void RecordCache::write(std::uint64_t offset, const void* data, std::size_t n) {
  const char* src = static_cast<const char*>(data);
  while (n > 0) {
    std::size_t at = static_cast<std::size_t>(offset % blockSize);
    std::size_t part = std::min(n, blockSize - at);
    // A block is written back as one range, so every segment between its first and last
    // change is loaded from the file.
    Block& b = block(offset / blockSize, at, part);
    std::memcpy(b.data.get() + at, src, part);
    if (b.isDirty()) {
      b.dirtyBegin = std::min(b.dirtyBegin, at);
      b.dirtyEnd = std::max(b.dirtyEnd, at + part);
      load(b, segmentMask(b.dirtyBegin, b.dirtyEnd - b.dirtyBegin));
    } else {
      b.dirtyBegin = at;
      b.dirtyEnd = at + part;
    }
    src += part;
    offset += part;
    n -= part;
  }
}

void RecordCache::flush() {
  std::vector<Block*> dirty;
  for (auto& b : m_blocks)
    if (b->isDirty()) dirty.push_back(b.get());
  std::sort(dirty.begin(), dirty.end(),
            [](const Block* a, const Block* b) { return a->number < b->number; });
  for (Block* b : dirty) writeBack(*b);
}

void RecordCache::clear() {
  m_fileEnd = m_file.size();
  m_blocks.clear();
  m_last = nullptr;
  m_lastLoaded = ~std::uint64_t{0};
}

}  // namespace velmoran::store
