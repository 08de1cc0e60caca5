#include "transfer/untis_uvd.h"

#include <gtest/gtest.h>

#include "core/transfer/lesson_lines.h"
#include "store/bulk.h"
#include "support/test_workspace.h"

namespace velmoran::transfer {
namespace {

using app::Page;
using test::LessonLine;
using test::UvdRecord;

const Text caption =
    "Velmoran 2021 / Datenübernahme aus der Unterrichtsverteilung nach UVD-Tabelle übernehmen";

std::vector<double> hours(store::Table& uvd) {
  std::vector<double> values;
  for (const UvdRecord& r : test::uvdRecords(uvd)) values.push_back(r.wstd);
  return values;
}

std::vector<UvdRecord> run(test::TestWorkspace& t, const std::vector<LessonLine>& lines) {
  test::addLines(t.table(Page::Gpsul), lines);
  untisUvd(t.ws(), t.ui());
  return test::uvdRecords(t.table(Page::Uvd));
}

TEST(UntisUvd, EmptyGpsulWarnsAndLeavesEveryTableAsItWas) {
  test::TestWorkspace t;
  store::Table& uvd = t.table(Page::Uvd);
  uvd.append();
  uvd.put("KLASSE", "05A");
  uvd.flush();
  t.table(Page::Fach).append();
  t.table(Page::Fach).put("FACHALT", "XY");
  t.table(Page::Klasse).append();
  t.table(Page::Klasse).put("KLASSE_ALT", "Kurs");
  const std::string before = test::snapshot(uvd) + test::snapshot(t.table(Page::Fach)) +
                             test::snapshot(t.table(Page::Klasse));
  untisUvd(t.ws(), t.ui());
  const auto& m = t.ui().onlyMessage();
  EXPECT_EQ(m.kind, "warning");
  EXPECT_EQ(m.caption, caption);
  EXPECT_EQ(m.text, "Sie haben noch keine Daten aus Untis eingelesen !");
  EXPECT_EQ(test::snapshot(uvd) + test::snapshot(t.table(Page::Fach)) +
                test::snapshot(t.table(Page::Klasse)),
            before);
  EXPECT_TRUE(t.ui().pagesShown.empty());
}

TEST(UntisUvd, GpsulWithOnlyDeletedRecordsCountsAsEmpty) {
  test::TestWorkspace t;
  test::addLines(t.table(Page::Gpsul), {{1, "05A", "MUE", "D", "", 4}});
  store::markAllDeleted(t.table(Page::Gpsul));
  untisUvd(t.ws(), t.ui());
  EXPECT_EQ(t.ui().onlyMessage().text, "Sie haben noch keine Daten aus Untis eingelesen !");
  EXPECT_EQ(t.table(Page::Uvd).lastRec(), 0u);
}

TEST(UntisUvd, ReplacesUvdShowsItsPageAndReportsCompletion) {
  test::TestWorkspace t;
  store::Table& uvd = t.table(Page::Uvd);
  uvd.append();
  uvd.put("KLASSE", "ALT");
  uvd.flush();
  t.ui().answers = {true};  // to the question before the old record goes
  auto records = run(t, {{1, "05A", "MUE", "D", "R1", 4, 10, 12}});
  EXPECT_EQ(records, (std::vector<UvdRecord>{{"05A", "", "", 4, "D", "MUE", 22, 12}}));
  EXPECT_EQ(uvd.lastRec(), 2u);  // the old record stays, marked, until the next pack
  EXPECT_EQ(t.ui().pagesShown, std::vector<int>{2});
  ASSERT_EQ(t.ui().messages.size(), 2u);
  EXPECT_EQ(t.ui().messages[0].kind, "question");
  const auto& m = t.ui().messages[1];
  EXPECT_EQ(m.kind, "info");
  EXPECT_EQ(m.caption, caption);
  EXPECT_EQ(m.text, "Die Übernahme der Daten ist abgeschlossen !");
  t.restart();
  EXPECT_EQ(t.table(Page::Uvd).lastRec(), 1u);
}

TEST(UntisUvd, LinesOfOneLessonWithTheSameClassTeacherAndSubjectBecomeOneRecord) {
  test::TestWorkspace t;
  // Pupils are male + female when that is above 0, else the total.
  auto records = run(t, {{7, "06B", "MUE", "E", "R1", 3, 4, 5},
                         {7, "06B", "MUE", "E", "R2", 3, 0, 0, 11},
                         {8, "06B", "MUE", "E", "R1", 2, 1, 1}});
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].pupils, 20);
  EXPECT_EQ(records[0].female, 5);
  EXPECT_EQ(records[0].wstd, 3);
  EXPECT_EQ(records[1].pupils, 2);
}

