#include "store/ntx_index.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <optional>

#include "store/little_endian.h"
#include "store/order.h"
#include "store/os_file.h"

namespace velmoran::store {

namespace {

constexpr std::size_t expressionOffset = 22;
constexpr std::size_t expressionSize = 256;
constexpr std::size_t uniqueOffset = 278;
constexpr std::size_t descendingOffset = 280;
constexpr std::size_t forOffset = 282;
constexpr std::size_t forSize = 256;
constexpr std::size_t tagOffset = 538;
constexpr std::size_t tagSize = 12;
constexpr std::size_t maxDepth = 64;

std::string cString(const char* p, std::size_t max) {
  std::size_t n = 0;
  while (n < max && p[n] != '\0') ++n;
  return std::string(p, n);
}

// Where a page's first item lies: after the item count and the offset of each item.
std::size_t firstItemOffset(std::size_t maxItems) { return 2 + 2 * (maxItems + 1); }

bool fitsPage(std::size_t maxItems, std::size_t itemSize) {
  return firstItemOffset(maxItems) + (maxItems + 1) * itemSize <= ntxPageSize;
}

std::string headerPage(const KeySpec& spec, std::string_view tagName, std::uint32_t rootOffset,
                       std::uint16_t maxItems) {
  std::string h(ntxPageSize, '\0');
  putLe16(&h[0], ntxSignature);
  putLe16(&h[2], 1);
  putLe32(&h[4], rootOffset);
  putLe32(&h[8], 0);
  putLe16(&h[12], static_cast<std::uint16_t>(spec.size + 8));
  putLe16(&h[14], static_cast<std::uint16_t>(spec.size));
  putLe16(&h[16], static_cast<std::uint16_t>(spec.decimals));
  putLe16(&h[18], maxItems);
  putLe16(&h[20], static_cast<std::uint16_t>(maxItems / 2));
  std::memcpy(&h[expressionOffset], spec.expression.data(),
              std::min(spec.expression.size(), expressionSize - 1));
  std::memcpy(&h[tagOffset], tagName.data(), std::min<std::size_t>(tagName.size(), 10));
  return h;
}

}  // namespace

// One page of the tree being built: its items (record number and key) with their left
// children; children.back() is the pseudo item's child (keys above the last one). Child
// numbers are 1-based page numbers; page p lies at file offset p * 1024.
struct NtxWriter::Page {
  std::vector<std::uint32_t> recnos;
  std::string keys;  // keySize bytes per item
  std::vector<std::uint32_t> children;
};

// Keys arrive in order and fill the pages bottom-up; a full page is closed and its last key
// goes one level up. Closed pages are written at once except the last two of each level,
// which the evening out of the right edge may still change.
struct NtxWriter::Builder {
  struct Closed {
    std::uint32_t number = 0;
    Page page;
  };
  struct Level {
    Page open;
    std::optional<Closed> before;  // the page closed before `last`
    std::optional<Closed> last;
  };

  std::size_t keySize;
  std::size_t maxItems;
  std::vector<Level> levels;  // leaves first
  std::uint32_t closedPages = 0;

  // The level's next open page takes the buffers of the page written out here.
  std::uint32_t close(std::size_t level, Page&& page, NtxWriter& out) {
    Level& l = levels[level];
    Page written;
    if (l.before) {
      out.emit(l.before->number, l.before->page);
      written = std::move(l.before->page);
    }
    l.before = std::move(l.last);
    l.last = Closed{++closedPages, std::move(page)};
    written.recnos.clear();
    written.keys.clear();
    written.children.clear();
    l.open = std::move(written);
    return l.last->number;
  }

  void add(std::uint32_t recno, const char* key, NtxWriter& out) {
    std::uint32_t child = 0;
    for (std::size_t level = 0;; ++level) {
      if (level == levels.size()) levels.emplace_back();
      Page& page = levels[level].open;
      if (page.recnos.size() < maxItems) {
        page.recnos.push_back(recno);
        page.keys.append(key, keySize);
        page.children.push_back(child);
        return;
      }
      // A full page is closed; the key goes one level up with the closed page on its left.
      page.children.push_back(child);
      child = close(level, std::move(page), out);
    }
  }

