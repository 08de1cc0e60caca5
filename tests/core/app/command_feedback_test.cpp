// What the commands tell the person besides their message boxes: the status line each import,
// transfer, conversion, writer, backup and restore leaves, and the questions asked before
// work is lost or a file that ASDPC rejects is written.

#include <gtest/gtest.h>

#include <filesystem>

#include "asdpc/lehrer_asd_writer.h"
#include "asdpc/uvd_txt_writer.h"
#include "backup/backup.h"
#include "backup/restore.h"
#include "core/transfer/lesson_lines.h"
#include "store/bulk.h"
#include "store/code_page.h"
#include "support/test_workspace.h"
#include "transfer/conversion.h"
#include "transfer/untis_uvd.h"
#include "untis/gpu002_import.h"
#include "untis/gpu004_import.h"
#include "untis/lehrer_txt_import.h"
#include "untis/uvd_txt_import.h"

namespace velmoran {
namespace {

namespace fs = std::filesystem;
using app::Page;
using app::WriteAnswer;
using test::LessonLine;

const Text transferCaption =
    "Velmoran 2021 / Datenübernahme aus der Unterrichtsverteilung nach UVD-Tabelle übernehmen";
const Text errorsFound = "Die Prüfung hat 1 Fehler gefunden, die ASDPC zurückweisen wird.";

fs::path fixture(const char* relative) { return test::sourceDir() / "tests/fixtures" / relative; }

// Two lessons of a Gymnasium: one that needs nothing, and one whose subject (XYZ) and class
// (KURS12) the statistics does not know, so both are registered for converting.
void transferTwoLessons(test::TestWorkspace& t) {
  test::addLines(t.table(Page::Gpsul), {LessonLine(1, "05A", "MUE", "D", "R1", 4, 10, 12, 0),
                                        LessonLine(2, "KURS12", "SCH", "XYZ", "", 2, 5, 6, 0)});
  transfer::untisUvd(t.ws(), t.ui());
}

// A UVD record ASDPC rejects: a teacher with no weekly hours.
void addRejectedRecord(test::TestWorkspace& t) {
  store::Table& uvd = t.table(Page::Uvd);
  uvd.append();
  uvd.put("KLASSE", "05A");
  uvd.put("FACH", "D");
  uvd.put("LEHRER", "MUE");
  uvd.put("WSTD", 0.0);
  uvd.flush();
}

TEST(StatusLine, Gpu002ImportCountsTheLinesOfThisFileOnly) {
  test::TestWorkspace t;
  untis::importGpu002(t.ws(), t.ui(), fixture("untis/gpu002_comma/GPU002.TXT"));
  untis::importGpu002(t.ws(), t.ui(), fixture("untis/gpu002_comma/GPU002.TXT"));
  EXPECT_EQ(t.ui().statusLines, (std::vector<Text>{"GPU002.TXT: 3 Zeilen eingelesen",
                                                   "GPU002.TXT: 3 Zeilen eingelesen"}));
}

TEST(StatusLine, TransferCountsTheRecordsAndTheNamesStillNeeded) {
  test::TestWorkspace t;
  transferTwoLessons(t);
  EXPECT_EQ(t.ui().statusLines, (std::vector<Text>{"UVD: 2 Datensätze, 1 Fach und 1 Klasse "
                                                   "brauchen einen zulässigen Namen"}));
}

TEST(StatusLine, ConversionCountsTheRecordsItRewrote) {
  test::TestWorkspace t;
  transferTwoLessons(t);
  store::Table& fach = t.table(Page::Fach);
  fach.goTop();
  fach.put("FACHNEU", "PH=Physik");
  fach.flush();
  transfer::konvertItems(t.ws(), t.ui());
  transfer::konvertClasses(t.ws(), t.ui());
  EXPECT_EQ(t.ui().statusLines[1],
            "Fächerkonvertierung: 1 Datensatz umgesetzt, 1 Klasse braucht einen zulässigen Namen");
  EXPECT_EQ(t.ui().statusLines[2],
            "Klassenkonvertierung: 0 Datensätze umgesetzt, 1 Klasse "
            "braucht einen zulässigen Namen");
}

TEST(StatusLine, WritersNameTheFileAndWhatItHolds) {
  test::TestWorkspace t;
  transferTwoLessons(t);
  t.ws().settings.schoolNumber = "123456";
  t.ui().writeAnswers = {WriteAnswer::write, WriteAnswer::write};
  t.ui().files = {t.dir() / "UVD.TXT", t.dir() / "LEHRER_ASD.TXT"};
  asdpc::writeUvd(t.ws(), t.ui());
  asdpc::writeLehrerAsd(t.ws(), t.ui());
  ASSERT_EQ(t.ui().statusLines.size(), 3u);
  EXPECT_EQ(t.ui().statusLines[1],
            "UVD.TXT geschrieben: " + store::pathText(t.dir() / "UVD.TXT") + " (2 Datensätze)");
  // The school line and the lesson length: the teacher tables are empty.
  EXPECT_EQ(t.ui().statusLines[2], "LEHRER_ASD.TXT geschrieben: " +
                                       store::pathText(t.dir() / "LEHRER_ASD.TXT") + " (2 Zeilen)");
}

TEST(StatusLine, TeacherImportsCountNewAndKnownTeachersAndLines) {
  test::TestWorkspace t;
  untis::importGpu004(t.ws(), t.ui(), fixture("teacher/gy_hours/GPU004.TXT"));
  const std::uint32_t teachers = t.table(Page::Lehrer).lastRec() / 4;
  untis::importGpu004(t.ws(), t.ui(), fixture("teacher/gy_hours/GPU004.TXT"));
  untis::importLehrerTxt(t.ws(), t.ui(), fixture("teacher/gy_hours/LEHRER.TXT"));
  ASSERT_EQ(t.ui().statusLines.size(), 3u);
  EXPECT_EQ(t.ui().statusLines[0], "GPU004.TXT: " + std::to_string(teachers) +
                                       " Lehrer neu aufgenommen, 0 schon vorhanden");
  EXPECT_EQ(t.ui().statusLines[1], "GPU004.TXT: 0 Lehrer neu aufgenommen, " +
                                       std::to_string(teachers) + " schon vorhanden");
  EXPECT_EQ(
      t.ui().statusLines[2],
      "LEHRER.TXT: " + std::to_string(t.table(Page::MehrMinder).lastRec()) + " Zeilen eingelesen");
}

TEST(StatusLine, UvdTxtImportCountsTheRecordLines) {
  test::TestWorkspace t;
  untis::importUvd(t.ws(), t.ui(), fixture("untis/uvd_written/UVD.TXT"));
  const std::size_t records = t.table(Page::Uvd).visibleRecnos().size();
  ASSERT_GT(records, 0u);
  EXPECT_EQ(t.ui().statusLines,
            (std::vector<Text>{"UVD.TXT: " + std::to_string(records) + " Zeilen eingelesen"}));
}

TEST(StatusLine, BackupSaysWhatItSavedAndWhen) {
  test::TestWorkspace t;
  backup::saveData(t.ws(), t.ui());
  EXPECT_EQ(t.ui().statusLines,
            (std::vector<Text>{"Datensicherung: 8 Dateien nach SECURE gesichert"}));
  const test::Message& m = t.ui().onlyMessage();
  EXPECT_EQ(m.kind, "info");
  EXPECT_EQ(m.caption, "Velmoran 2021 / Datensicherung");
  EXPECT_EQ(m.text, "Am " + Date::today().format() + " wurden 8 Dateien nach " +
                        store::pathText(t.dir() / "SECURE") +
                        " gesichert:\r\ngpsul.dbf\r\nfach.dbf\r\nklasse.dbf\r\nlehrer.dbf\r\n"
                        "mehr_minder.dbf\r\nuvd.dbf\r\nzulfach.dbf\r\nvelmoran.ini");
}

TEST(Question, TransferAsksBeforeItRebuildsUvdAndNoKeepsIt) {
  test::TestWorkspace t;
  transferTwoLessons(t);
  store::Table& uvd = t.table(Page::Uvd);
  uvd.goTop();
  uvd.put("JAHRGANG", "05");  // mended by hand
  uvd.flush();
  const std::string before = test::snapshot(uvd);
  t.ui().messages.clear();
  transfer::untisUvd(t.ws(), t.ui());
  const test::Message& m = t.ui().onlyMessage();
  EXPECT_EQ(m.kind, "question");
  EXPECT_EQ(m.caption, transferCaption);
  EXPECT_EQ(m.text,
            "Die UVD-Tabelle enthält 2 Datensätze. Sie werden neu aufgebaut; Änderungen "
            "daran gehen verloren. Fortfahren?");
  EXPECT_EQ(test::snapshot(uvd), before);

  t.ui().answers = {true};
  transfer::untisUvd(t.ws(), t.ui());
  EXPECT_EQ(test::column(uvd, "JAHRGANG"), (std::vector<Text>{"", ""}));
}

TEST(Question, TransferDoesNotAskWhenUvdHoldsOnlyDeletedRecords) {
  test::TestWorkspace t;
  addRejectedRecord(t);
  store::markAllDeleted(t.table(Page::Uvd));
  test::addLines(t.table(Page::Gpsul), {LessonLine(1, "05A", "MUE", "D", "R1", 4)});
  transfer::untisUvd(t.ws(), t.ui());
  EXPECT_EQ(t.ui().onlyMessage().kind, "info");
  EXPECT_EQ(t.table(Page::Uvd).visibleRecnos().size(), 1u);
}

TEST(Question, WritingUvdTxtWithAnErrorAsksAndNoWritesNothing) {
  test::TestWorkspace t;
  addRejectedRecord(t);
  t.ui().files = {t.dir() / "UVD.TXT"};
  EXPECT_TRUE(asdpc::writeUvd(t.ws(), t.ui()).empty());
  const test::Message& m = t.ui().onlyMessage();
  EXPECT_EQ(m.kind, "question");
  EXPECT_EQ(m.caption, "Velmoran 2021 / UVD.TXT schreiben");
  EXPECT_EQ(m.text, errorsFound + " Trotzdem schreiben?");
  EXPECT_TRUE(t.ui().fileRequests.empty());
  EXPECT_FALSE(fs::exists(t.dir() / "UVD.TXT"));
}

TEST(Question, WritingUvdTxtAnyway) {
  test::TestWorkspace t;
  addRejectedRecord(t);
  t.ui().writeAnswers = {WriteAnswer::write};
  t.ui().files = {t.dir() / "UVD.TXT"};
  asdpc::writeUvd(t.ws(), t.ui());
  EXPECT_TRUE(fs::exists(t.dir() / "UVD.TXT"));
  EXPECT_EQ(t.ui().messages.back().text, "Der Export der Daten ist abgeschlossen !");
}

TEST(Question, ChoosingTheListWritesNothingAndHandsOverTheFindings) {
  test::TestWorkspace t;
  addRejectedRecord(t);
  t.ui().writeAnswers = {WriteAnswer::showFindings};
  t.ui().files = {t.dir() / "UVD.TXT"};
  const std::vector<asdpc::Finding> findings = asdpc::writeUvd(t.ws(), t.ui());
  EXPECT_TRUE(asdpc::hasErrors(findings));
  for (const auto& f : findings) EXPECT_EQ(f.file, "UVD.TXT");
  EXPECT_FALSE(fs::exists(t.dir() / "UVD.TXT"));
}

TEST(Question, NotesAloneDoNotAsk) {
  test::TestWorkspace t;
  store::Table& uvd = t.table(Page::Uvd);
  uvd.append();
  uvd.put("KLASSE", "05A");
  uvd.put("FACH", "D");
  uvd.put("LEHRER", "MUE");
  uvd.put("WSTD", 2.5);  // rounded up on writing: a note
  uvd.flush();
  t.ui().files = {t.dir() / "UVD.TXT"};
  asdpc::writeUvd(t.ws(), t.ui());
  ASSERT_TRUE(asdpc::hasErrors(asdpc::checkFile(t.ws(), asdpc::uvdTxtFile)) == false);
  EXPECT_EQ(t.ui().onlyMessage().kind, "info");
}

TEST(Question, WritingLehrerAsdTxtChecksTheTeacherTablesOnly) {
  test::TestWorkspace t;
  addRejectedRecord(t);  // an error of UVD.TXT does not stop LEHRER_ASD.TXT
  t.ws().settings.schoolNumber = "123456";
  t.ui().files = {t.dir() / "LEHRER_ASD.TXT"};
  asdpc::writeLehrerAsd(t.ws(), t.ui());
  EXPECT_EQ(t.ui().onlyMessage().kind, "info");

  t.ws().settings.schoolNumber = "12";  // not six digits: ASDPC rejects it
  t.ui().messages.clear();
  asdpc::writeLehrerAsd(t.ws(), t.ui());
  const test::Message& m = t.ui().onlyMessage();
  EXPECT_EQ(m.kind, "question");
  EXPECT_EQ(m.caption, "Velmoran 2021 / LEHRER_ASD.TXT schreiben");
  EXPECT_EQ(m.text, errorsFound + " Trotzdem schreiben?");
}

TEST(Question, RestoreNamesTheCopiesItWillPutBackAndNoKeepsTheFiles) {
  test::TestWorkspace t;
  backup::saveData(t.ws(), t.ui());
  addRejectedRecord(t);
  const std::string before = test::snapshot(t.table(Page::Uvd));
  fs::remove(t.dir() / "SECURE" / "fach.dbf");
  t.ui().messages.clear();
  EXPECT_FALSE(backup::restoreData(t.ws(), t.ui(), {"uvd.dbf", "fach.dbf", "VELMORAN.INI"}));
  const test::Message& m = t.ui().onlyMessage();
  EXPECT_EQ(m.kind, "question");
  EXPECT_EQ(m.caption, "Velmoran 2021 / Daten aus Sicherung einlesen");
  EXPECT_EQ(m.text,
            "Aus der Sicherung zurückholen: uvd.dbf, VELMORAN.INI. Die jetzigen Dateien "
            "werden dabei überschrieben. Fortfahren?");
  EXPECT_EQ(test::snapshot(t.table(Page::Uvd)), before);
}

TEST(Question, RestoreReportsWhatCameBack) {
  test::TestWorkspace t;
  backup::saveData(t.ws(), t.ui());
  addRejectedRecord(t);
  fs::remove(t.dir() / "SECURE" / "fach.dbf");
  t.ui().messages.clear();
  t.ui().statusLines.clear();
  t.ui().answers = {true};
  EXPECT_TRUE(backup::restoreData(t.ws(), t.ui(), {"uvd.dbf", "fach.dbf"}));
  EXPECT_EQ(t.table(Page::Uvd).visibleRecnos().size(), 0u);
  EXPECT_EQ(t.ui().statusLines,
            (std::vector<Text>{"Datensicherung eingelesen: 1 Datei zurückgeholt"}));
  // The copy missing from SECURE is named: a warning, not an information.
  EXPECT_EQ(t.ui().messages.back().kind, "warning");
  EXPECT_EQ(t.ui().messages.back().text,
            "Aus der Sicherung zurückgeholt:\r\nuvd.dbf\r\n\r\nNicht zurückgeholt:\r\n"
            "fach.dbf: keine Kopie im Ordner SECURE");
}

}  // namespace
}  // namespace velmoran
