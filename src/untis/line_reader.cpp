#include "untis/line_reader.h"

#include <system_error>

#include "store/code_page.h"
#include "store/table.h"

namespace velmoran::untis {

namespace {

constexpr std::string_view utf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view utf16leMark = "\xFF\xFE";
constexpr std::string_view utf16beMark = "\xFE\xFF";
// Enough bytes for any five characters of UTF-8 (at most four bytes each) and then some.
constexpr std::size_t headBytes = 64;
// The piece in which a file is checked for UTF-8 before it is read.
constexpr std::size_t checkSize = 64 * 1024;

bool isBlankLine(std::string_view line) { return line.find_first_not_of(' ') == line.npos; }

// Whether the bytes from `start` to the end of the file are valid UTF-8 holding multi-byte
// sequences, checked a piece at a time (a sequence may straddle two pieces).
bool isUtf8Throughout(const store::OsFile& file, std::uint64_t start, std::uint64_t size) {
  std::string piece;
  std::string carry;
  bool multiByte = false;
  for (std::uint64_t at = start; at < size;) {
    piece.assign(carry);
    const std::size_t kept = piece.size();
    piece.resize(kept + checkSize);
    const std::size_t got = file.readAt(at, piece.data() + kept, checkSize);
    piece.resize(kept + got);
    if (got == 0) break;  // the file shrank: the reading notices
    at += got;
    const std::size_t valid = store::utf8Prefix(piece, multiByte);
    // At most a sequence cut by the piece's end may stay open, and only before the end.
    if (piece.size() - valid > 3 || (at >= size && valid < piece.size())) return false;
    carry.assign(piece, valid, std::string::npos);
  }
  return multiByte && carry.empty();
}

}  // namespace

std::optional<LineReader> LineReader::open(const std::filesystem::path& file, FileProblem* why) {
  auto report = [why](FileProblem p) {
    if (why) *why = p;
    return std::nullopt;
  };
  std::error_code ec;
  const auto status = std::filesystem::status(file, ec);
  if (!ec && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status))
    return report(FileProblem::notAFile);
  // A pipe or device swapped in since is refused here, without waiting for a writer.
  auto opened = store::OsFile::open(file, store::OsFile::Access::ReadOnly);
  if (!opened) return report(FileProblem::cannotOpen);
  try {
    const std::uint64_t size = opened->size();
    std::string mark(3, '\0');
    mark.resize(opened->readAt(0, mark.data(), mark.size()));
    const std::string_view m = mark;
    Encoding encoding = Encoding::windows1252;
    std::uint64_t start = 0;
    if (m.starts_with(utf8Mark)) {
      encoding = Encoding::utf8;
      start = utf8Mark.size();
    } else if (m.starts_with(utf16leMark) || m.starts_with(utf16beMark)) {
      encoding = m.starts_with(utf16leMark) ? Encoding::utf16le : Encoding::utf16be;
      start = utf16leMark.size();
    } else if (isUtf8Throughout(*opened, 0, size)) {
      encoding = Encoding::utf8;
    }
    return LineReader(std::move(*opened), size, encoding, start);
  } catch (const store::IoError&) {
    return report(FileProblem::cannotOpen);
  }
}

LineReader::LineReader(store::OsFile file, std::uint64_t size, Encoding encoding,
                       std::uint64_t start)
    : m_file(std::move(file)), m_size(size), m_encoding(encoding), m_nextBlock(start) {
  m_raw.reserve(blockSize);
}

LineReader::Start LineReader::start() {
  if (!readBlock()) return Start::noLineFeed;
  if (m_block.find('\r') == Text::npos) return Start::noCarriageReturn;
  return Start::ok;
}

Text LineReader::head(std::size_t characters) const { return m_head.substr(0, characters); }

bool LineReader::sizeChanged() {
  try {
    if (m_file.size() == m_size) return false;
  } catch (const store::IoError&) {
  }
  m_problem = FileProblem::changedWhileRead;
  return true;
}

// The offset just after the block's last line feed, 0 when it holds none. In UTF-16 a line
// feed is a whole code unit.
std::size_t LineReader::lastLineFeed(std::string_view raw) const {
  if (m_encoding == Encoding::utf16le || m_encoding == Encoding::utf16be) {
    const bool big = m_encoding == Encoding::utf16be;
    for (std::size_t i = raw.size() & ~std::size_t{1}; i >= 2; i -= 2)
      if (raw[i - 2] == (big ? '\0' : '\n') && raw[i - 1] == (big ? '\n' : '\0')) return i;
    return 0;
  }
  const std::size_t lf = raw.rfind('\n');
  return lf == std::string_view::npos ? 0 : lf + 1;
}

bool LineReader::readBlock() {
  const bool isFirst = !m_started;
  m_started = true;
  if (sizeChanged()) return false;
  m_raw.resize(blockSize);
  std::size_t got = 0;
  try {
    got = m_file.readAt(m_nextBlock, m_raw.data(), blockSize);
  } catch (const store::IoError&) {
    m_problem = FileProblem::changedWhileRead;
    return false;
  }
  m_raw.resize(got);
  if (isFirst) m_head = decode(std::string_view(m_raw).substr(0, headBytes));
  const std::size_t cut = lastLineFeed(m_raw);
  if (cut == 0) {
    m_file.close();
    // A full block without a line feed in a file that goes on: a line too long to read. In
    // the first block the file is simply not what the import expects.
    if (!isFirst && m_nextBlock + got < m_size) {
      m_problem = FileProblem::lineTooLong;
      ++m_lineNumber;
    } else if (m_nextBlock + got != m_size) {
      m_problem = FileProblem::changedWhileRead;
    }
    return false;
  }
  m_nextBlock += cut;
  m_block = decode(std::string_view(m_raw).substr(0, cut));
  m_lineStart = 0;
  return true;
}

Text LineReader::decode(std::string_view raw) const {
  switch (m_encoding) {
    case Encoding::utf8:
      return store::utf8ToWindows1252(raw);
    case Encoding::utf16le:
    case Encoding::utf16be:
      return store::utf16ToWindows1252(raw, m_encoding == Encoding::utf16be);
    case Encoding::windows1252:
      break;
  }
  return Text(raw);
}

std::optional<std::string_view> LineReader::next(bool blankLines) {
  while (!m_ended) {
    std::size_t cr = m_block.find('\r', m_lineStart);
    if (cr == Text::npos) {
      // What follows the last CR of a block (at most an unfinished line) is dropped; the
      // next block starts after the block's last LF.
      m_ended = !readBlock();
      continue;
    }
    std::string_view line(m_block.data() + m_lineStart, cr - m_lineStart);
    m_lineStart = cr + 1;
    if (m_lineStart < m_block.size() && m_block[m_lineStart] == '\n') ++m_lineStart;
    ++m_lineNumber;
    if (blankLines || !isBlankLine(line)) return line;
  }
  return std::nullopt;
}

}  // namespace velmoran::untis
