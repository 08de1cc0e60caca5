// The subjects and classes that the transfer registers in FACH and KLASSE.

#include <gtest/gtest.h>

#include "core/transfer/lesson_lines.h"
#include "support/test_workspace.h"
#include "transfer/untis_uvd.h"

namespace velmoran::transfer {
namespace {

using app::Page;
using test::LessonLine;

using Texts = std::vector<Text>;

// One single-line lesson per subject, all in class 05A with teacher A.
void runSubjects(test::TestWorkspace& t, const Texts& subjects) {
  std::vector<LessonLine> lines;
  double unr = 1;
  for (const Text& s : subjects) lines.push_back({unr++, "05A", "A", s, "", 2});
  test::addLines(t.table(Page::Gpsul), lines);
  untisUvd(t.ws(), t.ui());
}

void runClasses(test::TestWorkspace& t, const Texts& classes) {
  std::vector<LessonLine> lines;
  double unr = 1;
  for (const Text& c : classes) lines.push_back({unr++, c, "A", "D", "", 2});
  test::addLines(t.table(Page::Gpsul), lines);
  untisUvd(t.ws(), t.ui());
}

Texts registeredSubjects(test::TestWorkspace& t) {
  return test::column(t.table(Page::Fach), "FACHALT");
}
Texts registeredClasses(test::TestWorkspace& t) {
  return test::column(t.table(Page::Klasse), "KLASSE_ALT");
}

TEST(SubjectCheck, OnlySubjectsOfTheSchoolFormItselfAreAllowed) {
  test::TestWorkspace t;
  test::replaceZulfach(t.table(Page::Zulfach),
                       {{"M ", "GE"}, {"PH", "GE"}, {"M ", "GY"}, {"D ", "GY"}});
  runSubjects(t, {"M", "PH", "D", "MA", "DEU"});
  // "MA" and "DEU" are looked up by their first two characters, which ZULFACH lacks.
  EXPECT_EQ(registeredSubjects(t), (Texts{"PH", "MA", "DEU"}));
}

TEST(SubjectCheck, TheWalkOverEqualKeysLooksForTheSchoolFormAsStored) {
  test::TestWorkspace t;
  // Both "gy" records pass the upper-cased school-form limit, but only "GY" allows.
  test::replaceZulfach(t.table(Page::Zulfach),
                       {{"MA", "gy"}, {"MA", "GY"}, {"Ku", "gy"}, {"KU", "GY"}, {"EK", "gy"}});
  runSubjects(t, {"MA", "KU", "EK"});
  // The walk stops where FACHKURZ changes, even from "Ku" to "KU".
  EXPECT_EQ(registeredSubjects(t), (Texts{"KU", "EK"}));
}

TEST(SubjectCheck, AOneLetterSchoolFormMatchesItsRecordsWithTheBlank) {
  test::TestWorkspace t("H =Hauptschule");
  test::replaceZulfach(t.table(Page::Zulfach),
                       {{"D ", "H "}, {"E ", "h "}, {"M ", "HS"}, {"M ", "H"}});
  runSubjects(t, {"D", "E", "M"});
  EXPECT_EQ(registeredSubjects(t), (Texts{"E"}));
}

TEST(SubjectCheck, SubjectsWithoutAnAllowedRecordOfTheirFormAreRegistered) {
  test::TestWorkspace t("H =Hauptschule");
  test::replaceZulfach(t.table(Page::Zulfach), {{"D ", "H "}, {"M ", "HS"}});
  runSubjects(t, {"D", "M"});
  EXPECT_EQ(registeredSubjects(t), (Texts{"M"}));
}

TEST(SubjectCheck, VocationalCollegesRegisterEverySubjectLongerThanTwo) {
  test::TestWorkspace t("BK=Berufskolleg");
  test::replaceZulfach(t.table(Page::Zulfach), {{"DE", "BK"}, {"D ", "BK"}});
  runSubjects(t, {"DEU", "D", "DE", "XY", "D  "});
  EXPECT_EQ(registeredSubjects(t), (Texts{"DEU", "XY"}));
}

TEST(SubjectCheck, FurtherEducationCollegesLookAtTheirOwnRecordsButAsVocational) {
  test::TestWorkspace t("WB=Weiterbildungskolleg");
  test::replaceZulfach(t.table(Page::Zulfach), {{"D ", "WB"}, {"D ", "BK"}, {"E ", "BK"}});
  runSubjects(t, {"D", "E"});
  EXPECT_EQ(registeredSubjects(t), (Texts{"D", "E"}));
}

TEST(SubjectCheck, BlankSubjectsAreNotChecked) {
  test::TestWorkspace t;
  test::replaceZulfach(t.table(Page::Zulfach), {});
  runSubjects(t, {"", " X"});
  EXPECT_EQ(registeredSubjects(t), (Texts{" X"}));
}

TEST(SubjectCheck, ARegisteredSubjectIsFoundWhateverItsCase) {
  test::TestWorkspace t;
  test::replaceZulfach(t.table(Page::Zulfach), {});
  store::Table& fach = t.table(Page::Fach);
  fach.append();
  fach.put("FACHALT", "xyz");
  fach.append();
  fach.put("FACHALT", "ABC");
  fach.remove();  // a deleted record does not count
  fach.flush();
  runSubjects(t, {"XYZ", "ABC", "abc", "XY"});
  EXPECT_EQ(registeredSubjects(t), (Texts{"xyz", "ABC", "XY"}));
}

TEST(ClassCheck, GymnasiumUpperYearsAreNeverRegistered) {
  test::TestWorkspace t;
  runClasses(
      t, {"EF", "Q1", "Q2", "11", "12", "10", "13", "Q3", "5a", "05B", "Kurs1", "KURS1", "05ABC"});
  EXPECT_EQ(registeredClasses(t), (Texts{"Q3", "Kurs1", "05ABC"}));
}

TEST(ClassCheck, OtherFormsBeginningWithGWantTwoDigits) {
  test::TestWorkspace t("GE=Gesamtschule");
  runClasses(t, {"EF", "05AB", "05ABC", "Q1"});
  EXPECT_EQ(registeredClasses(t), (Texts{"EF", "05ABC", "Q1"}));
}

TEST(ClassCheck, PrimarySchoolClassesAreRegisteredWithoutTwoDigits) {
  test::TestWorkspace t("G =Grundschule");
  runClasses(t, {"1a", "01a", "4.1"});
  EXPECT_EQ(registeredClasses(t), (Texts{"1a", "4.1"}));
}

TEST(ClassCheck, RealschuleRegistersTheNormalisedName) {
  test::TestWorkspace t("R =Realschule");
  runClasses(t, {"Kl.5", "5.1", "EF"});
  EXPECT_EQ(registeredClasses(t), (Texts{"KlE", "EF"}));
}

TEST(ClassCheck, VocationalCollegesRegisterLongClassesWithAProposedNewName) {
  test::TestWorkspace t("BK=Berufskolleg");
  runClasses(t, {"ITA1", "BFS123", "ITA12345", "Fachoberschule"});
  EXPECT_EQ(registeredClasses(t), (Texts{"ITA12345", "Fachoberschule"}));
  EXPECT_EQ(test::column(t.table(Page::Klasse), "KLASSE_NEU"), (Texts{"ITA123", "Fachob"}));
}

TEST(ClassCheck, OtherSchoolFormsRegisterClassesLongerThanFour) {
  test::TestWorkspace t("S =Förderschule im Bereich G/H");
  runClasses(t, {"Kl 1", "Klasse1"});
  EXPECT_EQ(registeredClasses(t), (Texts{"Klasse1"}));
  EXPECT_EQ(test::column(t.table(Page::Klasse), "KLASSE_NEU"), (Texts{""}));
}

TEST(ClassCheck, ARegisteredClassIsFoundWhateverItsCase) {
  test::TestWorkspace t;
  store::Table& klasse = t.table(Page::Klasse);
  klasse.append();
  klasse.put("KLASSE_ALT", "kurs1");
  klasse.flush();
  runClasses(t, {"Kurs1", "Kurs"});
  EXPECT_EQ(registeredClasses(t), (Texts{"kurs1", "Kurs"}));
}

}  // namespace
}  // namespace velmoran::transfer
