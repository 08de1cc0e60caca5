// Whole schools through the plausibility check, one folder of
// tests/fixtures/check/ each:
//   settings.tsv   schoolForm, minuteModel, minutes, schoolNumber, today (key
//   TAB value) UVD.tsv FACH.tsv KLASSE.tsv LEHRER.tsv MEHR_MINDER.tsv
//                  a header of field names, then one record per line, values as
//                  typed in the grid (UTF-8, TAB-separated)
//   expected.txt   the list as `velmoran-cli check --save` writes it
//   (Windows-1252, CR LF)
// The check runs in the core with the folder's date and through the command
// line program on the same data directory (its date is today: the fixtures'
// birth dates are decades away from the age limits).

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

#include "asdpc/plausibility.h"
#include "pages/table_commands.h"
#include "store/code_page.h"
#include "support/test_workspace.h"

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace velmoran::asdpc {
namespace {

namespace fs = std::filesystem;
using app::Page;

std::vector<std::vector<std::string>> tsvRows(const fs::path& file) {
  std::vector<std::vector<std::string>> rows;
  const std::string bytes = test::readBytes(file);
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t end = bytes.find("\r\n", start);
    const std::string line = bytes.substr(start, end - start);
    start = end == std::string::npos ? bytes.size() : end + 2;
    std::vector<std::string> cells;
    std::size_t from = 0;
    for (std::size_t tab; (tab = line.find('\t', from)) != std::string::npos; from = tab + 1)
      cells.push_back(line.substr(from, tab - from));
    cells.push_back(line.substr(from));
    rows.push_back(cells);
  }
  return rows;
}

struct Case {
  std::string folder;
  int exitStatus;
};

std::string caseName(const testing::TestParamInfo<Case>& info) { return info.param.folder; }

class CheckRun : public testing::TestWithParam<Case> {
protected:
  fs::path in() const { return test::sourceDir() / "tests/fixtures/check" / GetParam().folder; }

  std::map<std::string, std::string> settings() const {
    std::map<std::string, std::string> s;
    for (const auto& row : tsvRows(in() / "settings.tsv")) s[row[0]] = row.size() > 1 ? row[1] : "";
    return s;
  }

  // Settings saved, catalogs built, every table of the folder filled as the
  // grid would.
  void fill(app::Workspace& ws) const {
    auto s = settings();
    ws.settings.schoolForm = store::utf8ToWindows1252(s["schoolForm"]);
    ws.settings.minuteModel = s["minuteModel"];
    ws.settings.minutes = s["minutes"];
    ws.settings.schoolNumber = s["schoolNumber"];
    ASSERT_TRUE(ws.saveSettings());
    ws.fillZulFaecher();
    for (Page page : {Page::Uvd, Page::Fach, Page::Klasse, Page::Lehrer, Page::MehrMinder}) {
      const auto rows = tsvRows(in() / (std::string(app::tableInfo(page).name) + ".tsv"));
      store::Table& t = ws.table(page);
      for (std::size_t r = 1; r < rows.size(); ++r) {
        t.append();
        const std::uint32_t recno = t.recno();
        for (std::size_t c = 0; c < rows[r].size(); ++c)
          ASSERT_TRUE(pages::setField(t, recno, rows[0][c], store::utf8ToWindows1252(rows[r][c])));
      }
      t.flush();
    }
  }
};

TEST_P(CheckRun, FindsWhatTheFolderExpects) {
  test::TestWorkspace t;
  fill(t.ws());
  const Date today = Date::parse(settings()["today"]);
  ASSERT_FALSE(today.isEmpty());

  const auto findings = checkData(t.ws(), today);

  EXPECT_EQ(formatFindings(findings), test::readBytes(in() / "expected.txt"));
  EXPECT_EQ(hasErrors(findings), GetParam().exitStatus == 1);
}

int runProgram(const std::string& commandLine) {
#ifdef _WIN32
  // cmd.exe drops the first and the last quote of a line that holds several.
  return std::system(("\"" + commandLine + "\"").c_str());
#else
  const int status = std::system(commandLine.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
}

TEST_P(CheckRun, CommandLinePrintsTheListSavesItAndEndsWithItsStatus) {
  test::TempDir dir;
  const fs::path data = dir / "data";
  fs::create_directory(data);
  {
    test::ScriptedUi ui;
    auto ws = test::startOn(data, ui);
    ASSERT_TRUE(ws);
    fill(*ws);
  }
  const fs::path saved = dir / "liste.txt";
  const fs::path out = dir / "out.txt";
  const std::string command = "\"" + (test::programDir() / "velmoran-cli").string() + "\" \"-" +
                              data.string() + "\" check --save \"" + saved.string() + "\" > \"" +
                              out.string() + "\"";

  EXPECT_EQ(runProgram(command), GetParam().exitStatus);

  const std::string expected = test::readBytes(in() / "expected.txt");
  EXPECT_EQ(test::readBytes(saved), expected);
  // Printed as UTF-8 lines; the first line of the list among them.
  const std::string firstLine = expected.substr(0, expected.find("\r\n"));
  const std::string printed = test::readBytes(out);
  EXPECT_NE(printed.find(store::windows1252ToUtf8(firstLine)), std::string::npos) << printed;
}

INSTANTIATE_TEST_SUITE_P(Fixtures, CheckRun,
                         testing::Values(Case{"gy_violations", 1}, Case{"gy_clean", 0},
                                         Case{"gy_notes_only", 0}),
                         caseName);

}  // namespace
}  // namespace velmoran::asdpc
