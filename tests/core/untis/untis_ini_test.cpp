#include "untis/untis_ini.h"

#include <gtest/gtest.h>

#include <random>

#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace velmoran::untis {
namespace {

using test::readBytes;
using test::writeBytes;

// A workspace without tables: the Untis settings need only the data directory.
struct IniFixture {
  test::TempDir dir;
  app::Workspace ws{test::programDir(), dir.path()};
  test::ScriptedUi ui;
  std::filesystem::path ini() const { return dir / "Untis.ini"; }
};

// Random texts of every byte value except NUL, LF and CR.
Text randomText(std::mt19937& rnd, std::size_t length) {
  std::uniform_int_distribution<int> byte(1, 255);
  Text t;
  while (t.size() < length) {
    int b = byte(rnd);
    if (b != '\n' && b != '\r') t += static_cast<char>(b);
  }
  return t;
}

std::vector<std::string> splitCrLf(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(bytes.substr(start, end - start));
  EXPECT_EQ(start, bytes.size()) << "text after the last CR LF";
  return lines;
}

TEST(Scramble, IsItsOwnInverseKeepsLengthAndNeverMakesNulCrOrLf) {
  std::mt19937 rnd(20210801);
  std::uniform_int_distribution<std::size_t> length(0, 120);
  for (int i = 0; i < 5000; ++i) {
    Text plain = randomText(rnd, i < 2500 ? untisSecretLength : length(rnd));
    Text scrambled = scramble(plain);
    ASSERT_EQ(scrambled.size(), plain.size());
    ASSERT_EQ(scrambled.find_first_of(std::string("\0\r\n", 3)), Text::npos);
    ASSERT_EQ(scramble(scrambled), plain);
  }
}

TEST(Scramble, HidesTheTextIncludingItsPadding) {
  Text padded = padRight("sekretariat", untisSecretLength);
  Text scrambled = scramble(padded);
  EXPECT_EQ(scrambled.find("sekretariat"), Text::npos);
  // The padding blanks do not stay recognisable as a run of blanks.
  EXPECT_EQ(scrambled.find("    "), Text::npos);
  std::size_t changed = 0;
  for (std::size_t i = 0; i < padded.size(); ++i) changed += padded[i] != scrambled[i];
  EXPECT_GT(changed, 45u);
}

TEST(UntisIni, EveryFiftyCharacterUserAndPasswordSurvivesTheFile) {
  IniFixture f;
  std::mt19937 rnd(4711);
  for (int i = 0; i < 150; ++i) {
    UntisEdits edits{"C:\\Untis\\Untis.exe",
                     "DB~04B02~2021-2022~1",
                     randomText(rnd, 50),
                     randomText(rnd, 50),
                     "",
                     ""};
    ASSERT_TRUE(untisDialogSave(f.ws, f.ui, edits));
    f.ws.AUNTIS_ARRAY.clear();
    ASSERT_TRUE(getFromUntisIni(f.ws));
    ASSERT_EQ(f.ws.AUNTIS_ARRAY.size(), 6u);
    ASSERT_EQ(f.ws.AUNTIS_ARRAY[dbUser], edits[dbUser]);
    ASSERT_EQ(f.ws.AUNTIS_ARRAY[dbPassword], edits[dbPassword]);
  }
  EXPECT_TRUE(f.ui.messages.empty());
}

TEST(UntisIni, SixLinesPlainOnesTrimmedSecretsFiftyCharactersScrambled) {
  IniFixture f;
  UntisEdits edits{
      "  C:\\Untis\\Untis.exe ", " DB~1 ", " sekretariat", "geh eim ", " D:\\Untis 2022\\Untis.exe",
      "D:\\Plan\\Schule.untis  "};
  ASSERT_TRUE(untisDialogSave(f.ws, f.ui, edits));
  auto lines = splitCrLf(readBytes(f.ini()));
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[0], "C:\\Untis\\Untis.exe");
  EXPECT_EQ(lines[1], "DB~1");
  EXPECT_EQ(lines[4], "D:\\Untis 2022\\Untis.exe");
  EXPECT_EQ(lines[5], "D:\\Plan\\Schule.untis");
  EXPECT_EQ(lines[2].size(), 50u);
  EXPECT_EQ(lines[3].size(), 50u);
  EXPECT_EQ(lines[2].find("sekretariat"), std::string::npos);

