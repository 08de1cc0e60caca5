// Start-up as it keeps saved data safe: the lock that keeps a second copy out for the whole
// run, the note on a missing table that the backup folder still holds, damaged settings and
// layout files, and a restore a kill interrupted.
#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <map>

#include "app/column_layout_file.h"
#include "app/startup.h"
#include "backup/backup.h"
#include "store/date.h"
#include "store/files.h"
#include "store/staged_files.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"
#include "support/test_workspace.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace velmoran::app {
namespace {

namespace fs = std::filesystem;
using test::ScriptedUi;
using test::TempDir;

const char* const singleUserText =
    "Velmoran 2021 ist ein Einzelplatzprogramm !\r\n"
    "Schließen Sie bitte ein schon laufendes Velmoran 2021 Programm !";

// Every file of the folder (not of its subfolders), by name.
std::map<std::string, std::string> filesOf(const fs::path& dir) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::directory_iterator(dir))
    if (e.is_regular_file()) files[e.path().filename().string()] = test::readBytes(e.path());
  return files;
}

TEST(RunLock, ASecondCopyGetsTheSingleUserMessageAndTouchesNothing) {
  test::TestWorkspace first;
  first.ws().closeTables();  // everything the first copy holds is on the disk
  ASSERT_TRUE(first.ws().openTables());
  // A file the second copy would provision, were it let in.
  fs::remove(first.dir() / "SECURE" / "velmoran.ini");
  const auto before = filesOf(first.dir());

  ScriptedUi second;
  EXPECT_EQ(test::startOn(first.dir(), second), nullptr);
  const auto& m = second.onlyMessage();
  EXPECT_EQ(m.kind, "warning");
  EXPECT_EQ(m.caption, "Velmoran 2021");
  EXPECT_EQ(m.text, singleUserText);
  EXPECT_EQ(filesOf(first.dir()), before);
  EXPECT_FALSE(fs::exists(first.dir() / "SECURE" / "velmoran.ini"));
  // The first copy works on undisturbed.
  first.table(Page::Lehrer).append();
  first.ws().closeTables();
  ASSERT_TRUE(first.ws().openTables());
  EXPECT_EQ(first.table(Page::Lehrer).lastRec(), 1u);
}

TEST(RunLock, IsLetGoWhenTheProgramEnds) {
  TempDir data;
  ScriptedUi ui;
  ASSERT_NE(test::startOn(data.path(), ui), nullptr);  // started and ended
  EXPECT_NE(test::startOn(data.path(), ui), nullptr);
  EXPECT_TRUE(ui.messages.empty());
}

