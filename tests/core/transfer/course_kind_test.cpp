// The course kinds that the transfer derives from subject, class and coupling.

#include <gtest/gtest.h>

#include "core/transfer/lesson_lines.h"
#include "support/test_workspace.h"
#include "transfer/untis_uvd.h"

namespace velmoran::transfer {
namespace {

using app::Page;
using test::LessonLine;
using Texts = std::vector<Text>;

struct Case {
  Text klasse;
  Text fach;
};

// One single-line lesson per case; the KURSART of each record.
Texts kinds(test::TestWorkspace& t, const std::vector<Case>& cases) {
  std::vector<LessonLine> lines;
  double unr = 1;
  for (const Case& c : cases) lines.push_back({unr++, c.klasse, "A", c.fach, "", 2});
  test::addLines(t.table(Page::Gpsul), lines);
  untisUvd(t.ws(), t.ui());
  return test::column(t.table(Page::Uvd), "KURSART");
}

TEST(CourseKind, GymnasiumUpperYearRules) {
  test::TestWorkspace t("GY=Gymnasium");
  EXPECT_EQ(kinds(t, {{"Q1", "BIOL"},
                      {"Q2", "MATG"},
                      {"EF", "DEUG"},
                      {"11", "CHEL"},
                      {"EF", "VXM"},
                      {"Q1", "PXK"},
                      {"07A", "BIOL"},
                      {"07A", "MATG"},
                      {"Q1", "MATE"}}),
            (Texts{"72=Leistungskurs", "71=Grundkurs", "71=Grundkurs", "72=Leistungskurs",
                   "77=Vertiefungsfach  § 8, 11  APO - GOSt",
                   "78=Projektkurs § 11 Abs. 8  APO - GOSt", "", "", ""}));
}

TEST(CourseKind, AdditionalCoursesKeepOnlyTheSubjectKey) {
  test::TestWorkspace t("GY=Gymnasium");
  EXPECT_EQ(kinds(t, {{"Q1", "GEZ1"}, {"Q2", "SWZ"}, {"07A", "GEZ"}}),
            (Texts{"76=Zusatzkurs gem. § 11 Abs. 3 APO-GOSt",
                   "76=Zusatzkurs gem. § 11 Abs. 3 APO-GOSt", ""}));
  EXPECT_EQ(test::column(t.table(Page::Uvd), "FACH"), (Texts{"GE", "SW", "GEZ"}));
  // The Z in third place is read as the bilingual language, also for the cut subject.
  EXPECT_EQ(test::column(t.table(Page::Uvd), "BILINGUAL"), (Texts{"Z", "Z", "Z"}));
}

TEST(CourseKind, GymnasiumElectiveSubjects) {
  test::TestWorkspace t("GY=Gymnasium");
  EXPECT_EQ(kinds(t, {{"08A", "WP1"},
                      {"08A", "WPI"},
                      {"09A", "WPF28"},
                      {"09A", "WP2"},
                      {"11", "WP1"},
                      {"Q1", "WP2"}}),
            (Texts{"61=Wahlpflichtunterricht: 2. Fremdsprache",
                   "61=Wahlpflichtunterricht: 2. Fremdsprache", "65=3. Fremdsprache (vierstündig)",
                   "", "", ""}));  // GY knows no key 66; year 11 is not elective
}

TEST(CourseKind, GesamtschuleSetCourses) {
  test::TestWorkspace t("GE=Gesamtschule");
  EXPECT_EQ(kinds(t, {{"07A", "MATE"},
                      {"07A", "MATG"},
                      {"EF", "MATG"},
                      {"EF", "MATE"},
                      {"11", "MATE"},
                      {"07A", "WP1E"},
                      {"08A", "WP1"},
                      {"08A", "WP2"},
                      {"Q1", "DEUL"}}),
            (Texts{"02=Sek I Fachleistungskurse: Erweiterungskurs",
                   "01=Sek I Fachleistungskurse: Grundkurs", "71=Grundkurs", "", "",
                   "02=Sek I Fachleistungskurse: Erweiterungskurs", "10=Wahlpflichtunterricht", "",
                   "72=Leistungskurs (1. oder 2. Abiturfach)"}));
}

TEST(CourseKind, RealschuleAndHauptschuleElectives) {
  test::TestWorkspace r("R =Realschule");
  EXPECT_EQ(kinds(r, {{"5.1", "WP1"}, {"7.1", "WP2"}}),
            (Texts{"61=Wahlpflichtbereich: Fremdsprachlich", ""}));
  test::TestWorkspace h("H =Hauptschule");
  EXPECT_EQ(kinds(h, {{"07A", "WP1"}, {"07A", "WP2"}}),
            (Texts{"61=Wahlpflichtbereich, Fremdsprachlich  (Nur Bildungsgang Realschule)", ""}));
}

TEST(CourseKind, SchoolFormsWithoutCourseKindRulesWriteNone) {
  for (const char* form : {"BK=Berufskolleg", "G =Grundschule", "WB=Weiterbildungskolleg"}) {
    test::TestWorkspace t(form);
    test::addLines(
        t.table(Page::Gpsul),
        {{1, "Q1", "A", "WP1", "", 2}, {2, "Q1", "A", "AG", "", 2}, {2, "Q2", "B", "AG", "", 2}});
    untisUvd(t.ws(), t.ui());
    EXPECT_EQ(test::column(t.table(Page::Uvd), "KURSART"), (Texts{"", "", ""})) << form;
  }
}

// Coupled lessons: two lines, the second another class with another teacher, so the
// second record is a plain record of its own.
TEST(CourseKind, CoupledLessonsAreWorkingGroupsOrPartsOfClasses) {
  test::TestWorkspace t("GY=Gymnasium");
  test::addLines(t.table(Page::Gpsul), {{1, "07A", "A", "AG", "", 2},
                                        {1, "07B", "B", "AG", "", 2},
                                        {2, "Q1", "A", "AGWP1", "", 2},
                                        {2, "Q2", "B", "AGWP1", "", 2},
                                        {3, "12", "A", "AG", "", 2},
                                        {3, "13", "B", "AG", "", 2},
                                        {4, "07A", "A", "D", "", 2},
                                        {4, "07B", "B", "E", "", 2},
                                        {5, "Q1", "A", "BIOL", "", 2},
                                        {5, "Q2", "B", "BIOL", "", 2}});
  untisUvd(t.ws(), t.ui());
  const Text ag = "36=Arbeitsgemeinschaft entsprechend § 9 Abs. 2, 3  SchulG";
  const Text part = "00=Pflichtunterricht für Teile von Klassen";
  EXPECT_EQ(
      test::column(t.table(Page::Uvd), "KURSART"),
      (Texts{ag, ag, ag, ag, part, part, part, part, "72=Leistungskurs", "72=Leistungskurs"}));
}

TEST(CourseKind, FreeWaldorfSchoolsKnowOnlyTheirTwoKinds) {
  test::TestWorkspace t("FW=Freie Waldorfschule");
  test::addLines(
      t.table(Page::Gpsul),
      {{1, "07A", "A", "D", "", 2}, {1, "07B", "B", "E", "", 2}, {2, "Q1", "A", "BIOL", "", 2}});
  untisUvd(t.ws(), t.ui());
  EXPECT_EQ(test::column(t.table(Page::Uvd), "KURSART"),
            (Texts{"00=Pflichtunterricht sowie Unterricht im Wahlpflichtbereich",
                   "00=Pflichtunterricht sowie Unterricht im Wahlpflichtbereich", ""}));
}

}  // namespace
}  // namespace velmoran::transfer
