// Coupled lessons: team teaching and lessons shared by several classes.

#include <gtest/gtest.h>

#include "core/transfer/lesson_lines.h"
#include "support/test_workspace.h"
#include "transfer/untis_uvd.h"

namespace velmoran::transfer {
namespace {

using app::Page;
using test::LessonLine;
using test::UvdRecord;
using Records = std::vector<UvdRecord>;

const Text part = "00=Pflichtunterricht für Teile von Klassen";

Records run(test::TestWorkspace& t, const std::vector<LessonLine>& lines) {
  test::addLines(t.table(Page::Gpsul), lines);
  untisUvd(t.ws(), t.ui());
  return test::uvdRecords(t.table(Page::Uvd));
}

// Fields: class, part class, course kind, hours, subject, teacher, pupils, female.

TEST(CoupledLesson, TeamTeachingMarksTheFirstRecordAndAddsThePupilsOnce) {  // case 1
  test::TestWorkspace t;
  EXPECT_EQ(run(t, {{1, "07A", "MUE", "D", "R1", 4, 12, 14},
                    {1, "07A", "SCH", "D", "R1", 4, 10, 13},
                    {1, "07A", "KLE", "D", "R1", 4, 0, 0, 5}}),
            (Records{{"07A", "T", part, 4, "D", "MUE", 49, 27},
                     {"", "", part, 4, "", "SCH", 0, 0},
                     {"", "", part, 4, "", "KLE", 0, 0}}));
}

TEST(CoupledLesson, TeamTeachingAllowsARoomOnlyOnTheFirstLine) {  // case 1, rooms
  test::TestWorkspace t;
  EXPECT_EQ(run(t, {{1, "07A", "MUE", "D", "R1", 4, 1, 1},
                    {1, "07A", "SCH", "D", "", 4, 1, 1},
                    {2, "07A", "MUE", "D", "", 4, 1, 1},
                    {2, "07A", "SCH", "D", "R1", 4, 1, 1}}),
            (Records{{"07A", "T", part, 4, "D", "MUE", 4, 2},
                     {"", "", part, 4, "", "SCH", 0, 0},
                     {"07A", "", part, 4, "D", "MUE", 2, 1},
                     {"07A", "", part, 4, "D", "SCH", 2, 1}}));
}

TEST(CoupledLesson, OneTeacherWithSeveralClassesKeepsHoursOnTheFirst) {  // case 4
  test::TestWorkspace t;
  EXPECT_EQ(run(t, {{1, "07A", "MUE", "D", "R1", 3, 10, 12},
                    {1, "07B", "MUE", "D", "R1", 3, 0, 0, 25},
                    {1, "07C", "MUE", "D", "R1", 3, 9, 9}}),
            (Records{{"07A", "T", part, 3, "D", "MUE", 22, 12},
                     {"07B", "T", "", 0, "", "", 25, 0},
                     {"07C", "T", "", 0, "", "", 18, 9}}));
}

TEST(CoupledLesson, OtherCombinationsOnlyEndTheMarking) {  // case 7
  test::TestWorkspace t;
  // Rows 1/2 are team teaching; row 3 (another class and teacher) ends it, so rows 3/4
  // are marked again.
  EXPECT_EQ(run(t, {{1, "07A", "MUE", "D", "R1", 2, 1, 1},
                    {1, "07A", "SCH", "D", "R1", 2, 1, 2},
                    {1, "07B", "MEI", "E", "R2", 2, 2, 2},
                    {1, "07B", "KLE", "E", "R2", 2, 3, 3}}),
            (Records{{"07A", "T", part, 2, "D", "MUE", 5, 3},
                     {"", "", part, 2, "", "SCH", 0, 0},
                     {"07B", "T", part, 2, "E", "MEI", 10, 5},
                     {"", "", part, 2, "", "KLE", 0, 0}}));
}

TEST(CoupledLesson, VocationalTeamTeachingPutsAllPupilsOnTheFirst) {  // case 1 BK
  test::TestWorkspace t("BK=Berufskolleg");
  EXPECT_EQ(run(t, {{1, "ITA1", "MUE", "D", "R1", 2, 15, 5},
                    {1, "ITA1", "SCH", "D", "R1", 2, 15, 5},
                    {1, "ITA1", "KLE", "D", "R1", 2, 0, 0, 7}}),
            (Records{{"ITA1", "A", "", 2, "D", "MUE", 47, 10},
                     {"", "", "", 2, "", "SCH", 0, 0},
                     {"", "", "", 2, "", "KLE", 0, 0}}));
}

TEST(CoupledLesson, VocationalSameTeacherNameSameRoomAndSubject) {  // case 2 BK
  test::TestWorkspace t("BK=Berufskolleg");
  // Both lines cut to the teacher code "MUELLE", and the subjects differ only in case:
  // two rows that are the same class, room, subject and teacher.
  EXPECT_EQ(run(t, {{1, "ITA1", "MUELLER1", "D", "R1", 2, 15, 5},
                    {1, "ITA1", "MUELLER2", "D", "R1", 2, 14, 6},
                    {2, "ITB1", "SCH", "E", "R2", 3, 10, 1},
                    {2, "ITB1", "SCH", "e", "R2", 3, 11, 2}}),
            (Records{{"ITA1", "A", "", 2, "D", "MUELLE", 40, 11},
                     {"", "", "", 2, "", "MUELLE", 0, 0},
                     {"ITB1", "A", "", 3, "E", "SCH", 24, 3},
                     {"", "", "", 3, "", "SCH", 0, 0}}));
}

TEST(CoupledLesson, VocationalOneTeacherSeveralClasses) {  // case 3 BK
  test::TestWorkspace t("BK=Berufskolleg");
  EXPECT_EQ(run(t, {{1, "ITA1", "MUE", "D", "R1", 2, 15, 5},
                    {1, "ITB1", "MUE", "D", "R2", 2, 12, 3},
                    {1, "ITC1", "MUE", "E", "R3", 2, 0, 0, 9}}),
            (Records{{"ITA1", "A", "", 2, "D", "MUE", 20, 5},
                     {"ITB1", "A", "", 0, "", "", 15, 3},
                     {"ITC1", "A", "", 0, "", "", 9, 0}}));
}

TEST(CoupledLesson, VocationalOtherTeachersKeepTheirRecordAndBorrowAMissingSubject) {  // case 5
  test::TestWorkspace t("BK=Berufskolleg");
  EXPECT_EQ(run(t, {{1, "ITA1", "MUE", "D", "R1", 2, 15, 5},
                    {1, "ITB1", "SCH", "E", "R2", 3, 12, 3},
                    {1, "ITC1", "KLE", "", "R3", 3, 10, 0},
                    {1, "ITD1", "MEI", "", "R4", 3, 10, 0}}),
            (Records{{"ITA1", "", "", 2, "D", "MUE", 0, 0},
                     {"ITB1", "", "", 3, "E", "SCH", 0, 0},
                     {"ITC1", "", "", 3, "E", "KLE", 0, 0},
                     {"ITD1", "", "", 3, "E", "MEI", 0, 0}}));
}

TEST(CoupledLesson, VocationalRowsWithoutTeacherGetTheLessonsPupils) {  // cases 6 and 4 BK
  test::TestWorkspace t("BK=Berufskolleg");
  EXPECT_EQ(run(t, {{1, "ITA1", "MUE", "D", "R1", 2, 15, 5},
                    {1, "ITB1", "", "E", "R2", 2, 12, 3},
                    {1, "ITC1", "", "F", "R3", 2, 10, 2},
                    {1, "ITD1", "", "F", "R4", 2, 0, 0, 8}}),
            (Records{{"ITA1", "", "", 2, "D", "MUE", 0, 0},
                     {"ITB1", "", "", 2, "E", "", 0, 0},
                     {"ITC1", "T", "", 2, "F", "", 55, 10},
                     {"ITD1", "T", "", 0, "", "", 8, 0}}));
}

TEST(CoupledLesson, SingleLessonsAreNotCoupled) {
  test::TestWorkspace t("BK=Berufskolleg");
  EXPECT_EQ(
      run(t, {{1, "ITA1", "MUE", "D", "R1", 2, 15, 5}, {2, "ITA1", "SCH", "D", "R1", 2, 15, 5}}),
      (Records{{"ITA1", "", "", 2, "D", "MUE", 0, 0}, {"ITA1", "", "", 2, "D", "SCH", 0, 0}}));
}

}  // namespace
}  // namespace velmoran::transfer
