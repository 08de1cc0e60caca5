#pragma once
// What the four imports tell about their file beyond "done": why a file is not read (or not
// read to its end), and the notes about content that could not be taken as it stands (a NUL
// byte in a text, a number too large for its field, two teacher codes that became one), each
// with its line and column, listed in one message after the import.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

#include "app/workspace.h"
#include "store/result.h"
#include "store/table.h"
#include "store/text.h"
#include "untis/line_reader.h"

namespace velmoran::untis {

// The second sentence when an import refuses its file or its table.
inline constexpr const char* nothingReadText = "Es wurde nichts eingelesen.";

// The sentences for a file that is not read: the path and "kann nicht geöffnet werden !",
// or why reading stopped (`line`: the line that is too long). Nothing is read in each case.
Text fileProblemText(FileProblem problem, const std::filesystem::path& file, std::size_t line);

// The reader of an import's file, or why the import reads nothing: the page's table is not
// one of the program's own (with "Es wurde nichts eingelesen."), or the file cannot be read
// (fileProblemText).
Result<LineReader> openImport(app::Workspace& ws, app::Page page,
                              const std::filesystem::path& file);

// Why an import kept none of its file after reading it: the page's table could not be
// written (`replaced`, logged), or the file failed while it was read. Nothing when it kept it.
std::optional<Text> importFailure(const app::Workspace& ws, const Result<void>& replaced,
                                  const LineReader& reader, const std::filesystem::path& file,
                                  app::Page page);

class ImportNotes {
public:
  void add(std::size_t line, std::size_t column, Text what);

  // The field's text without NUL bytes, which are noted; the view lives until the next call.
  std::string_view withoutNul(std::string_view field, std::size_t line, std::size_t column);
  // The number a field's text gives (untisNumber) for a field of the table, or nothing when
  // it does not fit there; both that and an exponent after the digits, which is not read,
  // are noted.
  std::optional<double> number(std::string_view text, const store::Field& field, std::size_t line,
                               std::size_t column);
  // Whether a number fits the field; when it does not, that is noted.
  bool fits(double value, const store::Field& field, std::size_t line, std::size_t column);

  bool empty() const { return m_notes.empty(); }
  // All notes for one message, the first ones listed line by line.
  Text text() const;

private:
  struct Note {
    std::size_t line;
    std::size_t column;
    Text what;
  };
  std::vector<Note> m_notes;
  Text m_scratch;
};

}  // namespace velmoran::untis
