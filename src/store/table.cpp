#include "store/table.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <set>
#include <system_error>

#include "store/code_page.h"
#include "store/dbf_header.h"
#include "store/field_codec.h"
#include "store/files.h"
#include "store/key_sorter.h"
#include "store/ntx_index.h"
#include "store/order.h"
#include "store/os_file.h"
#include "store/parallel.h"
#include "store/record_cache.h"

namespace velmoran::store {

namespace fs = std::filesystem;

namespace {

// Byte-range locks in the Clipper convention, far beyond the end of any table: a record
// lock is the byte at recordLockBase + recno. A shared open holds a read lock on a byte that
// no record lock reaches, so it only conflicts with an exclusive open, which locks
// everything from offset 0 on.
constexpr std::uint64_t recordLockBase = 1'000'000'000;
constexpr std::uint64_t sharedOpenLockOffset = 2'000'000'001;

// Memory for sorting the keys of orders built from the records outside memory, shared by
// the orders built together; beyond it the sort spills to a temporary file.
constexpr std::size_t orderBuildBudget = 1024 * 1024;

bool sameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
    if (x != y) return false;
  }
  return true;
}

bool samePath(const fs::path& a, const fs::path& b) {
  std::error_code ec;
  if (fs::exists(a, ec) && fs::exists(b, ec)) return fs::equivalent(a, b, ec);
  return fs::absolute(a, ec).lexically_normal() == fs::absolute(b, ec).lexically_normal();
}

// Whether an index file's header describes this order's keys (ours are never unique,
// descending or conditional).
bool headerFits(const NtxHeader& h, const KeySpec& spec) {
  return h.keySize == spec.size && h.keyDecimals == spec.decimals && !h.descending && !h.unique &&
         h.forCondition.empty();
}

std::string blankRecord(const DbfHeader& h) { return std::string(h.recordLength, ' '); }

[[noreturn]] void throwNoField(const std::string& owner, int position) {
  throw std::out_of_range(owner + " has no field " + std::to_string(position));
}

// The index of the field at a 1-based position among `count`; for any other position
// out_of_range, naming the owner that owner() gives (made only then).
template <class Owner>
inline std::size_t checkedFieldIndex(int position, std::size_t count, Owner owner) {
  if (position < 1 || static_cast<std::size_t>(position) > count) [[unlikely]]
    throwNoField(owner(), position);
  return static_cast<std::size_t>(position - 1);
}

// What a put writes into a field (out: its `length` bytes), the same for the table's current
// record and for a record made by a RecordBuilder. A character field takes text in code page
// 850, cut or padded to its width; a number field a number right-aligned with its decimals,
// or stars when it does not fit; anything else the content its text gives.
void encodeText(const Field& f, std::string_view text, char* out) {
  if (f.type != 'C') {
    const std::string content = textToContent(f, text);
    std::copy(content.begin(), content.end(), out);
    return;
  }
  const auto width = static_cast<std::size_t>(f.length);
  const std::size_t n = std::min(text.size(), width);
  toCp850(text.substr(0, n), out);
  std::fill(out + n, out + width, ' ');
}

void encodeNumber(const Field& f, double number, char* out) {
  if (f.type != 'N') return encodeText(f, numberText(number), out);
  if (!formatNumberInto(number, f.length, f.decimals, out))
    std::memset(out, '*', static_cast<std::size_t>(std::max(f.length, 0)));
}

void encodeDate(const Field& f, const Date& date, char* out) {
  if (f.type != 'D') return encodeText(f, date.format(), out);
  const std::string content = date.toDbf();
  std::copy(content.begin(), content.end(), out);
}

// The header of an open table file: the first 32 bytes tell how long all of it is.
Result<DbfHeader> readHeader(const OsFile& file, std::uint64_t size) {
  std::string start(dbfFileHeaderSize, '\0');
  start.resize(file.readAt(0, start.data(), start.size()));
  std::size_t headerLength = std::max<std::size_t>(statedHeaderLength(start), start.size());
  std::string bytes(static_cast<std::size_t>(std::min<std::uint64_t>(headerLength, size)), '\0');
  bytes.resize(file.readAt(0, bytes.data(), bytes.size()));
  auto header = parseDbfHeader(bytes, size);
  if (!header) return fail(file.path().string() + ": " + header.reason());
  return header;
}

