#include "untis/line_reader.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "store/code_page.h"
#include "support/temp_dir.h"

namespace velmoran::untis {
namespace {

using test::writeBytes;

std::vector<Text> readAll(const std::filesystem::path& file) {
  auto reader = LineReader::open(file);
  EXPECT_TRUE(reader);
  if (!reader) return {};
  EXPECT_EQ(reader->start(), LineReader::Start::ok);
  std::vector<Text> lines;
  while (auto line = reader->next()) lines.emplace_back(*line);
  return lines;
}

std::string joinCrLf(const std::vector<Text>& lines) {
  std::string out;
  for (const auto& l : lines) out += l + "\r\n";
  return out;
}

// Lines of 1 to 400 characters with umlauts, until the text is longer than `bytes`.
std::vector<Text> manyLines(std::size_t bytes, unsigned seed) {
  std::mt19937 rnd(seed);
  std::uniform_int_distribution<int> length(1, 400);
  const Text letters = "abcdefghijklmnopqrstuvwxyzäöüÄÖÜß,;\"0123456789 ";
  std::vector<Text> lines;
  std::size_t total = 0;
  while (total <= bytes) {
    Text line = std::to_string(lines.size()) + ":";
    for (int n = length(rnd); n > 0; --n) line += letters[rnd() % letters.size()];
    line += "|";  // no line ends in a blank
    total += line.size() + 2;
    lines.push_back(line);
  }
  return lines;
}

TEST(LineReader, StartRejectsABlockWithoutLfOrWithoutCr) {
  test::TempDir dir;
  writeBytes(dir / "nolf.txt", "1,2,3\r1,2,3");
  writeBytes(dir / "nocr.txt", "1,2,3\n4,5,6\n");
  writeBytes(dir / "empty.txt", "");
  writeBytes(dir / "crafter.txt", "1,2,3\n4,5\r6");  // the CR lies after the last LF
  EXPECT_EQ(LineReader::open(dir / "nolf.txt")->start(), LineReader::Start::noLineFeed);
  EXPECT_EQ(LineReader::open(dir / "empty.txt")->start(), LineReader::Start::noLineFeed);
  EXPECT_EQ(LineReader::open(dir / "nocr.txt")->start(), LineReader::Start::noCarriageReturn);
  EXPECT_EQ(LineReader::open(dir / "crafter.txt")->start(), LineReader::Start::noCarriageReturn);
  EXPECT_FALSE(LineReader::open(dir / "missing.txt"));
}

TEST(LineReader, LinesEndAtCrTheUnendedLastLineAndEmptyLinesAreNoLines) {
  test::TempDir dir;
  writeBytes(dir / "f.txt", "first\r\n\r\n   \r\nsecond,  \r\n\r\nthird\r\nno end");
  EXPECT_EQ(readAll(dir / "f.txt"), (std::vector<Text>{"first", "second,  ", "third"}));
  writeBytes(dir / "g.txt", "first\r\nlf only at the end\n");
  EXPECT_EQ(readAll(dir / "g.txt"), (std::vector<Text>{"first"}));
}

TEST(LineReader, ALoneCrEndsALineAndAnLfInsideALineStaysInIt) {
  test::TempDir dir;
  writeBytes(dir / "f.txt", "a\rb\r\nc\nd\r\n");
  EXPECT_EQ(readAll(dir / "f.txt"), (std::vector<Text>{"a", "b", "c\nd"}));
}

TEST(LineReader, ReadsFilesLargerThanABlockWithLinesAcrossTheBoundaries) {
  test::TempDir dir;
  auto lines = manyLines(5 * LineReader::blockSize, 7);
  writeBytes(dir / "big.txt", joinCrLf(lines));
  EXPECT_EQ(readAll(dir / "big.txt"), lines);
}

TEST(LineReader, CrLfSplitByTheBlockBoundaryKeepsTheLineWhole) {
  test::TempDir dir;
  // The second line's CR is the last byte of the first block and its LF the first byte of
  // the next, so the first block is cut after the first line.
  Text a = "a" + std::string(99, 'x');
  Text b = "b" + std::string(LineReader::blockSize - 1 - (a.size() + 2) - 1, 'y');
  std::string bytes = a + "\r\n" + b + "\r\n" + "c\r\n";
  ASSERT_EQ(bytes.find('\r', a.size() + 2), LineReader::blockSize - 1);
  writeBytes(dir / "edge.txt", bytes);
  EXPECT_EQ(readAll(dir / "edge.txt"), (std::vector<Text>{a, b, "c"}));
}

// Reads every line it can; the problem that stopped the reading early, if any, in `problem`.
std::vector<Text> readUntilStopped(LineReader& reader, FileProblem& problem) {
  std::vector<Text> lines;
  EXPECT_EQ(reader.start(), LineReader::Start::ok);
  while (auto line = reader.next()) lines.emplace_back(*line);
  problem = reader.problem();
  return lines;
}

TEST(LineReader, ALineLongerThanABlockStopsTheReadingWithItsLineNumber) {
  test::TempDir dir;
  writeBytes(dir / "long.txt",
             "one\r\n\r\ntwo\r\n" + std::string(LineReader::blockSize + 10, 'z') + "\r\nthree\r\n");
  auto reader = LineReader::open(dir / "long.txt");
  ASSERT_TRUE(reader);
  FileProblem problem{};
  EXPECT_EQ(readUntilStopped(*reader, problem), (std::vector<Text>{"one", "two"}));
  EXPECT_EQ(problem, FileProblem::lineTooLong);
  EXPECT_EQ(reader->lineNumber(), 4u);  // the empty second line counts
}

TEST(LineReader, AFileThatGrowsOrShrinksWhileReadIsNotReadToItsEnd) {
  test::TempDir dir;
  const auto lines = manyLines(3 * LineReader::blockSize, 5);
  for (const bool grow : {true, false}) {
    SCOPED_TRACE(grow ? "grows" : "shrinks");
    writeBytes(dir / "f.txt", joinCrLf(lines));
    auto reader = LineReader::open(dir / "f.txt");
    ASSERT_TRUE(reader);
    ASSERT_EQ(reader->start(), LineReader::Start::ok);
    if (grow) {
      std::ofstream(dir / "f.txt", std::ios::binary | std::ios::app) << "more\r\n";
    } else {
      std::filesystem::resize_file(dir / "f.txt", 2 * LineReader::blockSize);
    }
    std::size_t read = 0;
    while (reader->next()) ++read;
    EXPECT_LT(read, lines.size());
    EXPECT_EQ(reader->problem(), FileProblem::changedWhileRead);
  }
}

TEST(LineReader, AFolderOrAPipeIsRefusedAtOnce) {
  test::TempDir dir;
  std::filesystem::create_directory(dir / "folder.txt");
  FileProblem why{};
  EXPECT_FALSE(LineReader::open(dir / "folder.txt", &why));
  EXPECT_EQ(why, FileProblem::notAFile);
  EXPECT_FALSE(LineReader::open(dir / "missing.txt", &why));
  EXPECT_EQ(why, FileProblem::cannotOpen);
#ifndef _WIN32
  // Without a writer, opening a pipe for reading would wait for ever.
  ASSERT_EQ(::mkfifo((dir / "pipe.txt").c_str(), 0600), 0);
  EXPECT_FALSE(LineReader::open(dir / "pipe.txt", &why));
  EXPECT_EQ(why, FileProblem::notAFile);
#endif
}

TEST(LineReader, Utf8FileGivesTheSameLinesAsItsWindows1252Twin) {
  test::TempDir dir;
  auto lines = manyLines(3 * LineReader::blockSize, 11);
  std::string ansi = joinCrLf(lines);
  writeBytes(dir / "ansi.txt", ansi);
  writeBytes(dir / "utf8.txt", store::windows1252ToUtf8(ansi));
  writeBytes(dir / "bom.txt", "\xEF\xBB\xBF" + store::windows1252ToUtf8(ansi));
  EXPECT_EQ(readAll(dir / "ansi.txt"), lines);
  EXPECT_EQ(readAll(dir / "utf8.txt"), lines);
  EXPECT_EQ(readAll(dir / "bom.txt"), lines);
}

TEST(LineReader, Utf8FirstSeenInALaterBlockIsStillConverted) {
  test::TempDir dir;
  std::vector<Text> lines(2000, std::string(60, 'a'));  // plain ASCII beyond the first block
  lines.push_back("Müller,Jürgen");
  writeBytes(dir / "late.txt", store::windows1252ToUtf8(joinCrLf(lines)));
  EXPECT_EQ(readAll(dir / "late.txt").back(), "Müller,Jürgen");
}

TEST(LineReader, AWindows1252FileStaysUnchangedEvenWhereALaterBlockLooksLikeUtf8) {
  test::TempDir dir;
  std::vector<Text> lines{"Müller"};
  lines.insert(lines.end(), 2000, std::string(60, 'a'));
  lines.push_back("Ã¤");  // the bytes of UTF-8 "ä", here two Windows-1252 characters
  writeBytes(dir / "ansi.txt", joinCrLf(lines));
  EXPECT_EQ(readAll(dir / "ansi.txt"), lines);
}

// UTF-16 of a Windows-1252 text (every character of 1252 lies in the basic plane).
std::string utf16(const std::string& ansi, bool bigEndian) {
  const std::string utf8 = store::windows1252ToUtf8(ansi);
  std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (std::size_t i = 0; i < utf8.size();) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    unsigned cp = b;
    std::size_t n = 1;
    if (b >= 0xE0) {
      cp = ((b & 0x0Fu) << 12) | ((utf8[i + 1] & 0x3Fu) << 6) | (utf8[i + 2] & 0x3Fu);
      n = 3;
    } else if (b >= 0xC0) {
      cp = ((b & 0x1Fu) << 6) | (utf8[i + 1] & 0x3Fu);
      n = 2;
    }
    const char hi = static_cast<char>(cp >> 8), lo = static_cast<char>(cp & 0xFF);
    out += bigEndian ? std::string{hi, lo} : std::string{lo, hi};
    i += n;
  }
  return out;
}

TEST(LineReader, Utf16WithByteOrderMarkGivesTheLinesOfItsWindows1252Twin) {
  test::TempDir dir;
  auto lines = manyLines(2 * LineReader::blockSize, 13);
  lines.push_back(
      "Preis: 5 \x80 f\xFCr \x84Gr\xFC\xDF"
      "e\x93");  // the euro sign and quotes of 1252
  const std::string ansi = joinCrLf(lines);
  writeBytes(dir / "le.txt", utf16(ansi, false));
  writeBytes(dir / "be.txt", utf16(ansi, true));
  EXPECT_EQ(readAll(dir / "le.txt"), lines);
  EXPECT_EQ(readAll(dir / "be.txt"), lines);
  auto reader = LineReader::open(dir / "le.txt");
  ASSERT_EQ(reader->start(), LineReader::Start::ok);
  EXPECT_EQ(reader->head(4), "0:" + lines[0].substr(2, 2));
}

TEST(LineReader, TheEncodingIsDecidedOnceForTheWholeFile) {
  test::TempDir dir;
  // Valid UTF-8 in the first block, a Windows-1252 byte in a later one: the whole file is
  // Windows-1252, its first line too.
  std::vector<Text> lines{"K\xC3\x84H"};
  lines.insert(lines.end(), 2000, std::string(60, 'a'));
  lines.push_back("M\xFCller");
  writeBytes(dir / "mixed.txt", joinCrLf(lines));
  EXPECT_EQ(readAll(dir / "mixed.txt"), lines);
}

TEST(LineReader, HeadGivesTheFirstCharactersWithoutTheByteOrderMark) {
  test::TempDir dir;
  writeBytes(dir / "f.txt", "\xEF\xBB\xBF\xC3\xA4\xC3\xB6\xC3\xBC;x;y\r\n");
  auto reader = LineReader::open(dir / "f.txt");
  ASSERT_EQ(reader->start(), LineReader::Start::ok);
  EXPECT_EQ(reader->head(5), "äöü;x");
}

}  // namespace
}  // namespace velmoran::untis
