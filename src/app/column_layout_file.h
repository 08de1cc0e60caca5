#pragma once
// VELMORAN_Column.INI: the column widths and positions of the seven pages, saved when the
// main window closes and applied when it opens. Lines are read by their line number, so
// each section has a fixed count of column lines.

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/workspace.h"

namespace velmoran::app {

inline constexpr const char* columnLayoutFileName = "VELMORAN_Column.INI";

// Column lines per page, in page order (the fields of each page's table).
inline constexpr std::array<int, pageCount> columnLinesPerPage = {17, 11, 3, 3, 4, 15, 6};

struct ColumnState {
  Text caption;
  int width = 0;
  int position = 0;
};

// The layouts, or nothing when the file does not exist or cannot be read.
std::optional<std::array<ColumnLayout, pageCount>> readColumnLayouts(
    const std::filesystem::path& file);
std::optional<std::array<ColumnLayout, pageCount>> parseColumnLayouts(std::string_view text);

// The file's text for the pages' current columns: "[TAB_PAGEn]" and "caption:width:position".
std::string formatColumnLayouts(const std::array<std::vector<ColumnState>, pageCount>& pages);

}  // namespace velmoran::app