// The content of a source field carried into a target field of the same name.
std::string carryOver(const Field& from, std::string_view content, const Field& to) {
  if (from.type == to.type) {
    switch (to.type) {
      case 'C': {
        std::string s(content.substr(0, static_cast<std::size_t>(to.length)));
        s.resize(static_cast<std::size_t>(to.length), ' ');
        return s;
      }
      case 'N':
        if (from.length == to.length && from.decimals == to.decimals) return std::string(content);
        if (content.find_first_not_of(' ') == std::string_view::npos)
          return std::string(static_cast<std::size_t>(to.length), ' ');
        return numberField(parseNumber(content), to.length, to.decimals);
      default:
        if (from.length == to.length) return std::string(content);
    }
  }
  return textToContent(to, contentToText(from, content));
}

}  // namespace

struct Table::Impl {
  fs::path path;
  OpenMode mode = OpenMode::Shared;
  OsFile file;
  DbfHeader header;
  std::unique_ptr<RecordCache> cache;
  std::uint32_t lastRec = 0;

  std::uint32_t recno = 1;
  bool isEof = true;
  bool isBof = true;
  bool wasFound = false;
  bool deletedVisible = false;
  std::string record;  // the current record's bytes (blank at eof)
  std::string blank;   // a record of blanks (blankBytes)
  // The record's changes are not yet in the cache: commit() puts them there, before anything
  // else reads or writes the cache or the cursor moves. A record appended and filled field by
  // field so goes to the cache once.
  bool recordChanged = false;
  std::size_t positionHint = 0;  // where the current record last was in the current order

  std::vector<std::unique_ptr<Order>> orders;
  int current = 0;

  bool headerStale = false;  // records changed since the header was written
  bool endMarkerStale = false;
  std::set<std::uint32_t> recordLocks;

  // --- records -----------------------------------------------------------------------------

  std::uint64_t offsetOf(std::uint32_t r) const {
    return header.headerLength + static_cast<std::uint64_t>(r - 1) * header.recordLength;
  }

  void commit() {
    if (!recordChanged) return;
    cache->write(offsetOf(recno), record.data(), record.size());
    recordChanged = false;
  }

  // The record's bytes into the cursor's buffer (no new allocation per step).
  void loadRecord(std::uint32_t r) {
    commit();
    record.resize(header.recordLength);
    cache->read(offsetOf(r), record.data(), record.size());
  }

  bool isDeleted(std::uint32_t r) {
    commit();
    char flag = ' ';
    cache->read(offsetOf(r), &flag, 1);
    return flag == dbfDeletedFlag;
  }

  bool isVisible(std::uint32_t r) { return deletedVisible || !isDeleted(r); }

  void requireWritable() const {
    if (!file.isWritable()) throw IoError("cannot write " + path.string() + ": opened read-only");
  }

  // --- cursor --------------------------------------------------------------------------------

  void positionOn(std::uint32_t r) {
    commit();
    recno = r;
    isEof = isBof = false;
    loadRecord(r);
  }

  void positionAtEof() {
    commit();
    recno = lastRec + 1;
    isEof = true;
    record.assign(blankBytes());
  }

  Order* currentOrder() {
    if (current == 0) return nullptr;
    return &use(*orders[static_cast<std::size_t>(current - 1)]);
  }

  // The record sequence navigation walks: the current order's, or record order.
  std::size_t sequenceSize() {
    Order* o = currentOrder();
    if (!o) return lastRec;
    o->resolve();
    return o->sorted().size();
  }
  std::uint32_t recnoAt(std::size_t i) {
    Order* o = currentOrder();
    return o ? o->sorted()[i] : static_cast<std::uint32_t>(i + 1);
  }
  // The position of the current record in the sequence; the size at eof.
  std::size_t currentPosition() {
    std::size_t n = sequenceSize();
    if (isEof || recno < 1 || recno > lastRec) return n;
    Order* o = currentOrder();
    if (!o) return recno - 1;
    // A record occurs once in an order, so finding it at the hinted place settles it.
    if (positionHint < n && o->sorted()[positionHint] == recno) return positionHint;
    return o->positionOf(recno);
  }

  void positionAt(std::size_t i) {
    positionHint = i;
    positionOn(recnoAt(i));
  }

  // The first visible position at or after i (forward), or the last one before i (backward);
  // npos when there is none.
  std::size_t visibleFrom(std::size_t i, bool forward) {
    std::size_t n = sequenceSize();
    if (forward) {
      for (; i < n; ++i)
        if (isVisible(recnoAt(i))) return i;
    } else {
      for (i = std::min(i, n); i-- > 0;)
        if (isVisible(recnoAt(i))) return i;
    }
    return std::string::npos;
  }

  void goTop() {
    wasFound = false;
    if (current > 0 && topFromFile(*orders[static_cast<std::size_t>(current - 1)])) return;
    std::size_t i = visibleFrom(0, true);
    if (i == std::string::npos) {
      positionAtEof();
      isBof = true;
    } else {
      positionAt(i);
    }
  }

