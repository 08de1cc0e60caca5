#include "store/record_cache.h"

#include <algorithm>
#include <cstring>

namespace velmoran::store {

RecordCache::Block& RecordCache::block(std::uint64_t number) {
  if (m_last && m_last->number == number) {
    m_last->lastUse = ++m_clock;
    return *m_last;
  }
  for (auto& b : m_blocks) {
    if (b->number == number) {
      b->lastUse = ++m_clock;
      m_last = b.get();
      return *b;
    }
  }
  Block* target = nullptr;
  if (m_blocks.size() < maxBlocks) {
    m_blocks.push_back(std::make_unique<Block>());
    target = m_blocks.back().get();
    target->data.resize(blockSize);
  } else {
    auto oldest = std::min_element(m_blocks.begin(), m_blocks.end(),
                                   [](const auto& a, const auto& b) { return a->lastUse < b->lastUse; });
    target = oldest->get();
    writeBack(*target);
  }
  target->number = number;
  target->dirtyBegin = target->dirtyEnd = 0;
  std::size_t got = m_file.readAt(number * blockSize, target->data.data(), blockSize);
  std::fill(target->data.begin() + static_cast<std::ptrdiff_t>(got), target->data.end(), '\0');
  target->lastUse = ++m_clock;
  m_last = target;
  return *target;
}

void RecordCache::writeBack(Block& b) {
  if (!b.isDirty()) return;
  m_file.writeAt(b.number * blockSize + b.dirtyBegin, b.data.data() + b.dirtyBegin,
                 b.dirtyEnd - b.dirtyBegin);
  b.dirtyBegin = b.dirtyEnd = 0;
}

void RecordCache::read(std::uint64_t offset, void* out, std::size_t n) {
  char* dst = static_cast<char*>(out);
  while (n > 0) {
    Block& b = block(offset / blockSize);
    std::size_t at = static_cast<std::size_t>(offset % blockSize);
    std::size_t part = std::min(n, blockSize - at);
    std::memcpy(dst, b.data.data() + at, part);
    dst += part;
    offset += part;
    n -= part;
  }
}

void RecordCache::write(std::uint64_t offset, const void* data, std::size_t n) {
  const char* src = static_cast<const char*>(data);
  while (n > 0) {
    Block& b = block(offset / blockSize);
    std::size_t at = static_cast<std::size_t>(offset % blockSize);
    std::size_t part = std::min(n, blockSize - at);
    std::memcpy(b.data.data() + at, src, part);
    if (b.isDirty()) {
      b.dirtyBegin = std::min(b.dirtyBegin, at);
      b.dirtyEnd = std::max(b.dirtyEnd, at + part);
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
  std::sort(dirty.begin(), dirty.end(), [](const Block* a, const Block* b) { return a->number < b->number; });
  for (Block* b : dirty) writeBack(*b);
}

void RecordCache::clear() {
  m_blocks.clear();
  m_last = nullptr;
}

}  // namespace velmoran::store
