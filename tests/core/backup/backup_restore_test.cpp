#include <gtest/gtest.h>

#include <map>
#include <set>

#include "app/column_layout_file.h"
#include "app/os_version.h"
#include "app/settings_file.h"
#include "backup/backup.h"
#include "backup/restore.h"
#include "pages/table_commands.h"
#include "store/bulk.h"
#include "support/test_workspace.h"
#include "untis/untis_ini.h"

namespace velmoran::backup {
namespace {

namespace fs = std::filesystem;
using app::Page;

const char* const tableFiles[] = {"gpsul.dbf",       "fach.dbf", "klasse.dbf", "lehrer.dbf",
                                  "mehr_minder.dbf", "uvd.dbf",  "zulfach.dbf"};

std::set<std::string> filesIn(const fs::path& dir) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.insert(e.path().filename().string());
  return names;
}

// Three records in every table the program fills, their first character field set as the
// grid sets it.
void fill(test::TestWorkspace& t) {
  for (Page page :
       {Page::Gpsul, Page::Uvd, Page::Fach, Page::Klasse, Page::Lehrer, Page::MehrMinder}) {
    store::Table& table = t.table(page);
    std::string field;
    for (const auto& f : table.structure())
      if (f.type == 'C' && field.empty()) field = f.name;
    for (const char* value : {"A", "B", "C"}) {
      table.append();
      ASSERT_TRUE(pages::setField(table, table.recno(), field, value));
    }
  }
}

// The kinds of the messages shown so far, in order.
std::vector<std::string> kinds(const test::ScriptedUi& ui) {
  std::vector<std::string> out;
  for (const auto& m : ui.messages) out.push_back(m.kind);
  return out;
}

std::size_t liveCount(store::Table& t) {
  std::size_t n = 0;
  for (t.goTop(); !t.eof(); t.skip()) ++n;
  t.goTop();
  return n;
}

TEST(SaveData, CopiesTheTablesAndTheSettingsFileWithoutOptionalFiles) {
  test::TestWorkspace t;
  saveData(t.ws(), t.ui());
  std::set<std::string> expected(std::begin(tableFiles), std::end(tableFiles));
  expected.insert("velmoran.ini");
  EXPECT_EQ(filesIn(t.dir() / "SECURE"), expected);
  EXPECT_EQ(t.ui().onlyMessage().kind, "info");  // what was saved, and when
}

TEST(SaveData, CopiesTheColumnLayoutsAndUntisIniWhenPresent) {
  test::TestWorkspace t;
  test::writeBytes(t.dir() / app::columnLayoutFileName, "layouts");
  test::writeBytes(t.dir() / app::untisIniFileName, "untis\r\n");
  saveData(t.ws(), t.ui());
  EXPECT_EQ(test::readBytes(t.dir() / "SECURE" / app::columnLayoutFileName), "layouts");
  EXPECT_EQ(test::readBytes(t.dir() / "SECURE" / app::untisIniFileName), "untis\r\n");
}

TEST(SaveData, CopiesWhatTheOpenTablesHoldAndOverwritesTheLastBackup) {
  test::TestWorkspace t;
  saveData(t.ws(), t.ui());
  fill(t);
  saveData(t.ws(), t.ui());
  for (const char* name : tableFiles)
    EXPECT_EQ(test::readBytes(t.dir() / "SECURE" / name), test::readBytes(t.dir() / name)) << name;
  EXPECT_EQ(test::readBytes(t.dir() / "SECURE" / "velmoran.ini"),
            test::readBytes(t.dir() / "velmoran.ini"));
}

TEST(SaveData, UsesTheBackupFolderWhateverTheCaseOfItsName) {
  test::TestWorkspace t;
  fs::rename(t.dir() / "SECURE", t.dir() / "Secure");
  test::writeBytes(t.dir() / "Secure" / "GPSUL.DBF", "old copy");
  saveData(t.ws(), t.ui());
  EXPECT_EQ(test::readBytes(t.dir() / "Secure" / "GPSUL.DBF"),
            test::readBytes(t.dir() / "gpsul.dbf"));
#ifndef _WIN32
  // Where names differ by case only, no second folder or copy appears. (On Windows they are
  // the same names.)
  EXPECT_FALSE(fs::exists(t.dir() / "SECURE"));
  EXPECT_FALSE(fs::exists(t.dir() / "Secure" / "gpsul.dbf"));
#endif
}

TEST(SaveData, CreatesTheBackupFolderAsSecure) {
  test::TestWorkspace t;
  fs::remove_all(t.dir() / "SECURE");
  saveData(t.ws(), t.ui());
  EXPECT_TRUE(fs::exists(t.dir() / "SECURE" / "lehrer.dbf"));
}

TEST(SaveData, ATableThatCannotBeCopiedIsNamedAndTheOthersAreStillCopied) {
  test::TestWorkspace t;
  fs::create_directory(t.dir() / "SECURE" / "klasse.dbf");
  fs::create_directory(t.dir() / "SECURE" / "uvd.dbf");
  saveData(t.ws(), t.ui());
  ASSERT_EQ(kinds(t.ui()), (std::vector<std::string>{"warning", "warning", "info"}));
  EXPECT_EQ(t.ui().messages[0].caption, app::mainWindowCaption());
  EXPECT_EQ(t.ui().messages[0].text, "Die Datei \"klasse.dbf\" konnte nicht gesichert werden !");
  EXPECT_EQ(t.ui().messages[1].text, "Die Datei \"uvd.dbf\" konnte nicht gesichert werden !");
  EXPECT_TRUE(fs::exists(t.dir() / "SECURE" / "zulfach.dbf"));
}

TEST(RestoreEntries, AreListedInTheOrderOfTheDialog) {
  EXPECT_EQ(restoreEntries(),
            (std::vector<Text>{"gpsul.dbf", "uvd.dbf", "zulfach.dbf", "fach.dbf", "klasse.dbf",
                               "lehrer.dbf", "mehr_minder.dbf", "VELMORAN.INI",
                               "VELMORAN_Column.INI", "UNTIS.INI"}));
  EXPECT_EQ(restoreEntry("untis.ini"), "UNTIS.INI");
  EXPECT_EQ(restoreEntry("lehrer.ntx"), std::nullopt);
}

TEST(RestoreData, WithNothingChosenWarnsAsTheDialogDoes) {
  test::TestWorkspace t;
  EXPECT_FALSE(restoreData(t.ws(), t.ui(), {}));
  const auto& m = t.ui().onlyMessage();
  EXPECT_EQ(m.kind, "warning");
  EXPECT_EQ(m.caption, "Velmoran 2021 / Daten aus Sicherung einlesen");
  EXPECT_EQ(m.text, "Sie haben keine Datei ausgewählt !");
}

// Backup, then damage every file, then restore everything: each file is again exactly what
// the backup copied, although the workspace holds the tables open throughout.
TEST(RestoreData, BringsBackEveryFileByteForByteUnderTheOpenTables) {
  test::TestWorkspace t;
  fill(t);
  test::writeBytes(t.dir() / app::columnLayoutFileName, "layouts");
  test::writeBytes(t.dir() / app::untisIniFileName,
                   untis::formatUntisIni({"C:\\Untis.exe", "DB", "u", "p", "", ""}));
  saveData(t.ws(), t.ui());
  std::map<std::string, std::string> saved;
  for (const auto& name : filesIn(t.dir() / "SECURE"))
    saved[name] = test::readBytes(t.dir() / "SECURE" / name);

  for (Page page : {Page::Gpsul, Page::Lehrer, Page::MehrMinder, Page::Uvd}) {
    store::Table& table = t.table(page);
    store::markAllDeleted(table);
    table.append();
    table.flush();
  }
  const Text schoolNumber = t.ws().settings.schoolNumber;
  t.ws().settings.schoolNumber = "999999";
  ASSERT_TRUE(t.ws().saveSettings());
  test::writeBytes(t.dir() / app::columnLayoutFileName, "changed");
  test::writeBytes(t.dir() / app::untisIniFileName, "");
  t.ws().AUNTIS_ARRAY.assign(6, "stale");

  t.ui().messages.clear();
  t.ui().answers = {true};
  ASSERT_TRUE(restoreData(t.ws(), t.ui(), restoreEntries()));
  EXPECT_EQ(kinds(t.ui()), (std::vector<std::string>{"question", "info"}));
  for (const auto& [name, bytes] : saved) EXPECT_EQ(test::readBytes(t.dir() / name), bytes) << name;
  EXPECT_EQ(t.ws().settings.schoolNumber, schoolNumber);
  // The Untis settings held in memory are let go, so that the restored file is read next.
  EXPECT_TRUE(t.ws().AUNTIS_ARRAY.empty());
  EXPECT_EQ(untis::untisDialogInit(t.ws())[0], "C:\\Untis.exe");
  EXPECT_TRUE(t.ws().LRESTORED);
  // The tables are open again, on their first record, with indexes built for the content.
  store::Table& lehrer = t.table(Page::Lehrer);
  EXPECT_EQ(liveCount(lehrer), 3u);
  EXPECT_EQ(lehrer.order(), 1);
  EXPECT_TRUE(lehrer.seek("C", false));
  EXPECT_EQ(lehrer.recno(), 3u);
  t.table(Page::Gpsul).goTop();
  EXPECT_EQ(liveCount(t.table(Page::Gpsul)), 3u);
  // Nothing is written over the restored files when the tables are closed.
  t.ws().closeTables();
  for (const char* name : tableFiles)
    EXPECT_EQ(test::readBytes(t.dir() / name), saved[name]) << name;
}

TEST(RestoreData, OnlyTheChosenFilesAreRestored) {
  test::TestWorkspace t;
  fill(t);
  saveData(t.ws(), t.ui());
  for (Page page : {Page::Lehrer, Page::Klasse}) {
    store::markAllDeleted(t.table(page));
    t.table(page).flush();
  }
  const std::string klasse = test::readBytes(t.dir() / "klasse.dbf");
  t.ui().answers = {true};
  ASSERT_TRUE(restoreData(t.ws(), t.ui(), {"LEHRER.DBF"}));
  EXPECT_EQ(test::readBytes(t.dir() / "lehrer.dbf"),
            test::readBytes(t.dir() / "SECURE" / "lehrer.dbf"));
  EXPECT_EQ(test::readBytes(t.dir() / "klasse.dbf"), klasse);
  EXPECT_EQ(liveCount(t.table(Page::Lehrer)), 3u);
  EXPECT_EQ(liveCount(t.table(Page::Klasse)), 0u);
  EXPECT_FALSE(t.ws().LRESTORED);
}

TEST(RestoreData, TheColumnLayoutEntrySetsLrestored) {
  test::TestWorkspace t;
  ASSERT_TRUE(restoreData(t.ws(), t.ui(), {"VELMORAN_Column.INI"}));
  EXPECT_TRUE(t.ws().LRESTORED);
  // No copy to put back: nothing asked, and the warning names the missing copy.
  const test::Message& m = t.ui().onlyMessage();
  EXPECT_EQ(m.kind, "warning");
  EXPECT_EQ(m.text,
            "Es wurde keine Datei zurückgeholt.\r\n\r\nNicht zurückgeholt:\r\n"
            "VELMORAN_Column.INI: keine Kopie im Ordner SECURE");
}

TEST(RestoreData, ARestoredSettingsFileIsReadAgainAtOnce) {
  test::TestWorkspace t("GY=Gymnasium");
  t.ws().settings.schoolForm = "BK=Berufskolleg";
  t.ws().settings.schoolNumber = "111111";
  ASSERT_TRUE(t.ws().saveSettings());
  saveData(t.ws(), t.ui());
  t.ws().settings.schoolForm = "GY=Gymnasium";
  t.ws().settings.schoolNumber = "222222";
  ASSERT_TRUE(t.ws().saveSettings());
  t.ws().fillZulFaecher();
  t.ui().answers = {true};
  ASSERT_TRUE(restoreData(t.ws(), t.ui(), {"velmoran.ini"}));
  EXPECT_EQ(trim(t.ws().settings.schoolNumber), "111111");
  EXPECT_EQ(t.ws().settings.sf(), "BK");
  // The catalogs follow the restored school form.
  EXPECT_EQ(t.ws().catalogs.qualart,
            catalog::buildCatalogs("BK=Berufskolleg", catalog::shippedZulfach()).qualart);
}

TEST(RestoreData, AMissingCopyIsNamedAndTheTableStaysUsable) {
  test::TestWorkspace t;
  fill(t);
  const std::string before = test::readBytes(t.dir() / "mehr_minder.dbf");
  ASSERT_TRUE(restoreData(t.ws(), t.ui(), {"mehr_minder.dbf", "UNTIS.INI"}));
  const test::Message& m = t.ui().onlyMessage();
  EXPECT_EQ(m.kind, "warning");
  EXPECT_EQ(m.text,
            "Es wurde keine Datei zurückgeholt.\r\n\r\nNicht zurückgeholt:\r\n"
            "mehr_minder.dbf: keine Kopie im Ordner SECURE\r\n"
            "UNTIS.INI: keine Kopie im Ordner SECURE");
  EXPECT_EQ(test::readBytes(t.dir() / "mehr_minder.dbf"), before);
  EXPECT_EQ(liveCount(t.table(Page::MehrMinder)), 3u);
  EXPECT_FALSE(fs::exists(t.dir() / app::untisIniFileName));
}

TEST(RestoreData, ACopyThatIsNoTableIsRefusedAndTheTableStaysAsItWas) {
  test::TestWorkspace t;
  fill(t);
  test::writeBytes(t.dir() / "SECURE" / "lehrer.dbf", "no table");
  const std::string before = test::readBytes(t.dir() / "lehrer.dbf");
  ASSERT_TRUE(restoreData(t.ws(), t.ui(), {"lehrer.dbf"}));
  // Refused before anything is asked or touched.
  const test::Message& m = t.ui().onlyMessage();
  EXPECT_EQ(m.kind, "warning");
  EXPECT_EQ(m.caption, "Velmoran 2021 / Daten aus Sicherung einlesen");
  EXPECT_EQ(m.text,
            "Es wurde keine Datei zurückgeholt.\r\n\r\nNicht zurückgeholt:\r\n"
            "lehrer.dbf: die Kopie ist keine Tabelle");
  EXPECT_EQ(test::readBytes(t.dir() / "lehrer.dbf"), before);
  EXPECT_EQ(liveCount(t.table(Page::Lehrer)), 3u);
  EXPECT_EQ(filesIn(t.dir()).count("lehrer.dbf.previous"), 0u);
}

// The names of the files in the folder that are not its own: temporary and staged files.
std::set<std::string> leftovers(const fs::path& dir) {
  std::set<std::string> names;
  for (const auto& name : filesIn(dir))
    if (name.ends_with(".tmp") || name.ends_with(".staged") || name.ends_with(".lst"))
      names.insert(name);
  return names;
}

// A table file whose header counts more records than it holds, as a kill or a full disk
// leaves it.
void cutShort(const fs::path& file) {
  std::string bytes = test::readBytes(file);
  ASSERT_GT(bytes.size(), 40u);
  bytes.resize(bytes.size() - 20);
  test::writeBytes(file, bytes);
}

TEST(SaveData, ACopyThatIsNotCompleteNeverReplacesThePreviousBackup) {
  test::TestWorkspace t;
  fill(t);
  saveData(t.ws(), t.ui());
  const std::string previous = test::readBytes(t.dir() / "SECURE" / "klasse.dbf");
  t.ws().closeTables();
  // The live file is longer than its header says: no copy of it can be trusted.
  test::writeBytes(t.dir() / "klasse.dbf", test::readBytes(t.dir() / "klasse.dbf") + "junk!");
  ASSERT_TRUE(t.ws().openTables());
  t.ui().messages.clear();
  saveData(t.ws(), t.ui());
  ASSERT_EQ(kinds(t.ui()), (std::vector<std::string>{"warning", "info"}));
  EXPECT_EQ(t.ui().messages[0].text, "Die Datei \"klasse.dbf\" konnte nicht gesichert werden !");
  EXPECT_NE(t.ui().messages[1].text.find(
                "\r\nNicht gesichert (die vorige Sicherung bleibt erhalten):\r\nklasse.dbf"),
            std::string::npos);
  EXPECT_EQ(test::readBytes(t.dir() / "SECURE" / "klasse.dbf"), previous);
  EXPECT_EQ(test::readBytes(t.dir() / "SECURE" / "lehrer.dbf"),
            test::readBytes(t.dir() / "lehrer.dbf"));
  EXPECT_TRUE(leftovers(t.dir() / "SECURE").empty());
}

TEST(SaveData, AFailedCopyKeepsThePreviousCopyAndLeavesNoTemporaryFile) {
  test::TestWorkspace t;
  fill(t);
  saveData(t.ws(), t.ui());
  const std::string previous = test::readBytes(t.dir() / "SECURE" / "uvd.dbf");
  // The temporary file cannot be made (as on a full disk).
  fs::create_directory(t.dir() / "SECURE" / "uvd.dbf.tmp");
  t.table(Page::Uvd).append();
  t.ui().messages.clear();
  saveData(t.ws(), t.ui());
  EXPECT_EQ(t.ui().messages[0].text, "Die Datei \"uvd.dbf\" konnte nicht gesichert werden !");
  EXPECT_EQ(test::readBytes(t.dir() / "SECURE" / "uvd.dbf"), previous);
}

// Restore checks each copy before it touches a table: a copy cut short, a copy of another
// table, a copy that is no table at all. Each refused copy is named with the reason; the
// sound ones come back.
TEST(RestoreData, RefusesCopiesCutShortOrOfAnotherTableAndNamesEach) {
  test::TestWorkspace t;
  fill(t);
  saveData(t.ws(), t.ui());
  cutShort(t.dir() / "SECURE" / "gpsul.dbf");
  // Removed first: MinGW's copy_file does not overwrite on Windows.
  fs::remove(t.dir() / "SECURE" / "mehr_minder.dbf");
  fs::copy_file(t.dir() / "SECURE" / "lehrer.dbf", t.dir() / "SECURE" / "mehr_minder.dbf");
  for (Page page : {Page::Gpsul, Page::MehrMinder, Page::Klasse}) {
    store::markAllDeleted(t.table(page));
    t.table(page).flush();
  }
  const std::string gpsul = test::readBytes(t.dir() / "gpsul.dbf");
  const std::string mehrMinder = test::readBytes(t.dir() / "mehr_minder.dbf");
  t.ui().messages.clear();
  t.ui().answers = {true};
  ASSERT_TRUE(restoreData(t.ws(), t.ui(), {"gpsul.dbf", "klasse.dbf", "mehr_minder.dbf"}));
  ASSERT_EQ(kinds(t.ui()), (std::vector<std::string>{"question", "warning"}));
  EXPECT_EQ(t.ui().messages[0].text,
            "Aus der Sicherung zurückholen: klasse.dbf. Die jetzigen Dateien werden dabei "
            "überschrieben. Fortfahren?");
  EXPECT_EQ(t.ui().messages[1].text,
            "Aus der Sicherung zurückgeholt:\r\nklasse.dbf\r\n\r\nNicht zurückgeholt:\r\n"
            "gpsul.dbf: die Kopie ist unvollständig (laut Dateikopf 3 Datensätze, die Datei "
            "enthält 2)\r\n"
            "mehr_minder.dbf: die Kopie hat nicht die Felder der Tabelle MEHR_MINDER");
  EXPECT_EQ(test::readBytes(t.dir() / "gpsul.dbf"), gpsul);
  EXPECT_EQ(test::readBytes(t.dir() / "mehr_minder.dbf"), mehrMinder);
  EXPECT_EQ(liveCount(t.table(Page::Klasse)), 3u);
  EXPECT_EQ(liveCount(t.table(Page::Gpsul)), 0u);
  EXPECT_TRUE(leftovers(t.dir()).empty());
}

// A copy that cannot be put beside its table (as on a full disk) stops the restore before any
// table is replaced: all chosen files stay as they were.
TEST(RestoreData, IsAllOrNothing) {
  test::TestWorkspace t;
  fill(t);
  saveData(t.ws(), t.ui());
  for (Page page : {Page::Lehrer, Page::Fach}) {
    store::markAllDeleted(t.table(page));
    t.table(page).flush();
  }
  const std::string lehrer = test::readBytes(t.dir() / "lehrer.dbf");
  const std::string fach = test::readBytes(t.dir() / "fach.dbf");
  fs::create_directory(t.dir() / "fach.dbf.staged.tmp");
  t.ui().messages.clear();
  t.ui().answers = {true};
  ASSERT_TRUE(restoreData(t.ws(), t.ui(), {"lehrer.dbf", "fach.dbf"}));
  ASSERT_EQ(kinds(t.ui()), (std::vector<std::string>{"question", "warning"}));
  EXPECT_EQ(t.ui().messages[1].text,
            "Es wurde keine Datei zurückgeholt.\r\n\r\nDie Kopie von fach.dbf konnte nicht in "
            "den Datenordner geschrieben werden (ist der Datenträger voll?).");
  EXPECT_EQ(test::readBytes(t.dir() / "lehrer.dbf"), lehrer);
  EXPECT_EQ(test::readBytes(t.dir() / "fach.dbf"), fach);
  EXPECT_EQ(liveCount(t.table(Page::Lehrer)), 0u);
  fs::remove(t.dir() / "fach.dbf.staged.tmp");
  EXPECT_TRUE(leftovers(t.dir()).empty());
}

}  // namespace
}  // namespace velmoran::backup