  void goBottom() {
    wasFound = false;
    std::size_t i = visibleFrom(sequenceSize(), false);
    if (i == std::string::npos) {
      positionAtEof();
      isBof = true;
    } else {
      positionAt(i);
    }
  }

  void skipForward(long n) {
    if (isEof) return;
    std::size_t pos = currentPosition();
    for (long k = 0; k < n; ++k) {
      std::size_t next = visibleFrom(pos + 1, true);
      if (next == std::string::npos) {
        positionAtEof();
        isBof = false;
        return;
      }
      pos = next;
    }
    positionAt(pos);
  }

  void skipBackward(long n) {
    std::size_t pos = currentPosition();
    for (long k = 0; k < n; ++k) {
      std::size_t prev = pos == 0 ? std::string::npos : visibleFrom(pos, false);
      if (prev == std::string::npos) {
        // Skipping above the first record stays on it with bof set, as Clipper does.
        goTop();
        isBof = true;
        return;
      }
      pos = prev;
    }
    positionAt(pos);
  }

  // --- fields --------------------------------------------------------------------------------

  std::size_t checkedIndex(int position) const {
    return checkedFieldIndex(position, header.fields.size(),
                             [this] { return "table " + path.filename().string(); });
  }

  // Field names are mostly string literals of the callers, at the same address each time:
  // a small cache by address spares the search, and a hit is checked against the name.
  struct NameSlot {
    const char* data = nullptr;
    int position = 0;
  };
  mutable std::array<NameSlot, 256> nameCache{};

