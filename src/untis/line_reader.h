#pragma once
// LineReader: the lines of an import file (GPU002.TXT, GPU004.TXT, LEHRER.TXT, UVD.TXT) read
// block by block, so a file of any size needs one fixed buffer. A block is 64000 bytes cut
// back to its last LF; the next block starts right after that LF. A line is the text up to
// its CR; the LF after the CR is skipped. Text after the last LF of the file is never a line.
//
// Reading stops early, with a problem() to report, at a line longer than a block (the block
// holds no LF although the file goes on) and when the file changes its size while it is read:
// an import then keeps its tables as they were rather than take part of the file.
//
// The encoding is decided once for the whole file before its first line: a byte-order mark
// of UTF-8 or UTF-16 says it; otherwise a file that is valid UTF-8 throughout and holds
// multi-byte sequences (Untis's UTF-8 option) is UTF-8, and any other is Windows-1252. Lines
// come out as Windows-1252.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "store/os_file.h"
#include "store/text.h"

namespace velmoran::untis {

// Why an import file is not read, or not read to its end.
enum class FileProblem {
  none,
  cannotOpen,        // missing, or no permission
  notAFile,          // a folder, a pipe or a device
  lineTooLong,       // a line longer than a block (lineNumber() is its number)
  changedWhileRead,  // the file grew or shrank while it was read
};

class LineReader {
public:
  static constexpr std::size_t blockSize = 64000;

  enum class Start { ok, noLineFeed, noCarriageReturn };

  // The file opened for reading, its encoding decided; nothing when it cannot be opened,
  // and `why` (when given) then says why.
  static std::optional<LineReader> open(const std::filesystem::path& file,
                                        FileProblem* why = nullptr);

  // Read the first block: noLineFeed when it holds no LF, noCarriageReturn when the part up
  // to its last LF holds no CR.
  Start start();
  // The first characters of the file (before the first block was cut), as Windows-1252.
  Text head(std::size_t characters) const;

  // The next line without its CR; lines that hold nothing but blanks are passed over unless
  // `blankLines` is true. Nothing when the file is used up or reading stopped (problem()).
  // The view lives until the next call.
  std::optional<std::string_view> next(bool blankLines = false);
  // The number of the line next() gave last, counting every line of the file from 1; at a
  // line that is too long, that line's number.
  std::size_t lineNumber() const { return m_lineNumber; }
  // Why reading stopped before the end of the file; none when it did not.
  FileProblem problem() const { return m_problem; }

private:
  enum class Encoding { windows1252, utf8, utf16le, utf16be };

  LineReader(store::OsFile file, std::uint64_t size, Encoding encoding, std::uint64_t start);
  // Read the block at m_nextBlock; false (reading ended) when it holds no LF.
  bool readBlock();
  bool sizeChanged();
  Text decode(std::string_view raw) const;
  std::size_t lastLineFeed(std::string_view raw) const;

  store::OsFile m_file;
  std::uint64_t m_size;  // the file's size when it was opened
  Encoding m_encoding;
  std::uint64_t m_nextBlock;  // file offset of the next block
  std::string m_raw;          // the block as read
  Text m_block;               // the block cut after its last LF, as Windows-1252
  Text m_head;
  std::size_t m_lineStart = 0;
  std::size_t m_lineNumber = 0;
  FileProblem m_problem = FileProblem::none;
  bool m_started = false;
  bool m_ended = false;
};

}  // namespace velmoran::untis
