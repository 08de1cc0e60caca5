#pragma once
// LineReader: the lines of an import file (GPU002.TXT, GPU004.TXT, UVD.TXT) read block by
// block, so a file of any size needs one fixed buffer. A block is 64000 bytes cut back to its
// last LF; the next block starts right after that LF. A line is the text up to its CR; the
// LF after the CR is skipped. Text after the last LF of the file is never a line, and a later
// block without any LF (end of file, or a line longer than a block) ends the reading.
//
// Files that Untis wrote with its UTF-8 option (a byte-order mark, or multi-byte sequences
// that are valid UTF-8) are turned into Windows-1252 block by block; a block boundary lies on
// an LF, so it never splits a multi-byte sequence. A Windows-1252 file is read unchanged.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>

#include "store/text.h"

namespace velmoran::untis {

class LineReader {
public:
  static constexpr std::size_t blockSize = 64000;

  enum class Start { ok, noLineFeed, noCarriageReturn };

  // Nothing when the file cannot be opened for reading.
  static std::optional<LineReader> open(const std::filesystem::path& file);

  // Read the first block: noLineFeed when it holds no LF, noCarriageReturn when the part up
  // to its last LF holds no CR.
  Start start();
  // The first characters of the file (before the first block was cut), as Windows-1252.
  Text head(std::size_t characters) const;

  // The next line that holds more than blanks, without its CR; nothing when the file is
  // used up. The view lives until the next call.
  std::optional<std::string_view> next();

private:
  enum class Encoding { undecided, utf8, windows1252 };

  explicit LineReader(std::ifstream in);
  // Read the block at m_nextBlock; false (and the file closed) when it holds no LF.
  bool readBlock();
  Text decode(std::string_view raw) const;

  std::ifstream m_in;
  std::uint64_t m_nextBlock = 0;  // file offset of the next block
  std::string m_raw;              // the block as read
  Text m_block;                   // the block cut after its last LF, as Windows-1252
  Text m_head;
  std::size_t m_lineStart = 0;
  Encoding m_encoding = Encoding::undecided;
  bool m_ended = false;
};

}  // namespace velmoran::untis
