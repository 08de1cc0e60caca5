#include "store/table.h"

#include <algorithm>
#include <cstring>
#include <system_error>
#include <utility>

#include "store/code_page.h"
#include "store/field_codec.h"
#include "store/files.h"
#include "store/table_impl.h"

namespace velmoran::store {

namespace fs = std::filesystem;

namespace {

// Byte-range locks in the Clipper convention, far beyond the end of any table: a record
// lock is the byte at recordLockBase + recno. A shared open holds a read lock on a byte that
// no record lock reaches, so it only conflicts with an exclusive open, which locks
// everything from offset 0 on.
constexpr std::uint64_t recordLockBase = 1'000'000'000;
constexpr std::uint64_t sharedOpenLockOffset = 2'000'000'001;

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

}  // namespace

// --- records -------------------------------------------------------------------------------

void Table::Impl::commit() {
  if (!recordChanged) return;
  cache->write(offsetOf(recno), record.data(), record.size());
  recordChanged = false;
}

// The record's bytes into the cursor's buffer (no new allocation per step).
void Table::Impl::loadRecord(std::uint32_t r) {
  commit();
  record.resize(header.recordLength);
  cache->read(offsetOf(r), record.data(), record.size());
}

bool Table::Impl::isDeleted(std::uint32_t r) {
  commit();
  char flag = ' ';
  cache->read(offsetOf(r), &flag, 1);
  return flag == dbfDeletedFlag;
}

void Table::Impl::requireWritable() const {
  if (!file.isOpen()) throw IoError("cannot write " + path.string() + ": the file is not open");
  if (!file.isWritable()) throw IoError("cannot write " + path.string() + ": opened read-only");
}

// A record of blanks, made once.
const std::string& Table::Impl::blankBytes() {
  if (blank.size() != header.recordLength) blank.assign(header.recordLength, ' ');
  return blank;
}

// The cursor goes to the new record; its bytes reach the cache at the next commit, with any
// fields put into it by then.
void Table::Impl::appendRecord(std::string_view bytes) {
  requireWritable();
  commit();
  ++lastRec;
  record.assign(bytes);  // into the buffer the record already has
  recno = lastRec;
  recordChanged = true;
  isEof = isBof = false;
  recordAppended();
  headerStale = endMarkerStale = true;
}

// --- cursor --------------------------------------------------------------------------------

void Table::Impl::positionOn(std::uint32_t r) {
  commit();
  recno = r;
  isEof = isBof = false;
  loadRecord(r);
}

void Table::Impl::positionAtEof() {
  commit();
  recno = lastRec + 1;
  isEof = true;
  record.assign(blankBytes());
}

Order* Table::Impl::currentOrder() {
  if (current == 0) return nullptr;
  return &use(*orders[static_cast<std::size_t>(current - 1)]);
}

std::size_t Table::Impl::sequenceSize() {
  Order* o = currentOrder();
  if (!o) return lastRec;
  o->resolve();
  return o->sorted().size();
}

std::uint32_t Table::Impl::recnoAt(std::size_t i) {
  Order* o = currentOrder();
  return o ? o->sorted()[i] : static_cast<std::uint32_t>(i + 1);
}

std::size_t Table::Impl::currentPosition() {
  std::size_t n = sequenceSize();
  if (isEof || recno < 1 || recno > lastRec) return n;
  Order* o = currentOrder();
  if (!o) return recno - 1;
  // A record occurs once in an order, so finding it at the hinted place settles it.
  if (positionHint < n && o->sorted()[positionHint] == recno) return positionHint;
  return o->positionOf(recno);
}

void Table::Impl::positionAt(std::size_t i) {
  positionHint = i;
  positionOn(recnoAt(i));
}

std::size_t Table::Impl::visibleFrom(std::size_t i, bool forward) {
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

void Table::Impl::goTop() {
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

void Table::Impl::goBottom() {
  wasFound = false;
  std::size_t i = visibleFrom(sequenceSize(), false);
  if (i == std::string::npos) {
    positionAtEof();
    isBof = true;
  } else {
    positionAt(i);
  }
}

void Table::Impl::skipForward(long n) {
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

void Table::Impl::skipBackward(long n) {
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

void Table::Impl::throwNoField(int position) const {
  throw std::out_of_range("table " + path.filename().string() + " has no field " +
                          std::to_string(position));
}

int Table::Impl::positionOf(std::string_view name) const {
  for (std::size_t i = 0; i < header.fields.size(); ++i) {
    const std::string& field = header.fields[i].name;
    if (field.size() == name.size() && sameIgnoringCase(field, name))
      return static_cast<int>(i + 1);
  }
  return 0;
}

int Table::Impl::checkedPosition(std::string_view name) const {
  int p = positionOf(name);
  if (p == 0)
    throw std::out_of_range("table " + path.filename().string() + " has no field " +
                            std::string(name));
  return p;
}

template <class Encode>
void Table::Impl::writeField(std::size_t i, Encode encode) {
  if (isEof) return;  // a put at eof does nothing
  requireWritable();
  encode(header.fields[i], record.data() + header.offsets[i]);
  recordChanged = true;
  headerStale = true;
  fieldChanged(i);
}

void Table::Impl::setDeletedFlag(bool deleted) {
  if (isEof) return;
  requireWritable();
  record[0] = deleted ? dbfDeletedFlag : dbfLiveFlag;
  recordChanged = true;
  headerStale = true;
}

// --- writing -------------------------------------------------------------------------------

void Table::Impl::flush() {
  if (!file.isOpen()) return;  // released (store/bulk.h): nothing of it may reach the files
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
      header.statedRecordCount = lastRec;
      headerStale = false;
    }
  }
  writeOrders();
}

// --- opening and creating ----------------------------------------------------------------

Table::Table(std::unique_ptr<Impl> impl) : m(std::move(impl)) {}

Table::~Table() {
  try {
    m->flush();
  } catch (const std::exception&) {
    // A destructor cannot report; whoever needs to know calls flush() before closing.
  }
}

// The file at `path`, opened in `mode` with its lock, its header read; the cache starts
// empty. Nothing of the table before is kept but its orders.
Result<void> Table::Impl::openFile() {
  auto opened = OsFile::open(path, OsFile::Access::ReadWrite);
  if (!opened) opened = OsFile::open(path, OsFile::Access::ReadOnly);
  if (!opened) return fail(opened.reason());
  file = std::move(*opened);
  bool locked = mode == OpenMode::Exclusive ? file.lock(0, 0, file.isWritable())
                                            : file.lock(sharedOpenLockOffset, 1, false);
  if (!locked) {
    file.close();
    return fail(std::string(lockedReason) + ": " + path.string());
  }
  try {
    std::uint64_t size = file.size();
    auto read = readHeader(file, size);
    if (!read) return fail(read.reason());
    header = std::move(*read);
    lastRec = recordsInFile(header, size);
  } catch (const IoError& e) {
    return fail(e.what());
  }
  cache = std::make_unique<RecordCache>(file);
  recordChanged = headerStale = endMarkerStale = false;
  recordLocks.clear();
  return {};
}

void Table::Impl::releaseFile() {
  cache.reset();
  file.close();
  recordChanged = headerStale = endMarkerStale = false;
  recordLocks.clear();
  // Until the file is taken up again the table is empty and has no orders; a change fails.
  lastRec = 0;
  heldOrders = std::move(orders);
  orders.clear();
  heldCurrent = std::exchange(current, 0);
  ordersChanged();
  positionAtEof();
  isBof = true;
}

Result<void> Table::Impl::takeUpFile() {
  if (auto r = openFile(); !r) return r;
  // The orders' index files were written with the file: each is read when it is needed. A
  // key expression is read again, as the field it names may have moved.
  for (auto& held : heldOrders) {
    auto spec = parseKeyExpression(held->spec().expression, header.fields);
    if (!spec) return fail(path.string() + ": " + spec.reason());
    auto order = std::make_unique<Order>(std::move(*spec), held->file(), held->tagName());
    order->release();
    order->setWritten();
    orders.push_back(std::move(order));
  }
  heldOrders.clear();
  ordersChanged();
  current = heldCurrent;
  goTop();
  return {};
}

Result<std::unique_ptr<Table>> Table::open(const fs::path& path, OpenMode mode) {
  auto impl = std::make_unique<Impl>();
  impl->path = path;
  impl->mode = mode;
  if (auto r = impl->openFile(); !r) return fail(r.reason());
  impl->goTop();
  return std::unique_ptr<Table>(new Table(std::move(impl)));
}

Result<Table::FileFacts> Table::inspect(const fs::path& path) {
  auto opened = OsFile::open(path, OsFile::Access::ReadOnly);
  if (!opened) return fail(opened.reason());
  try {
    const std::uint64_t size = opened->size();
    auto header = readHeader(*opened, size);
    if (!header) return fail(header.reason());
    FileFacts facts;
    facts.structure = header->fields;
    facts.statedRecords = header->statedRecordCount;
    facts.heldRecords = recordsInFile(*header, size);
    // The end-of-file mark after the last record is optional.
    const std::uint64_t expected =
        header->headerLength + std::uint64_t{header->statedRecordCount} * header->recordLength;
    facts.complete = size == expected || size == expected + 1;
    return facts;
  } catch (const IoError& e) {
    return fail(e.what());
  }
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
void Table::remove() { m->setDeletedFlag(true); }
void Table::recall() { m->setDeletedFlag(false); }

// --- field access ---------------------------------------------------------------------------

Text Table::getText(std::string_view field) const { return getText(m->checkedPosition(field)); }

Text Table::getText(int position) const {
  std::size_t i = m->checkedIndex(position);
  return contentToText(m->header.fields[i], m->content(i));
}

void Table::getText(int position, Text& out) const {
  const std::size_t i = m->checkedIndex(position);
  const Field& f = m->header.fields[i];
  if (f.type != 'C') {
    out = contentToText(f, m->content(i));
    return;
  }
  const std::string_view c = trimmedRight(m->content(i));
  out.resize(c.size());
  fromCp850(c, out.data());
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

namespace {

// Records of one table in the layout of another, fields matched by name as appendFrom does;
// the deleted mark goes with them.
class RecordCarrier {
public:
  RecordCarrier(const DbfHeader& from, const DbfHeader& to)
      : m_from(from),
        m_to(to),
        m_sourceField(to.fields.size(), -1),
        m_record(to.recordLength, ' ') {
    for (std::size_t i = 0; i < to.fields.size(); ++i)
      for (std::size_t j = 0; j < from.fields.size(); ++j)
        if (sameIgnoringCase(to.fields[i].name, from.fields[j].name))
          m_sourceField[i] = static_cast<int>(j);
  }

  std::string_view carry(const char* record) {
    m_record.assign(m_to.recordLength, ' ');
    m_record[0] = record[0] == dbfDeletedFlag ? dbfDeletedFlag : dbfLiveFlag;
    for (std::size_t i = 0; i < m_to.fields.size(); ++i) {
      if (m_sourceField[i] < 0) continue;
      auto j = static_cast<std::size_t>(m_sourceField[i]);
      const Field& sf = m_from.fields[j];
      std::string value = carryOver(
          sf, std::string_view(record + m_from.offsets[j], static_cast<std::size_t>(sf.length)),
          m_to.fields[i]);
      std::copy(value.begin(), value.end(), m_record.begin() + m_to.offsets[i]);
    }
    return m_record;
  }

private:
  const DbfHeader& m_from;
  const DbfHeader& m_to;
  std::vector<int> m_sourceField;  // for each target field, the source field of its name
  std::string m_record;
};

}  // namespace

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

  RecordCarrier carrier(*header, m->header);
  RecordCache reader(in);
  std::uint32_t count = recordsInFile(*header, size);
  std::string from(header->recordLength, ' ');
  for (std::uint32_t r = 1; r <= count; ++r) {
    reader.read(header->headerLength + static_cast<std::uint64_t>(r - 1) * header->recordLength,
                from.data(), from.size());
    m->appendRecord(carrier.carry(from.data()));
  }
  if (count > 0) {
    m->wasFound = false;
    m->positionOn(m->lastRec);
  }
  return {};
}

void Table::Impl::appendRecordsOf(Impl& source, bool withDeleted, bool markDeleted) {
  const bool sameLayout = source.header.fields == header.fields;
  RecordCarrier carrier(source.header, header);
  const std::size_t length = source.header.recordLength;
  std::string marked;
  source.forEachRecord([&](std::uint32_t, const char* record) {
    if (!withDeleted && record[0] == dbfDeletedFlag) return;
    std::string_view bytes = sameLayout ? std::string_view(record, length) : carrier.carry(record);
    if (markDeleted) {
      marked.assign(bytes);
      marked[0] = dbfDeletedFlag;
      bytes = marked;
    }
    appendRecord(bytes);
  });
}

void Table::flush() { m->flush(); }

}  // namespace velmoran::store
