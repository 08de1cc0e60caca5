// The plausibility check rule by rule where a whole school would hide the edge:
// the age limits and the school year, the teacher-code alphabet, the minute
// model, the tables left as they were, the command's information box and the
// saved list.

#include "asdpc/plausibility.h"

#include <gtest/gtest.h>

#include "pages/table_commands.h"
#include "support/test_workspace.h"

namespace velmoran::asdpc {
namespace {

namespace fs = std::filesystem;
using app::Page;

void addRow(store::Table& t, std::initializer_list<std::pair<const char*, const char*>> fields) {
  t.append();
  const std::uint32_t recno = t.recno();
  for (const auto& [field, value] : fields) ASSERT_TRUE(pages::setField(t, recno, field, value));
}

Date day(int y, int m, int d) { return *Date::make(y, m, d); }

// Findings of one table and field, as "severity recno".
std::vector<std::string> at(const std::vector<Finding>& findings, const Text& table,
                            const Text& field) {
  std::vector<std::string> out;
  for (const Finding& f : findings)
    if (f.table == table && f.field == field)
      out.push_back(f.severity + " " + std::to_string(f.recno));
  return out;
}

struct Check : test::TestWorkspace {
  Check() {
    ws().settings.schoolNumber = "123456";
    ws().settings.minuteModel = "";
  }
  void teacher(const char* code, const char* birth) {
    addRow(table(Page::Lehrer), {{"UNTIS_KRZ", code},
                                 {"LNAME", "Name"},
                                 {"LVORNAME", "Vorname"},
                                 {"LGEBDAT", birth},
                                 {"GESCHLECHT", "W"}});
    addRow(table(Page::MehrMinder), {{"ART", "LS"}, {"UNTIS_KRZ", code}, {"USTD", "25"}});
  }
  void lesson(const char* teacher, const char* hours) {
    addRow(table(Page::Uvd), {{"KLASSE", "05A"},
                              {"FACH", "D"},
                              {"LEHRER", teacher},
                              {"WSTD", hours},
                              {"SCHUELER_G", "20"},
                              {"SCHUELER_W", "10"}});
  }
};

TEST(CheckAges, AreTakenOnTheFirstOfAugustOfTheSchoolYearThatHoldsToday) {
  Check c;
  c.teacher("JUNG", "02.08.2007");  // 18 on 02.08.2025
  c.teacher("ALT", "01.08.1950");   // 76 on 01.08.2026
  // 31 July 2026 still belongs to the school year that began on 1 August 2025.
  EXPECT_EQ(at(checkData(c.ws(), day(2026, 7, 31)), "LEHRER", "LGEBDAT"),
            (std::vector<std::string>{"Fehler 1"}));
  EXPECT_EQ(at(checkData(c.ws(), day(2026, 8, 1)), "LEHRER", "LGEBDAT"),
            (std::vector<std::string>{"Fehler 2"}));
}

TEST(CheckAges, EighteenAndSeventyFiveOnTheDayAreAllowed) {
  Check c;
  c.teacher("JUNG", "01.08.2008");
  c.teacher("ALT", "02.08.1950");  // 75 until 1 August 2026
  EXPECT_TRUE(at(checkData(c.ws(), day(2026, 8, 1)), "LEHRER", "LGEBDAT").empty());
}

TEST(CheckTeacherCodes, AllowUmlautsDigitsHyphensAndBlanksAfterACapital) {
  Check c;
  for (const char* code : {"ÄB-1", "Ö 2", "Ü", "MÜL"}) {
    c.teacher(code, "01.01.1980");
    c.lesson(code, "2");
  }
  const auto findings = checkData(c.ws(), day(2026, 9, 1));
  EXPECT_TRUE(at(findings, "LEHRER", "UNTIS_KRZ").empty());
  EXPECT_TRUE(at(findings, "UVD", "LEHRER").empty());
}

TEST(CheckTeacherCodes, RejectLowerCaseLeadingDigitsOtherSignsAndFiveCharacters) {
  Check c;
  c.teacher("ABCD", "01.01.1980");
  for (const char* code : {"aBC", "1AB", "A_B", "ABCDE", "A.B"}) c.lesson(code, "2");
  c.lesson("ABCD", "2");
  const auto findings = checkData(c.ws(), day(2026, 9, 1));
  // Each bad code twice: no LEHRER row, and not a code at all.
  EXPECT_EQ(at(findings, "UVD", "LEHRER"),
            (std::vector<std::string>{"Fehler 1", "Fehler 1", "Fehler 2", "Fehler 2", "Fehler 3",
                                      "Fehler 3", "Fehler 4", "Fehler 4", "Fehler 5", "Fehler 5"}));
}

TEST(CheckTeacherCodes, AreNotLookedUpWhileLehrerHoldsNoTeacher) {
  Check c;
  addRow(c.table(Page::Lehrer), {{"UNTIS_KRZ", "ABC"}});  // a further row: no teacher
  c.lesson("XYZ", "2");
  EXPECT_TRUE(at(checkData(c.ws(), day(2026, 9, 1)), "UVD", "LEHRER").empty());
}

TEST(CheckHours, FractionsAreNotedOnlyWithoutTheMinuteModel) {
  Check c;
  c.teacher("ABC", "01.01.1980");
  c.lesson("ABC", "2,25");
  EXPECT_EQ(at(checkData(c.ws(), day(2026, 9, 1)), "UVD", "WSTD"),
            (std::vector<std::string>{"Hinweis 1"}));
  c.ws().settings.minuteModel = "J";
  EXPECT_TRUE(at(checkData(c.ws(), day(2026, 9, 1)), "UVD", "WSTD").empty());
}

TEST(CheckClasses, NeedAYearGroupOnlyWhereClassesAreNamedByYear) {
  for (const auto& [schoolForm, notes] : std::vector<std::pair<Text, std::size_t>>{
           {"GY=Gymnasium", 1}, {"R =Realschule", 1}, {"BK=Berufskolleg", 0}}) {
    Check c;
    c.ws().settings.schoolForm = schoolForm;
    c.ws().fillZulFaecher();
    addRow(c.table(Page::Uvd), {{"KLASSE", "BFS1A"}, {"WSTD", "2"}});
    EXPECT_EQ(at(checkData(c.ws(), day(2026, 9, 1)), "UVD", "KLASSE").size(), notes) << schoolForm;
  }
}

TEST(CheckSchoolNumber, MustBeSixDigits) {
  for (const auto& [number, expected] : std::vector<std::pair<Text, std::size_t>>{
           {"123456", 0}, {" 123456 ", 0}, {"", 1}, {"1234567", 1}, {"12345A", 1}}) {
    Check c;
    c.ws().settings.schoolNumber = number;
    EXPECT_EQ(at(checkData(c.ws(), day(2026, 9, 1)), "velmoran.ini", "Schulnummer").size(),
              expected)
        << number;
  }
}

TEST(CheckData, LeavesEveryTableAsItWasOnItsFirstRecord) {
  Check c;
  c.teacher("ZZ", "01.01.1900");
  c.teacher("AA", "");
  addRow(c.table(Page::MehrMinder), {{"ART", "66"}, {"UNTIS_KRZ", "QQ"}, {"MEHR", "999"}});
  c.lesson("QQ", "0");
  store::Table& lehrer = c.table(Page::Lehrer);
  store::Table& mm = c.table(Page::MehrMinder);
  lehrer.setOrder(1);
  lehrer.goBottom();
  mm.setOrder(0);
  mm.goBottom();
  const std::string lehrerBefore = pages::dumpCsv(lehrer, true);
  const std::string mmBefore = pages::dumpCsv(mm, true);
  const std::string uvdBefore = pages::dumpCsv(c.table(Page::Uvd), true);

  EXPECT_TRUE(hasErrors(checkData(c.ws(), day(2026, 9, 1))));

  EXPECT_EQ(lehrer.order(), 1);
  EXPECT_EQ(lehrer.recno(), 2u);  // "AA", first in abbreviation order
  EXPECT_EQ(mm.order(), 0);
  EXPECT_EQ(mm.recno(), 1u);
  EXPECT_EQ(c.table(Page::Uvd).recno(), 1u);
  EXPECT_EQ(pages::dumpCsv(lehrer, true), lehrerBefore);
  EXPECT_EQ(pages::dumpCsv(mm, true), mmBefore);
  EXPECT_EQ(pages::dumpCsv(c.table(Page::Uvd), true), uvdBefore);
}

TEST(CheckDataCommand, TellsWhenNothingWasFound) {
  Check c;
  EXPECT_TRUE(checkDataCommand(c.ws(), c.ui()).empty());
  const auto& m = c.ui().onlyMessage();
  EXPECT_EQ(m.kind, "info");
  EXPECT_EQ(m.caption, "Velmoran 2021 / Plausibilitätsprüfung");
  EXPECT_EQ(m.text, "Es wurden keine Fehler gefunden.");
}

TEST(CheckDataCommand, GivesTheFindingsWithoutAMessage) {
  Check c;
  c.ws().settings.schoolNumber = "";
  const auto findings = checkDataCommand(c.ws(), c.ui());
  ASSERT_EQ(findings.size(), 1u);
  EXPECT_EQ(findings[0].file, "LEHRER_ASD.TXT");
  EXPECT_EQ(findings[0].severity, "Fehler");
  EXPECT_TRUE(c.ui().messages.empty());
}

TEST(SaveFindings, WritesTheListAndReportsAFileThatCannotBeWritten) {
  Check c;
  c.ws().settings.schoolNumber = "";
  const auto findings = checkData(c.ws(), day(2026, 9, 1));
  const fs::path file = c.dir() / "PRUEFUNG.TXT";
  c.ui().files.push_back(file);
  EXPECT_TRUE(saveFindings(c.ws(), c.ui(), findings));
  EXPECT_EQ(test::readBytes(file),
            "Fehler: LEHRER_ASD.TXT, velmoran.ini, Feld "
            "Schulnummer: Die Schulnummer ist leer; "
            "erlaubt sind genau sechs Ziffern.\r\n");
  EXPECT_EQ(c.ui().fileRequests.at(0).proposedName, "PRUEFUNG.TXT");

  const fs::path folder = c.dir() / "ordner";
  fs::create_directory(folder);
  c.ui().files.push_back(folder);
  EXPECT_FALSE(saveFindings(c.ws(), c.ui(), findings));
  const auto& m = c.ui().onlyMessage();
  EXPECT_EQ(m.kind, "warning");
  EXPECT_EQ(m.caption, "Velmoran 2021 / Prüfliste speichern");
  EXPECT_EQ(m.text, "Die Datei " + folder.string() + " kann nicht geschrieben werden !");
  EXPECT_TRUE(fs::is_directory(folder));
}

TEST(SaveFindings, CancelWritesNothing) {
  Check c;
  EXPECT_FALSE(saveFindings(c.ws(), c.ui(), {}));
  EXPECT_TRUE(c.ui().messages.empty());
}

}  // namespace
}  // namespace velmoran::asdpc
