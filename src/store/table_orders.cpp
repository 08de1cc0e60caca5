// The orders of a table: kept in step with changed and appended records, brought into memory
// from their index files or from the records, written to their index files; and the pack.

#include <algorithm>
#include <cstring>

#include "store/code_page.h"
#include "store/files.h"
#include "store/key_sorter.h"
#include "store/ntx_index.h"
#include "store/parallel.h"
#include "store/table.h"
#include "store/table_impl.h"

namespace velmoran::store {

namespace fs = std::filesystem;

namespace {

// Memory for sorting the keys of orders built from the records outside memory, shared by
// the orders built together; beyond it the sort spills to a temporary file.
constexpr std::size_t orderBuildBudget = 1024 * 1024;

// Whether an index file's header describes this order's keys (ours are never unique,
// descending or conditional).
bool headerFits(const NtxHeader& h, const KeySpec& spec) {
  return h.keySize == spec.size && h.keyDecimals == spec.decimals && !h.descending && !h.unique &&
         h.forCondition.empty();
}

// The keys of orders that are not in memory, collected record by record in bounded memory
// and written to their index files at the end; the orders stay out of memory.
class KeyCollector {
public:
  KeyCollector(const DbfHeader& header, std::vector<Order*> orders)
      : m_header(header), m_orders(std::move(orders)) {
    for (Order* o : m_orders)
      m_sorters.push_back(std::make_unique<KeySorter>(static_cast<std::size_t>(o->spec().size),
                                                      orderBuildBudget / m_orders.size()));
  }
  void add(std::uint32_t recno, const char* record) {
    for (std::size_t j = 0; j < m_orders.size(); ++j) {
      const Order& o = *m_orders[j];
      auto i = static_cast<std::size_t>(o.spec().field);
      o.makeKey(std::string_view(record + m_header.offsets[i],
                                 static_cast<std::size_t>(m_header.fields[i].length)),
                m_key);
      m_sorters[j]->add(recno, m_key);
    }
  }
  // Each order's keys into its own index file, two files at a time.
  void write() {
    onTwoThreads(m_orders.size(), [&](std::size_t j) {
      Order& o = *m_orders[j];
      auto written = writeNtx(o.file(), o.spec(), o.tagName(), [&](NtxWriter& w) {
        m_sorters[j]->drain([&](std::uint32_t recno, const char* k) { w.add(recno, k); });
      });
      if (!written) throw IoError(written.reason());
      m_sorters[j].reset();
      o.setWritten();
    });
  }

private:
  const DbfHeader& m_header;
  std::vector<Order*> m_orders;
  std::vector<std::unique_ptr<KeySorter>> m_sorters;
  char m_key[256];  // no key is longer
};

}  // namespace

// --- keeping the orders in step ------------------------------------------------------------

void Table::Impl::ordersChanged() {
  indexedFields.assign(header.fields.size(), false);
  for (const auto& o : orders) indexedFields[static_cast<std::size_t>(o->spec().field)] = true;
}

void Table::Impl::keysChanged(std::size_t i) {
  for (auto& o : orders) {
    if (static_cast<std::size_t>(o->spec().field) != i) continue;
    if (o->resident())
      o->setKey(recno, o->makeKey(content(i)));
    else
      o->setNeedsWrite();
  }
}

void Table::Impl::recordAppended() {
  for (auto& o : orders) {
    if (!o->resident()) {
      o->setNeedsWrite();
      continue;
    }
    auto i = static_cast<std::size_t>(o->spec().field);
    o->appendKey(o->makeKey(content(i)));
  }
}

// --- orders in memory and on disk ----------------------------------------------------------

// The keys of every record for an order, read from the records.
void Table::Impl::buildKeys(Order& o) {
  const auto i = static_cast<std::size_t>(o.spec().field);
  const auto at = static_cast<std::size_t>(header.offsets[i]);
  const auto width = static_cast<std::size_t>(header.fields[i].length);
  const auto keySize = static_cast<std::size_t>(o.spec().size);
  std::vector<char> keys(static_cast<std::size_t>(lastRec) * keySize);
  forEachRecord([&](std::uint32_t r, const char* record) {
    o.makeKey(std::string_view(record + at, width), keys.data() + (r - 1) * keySize);
  });
  o.assign(std::move(keys));
}

// An order released from memory comes back when navigation or a seek needs it: read from
// its index file when that is current, else built from the records.
Order& Table::Impl::use(Order& o) {
  if (o.resident()) return o;
  if (o.needsWrite() || !loadFile(o)) buildKeys(o);
  return o;
}

// The keys of the order's index file when it is sound and agrees with the table, read a
// page at a time; false (the order unchanged) otherwise.
bool Table::Impl::loadFile(Order& o) {
  const KeySpec& spec = o.spec();
  const auto keySize = static_cast<std::size_t>(spec.size);
  std::vector<char> keys;
  std::vector<bool> seen;
  std::vector<std::uint32_t> sorted;
  bool agrees = true;
  Result<void> walked = fail("not read");
  try {
    walked = walkNtxFile(
        o.file(),
        [&](const NtxHeader& h) {
          if (!headerFits(h, spec)) return false;
          keys.assign(static_cast<std::size_t>(lastRec) * keySize, ' ');
          seen.assign(lastRec, false);
          sorted.reserve(lastRec);
          return true;
        },
        [&](std::uint32_t r, const char* key) {
          agrees = r >= 1 && r <= lastRec && !seen[r - 1];
          if (!agrees) return false;
          seen[r - 1] = true;
          std::memcpy(keys.data() + (r - 1) * keySize, key, keySize);
          sorted.push_back(r);
          return true;
        });
  } catch (const IoError&) {
    return false;
  }
  if (!walked || !agrees || sorted.size() != lastRec) return false;
  // A file in another collation is taken in and written again in ours at the next flush.
  if (o.assign(std::move(keys), std::move(sorted))) o.setWritten();
  return true;
}

// The first visible record of an order that is not in memory, found by reading its index
// file a page at a time, so that a table just filled in bulk is not taken into memory
// for it. False when the order is in memory or its file cannot be walked.
bool Table::Impl::topFromFile(Order& o) {
  if (o.resident()) return false;
  if (o.needsWrite()) writeFromRecords({&o});
  Result<std::uint32_t> r = fail("not read");
  try {
    r = findInNtxFile(
        o.file(), [&](std::uint32_t rec) { return rec >= 1 && rec <= lastRec && isVisible(rec); });
  } catch (const IoError&) {
    return false;  // the order comes into memory instead
  }
  if (!r) return false;
  if (*r == 0) {
    positionAtEof();
    isBof = true;
  } else {
    positionOn(*r);
    positionHint = std::string::npos;
  }
  return true;
}

// Writes the index files of orders that are not in memory from the records, in one pass
// over the records and bounded memory; the orders stay out of memory.
void Table::Impl::writeFromRecords(const std::vector<Order*>& stale) {
  if (stale.empty()) return;
  KeyCollector keys(header, stale);
  forEachRecord([&](std::uint32_t r, const char* record) { keys.add(r, record); });
  keys.write();
}

// Every order whose file lags behind: those in memory from their keys, the others from
// the records.
void Table::Impl::writeOrders() {
  std::vector<Order*> stale;
  for (auto& o : orders) {
    if (!o->needsWrite()) continue;
    if (o->resident())
      writeOrderOrThrow(*o);
    else
      stale.push_back(o.get());
  }
  writeFromRecords(stale);
}

Result<void> Table::Impl::writeOrder(Order& o) {
  o.resolve();
  if (auto r = writeNtx(o); !r) return r;
  o.setWritten();
  return {};
}

// Inside flush and pack an index file that cannot be written is an I/O error like any other.
void Table::Impl::writeOrderOrThrow(Order& o) {
  if (auto r = writeOrder(o); !r) throw IoError(r.reason());
}

// Attaches an order; one for the same index file takes the place of the old one.
int Table::Impl::attach(std::unique_ptr<Order> o) {
  for (std::size_t i = 0; i < orders.size(); ++i) {
    if (samePath(orders[i]->file(), o->file())) {
      orders[i] = std::move(o);
      ordersChanged();
      return static_cast<int>(i + 1);
    }
  }
  orders.push_back(std::move(o));
  ordersChanged();
  return static_cast<int>(orders.size());
}

// Positions on the first visible record whose key is not below the search key. Exact:
// found when that key begins with the search key, else eof. Soft: stays there (eof when
// there is none) and tells whether it begins with the search key.
bool Table::Impl::seekKey(Order& o, const std::string& key, bool soft) {
  std::size_t pos = o.lowerBound(key);
  std::size_t n = o.sorted().size();
  while (pos < n && !isVisible(o.sorted()[pos])) ++pos;
  bool found = pos < n && o.keyStartsWith(pos, key);
  if (pos < n && (found || soft))
    positionAt(pos);
  else
    positionAtEof();
  wasFound = found;
  return found;
}

// --- the table's orders ---------------------------------------------------------------------

bool Table::needsPack() {
  Impl& t = *m;
  if (!t.file.isOpen()) return false;
  if (t.header.statedRecordCount != t.lastRec || t.file.size() > t.offsetOf(t.lastRec + 1) + 1)
    return true;
  bool deleted = false;
  t.forEachRecord(
      [&](std::uint32_t, const char* record) { deleted = deleted || record[0] == dbfDeletedFlag; });
  return deleted;
}

void Table::pack() {
  m->requireWritable();
  Impl& t = *m;
  t.commit();
  // Orders out of memory get their keys in the same pass that moves the records up.
  std::vector<Order*> released;
  for (auto& o : t.orders) {
    if (o->resident()) continue;
    o->setNeedsWrite();
    released.push_back(o.get());
  }
  KeyCollector keys(t.header, released);
  std::uint32_t kept = 0;
  t.forEachRecord([&](std::uint32_t r, const char* record) {
    if (record[0] == dbfDeletedFlag) return;
    ++kept;
    // A record only moves towards the start, behind the block being read.
    if (kept != r) t.cache->write(t.offsetOf(kept), record, t.header.recordLength);
    keys.add(kept, record);
  });
  t.cache->flush();
  t.cache->clear();
  t.lastRec = kept;
  std::uint64_t end = t.offsetOf(kept + 1);
  t.file.writeAt(end, &dbfEndOfFile, 1);
  t.file.truncate(end + 1);
  t.cache->fileGrewTo(end + 1);
  std::string h = fileHeaderBytes(t.header, kept, Date::today());
  t.file.writeAt(0, h.data(), h.size());
  t.header.statedRecordCount = kept;
  t.endMarkerStale = t.headerStale = false;
  keys.write();
  for (auto& o : t.orders) {
    if (!o->resident()) continue;
    t.buildKeys(*o);
    t.writeOrderOrThrow(*o);
  }
  t.goTop();
}

Result<int> Table::createOrder(const fs::path& ntxFile, std::string_view keyExpression,
                               std::string_view orderName, OrderKeys keys) {
  auto spec = parseKeyExpression(keyExpression, m->header.fields);
  if (!spec) return fail(spec.reason());
  auto order = std::make_unique<Order>(std::move(*spec), ntxFile, std::string(orderName));
  if (keys == OrderKeys::released) {
    order->release();
    return m->attach(std::move(order));
  }
  m->buildKeys(*order);
  if (auto r = m->writeOrder(*order); !r) return fail(r.reason());
  return m->attach(std::move(order));
}

Result<int> Table::openOrder(const fs::path& ntxFile, OrderKeys keys) {
  auto opened = OsFile::open(ntxFile, OsFile::Access::ReadOnly);
  if (!opened) return fail(opened.reason());
  std::string first(ntxPageSize, '\0');
  std::uint64_t size = 0;
  try {
    first.resize(opened->readAt(0, first.data(), first.size()));
    size = opened->size();
  } catch (const IoError& e) {
    return fail(e.what());
  }
  opened->close();
  auto header = parseNtxHeader(first, size);
  // A damaged index whose key expression can still be read is rebuilt from the records.
  std::string expression = header ? header->expression : std::string();
  if (!header && first.size() >= 22 + 256) {
    expression = first.substr(22, 256);
    expression = expression.substr(0, expression.find('\0'));
  }
  if (expression.empty())
    return fail(ntxFile.string() + ": " + (header ? "no key expression" : header.reason()));
  auto spec = parseKeyExpression(expression, m->header.fields);
  if (!spec) return fail(ntxFile.string() + ": " + spec.reason());
  std::string tag = header ? header->tagName : std::string();
  auto order = std::make_unique<Order>(std::move(*spec), ntxFile, tag);
  const bool fits = header && headerFits(*header, order->spec());
  if (fits && keys == OrderKeys::released) {
    // The rest of the file is checked when the order is first needed.
    order->release();
    order->setWritten();
    return m->attach(std::move(order));
  }
  if (!fits || !m->loadFile(*order)) {
    m->buildKeys(*order);
    if (auto r = m->writeOrder(*order); !r) return fail(r.reason());
  }
  return m->attach(std::move(order));
}

void Table::closeOrders() {
  // Pending changes go to the files first, so that they stay valid for the next open.
  m->writeOrders();
  m->orders.clear();
  m->ordersChanged();
  m->current = 0;
}

void Table::releaseOrders() {
  for (auto& o : m->orders) o->release();
}

int Table::orderCount() const { return static_cast<int>(m->orders.size()); }

void Table::setOrder(int n) {
  if (n < 0 || n > orderCount()) throw std::out_of_range("no order " + std::to_string(n));
  m->current = n;
}

int Table::order() const { return m->current; }

std::string Table::orderKey(int n) const {
  if (n < 1 || n > orderCount()) return {};
  return m->orders[static_cast<std::size_t>(n - 1)]->spec().expression;
}

fs::path Table::orderFile(int n) const {
  if (n < 1 || n > orderCount()) return {};
  return m->orders[static_cast<std::size_t>(n - 1)]->file();
}

// A seek in the current order for the key a search value gives (code page 850 text or a
// number); at eof and not found without an order.
template <class Value>
bool Table::Impl::seekValue(const Value& value, bool soft) {
  Order* o = currentOrder();
  if (!o) {
    positionAtEof();
    wasFound = false;
    return false;
  }
  o->resolve();
  return seekKey(*o, o->searchKey(value), soft);
}

bool Table::seek(std::string_view key, bool soft) { return m->seekValue(toCp850(key), soft); }
bool Table::seek(double key, bool soft) { return m->seekValue(key, soft); }

bool Table::found() const { return m->wasFound; }

}  // namespace velmoran::store
