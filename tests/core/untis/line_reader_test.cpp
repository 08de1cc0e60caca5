#include "untis/line_reader.h"

#include <gtest/gtest.h>

#include <random>

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

TEST(LineReader, ALineLongerThanABlockEndsTheReading) {
  test::TempDir dir;
  writeBytes(dir / "long.txt",
             "one\r\ntwo\r\n" + std::string(LineReader::blockSize + 10, 'z') + "\r\nthree\r\n");
  EXPECT_EQ(readAll(dir / "long.txt"), (std::vector<Text>{"one", "two"}));
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

TEST(LineReader, HeadGivesTheFirstCharactersWithoutTheByteOrderMark) {
  test::TempDir dir;
  writeBytes(dir / "f.txt", "\xEF\xBB\xBF\xC3\xA4\xC3\xB6\xC3\xBC;x;y\r\n");
  auto reader = LineReader::open(dir / "f.txt");
  ASSERT_EQ(reader->start(), LineReader::Start::ok);
  EXPECT_EQ(reader->head(5), "äöü;x");
}

}  // namespace
}  // namespace velmoran::untis
