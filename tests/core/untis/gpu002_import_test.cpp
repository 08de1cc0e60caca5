#include "untis/gpu002_import.h"

#include <gtest/gtest.h>

#include <map>
#include <regex>

#include "app/settings_file.h"
#include "pages/table_commands.h"
#include "store/code_page.h"
#include "support/test_workspace.h"
#include "untis/export_launch.h"
#include "untis/line_reader.h"

namespace velmoran::untis {
namespace {

using app::Page;
namespace fs = std::filesystem;

const Text caption = "Velmoran 2021 / GPU002.TXT einlesen";

// A GPU002 line of 35 columns: the given ones filled, the others empty.
std::string gpuLine(const std::map<int, std::string>& columns, char separator = ',') {
  std::string out;
  for (int c = 1; c <= 35; ++c) {
    if (c > 1) out += separator;
    if (auto it = columns.find(c); it != columns.end()) out += it->second;
  }
  return out + "\r\n";
}

// Write the file, choose it in the file dialog and run GetFromUntis.
void importText(test::TestWorkspace& t, const std::string& bytes, const char* name = "GPU002.TXT") {
  fs::path file = t.dir() / name;
  test::writeBytes(file, bytes);
  t.ui().files.push_back(file);
  getFromUntis(t.ws(), t.ui());
}

std::vector<std::uint32_t> liveRecords(store::Table& t) {
  std::vector<std::uint32_t> recnos;
  for (t.goTop(); !t.eof(); t.skip()) recnos.push_back(t.recno());
  t.goTop();
  return recnos;
}

// The first live record, in record order.
store::Table& firstRecord(test::TestWorkspace& t) {
  store::Table& g = t.table(Page::Gpsul);
  auto live = liveRecords(g);
  EXPECT_FALSE(live.empty());
  g.goTo(live.empty() ? 0 : live.front());
  return g;
}

Text text(store::Table& t, const char* field) { return trimRight(t.getText(field)); }

TEST(Gpu002Import, StoresEachListedColumnInItsFieldAndIgnoresTheOthers) {
  test::TestWorkspace t;
  std::map<int, std::string> cols{{1, "17"},
                                  {2, "2.5"},
                                  {3, "1"},
                                  {4, "0.5"},
                                  {5, "\"5a\""},
                                  {6, "\"MÜL\""},
                                  {7, "\"D\""},
                                  {8, "\"R101\""},
                                  {9, "\"PK\""},
                                  {10, "27"},
                                  {11, "2.25"},
                                  {12, "\"G1\""},
                                  {13, "\"Zeile\""},
                                  {14, "9"},
                                  {15, "\"20210801\""},
                                  {16, "\"20220731\""},
                                  {17, "85.5"},
                                  {33, "\"LK\""},
                                  {34, "12"},
                                  {35, "15"}};
  for (int c = 18; c <= 32; ++c) cols[c] = "\"c" + std::to_string(c) + "\"";
  std::string line = gpuLine(cols);
  line.insert(line.size() - 2, ",\"36\"");  // a 36th column is not stored
  importText(t, line);

  store::Table& g = firstRecord(t);
  EXPECT_EQ(g.getNumber("UNR"), 17);
  EXPECT_EQ(g.getNumber("WSTD"), 2.5);
  EXPECT_EQ(g.getNumber("WSTD_KLA"), 1);
  EXPECT_EQ(g.getNumber("WSTD_LEH"), 0.5);
  EXPECT_EQ(text(g, "KLASSE"), "5a");
  EXPECT_EQ(text(g, "LEHRER"), "MÜL");
  EXPECT_EQ(text(g, "FACH"), "D");
  EXPECT_EQ(text(g, "FACHRAUM"), "R101");
  EXPECT_EQ(text(g, "STAT_U"), "PK");
  EXPECT_EQ(g.getNumber("SCHUELER_G"), 27);
  EXPECT_EQ(g.getNumber("WOCHENWERT"), 2.25);
  EXPECT_EQ(g.getDate("DATUM_VON").format(), "01.08.2021");
  EXPECT_EQ(g.getDate("DATUM_BIS").format(), "31.07.2022");
  EXPECT_EQ(g.getNumber("JAHRESWERT"), 85.5);
  EXPECT_EQ(text(g, "STAT_L"), "LK");
  EXPECT_EQ(g.getNumber("SCHUELER_M"), 12);
  EXPECT_EQ(g.getNumber("SCHUELER_W"), 15);
}

TEST(Gpu002Import, CommaNumbersEmptyColumnsAndShortLines) {
  test::TestWorkspace t;
  importText(
      t, gpuLine({{1, "3"}, {2, "2,5"}, {10, "abc"}, {15, "\"\""}, {33, ""}}) + "4,1,,,\"6b\"\r\n");
  store::Table& g = t.table(Page::Gpsul);
  auto live = liveRecords(g);
  ASSERT_EQ(live.size(), 2u);
  g.goTo(live[0]);
  EXPECT_EQ(g.getNumber("WSTD"), 2);
  EXPECT_EQ(g.getNumber("SCHUELER_G"), 0);
  EXPECT_TRUE(g.getDate("DATUM_VON").isEmpty());
  EXPECT_EQ(text(g, "STAT_L"), "");
  g.goTo(live[1]);  // five columns only: the rest stays blank
  EXPECT_EQ(g.getNumber("UNR"), 4);
  EXPECT_EQ(text(g, "KLASSE"), "6b");
  EXPECT_EQ(text(g, "LEHRER"), "");
  EXPECT_TRUE(g.getDate("DATUM_BIS").isEmpty());
  EXPECT_EQ(g.getNumber("SCHUELER_W"), 0);
}

TEST(Gpu002Import, QuotesAreDroppedButDoNotProtectASeparator) {
  test::TestWorkspace t;
  importText(t, gpuLine({{1, "1"}, {5, "\"5a,5b\""}, {7, "\"M\"\"U\""}}));
  store::Table& g = firstRecord(t);
  EXPECT_EQ(text(g, "KLASSE"), "5a");
  EXPECT_EQ(text(g, "LEHRER"), "5b");
  EXPECT_EQ(text(g, "FACH"), "");
  EXPECT_EQ(text(g, "FACHRAUM"), "MU");
}

TEST(Gpu002Import, FindsEachSeparatorAmongTheFirstFiveCharacters) {
  for (char sep : {',', ';', '\t', ' '}) {
    test::TestWorkspace t;
    importText(
        t,
        gpuLine({{1, "12"}, {2, "3"}, {5, "\"7c\""}, {15, "\"20210801\""}, {33, "\"GK\""}}, sep));
    store::Table& g = firstRecord(t);
    EXPECT_EQ(g.getNumber("UNR"), 12) << int(sep);
    EXPECT_EQ(g.getNumber("WSTD"), 3) << int(sep);
    EXPECT_EQ(text(g, "KLASSE"), "7c") << int(sep);
    EXPECT_EQ(g.getDate("DATUM_VON").format(), "01.08.2021") << int(sep);
    EXPECT_EQ(text(g, "STAT_L"), "GK") << int(sep);
  }
}

TEST(Gpu002Import, TheFirstLineDecidesTheSeparatorForTheWholeFile) {
  test::TestWorkspace t;
  importText(t, gpuLine({{1, "1"}, {2, "1"}}, ';') + gpuLine({{1, "2"}, {2, "3,5"}}, ';') +
                    "3,4,5;\"x\"\r\n");
  store::Table& g = t.table(Page::Gpsul);
  auto live = liveRecords(g);
  ASSERT_EQ(live.size(), 3u);
  g.goTo(live[1]);
  EXPECT_EQ(g.getNumber("WSTD"), 3);
  g.goTo(live[2]);
  EXPECT_EQ(g.getNumber("UNR"), 3);  // "3,4,5" is one column
  EXPECT_EQ(g.getNumber("WSTD"), 0);
}

TEST(Gpu002Import, TheLastLineWithoutLineEndAndEmptyLinesGiveNoRecord) {
  test::TestWorkspace t;
  importText(t, gpuLine({{1, "1"}}) + "\r\n" + gpuLine({{1, "2"}}) + "   \r\n" + "3,1,1,1");
  store::Table& g = t.table(Page::Gpsul);
  std::vector<double> unrs;
  for (auto r : liveRecords(g)) {
    g.goTo(r);
    unrs.push_back(g.getNumber("UNR"));
  }
  EXPECT_EQ(unrs, (std::vector<double>{1, 2}));
}

TEST(Gpu002Import, ImportingTwiceLeavesExactlyOneLiveSet) {
  test::TestWorkspace t;
  std::string file = gpuLine({{1, "1"}, {5, "\"5a\""}}) + gpuLine({{1, "2"}, {5, "\"5b\""}}) +
                     gpuLine({{1, "3"}, {5, "\"5c\""}});
  importText(t, file);
  importText(t, file);
  store::Table& g = t.table(Page::Gpsul);
  EXPECT_EQ(g.lastRec(), 6u);
  EXPECT_EQ(liveRecords(g), (std::vector<std::uint32_t>{4, 5, 6}));
  t.restart();  // the pack at start-up removes the first set
  EXPECT_EQ(t.table(Page::Gpsul).lastRec(), 3u);
}

TEST(Gpu002Import, AUtf8FileGivesTheSameTableAsItsWindows1252Twin) {
  std::string ansi =
      gpuLine(
          {{1, "1"}, {5, "\"5ä\""}, {6, "\"MÜLLER\""}, {7, "\"Französisch\""}, {8, "\"Raum ß\""}}) +
      gpuLine({{1, "2"}, {6, "\"Jörg\""}, {33, "\"é\""}});
  test::TestWorkspace a;
  importText(a, ansi);
  test::TestWorkspace u;
  importText(u, store::windows1252ToUtf8(ansi));
  test::TestWorkspace b;
  importText(b, "\xEF\xBB\xBF" + store::windows1252ToUtf8(ansi));
  std::string expected = pages::dumpCsv(a.table(Page::Gpsul));
  EXPECT_NE(expected.find(store::windows1252ToUtf8("MÜLLER")), std::string::npos);
  EXPECT_EQ(pages::dumpCsv(u.table(Page::Gpsul)), expected);
  EXPECT_EQ(pages::dumpCsv(b.table(Page::Gpsul)), expected);
}

TEST(Gpu002Import, AFileOfManyBlocksGivesOneRecordPerLineInFileOrder) {
  test::TestWorkspace t;
  std::string bytes;
  const int lines = 3000;
  for (int i = 1; i <= lines; ++i)
    bytes += gpuLine({{1, std::to_string(i)},
                      {5, "\"K" + std::to_string(i) + "\""},
                      {13, "\"" + std::string(static_cast<std::size_t>(i % 97), 'z') + "\""},
                      {33, "\"Ü" + std::to_string(i % 10) + "\""}});
  ASSERT_GT(bytes.size(), 4 * LineReader::blockSize);
  importText(t, store::windows1252ToUtf8(bytes));
  store::Table& g = t.table(Page::Gpsul);
  g.setOrder(0);
  int expected = 0;
  for (g.goTop(); !g.eof(); g.skip()) {
    ++expected;
    ASSERT_EQ(g.getNumber("UNR"), expected);
    ASSERT_EQ(text(g, "KLASSE"), "K" + std::to_string(expected));
    ASSERT_EQ(text(g, "STAT_L"), "Ü" + std::to_string(expected % 10));
  }
  EXPECT_EQ(expected, lines);
}

TEST(Gpu002Import, SuccessBringsPageOneStampsTheSettingsAndSaysSo) {
  test::TestWorkspace t;
  store::Table& g = t.table(Page::Gpsul);
  int order = g.order();
  importText(t, gpuLine({{1, "2"}}) + gpuLine({{1, "1"}}));
  EXPECT_EQ(g.recno(), 2u);  // the first record in the page's order (UNR)
  const auto& m = t.ui().onlyMessage();
  EXPECT_EQ(m.kind, "info");
  EXPECT_EQ(m.caption, caption);
  EXPECT_EQ(m.text, "Das Einlesen der Datei ist abgeschlossen !");
  EXPECT_EQ(t.ui().pagesShown, std::vector<int>{1});
  EXPECT_EQ(g.order(), order);
  EXPECT_FALSE(g.deletedVisible());

  const Text& stamp = t.ws().settings.lastImport;
  EXPECT_TRUE(std::regex_match(stamp, std::regex(R"(\d\d\.\d\d\.\d{4} um  \d\d:\d\d:\d\d)")))
      << stamp;
  auto saved = app::readSettings(t.ws().dataFile("velmoran.ini"));
  ASSERT_TRUE(saved.ok());
  EXPECT_EQ(trimRight(saved->lastImport), stamp);
}

TEST(Gpu002Import, CancelledFileDialogChangesNothing) {
  test::TestWorkspace t;
  importText(t, gpuLine({{1, "1"}}));
  t.ui().messages.clear();
  fs::path dbf = t.ws().dataFile("gpsul.dbf");
  std::string before = test::readBytes(dbf);
  Text stamp = t.ws().settings.lastImport;
  getFromUntis(t.ws(), t.ui());  // no file queued: the person cancels
  EXPECT_TRUE(t.ui().messages.empty());
  EXPECT_EQ(test::readBytes(dbf), before);
  EXPECT_EQ(t.ws().settings.lastImport, stamp);
  ASSERT_EQ(t.ui().fileRequests.size(), 2u);
  const auto& r = t.ui().fileRequests[1];
  EXPECT_EQ(r.caption, caption);
  EXPECT_EQ(r.proposedName, "GPU002.TXT");
  EXPECT_EQ(r.directory, t.ws().dataDir());
  ASSERT_EQ(r.filters.size(), 1u);
  EXPECT_EQ(r.filters[0].pattern, "*.TXT");
  EXPECT_EQ(r.filters[0].description, "Untis Dateien");
}

struct Rejection {
  const char* name;
  std::string bytes;
};

TEST(Gpu002Import, RejectedFilesLeaveGpsulAndTheSettingsByteIdentical) {
  const Rejection cases[] = {
      {"empty", ""},
      {"no line feed", "1,2,3,4\r"},
      {"no carriage return", "1,2,3,4\n2,3,4,5\n"},
      {"no separator in the first five characters", "12345,2,3\r\n"},
      {"a quoted first column", "\"5a\"x,1\r\n"},
  };
  for (const auto& c : cases) {
    test::TestWorkspace t;
    importText(t, gpuLine({{1, "1"}, {5, "\"5a\""}}));
    t.ui().messages.clear();
    fs::path dbf = t.ws().dataFile("gpsul.dbf");
    fs::path ini = t.ws().dataFile("velmoran.ini");
    std::string dbfBefore = test::readBytes(dbf), iniBefore = test::readBytes(ini);
    Text stamp = t.ws().settings.lastImport;

    importText(t, c.bytes, "bad.txt");
    const auto& m = t.ui().onlyMessage();
    EXPECT_EQ(m.kind, "warning") << c.name;
    EXPECT_EQ(m.caption, caption) << c.name;
    EXPECT_EQ(m.text, "Keine gültige GPU002.TXT") << c.name;
    EXPECT_EQ(test::readBytes(dbf), dbfBefore) << c.name;
    EXPECT_EQ(test::readBytes(ini), iniBefore) << c.name;
    EXPECT_EQ(t.ws().settings.lastImport, stamp) << c.name;
    EXPECT_EQ(liveRecords(t.table(Page::Gpsul)).size(), 1u) << c.name;
  }
}

TEST(Gpu002Import, AFileThatCannotBeOpenedIsNamedInTheWarning) {
  test::TestWorkspace t;
  importText(t, gpuLine({{1, "1"}}));
  t.ui().messages.clear();
  fs::path dbf = t.ws().dataFile("gpsul.dbf");
  std::string before = test::readBytes(dbf);
  fs::path missing = t.dir() / "weg" / "GPU002.TXT";
  t.ui().files.push_back(missing);
  getFromUntis(t.ws(), t.ui());
  const auto& m = t.ui().onlyMessage();
  EXPECT_EQ(m.kind, "warning");
  EXPECT_EQ(m.caption, caption);
  EXPECT_EQ(m.text, missing.string() + "\r\nkann nicht geöffnet werden !");
  EXPECT_EQ(test::readBytes(dbf), before);
}

// An Untis that writes its export where the /exp2= parameter says.
class FakeUntis : public test::ScriptedUi {
public:
  std::string exportBytes;
  void startProgram(const fs::path& program, const std::vector<Text>& parameters) override {
    ScriptedUi::startProgram(program, parameters);
    const Text& last = parameters.back();
    ASSERT_EQ(last.rfind("/exp2=", 0), 0u);
    if (!exportBytes.empty()) test::writeBytes(last.substr(6), exportBytes);
  }
};

TEST(Gpu002Import, WithUntisConfiguredUntisWritesTheFileThatIsImported) {
  test::TestWorkspace t;
  FakeUntis untis;
  untis.exportBytes = gpuLine({{1, "41"}, {5, "\"Q1\""}});
  test::writeBytes(t.dir() / "gpu002.txt", gpuLine({{1, "99"}}));  // an old export
  t.ws().AUNTIS_ARRAY = {"C:\\Untis\\Untis.exe", "DB1", "u", "p", "", ""};
  getFromUntis(t.ws(), untis);
  EXPECT_TRUE(untis.fileRequests.empty());
  ASSERT_EQ(untis.launches.size(), 1u);
  EXPECT_EQ(untis.launches[0].parameters.back(), "/exp2=" + t.ws().dataDirText() + "gpu002.txt");
  EXPECT_EQ(untis.pauses.size(), 20u);
  EXPECT_EQ(untis.onlyMessage().text, "Das Einlesen der Datei ist abgeschlossen !");
  store::Table& g = firstRecord(t);
  EXPECT_EQ(g.getNumber("UNR"), 41);
  EXPECT_EQ(liveRecords(g).size(), 1u);
}

TEST(Gpu002Import, UntisThatWritesNothingEndsInTheOpenWarning) {
  test::TestWorkspace t;
  importText(t, gpuLine({{1, "7"}}));
  FakeUntis untis;
  test::writeBytes(t.dir() / "gpu002.txt", gpuLine({{1, "99"}}));  // deleted before the start
  t.ws().AUNTIS_ARRAY = {"", "", "", "", "D:\\Untis.exe", "D:\\Plan.gpn"};
  getFromUntis(t.ws(), untis);
  EXPECT_EQ(untis.pauses.size(), 20u);
  const auto& m = untis.onlyMessage();
  EXPECT_EQ(m.kind, "warning");
  EXPECT_EQ(m.text, (t.dir() / "gpu002.txt").string() + "\r\nkann nicht geöffnet werden !");
  EXPECT_EQ(firstRecord(t).getNumber("UNR"), 7);
  EXPECT_EQ(liveRecords(t.table(Page::Gpsul)).size(), 1u);
}

TEST(Gpu002Conversions, NumbersDatesAndTexts) {
  EXPECT_EQ(untisNumber("2,5"), 2);
  EXPECT_EQ(untisNumber("12.75abc"), 12.75);
  EXPECT_EQ(untisNumber("-1.5"), -1.5);
  EXPECT_EQ(untisNumber(".5"), 0.5);
  EXPECT_EQ(untisNumber(""), 0);
  EXPECT_EQ(untisNumber("\"3\""), 0);
  EXPECT_EQ(untisNumber("1e5"), 1);
  EXPECT_EQ(untisDate("\"20210801\"").format(), "01.08.2021");
  EXPECT_EQ(untisDate("\"20240229\"").format(), "29.02.2024");
  EXPECT_TRUE(untisDate("\"20230229\"").isEmpty());
  EXPECT_TRUE(untisDate("\"\"").isEmpty());
  EXPECT_TRUE(untisDate("").isEmpty());
  EXPECT_TRUE(untisDate("20210801").isEmpty());  // positions count the opening quote
  EXPECT_EQ(untisDate("x20210801").format(), "01.08.2021");
  EXPECT_TRUE(untisDate("\"2021081\"").isEmpty());
  EXPECT_TRUE(untisDate("\"20211301\"").isEmpty());
  EXPECT_EQ(untisText("\"M\"\"ü\""), "Mü");
  EXPECT_EQ(findSeparator("1\t2;3"), ';');
  EXPECT_EQ(findSeparator("1 2\t3"), '\t');
  EXPECT_EQ(findSeparator("12345,"), std::nullopt);
}

}  // namespace
}  // namespace velmoran::untis
