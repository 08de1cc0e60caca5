// Whole runs of the teacher data: GPU004.TXT and LEHRER.TXT imported, fields edited as the
// grid pages edit them, LEHRER_ASD.TXT written and compared byte for byte with the file
// written by hand in each folder of tests/fixtures/teacher/:
//   settings.tsv    schoolForm, minuteModel, minutes, schoolNumber (key TAB value, UTF-8)
//   GPU004.TXT      LEHRER.TXT   the Untis exports
//   edits.tsv       TABLE TAB n TAB FIELD TAB VALUE: the n-th live record (record order), UTF-8
//   LEHRER_ASD.TXT  the expected file

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <tuple>

#include "asdpc/lehrer_asd_writer.h"
#include "pages/table_commands.h"
#include "store/code_page.h"
#include "support/test_workspace.h"
#include "untis/gpu004_import.h"
#include "untis/lehrer_txt_import.h"

namespace velmoran::asdpc {
namespace {

namespace fs = std::filesystem;
using app::Page;

std::vector<std::vector<std::string>> tsvRows(const fs::path& file) {
  std::vector<std::vector<std::string>> rows;
  std::string bytes = test::readBytes(file);
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find("\r\n", start);
    std::string line = bytes.substr(start, end - start);
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

// Record number of the n-th live record in record order.
std::uint32_t liveRecno(store::Table& t, int n) {
  const int order = t.order();
  t.setOrder(0);
  std::uint32_t recno = 0;
  for (t.goTop(); !t.eof(); t.skip())
    if (--n == 0) {
      recno = t.recno();
      break;
    }
  t.setOrder(order);
  return recno;
}

struct Run {
  std::string folder;
  bool importsTwice;
};

std::string runName(const testing::TestParamInfo<Run>& info) {
  return info.param.folder + (info.param.importsTwice ? "_imported_twice" : "");
}

class TeacherRun : public testing::TestWithParam<Run> {};

TEST_P(TeacherRun, WritesTheExpectedLehrerAsdTxt) {
  const fs::path in = test::sourceDir() / "tests/fixtures/teacher" / GetParam().folder;
  std::map<std::string, std::string> settings;
  for (const auto& row : tsvRows(in / "settings.tsv"))
    settings[row[0]] = row.size() > 1 ? row[1] : "";

  test::TestWorkspace t(store::utf8ToWindows1252(settings["schoolForm"]));
  t.ws().settings.minuteModel = settings["minuteModel"];
  t.ws().settings.minutes = settings["minutes"];
  t.ws().settings.schoolNumber = settings["schoolNumber"];

  for (int pass = GetParam().importsTwice ? 2 : 1; pass > 0; --pass) {
    t.ui().files.push_back(in / "GPU004.TXT");
    untis::readGpu004Txt(t.ws(), t.ui());
    t.ui().files.push_back(in / "LEHRER.TXT");
    untis::readLehrerTxt(t.ws(), t.ui());
  }
  for (const auto& edit : tsvRows(in / "edits.tsv")) {
    ASSERT_EQ(edit.size(), 4u);
    store::Table& table = t.table(*app::pageByTableName(edit[0]));
    const std::uint32_t recno = liveRecno(table, std::stoi(edit[1]));
    ASSERT_NE(recno, 0u) << edit[0] << " " << edit[1];
    ASSERT_TRUE(pages::setField(table, recno, edit[2], store::utf8ToWindows1252(edit[3])));
  }
  const fs::path out = t.dir() / "LEHRER_ASD.TXT";
  t.ui().files.push_back(out);
  // The fixtures keep values the check calls errors: the file is written all the same.
  t.ui().writeAnswers = {app::WriteAnswer::write};
  writeLehrerAsd(t.ws(), t.ui());

  for (const auto& m : t.ui().messages) {
    if (m.kind == "question") continue;
    EXPECT_EQ(m.kind, "info") << m.text;
  }
  EXPECT_EQ(t.ui().messages.back().caption, "Velmoran 2021 / Lehrer_ASD.Txt schreiben");
  EXPECT_EQ(t.ui().messages.back().text, "Der Export der Daten ist abgeschlossen !");
  EXPECT_EQ(test::readBytes(out), test::readBytes(in / "LEHRER_ASD.TXT"));
}

// Every folder of the fixtures, each run once with single and once with repeated imports.
std::vector<Run> runs() {
  std::vector<Run> list;
  for (const auto& entry : fs::directory_iterator(test::sourceDir() / "tests/fixtures/teacher"))
    if (entry.is_directory())
      for (bool twice : {false, true}) list.push_back({entry.path().filename().string(), twice});
  std::sort(list.begin(), list.end(), [](const Run& a, const Run& b) {
    return std::tie(a.folder, a.importsTwice) < std::tie(b.folder, b.importsTwice);
  });
  return list;
}

INSTANTIATE_TEST_SUITE_P(Fixtures, TeacherRun, testing::ValuesIn(runs()), runName);

}  // namespace
}  // namespace velmoran::asdpc
