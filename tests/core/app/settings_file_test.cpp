#include "app/settings_file.h"

#include <gtest/gtest.h>

#include <utility>

#include "support/temp_dir.h"

namespace velmoran::app {
namespace {

using test::readBytes;
using test::TempDir;
using test::writeBytes;

const std::string tenLines =
    "01.08.2021\r\n"
    "  Städtisches Gymnasium  \r\n"
    "Am Park 1                       \r\n"
    "res4\r\n"
    "  res5  \r\n"
    "GY=Gymnasium                    \r\n"
    "06.12.2026 um  18:28:28         \r\n"
    "J\r\n"
    "62,25                           \r\n"
    "123456                          \r\n";

TEST(SettingsFile, ReadsEachLineAsItsEntryKeepsPadding) {
  TempDir dir;
  writeBytes(dir / "velmoran.ini", tenLines);
  auto s = readSettings(dir / "velmoran.ini");
  ASSERT_TRUE(s.ok());
  EXPECT_EQ(s->reserved1.format(), "01.08.2021");
  EXPECT_EQ(s->schoolName1, "Städtisches Gymnasium");
  EXPECT_EQ(s->schoolForm, "GY=Gymnasium                    ");
  EXPECT_EQ(s->sf(), "GY");
  EXPECT_EQ(s->reserved5, "  res5  ");
  EXPECT_TRUE(s->minuteModelOn());
  EXPECT_DOUBLE_EQ(s->minutesPerLesson(), 62.25);
}

TEST(SettingsFile, ReadThenWriteReproducesTheFileByteForByte) {
  TempDir dir;
  writeBytes(dir / "velmoran.ini", tenLines);
  auto s = readSettings(dir / "velmoran.ini");
  ASSERT_TRUE(s.ok());
  std::string expected = tenLines;
  // Line 2 is written trimmed; everything else comes back as it was.
  expected.replace(expected.find("  Städtisches Gymnasium  "), 25, "Städtisches Gymnasium");
  ASSERT_TRUE(writeSettings(dir / "velmoran.ini", *s).ok());
  EXPECT_EQ(readBytes(dir / "velmoran.ini"), expected);
}

TEST(SettingsFile, LongValuesAreCutTo32AndShortOnesPadded) {
  Settings s;
  s.schoolForm = "V =nicht umorganisierte Volksschule";
  s.schoolNumber = "123456";
  std::string text = formatSettings(s);
  EXPECT_NE(text.find("\r\nV =nicht umorganisierte Volkssch\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\n123456                          \r\n"), std::string::npos);
  EXPECT_EQ(text.substr(0, 12), "  .  .    \r\n");  // the empty date
}

TEST(SettingsFile, MissingLinesKeepDefaultsAndALastLineWithoutEndIsIgnored) {
  TempDir dir;
  writeBytes(dir / "velmoran.ini",
             "01.01.2020\r\nSchule\r\n\r\n\r\n\r\nH =Hauptschule\r\n\r\nJ\r\n62,5");
  auto s = readSettings(dir / "velmoran.ini");
  ASSERT_TRUE(s.ok());
  EXPECT_EQ(s->minutes, "45,00");
  EXPECT_EQ(s->sf(), "H");
  EXPECT_EQ(s->schoolNumber, "");
}

TEST(SettingsFile, MinutesWithDecimalComma) {
  Settings s;
  s.minutes = "45,00                           ";
  EXPECT_DOUBLE_EQ(s.minutesPerLesson(), 45.0);
  s.minutes = "62,5";
  EXPECT_DOUBLE_EQ(s.minutesPerLesson(), 62.5);
}

// Every command reads line 9 through minutesValue: the transfer falls back to 45, the teacher
// commands take "no number" as "no minutes".
TEST(SettingsFile, MinutesValueIsTheNumberAtTheStartOfLineNine) {
  Settings s;
  for (auto [text, value] : {std::pair{"62,25", 62.25},
                             {" 62.25 ", 62.25},
                             {"0", 0.0},
                             {"50 Minuten", 50.0},
                             {"-5", -5.0}}) {
    s.minutes = text;
    ASSERT_TRUE(s.minutesValue().has_value()) << text;
    EXPECT_DOUBLE_EQ(*s.minutesValue(), value) << text;
    EXPECT_DOUBLE_EQ(s.minutesPerLesson(), value) << text;
  }
  for (const char* text : {"", "   ", "Minuten", "+45", "x5"}) {
    s.minutes = text;
    EXPECT_FALSE(s.minutesValue().has_value()) << text;
    EXPECT_DOUBLE_EQ(s.minutesPerLesson(), 45.0) << text;
  }
}

TEST(SettingsFile, MinuteModelIsOnForJAlone) {
  Settings s;
  for (auto [text, on] : {std::pair{"J", true},
                          {" J  ", true},
                          {"", false},
                          {"Ja", false},
                          {"j", false},
                          {"N", false}}) {
    s.minuteModel = text;
    EXPECT_EQ(s.minuteModelOn(), on) << text;
  }
}

TEST(SettingsFile, MissingFileFails) {
  TempDir dir;
  EXPECT_FALSE(readSettings(dir / "velmoran.ini").ok());
}

TEST(SettingsFile, WriteLeavesNoTemporaryFileBehind) {
  TempDir dir;
  ASSERT_TRUE(writeSettings(dir / "velmoran.ini", Settings{}).ok());
  int files = 0;
  for (auto& e : std::filesystem::directory_iterator(dir.path())) {
    (void)e;
    ++files;
  }
  EXPECT_EQ(files, 1);
}

}  // namespace
}  // namespace velmoran::app