  // Closes the open pages bottom-up, evens out the right edge, writes what is left and
  // returns the root page.
  std::uint32_t finish(NtxWriter& out) {
    std::uint32_t child = 0;
    for (std::size_t level = 0; level < levels.size(); ++level) {
      Page page = std::move(levels[level].open);
      page.children.push_back(child);
      child = close(level, std::move(page), out);
    }
    if (child == 0) {
      levels.emplace_back();
      child = close(0, Page{{}, {}, {0}}, out);
    }
    // From the root down: the last page of each level may be short; it takes keys from its
    // left sibling through the separator in the parent until both hold about half of them.
    for (std::size_t level = levels.size() - 1; level > 0; --level) {
      Page& parent = levels[level].last->page;
      Level& below = levels[level - 1];
      Page& right = below.last->page;
      if (parent.recnos.empty() || right.recnos.size() >= maxItems / 2) continue;
      Page& left = below.before->page;
      Page all;
      all.recnos = left.recnos;
      all.recnos.push_back(parent.recnos.back());
      all.recnos.insert(all.recnos.end(), right.recnos.begin(), right.recnos.end());
      all.keys = left.keys + parent.keys.substr(parent.keys.size() - keySize) + right.keys;
      all.children = left.children;
      all.children.insert(all.children.end(), right.children.begin(), right.children.end());
      std::size_t keep = all.recnos.size() / 2;  // (a + b + 1) div 2
      auto cut = [&](Page& to, std::size_t from, std::size_t to_) {
        to.recnos.assign(all.recnos.begin() + static_cast<std::ptrdiff_t>(from),
                         all.recnos.begin() + static_cast<std::ptrdiff_t>(to_));
        to.keys = all.keys.substr(from * keySize, (to_ - from) * keySize);
      };
      cut(left, 0, keep);
      left.children.assign(all.children.begin(),
                           all.children.begin() + static_cast<std::ptrdiff_t>(keep + 1));
      parent.recnos.back() = all.recnos[keep];
      parent.keys.replace(parent.keys.size() - keySize, keySize, all.keys, keep * keySize, keySize);
      cut(right, keep + 1, all.recnos.size());
      right.children.assign(all.children.begin() + static_cast<std::ptrdiff_t>(keep + 1),
                            all.children.end());
    }
    for (Level& l : levels) {
      if (l.before) out.emit(l.before->number, l.before->page);
      if (l.last) out.emit(l.last->number, l.last->page);
    }
    return child;
  }
};

NtxWriter::NtxWriter(const KeySpec& spec, std::string_view tagName, PageSink sink)
    : m_spec(spec),
      m_tag(tagName),
      m_sink(std::move(sink)),
      m_maxItems(ntxMaxItems(spec.size)),
      m_builder(std::make_unique<Builder>()) {
  m_builder->keySize = static_cast<std::size_t>(spec.size);
  m_builder->maxItems = m_maxItems;
  // Every page has the same table of item offsets; the items follow it.
  const std::size_t itemSize = static_cast<std::size_t>(spec.size) + 8;
  const std::size_t firstSlot = firstItemOffset(m_maxItems);
  m_empty.assign(ntxPageSize, '\0');
  for (std::size_t j = 0; j <= m_maxItems; ++j)
    putLe16(m_empty.data() + 2 + 2 * j, static_cast<std::uint16_t>(firstSlot + j * itemSize));
  m_page.resize(ntxPageSize);
}

NtxWriter::~NtxWriter() = default;

void NtxWriter::add(std::uint32_t recno, const char* key) { m_builder->add(recno, key, *this); }

void NtxWriter::finish() {
  std::uint32_t root = m_builder->finish(*this);
  std::string h =
      headerPage(m_spec, m_tag, root * static_cast<std::uint32_t>(ntxPageSize), m_maxItems);
  m_sink(0, h.data());
}

void NtxWriter::emit(std::uint32_t number, const Page& page) {
  const std::size_t keySize = static_cast<std::size_t>(m_spec.size);
  const std::size_t itemSize = keySize + 8;
  const std::size_t firstSlot = firstItemOffset(m_maxItems);
  char* p = m_page.data();
  std::memcpy(p, m_empty.data(), ntxPageSize);
  putLe16(p, static_cast<std::uint16_t>(page.recnos.size()));
  for (std::size_t j = 0; j < page.children.size(); ++j) {
    char* slot = p + firstSlot + j * itemSize;
    putLe32(slot, page.children[j] * static_cast<std::uint32_t>(ntxPageSize));
    // The pseudo item after the last key carries only its child; its record number and key
    // stay zero (other readers would report stale bytes there as keys).
    if (j == page.recnos.size()) break;
    putLe32(slot + 4, page.recnos[j]);
    std::memcpy(slot + 8, page.keys.data() + j * keySize, keySize);
  }
  m_sink(number, p);
}

std::uint16_t ntxMaxItems(int keySize) {
  int m = static_cast<int>(ntxPageSize - 2) / (keySize + 10) - 1;
  if (m % 2 == 1 && m > 2) --m;
  return static_cast<std::uint16_t>(std::max(m, 2));
}

Result<NtxHeader> parseNtxHeader(const std::string& bytes) {
  return parseNtxHeader(bytes.substr(0, ntxPageSize), bytes.size());
}

Result<NtxHeader> parseNtxHeader(const std::string& firstPage, std::uint64_t fileSize) {
  if (fileSize < 2 * ntxPageSize || firstPage.size() < ntxPageSize)
    return fail("index file too short");
  const char* p = firstPage.data();
  NtxHeader h;
  h.signature = le16(p);
  h.version = le16(p + 2);
  h.root = le32(p + 4);
  h.nextFree = le32(p + 8);
  h.itemSize = le16(p + 12);
  h.keySize = le16(p + 14);
  h.keyDecimals = le16(p + 16);
  h.maxItems = le16(p + 18);
  h.halfPage = le16(p + 20);
  h.expression = cString(p + expressionOffset, expressionSize);
  h.unique = p[uniqueOffset] != 0;
  h.descending = p[descendingOffset] != 0;
  h.forCondition = cString(p + forOffset, forSize);
  h.tagName = cString(p + tagOffset, tagSize);
  // Clipper 5 writes 6 and Summer '87 3; Harbour adds flag bits to 6.
  if (h.signature != 3 && (h.signature & 0x06) != 0x06) return fail("not an NTX index file");
  if (h.keySize == 0 || h.keySize > 256 || h.itemSize != h.keySize + 8)
    return fail("index file with an impossible key size");
  if (h.maxItems < 2 || !fitsPage(h.maxItems, h.itemSize))
    return fail("index file with an impossible page size");
  if (h.root == 0 || h.root % ntxPageSize != 0 || h.root + ntxPageSize > fileSize)
    return fail("index file whose root page lies outside it");
  return h;
}

// Walks a tree in key order, one page at a time, checking each page before using it.
class NtxWalker {
public:
  // read(offset, page) fills the 1024 bytes of the page at that offset.
  NtxWalker(const NtxHeader& header, std::uint64_t fileSize,
            std::function<void(std::uint32_t, char*)> read)
      : m_header(header),
        m_pageCount(fileSize / ntxPageSize),
        m_visited(m_pageCount, false),
        m_read(std::move(read)) {}