TEST(UntisUvd, LessonsFollowTheLessonNumberNotTheRecordOrder) {
  test::TestWorkspace t;
  store::Table& gpsul = t.table(Page::Gpsul);
  gpsul.setOrder(2);  // the page shows GPSUL by class
  auto records = run(
      t,
      {{30, "07A", "C", "M", "", 1}, {10, "08A", "A", "D", "", 1}, {20, "09A", "B", "E", "", 1}});
  EXPECT_EQ(test::column(t.table(Page::Uvd), "LEHRER"), (std::vector<Text>{"A", "B", "C"}));
  EXPECT_EQ(gpsul.order(), 2);
  EXPECT_EQ(gpsul.recno(), 1u);  // the first by class
}

TEST(UntisUvd, ClassesOfTheYearSchoolFormsAreNormalised) {
  test::TestWorkspace t("R =Realschule");
  auto records = run(t, {{1, "5.1", "A", "D", "", 1},
                         {2, "10.2", "A", "D", "", 1},
                         {3, "EF", "A", "D", "", 1},
                         {4, "9.9", "A", "D", "", 1},
                         {5, "6", "A", "D", "", 1}});
  EXPECT_EQ(test::column(t.table(Page::Uvd), "KLASSE"),
            (std::vector<Text>{"05A", "10B", "EF", "09I", "06"}));
}

TEST(UntisUvd, OtherSchoolFormsKeepTheUntisClassName) {
  test::TestWorkspace t("G =Grundschule");
  run(t, {{1, "5.1", "A", "D", "", 1}});
  EXPECT_EQ(test::column(t.table(Page::Uvd), "KLASSE"), std::vector<Text>{"5.1"});
}

TEST(UntisUvd, LinesWithoutClassAreLeftOutButCountAsLinesOfTheLesson) {
  test::TestWorkspace t;
  // Lesson 1: the "?" line makes it coupled, so the course kind 00 applies to the other.
  auto records = run(t, {{1, "?", "MUE", "D", "", 2},
                         {1, "05A", "MUE", "D", "", 2},
                         {1, "  ", "MUE", "D", "", 2},
                         {2, "06A", "SCH", "E", "", 3},
                         {3, "", "SCH", "E", "", 3}});
  ASSERT_EQ(records.size(), 2u);
  // The "?" line starts no lesson, so lesson 1 begins on the 05A line and has one more line.
  EXPECT_EQ(records[0].klasse, "05A");
  EXPECT_EQ(records[0].kursart, "00=Pflichtunterricht für Teile von Klassen");
  EXPECT_EQ(records[1].klasse, "06A");
  EXPECT_EQ(records[1].kursart, "");
}

// GPSUL is read in pieces of some hundred lines while the lessons are made: a coupled
// lesson comes out the same wherever the pieces end, also when one ends inside it.
TEST(UntisUvd, ALessonComesOutTheSameWhereverItLiesInALongGpsul) {
  const std::vector<LessonLine> coupled = {{5000, "?", "MUE", "D", "", 2},
                                           {5000, "05A", "MUE", "D", "", 2, 10, 12},
                                           {5000, "05B", "SCH", "D", "", 2, 9, 11},
                                           {5000, "05A", "MUE", "D", "", 2, 1, 2},
                                           {5000, "", "MUE", "D", "", 2}};
  std::vector<UvdRecord> alone;
  {
    test::TestWorkspace t;
    alone = run(t, coupled);
  }
  ASSERT_EQ(alone.size(), 2u);
  for (int before : {508, 509, 510, 511, 512, 1020}) {
    std::vector<LessonLine> lines;
    for (int i = 1; i <= before; ++i)
      lines.emplace_back(i, "06A", "A" + std::to_string(i % 50), "E", "", 1);
    lines.insert(lines.end(), coupled.begin(), coupled.end());
    lines.emplace_back(6000, "07A", "LEH", "M", "", 3);
    test::TestWorkspace t;
    const auto records = run(t, lines);
    ASSERT_EQ(records.size(), static_cast<std::size_t>(before) + 3) << before;
    EXPECT_EQ(std::vector<UvdRecord>(records.end() - 3, records.end() - 1), alone) << before;
    EXPECT_EQ(records.back().klasse, "07A") << before;
  }
}

TEST(UntisUvd, ALessonWhoseFirstRowHasNoTeacherIsLeftOut) {
  test::TestWorkspace t;
  auto records = run(
      t,
      {{1, "05A", "", "D", "", 2}, {1, "05B", "MUE", "D", "", 2}, {2, "06A", "SCH", "E", "", 3}});
  EXPECT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].lehrer, "SCH");
}

TEST(UntisUvd, TeacherIsCutToSixCharactersAndSubjectAndRoomUpperCased) {
  test::TestWorkspace t;
  auto records = run(t, {{1, "05A", "Mueller", "ku", "", 2}});
  EXPECT_EQ(records[0].lehrer, "Muelle");
  EXPECT_EQ(records[0].fach, "KU");
}

