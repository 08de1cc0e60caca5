#include "pages/table_commands.h"

#include <gtest/gtest.h>

#include "support/test_workspace.h"

namespace velmoran::pages {
namespace {

using app::Page;

void addTeachers(store::Table& t, std::initializer_list<const char*> codes) {
  for (const char* code : codes) {
    t.append();
    t.put("UNTIS_KRZ", code);
  }
  t.flush();
}

std::size_t liveCount(store::Table& t) {
  std::size_t n = 0;
  for (t.goTop(); !t.eof(); t.skip()) ++n;
  return n;
}

TEST(DeleteTable, AsksAndDeclinedChangesNothing) {
  test::TestWorkspace t;
  addTeachers(t.table(Page::Lehrer), {"AB", "CD"});
  t.ui().answers = {false};
  EXPECT_FALSE(deleteTable(t.ws(), t.ui(), Page::Lehrer));
  const auto& m = t.ui().onlyMessage();
  EXPECT_EQ(m.kind, "question");
  EXPECT_EQ(m.caption, "Velmoran 2021");
  EXPECT_EQ(m.text, "Wollen Sie die ganze Tabelle wirklich löschen?");
  EXPECT_EQ(liveCount(t.table(Page::Lehrer)), 2u);
}

TEST(DeleteTable, MarksEveryRecordKeepsTheOrderAndThePackRemovesThem) {
  test::TestWorkspace t;
  store::Table& lehrer = t.table(Page::Lehrer);
  addTeachers(lehrer, {"ZZ", "AB", "CD"});
  lehrer.goTo(2);
  lehrer.remove();
  int order = lehrer.order();
  t.ui().answers = {true};
  EXPECT_TRUE(deleteTable(t.ws(), t.ui(), Page::Lehrer));
  EXPECT_EQ(lehrer.order(), order);
  EXPECT_EQ(liveCount(lehrer), 0u);
  EXPECT_EQ(lehrer.lastRec(), 3u);
  t.restart();
  EXPECT_EQ(t.table(Page::Lehrer).lastRec(), 0u);
}

TEST(SetField, ConvertsTextAsTheGridEditorDoes) {
  test::TestWorkspace t;
  store::Table& lehrer = t.table(Page::Lehrer);
  addTeachers(lehrer, {"AB"});
  EXPECT_TRUE(setField(lehrer, 1, "LNAME", "Müller").ok());
  EXPECT_TRUE(setField(lehrer, 1, "lgebdat", "05.03.71").ok());
  store::Table& mm = t.table(Page::MehrMinder);
  mm.append();
  mm.flush();
  EXPECT_TRUE(setField(mm, 1, "USTD", "25,5").ok());
  lehrer.goTo(1);
  EXPECT_EQ(lehrer.getText("LNAME"), "Müller");
  EXPECT_EQ(lehrer.getDate("LGEBDAT").format(), "05.03.1971");
  mm.goTo(1);
  EXPECT_DOUBLE_EQ(mm.getNumber("USTD"), 25.5);
}

TEST(SetField, RefusesUnknownFieldsRecordsAndBadValues) {
  test::TestWorkspace t;
  store::Table& mm = t.table(Page::MehrMinder);
  mm.append();
  mm.flush();
  EXPECT_FALSE(setField(mm, 1, "NOFIELD", "x").ok());
  EXPECT_FALSE(setField(mm, 2, "ART", "LS").ok());
  EXPECT_FALSE(setField(mm, 1, "USTD", "zwölf").ok());
  mm.goTo(1);
  EXPECT_EQ(mm.getNumber("USTD"), 0.0);
}

TEST(DumpCsv, VisibleRecordsInOrderAsUtf8WithQuotedSeparators) {
  test::TestWorkspace t;
  store::Table& lehrer = t.table(Page::Lehrer);
  addTeachers(lehrer, {"ZZ", "AB", "DEL"});
  ASSERT_TRUE(setField(lehrer, 1, "LNAME", "Müller, Anna").ok());
  lehrer.goTo(3);
  lehrer.remove();
  std::string csv = dumpCsv(lehrer);
  std::string header = csv.substr(0, csv.find("\r\n"));
  EXPECT_EQ(header.substr(0, 26), "UNTIS_KRZ,LNAME,LVORNAME,L");
  std::size_t ab = csv.find("\r\nAB,");
  std::size_t zz = csv.find("\r\nZZ,\"M\xC3\xBCller, Anna\",");
  EXPECT_NE(ab, std::string::npos);
  EXPECT_NE(zz, std::string::npos);
  EXPECT_LT(ab, zz);  // the teacher page's order: by abbreviation
  EXPECT_EQ(csv.find("DEL"), std::string::npos);
}

}  // namespace
}  // namespace velmoran::pages

namespace velmoran::pages {
namespace {

TEST(DumpCsv, RecordNumbersForEditingStandInTheirOwnFirstColumn) {
  test::TestWorkspace t;
  store::Table& lehrer = t.table(app::Page::Lehrer);
  addTeachers(lehrer, {"ZZ", "AB"});
  std::string csv = dumpCsv(lehrer, true);
  EXPECT_EQ(csv.substr(0, 16), "RECNO,UNTIS_KRZ,");
  EXPECT_NE(csv.find("\r\n2,AB,"), std::string::npos);
  EXPECT_NE(csv.find("\r\n1,ZZ,"), std::string::npos);
  EXPECT_LT(csv.find("\r\n2,AB,"), csv.find("\r\n1,ZZ,"));
}

}  // namespace
}  // namespace velmoran::pages
