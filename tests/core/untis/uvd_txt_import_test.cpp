#include "untis/uvd_txt_import.h"

#include <gtest/gtest.h>

#include "store/code_page.h"
#include "support/test_workspace.h"
#include "untis/line_reader.h"

namespace velmoran::untis {
namespace {

using app::Page;
namespace fs = std::filesystem;

const Text caption = "Velmoran 2021 / UVD.TXT einlesen";
const std::string header =
    "\"Klasse\";\"TKM\";\"Jahrg\";\"Kursart\";\"WoStd\";\"Fach\";\"Lehrer\";\"SchGes\";"
    "\"SchWeibl\";\"USprache\";\"Fremde\";\"Bildungsgang\";\"Produktname\";\"Produktversion\"\r\n";
const std::string tail = ";\"\";\"Velmoran\";\"2021\"\r\n";

void importText(test::TestWorkspace& t, const std::string& bytes, const char* name = "UVD.TXT") {
  fs::path file = t.dir() / name;
  test::writeBytes(file, bytes);
  t.ui().files.push_back(file);
  getFromUvd(t.ws(), t.ui());
}

// The live records of UVD, each as its eleven fields (texts without trailing blanks, numbers
// as whole numbers or with two decimals).
std::vector<std::vector<Text>> rows(store::Table& uvd) {
  std::vector<std::vector<Text>> out;
  for (uvd.goTop(); !uvd.eof(); uvd.skip()) {
    std::vector<Text> row;
    for (int f = 1; f <= 11; ++f) {
      if (f == 5 || f == 8 || f == 9) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%g", uvd.getNumber(f));
        row.emplace_back(buf);
      } else {
        row.push_back(trimRight(uvd.getText(f)));
      }
    }
    out.push_back(row);
  }
  uvd.goTop();
  return out;
}

TEST(UvdTxtImport, ReadsTheFirstElevenColumnsOfAWrittenFile) {
  test::TestWorkspace t;
  importText(t, header + "\"5a\";\"\";\"05\";\"PF\";3;\"D\";\"MÜL\";28;15;\"\";\"\"" + tail +
                    "\"Q1\";\"A\";\"Q1\";\"LK\";5;\"E\";\"SCH\";17;9;\"E\";\"F\"" + tail);
  EXPECT_EQ(rows(t.table(Page::Uvd)),
            (std::vector<std::vector<Text>>{
                {"5a", "", "05", "PF", "3", "D", "MÜL", "28", "15", "", ""},
                {"Q1", "A", "Q1", "LK", "5", "E", "SCH", "17", "9", "E", "F"}}));
}

TEST(UvdTxtImport, RepeatedHeadersAreSkippedAndExtraColumnsIgnored) {
  test::TestWorkspace t;
  importText(
      t, header + "\"5a\";\"\";\"05\";\"PF\";2.5;\"D\";\"A\";1;0;\"\";\"\";\"BG\";\"X\";\"9\"\r\n" +
             header + "\"6b\";\"\";\"06\";\"PF\";4;\"M\";\"B\";2;1;\"\";\"\"" + tail);
  EXPECT_EQ(
      rows(t.table(Page::Uvd)),
      (std::vector<std::vector<Text>>{{"5a", "", "05", "PF", "2.5", "D", "A", "1", "0", "", ""},
                                      {"6b", "", "06", "PF", "4", "M", "B", "2", "1", "", ""}}));
}

TEST(UvdTxtImport, ShortLinesUnquotedTextsAndEmptyLines) {
  test::TestWorkspace t;
  importText(t, header + "7c;;07;PF;2,5\r\n\r\n \"8d\" ; ; 08 \r\nlast line without end");
  EXPECT_EQ(rows(t.table(Page::Uvd)),
            (std::vector<std::vector<Text>>{{"7c", "", "07", "PF", "2", "", "", "0", "0", "", ""},
                                            {"8d", "", "08", "", "0", "", "", "0", "0", "", ""}}));
}

TEST(UvdTxtImport, OnlyAHeaderEmptiesUvd) {
  test::TestWorkspace t;
  importText(t, header + "\"5a\";\"\";\"05\";\"PF\";3;\"D\";\"A\";1;0;\"\";\"\"" + tail);
  t.ui().messages.clear();
  importText(t, header);
  EXPECT_TRUE(rows(t.table(Page::Uvd)).empty());
  EXPECT_EQ(t.table(Page::Uvd).lastRec(), 1u);
  EXPECT_EQ(t.ui().onlyMessage().text, "Das Einlesen der Datei ist abgeschlossen !");
}

// Only the first line is the header: a class that the writer cut to "KLASSE" is a record.
TEST(UvdTxtImport, OnlyTheFirstLineIsTheHeader) {
  test::TestWorkspace t;
  importText(t, header + "\"KLASSE\";\"\";\"05\";\"PF\";3;\"D\";\"A\";1;0;\"\";\"\"" + tail +
                    "\"Klasse\";\"\";\"06\";\"PF\";2;\"M\";\"B\";1;0;\"\";\"\"" + tail);
  EXPECT_EQ(rows(t.table(Page::Uvd)),
            (std::vector<std::vector<Text>>{
                {"KLASSE", "", "05", "PF", "3", "D", "A", "1", "0", "", ""},
                {"Klasse", "", "06", "PF", "2", "M", "B", "1", "0", "", ""}}));
}

TEST(UvdTxtImport, AUtf16FileGivesTheRecordsOfItsWindows1252Twin) {
  const std::string ansi =
      header + "\"5a\";\"\";\"05\";\"PF\";3;\"D\";\"MUE\";28;15;\"\";\"\"" + tail;
  std::string le = "\xFF\xFE";
  for (char c : ansi) le += std::string{c, '\0'};  // the text is ASCII
  test::TestWorkspace t;
  importText(t, le);
  EXPECT_EQ(rows(t.table(Page::Uvd)),
            (std::vector<std::vector<Text>>{
                {"5a", "", "05", "PF", "3", "D", "MUE", "28", "15", "", ""}}));
}

// What could not be taken as it stands is listed after the import, by line and column: the
// number too large for its field is left out, the NUL byte removed, an exponent not read.
TEST(UvdTxtImport, ContentProblemsAreNotedWithLineAndColumn) {
  test::TestWorkspace t;
  importText(t, header + "\"5a\";\"\";\"05\";\"PF\";12345678901;\"D\";\"M" + std::string(1, '\0') +
                    "E\";28;15;\"\";\"\"" + tail +
                    "\r\n\"6a\";\"\";\"06\";\"PF\";1e308;\"D\";\"A\";1;0;\"\";\"\"" + tail);
  ASSERT_EQ(t.ui().messages.size(), 2u);
  EXPECT_EQ(t.ui().messages[0].text, "Das Einlesen der Datei ist abgeschlossen !");
  EXPECT_EQ(t.ui().messages[1].kind, "warning");
  EXPECT_EQ(t.ui().messages[1].text,
            "Beim Einlesen ist aufgefallen:\r\n"
            "Zeile 2, Spalte 5: die Zahl 12345678901 ist zu groß für das Feld WSTD und wurde "
            "nicht übernommen\r\n"
            "Zeile 2, Spalte 7: NUL-Zeichen entfernt\r\n"
            "Zeile 4, Spalte 5: \"1e308\" wurde als 1 gelesen");
  EXPECT_EQ(
      rows(t.table(Page::Uvd)),
      (std::vector<std::vector<Text>>{{"5a", "", "05", "PF", "0", "D", "ME", "28", "15", "", ""},
                                      {"6a", "", "06", "PF", "1", "D", "A", "1", "0", "", ""}}));
}

TEST(UvdTxtImport, ReadsAUtf8FileAndFilesOfManyBlocks) {
  test::TestWorkspace t;
  std::string bytes = header;
  const int lines = 5000;
  for (int i = 0; i < lines; ++i)
    bytes += "\"K" + std::to_string(i) + "\";\"\";\"05\";\"PF\";1;\"D\";\"Jö\";" +
             std::to_string(i % 30) + ";0;\"\";\"\"" + tail;
  ASSERT_GT(bytes.size(), 4 * LineReader::blockSize);
  importText(t, store::windows1252ToUtf8(bytes));
  auto all = rows(t.table(Page::Uvd));
  ASSERT_EQ(all.size(), static_cast<std::size_t>(lines));
  for (int i = 0; i < lines; ++i) {
    ASSERT_EQ(all[static_cast<std::size_t>(i)][0], "K" + std::to_string(i));
    ASSERT_EQ(all[static_cast<std::size_t>(i)][6], "Jö");
    ASSERT_EQ(all[static_cast<std::size_t>(i)][7], std::to_string(i % 30));
  }
}

TEST(UvdTxtImport, SuccessBringsPageTwoAndSaysSo) {
  test::TestWorkspace t;
  importText(t, header + "\"5a\";\"\";\"05\";\"PF\";3;\"D\";\"A\";1;0;\"\";\"\"" + tail);
  const auto& m = t.ui().onlyMessage();
  EXPECT_EQ(m.kind, "info");
  EXPECT_EQ(m.caption, caption);
  EXPECT_EQ(m.text, "Das Einlesen der Datei ist abgeschlossen !");
  EXPECT_EQ(t.ui().pagesShown, std::vector<int>{2});
  ASSERT_EQ(t.ui().fileRequests.size(), 1u);
  const auto& r = t.ui().fileRequests[0];
  EXPECT_EQ(r.caption, caption);
  EXPECT_EQ(r.proposedName, "UVD.TXT");
  EXPECT_EQ(r.directory, t.ws().dataDir());
  ASSERT_EQ(r.filters.size(), 1u);
  EXPECT_EQ(r.filters[0].pattern, "*.TXT");
  EXPECT_EQ(r.filters[0].description, "Text - Dateien");
}

TEST(UvdTxtImport, RejectionsAndCancelLeaveUvdByteIdentical) {
  struct Case {
    const char* name;
    std::optional<std::string> bytes;  // nothing: the dialog is cancelled
    Text text;
  };
  const Case cases[] = {
      {"cancel", std::nullopt, ""},
      {"no line feed", std::string("\"Klasse\";\"TKM\"\r"), "Keine gültige UVD.TXT"},
      {"no carriage return", std::string("\"Klasse\";\"TKM\"\n\"5a\";\"\"\n"),
       "Keine gültige UVD.TXT"},
      {"header without semicolon", std::string("\"Klasse\",\"TKM\"\r\n\"5a\";\"\"\r\n"),
       "Keine gültige UVD.TXT"},
  };
  for (const auto& c : cases) {
    test::TestWorkspace t;
    importText(t, header + "\"5a\";\"\";\"05\";\"PF\";3;\"D\";\"A\";1;0;\"\";\"\"" + tail);
    t.ui().messages.clear();
    fs::path dbf = t.ws().dataFile("uvd.dbf");
    std::string before = test::readBytes(dbf);
    if (c.bytes) {
      importText(t, *c.bytes, "bad.txt");
      const auto& m = t.ui().onlyMessage();
      EXPECT_EQ(m.kind, "warning") << c.name;
      EXPECT_EQ(m.caption, caption) << c.name;
      EXPECT_EQ(m.text, c.text) << c.name;
    } else {
      getFromUvd(t.ws(), t.ui());
      EXPECT_TRUE(t.ui().messages.empty());
    }
    EXPECT_EQ(test::readBytes(dbf), before) << c.name;
    EXPECT_EQ(rows(t.table(Page::Uvd)).size(), 1u) << c.name;
  }
}

TEST(UvdTxtImport, AFileThatCannotBeOpenedIsNamedInTheWarning) {
  test::TestWorkspace t;
  fs::path missing = t.dir() / "nicht da" / "UVD.TXT";
  t.ui().files.push_back(missing);
  getFromUvd(t.ws(), t.ui());
  const auto& m = t.ui().onlyMessage();
  EXPECT_EQ(m.kind, "warning");
  EXPECT_EQ(m.caption, caption);
  EXPECT_EQ(m.text, missing.string() + "\r\nkann nicht geöffnet werden !");
}

}  // namespace
}  // namespace velmoran::untis
