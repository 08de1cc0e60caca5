#include "app/column_layout_file.h"

#include <gtest/gtest.h>

namespace velmoran::app {
namespace {

std::array<std::vector<ColumnState>, pageCount> sampleColumns() {
  std::array<std::vector<ColumnState>, pageCount> pages;
  for (int p = 0; p < pageCount; ++p)
    for (int c = 0; c < columnLinesPerPage[p]; ++c)
      pages[p].push_back({"Spalte " + std::to_string(c + 1), c == 0 ? 120 : 35 + c, c + 1});
  return pages;
}

TEST(ColumnLayoutFile, WritesSixtySixLinesWithPaddedWidths) {
  std::string text = formatColumnLayouts(sampleColumns());
  int lines = 0;
  for (std::size_t p = text.find("\r\n"); p != std::string::npos; p = text.find("\r\n", p + 2))
    ++lines;
  EXPECT_EQ(lines, 66);
  EXPECT_EQ(text.substr(0, 13), "[TAB_PAGE1]\r\n");
  EXPECT_NE(text.find("Spalte 1:120:1\r\n"), std::string::npos);
  EXPECT_NE(text.find("Spalte 2:36 :2\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\n[TAB_PAGE7]\r\n"), std::string::npos);
}

TEST(ColumnLayoutFile, ReadsBackWhatWasWritten) {
  auto pages = sampleColumns();
  auto layouts = parseColumnLayouts(formatColumnLayouts(pages));
  ASSERT_TRUE(layouts.has_value());
  for (int p = 0; p < pageCount; ++p) {
    ASSERT_EQ((*layouts)[p].size(), pages[p].size()) << "page " << p + 1;
    for (std::size_t c = 0; c < pages[p].size(); ++c) {
      EXPECT_EQ((*layouts)[p][c].first, pages[p][c].width);
      EXPECT_EQ((*layouts)[p][c].second, pages[p][c].position);
    }
  }
}

TEST(ColumnLayoutFile, LinesAreTakenByNumberSoExtraColumnsLandOnTheNextPage) {
  auto pages = sampleColumns();
  pages[0].push_back({"Zusatz", 99, 18});  // a page 1 with 18 columns
  auto layouts = parseColumnLayouts(formatColumnLayouts(pages));
  ASSERT_TRUE(layouts.has_value());
  EXPECT_EQ((*layouts)[0].size(), 17u);
  // Page 1's 18th column stands on line 19, read as a header; page 2's header line is read as
  // its first column and gives zeros; its real first column comes second.
  ASSERT_EQ((*layouts)[1].size(), 11u);
  EXPECT_EQ((*layouts)[1][0], std::make_pair(0, 0));
  EXPECT_EQ((*layouts)[1][1], std::make_pair(120, 1));
}

TEST(ColumnLayoutFile, AShortFileFillsOnlyTheFirstPages) {
  auto layouts = parseColumnLayouts("[TAB_PAGE1]\r\nUNR:40 :1\r\nWSTD:  7:12\r\n");
  ASSERT_TRUE(layouts.has_value());
  ASSERT_EQ((*layouts)[0].size(), 2u);
  EXPECT_EQ((*layouts)[0][1], std::make_pair(7, 12));
  EXPECT_TRUE((*layouts)[1].empty());
}

}  // namespace
}  // namespace velmoran::app