  // The next item (record number and key), nothing at the end; a failure for a damaged tree.
  // The key stays valid until the next call.
  Result<std::optional<std::pair<std::uint32_t, const char*>>> next() {
    if (!m_started) {
      m_started = true;
      if (auto r = enter(m_header.root); !r) return fail(r.reason());
    }
    if (m_popFirst) {
      m_popFirst = false;
      m_stack.pop_back();
    }
    while (!m_stack.empty()) {
      Frame& f = m_stack.back();
      if (!f.descended) {
        f.descended = true;
        std::uint32_t child = le32(item(f, f.next));
        if (child != 0) {
          if (auto r = enter(child); !r) return fail(r.reason());
          continue;
        }
      }
      const std::uint16_t j = f.next++;
      f.descended = false;
      const bool finished = f.next > f.count;
      if (j < f.count) {
        const char* it = item(f, j);
        m_popFirst = finished;
        return std::optional<std::pair<std::uint32_t, const char*>>({le32(it + 4), it + 8});
      }
      if (finished) m_stack.pop_back();
    }
    return std::optional<std::pair<std::uint32_t, const char*>>();
  }

private:
  struct Frame {
    std::vector<char> page;
    std::uint16_t count = 0;
    std::uint16_t next = 0;
    bool descended = false;
  };
  static const char* item(const Frame& f, std::size_t j) {
    return f.page.data() + le16(f.page.data() + 2 + 2 * j);
  }

