// The bad-input corpus: every malformed Untis export in tests/fixtures/bad_input is refused
// with its exact message and leaves every table file byte-identical. A 50 MB line without a
// line end is made here rather than kept in the repository.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <map>
#include <sstream>

#include "store/code_page.h"
#include "support/test_workspace.h"
#include "transfer/untis_uvd.h"
#include "untis/gpu002_import.h"
#include "untis/gpu004_import.h"
#include "untis/lehrer_txt_import.h"
#include "untis/uvd_txt_import.h"

namespace velmoran {
namespace {

namespace fs = std::filesystem;

// Every table and index file of the data directory, by name.
std::map<std::string, std::string> tableFiles(const fs::path& dir) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::directory_iterator(dir)) {
    std::string ext = e.path().extension().string();
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext == ".dbf" || ext == ".ntx")
      files[e.path().filename().string()] = test::readBytes(e.path());
  }
  return files;
}

// A program whose tables hold records: a teaching distribution transferred into UVD, teachers,
// extra and reduced work.
class BadInput : public ::testing::Test {
protected:
  void SetUp() override {
    const fs::path untis = test::sourceDir() / "tests/fixtures/untis/gpu002_comma";
    const fs::path teacher = test::sourceDir() / "tests/fixtures/teacher/gy_hours";
    untis::importGpu002(t.ws(), t.ui(), untis / "GPU002.TXT");
    transfer::untisUvd(t.ws(), t.ui());
    untis::importGpu004(t.ws(), t.ui(), teacher / "GPU004.TXT");
    t.ui().files.push_back(teacher / "LEHRER.TXT");
    untis::readLehrerTxt(t.ws(), t.ui());
    t.ws().closeTables();
    before = tableFiles(t.dir());
    ASSERT_EQ(before.size(), 7u + 10u) << "seven tables and their ten index files";
    ASSERT_TRUE(t.ws().openTables());
    t.ui().messages.clear();
  }

  // Run the importer the file's name belongs to.
  void import(const fs::path& file) {
    const std::string name = file.filename().string();
    if (name == "GPU002.TXT")
      untis::importGpu002(t.ws(), t.ui(), file);
    else if (name == "GPU004.TXT")
      untis::importGpu004(t.ws(), t.ui(), file);
    else if (name == "UVD.TXT")
      untis::importUvd(t.ws(), t.ui(), file);
    else {
      t.ui().files.push_back(file);
      untis::readLehrerTxt(t.ws(), t.ui());
    }
  }

  void expectTablesUnchanged() {
    t.ws().closeTables();
    EXPECT_TRUE(tableFiles(t.dir()) == before) << "a table or index file changed";
  }

  test::TestWorkspace t;
  std::map<std::string, std::string> before;
};

struct Expected {
  std::string kind;
  Text caption;
  Text text;
};

// expected.txt (UTF-8): the kind, the caption, then the text's lines (joined by CR LF); in
// these, {file} stands for the input's path as the messages show it.
Expected readExpected(const fs::path& file) {
  std::istringstream in(store::decodeTextFile(test::readBytes(file)));
  Expected e;
  std::string line;
  std::getline(in, e.kind);
  std::getline(in, e.caption);
  while (std::getline(in, line)) e.text += (e.text.empty() ? "" : "\r\n") + line;
  return e;
}

std::vector<fs::path> corpusCases() {
  std::vector<fs::path> cases;
  for (const auto& e : fs::directory_iterator(test::sourceDir() / "tests/fixtures/bad_input"))
    if (e.is_directory()) cases.push_back(e.path());
  std::sort(cases.begin(), cases.end());
  return cases;
}

TEST_F(BadInput, EveryCorpusFileIsRefusedWithItsMessageAndChangesNoTable) {
  const std::vector<fs::path> cases = corpusCases();
  ASSERT_GE(cases.size(), 20u);
  for (const fs::path& dir : cases) {
    SCOPED_TRACE(dir.filename().string());
    fs::path input;
    for (const auto& e : fs::directory_iterator(dir))
      if (e.path().filename() != "expected.txt") input = e.path();
    const Expected expected = readExpected(dir / "expected.txt");
    t.ui().messages.clear();
    t.ui().pagesShown.clear();
    import(input);
    const test::Message& m = t.ui().onlyMessage();
    EXPECT_EQ(m.kind, expected.kind);
    EXPECT_EQ(m.caption, expected.caption);
    Text text = expected.text;
    if (const std::size_t at = text.find("{file}"); at != Text::npos)
      text.replace(at, 6, store::pathText(input));
    EXPECT_EQ(m.text, text);
    EXPECT_TRUE(t.ui().pagesShown.empty());
  }
  expectTablesUnchanged();
}

TEST_F(BadInput, FiftyMegabyteLineWithoutLineEndIsRefusedByEveryImporter) {
  const std::string line(50u * 1024 * 1024, 'A');
  for (const char* name : {"GPU002.TXT", "GPU004.TXT", "LEHRER.TXT", "UVD.TXT"}) {
    SCOPED_TRACE(name);
    const fs::path file = t.dir() / "long" / name;
    fs::create_directories(file.parent_path());
    {
      std::ofstream out(file, std::ios::binary);
      out << (std::string(name) == "LEHRER.TXT" ? "LS" : "1;2,3 ") << line;
    }
    const fs::path dir = test::sourceDir() / "tests/fixtures/bad_input" /
                         (std::string(name) == "LEHRER.TXT"   ? "lehrer_empty"
                          : std::string(name) == "UVD.TXT"    ? "uvd_empty"
                          : std::string(name) == "GPU004.TXT" ? "gpu004_empty"
                                                              : "gpu002_empty");
    const Expected expected = readExpected(dir / "expected.txt");
    t.ui().messages.clear();
    import(file);
    const test::Message& m = t.ui().onlyMessage();
    EXPECT_EQ(m.kind, expected.kind);
    EXPECT_EQ(m.text, expected.text);
    fs::remove(file);
  }
  expectTablesUnchanged();
}

TEST_F(BadInput, MissingFileIsRefusedNamingItAndChangesNoTable) {
  const fs::path missing = t.dir() / "fehlt" / "GPU002.TXT";
  import(missing);
  const test::Message& m = t.ui().onlyMessage();
  EXPECT_EQ(m.kind, "warning");
  EXPECT_EQ(m.text, missing.string() + "\r\nkann nicht geöffnet werden !");
  expectTablesUnchanged();
}

// An import checks its table before it deletes anything: UVD's file replaced by GPSUL's while
// the program runs is named, and no file changes.
TEST_F(BadInput, AnImportIntoAForeignTableIsRefusedBeforeItDeletesAnything) {
  t.ws().closeTables();
  test::writeBytes(t.dir() / "uvd.dbf", test::readBytes(t.dir() / "gpsul.dbf"));
  before = tableFiles(t.dir());
  ASSERT_TRUE(t.ws().openTables());
  untis::importUvd(t.ws(), t.ui(), test::sourceDir() / "tests/fixtures/untis/uvd_written/UVD.TXT");
  const test::Message& m = t.ui().onlyMessage();
  EXPECT_EQ(m.kind, "warning");
  const Text start = "Die Datei " + store::pathText(t.dir() / "uvd.dbf") +
                     " enthält nicht die Tabelle UVD: die Felder ";
  EXPECT_EQ(m.text.substr(0, start.size()), start);
  EXPECT_TRUE(m.text.ends_with("\r\nEs wurde nichts eingelesen.")) << m.text;
  expectTablesUnchanged();
}

}  // namespace
}  // namespace velmoran