  ASSERT_TRUE(getFromUntisIni(f.ws));
  // Read back as stored: padded to 50, the leading blank of the user kept.
  EXPECT_EQ(f.ws.AUNTIS_ARRAY[dbUser], padRight(" sekretariat", 50));
  EXPECT_EQ(f.ws.AUNTIS_ARRAY[dbPassword], padRight("geh eim ", 50));
}

TEST(UntisIni, UserAndPasswordLongerThanFiftyAreCut) {
  IniFixture f;
  Text user = std::string(48, 'u') + "UVWXYZ";
  Text password = "p" + std::string(60, 'q');
  ASSERT_TRUE(untisDialogSave(f.ws, f.ui, {"a.exe", "DB", user, password, "", ""}));
  auto lines = splitCrLf(readBytes(f.ini()));
  EXPECT_EQ(lines[2].size(), 50u);
  EXPECT_EQ(lines[3].size(), 50u);
  ASSERT_TRUE(getFromUntisIni(f.ws));
  EXPECT_EQ(f.ws.AUNTIS_ARRAY[dbUser], std::string(48, 'u') + "UV");
  EXPECT_EQ(f.ws.AUNTIS_ARRAY[dbPassword], "p" + std::string(49, 'q'));
}

TEST(UntisIni, FourLinesGiveFourEntriesAndAnUnendedLastLineIsLost) {
  IniFixture f;
  writeBytes(f.ini(), "C:\\Untis.exe\r\nDB~1\r\n" + scramble(padRight("user", 50)) + "\r\n" +
                          scramble(padRight("pw", 50)) + "\r\nD:\\Untis.exe");
  ASSERT_TRUE(getFromUntisIni(f.ws));
  ASSERT_EQ(f.ws.AUNTIS_ARRAY.size(), 4u);
  EXPECT_EQ(f.ws.AUNTIS_ARRAY[dbProgram], "C:\\Untis.exe");
  EXPECT_EQ(f.ws.AUNTIS_ARRAY[dbName], "DB~1");
  EXPECT_EQ(trim(f.ws.AUNTIS_ARRAY[dbUser]), "user");
  EXPECT_EQ(trim(f.ws.AUNTIS_ARRAY[dbPassword]), "pw");
}

TEST(UntisIni, MissingFileReadsNothingAndKeepsTheList) {
  IniFixture f;
  f.ws.AUNTIS_ARRAY = {"x.exe", "DB"};
  EXPECT_FALSE(getFromUntisIni(f.ws));
  EXPECT_EQ(f.ws.AUNTIS_ARRAY, (std::vector<Text>{"x.exe", "DB"}));
}

TEST(UntisIni, FoundWhateverTheCaseOfItsName) {
  IniFixture f;
  writeBytes(f.dir / "UNTIS.INI", "C:\\Untis.exe\r\n");
  ASSERT_TRUE(getFromUntisIni(f.ws));
  EXPECT_EQ(f.ws.AUNTIS_ARRAY, (std::vector<Text>{"C:\\Untis.exe"}));
}

TEST(UntisDialog, InitOnNoFileGivesSixEmptyEntries) {
  IniFixture f;
  UntisEdits edits = untisDialogInit(f.ws);
  EXPECT_EQ(f.ws.AUNTIS_ARRAY, std::vector<Text>(6));
  for (const auto& e : edits) EXPECT_EQ(e, "");
}

TEST(UntisDialog, InitRereadsTheFileTrimsAllButThePassword) {
  IniFixture f;
  ASSERT_TRUE(untisDialogSave(f.ws, f.ui, {"a.exe", "DB", " user", " pw", "b.exe", "c.gpn"}));
  f.ws.AUNTIS_ARRAY = {"changed.exe", "other"};
  UntisEdits edits = untisDialogInit(f.ws);
  EXPECT_EQ(f.ws.AUNTIS_ARRAY[dbProgram], "a.exe");
  EXPECT_EQ(edits[dbUser], "user");
  EXPECT_EQ(edits[dbPassword], padRight(" pw", 50));
  EXPECT_EQ(edits[untisFile], "c.gpn");
}

