#include "store/bulk.h"

#include <stdexcept>
#include <system_error>

#include "store/files.h"
#include "store/schema.h"
#include "store/table_impl.h"
#include "store/text.h"

namespace velmoran::store {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view newSuffix = ".new";
constexpr std::string_view oldSuffix = ".old";

fs::path withSuffix(const fs::path& file, std::string_view suffix) {
  fs::path p = file;
  p += std::string(suffix);
  return p;
}

bool fileExists(const fs::path& file) {
  std::error_code ec;
  return fs::exists(file, ec);
}

void removeQuietly(const fs::path& file) {
  std::error_code ec;
  fs::remove(file, ec);
}

void renameOver(const fs::path& from, const fs::path& to) {
  std::error_code ec;
  fs::rename(from, to, ec);
  if (ec)
    throw IoError("cannot rename " + from.string() + " to " + to.string() + ": " + ec.message());
}

void syncFile(const fs::path& file) {
  auto opened = OsFile::open(file, OsFile::Access::ReadWrite);
  if (!opened) throw IoError(opened.reason());
  opened->sync();
}

// The journal: one line per rename, the new file's name and the name it takes, separated by
// a tab, all in the folder of the journal. Written whole under its name with ".new" and
// renamed, like the new files it lists.
void writeJournal(const fs::path& journal, const std::vector<fs::path>& from,
                  const std::vector<fs::path>& to) {
  std::string text;
  for (std::size_t i = 0; i < from.size(); ++i)
    text += from[i].filename().string() + "\t" + to[i].filename().string() + "\r\n";
  auto out = OutputFile::create(journal, newSuffix);
  if (!out || !out->write(text) || !out->finish())
    throw IoError("cannot write " + journal.string());
}

// A plain file name, nothing that leads out of the folder.
bool isPlainName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of("/\\:") == std::string_view::npos;
}

// The renames a journal lists; nothing when it cannot be read.
std::optional<std::vector<std::pair<std::string, std::string>>> readJournal(
    const fs::path& journal) {
  auto text = readFile(journal);
  if (!text) return std::nullopt;
  std::vector<std::pair<std::string, std::string>> renames;
  std::size_t start = 0;
  while (start < text->size()) {
    std::size_t end = text->find('\n', start);
    if (end == std::string::npos) end = text->size();
    std::string_view line = std::string_view(*text).substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::size_t tab = line.find('\t');
    if (tab != std::string_view::npos && isPlainName(line.substr(0, tab)) &&
        isPlainName(line.substr(tab + 1)))
      renames.emplace_back(line.substr(0, tab), line.substr(tab + 1));
    start = end + 1;
  }
  return renames;
}

// The files a replacement makes and keeps beside the tables have these names with ".new" or
// ".old" after them: the table files, their index files, the structure upgrade's scratch
// table and the journal.
bool isReplacedName(std::string_view name) {
  if (sameIgnoringCase(name, tempTableFileName) || sameIgnoringCase(name, journalFileName))
    return true;
  for (const auto& spec : tableSpecs()) {
    if (sameIgnoringCase(name, spec.fileName)) return true;
    for (const auto& index : spec.indexes)
      if (sameIgnoringCase(name, index.fileName)) return true;
  }
  return false;
}

bool endsWithIgnoringCase(std::string_view name, std::string_view suffix) {
  return name.size() > suffix.size() &&
         sameIgnoringCase(name.substr(name.size() - suffix.size()), suffix);
}

// What a replacement cut off before its journal left: its new files go; an old file kept
// aside goes back where no file took its place.
void removeLeftovers(const fs::path& dataDir) {
  std::vector<fs::path> found;
  std::error_code ec;
  for (fs::directory_iterator it(dataDir, ec), end; !ec && it != end; it.increment(ec))
    found.push_back(it->path());
  for (const fs::path& file : found) {
    const std::string name = file.filename().string();
    if (sameIgnoringCase(name, tempTableFileName)) {
      removeQuietly(file);
      continue;
    }
    for (std::string_view suffix : {newSuffix, oldSuffix}) {
      if (!endsWithIgnoringCase(name, suffix)) continue;
      const std::string_view target = std::string_view(name).substr(0, name.size() - suffix.size());
      if (!isReplacedName(target)) continue;
      const fs::path targetPath = file.parent_path() / std::string(target);
      std::error_code renamed;
      if (suffix == oldSuffix && !fileExists(targetPath)) fs::rename(file, targetPath, renamed);
      if (suffix == newSuffix || fileExists(file)) removeQuietly(file);
    }
  }
}

}  // namespace

void markAllDeleted(Table& t) {
  const int order = t.order();
  const bool wasVisible = t.deletedVisible();
  t.setOrder(0);
  t.showDeleted(true);
  for (t.goTop(); !t.eof(); t.skip())
    if (!t.deleted()) t.remove();
  t.showDeleted(wasVisible);
  t.setOrder(order);
  t.goTop();
}

// --- Replacement ------------------------------------------------------------------------------

Replacement::~Replacement() {
  if (!m_committed) discardNewVersions();
}

