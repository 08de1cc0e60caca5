#include "untis/line_reader.h"

#include <algorithm>

#include "store/code_page.h"

namespace velmoran::untis {

namespace {

constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";
// Enough bytes for any five characters of UTF-8 (at most four bytes each) and then some.
constexpr std::size_t headBytes = 64;

bool hasHighBytes(std::string_view bytes) {
  return std::any_of(bytes.begin(), bytes.end(),
                     [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

bool isBlankLine(std::string_view line) { return line.find_first_not_of(' ') == line.npos; }

}  // namespace

std::optional<LineReader> LineReader::open(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  return LineReader(std::move(in));
}

LineReader::LineReader(std::ifstream in) : m_in(std::move(in)) { m_raw.reserve(blockSize); }

LineReader::Start LineReader::start() {
  if (!readBlock()) return Start::noLineFeed;
  if (m_block.find('\r') == Text::npos) return Start::noCarriageReturn;
  return Start::ok;
}

Text LineReader::head(std::size_t characters) const { return m_head.substr(0, characters); }

bool LineReader::readBlock() {
  bool isFirst = m_nextBlock == 0;
  m_raw.resize(blockSize);
  m_in.clear();
  m_in.seekg(static_cast<std::streamoff>(m_nextBlock));
  m_in.read(m_raw.data(), static_cast<std::streamsize>(blockSize));
  m_raw.resize(static_cast<std::size_t>(std::max<std::streamsize>(m_in.gcount(), 0)));
  std::size_t lastLf = m_raw.rfind('\n');
  if (lastLf == std::string::npos) {
    m_in.close();
    return false;
  }
  std::string_view whole = m_raw;
  std::string_view cut = whole.substr(0, lastLf + 1);
  m_nextBlock += cut.size();
  if (isFirst && whole.substr(0, byteOrderMark.size()) == byteOrderMark) {
    m_encoding = Encoding::utf8;
    whole.remove_prefix(byteOrderMark.size());
    cut.remove_prefix(byteOrderMark.size());
  }
  // The first block that holds anything beyond ASCII decides for the whole file.
  if (m_encoding == Encoding::undecided && hasHighBytes(cut))
    m_encoding = store::isUtf8(cut) ? Encoding::utf8 : Encoding::windows1252;
  if (isFirst) m_head = decode(whole.substr(0, headBytes));
  m_block = decode(cut);
  m_lineStart = 0;
  return true;
}

Text LineReader::decode(std::string_view raw) const {
  return m_encoding == Encoding::utf8 ? store::utf8ToWindows1252(raw) : Text(raw);
}

std::optional<std::string_view> LineReader::next() {
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
    if (!isBlankLine(line)) return line;
  }
  return std::nullopt;
}

}  // namespace velmoran::untis