TEST(UntisDialog, InitOnAShortFileLeavesTheMissingEditsEmpty) {
  IniFixture f;
  writeBytes(f.ini(), "a.exe\r\nDB\r\n");
  UntisEdits edits = untisDialogInit(f.ws);
  EXPECT_EQ(f.ws.AUNTIS_ARRAY.size(), 2u);
  EXPECT_EQ(edits, (UntisEdits{"a.exe", "DB", "", "", "", ""}));
}

TEST(UntisDialog, SaveLeavesTheListCloseSetsItWithoutWritingTheFile) {
  IniFixture f;
  f.ws.AUNTIS_ARRAY = {"old.exe"};
  ASSERT_TRUE(untisDialogSave(f.ws, f.ui, {"new.exe", "DB", "", "", "", ""}));
  EXPECT_EQ(f.ws.AUNTIS_ARRAY, (std::vector<Text>{"old.exe"}));
  std::string saved = readBytes(f.ini());

  untisDialogClose(f.ws, {" other.exe ", "DB2", " u ", " p ", "", " f.gpn"});
  EXPECT_EQ(f.ws.AUNTIS_ARRAY, (std::vector<Text>{"other.exe", "DB2", "u", "p", "", "f.gpn"}));
  EXPECT_EQ(readBytes(f.ini()), saved);
}

TEST(UntisDialog, SaveThatCannotCreateTheFileShowsTheErrorAndWritesNothing) {
  IniFixture f;
  std::filesystem::create_directory(f.ini());
  EXPECT_FALSE(untisDialogSave(f.ws, f.ui, {"a.exe", "DB", "", "", "", ""}));
  const auto& m = f.ui.onlyMessage();
  EXPECT_EQ(m.kind, "error");
  EXPECT_EQ(m.caption, "Velmoran 2021 / Untis - Einstellungen");
  EXPECT_EQ(m.text, "Die Untis.ini lässt sich leider nicht erstellen !");
  EXPECT_TRUE(std::filesystem::is_directory(f.ini()));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(f.dir.path()), {}), 1);
}

TEST(UntisDialog, PickersAskForTheirFileAndFillTheirEdit) {
  IniFixture f;
  UntisEdits edits{"a.exe", "DB", "", "", "b.exe", "c.gpn"};
  f.ui.files = {std::filesystem::path(" /opt/untis/Untis.exe "), std::nullopt,
                std::filesystem::path("/plan/Schule.untis")};
  EXPECT_TRUE(pickUntisFile(f.ws, f.ui, UntisPicker::dbProgram, edits));
  EXPECT_FALSE(pickUntisFile(f.ws, f.ui, UntisPicker::fileProgram, edits));
  EXPECT_TRUE(pickUntisFile(f.ws, f.ui, UntisPicker::untisFile, edits));
  EXPECT_EQ(edits,
            (UntisEdits{"/opt/untis/Untis.exe", "DB", "", "", "b.exe", "/plan/Schule.untis"}));

  ASSERT_EQ(f.ui.fileRequests.size(), 3u);
  const auto& exe = f.ui.fileRequests[0];
  EXPECT_EQ(exe.caption, "Untis.exe finden");
  EXPECT_EQ(exe.proposedName, "Untis.exe");
  EXPECT_EQ(exe.directory, f.dir.path());
  ASSERT_EQ(exe.filters.size(), 1u);
  EXPECT_EQ(exe.filters[0].pattern, "*.exe");
  EXPECT_EQ(exe.filters[0].description, "Untis Datei");
  const auto& gpn = f.ui.fileRequests[2];
  EXPECT_EQ(gpn.caption, "Untis/GPN - Datei finden");
  EXPECT_EQ(gpn.proposedName, "");
  ASSERT_EQ(gpn.filters.size(), 3u);
  EXPECT_EQ(gpn.filters[1].pattern, "*.Untis");
  EXPECT_EQ(gpn.filters[1].description, "Untis ab Version 2022");
  EXPECT_EQ(gpn.filters[2].description, "Untis vor Version 2022");
  EXPECT_EQ(gpn.selectedFilter, 1);
}

}  // namespace
}  // namespace velmoran::untis