#ifndef _WIN32
// Whether another process could take the lock now (as a second copy would).
bool anotherProcessGetsTheLock(const fs::path& dataDir) {
  int result[2];
  if (pipe(result) != 0) return true;
  pid_t child = fork();
  if (child == 0) {
    int fd = open((dataDir / runLockFileName).c_str(), O_RDWR);
    struct flock fl {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    char c = fd >= 0 && fcntl(fd, F_SETLK, &fl) == 0 ? 'y' : 'n';
    (void)!write(result[1], &c, 1);
    _exit(0);
  }
  char c = 'y';
  (void)!read(result[0], &c, 1);
  waitpid(child, nullptr, 0);
  close(result[0]);
  close(result[1]);
  return c == 'y';
}

// Classic record locks of a process are all dropped when it closes any descriptor of the
// file; the run's lock must survive that, as it must survive the backup closing its copies.
TEST(RunLock, SurvivesTheClosingOfAnotherDescriptorOfTheSameFileAndABackup) {
  test::TestWorkspace t;
  ASSERT_FALSE(anotherProcessGetsTheLock(t.dir()));
  {
    auto other = store::OsFile::open(t.dir() / runLockFileName, store::OsFile::Access::ReadOnly);
    ASSERT_TRUE(other);
  }
  EXPECT_FALSE(anotherProcessGetsTheLock(t.dir()));
  backup::saveData(t.ws(), t.ui());
  EXPECT_FALSE(anotherProcessGetsTheLock(t.dir()));
}
#endif

TEST(MissingTable, IsMadeEmptyAndTheBackupOfItIsNamedWithItsDate) {
  test::TestWorkspace t;
  backup::saveData(t.ws(), t.ui());
  const fs::path copy = t.dir() / "SECURE" / "lehrer.dbf";
  // The backup was made three days ago.
  fs::last_write_time(copy, fs::file_time_type::clock::now() - std::chrono::hours(72));
  t.ws().closeTables();
  fs::remove(t.dir() / "lehrer.dbf");
  fs::remove(t.dir() / "klasse.dbf");
  fs::remove(t.dir() / "SECURE" / "klasse.dbf");  // no backup of this one
  t.ui().messages.clear();

  t.restart();
  EXPECT_TRUE(fs::exists(t.dir() / "lehrer.dbf"));
  EXPECT_EQ(t.table(Page::Lehrer).lastRec(), 0u);
  const auto& m = t.ui().onlyMessage();
  EXPECT_EQ(m.kind, "warning");
  EXPECT_EQ(m.caption, "Velmoran 2021");
  const std::string threeDaysAgo = localTimeText(std::time(nullptr) - 72 * 3600, "%d.%m.%Y");
  EXPECT_EQ(m.text,
            "Im Datenordner fehlte die Tabelle lehrer.dbf; sie wurde leer "
            "angelegt.\r\nIm Ordner SECURE liegt eine Sicherung vom " +
                fileTimeText(copy, "%d.%m.%Y, %H:%M") +
                " Uhr: Sie können sie über Datensicherung / Datensicherung einlesen "
                "zurückholen.");
  EXPECT_EQ(m.text.find("vom " + threeDaysAgo + ", "), m.text.find("vom "));
}

// A damaged settings file ends the program with the settings file's message; a damaged
// layout file counts as missing. Neither changes a table.
struct DamagedFile {
  const char* name;
  const char* file;
  bool folder;  // a folder of the file's name, else a file of `size` bytes
  std::size_t size;
  const char* message;  // the one message of the start; none: it starts
};

class DamagedSettings : public ::testing::TestWithParam<DamagedFile> {};

TEST_P(DamagedSettings, GiveTheirMessageAndLeaveTheTablesAsTheyWere) {
  const DamagedFile& c = GetParam();
  TempDir data;
  {
    ScriptedUi first;
    ASSERT_NE(test::startOn(data.path(), first), nullptr);
  }
  fs::remove(data / c.file);
  if (c.folder)
    fs::create_directory(data / c.file);
  else
    test::writeBytes(data / c.file, std::string(c.size, '1'));
  const auto before = filesOf(data.path());

  ScriptedUi ui;
  auto ws = test::startOn(data.path(), ui);
  if (c.message) {
    EXPECT_EQ(ws, nullptr);
    const auto& m = ui.onlyMessage();
    EXPECT_EQ(m.kind, "warning");
    EXPECT_EQ(m.text, c.message);
  } else {
    ASSERT_NE(ws, nullptr);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(ws->layouts, decltype(ws->layouts){});  // the built-in layouts
    ws.reset();
  }
  auto after = filesOf(data.path());
  // The start-up maintenance rewrites the index files; the tables stay byte for byte.
  for (auto* files : {&after, const_cast<std::map<std::string, std::string>*>(&before)})
    std::erase_if(*files, [](const auto& f) { return f.first.ends_with(".NTX"); });
  EXPECT_EQ(after, before);
}

INSTANTIATE_TEST_SUITE_P(
    BadInput, DamagedSettings,
    ::testing::Values(DamagedFile{"SettingsFolder", "velmoran.ini", true, 0,
                                  "Die Velmoran.INI kann nicht geöffnet werden !"},
                      DamagedFile{"SettingsHuge", "velmoran.ini", false, 3 * 1024 * 1024,
                                  "Die Velmoran.INI kann nicht geöffnet werden !"},
                      DamagedFile{"LayoutsFolder", "VELMORAN_Column.INI", true, 0, nullptr},
                      DamagedFile{"LayoutsHuge", "VELMORAN_Column.INI", false, 3 * 1024 * 1024,
                                  nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

// A restore a kill interrupted between its renames: the list of the step names the files, one
// is renamed already (its staged file is gone), one still waits. The next start completes the
// step before it reads a table.
TEST(InterruptedRestore, IsCompletedAtTheNextStart) {
  test::TestWorkspace t;
  t.ws().closeTables();
  const std::string before = test::readBytes(t.dir() / "lehrer.dbf");
  ASSERT_TRUE(t.ws().openTables());
  t.table(Page::Lehrer).append();
  t.table(Page::Lehrer).append();
  t.ws().closeTables();
  // The restored version waits beside the table, which is still the old one.
  fs::rename(t.dir() / "lehrer.dbf", store::stagedPath(t.dir() / "lehrer.dbf"));
  test::writeBytes(t.dir() / "lehrer.dbf", before);
  test::writeBytes(t.dir() / store::stagedListFileName, "klasse.dbf\nlehrer.dbf\n");
  t.restart();
  EXPECT_EQ(t.table(Page::Lehrer).lastRec(), 2u);
  EXPECT_FALSE(fs::exists(store::stagedPath(t.dir() / "lehrer.dbf")));
  EXPECT_FALSE(fs::exists(t.dir() / store::stagedListFileName));
  EXPECT_TRUE(t.ui().messages.empty());
}

TEST(InterruptedRestore, WithoutItsListIsRolledBack) {
  test::TestWorkspace t;
  t.ws().closeTables();
  const auto before = filesOf(t.dir());
  test::writeBytes(store::stagedPath(t.dir() / "lehrer.dbf"), "half a copy");
  test::writeBytes(t.dir() / "fach.dbf.staged.tmp", "half");
  test::writeBytes(t.dir() / (std::string(store::stagedListFileName) + ".tmp"), "lehrer.d");
  t.restart();
  t.ws().closeTables();
  auto after = filesOf(t.dir());
  EXPECT_EQ(after.count("lehrer.dbf.staged"), 0u);
  EXPECT_EQ(after.count("fach.dbf.staged.tmp"), 0u);
  EXPECT_EQ(after.at("lehrer.dbf"), before.at("lehrer.dbf"));
  EXPECT_EQ(after.size(), before.size());
}

// A backup killed while it wrote a copy leaves the copy's temporary file beside the previous
// copy; the next start removes it and keeps the previous copy.
TEST(InterruptedBackup, ItsUnfinishedCopyIsRemovedAtTheNextStart) {
  test::TestWorkspace t;
  backup::saveData(t.ws(), t.ui());
  const std::string copy = test::readBytes(t.dir() / "SECURE" / "gpsul.dbf");
  test::writeBytes(t.dir() / "SECURE" / "gpsul.dbf.tmp", copy.substr(0, copy.size() / 2));
  t.restart();
  EXPECT_FALSE(fs::exists(t.dir() / "SECURE" / "gpsul.dbf.tmp"));
  EXPECT_EQ(test::readBytes(t.dir() / "SECURE" / "gpsul.dbf"), copy);
}

}  // namespace
}  // namespace velmoran::app
