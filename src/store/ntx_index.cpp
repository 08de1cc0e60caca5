#include "store/ntx_index.h"

#include <algorithm>
#include <cstring>

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

std::uint32_t le32(const char* p) {
  auto u = [&](int k) { return static_cast<std::uint32_t>(static_cast<unsigned char>(p[k])); };
  return u(0) | (u(1) << 8) | (u(2) << 16) | (u(3) << 24);
}

std::uint16_t le16(const char* p) {
  auto u = [&](int k) { return static_cast<std::uint16_t>(static_cast<unsigned char>(p[k])); };
  return static_cast<std::uint16_t>(u(0) | (u(1) << 8));
}

void put32(char* p, std::uint32_t v) {
  for (int k = 0; k < 4; ++k) p[k] = static_cast<char>((v >> (8 * k)) & 0xFF);
}

void put16(char* p, std::uint16_t v) {
  p[0] = static_cast<char>(v & 0xFF);
  p[1] = static_cast<char>(v >> 8);
}

std::string cString(const char* p, std::size_t max) {
  std::size_t n = 0;
  while (n < max && p[n] != '\0') ++n;
  return std::string(p, n);
}

bool fitsPage(std::size_t maxItems, std::size_t itemSize) {
  return 2 + 2 * (maxItems + 1) + (maxItems + 1) * itemSize <= ntxPageSize;
}

// One page of the tree being built: item i is sorted position items[i] with left child
// children[i]; children.back() is the pseudo item's child (keys above the last one). Child
// numbers are 1-based page numbers; page p lies at file offset p * 1024.
struct BuildPage {
  std::vector<std::uint32_t> items;
  std::vector<std::uint32_t> children;
};

class TreeBuilder {
public:
  explicit TreeBuilder(std::size_t maxItems) : m_max(maxItems) {}

  void add(std::uint32_t item) {
    std::uint32_t child = 0;
    for (std::size_t level = 0;; ++level) {
      if (level == m_open.size()) m_open.emplace_back();
      BuildPage& page = m_open[level];
      if (page.items.size() < m_max) {
        page.items.push_back(item);
        page.children.push_back(child);
        return;
      }
      // A full page is closed; the key goes one level up with the closed page on its left.
      page.children.push_back(child);
      child = close(std::move(page));
      m_open[level] = BuildPage{};
    }
  }

  // Closes the open pages bottom-up, evens out the right edge and returns the root page.
  std::uint32_t finish() {
    std::uint32_t child = 0;
    for (auto& page : m_open) {
      page.children.push_back(child);
      child = close(std::move(page));
    }
    m_open.clear();
    if (child == 0) child = close(BuildPage{{}, {0}});
    balanceRightEdge(child);
    return child;
  }

  const std::vector<BuildPage>& pages() const { return m_pages; }

private:
  std::uint32_t close(BuildPage&& page) {
    m_pages.push_back(std::move(page));
    return static_cast<std::uint32_t>(m_pages.size());
  }

  BuildPage& page(std::uint32_t number) { return m_pages[number - 1]; }

  // The last page of each level may be short; it takes keys from its left sibling through
  // the separator in the parent until both hold about half of them.
  void balanceRightEdge(std::uint32_t root) {
    for (std::uint32_t p = root; page(p).children.front() != 0;) {
      BuildPage& parent = page(p);
      std::uint32_t lastNumber = parent.children.back();
      if (!parent.items.empty() && page(lastNumber).items.size() < m_max / 2) {
        BuildPage& left = page(parent.children[parent.items.size() - 1]);
        BuildPage& right = page(lastNumber);
        std::vector<std::uint32_t> keys = left.items;
        keys.push_back(parent.items.back());
        keys.insert(keys.end(), right.items.begin(), right.items.end());
        std::vector<std::uint32_t> kids = left.children;
        kids.insert(kids.end(), right.children.begin(), right.children.end());
        std::size_t keep = keys.size() / 2;  // (a + b + 1) div 2
        left.items.assign(keys.begin(), keys.begin() + static_cast<std::ptrdiff_t>(keep));
        left.children.assign(kids.begin(), kids.begin() + static_cast<std::ptrdiff_t>(keep + 1));
        parent.items.back() = keys[keep];
        right.items.assign(keys.begin() + static_cast<std::ptrdiff_t>(keep + 1), keys.end());
        right.children.assign(kids.begin() + static_cast<std::ptrdiff_t>(keep + 1), kids.end());
      }
      p = lastNumber;
    }
  }

  std::size_t m_max;
  std::vector<BuildPage> m_open;  // one open page per level, leaves first
  std::vector<BuildPage> m_pages;
};

std::string headerPage(const Order& order, std::uint32_t rootOffset, std::uint16_t maxItems) {
  const KeySpec& spec = order.spec();
  std::string h(ntxPageSize, '\0');
  put16(&h[0], ntxSignature);
  put16(&h[2], 1);
  put32(&h[4], rootOffset);
  put32(&h[8], 0);
  put16(&h[12], static_cast<std::uint16_t>(spec.size + 8));
  put16(&h[14], static_cast<std::uint16_t>(spec.size));
  put16(&h[16], static_cast<std::uint16_t>(spec.decimals));
  put16(&h[18], maxItems);
  put16(&h[20], static_cast<std::uint16_t>(maxItems / 2));
  std::memcpy(&h[expressionOffset], spec.expression.data(),
              std::min(spec.expression.size(), expressionSize - 1));
  std::memcpy(&h[tagOffset], order.tagName().data(), std::min<std::size_t>(order.tagName().size(), 10));
  return h;
}

