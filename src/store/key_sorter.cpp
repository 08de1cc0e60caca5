#include "store/key_sorter.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <utility>

#ifdef _WIN32
#include <process.h>

#include <atomic>
#include <filesystem>
#include <string>
#endif

#include "store/table.h"

namespace velmoran::store {

namespace {

// Runs merged at once. The index files of a table are written two at a time (store/parallel.h),
// so together their merges read through at most 2 x 32 x 8 KB.
constexpr std::size_t maxMergeWidth = 32;
constexpr std::size_t readChunk = 8 * 1024;    // bytes at least read back from each run at a time
constexpr std::size_t writeChunk = 64 * 1024;  // bytes written to the temporary file at a time
// The read buffers of one merge share this much; each run gets at least readChunk.
constexpr std::size_t mergeBuffers = maxMergeWidth * readChunk;
// Beyond this many byte positions that differ between the keys, comparing beats radix passes.
constexpr std::size_t maxRadixPasses = 12;

bool seekTo(std::FILE* f, std::uint64_t offset) {
#ifdef _WIN32
  return _fseeki64(f, static_cast<__int64>(offset), SEEK_SET) == 0;
#else
  return fseeko(f, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}

// A temporary file that the system removes when it is closed, also when the program ends
// abruptly; nullptr when none can be made.
std::FILE* openTempFile() {
#ifdef _WIN32
  // tmpfile() of the C runtime writes into the root of the drive, which users may not
  // write to: the user's temporary folder, and "D" (delete on close) for the cleanup.
  static std::atomic<unsigned> counter{0};
  std::error_code ec;
  const std::filesystem::path dir = std::filesystem::temp_directory_path(ec);
  if (ec) return nullptr;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::filesystem::path file =
        dir / ("velmoran-" + std::to_string(_getpid()) + "-" + std::to_string(counter++) + ".tmp");
    if (std::filesystem::exists(file, ec)) continue;
    if (std::FILE* f = _wfopen(file.c_str(), L"w+bTD")) return f;
  }
  return nullptr;
#else
  return std::tmpfile();
#endif
}

}  // namespace

std::vector<std::uint32_t> sortedPositions(const char* keys, std::size_t keySize, std::size_t n) {
  std::vector<std::uint32_t> order(n);
  for (std::size_t i = 0; i < n; ++i) order[i] = static_cast<std::uint32_t>(i);
  if (n < 2 || keySize == 0) return order;
  const auto byteAt = [&](std::size_t item, std::size_t at) {
    return static_cast<unsigned char>(keys[item * keySize + at]);
  };
  // Keys are mostly short texts padded with blanks: only a few byte positions differ between
  // them, and a stable radix sort over just those positions is the fastest way.
  std::vector<std::size_t> varying;
  for (std::size_t at = 0; at < keySize; ++at) {
    for (std::size_t i = 1; i < n; ++i) {
      if (byteAt(i, at) != byteAt(0, at)) {
        varying.push_back(at);
        break;
      }
    }
  }
  if (varying.size() > maxRadixPasses) {
    // Long keys that differ everywhere: compare them, the first sixteen bytes as two numbers.
    struct Item {
      std::uint64_t head;
      std::uint64_t next;
      std::uint32_t at;
    };
    std::vector<Item> items(n);
    const std::size_t nextSize = keySize > 8 ? keySize - 8 : 0;
    for (std::size_t i = 0; i < n; ++i) {
      const char* key = keys + i * keySize;
      items[i] = {keyPrefix(key, keySize), nextSize ? keyPrefix(key + 8, nextSize) : 0,
                  static_cast<std::uint32_t>(i)};
    }
    const std::size_t rest = keySize > 16 ? keySize - 16 : 0;
    // Positions follow the input, so comparing them settles equal keys.
    std::sort(items.begin(), items.end(), [&](const Item& a, const Item& b) {
      if (a.head != b.head) return a.head < b.head;
      if (a.next != b.next) return a.next < b.next;
      if (rest > 0) {
        int c = std::memcmp(keys + a.at * keySize + 16, keys + b.at * keySize + 16, rest);
        if (c != 0) return c < 0;
      }
      return a.at < b.at;
    });
    for (std::size_t i = 0; i < n; ++i) order[i] = items[i].at;
    return order;
  }
  // Least significant varying position first; each pass is stable.
  std::vector<std::uint32_t> next(n);
  std::size_t counts[256];
  for (auto v = varying.rbegin(); v != varying.rend(); ++v) {
    const std::size_t at = *v;
    std::fill(std::begin(counts), std::end(counts), 0);
    for (std::size_t i = 0; i < n; ++i) ++counts[byteAt(i, at)];
    std::size_t sum = 0;
    for (std::size_t& c : counts) sum += std::exchange(c, sum);
    for (std::uint32_t item : order) next[counts[byteAt(item, at)]++] = item;
    order.swap(next);
  }
  return order;
}

KeySorter::KeySorter(std::size_t keySize, std::size_t memoryBudget)
    : m_keySize(keySize),
      // Per item: the key, its record number, and the sort's two lists of positions.
      m_capacity(std::max<std::size_t>(1024, memoryBudget / (keySize + 4 + 8))) {}

KeySorter::~KeySorter() {
  if (m_temp) std::fclose(m_temp);
}

void KeySorter::add(std::uint32_t recno, const char* key) {
  if (m_recnos.empty() && m_recnos.capacity() == 0) {
    // One run's room at once (the system provides the pages as they are filled).
    m_keys.reserve(m_capacity * m_keySize);
    m_recnos.reserve(m_capacity);
  }
  m_keys.insert(m_keys.end(), key, key + m_keySize);
  m_recnos.push_back(recno);
  if (m_recnos.size() >= m_capacity && !m_noTemp) spill();
}

void KeySorter::spill() {
  if (!m_temp) {
    m_temp = openTempFile();
    if (!m_temp) {
      // No temporary file: the items stay in memory.
      m_noTemp = true;
      return;
    }
  }
  const std::size_t itemSize = 4 + m_keySize;
  const std::uint64_t begin = m_written;
  std::vector<char> out;
  out.reserve(writeChunk + itemSize);
  for (std::uint32_t at : sortedPositions(m_keys.data(), m_keySize, m_recnos.size())) {
    out.resize(out.size() + itemSize);
    itemBytes(at, out.data() + out.size() - itemSize);
    if (out.size() >= writeChunk) {
      appendToTemp(out);
      out.clear();
    }
  }
  appendToTemp(out);
  m_runs.push_back(Run{begin, m_recnos.size()});
  m_keys.clear();
  m_recnos.clear();
}

void KeySorter::itemBytes(std::uint32_t at, char* out) const {
  std::memcpy(out, &m_recnos[at], 4);
  if (m_keySize > 0) std::memcpy(out + 4, m_keys.data() + std::size_t{at} * m_keySize, m_keySize);
}

void KeySorter::appendToTemp(const std::vector<char>& bytes) {
  if (bytes.empty()) return;
  // A seek empties the stream's buffer: only after reading is one needed.
  if ((!m_atEnd && !seekTo(m_temp, m_written)) ||
      std::fwrite(bytes.data(), 1, bytes.size(), m_temp) != bytes.size())
    throw IoError("cannot write a temporary file for sorting index keys");
  m_atEnd = true;
  m_written += bytes.size();
}

void KeySorter::mergeRuns(const std::vector<Run>& runs, const std::vector<std::uint32_t>* inMemory,
                          const std::function<void(const char*)>& out) {
  const std::size_t itemSize = 4 + m_keySize;
  const std::size_t sources = runs.size() + (inMemory ? 1 : 0);
  // Few runs read in bigger pieces: fewer reads for the same memory.
  const std::size_t chunkItems = std::max<std::size_t>(
      1, std::max(readChunk, mergeBuffers / std::max<std::size_t>(1, sources)) / itemSize);
  struct Reader {
    std::uint64_t next;  // file offset of the next unread item; in memory: its place in the order
    std::uint64_t left;  // items not yet read
    bool inMemory = false;
    std::vector<char> buffer;
    std::size_t at = 0;
    std::uint64_t head = 0;  // first eight key bytes of the current item
    const char* item() const { return buffer.data() + at; }
  };
  std::vector<Reader> readers;
  readers.reserve(sources);
  for (const Run& run : runs) readers.push_back(Reader{run.offset, run.count, false, {}});
  // The items still in memory came last: their reader is the last one.
  if (inMemory) readers.push_back(Reader{0, inMemory->size(), true, {}});
  auto refill = [&](Reader& r) {
    std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(chunkItems, r.left));
    r.buffer.resize(n * itemSize);
    if (r.inMemory) {
      for (std::size_t k = 0; k < n; ++k)
        itemBytes((*inMemory)[static_cast<std::size_t>(r.next) + k],
                  r.buffer.data() + k * itemSize);
      r.next += n;
    } else {
      m_atEnd = false;
      if (!seekTo(m_temp, r.next) ||
          std::fread(r.buffer.data(), 1, r.buffer.size(), m_temp) != r.buffer.size())
        throw IoError("cannot read a temporary file for sorting index keys");
      r.next += r.buffer.size();
    }
    r.left -= n;
    r.at = 0;
  };
  auto takeHead = [&](Reader& r) { r.head = keyPrefix(r.item() + 4, m_keySize); };
  // Runs hold ascending record numbers, so an earlier run wins among equal keys.
  const std::size_t rest = m_keySize > 8 ? m_keySize - 8 : 0;
  auto after = [&](std::size_t a, std::size_t b) {
    if (readers[a].head != readers[b].head) return readers[a].head > readers[b].head;
    int c = rest ? std::memcmp(readers[a].item() + 12, readers[b].item() + 12, rest) : 0;
    return c != 0 ? c > 0 : a > b;
  };
  // A heap of the runs by their current item: the smallest on top. Taking an item replaces
  // the top and sifts it down once.
  std::vector<std::size_t> heap;
  for (std::size_t i = 0; i < readers.size(); ++i) {
    if (readers[i].left == 0) continue;
    refill(readers[i]);
    takeHead(readers[i]);
    heap.push_back(i);
  }
  std::make_heap(heap.begin(), heap.end(), after);
  auto siftDown = [&] {
    const std::size_t n = heap.size();
    const std::size_t x = heap[0];
    std::size_t i = 0;
    for (;;) {
      std::size_t c = 2 * i + 1;
      if (c >= n) break;
      if (c + 1 < n && after(heap[c], heap[c + 1])) ++c;
      if (!after(x, heap[c])) break;
      heap[i] = heap[c];
      i = c;
    }
    heap[i] = x;
  };
  while (!heap.empty()) {
    Reader& r = readers[heap[0]];
    out(r.item());
    r.at += itemSize;
    if (r.at == r.buffer.size()) {
      if (r.left == 0) {
        r.buffer = {};
        heap[0] = heap.back();
        heap.pop_back();
        if (!heap.empty()) siftDown();
        continue;
      }
      refill(r);
      takeHead(r);
      siftDown();
      continue;
    }
    // The next item of the same run with the same key still comes first: every other run's
    // item has a greater key, or the same key and a later run.
    const std::uint64_t taken = r.head;
    takeHead(r);
    if (r.head == taken &&
        (rest == 0 || std::memcmp(r.item() + 12, r.item() + 12 - itemSize, rest) == 0))
      continue;
    siftDown();
  }
}