TEST(UntisUvd, BilingualLetterIsTheThirdCharacterOfTheSubject) {
  test::TestWorkspace t;
  run(t, {{1, "07A", "A", "BIE", "", 2},
          {2, "07A", "A", "EKF", "", 2},
          {3, "07A", "A", "GEX", "", 2},
          {4, "07A", "A", "ge", "", 2},
          {5, "07A", "A", "mUz", "", 2}});
  EXPECT_EQ(test::column(t.table(Page::Uvd), "BILINGUAL"),
            (std::vector<Text>{"E", "F", "", "", "Z"}));
}

TEST(UntisUvd, HoursWithoutTheMinuteModelRoundHalvesUpAndNeverGiveZero) {
  test::TestWorkspace t;
  run(t, {{1, "05A", "A", "D", "", 2.5},
          {2, "05A", "A", "D", "", 0},
          {3, "05A", "A", "D", "", 0.4},
          {4, "05A", "A", "D", "", 1.5},
          {5, "05A", "A", "D", "", 2.499}});
  EXPECT_EQ(hours(t.table(Page::Uvd)), (std::vector<double>{3, 1, 1, 2, 2}));
}

TEST(UntisUvd, HoursUnderTheMinuteModelAreMinutes) {
  test::TestWorkspace t;
  t.ws().settings.minuteModel = "J";
  t.ws().settings.minutes = "45,00";
  run(t, {{1, "05A", "A", "D", "", 2}, {2, "05A", "A", "D", "", 0}, {3, "05A", "A", "D", "", 1.1}});
  EXPECT_EQ(hours(t.table(Page::Uvd)), (std::vector<double>{90, 45, 50}));
}

TEST(UntisUvd, MinutesWithADecimalCommaRoundTheProductButFillZeroWithTheMinutes) {
  test::TestWorkspace t;
  t.ws().settings.minuteModel = "J";
  t.ws().settings.minutes = "62,25";
  run(t, {{1, "05A", "A", "D", "", 1}, {2, "05A", "A", "D", "", 0}, {3, "05A", "A", "D", "", 2}});
  EXPECT_EQ(hours(t.table(Page::Uvd)), (std::vector<double>{62, 62.25, 125}));
}

TEST(UntisUvd, BlankMinutesMeanFortyFive) {
  test::TestWorkspace t;
  t.ws().settings.minuteModel = "J";
  t.ws().settings.minutes = "     ";
  run(t, {{1, "05A", "A", "D", "", 0.5}});
  EXPECT_EQ(hours(t.table(Page::Uvd)), std::vector<double>{23});
}

TEST(UntisUvd, VocationalCollegesWriteNoPupils) {
  test::TestWorkspace t("BK=Berufskolleg");
  auto records = run(t, {{1, "ITA1", "A", "D", "", 2, 10, 5}});
  EXPECT_EQ(records[0].pupils, 0);
  EXPECT_EQ(records[0].female, 0);
}

TEST(UntisUvd, RunningTwiceGivesTheSameUvdAndRegistersNothingMore) {
  test::TestWorkspace t;
  test::addLines(t.table(Page::Gpsul), {{1, "Kurs1", "A", "XYZ", "R1", 2, 3, 4},
                                        {1, "Kurs1", "B", "XYZ", "R1", 2, 3, 4},
                                        {2, "5.1", "C", "PH", "", 2, 3, 4}});
  untisUvd(t.ws(), t.ui());
  const auto first = test::uvdRecords(t.table(Page::Uvd));
  const auto fach = test::column(t.table(Page::Fach), "FACHALT");
  const auto klasse = test::column(t.table(Page::Klasse), "KLASSE_ALT");
  untisUvd(t.ws(), t.ui());
  EXPECT_EQ(test::uvdRecords(t.table(Page::Uvd)), first);
  EXPECT_EQ(test::column(t.table(Page::Fach), "FACHALT"), fach);
  EXPECT_EQ(test::column(t.table(Page::Klasse), "KLASSE_ALT"), klasse);
  EXPECT_EQ(fach, std::vector<Text>{"XYZ"});
  EXPECT_EQ(klasse, std::vector<Text>{"Kurs1"});
}

TEST(UntisUvd, ConversionTablesKeepTheirOrderAndStandOnTheirFirstRecord) {
  test::TestWorkspace t;
  store::Table& fach = t.table(Page::Fach);
  fach.append();
  fach.put("FACHALT", "ZZZ");
  fach.setOrder(0);
  run(t, {{1, "05A", "A", "AAA", "", 2}});
  EXPECT_EQ(fach.order(), 0);
  EXPECT_EQ(fach.recno(), 1u);
  EXPECT_EQ(test::column(fach, "FACHALT"), (std::vector<Text>{"ZZZ", "AAA"}));
}

}  // namespace
}  // namespace velmoran::transfer
