#include "transfer/conversion.h"

#include <gtest/gtest.h>

#include "core/transfer/lesson_lines.h"
#include "support/test_workspace.h"

namespace velmoran::transfer {
namespace {

using app::Page;
using test::UvdRecord;
using Records = std::vector<UvdRecord>;

const Text kursGk = "71=Grundkurs";
const Text kursLk = "72=Leistungskurs";

void addUvd(store::Table& uvd, const Records& records) {
  for (const UvdRecord& r : records) {
    uvd.append();
    uvd.put("KLASSE", r.klasse);
    uvd.put("KURSART", r.kursart);
    uvd.put("WSTD", r.wstd);
    uvd.put("FACH", r.fach);
    uvd.put("LEHRER", r.lehrer);
    uvd.put("JAHRGANG", r.jahrgang);
  }
  uvd.flush();
}

void addFach(store::Table& fach, const Text& alt, const Text& neu, const Text& kursart) {
  fach.append();
  fach.put("FACHALT", alt);
  fach.put("FACHNEU", neu);
  fach.put("KURSART", kursart);
  fach.flush();
}

void addKlasse(store::Table& klasse, const Text& alt, const Text& neu, const Text& jahrgang,
               const Text& kursart) {
  klasse.append();
  klasse.put("KLASSE_ALT", alt);
  klasse.put("KLASSE_NEU", neu);
  klasse.put("JAHRGANG", jahrgang);
  klasse.put("KURSART", kursart);
  klasse.flush();
}

UvdRecord rec(Text klasse, Text fach, Text kursart = "", Text jahrgang = "") {
  return {std::move(klasse),  "", std::move(kursart), 2, std::move(fach), "A", 0, 0, "",
          std::move(jahrgang)};
}

TEST(Conversion, BothWarnOnAnEmptyUvdAndChangeNothing) {
  test::TestWorkspace t;
  addFach(t.table(Page::Fach), "XYZ", "PH=Physik", "");
  addKlasse(t.table(Page::Klasse), "Kurs1", "05A", "", "");
  const std::string before =
      test::snapshot(t.table(Page::Fach)) + test::snapshot(t.table(Page::Klasse));
  konvertItems(t.ws(), t.ui());
  konvertClasses(t.ws(), t.ui());
  ASSERT_EQ(t.ui().messages.size(), 2u);
  EXPECT_EQ(t.ui().messages[0].kind, "warning");
  EXPECT_EQ(t.ui().messages[0].caption, "Velmoran 2021 / Fächerkonvertierung");
  EXPECT_EQ(t.ui().messages[0].text, "Es sind keine Daten zum Konvertieren vorhanden !");
  EXPECT_EQ(t.ui().messages[1].kind, "warning");
  EXPECT_EQ(t.ui().messages[1].caption, "Velmoran 2021 / Klassenkonvertierung");
  EXPECT_EQ(t.ui().messages[1].text, "Es sind keine Daten zum Konvertieren vorhanden !");
  EXPECT_EQ(test::snapshot(t.table(Page::Fach)) + test::snapshot(t.table(Page::Klasse)), before);
  EXPECT_EQ(t.table(Page::Uvd).lastRec(), 0u);
}

TEST(KonvertItems, ReplacesExactlyNamedSubjectsByTheNewKeyAndCourseKind) {
  test::TestWorkspace t;
  store::Table& uvd = t.table(Page::Uvd);
  addUvd(uvd, {rec("05A", "XYZ", kursGk), rec("06A", "xyz"), rec("07A", "XY"), rec("08A", "LAT"),
               rec("09A", "LATEIN"), rec("10A", "XYZ")});
  addFach(t.table(Page::Fach), "XYZ", "PH=Physik", kursLk);
  addFach(t.table(Page::Fach), "LATEIN", "L6=Latein ab Klasse 6", "");
  addFach(t.table(Page::Fach), "LAT", "", kursLk);
  uvd.goTo(6);
  uvd.remove();
  konvertItems(t.ws(), t.ui());
  // "xyz" is found through the upper-case index but is not named alike; "XY" finds "XYZ"
  // first and is not named alike either; "LAT" has no new name.
  EXPECT_EQ(test::uvdRecords(uvd),
            (Records{rec("05A", "PH", kursLk), rec("06A", "xyz"), rec("07A", "XY"),
                     rec("08A", "LAT"), rec("09A", "L6")}));
  uvd.showDeleted(true);
  uvd.goTo(6);
  EXPECT_EQ(trimRight(uvd.getText("FACH")), "XYZ");
  uvd.showDeleted(false);
  const auto& m = t.ui().onlyMessage();
  EXPECT_EQ(m.kind, "info");
  EXPECT_EQ(m.caption, "Velmoran 2021 / Fächerkonvertierung");
  EXPECT_EQ(m.text, "Die Übertragung der Fächer ist abgeschlossen !");
}

TEST(KonvertItems, AnEmptySubjectIsConvertedOnlyByARecordForTheEmptyName) {
  test::TestWorkspace t;
  store::Table& uvd = t.table(Page::Uvd);
  addUvd(uvd, {rec("", "", kursGk)});
  addFach(t.table(Page::Fach), "ABC", "D =Deutsch", "");
  konvertItems(t.ws(), t.ui());
  EXPECT_EQ(test::uvdRecords(uvd), (Records{rec("", "", kursGk)}));
  addFach(t.table(Page::Fach), "", "SP=Sport", "");
  konvertItems(t.ws(), t.ui());
  EXPECT_EQ(test::uvdRecords(uvd), (Records{rec("", "SP")}));
}

TEST(KonvertItems, RunsOnlyOnWhatMatchesAndLeavesFachInItsOrderOnTheFirstRecord) {
  test::TestWorkspace t;
  store::Table& uvd = t.table(Page::Uvd);
  addUvd(uvd, {rec("05A", "XYZ"), rec("05A", "PH")});
  store::Table& fach = t.table(Page::Fach);
  addFach(fach, "XYZ", "PH=Physik", kursLk);
  addFach(fach, "PH", "CH=Chemie", kursGk);
  fach.setOrder(0);
  fach.goTo(2);
  const std::string before = test::snapshot(fach);
  konvertItems(t.ws(), t.ui());
  konvertItems(t.ws(), t.ui());
  // The new key PH is itself an old name, so the second run converts again.
  EXPECT_EQ(test::uvdRecords(uvd), (Records{rec("05A", "CH", kursGk), rec("05A", "CH", kursGk)}));
  EXPECT_EQ(fach.order(), 0);
  EXPECT_EQ(fach.recno(), 1u);
  EXPECT_EQ(test::snapshot(fach), before);
  EXPECT_EQ(uvd.recno(), 1u);
}

TEST(KonvertClasses, GymnasiumYearGroupWithCourseKindReplacesTheClass) {
  test::TestWorkspace t("GY=Gymnasium");
  store::Table& uvd = t.table(Page::Uvd);
  addUvd(uvd, {rec("Q1", "D", "00=x"), rec("Q2", "D", "00=x"), rec("EF", "D", "00=x")});
  addKlasse(t.table(Page::Klasse), "Q1", "Q1", "12", kursGk);
  addKlasse(t.table(Page::Klasse), "Q2", "Q2", "13", "");
  addKlasse(t.table(Page::Klasse), "EF", "EF", "", kursLk);
  konvertClasses(t.ws(), t.ui());
  EXPECT_EQ(test::uvdRecords(uvd), (Records{rec("12", "D", kursGk, "12"), rec("Q2", "D", "", "13"),
                                            rec("EF", "D", kursLk, "")}));
  const auto& m = t.ui().onlyMessage();
  EXPECT_EQ(m.kind, "info");
  EXPECT_EQ(m.caption, "Velmoran 2021 / Klassenkonvertierung");
  EXPECT_EQ(m.text, "Die Übertragung der Klassen ist abgeschlossen !");
}

TEST(KonvertClasses, VocationalCollegesTakeTheCourseKindOnlyWithoutYearGroup) {
  test::TestWorkspace t("BK=Berufskolleg");
  store::Table& uvd = t.table(Page::Uvd);
  addUvd(uvd, {rec("ITA12345", "D", "00=x"), rec("Fachoberschule", "D", "00=x")});
  addKlasse(t.table(Page::Klasse), "ITA12345", "ITA123", "11", kursGk);
  addKlasse(t.table(Page::Klasse), "Fachoberschule", "FOS", "", kursLk);
  konvertClasses(t.ws(), t.ui());
  EXPECT_EQ(test::uvdRecords(uvd),
            (Records{rec("ITA123", "D", "00=x", "11"), rec("FOS", "D", kursLk, "")}));
}

TEST(KonvertClasses, FurtherEducationCollegesAreNotTreatedAsVocationalHere) {
  test::TestWorkspace t("WB=Weiterbildungskolleg");
  store::Table& uvd = t.table(Page::Uvd);
  addUvd(uvd, {rec("Kurs1", "D", "00=x")});
  addKlasse(t.table(Page::Klasse), "Kurs1", "K1", "11", kursGk);
  konvertClasses(t.ws(), t.ui());
  EXPECT_EQ(test::uvdRecords(uvd), (Records{rec("11", "D", kursGk, "11")}));
}

TEST(KonvertClasses, AClassTakesTheFirstRecordBeginningWithItsName) {
  test::TestWorkspace t;
  store::Table& uvd = t.table(Page::Uvd);
  addUvd(uvd, {rec("05", "D"), rec("05a", "D"), rec("06", "D"), rec("", "D", "00=x")});
  store::Table& klasse = t.table(Page::Klasse);
  addKlasse(klasse, "05B", "05X", "", "");
  addKlasse(klasse, "05A", "05Y", "", kursGk);
  addKlasse(klasse, "06", "", "6", kursGk);
  addKlasse(klasse, "", "99", "9", kursGk);
  konvertClasses(t.ws(), t.ui());
  // "05" finds "05A" (the first key in index order); "06" has no new name; the empty class
  // is never converted.
  EXPECT_EQ(test::uvdRecords(uvd), (Records{rec("05Y", "D", kursGk), rec("05Y", "D", kursGk),
                                            rec("06", "D"), rec("", "D", "00=x")}));
}

}  // namespace
}  // namespace velmoran::transfer