  Result<void> enter(std::uint32_t offset) {
    if (offset % ntxPageSize != 0 || offset == 0 || offset / ntxPageSize >= m_pageCount)
      return fail("index page outside the file");
    if (m_visited[offset / ntxPageSize]) return fail("index pages form a loop");
    if (m_stack.size() >= maxDepth) return fail("index tree too deep");
    m_visited[offset / ntxPageSize] = true;
    Frame f;
    f.page.resize(ntxPageSize);
    m_read(offset, f.page.data());
    f.count = le16(f.page.data());
    if (f.count > m_header.maxItems) return fail("index page with too many keys");
    for (std::size_t j = 0; j <= f.count; ++j) {
      std::uint16_t at = le16(f.page.data() + 2 + 2 * j);
      if (at < 2 || at + m_header.itemSize > ntxPageSize)
        return fail("index item outside its page");
    }
    m_stack.push_back(std::move(f));
    return {};
  }

  const NtxHeader& m_header;
  std::uint64_t m_pageCount;
  std::vector<bool> m_visited;
  std::function<void(std::uint32_t, char*)> m_read;
  std::vector<Frame> m_stack;
  bool m_started = false;
  bool m_popFirst = false;
};

Result<void> walkNtxFile(const std::filesystem::path& file,
                         const std::function<bool(const NtxHeader&)>& accept,
                         const std::function<bool(std::uint32_t, const char*)>& visit) {
  auto opened = OsFile::open(file, OsFile::Access::ReadOnly);
  if (!opened) return fail(opened.reason());
  std::string first(ntxPageSize, '\0');
  first.resize(opened->readAt(0, first.data(), first.size()));
  const std::uint64_t size = opened->size();
  auto header = parseNtxHeader(first, size);
  if (!header) return fail(header.reason());
  if (!accept(*header)) return fail("index file does not fit");
  // Pages are read through a window of 64 pages: a walk in key order visits them mostly
  // in the order the writer put them into the file.
  constexpr std::uint64_t windowSize = 64 * ntxPageSize;
  auto window = std::make_unique_for_overwrite<char[]>(windowSize);
  std::uint64_t windowStart = 0;
  std::size_t windowBytes = 0;  // read at windowStart; nothing yet
  NtxWalker walker(*header, size, [&](std::uint32_t offset, char* page) {
    if (offset < windowStart || offset + ntxPageSize > windowStart + windowBytes) {
      windowStart = offset - offset % windowSize;
      windowBytes = opened->readAt(windowStart, window.get(), windowSize);
    }
    const std::uint64_t at = offset - windowStart;
    const std::size_t got =
        at < windowBytes ? std::min<std::size_t>(ntxPageSize, windowBytes - at) : 0;
    std::memcpy(page, window.get() + at, got);
    std::memset(page + got, 0, ntxPageSize - got);
  });
  for (;;) {
    auto step = walker.next();
    if (!step) return fail(step.reason());
    if (!*step || !visit((*step)->first, (*step)->second)) return {};
  }
}

Result<std::uint32_t> findInNtxFile(const std::filesystem::path& file,
                                    const std::function<bool(std::uint32_t)>& accept) {
  std::uint32_t found = 0;
  auto walked = walkNtxFile(
      file, [](const NtxHeader&) { return true; },
      [&](std::uint32_t recno, const char*) {
        if (accept(recno)) found = recno;
        return found == 0;
      });
  if (!walked) return fail(walked.reason());
  return found;
}

namespace {

// Pages go to the file through a window of consecutive pages, so that the writes are large;
// a page outside the window (one the builder held back) is written by itself.
class PageFileWriter {
public:
  explicit PageFileWriter(OsFile& file) : m_file(file) {}

