#include "untis/gpu004_import.h"

#include <gtest/gtest.h>

#include <map>

#include "store/code_page.h"
#include "support/test_workspace.h"
#include "untis/untis_ini.h"

namespace velmoran::untis {
namespace {

using app::Page;
namespace fs = std::filesystem;

// A GPU004 line of 41 columns: the given ones filled, the others empty.
std::string line(const std::map<int, std::string>& columns, char separator = ',') {
  std::string out;
  for (int c = 1; c <= gpu004Columns; ++c) {
    if (c > 1) out += separator;
    if (auto it = columns.find(c); it != columns.end()) out += it->second;
  }
  return out + "\r\n";
}

// Write the file, choose it in the file dialog and run ReadGPU004Txt.
void import(test::TestWorkspace& t, const std::string& bytes) {
  const fs::path file = t.dir() / "GPU004.TXT";
  test::writeBytes(file, bytes);
  t.ui().files.push_back(file);
  readGpu004Txt(t.ws(), t.ui());
}

struct Row {
  std::uint32_t recno;
  std::map<std::string, Text> fields;  // every non-blank field, dates as DD.MM.YYYY
};

// The rows of LEHRER in record order.
std::vector<Row> rows(store::Table& t) {
  std::vector<Row> out;
  const int order = t.order();
  t.setOrder(0);
  for (t.goTop(); !t.eof(); t.skip()) {
    Row r{t.recno(), {}};
    for (const auto& f : t.structure()) {
      Text v = f.type == 'D' ? t.getDate(f.name).format() : trimRight(t.getText(f.name));
      if (!v.empty()) r.fields[f.name] = v;
    }
    out.push_back(r);
  }
  t.setOrder(order);
  t.goTop();
  return out;
}

std::map<std::string, Text> fieldsOf(store::Table& t, const Text& abbreviation) {
  for (const Row& r : rows(t))
    if (r.fields.count("LNAME") && r.fields.at("UNTIS_KRZ") == abbreviation) return r.fields;
  ADD_FAILURE() << "no full row for " << abbreviation;
  return {};
}

TEST(Gpu004Import, ANewTeacherGivesAFullRowAndThreeRowsWithTheAbbreviation) {
  test::TestWorkspace t;
  import(t, line({{1, "\"MUE\""},
                  {2, "\"Müller\""},
                  {3, "\"l\""},
                  {29, "\"Anna\""},
                  {31, "1"},
                  {37, "7"},
                  { 41,
                    "19750412" }}));
  auto all = rows(t.table(Page::Lehrer));
  ASSERT_EQ(all.size(), 4u);
  EXPECT_EQ(all[0].fields, (std::map<std::string, Text>{{"UNTIS_KRZ", "MUE"},
                                                        {"LNAME", "Müller"},
                                                        {"LVORNAME", "Anna"},
                                                        {"RECHTSVER", "L=Beamter auf Lebenszeit"},
                                                        {"GESCHLECHT", "W"},
                                                        {"SERIENNR", "7"},
                                                        {"LGEBDAT", "12.04.1975"}}));
  for (int i = 1; i < 4; ++i)
    EXPECT_EQ(all[i].fields, (std::map<std::string, Text>{{"UNTIS_KRZ", "MUE"}}));
  const auto& m = t.ui().onlyMessage();
  EXPECT_EQ(m.kind, "info");
  EXPECT_EQ(m.caption, "Velmoran 2021 / GPU004.TXT einlesen");
  EXPECT_EQ(m.text, "Das Einlesen der Datei ist abgeschlossen !");
  EXPECT_EQ(t.ui().pagesShown, std::vector<int>{6});
}

TEST(Gpu004Import, AsksForTheFileWhenUntisIsNotSetUp) {
  test::TestWorkspace t;
  readGpu004Txt(t.ws(), t.ui());  // cancelled
  ASSERT_EQ(t.ui().fileRequests.size(), 1u);
  const app::FileRequest& r = t.ui().fileRequests[0];
  EXPECT_EQ(r.caption, "Velmoran 2021 / GPU004.TXT einlesen");
  EXPECT_EQ(r.proposedName, "GPU004.TXT");
  EXPECT_EQ(r.directory, t.ws().dataDir());
  ASSERT_EQ(r.filters.size(), 1u);
  EXPECT_EQ(r.filters[0].pattern, "*.TXT");
  EXPECT_EQ(r.filters[0].description, "Untis Dateien");
  EXPECT_TRUE(t.ui().messages.empty());
  EXPECT_EQ(t.table(Page::Lehrer).lastRec(), 0u);
}

TEST(Gpu004Import, StartsUntisWithTheExportSwitchWhenItIsSetUp) {
  test::TestWorkspace t;
  UntisEdits edits{"C:\\Untis\\Untis.exe", "DB~1", "user", "secret", "", ""};
  test::writeBytes(t.dir() / app::untisIniFileName, formatUntisIni(edits));
  readGpu004Txt(t.ws(), t.ui());
  ASSERT_EQ(t.ui().launches.size(), 1u);
  const Text target = t.ws().dataDirText() + "gpu004.txt";
  EXPECT_EQ(t.ui().launches[0].parameters.back(), "/exp4=" + target);
  EXPECT_EQ(t.ui().pauses.size(), 20u);
  EXPECT_TRUE(t.ui().fileRequests.empty());
  // Untis did not write the file in time.
  const auto& m = t.ui().onlyMessage();
  EXPECT_EQ(m.kind, "error");
  EXPECT_EQ(m.text, "Velmoran 2021 / Lehrerdaten aus Untis einlesen\r\n" +
                        (t.ws().dataDir() / "gpu004.txt").string() +
                        "\r\nkann nicht geöffnet werden !");
}

TEST(Gpu004Import, ExistingTeachersAreNeverChanged) {
  test::TestWorkspace t;
  import(t, line({{1, "\"MUE\""}, { 2, "\"Müller\"" }}));
  import(t, line({{1, "\"mue\""},
                  {2, "\"Meier\""},
                  { 29,
                    "\"Max\"" }}) +
                line({{1, "\"NEU\""},
                      { 2,
                        "\"Neumann\"" }}));
  auto all = rows(t.table(Page::Lehrer));
  ASSERT_EQ(all.size(), 8u);
  EXPECT_EQ(fieldsOf(t.table(Page::Lehrer), "MUE"),
            (std::map<std::string, Text>{{"UNTIS_KRZ", "MUE"}, {"LNAME", "Müller"}}));
  EXPECT_EQ(all[4].fields.at("UNTIS_KRZ"), "NEU");
}

TEST(Gpu004Import, ImportingTheSameFileTwiceChangesNoByteOfTheTable) {
  test::TestWorkspace t;
  const std::string file = line({{1, "\"MUE\""}, {2, "\"Müller\""}, {41, "19750412"}}) +
                           line({{1, "\"SCH\""}, {2, "\"Schulz\""}});
  import(t, file);
  const std::string after = test::readBytes(t.dir() / "lehrer.dbf");
  import(t, file);
  EXPECT_EQ(test::readBytes(t.dir() / "lehrer.dbf"), after);
  EXPECT_EQ(rows(t.table(Page::Lehrer)).size(), 8u);
}

TEST(Gpu004Import, AbbreviationsAreCutToFourAndMatchedWhole) {
  test::TestWorkspace t;
  import(t, line({{1, "\"ABCDEF\""},
                  { 2,
                    "\"Erster\"" }}) +
                line({{1, "\"ABCDXY\""},
                      { 2,
                        "\"Zweiter\"" }}) +
                line({{1, "\"ABC\""},
                      { 2,
                        "\"Kurz\"" }}) +
                line({{1, "\"AB\""},
                      { 2,
                        "\"Kürzer\"" }}));
  auto all = rows(t.table(Page::Lehrer));
  ASSERT_EQ(all.size(), 12u);
  EXPECT_EQ(fieldsOf(t.table(Page::Lehrer), "ABCD").at("LNAME"), "Erster");
  EXPECT_EQ(fieldsOf(t.table(Page::Lehrer), "ABC").at("LNAME"), "Kurz");
  EXPECT_EQ(fieldsOf(t.table(Page::Lehrer), "AB").at("LNAME"), "Kürzer");
}

// Codes that become one once cut to four characters and upper-cased: the first teacher is
// taken, each later one is named in the notes after the import with its line.
TEST(Gpu004Import, CodesThatBecomeOneAreNotedWithTheirLines) {
  test::TestWorkspace t;
  import(t, line({{1, "\"abc\""},
                  { 2,
                    "\"Klein\"" }}) +
                line({{1, "\"ABCDE\""},
                      { 2,
                        "\"Erster\"" }}) +
                line({{1, "\"ABC\""},
                      { 2,
                        "\"Gross\"" }}) +
                line({{1, "\"ABCDF\""},
                      { 2,
                        "\"Zweiter\"" }}) +
                line({{1, "\"abc\""},
                      { 2,
                        "\"Klein\"" }}));
  ASSERT_EQ(t.ui().messages.size(), 2u);
  EXPECT_EQ(t.ui().messages[0].text, "Das Einlesen der Datei ist abgeschlossen !");
  EXPECT_EQ(t.ui().messages[1].kind, "warning");
  EXPECT_EQ(t.ui().messages[1].caption, "Velmoran 2021 / GPU004.TXT einlesen");
  EXPECT_EQ(
      t.ui().messages[1].text,
      "Beim Einlesen ist aufgefallen:\r\n"
      "Zeile 3, Spalte 1: das Kürzel \"ABC\" wird zu \"ABC\" wie \"abc\" in Zeile 1; der "
      "Lehrer wurde nicht aufgenommen\r\n"
      "Zeile 4, Spalte 1: das Kürzel \"ABCDF\" wird zu \"ABCD\" wie \"ABCDE\" in Zeile 2; der "
      "Lehrer wurde nicht aufgenommen");
  EXPECT_EQ(fieldsOf(t.table(Page::Lehrer), "ABC").at("LNAME"), "Klein");
  EXPECT_EQ(fieldsOf(t.table(Page::Lehrer), "ABCD").at("LNAME"), "Erster");
  EXPECT_EQ(rows(t.table(Page::Lehrer)).size(), 2u * 4u);  // two teachers, four rows each
}

TEST(Gpu004Import, LinesWithoutAUsableAbbreviationAreSkipped) {
  test::TestWorkspace t;
  import(t, line({{1, "\"???\""},
                  { 2,
                    "\"Unbekannt\"" }}) +
                line({{1, "\"A?\""},
                      { 2,
                        "\"X\"" }}) +
                line({{1, "\"\""},
                      { 2,
                        "\"Leer\"" }}) +
                line(
                    {{ 2,
                       "\"Ohne\"" }}) +
                "\r\n" +
                line(
                    {{ 1,
                       "\"OK\"" }}));
  auto all = rows(t.table(Page::Lehrer));
  ASSERT_EQ(all.size(), 4u);
  EXPECT_EQ(all[0].fields, (std::map<std::string, Text>{{"UNTIS_KRZ", "OK"}}));
}

TEST(Gpu004Import, SexLegalRelationshipAndDateConversions) {
  test::TestWorkspace t;
  import(t, line({{1, "A1"},
                  {2, "N"},
                  {3, "b"},
                  {31, "2"},
                  { 41,
                    "20000229" }}) +
                line({{1, "A2"},
                      {2, "N"},
                      {3, "q"},
                      {31, "3"},
                      { 41,
                        "19990230" }}) +
                line({{1, "A3"}, {2, "N"}, {3, "\"u\""}, {31, "1"}, {
                        41,
                        "1975041"
                      }}));
  auto a1 = fieldsOf(t.table(Page::Lehrer), "A1");
  EXPECT_EQ(a1["GESCHLECHT"], "M");
  EXPECT_EQ(a1["RECHTSVER"], "B=Angestellte, befristet (TVL-Vertrag)");
  EXPECT_EQ(a1["LGEBDAT"], "29.02.2000");
  auto a2 = fieldsOf(t.table(Page::Lehrer), "A2");
  EXPECT_EQ(a2.count("GESCHLECHT"), 0u);
  EXPECT_EQ(a2["RECHTSVER"], "Q");  // no catalog entry begins with Q
  EXPECT_EQ(a2.count("LGEBDAT"), 0u);
  auto a3 = fieldsOf(t.table(Page::Lehrer), "A3");
  EXPECT_EQ(a3["GESCHLECHT"], "W");
  EXPECT_EQ(a3["RECHTSVER"], "U=Angestellte, unbefristet (TVL-Vertrag)");
  EXPECT_EQ(a3.count("LGEBDAT"), 0u);
}

TEST(Gpu004Import, AQuotedValueHoldingTheSeparatorArrivesWithoutItsQuotes) {
  test::TestWorkspace t;
  import(t, line({{1, "\"MUE\""}, {2, "\"Müller, Hans\""}, { 29, "\"Anna\"" }}));
  auto f = fieldsOf(t.table(Page::Lehrer), "MUE");
  // The value between the quotes arrives whole, the blank after the comma included.
  EXPECT_EQ(f["LNAME"], "Müller, Hans");
  EXPECT_EQ(f["LVORNAME"], "Anna");
}

TEST(SplitGpu004Line, QuotesAndSeparators) {
  EXPECT_EQ(splitGpu004Line(" a ,\"b\", \"c;d\" ", ','), (std::vector<Text>{"a", "b", "c;d"}));
  EXPECT_EQ(splitGpu004Line("\"x, y, z\",w", ','), (std::vector<Text>{"x, y, z", "w"}));
  EXPECT_EQ(splitGpu004Line("\"open,rest", ','), (std::vector<Text>{"open", "rest"}));
  EXPECT_EQ(splitGpu004Line("a\t\t\"b\"", '\t'), (std::vector<Text>{"a", "", "b"}));
  EXPECT_EQ(splitGpu004Line(std::string(50, ','), ',').size(), 41u);
}

TEST(Gpu004Import, ColumnsMissingFromAShortLineAreEmpty) {
  test::TestWorkspace t;
  import(t, line({{1, "\"MUE\""},
                  {2, "\"Müller\""},
                  {29, "\"Anna\""},
                  {31, "1"},
                  { 41,
                    "19750412" }}) +
                "\"KUR\",\"Kurz\"\r\n");
  EXPECT_EQ(fieldsOf(t.table(Page::Lehrer), "KUR"),
            (std::map<std::string, Text>{{"UNTIS_KRZ", "KUR"}, {"LNAME", "Kurz"}}));
}

TEST(Gpu004Import, SeparatorIsFoundInTheFirstTenCharacters) {
  test::TestWorkspace t;
  import(t, "\"LANGE\"  ;\"Lang;e\";y\r\n");  // ';' first occurs at the tenth character
  auto f = fieldsOf(t.table(Page::Lehrer), "LANG");
  EXPECT_EQ(f["LNAME"], "Lang;e");
  EXPECT_EQ(f["RECHTSVER"], "Y");
}

TEST(Gpu004Import, AUtf8FileKeepsItsUmlauts) {
  test::TestWorkspace t;
  import(t, "\xEF\xBB\xBF" + store::windows1252ToUtf8(line({{1, "\"KÖH\""}, { 2, "\"Köhler\"" }})));
  EXPECT_EQ(fieldsOf(t.table(Page::Lehrer), "KÖH").at("LNAME"), "Köhler");
}

// Each rejected file: its message, and not one byte of the table or its index changed.
TEST(Gpu004Import, RejectedFilesLeaveTheTableAsItWas) {
  const Text unusable =
      "Velmoran 2021 / Lehrerdaten aus Untis einlesen\r\n"
      "Die Datei enthält keine für Velmoran verwertbare Daten !";
  const std::pair<std::string, Text> cases[] = {
      {"\"MUE\",\"Müller\"", unusable},         // no LF
      {"\"MUELLERMANN\",\"x\"\r\n", unusable},  // no separator in the first ten characters
      {"\"MUE\",\"Müller\"\n\"AB\",\"Abel\"\n", unusable},  // no CR
      {"", unusable},
  };
  for (const auto& [bytes, text] : cases) {
    test::TestWorkspace t;
    import(t, line({{1, "\"OLD\""}, { 2, "\"Alt\"" }}));
    t.ui().messages.clear();
    const std::string dbf = test::readBytes(t.dir() / "lehrer.dbf");
    const std::string ntx = test::readBytes(t.dir() / "LEHRER.NTX");
    import(t, bytes);
    const auto& m = t.ui().onlyMessage();
    EXPECT_EQ(m.kind, "error");
    EXPECT_EQ(m.caption, "Velmoran 2021");
    EXPECT_EQ(m.text, text) << bytes;
    EXPECT_EQ(test::readBytes(t.dir() / "lehrer.dbf"), dbf);
    EXPECT_EQ(test::readBytes(t.dir() / "LEHRER.NTX"), ntx);
  }
}

TEST(Gpu004Import, AFileThatCannotBeOpenedIsNamed) {
  test::TestWorkspace t;
  const fs::path missing = t.dir() / "fehlt.txt";
  t.ui().files.push_back(missing);
  readGpu004Txt(t.ws(), t.ui());
  const auto& m = t.ui().onlyMessage();
  EXPECT_EQ(m.kind, "error");
  EXPECT_EQ(m.text, "Velmoran 2021 / Lehrerdaten aus Untis einlesen\r\n" + missing.string() +
                        "\r\nkann nicht geöffnet werden !");
  EXPECT_EQ(t.table(Page::Lehrer).lastRec(), 0u);
}

TEST(Gpu004Import, ReadsPastTheFirstBlock) {
  test::TestWorkspace t;
  std::string file;
  for (int i = 0; i < 1500; ++i) {
    char code[8];
    std::snprintf(code, sizeof code, "T%03d", i % 1000);
    file += line({{1, std::string("\"") + code + "\""}, {2, "\"Name " + std::to_string(i) + "\""}});
  }
  ASSERT_GT(file.size(), 64000u);
  import(t, file);
  auto all = rows(t.table(Page::Lehrer));
  EXPECT_EQ(all.size(), 4000u);
  EXPECT_EQ(fieldsOf(t.table(Page::Lehrer), "T999").at("LNAME"), "Name 999");
}

}  // namespace
}  // namespace velmoran::untis
