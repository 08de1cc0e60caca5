// velmoran-cli as a script runs it: the status line each command prints, and --answer for
// the questions before UVD is rebuilt, a file with errors is written or a backup restored.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "store/code_page.h"
#include "support/temp_dir.h"

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace velmoran {
namespace {

namespace fs = std::filesystem;

struct CliRun {
  int status = -1;
  Text out;  // standard output, as Windows-1252 like the texts of this file
  Text err;
};

class Cli : public ::testing::Test {
protected:
  void SetUp() override {
#ifdef _WIN32
    GTEST_SKIP() << "runs the command line through a POSIX shell";
#endif
  }

  // velmoran-cli on this test's data directory with these arguments.
  CliRun run(const std::string& arguments) {
#ifndef _WIN32
    const fs::path err = m_dir.path() / "stderr.txt";
    const std::string command = "'" + (test::programDir() / "velmoran-cli").string() + "' '-" +
                                m_dir.path().string() + "' --no-wait " + arguments + " 2>'" +
                                err.string() + "'";
    CliRun r;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return r;
    std::string out;
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;) out.append(buf, n);
    const int status = pclose(pipe);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = store::utf8ToWindows1252(out);
    r.err = store::utf8ToWindows1252(test::readBytes(err));
    return r;
#else
    static_cast<void>(arguments);
    return {};
#endif
  }

  std::string path(const char* name) { return "'" + (m_dir.path() / name).string() + "'"; }

  // UVD with one record ASDPC rejects (a teacher without weekly hours), read from a UVD.TXT;
  // a Gymnasium, which allows the subject.
  void importRejectedRecord() {
    ASSERT_EQ(run("settings --school-form GY=Gymnasium").status, 0);
    test::writeBytes(m_dir.path() / "IN.TXT",
                     "\"Klasse\";\"TKM\";\"Jahrg\";\"Kursart\";\"WoStd\";\"Fach\";\"Lehrer\";"
                     "\"SchGes\";\"SchWeibl\";\"USprache\";\"Fremde\"\r\n"
                     "\"05A\";\"\";\"\";\"\";0;\"D\";\"MUE\";20;10;\"\";\"\"\r\n");
    ASSERT_EQ(run("import-uvd " + path("IN.TXT")).status, 0);
  }

  test::TempDir m_dir;
};

const Text gpu002 = (test::sourceDir() / "tests/fixtures/untis/gpu002_comma/GPU002.TXT").string();
const Text errorsFound = "Die Prüfung hat 1 Fehler gefunden, die ASDPC zurückweisen wird.";

TEST_F(Cli, EachCommandPrintsItsStatusLine) {
  const CliRun import = run("import-gpu002 '" + gpu002 + "'");
  EXPECT_EQ(import.status, 0);
  EXPECT_EQ(import.out.find("GPU002.TXT: 3 Zeilen eingelesen\n"), 0u) << import.out;
  const CliRun transfer = run("transfer");
  EXPECT_EQ(transfer.out.find("UVD: "), 0u) << transfer.out;
  const CliRun backup = run("backup");
  EXPECT_NE(backup.out.find("Datensicherung: 8 Dateien nach SECURE gesichert\n"), Text::npos);
}

TEST_F(Cli, TheTransferRebuildsUvdUnlessAnsweredNo) {
  run("import-gpu002 '" + gpu002 + "'");
  run("transfer");
  ASSERT_EQ(run("set UVD 1 JAHRGANG 05").status, 0);
  const Text question = "Die UVD-Tabelle enthält ";

  const CliRun refused = run("--answer no transfer");
  EXPECT_EQ(refused.status, 0);
  EXPECT_NE(refused.out.find("Fortfahren? Nein"), Text::npos) << refused.out;
  EXPECT_NE(run("dump UVD").out.find(",05,"), Text::npos);

  const CliRun rebuilt = run("transfer");  // without --answer: as before, it rebuilds
  EXPECT_NE(rebuilt.out.find(question), Text::npos);
  EXPECT_NE(rebuilt.out.find("Fortfahren? Ja"), Text::npos);
  EXPECT_EQ(run("dump UVD").out.find(",05,"), Text::npos);
}

TEST_F(Cli, WithoutAnswerAFileWithErrorsIsWrittenWithAWarningLine) {
  importRejectedRecord();
  const CliRun r = run("write-uvd " + path("UVD.TXT"));
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(fs::exists(m_dir.path() / "UVD.TXT"));
  EXPECT_NE(r.err.find("Warnung: " + errorsFound + "\n"), Text::npos) << r.err;
  EXPECT_NE(r.out.find("UVD.TXT geschrieben: "), Text::npos);
}

TEST_F(Cli, AnswerNoRefusesToWriteAFileWithErrorsAndYesWritesIt) {
  importRejectedRecord();
  const CliRun no = run("--answer no write-uvd " + path("NO.TXT"));
  EXPECT_EQ(no.status, 1);
  EXPECT_FALSE(fs::exists(m_dir.path() / "NO.TXT"));
  EXPECT_NE(no.out.find(errorsFound + " Trotzdem schreiben? Nein"), Text::npos) << no.out;
  const CliRun yes = run("--answer yes write-uvd " + path("YES.TXT"));
  EXPECT_EQ(yes.status, 0);
  EXPECT_TRUE(fs::exists(m_dir.path() / "YES.TXT"));
  EXPECT_NE(yes.out.find(errorsFound + " Trotzdem schreiben? Ja"), Text::npos) << yes.out;
}

TEST_F(Cli, AnswerNoRefusesTheRestore) {
  run("backup");
  importRejectedRecord();
  const CliRun r = run("--answer no restore uvd.dbf");
  EXPECT_NE(r.out.find("Aus der Sicherung zurückholen: uvd.dbf."), Text::npos) << r.out;
  EXPECT_NE(run("dump UVD").out.find("05A"), Text::npos);
  run("restore uvd.dbf");
  EXPECT_EQ(run("dump UVD").out.find("05A"), Text::npos);
}

// An empty file name is a mistake of the call: the usage, exit 2, nothing written.
TEST_F(Cli, AnEmptyFileNameIsAUsageError) {
  for (const char* arguments : {"write-uvd ''", "write-lehrer-asd ''", "check --save ''"}) {
    const CliRun r = run(arguments);
    EXPECT_EQ(r.status, 2) << arguments;
    EXPECT_NE(r.err.find("write-uvd FILE"), Text::npos) << arguments << r.err;
    EXPECT_EQ(r.out, "") << arguments;
  }
}

}  // namespace
}  // namespace velmoran