  void write(std::uint32_t number, const char* page) {
    if (number < m_base || number >= m_base + windowPages) {
      if (number > m_base) {
        flush();
        m_base = number;
      } else {
        m_file.writeAt(std::uint64_t{number} * ntxPageSize, page, ntxPageSize);
        return;
      }
    }
    std::size_t slot = number - m_base;
    std::memcpy(m_window.get() + slot * ntxPageSize, page, ntxPageSize);
    m_present[slot] = true;
  }

  void flush() {
    for (std::size_t s = 0; s < windowPages;) {
      if (!m_present[s]) {
        ++s;
        continue;
      }
      std::size_t end = s;
      while (end < windowPages && m_present[end]) ++end;
      m_file.writeAt((std::uint64_t{m_base} + s) * ntxPageSize, m_window.get() + s * ntxPageSize,
                     (end - s) * ntxPageSize);
      std::fill(m_present.begin() + static_cast<std::ptrdiff_t>(s),
                m_present.begin() + static_cast<std::ptrdiff_t>(end), false);
      s = end;
    }
  }

private:
  static constexpr std::size_t windowPages = 256;
  OsFile& m_file;
  std::uint32_t m_base = 0;
  // Only pages marked present are ever written out: no need to clear it first.
  std::unique_ptr<char[]> m_window =
      std::make_unique_for_overwrite<char[]>(windowPages * ntxPageSize);
  std::vector<bool> m_present = std::vector<bool>(windowPages, false);
};

}  // namespace

std::string buildNtx(const Order& order) {
  std::string out;
  NtxWriter writer(order.spec(), order.tagName(), [&](std::uint32_t number, const char* page) {
    std::size_t end = (std::size_t{number} + 1) * ntxPageSize;
    if (out.size() < end) out.resize(end, '\0');
    std::memcpy(out.data() + std::size_t{number} * ntxPageSize, page, ntxPageSize);
  });
  for (std::uint32_t r : order.sorted()) writer.add(r, order.keyOf(r).data());
  writer.finish();
  return out;
}

Result<void> writeNtx(const std::filesystem::path& file, const KeySpec& spec,
                      std::string_view tagName, const std::function<void(NtxWriter&)>& addKeys) {
  auto opened = OsFile::open(file, OsFile::Access::ReadWrite, OsFile::Create::IfMissing);
  if (!opened) return fail(opened.reason());
  opened->truncate(0);
  PageFileWriter pages(*opened);
  NtxWriter writer(spec, tagName,
                   [&](std::uint32_t number, const char* page) { pages.write(number, page); });
  addKeys(writer);
  writer.finish();
  pages.flush();
  return {};
}

Result<void> writeNtx(const Order& order) {
  return writeNtx(order.file(), order.spec(), order.tagName(), [&](NtxWriter& writer) {
    for (std::uint32_t r : order.sorted()) writer.add(r, order.keyOf(r).data());
  });
}

}  // namespace velmoran::store
