// Whole imports over the folders of tests/fixtures/untis: each folder holds an input file
// (GPU002.TXT or UVD.TXT) and expected.csv, the imported table as `velmoran-cli dump` shows it.

#include <gtest/gtest.h>

#include <algorithm>

#include "pages/table_commands.h"
#include "support/test_workspace.h"
#include "untis/gpu002_import.h"
#include "untis/uvd_txt_import.h"

namespace velmoran::untis {
namespace {

namespace fs = std::filesystem;

fs::path fixturesDir() { return test::sourceDir() / "tests" / "fixtures" / "untis"; }

std::vector<std::string> caseNames() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(fixturesDir()))
    if (entry.is_directory()) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

class UntisFixture : public testing::TestWithParam<std::string> {};

TEST_P(UntisFixture, ImportsToTheExpectedTable) {
  fs::path dir = fixturesDir() / GetParam();
  test::TestWorkspace t;
  app::Page page = app::Page::Gpsul;
  if (fs::exists(dir / "GPU002.TXT")) {
    t.ui().files.push_back(dir / "GPU002.TXT");
    getFromUntis(t.ws(), t.ui());
  } else {
    ASSERT_TRUE(fs::exists(dir / "UVD.TXT")) << "no input file in " << dir;
    page = app::Page::Uvd;
    t.ui().files.push_back(dir / "UVD.TXT");
    getFromUvd(t.ws(), t.ui());
  }
  EXPECT_EQ(t.ui().onlyMessage().kind, "info");
  EXPECT_EQ(pages::dumpCsv(t.table(page)), test::readBytes(dir / "expected.csv"));
}

INSTANTIATE_TEST_SUITE_P(Folders, UntisFixture, testing::ValuesIn(caseNames()),
                         [](const testing::TestParamInfo<std::string>& info) {
                           return info.param;
                         });

}  // namespace
}  // namespace velmoran::untis
