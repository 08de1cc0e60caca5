#include "app/startup.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

#include "store/code_page.h"
#include "store/schema.h"
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

std::optional<std::string> dirOf(const std::string& line, const std::string& program = "velmoran") {
  // Where the program's name starts, found regardless of case as Windows names it.
  auto upper = [](std::string s) {
    for (char& c : s)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return s;
  };
  std::size_t start = upper(line).find(upper(program));
  return dataDirFromCommandLine(line, start, program);
}

TEST(CommandLine, DashRightAfterProgramAndOneBlankNamesTheDataDirectory) {
  const std::string sep(1, static_cast<char>(fs::path::preferred_separator));
  EXPECT_EQ(dirOf("/usr/bin/velmoran -/home/anna/velmoran"), "/home/anna/velmoran" + sep);
  EXPECT_EQ(dirOf("/usr/bin/velmoran -/home/anna/velmoran/"), "/home/anna/velmoran/");
  EXPECT_EQ(dirOf("/usr/bin/velmoran -  /data  "), "/data" + sep);
#ifdef _WIN32
  EXPECT_EQ(dirOf("C:\\Prog\\VELMORAN.EXE -D:\\Schule", "VELMORAN.EXE"), "D:\\Schule\\");
  EXPECT_EQ(dirOf("C:\\Prog\\velmoran.exe -D:\\Schule\\", "VELMORAN.EXE"), "D:\\Schule\\");
#endif
}

TEST(CommandLine, NoDataDirectoryWithoutTheDashInItsPlace) {
  EXPECT_EQ(dirOf("/opt/my-tools/velmoran"), std::nullopt);
  EXPECT_EQ(dirOf("/usr/bin/velmoran  -/data"), std::nullopt);  // two blanks
  EXPECT_EQ(dirOf("/usr/bin/velmoran"), std::nullopt);
  EXPECT_EQ(dirOf("/usr/bin/velmoran -"), std::nullopt);
}

TEST(CommandLine, QuotesAreIgnoredEverywhere) {
  std::string line = "\"/opt/x y/velmoran\" \"-/home/anna/mein ordner\"";
  std::size_t start = std::string("\"/opt/x y/").size();
  const std::string sep(1, static_cast<char>(fs::path::preferred_separator));
  EXPECT_EQ(dataDirFromCommandLine(line, start, "velmoran"), "/home/anna/mein ordner" + sep);
}

TEST(CommandLine, DataDirectoryIsCutTo150Characters) {
  std::string longDir = "/" + std::string(200, 'a');
  auto dir = dirOf("/usr/bin/velmoran -" + longDir);
  ASSERT_TRUE(dir.has_value());
  EXPECT_EQ(dir->size(), 151u);
  EXPECT_EQ(dir->substr(0, 150), longDir.substr(0, 150));
}

TEST(CommandLine, JoinArgumentsFindsTheProgramName) {
  CommandLine line = joinArguments({"/opt/velmoran/bin/velmoran-cli", "-/data", "settings"});
  EXPECT_EQ(line.programName, "velmoran-cli");
  EXPECT_EQ(line.text.substr(line.programNameStart), "velmoran-cli -/data settings");
}

TEST(Startup, NewDataDirectoryGetsSettingsBackupTablesAndIndexes) {
  test::TestWorkspace t;
  const fs::path& d = t.dir();
  EXPECT_TRUE(fs::exists(d / "velmoran.ini"));
  EXPECT_TRUE(fs::exists(d / "SECURE" / "velmoran.ini"));
  for (const auto& spec : store::tableSpecs()) {
    EXPECT_TRUE(fs::exists(d / spec.fileName)) << spec.fileName;
    for (const auto& index : spec.indexes)
      EXPECT_TRUE(fs::exists(d / index.fileName)) << index.fileName;
  }
  EXPECT_EQ(t.ui().messages.size(), 0u);
  EXPECT_EQ(t.table(Page::Zulfach).lastRec(), 2149u);
}

#ifndef _WIN32
struct HomeOverride {
  explicit HomeOverride(const fs::path& home) {
    const char* old = std::getenv("HOME");
    if (old) m_old = old;
    setenv("HOME", home.c_str(), 1);
  }
  ~HomeOverride() { setenv("HOME", m_old.c_str(), 1); }
  std::string m_old;
};

TEST(Startup, MissingDataDirectoryUnderHomeIsCreated) {
  TempDir home;
  HomeOverride h(home.path());
  ScriptedUi ui;
  fs::path dir = home / "Velmoran" / "Schule";
  auto ws = test::startOn(dir, ui);
  ASSERT_NE(ws, nullptr);
  EXPECT_TRUE(fs::exists(dir / "SECURE" / "velmoran.ini"));
  EXPECT_TRUE(fs::exists(dir / "gpsul.dbf"));
}

TEST(Startup, MissingDataDirectoryElsewhereIsNotCreated) {
  TempDir home;
  HomeOverride h(home.path());
  TempDir other;
  ScriptedUi ui;
  fs::path dir = other / "nicht" / "da";
  auto ws = test::startOn(dir, ui);
  EXPECT_EQ(ws, nullptr);
  EXPECT_FALSE(fs::exists(dir));
  EXPECT_EQ(ui.onlyMessage().text, "Die Velmoran.INI kann nicht geöffnet werden !");
}
#endif

