// Code page 850 in the tables, Windows-1252 in memory, UTF-8 text files turned into 1252.

#include <gtest/gtest.h>

#include <string>

#include "store/code_page.h"

namespace velmoran::store {
namespace {

std::string allBytes() {
  std::string s;
  for (int b = 0; b < 256; ++b) s += static_cast<char>(b);
  return s;
}

TEST(CodePage, GermanLettersMapToTheirDosCodes) {
  // ä ö ü Ä Ö Ü ß é
  EXPECT_EQ(toCp850("\xE4\xF6\xFC\xC4\xD6\xDC\xDF\xE9"), "\x84\x94\x81\x8E\x99\x9A\xE1\x82");
  EXPECT_EQ(fromCp850("\x84\x94\x81\x8E\x99\x9A\xE1\x82"), "\xE4\xF6\xFC\xC4\xD6\xDC\xDF\xE9");
  EXPECT_EQ(toCp850("Stra\xDF"
                    "e 12"),
            "Stra\xE1"
            "e 12");
}

TEST(CodePage, CharactersTheOtherSetLacksBecomeQuestionMarks) {
  EXPECT_EQ(toCp850("\x80"), "?");              // euro sign: not in 850
  EXPECT_EQ(toCp850("\x93\x94"), "??");         // curly quotes
  EXPECT_EQ(fromCp850("\xB0\xC9\xD5"), "???");  // shade, box corner, dotless i: not in 1252
}

TEST(CodePage, SignsBothSetsHaveAtOtherPlaces) {
  EXPECT_EQ(toCp850("\x83\xA0\xB5\xA7\xA3"), "\x9F\xFF\xE6\xF5\x9C");  // ƒ, nbsp, µ, §, £
}

TEST(CodePage, AsciiAndControlCharactersStayAsTheyAre) {
  std::string ascii = allBytes().substr(0, 128);
  EXPECT_EQ(toCp850(ascii), ascii);
  EXPECT_EQ(fromCp850(ascii), ascii);
}

TEST(CodePage, EveryConvertibleCharacterComesBackUnchanged) {
  std::string all = allBytes();
  std::string oem = toCp850(all);
  std::string back = fromCp850(oem);
  int convertible = 0;
  for (int b = 0; b < 256; ++b) {
    if (oem[static_cast<std::size_t>(b)] == '?' && b != '?') continue;
    ++convertible;
    EXPECT_EQ(back[static_cast<std::size_t>(b)], static_cast<char>(b)) << "byte " << b;
  }
  // Two different 1252 characters never share an 850 code.
  std::string fromOem = fromCp850(all);
  for (int c = 0; c < 256; ++c) {
    char ansi = fromOem[static_cast<std::size_t>(c)];
    if (ansi == '?' && c != '?') continue;
    EXPECT_EQ(toCp850(std::string(1, ansi)), std::string(1, static_cast<char>(c))) << "code " << c;
  }
  // Python's cp1252 and cp850 codecs agree: 225 of the 256 bytes have a counterpart.
  EXPECT_EQ(convertible, 225);
}

TEST(Utf8, DecodesToWindows1252) {
  EXPECT_EQ(utf8ToWindows1252("M\xC3\xBCller \xE2\x82\xAC \xC3\x9F"), "M\xFCller \x80 \xDF");
  EXPECT_EQ(utf8ToWindows1252("\xF0\x9F\x98\x80"), "?");   // an emoji: not in 1252
  EXPECT_EQ(utf8ToWindows1252("M\xFCller"), "M\xFCller");  // not UTF-8: bytes kept
}

TEST(Utf8, EncodingAndDecodingEveryByteRoundTrips) {
  std::string all = allBytes();
  std::string utf8 = windows1252ToUtf8(all);
  EXPECT_TRUE(isUtf8(utf8));
  EXPECT_EQ(utf8ToWindows1252(utf8), all);
  EXPECT_EQ(windows1252ToUtf8("\x80"), "\xE2\x82\xAC");
}

TEST(Utf8, RecognisesUtf8Text) {
  EXPECT_TRUE(
      isUtf8("\xEF\xBB\xBF"
             "abc"));
  EXPECT_TRUE(isUtf8("M\xC3\xBCller"));
  EXPECT_FALSE(isUtf8("Mueller"));             // nothing multi-byte: plain ASCII stays as it is
  EXPECT_FALSE(isUtf8("M\xFCller"));           // Windows-1252
  EXPECT_FALSE(isUtf8("\xC0\xAF"));            // overlong form
  EXPECT_FALSE(isUtf8("\xED\xA0\x80"));        // surrogate
  EXPECT_FALSE(isUtf8("M\xC3\xBCller \xFC"));  // valid start, 1252 later
}

TEST(Utf8, TextFilesAreDecodedOnlyWhenUtf8) {
  EXPECT_EQ(decodeTextFile("\xEF\xBB\xBF"
                           "K\xC3\xA4se;1\r\n"),
            "K\xE4se;1\r\n");
  EXPECT_EQ(decodeTextFile("K\xC3\xA4se"), "K\xE4se");
  EXPECT_EQ(decodeTextFile("K\xE4se"), "K\xE4se");
}

}  // namespace
}  // namespace velmoran::store