void KeySorter::drain(const std::function<void(std::uint32_t, const char*)>& out) {
  if (m_runs.empty()) {
    for (std::uint32_t at : sortedPositions(m_keys.data(), m_keySize, m_recnos.size()))
      out(m_recnos[at], m_keys.data() + std::size_t{at} * m_keySize);
    return;
  }
  const std::size_t itemSize = 4 + m_keySize;
  // The items still in memory take part in the last merge as they are, without a trip
  // through the temporary file.
  const std::size_t fileRuns = m_recnos.empty() ? maxMergeWidth : maxMergeWidth - 1;
  // Merge at most maxMergeWidth runs at a time, so that the read buffers stay bounded too.
  while (m_runs.size() > fileRuns) {
    std::vector<Run> longer;
    for (std::size_t i = 0; i < m_runs.size(); i += maxMergeWidth) {
      std::vector<Run> group(
          m_runs.begin() + static_cast<std::ptrdiff_t>(i),
          m_runs.begin() + static_cast<std::ptrdiff_t>(std::min(i + maxMergeWidth, m_runs.size())));
      if (group.size() == 1) {
        longer.push_back(group.front());
        continue;
      }
      Run merged{m_written, 0};
      std::vector<char> pending;
      pending.reserve(writeChunk + itemSize);
      mergeRuns(group, nullptr, [&](const char* item) {
        pending.insert(pending.end(), item, item + itemSize);
        ++merged.count;
        if (pending.size() >= writeChunk) {
          appendToTemp(pending);
          pending.clear();
        }
      });
      appendToTemp(pending);
      longer.push_back(merged);
    }
    m_runs = std::move(longer);
  }
  const std::vector<std::uint32_t> lastRun =
      sortedPositions(m_keys.data(), m_keySize, m_recnos.size());
  mergeRuns(m_runs, m_recnos.empty() ? nullptr : &lastRun, [&](const char* item) {
    std::uint32_t recno;
    std::memcpy(&recno, item, 4);
    out(recno, item + 4);
  });
}

}  // namespace velmoran::store
