#include "app/column_layout_file.h"

#include <cstdlib>

#include "store/files.h"

namespace velmoran::app {

namespace {

int numberOf(std::string_view text) {
  Text t = removeBlanks(text);
  return std::atoi(t.c_str());
}

// The page whose column lines include line i (1-based), or -1 for headers and lines past
// the last section.
int pageOfLine(int line) {
  int header = 1;
  for (int page = 0; page < pageCount; ++page) {
    int first = header + 1;
    int last = header + columnLinesPerPage[page];
    if (line >= first && line <= last) return page;
    header = last + 1;
  }
  return -1;
}

int totalLines() {
  int n = 0;
  for (int c : columnLinesPerPage) n += c + 1;
  return n;
}

}  // namespace

std::optional<std::array<ColumnLayout, pageCount>> parseColumnLayouts(std::string_view text) {
  std::array<ColumnLayout, pageCount> layouts;
  std::size_t pos = 0;
  for (int i = 1; i <= totalLines(); ++i) {
    std::size_t end = text.find("\r\n", pos);
    if (end == std::string_view::npos) break;
    Text line = trim(text.substr(pos, end - pos));
    pos = end + 2;
    int page = pageOfLine(i);
    if (page < 0) continue;
    std::size_t first = line.find(':');
    std::size_t last = line.rfind(':');
    int width = first == Text::npos ? 0 : numberOf(std::string_view(line).substr(first + 1, 3));
    int position = last == Text::npos ? 0 : numberOf(std::string_view(line).substr(last + 1, 2));
    layouts[page].emplace_back(width, position);
  }
  return layouts;
}

std::optional<std::array<ColumnLayout, pageCount>> readColumnLayouts(
    const std::filesystem::path& file) {
  // A layout file that cannot be read (a folder, or far too big for 66 lines) counts as
  // missing: the pages keep their built-in layouts.
  auto bytes = store::readFile(file, store::smallFileLimit);
  if (!bytes) return std::nullopt;
  return parseColumnLayouts(*bytes);
}

std::string formatColumnLayouts(const std::array<std::vector<ColumnState>, pageCount>& pages) {
  std::string out;
  for (int page = 0; page < pageCount; ++page) {
    out += "[TAB_PAGE" + std::to_string(page + 1) + "]\r\n";
    for (const auto& column : pages[page])
      out += column.caption + ":" + padRight(std::to_string(column.width), 3) + ":" +
             std::to_string(column.position) + "\r\n";
  }
  return out;
}

}  // namespace velmoran::app