void appendPage(std::string& out, const BuildPage& page, const Order& order, std::uint16_t maxItems) {
  const std::size_t keySize = static_cast<std::size_t>(order.spec().size);
  const std::size_t itemSize = keySize + 8;
  const std::size_t firstSlot = 2 + 2 * (static_cast<std::size_t>(maxItems) + 1);
  std::size_t base = out.size();
  out.resize(base + ntxPageSize, '\0');
  char* p = &out[base];
  put16(p, static_cast<std::uint16_t>(page.items.size()));
  for (std::size_t j = 0; j <= maxItems; ++j)
    put16(p + 2 + 2 * j, static_cast<std::uint16_t>(firstSlot + j * itemSize));
  for (std::size_t j = 0; j < page.children.size(); ++j) {
    char* slot = p + firstSlot + j * itemSize;
    put32(slot, page.children[j] * static_cast<std::uint32_t>(ntxPageSize));
    // The pseudo item after the last key carries only its child; its record number and key
    // stay zero (other readers would report stale bytes there as keys).
    if (j == page.items.size()) break;
    std::uint32_t recno = order.sorted()[page.items[j]];
    put32(slot + 4, recno);
    std::string_view key = order.keyOf(recno);
    std::memcpy(slot + 8, key.data(), keySize);
  }
}

}  // namespace

std::uint16_t ntxMaxItems(int keySize) {
  int m = static_cast<int>(ntxPageSize - 2) / (keySize + 10) - 1;
  if (m % 2 == 1 && m > 2) --m;
  return static_cast<std::uint16_t>(std::max(m, 2));
}

Result<NtxHeader> parseNtxHeader(const std::string& bytes) {
  if (bytes.size() < 2 * ntxPageSize) return fail("index file too short");
  const char* p = bytes.data();
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
  if (h.root == 0 || h.root % ntxPageSize != 0 || h.root + ntxPageSize > bytes.size())
    return fail("index file whose root page lies outside it");
  return h;
}

Result<NtxKeys> walkNtx(const std::string& bytes, const NtxHeader& header, std::uint32_t maxKeys) {
  struct Frame {
    const char* page;
    std::uint16_t count;
    std::uint16_t next = 0;
    bool descended = false;
  };
  const std::size_t pageCount = bytes.size() / ntxPageSize;
  std::vector<bool> visited(pageCount, false);
  std::vector<Frame> stack;
  NtxKeys out;

  auto enter = [&](std::uint32_t offset) -> Result<void> {
    if (offset % ntxPageSize != 0 || offset == 0 || offset / ntxPageSize >= pageCount)
      return fail("index page outside the file");
    if (visited[offset / ntxPageSize]) return fail("index pages form a loop");
    if (stack.size() >= maxDepth) return fail("index tree too deep");
    visited[offset / ntxPageSize] = true;
    const char* page = bytes.data() + offset;
    std::uint16_t count = le16(page);
    if (count > header.maxItems) return fail("index page with too many keys");
    for (std::size_t j = 0; j <= count; ++j) {
      std::uint16_t at = le16(page + 2 + 2 * j);
      if (at < 2 || at + header.itemSize > ntxPageSize) return fail("index item outside its page");
    }
    stack.push_back(Frame{page, count});
    return {};
  };
  auto item = [&](const Frame& f, std::size_t j) { return f.page + le16(f.page + 2 + 2 * j); };

  if (auto r = enter(header.root); !r) return fail(r.reason());
  while (!stack.empty()) {
    Frame& f = stack.back();
    if (!f.descended) {
      f.descended = true;
      std::uint32_t child = le32(item(f, f.next));
      if (child != 0) {
        if (auto r = enter(child); !r) return fail(r.reason());
        continue;
      }
    }
    if (f.next < f.count) {
      if (out.recnos.size() >= maxKeys) return fail("index holds more keys than the table records");
      const char* it = item(f, f.next);
      out.recnos.push_back(le32(it + 4));
      out.keys.insert(out.keys.end(), it + 8, it + 8 + header.keySize);
    }
    ++f.next;
    f.descended = false;
    if (f.next > f.count) stack.pop_back();
  }
  return out;
}

std::string buildNtx(const Order& order) {
  const std::uint16_t maxItems = ntxMaxItems(order.spec().size);
  TreeBuilder builder(maxItems);
  const auto count = static_cast<std::uint32_t>(order.sorted().size());
  for (std::uint32_t i = 0; i < count; ++i) builder.add(i);
  std::uint32_t root = builder.finish();
  std::string out = headerPage(order, root * static_cast<std::uint32_t>(ntxPageSize), maxItems);
  out.reserve(ntxPageSize * (builder.pages().size() + 1));
  for (const BuildPage& page : builder.pages()) appendPage(out, page, order, maxItems);
  return out;
}

Result<void> writeNtx(const Order& order) {
  auto file = OsFile::open(order.file(), OsFile::Access::ReadWrite, OsFile::Create::IfMissing);
  if (!file) return fail(file.reason());
  std::string bytes = buildNtx(order);
  file->truncate(0);
  file->writeAt(0, bytes.data(), bytes.size());
  return {};
}

}  // namespace velmoran::store
