// Whole runs of the statistics side, one per folder of tests/fixtures/asdpc: GPSUL filled
// with the lines of gpsul.tsv, ZULFACH replaced by zulfach.tsv, the transfer, the new names
// of fach.tsv and klasse.tsv entered in the registered records, both conversions, and
// UVD.TXT written and compared byte for byte. A second round must give the same file and
// register nothing more.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>

#include "asdpc/uvd_txt_writer.h"
#include "core/transfer/lesson_lines.h"
#include "store/code_page.h"
#include "support/test_workspace.h"
#include "transfer/conversion.h"
#include "transfer/untis_uvd.h"

namespace velmoran::asdpc {
namespace {

using app::Page;
namespace fs = std::filesystem;
using Row = std::vector<Text>;

fs::path fixtures() { return test::sourceDir() / "tests" / "fixtures" / "asdpc"; }

std::vector<std::string> caseNames() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(fixtures()))
    if (entry.is_directory()) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// Tab-separated lines as Windows-1252, fields kept as written (blanks included).
std::vector<Row> readTsv(const fs::path& file, bool hasHeader = true) {
  const Text text = store::decodeTextFile(test::readBytes(file));
  std::vector<Row> rows;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == Text::npos) end = text.size();
    Text line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (hasHeader) {
      hasHeader = false;
      continue;
    }
    Row fields;
    std::size_t from = 0;
    for (std::size_t tab; (tab = line.find('\t', from)) != Text::npos; from = tab + 1)
      fields.push_back(line.substr(from, tab - from));
    fields.push_back(line.substr(from));
    rows.push_back(fields);
  }
  return rows;
}

double number(const Text& text) { return std::strtod(text.c_str(), nullptr); }

std::vector<test::LessonLine> lessonLines(const fs::path& file) {
  std::vector<test::LessonLine> lines;
  for (const Row& r : readTsv(file))
    lines.emplace_back(number(r.at(0)), r.at(1), r.at(2), r.at(3), r.at(4), number(r.at(5)),
                       number(r.at(6)), number(r.at(7)), number(r.at(8)));
  return lines;
}

std::vector<Text> columnOf(const std::vector<Row>& rows, std::size_t i) {
  std::vector<Text> values;
  for (const Row& r : rows) values.push_back(r.at(i));
  return values;
}

// The user's entries on the conversion pages, record by record in record order.
void enter(store::Table& t, const std::vector<Row>& rows,
           const std::vector<std::pair<std::size_t, const char*>>& fields) {
  const int order = t.order();
  t.setOrder(0);
  t.goTop();
  for (const Row& r : rows) {
    for (const auto& [column, field] : fields) t.put(field, r.at(column));
    t.skip();
  }
  t.setOrder(order);
  t.flush();
}

std::string writeAndRead(test::TestWorkspace& t, const std::string& name) {
  const fs::path file = t.dir() / name;
  t.ui().files.push_back(file);
  t.ui().writeAnswers = {app::WriteAnswer::write};  // also when the check finds errors
  writeUvd(t.ws(), t.ui());
  return test::readBytes(file);
}

// Class conversion first, then subjects: a subject's course kind wins over a class's.
void convert(test::TestWorkspace& t) {
  t.ui().messages.clear();
  transfer::konvertClasses(t.ws(), t.ui());
  transfer::konvertItems(t.ws(), t.ui());
}

class WholeRun : public ::testing::TestWithParam<std::string> {};

TEST_P(WholeRun, WritesTheExpectedUvdTxt) {
  const fs::path dir = fixtures() / GetParam();
  std::map<Text, Text> settings;
  for (const Row& r : readTsv(dir / "settings.tsv", false)) settings[r.at(0)] = r.at(1);
  test::TestWorkspace t(settings.at("schoolForm"));
  t.ws().settings.minuteModel = settings.at("minuteModel");
  t.ws().settings.minutes = settings.at("minutes");

  std::vector<test::ZulfachEntry> zulfach;
  for (const Row& r : readTsv(dir / "zulfach.tsv")) zulfach.push_back({r.at(0), r.at(1)});
  test::replaceZulfach(t.table(Page::Zulfach), zulfach);
  test::addLines(t.table(Page::Gpsul), lessonLines(dir / "gpsul.tsv"));

  transfer::untisUvd(t.ws(), t.ui());
  const auto fachRows = readTsv(dir / "fach.tsv");
  const auto klasseRows = readTsv(dir / "klasse.tsv");
  store::Table& fach = t.table(Page::Fach);
  store::Table& klasse = t.table(Page::Klasse);
  ASSERT_EQ(test::column(fach, "FACHALT"), columnOf(fachRows, 0));
  ASSERT_EQ(test::column(klasse, "KLASSE_ALT"), columnOf(klasseRows, 0));
  ASSERT_EQ(test::column(klasse, "KLASSE_NEU"), columnOf(klasseRows, 1));
  enter(fach, fachRows, {{1, "FACHNEU"}, {2, "KURSART"}});
  enter(klasse, klasseRows, {{2, "KLASSE_NEU"}, {3, "JAHRGANG"}, {4, "KURSART"}});

  convert(t);
  const std::string expected = test::readBytes(dir / "UVD.TXT");
  EXPECT_EQ(writeAndRead(t, "UVD.TXT"), expected);
  // The conversions and the writer end with their information boxes; the only question may be
  // the check's before writing.
  std::size_t infos = 0;
  for (const auto& m : t.ui().messages) {
    if (m.kind == "question" && m.caption == "Velmoran 2021 / UVD.TXT schreiben") continue;
    EXPECT_EQ(m.kind, "info") << m.caption;
    ++infos;
  }
  EXPECT_EQ(infos, 3u);

  // A second round from the transfer on (it asks before rebuilding UVD): the same file,
  // nothing more registered.
  t.ui().answers = {true};
  transfer::untisUvd(t.ws(), t.ui());
  convert(t);
  EXPECT_EQ(writeAndRead(t, "UVD2.TXT"), expected);
  EXPECT_EQ(fach.lastRec(), fachRows.size());
  EXPECT_EQ(klasse.lastRec(), klasseRows.size());
}

INSTANTIATE_TEST_SUITE_P(Fixtures, WholeRun, ::testing::ValuesIn(caseNames()),
                         [](const auto& info) { return info.param; });

}  // namespace
}  // namespace velmoran::asdpc