  int positionOf(std::string_view name) const {
    // Literals lie close together: a multiplicative hash spreads their addresses.
    const auto address = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(name.data()));
    NameSlot& slot = nameCache[(address * 0x9E3779B97F4A7C15u) >> 56];
    if (slot.data == name.data() && slot.position > 0) {
      const std::string& known = header.fields[static_cast<std::size_t>(slot.position - 1)].name;
      if (known.size() == name.size() &&
          (std::memcmp(known.data(), name.data(), name.size()) == 0 || sameName(known, name)))
        return slot.position;
    }
    for (std::size_t i = 0; i < header.fields.size(); ++i) {
      if (sameName(header.fields[i].name, name)) {
        slot = NameSlot{name.data(), static_cast<int>(i + 1)};
        return slot.position;
      }
    }
    return 0;
  }

  int checkedPosition(std::string_view name) const {
    int p = positionOf(name);
    if (p == 0)
      throw std::out_of_range("table " + path.filename().string() + " has no field " +
                              std::string(name));
    return p;
  }

  std::string_view content(std::size_t i) const {
    return std::string_view(record).substr(static_cast<std::size_t>(header.offsets[i]),
                                           static_cast<std::size_t>(header.fields[i].length));
  }

  // Field i of the current record, to be written into (contentChanged afterwards); nullptr
  // at eof, where puts do nothing.
  char* fieldToWrite(std::size_t i) {
    if (isEof) return nullptr;
    requireWritable();
    return record.data() + header.offsets[i];
  }

  // Field i of the current record written by encode(field, out); nothing at eof.
  template <class Encode>
  void writeField(std::size_t i, Encode encode) {
    char* out = fieldToWrite(i);
    if (!out) return;
    encode(header.fields[i], out);
    contentChanged(i);
  }

  void contentChanged(std::size_t i) {
    recordChanged = true;
    headerStale = true;
    for (auto& o : orders) {
      if (static_cast<std::size_t>(o->spec().field) != i) continue;
      if (o->resident())
        o->setKey(recno, o->makeKey(content(i)));
      else
        o->setNeedsWrite();
    }
  }

  void setDeletedFlag(bool deleted) {
    if (isEof) return;
    requireWritable();
    record[0] = deleted ? dbfDeletedFlag : dbfLiveFlag;
    recordChanged = true;
    headerStale = true;
  }

  // --- appending -----------------------------------------------------------------------------

  // A record of blanks, made once.
  const std::string& blankBytes() {
    if (blank.size() != header.recordLength) blank = blankRecord(header);
    return blank;
  }

  // The cursor goes to the new record; its bytes reach the cache at the next commit, with any
  // fields put into it by then.
  void appendRecord(std::string_view bytes) {
    requireWritable();
    commit();
    ++lastRec;
    record.assign(bytes);  // into the buffer the record already has
    recno = lastRec;
    recordChanged = true;
    isEof = isBof = false;
    for (auto& o : orders) {
      if (!o->resident()) {
        o->setNeedsWrite();
        continue;
      }
      auto i = static_cast<std::size_t>(o->spec().field);
      o->appendKey(o->makeKey(content(i)));
    }
    headerStale = endMarkerStale = true;
  }

  // --- orders --------------------------------------------------------------------------------

  // The keys of every record for an order, read from the records.
  void buildKeys(Order& o) {
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
  Order& use(Order& o) {
    if (o.resident()) return o;
    if (o.needsWrite() || !loadFile(o)) buildKeys(o);
    return o;
  }

  // The keys of the order's index file when it is sound and agrees with the table, read a
  // page at a time; false (the order unchanged) otherwise.
  bool loadFile(Order& o) {
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
  bool topFromFile(Order& o) {
    if (o.resident()) return false;
    if (o.needsWrite()) writeFromRecords({&o});
    Result<std::uint32_t> r = fail("not read");
    try {
      r = findInNtxFile(o.file(), [&](std::uint32_t rec) {
        return rec >= 1 && rec <= lastRec && isVisible(rec);
      });
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

  // The keys of orders that are not in memory, collected record by record in bounded
  // memory and written to their index files at the end; the orders stay out of memory.
  class KeyCollector {
  public:
    KeyCollector(const DbfHeader& header, std::vector<Order*> orders)
        : m_header(header), m_orders(std::move(orders)) {
      for (Order* o : m_orders)
        m_sorters.push_back(std::make_unique<KeySorter>(static_cast<std::size_t>(o->spec().size),
                                                        orderBuildBudget / m_orders.size()));
    }
    bool empty() const { return m_orders.empty(); }
    // The keys of a record for every other order, from the first (share 0) or the second
    // (share 1): the two shares can be collected on two threads at the same time.
    void add(std::uint32_t recno, const char* record, std::size_t share) {
      char* key = m_keys[share].data();
      for (std::size_t j = share; j < m_orders.size(); j += 2) {
        const Order& o = *m_orders[j];
        auto i = static_cast<std::size_t>(o.spec().field);
        o.makeKey(std::string_view(record + m_header.offsets[i],
                                   static_cast<std::size_t>(m_header.fields[i].length)),
                  key);
        m_sorters[j]->add(recno, key);
      }
    }
    // Each order's keys into its own index file: two files at a time.
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
    std::array<std::vector<char>, 2> m_keys{std::vector<char>(256),
                                            std::vector<char>(256)};  // for each share
  };

  // Every record, read a block at a time: visit(recno, bytes).
  template <class Visit>
  void forEachRecord(Visit visit) {
    commit();
    const std::size_t length = header.recordLength;
    const auto perBlock = static_cast<std::uint32_t>(std::max<std::size_t>(1, 256 * 1024 / length));
    if (lastRec == 0) return;
    // Filled by each read before it is looked at: not cleared first.
    auto block = std::make_unique_for_overwrite<char[]>(perBlock * length);
    for (std::uint32_t r = 1; r <= lastRec; r += perBlock) {
      const std::uint32_t n = std::min(perBlock, lastRec - r + 1);
      cache->read(offsetOf(r), block.get(), n * length);
      for (std::uint32_t k = 0; k < n; ++k) visit(r + k, block.get() + k * length);
    }
  }

  // Writes the index files of orders that are not in memory from the records, in one pass
  // over the records and bounded memory; the orders stay out of memory. The other thread
  // reads the records a block at a time and collects the keys of share 1 of the orders, this
  // thread those of share 0 (one order more when they are odd) from the same block. Each
  // sorter now and then stops to sort and write a run: blocks of 512 KB let the other thread
  // go on meanwhile.
  void writeFromRecords(const std::vector<Order*>& stale) {
    if (stale.empty()) return;
    KeyCollector keys(header, stale);
    commit();
    const std::size_t length = header.recordLength;
    const auto perBlock = static_cast<std::uint32_t>(std::max<std::size_t>(1, 512 * 1024 / length));
    struct Block {
      std::unique_ptr<char[]> bytes;  // filled by each read before it is looked at
      std::uint32_t first = 0;
      std::uint32_t count = 0;
    };
    std::array<Block, 3> blocks;
    std::uint32_t next = 1;
    auto collect = [&](const Block& b, std::size_t share) {
      for (std::uint32_t k = 0; k < b.count; ++k)
        keys.add(b.first + k, b.bytes.get() + k * length, share);
    };
    inTwoStages(
        blocks.size(),
        [&](std::size_t slot) {
          if (next > lastRec) return false;
          Block& b = blocks[slot];
          if (!b.bytes) b.bytes = std::make_unique_for_overwrite<char[]>(perBlock * length);
          b.first = next;
          b.count = std::min(perBlock, lastRec - next + 1);
          cache->read(offsetOf(next), b.bytes.get(), b.count * length);
          next += b.count;
          collect(b, 1);
          return true;
        },
        [&](std::size_t slot) { collect(blocks[slot], 0); });
    keys.write();
  }

  // Every order whose file lags behind: those in memory from their keys, the others from
  // the records.
  void writeOrders() {
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

  Result<void> writeOrder(Order& o) {
    o.resolve();
    if (auto r = writeNtx(o); !r) return r;
    o.setWritten();
    return {};
  }

  // Inside flush and pack an index file that cannot be written is an I/O error like any other.
  void writeOrderOrThrow(Order& o) {
    if (auto r = writeOrder(o); !r) throw IoError(r.reason());
  }

  // Attaches an order; one for the same index file takes the place of the old one.
  int attach(std::unique_ptr<Order> o) {
    for (std::size_t i = 0; i < orders.size(); ++i) {
      if (samePath(orders[i]->file(), o->file())) {
        orders[i] = std::move(o);
        return static_cast<int>(i + 1);
      }
    }
    orders.push_back(std::move(o));
    return static_cast<int>(orders.size());
  }

  // Positions on the first visible record whose key is not below the search key. Exact:
  // found when that key begins with the search key, else eof. Soft: stays there (eof when
  // there is none) and tells whether it begins with the search key.
  bool seekKey(Order& o, const std::string& key, bool soft) {
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

  // --- writing -------------------------------------------------------------------------------

  void flush() {
    if (file.isWritable()) {
      commit();
      cache->flush();
      if (endMarkerStale) {
        std::uint64_t end = offsetOf(lastRec + 1);
        file.writeAt(end, &dbfEndOfFile, 1);
        cache->fileGrewTo(end + 1);
        if (mode == OpenMode::Exclusive && file.size() > end + 1) file.truncate(end + 1);
        endMarkerStale = false;
      }
      // The header's record count is written after the records it counts.
      if (headerStale) {
        std::string h = fileHeaderBytes(header, lastRec, Date::today());
        file.writeAt(0, h.data(), h.size());
        headerStale = false;
      }
    }
    writeOrders();
  }
};

// --- opening and creating ----------------------------------------------------------------

Table::Table(std::unique_ptr<Impl> impl) : m(std::move(impl)) {}

Table::~Table() {
  try {
    m->flush();
  } catch (const std::exception&) {
    // A destructor cannot report; whoever needs to know calls flush() before closing.
  }
}

Result<std::unique_ptr<Table>> Table::open(const fs::path& path, OpenMode mode) {
  auto opened = OsFile::open(path, OsFile::Access::ReadWrite);
  if (!opened) opened = OsFile::open(path, OsFile::Access::ReadOnly);
  if (!opened) return fail(opened.reason());
  auto impl = std::make_unique<Impl>();
  impl->path = path;
  impl->mode = mode;
  impl->file = std::move(*opened);
  OsFile& file = impl->file;
  bool locked = mode == OpenMode::Exclusive ? file.lock(0, 0, file.isWritable())
                                            : file.lock(sharedOpenLockOffset, 1, false);
  if (!locked) return fail(std::string(lockedReason) + ": " + path.string());

  try {
    std::uint64_t size = file.size();
    auto header = readHeader(file, size);
    if (!header) return fail(header.reason());
    impl->header = std::move(*header);
    impl->lastRec = recordsInFile(impl->header, size);
  } catch (const IoError& e) {
    return fail(e.what());
  }
  impl->cache = std::make_unique<RecordCache>(impl->file);
  impl->goTop();
  return std::unique_ptr<Table>(new Table(std::move(impl)));
}

Result<void> Table::create(const fs::path& path, const Structure& structure) {
  if (auto r = checkStructure(structure); !r) return r;
  auto opened = OsFile::open(path, OsFile::Access::ReadWrite, OsFile::Create::IfMissing);
  if (!opened) return fail(opened.reason());
  if (!opened->lock(0, 0, true)) return fail(std::string(lockedReason) + ": " + path.string());
  Date today = Date::today();
  std::string bytes = headerBytes(makeDbfHeader(structure, today), 0, today) + dbfEndOfFile;
  opened->truncate(0);
  opened->writeAt(0, bytes.data(), bytes.size());
  return {};
}

// --- structure ---------------------------------------------------------------------------

const fs::path& Table::path() const { return m->path; }
const Structure& Table::structure() const { return m->header.fields; }
int Table::fieldIndex(std::string_view name) const { return m->positionOf(name); }

// --- navigation ----------------------------------------------------------------------------

void Table::goTop() { m->goTop(); }
void Table::goBottom() { m->goBottom(); }

void Table::skip(long n) {
  m->wasFound = false;
  if (n > 0)
    m->skipForward(n);
  else if (n < 0)
    m->skipBackward(-n);
  else if (!m->isEof)
    m->loadRecord(m->recno);
}

void Table::goTo(std::uint32_t recno) {
  m->wasFound = false;
  if (recno >= 1 && recno <= m->lastRec) {
    m->positionOn(recno);
  } else {
    m->positionAtEof();
    m->isBof = true;
  }
}

bool Table::eof() const { return m->isEof; }
bool Table::bof() const { return m->isBof; }
std::uint32_t Table::recno() const { return m->isEof ? m->lastRec + 1 : m->recno; }
std::uint32_t Table::lastRec() const { return m->lastRec; }
void Table::showDeleted(bool visible) { m->deletedVisible = visible; }
bool Table::deletedVisible() const { return m->deletedVisible; }

std::vector<std::uint32_t> Table::visibleRecnos() {
  std::size_t n = m->sequenceSize();
  std::vector<std::uint32_t> out;
  out.reserve(n);
  for (std::size_t i = 0; i < n; ++i) {
    std::uint32_t r = m->recnoAt(i);
    if (m->isVisible(r)) out.push_back(r);
  }
  return out;
}

bool Table::deleted() const { return !m->isEof && m->record[0] == dbfDeletedFlag; }
std::string_view Table::recordBytes() const {
  return m->isEof ? std::string_view() : std::string_view(m->record);
}
std::size_t Table::copyRecords(std::size_t max, std::string& out) {
  std::size_t copied = 0;
  if (m->current != 0) {  // in key order: a record at a time
    for (; copied < max && !m->isEof; ++copied, skip()) out += m->record;
    return copied;
  }
  if (m->isEof || max == 0) return 0;
  m->wasFound = false;
  m->commit();
  out += m->record;
  copied = 1;
  const std::size_t length = m->header.recordLength;
  std::uint32_t next = m->recno + 1;  // the first record not yet looked at
  while (copied < max && next <= m->lastRec) {
    const auto n =
        static_cast<std::uint32_t>(std::min<std::size_t>(max - copied, m->lastRec - next + 1));
    std::size_t at = out.size();
    out.resize(at + n * length);
    m->cache->read(m->offsetOf(next), out.data() + at, n * length);
    next += n;
    if (m->deletedVisible) {
      copied += n;
      continue;
    }
    // Deleted records are left out: the visible ones move up over them.
    const std::size_t end = out.size();
    for (std::size_t from = at; from < end; from += length) {
      if (out[from] == dbfDeletedFlag) continue;
      if (from != at) std::memmove(out.data() + at, out.data() + from, length);
      at += length;
      ++copied;
    }
    out.resize(at);
  }
  const std::size_t following = m->visibleFrom(next - 1, true);
  if (following == std::string::npos) {
    m->positionAtEof();
    m->isBof = false;
  } else {
    m->positionAt(following);
  }
  return copied;
}

void Table::remove() { m->setDeletedFlag(true); }
void Table::recall() { m->setDeletedFlag(false); }

// --- field access ---------------------------------------------------------------------------

Text Table::getText(std::string_view field) const { return getText(m->checkedPosition(field)); }

Text Table::getText(int position) const {
  std::size_t i = m->checkedIndex(position);
  return contentToText(m->header.fields[i], m->content(i));
}

double Table::getNumber(std::string_view field) const {
  return getNumber(m->checkedPosition(field));
}

double Table::getNumber(int position) const {
  std::size_t i = m->checkedIndex(position);
  return contentToNumber(m->header.fields[i], m->content(i));
}

Date Table::getDate(std::string_view field) const { return getDate(m->checkedPosition(field)); }

Date Table::getDate(int position) const {
  std::size_t i = m->checkedIndex(position);
  const Field& f = m->header.fields[i];
  if (f.type == 'D') return Date::fromDbf(m->content(i));
  if (f.type == 'C') return Date::parse(contentToText(f, m->content(i)));
  return {};
}

bool Table::getLogical(std::string_view field) const {
  return getLogical(m->checkedPosition(field));
}

bool Table::getLogical(int position) const {
  std::size_t i = m->checkedIndex(position);
  std::string_view c = m->content(i);
  const Field& f = m->header.fields[i];
  if (f.type == 'L' || f.type == 'C') return !c.empty() && parseLogical(c[0]);
  return false;
}

Text Table::getRaw(int position) const {
  std::size_t i = m->checkedIndex(position);
  std::string_view c = m->content(i);
  return m->header.fields[i].type == 'C' ? fromCp850(c) : Text(c);
}

Text Table::getPadded(std::string_view field) const { return getPadded(m->checkedPosition(field)); }

Text Table::getPadded(int position) const {
  Text out;
  getPadded(position, out);
  return out;
}

void Table::getPadded(int position, Text& out) const {
  const std::size_t i = m->checkedIndex(position);
  const Field& f = m->header.fields[i];
  if (f.type != 'C') {
    out = padRight(getText(position), static_cast<std::size_t>(f.length));
    return;
  }
  const std::string_view c = m->content(i);
  out.resize(c.size());
  fromCp850(c, out.data());
}

void Table::put(std::string_view field, std::string_view text) {
  put(m->checkedPosition(field), text);
}

void Table::put(int position, std::string_view text) {
  m->writeField(m->checkedIndex(position),
                [text](const Field& f, char* out) { encodeText(f, text, out); });
}

void Table::put(std::string_view field, double number) { put(m->checkedPosition(field), number); }

void Table::put(int position, double number) {
  m->writeField(m->checkedIndex(position),
                [number](const Field& f, char* out) { encodeNumber(f, number, out); });
}

void Table::put(std::string_view field, const Date& date) { put(m->checkedPosition(field), date); }

void Table::put(int position, const Date& date) {
  m->writeField(m->checkedIndex(position),
                [&date](const Field& f, char* out) { encodeDate(f, date, out); });
}

void Table::putLogical(std::string_view field, bool value) {
  putLogical(m->checkedPosition(field), value);
}

void Table::putLogical(int position, bool value) {
  m->writeField(m->checkedIndex(position),
                [value](const Field& f, char* out) { encodeText(f, value ? "T" : "F", out); });
}

// --- records ---------------------------------------------------------------------------------

void Table::append() {
  m->appendRecord(m->blankBytes());
  m->wasFound = false;
}

void Table::append(std::string_view record) {
  if (record.size() != m->header.recordLength)
    throw std::invalid_argument("record of " + std::to_string(record.size()) + " bytes for table " +
                                m->path.filename().string());
  m->appendRecord(record);
  m->wasFound = false;
}

bool Table::lock(std::uint32_t recno) {
  // An exclusive open already locks everything; a second lock of the same process would
  // merge with it, and unlocking it would punch a hole into the exclusive lock.
  if (m->mode == OpenMode::Exclusive) return true;
  if (m->recordLocks.count(recno)) return true;
  if (!m->file.lock(recordLockBase + recno, 1, m->file.isWritable())) return false;
  m->recordLocks.insert(recno);
  return true;
}

void Table::unlock(std::uint32_t recno) {
  if (m->mode == OpenMode::Exclusive || !m->recordLocks.count(recno)) return;
  m->file.unlock(recordLockBase + recno, 1);
  m->recordLocks.erase(recno);
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
  Impl::KeyCollector keys(t.header, released);
  std::uint32_t kept = 0;
  t.forEachRecord([&](std::uint32_t r, const char* record) {
    if (record[0] == dbfDeletedFlag) return;
    ++kept;
    // A record only moves towards the start, behind the block being read.
    if (kept != r) t.cache->write(t.offsetOf(kept), record, t.header.recordLength);
    if (keys.empty()) return;
    keys.add(kept, record, 0);
    keys.add(kept, record, 1);
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
  t.endMarkerStale = t.headerStale = false;
  keys.write();
  for (auto& o : t.orders) {
    if (!o->resident()) continue;
    t.buildKeys(*o);
    t.writeOrderOrThrow(*o);
  }
  t.goTop();
}

Result<void> Table::appendFrom(const fs::path& source) {
  if (samePath(source, m->path)) return fail("cannot append " + source.string() + " to itself");
  // Opened without a lock: the source is read once, start to end. (Closing it drops any lock
  // this process holds on that file through another table.)
  auto opened = OsFile::open(source, OsFile::Access::ReadOnly);
  if (!opened) return fail(opened.reason());
  OsFile in = std::move(*opened);
  std::uint64_t size = in.size();
  auto header = readHeader(in, size);
  if (!header) return fail(header.reason());

  // For each target field, the source field of the same name (or none).
  const DbfHeader& to = m->header;
  std::vector<int> sourceField(to.fields.size(), -1);
  for (std::size_t i = 0; i < to.fields.size(); ++i)
    for (std::size_t j = 0; j < header->fields.size(); ++j)
      if (sameName(to.fields[i].name, header->fields[j].name)) sourceField[i] = static_cast<int>(j);

  RecordCache reader(in);
  std::uint32_t count = recordsInFile(*header, size);
  std::string from(header->recordLength, ' ');
  for (std::uint32_t r = 1; r <= count; ++r) {
    reader.read(header->headerLength + static_cast<std::uint64_t>(r - 1) * header->recordLength,
                from.data(), from.size());
    std::string record = blankRecord(to);
    record[0] = from[0] == dbfDeletedFlag ? dbfDeletedFlag : dbfLiveFlag;
    for (std::size_t i = 0; i < to.fields.size(); ++i) {
      if (sourceField[i] < 0) continue;
      auto j = static_cast<std::size_t>(sourceField[i]);
      const Field& sf = header->fields[j];
      std::string_view content = std::string_view(from).substr(
          static_cast<std::size_t>(header->offsets[j]), static_cast<std::size_t>(sf.length));
      std::string value = carryOver(sf, content, to.fields[i]);
      std::copy(value.begin(), value.end(), record.begin() + to.offsets[i]);
    }
    m->appendRecord(record);
  }
  if (count > 0) {
    m->wasFound = false;
    m->positionOn(m->lastRec);
  }
  return {};
}

// --- orders ---------------------------------------------------------------------------------

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

bool Table::seek(std::string_view key, bool soft) {
  Order* o = m->currentOrder();
  if (!o) {
    m->positionAtEof();
    m->wasFound = false;
    return false;
  }
  o->resolve();
  return m->seekKey(*o, o->searchKey(toCp850(key)), soft);
}

bool Table::seek(double key, bool soft) {
  Order* o = m->currentOrder();
  if (!o) {
    m->positionAtEof();
    m->wasFound = false;
    return false;
  }
  o->resolve();
  return m->seekKey(*o, o->searchKey(key), soft);
}

bool Table::found() const { return m->wasFound; }

void Table::flush() { m->flush(); }

// --- records away from the table ------------------------------------------------------------

RecordLayout::RecordLayout(const Table& table)
    : m_fields(table.m->header.fields),
      m_offsets(table.m->header.offsets),
      m_size(table.m->header.recordLength) {}

std::size_t RecordLayout::checkedIndex(int position) const {
  return checkedFieldIndex(position, m_fields.size(), [] { return std::string("record"); });
}

std::string_view RecordFields::content(std::string_view record, std::size_t i) const {
  return record.substr(std::min(offset(i), record.size()),
                       static_cast<std::size_t>(m_fields[i].length));
}

Text RecordFields::text(std::string_view record, int position) const {
  const std::size_t i = checkedIndex(position);
  return contentToText(m_fields[i], content(record, i));
}

void RecordFields::appendText(std::string_view record, int position, std::string& out,
                              std::size_t length) const {
  const std::size_t i = checkedIndex(position);
  if (m_fields[i].type != 'C') {
    const Text text = contentToText(m_fields[i], content(record, i));
    out += trimmedView(std::string_view(text).substr(0, length));
    return;
  }
  // Code page 850 keeps every byte in its place and turns no other byte into a blank: the
  // blanks can go before the bytes are turned into Windows-1252.
  const std::string_view bytes = trimmedView(content(record, i).substr(0, length));
  const std::size_t at = out.size();
  out.resize(at + bytes.size());
  fromCp850(bytes, out.data() + at);
}

double RecordFields::number(std::string_view record, int position) const {
  const std::size_t i = checkedIndex(position);
  return contentToNumber(m_fields[i], content(record, i));
}

void RecordBuilder::blank(char* record) const { std::memset(record, ' ', m_size); }

void RecordBuilder::put(char* record, int position, std::string_view text) const {
  const std::size_t i = checkedIndex(position);
  encodeText(m_fields[i], text, record + offset(i));
}

void RecordBuilder::put(char* record, int position, double number) const {
  const std::size_t i = checkedIndex(position);
  encodeNumber(m_fields[i], number, record + offset(i));
}

void RecordBuilder::put(char* record, int position, const Date& date) const {
  const std::size_t i = checkedIndex(position);
  encodeDate(m_fields[i], date, record + offset(i));
}

bool RecordBuilder::putDecimal(char* record, int position, bool negative,
                               std::string_view digits) const {
  const std::size_t i = checkedIndex(position);
  const Field& f = m_fields[i];
  return f.type == 'N' &&
         formatDecimalInto(negative, digits, f.length, f.decimals, record + offset(i));
}

}  // namespace velmoran::store
