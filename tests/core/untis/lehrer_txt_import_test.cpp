#include "untis/lehrer_txt_import.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "support/test_workspace.h"

namespace velmoran::untis {
namespace {

using app::Page;
namespace fs = std::filesystem;

const Text caption = "Velmoran 2021 / Lehrer.Txt einlesen";

// A line of LEHRER.TXT: kind, six digits, abbreviation, hours, key.
std::string line(const char* kind, const char* abbreviation, const char* hours,
                 const char* key = "   ") {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%-2s123456%-4s%5s%s\r\n", kind, abbreviation, hours, key);
  return buf;
}

void import(test::TestWorkspace& t, const std::string& bytes) {
  const fs::path file = t.dir() / "Lehrer.Txt";
  test::writeBytes(file, bytes);
  t.ui().files.push_back(file);
  readLehrerTxt(t.ws(), t.ui());
}

struct Record {
  Text art, krz;
  double ustd;
  Text nicht, mehr, minder;
  friend bool operator==(const Record&, const Record&) = default;
};

void PrintTo(const Record& r, std::ostream* os) {
  *os << r.art << "|" << r.krz << "|" << r.ustd << "|" << r.nicht << "|" << r.mehr << "|"
      << r.minder;
}

// The live records of MEHR_MINDER in record order.
std::vector<Record> live(store::Table& t) {
  std::vector<Record> out;
  const int order = t.order();
  t.setOrder(0);
  for (t.goTop(); !t.eof(); t.skip())
    out.push_back({trimRight(t.getText("ART")), trimRight(t.getText("UNTIS_KRZ")),
                   t.getNumber("USTD"), trimRight(t.getText("NICHT")), trimRight(t.getText("MEHR")),
                   trimRight(t.getText("MINDER"))});
  t.setOrder(order);
  t.goTop();
  return out;
}

TEST(LehrerTxtImport, StoresKindsHoursAndExpandedKeys) {
  test::TestWorkspace t;
  const Text nicht510 = *catalog::findByKey(t.ws().catalogs.ANICHT, "510");
  ASSERT_TRUE(nicht510.starts_with("510="));
  import(t, line("LS", "mue", "25.50") + line("66", "MUE", " 1.00", "110") +
                line("66", "MUE", " 2.00", "999") + line("65", "MUE", " 0.50", "510") +
                line("67", "MUE", " 3.00", "200") + line("68", "MUE", " 1.00", "110"));
  EXPECT_EQ(live(t.table(Page::MehrMinder)),
            (std::vector<Record>{
                {"LS", "MUE", 25.5, "", "", ""},
                {"66", "MUE", 1, "", "110=Mehrarbeit (angeordnet und regelmäßig)", ""},
                {"66", "MUE", 2, "", "999", ""},
                {"65", "MUE", 0.5, nicht510, "", ""},
                {"67", "MUE", 3, "", "", "200=Pflichtstundenermäßigung aus Altersgründen"},
                {"68", "MUE", 1, "", "", ""},
            }));
  const auto& m = t.ui().onlyMessage();
  EXPECT_EQ(m.kind, "info");
  EXPECT_EQ(m.caption, caption);
  EXPECT_EQ(m.text, "Das Einlesen der Datei ist abgeschlossen !");
  EXPECT_EQ(t.ui().pagesShown, std::vector<int>{7});
}

TEST(LehrerTxtImport, AsksForTheFileAndACancelChangesNothing) {
  test::TestWorkspace t;
  import(t, line("LS", "AB", "20.00"));
  t.ui().messages.clear();
  const std::string before = test::readBytes(t.dir() / "mehr_minder.dbf");
  readLehrerTxt(t.ws(), t.ui());
  ASSERT_EQ(t.ui().fileRequests.size(), 2u);
  const app::FileRequest& r = t.ui().fileRequests[1];
  EXPECT_EQ(r.caption, caption);
  EXPECT_EQ(r.proposedName, "Lehrer.Txt");
  EXPECT_EQ(r.directory, t.ws().dataDir());
  ASSERT_EQ(r.filters.size(), 1u);
  EXPECT_EQ(r.filters[0].pattern, "*.TXT");
  EXPECT_EQ(r.filters[0].description, "Text - Dateien");
  EXPECT_TRUE(t.ui().messages.empty());
  EXPECT_EQ(test::readBytes(t.dir() / "mehr_minder.dbf"), before);
}

TEST(LehrerTxtImport, MinuteModelMultipliesTheHoursByTheMinutes) {
  struct Case {
    const char* model;
    const char* minutes;
    double hours;
  };
  for (const Case& c : {Case{"J", "45,00", 1147.5}, Case{"J", "", 25.5}, Case{"J", "0", 25.5},
                        Case{"", "45,00", 25.5}, Case{"J", "62,25", 1587.38}}) {
    test::TestWorkspace t;
    t.ws().settings.minuteModel = c.model;
    t.ws().settings.minutes = c.minutes;
    import(t, line("LS", "AB", "25.50"));
    auto records = live(t.table(Page::MehrMinder));
    ASSERT_EQ(records.size(), 1u);
    EXPECT_DOUBLE_EQ(records[0].ustd, c.hours) << c.model << " " << c.minutes;
  }
}

TEST(LehrerTxtImport, ImportingTwiceLeavesOneLiveSet) {
  test::TestWorkspace t;
  const std::string file = line("LS", "AB", "20.00") + line("66", "AB", " 1.00", "110");
  import(t, file);
  import(t, file);
  store::Table& mm = t.table(Page::MehrMinder);
  EXPECT_EQ(live(mm).size(), 2u);
  EXPECT_EQ(mm.lastRec(), 4u);
  EXPECT_EQ(mm.order(), 1);
}

TEST(LehrerTxtImport, TheWholeFileIsReadDownToItsLastCompleteLine) {
  test::TestWorkspace t;
  std::string file;
  for (int i = 0; i < 3000; ++i)
    file += line("LS", ("T" + std::to_string(i % 1000)).c_str(), "10.00");
  ASSERT_GT(file.size(), 64000u);
  file += line("66", "LAST", " 1.00", "110");
  file += "66123456REST 1.00110";  // no line end: not a line
  import(t, file);
  auto records = live(t.table(Page::MehrMinder));
  ASSERT_EQ(records.size(), 3001u);
  EXPECT_EQ(records.back().krz, "LAST");
}

// Each rejected file: its message, and not one byte of the table or its index changed.
TEST(LehrerTxtImport, RejectedFilesLeaveTheTableAsItWas) {
  const Text invalid = caption + "\r\nKeine gültige Lehrer.txt aus Untis";
  const std::string cases[] = {
      line("ls", "AB", "20.00"),           // lower case
      "LS123456AB  20.00   ",              // no line end
      "LS123456AB  20.00   \n",            // no CR
      line("66", "AB", " 1.00", "110"),    // does not begin with LS
      "\r\n" + line("LS", "AB", "20.00"),  // the first line is empty
      "",
  };
  for (const std::string& bytes : cases) {
    test::TestWorkspace t;
    import(t, line("LS", "OLD", "20.00"));
    t.ui().messages.clear();
    const std::string dbf = test::readBytes(t.dir() / "mehr_minder.dbf");
    const std::string ntx = test::readBytes(t.dir() / "UNTIS_KRZ.NTX");
    import(t, bytes);
    const auto& m = t.ui().onlyMessage();
    EXPECT_EQ(m.kind, "error");
    EXPECT_EQ(m.caption, "Velmoran 2021");
    EXPECT_EQ(m.text, invalid) << bytes;
    EXPECT_EQ(test::readBytes(t.dir() / "mehr_minder.dbf"), dbf);
    EXPECT_EQ(test::readBytes(t.dir() / "UNTIS_KRZ.NTX"), ntx);
  }
}

TEST(LehrerTxtImport, AFileThatCannotBeOpenedIsNamed) {
  test::TestWorkspace t;
  const fs::path missing = t.dir() / "fehlt.txt";
  t.ui().files.push_back(missing);
  readLehrerTxt(t.ws(), t.ui());
  const auto& m = t.ui().onlyMessage();
  EXPECT_EQ(m.kind, "error");
  EXPECT_EQ(m.text, caption + "\r\n" + missing.string() + "\r\nkann nicht geöffnet werden !");
}

TEST(ParseLehrerTxtLine, ShortLinesGiveEmptyParts) {
  catalog::Catalogs none;
  LehrerTxtRecord r = parseLehrerTxtLine("66123456AB", 0, none);
  EXPECT_EQ(r.art, "66");
  EXPECT_EQ(r.abbreviation, "AB");
  EXPECT_EQ(r.hours, 0);
  EXPECT_EQ(r.mehr, "");
  r = parseLehrerTxtLine("66123456abcd2.5  x11", 0, none);
  EXPECT_EQ(r.abbreviation, "ABCD");
  EXPECT_EQ(r.hours, 2.5);
  EXPECT_EQ(r.mehr, "x11");
}

}  // namespace
}  // namespace velmoran::untis