Table& Replacement::add(Table& table, Start start, const Structure* structure,
                        std::string_view fileName) {
  for (const Part& p : m_parts)
    if (p.table == &table) throw std::logic_error("table added twice: " + table.path().string());
  Table::Impl& from = *table.m;
  const fs::path file =
      fileName.empty() ? withSuffix(from.path, newSuffix) : from.path.parent_path() / fileName;
  if (auto created = Table::create(file, structure ? *structure : from.header.fields); !created)
    throw IoError(created.reason());
  auto opened = Table::open(file, OpenMode::Exclusive);
  if (!opened) {
    removeQuietly(file);
    throw IoError(opened.reason());
  }
  // Known from here on, so that whatever fails below leaves no file behind.
  m_parts.push_back({&table, std::move(*opened), {{file, from.path}}});
  Part& part = m_parts.back();
  Table& next = *part.next;
  next.m->appendRecordsOf(from, start != Start::pack, start == Start::deleted);
  // The index files are written once, from the records, when the new version is complete.
  for (const auto& order : from.orders) {
    const fs::path index = withSuffix(order->file(), newSuffix);
    part.renames.push_back({index, order->file()});
    auto attached = next.createOrder(index, order->spec().expression, order->tagName(),
                                     Table::OrderKeys::released);
    if (!attached) throw IoError(attached.reason());
  }
  next.setOrder(from.current);
  next.goTop();
  return next;
}

std::vector<Replacement::Rename> Replacement::renames() const {
  std::vector<Rename> all;
  for (const Part& p : m_parts) all.insert(all.end(), p.renames.begin(), p.renames.end());
  return all;
}

// Each new version complete on the disk (records, header, index files) and closed.
void Replacement::writeNewVersions() {
  for (Part& p : m_parts) {
    Table::Impl& next = *p.next->m;
    next.flush();
    next.file.sync();
    for (std::size_t i = 1; i < p.renames.size(); ++i) syncFile(p.renames[i].from);
    p.next.reset();
  }
}

void Replacement::discardNewVersions() {
  for (Part& p : m_parts) {
    if (p.next) {
      p.next->m->releaseFile();
      p.next.reset();
    }
    for (const Rename& r : p.renames) removeQuietly(r.from);
  }
}

void Replacement::takeUpFiles() {
  for (Part& p : m_parts)
    if (auto r = p.table->m->takeUpFile(); !r)
      throw std::runtime_error("the table cannot read its new file: " + r.reason());
}

void Replacement::commit() {
  if (m_parts.empty()) return;
  writeNewVersions();
  const std::vector<Rename> all = renames();
  const fs::path dir = all.front().to.parent_path();
  std::vector<fs::path> from, to;
  for (const Rename& r : all) {
    if (!samePath(r.to.parent_path(), dir))
      throw std::logic_error("tables of one replacement in two folders: " + r.to.string());
    from.push_back(r.from);
    to.push_back(r.to);
    removeQuietly(withSuffix(r.to, oldSuffix));
  }
  const fs::path journal = dir / journalFileName;
  // From here on the next start finishes what a kill cuts off.
  writeJournal(journal, from, to);
  for (Part& p : m_parts) p.table->m->releaseFile();
  try {
    for (const Rename& r : all) {
      if (fileExists(r.to)) renameOver(r.to, withSuffix(r.to, oldSuffix));
      renameOver(r.from, r.to);
    }
  } catch (const IoError&) {
    // Taken back, the last first: each new file to its new name, each old one to its place.
    // Only when all went back does the journal go; otherwise the next start finishes it.
    try {
      for (auto r = all.rbegin(); r != all.rend(); ++r) {
        const fs::path kept = withSuffix(r->to, oldSuffix);
        if (!fileExists(kept)) continue;
        if (fileExists(r->to)) renameOver(r->to, r->from);
        renameOver(kept, r->to);
      }
      removeQuietly(journal);
      syncFolder(dir);
    } catch (const IoError&) {
      m_committed = true;  // the new files belong to the journal now
    }
    takeUpFiles();
    throw;
  }
  syncFolder(dir);
  m_committed = true;
  // The old files go before the journal: a kill in between leaves a journal with nothing
  // left to do.
  for (const Rename& r : all) removeQuietly(withSuffix(r.to, oldSuffix));
  removeQuietly(journal);
  takeUpFiles();
}

Result<void> replaceTables(const std::function<bool(Replacement&)>& work) {
  try {
    Replacement replacement;
    if (work(replacement)) replacement.commit();
  } catch (const IoError& e) {
    return fail(e.what());
  }
  return {};
}

void completeReplacements(const fs::path& dataDir) {
  const fs::path journal = findInDir(dataDir, journalFileName);
  if (fileExists(journal)) {
    auto renames = readJournal(journal);
    // A journal that cannot be read or carried out stays, with every file it may name, for
    // a later start.
    if (!renames) return;
    bool allDone = true;
    for (const auto& [from, to] : *renames) {
      std::error_code ec;
      if (fileExists(dataDir / from)) fs::rename(dataDir / from, dataDir / to, ec);
      allDone = allDone && !ec;
    }
    if (!allDone) return;
    syncFolder(dataDir);
    removeQuietly(journal);
  }
  removeLeftovers(dataDir);
}

}  // namespace velmoran::store