TEST(Startup, NoSettingsFileAnywhereEndsTheProgram) {
  TempDir program;
  TempDir data;
  for (const auto& spec : store::tableSpecs())
    fs::copy_file(test::programDir() / spec.fileName, program / spec.fileName);
  ScriptedUi ui;
  StartRequest request{joinArguments({(program / "velmoran").string(), "-" + data.path().string()}),
                       program.path()};
  EXPECT_EQ(startUp(request, ui), nullptr);
  const auto& m = ui.onlyMessage();
  EXPECT_EQ(m.kind, "warning");
  EXPECT_EQ(m.caption, "Velmoran 2021");
  EXPECT_EQ(m.text, "Die Velmoran.INI kann nicht geöffnet werden !");
}

TEST(Startup, ExistingFilesAreNeverOverwritten) {
  TempDir data;
  test::writeBytes(data / "velmoran.ini", "01.01.2020\r\nMeine Schule\r\n");
  ScriptedUi ui;
  auto ws = test::startOn(data.path(), ui);
  ASSERT_NE(ws, nullptr);
  EXPECT_EQ(ws->settings.schoolName1, "Meine Schule");
  ws.reset();
  EXPECT_EQ(test::readBytes(data / "velmoran.ini"), "01.01.2020\r\nMeine Schule\r\n");
}

// Every file of the data directory, by path.
std::map<fs::path, std::string> allFiles(const fs::path& dir) {
  std::map<fs::path, std::string> files;
  for (auto& e : fs::directory_iterator(dir))
    if (e.is_regular_file()) files[e.path()] = test::readBytes(e.path());
  return files;
}

void swapFiles(const fs::path& a, const fs::path& b) {
  const std::string bytes = test::readBytes(a);
  test::writeBytes(a, test::readBytes(b));
  test::writeBytes(b, bytes);
}

// A table file that holds another table (two swapped, ZULFACH's records in fach.dbf) is named
// and the start ends before any file is written.
TEST(Startup, AForeignTableIsNamedAndNothingIsWritten) {
  TempDir data;
  {
    ScriptedUi first;
    ASSERT_NE(test::startOn(data.path(), first), nullptr);
  }
  struct Case {
    const char* a;
    const char* b;
    bool swap;          // otherwise b is copied over a
    const char* named;  // the first file checked that holds the wrong table
    const char* table;
  };
  for (const Case& c : {Case{"lehrer.dbf", "mehr_minder.dbf", true, "lehrer.dbf", "LEHRER"},
                        Case{"fach.dbf", "zulfach.dbf", false, "fach.dbf", "FACH"}}) {
    SCOPED_TRACE(c.a);
    const std::string bytesOfA = test::readBytes(data / c.a);
    if (c.swap)
      swapFiles(data / c.a, data / c.b);
    else
      test::writeBytes(data / c.a, test::readBytes(data / c.b));
    const auto before = allFiles(data.path());
    ScriptedUi ui;
    EXPECT_EQ(test::startOn(data.path(), ui), nullptr);
    const auto& m = ui.onlyMessage();
    EXPECT_EQ(m.kind, "warning");
    const Text start = "Die Datei " + store::pathText(data / c.named) +
                       " enthält nicht die Tabelle " + c.table + ": die Felder ";
    EXPECT_EQ(m.text.substr(0, start.size()), start);
    EXPECT_TRUE(m.text.ends_with(
        "fehlen oder stehen an anderer Stelle.\r\nVelmoran hat nichts verändert. Ersetzen Sie "
        "die Datei durch die richtige Tabelle, etwa aus dem Ordner SECURE."))
        << m.text;
    EXPECT_TRUE(allFiles(data.path()) == before) << "a file changed";
    if (c.swap) swapFiles(data / c.a, data / c.b);
    test::writeBytes(data / c.a, bytesOfA);
  }
}

#ifndef _WIN32
// Another process holds an fcntl lock on gpsul.dbf, as a running copy of the program does.
TEST(Startup, TablesHeldByAnotherProcessGiveTheSingleUserMessageAndTouchNothing) {
  TempDir data;
  {
    ScriptedUi first;
    ASSERT_NE(test::startOn(data.path(), first), nullptr);
  }
  std::map<fs::path, std::string> before;
  for (auto& e : fs::directory_iterator(data.path()))
    if (e.is_regular_file()) before[e.path()] = test::readBytes(e.path());

  int ready[2];
  int release[2];
  ASSERT_EQ(pipe(ready), 0);
  ASSERT_EQ(pipe(release), 0);
  pid_t child = fork();
  if (child == 0) {
    int fd = open((data / "gpsul.dbf").c_str(), O_RDWR);
    struct flock fl {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    bool locked = fd >= 0 && fcntl(fd, F_SETLK, &fl) == 0;
    char c = locked ? 'y' : 'n';
    (void)!write(ready[1], &c, 1);
    (void)!read(release[0], &c, 1);
    _exit(0);
  }
  char c = 0;
  ASSERT_EQ(read(ready[0], &c, 1), 1);
  ASSERT_EQ(c, 'y');

  ScriptedUi ui;
  auto ws = test::startOn(data.path(), ui);
  EXPECT_EQ(ws, nullptr);
  const auto& m = ui.onlyMessage();
  EXPECT_EQ(m.kind, "warning");
  EXPECT_EQ(m.caption, "Velmoran 2021");
  EXPECT_EQ(m.text,
            "Velmoran 2021 ist ein Einzelplatzprogramm !\r\n"
            "Schließen Sie bitte ein schon laufendes Velmoran 2021 Programm !");

  (void)!write(release[1], "x", 1);
  waitpid(child, nullptr, 0);
  for (auto& [path, bytes] : before) EXPECT_EQ(test::readBytes(path), bytes) << path;
}
#endif

}  // namespace
}  // namespace velmoran::app
