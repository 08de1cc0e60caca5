#include "untis/uvd_txt_import.h"

#include <string>

#include "store/bulk.h"
#include "untis/gpu002_import.h"
#include "untis/import_notes.h"
#include "untis/line_reader.h"

namespace velmoran::untis {

namespace {

constexpr const char* invalidFileText = "Keine gültige UVD.TXT";
constexpr const char* doneText = "Das Einlesen der Datei ist abgeschlossen !";

Text caption() { return Text(app::programTitle) + " / UVD.TXT einlesen"; }

constexpr char separator = ';';
// Columns 1 to 11 go to the first eleven fields of UVD; the rest (Bildungsgang, product
// name and version) are not stored.
constexpr int storedColumns = 11;
// WSTD, SCHUELER_G and SCHUELER_W are numbers; every other stored column is text.
bool isNumberColumn(int column) { return column == 5 || column == 8 || column == 9; }

void appendRecord(store::Table& t, std::string_view line, std::size_t lineNumber,
                  ImportNotes& notes, Text& scratch) {
  scratch.assign(line);
  scratch += separator;
  t.append();
  std::size_t start = 0;
  for (int column = 1; column <= storedColumns; ++column) {
    std::size_t end = scratch.find(separator, start);
    if (end == Text::npos) break;
    const auto at = static_cast<std::size_t>(column);
    const Text field = trim(
        notes.withoutNul(std::string_view(scratch).substr(start, end - start), lineNumber, at));
    if (!isNumberColumn(column))
      t.put(column, untisText(field));
    else if (auto value = notes.number(field, t.structure()[at - 1], lineNumber, at))
      t.put(column, *value);
    start = end + 1;
  }
}

}  // namespace

void getFromUvd(app::Workspace& ws, app::Ui& ui) {
  app::FileRequest request;
  request.caption = caption();
  request.directory = ws.dataDir();
  request.proposedName = "UVD.TXT";
  request.filters = {{"*.TXT", "Text - Dateien"}};
  auto file = ui.openFile(request);
  if (!file) return;
  importUvd(ws, ui, *file);
}

void importUvd(app::Workspace& ws, app::Ui& ui, const std::filesystem::path& file) {
  auto reader = openImport(ws, app::Page::Uvd, file);
  if (!reader) {
    ui.warning(caption(), reader.reason());
    return;
  }
  // The first line is the header, even an empty one (which is refused).
  std::optional<Text> header;
  if (reader->start() == LineReader::Start::ok) {
    if (auto first = reader->next(true)) header = Text(*first);
  }
  if (!header || header->find(separator) == Text::npos) {
    ui.warning(caption(), invalidFileText);
    return;
  }

  ui.busy(true);
  ImportNotes notes;
  std::size_t records = 0;
  const auto replaced = store::replaceTables([&](store::Replacement& replacement) {
    store::Table& uvd =
        replacement.add(ws.table(app::Page::Uvd), store::Replacement::Start::deleted);
    Text scratch;
    while (auto line = reader->next()) {
      // The header repeated (files joined together) is no record; a record that merely holds
      // the word KLASSE is one.
      if (*line == *header) continue;
      appendRecord(uvd, *line, reader->lineNumber(), notes, scratch);
      ++records;
    }
    return reader->problem() == FileProblem::none;
  });
  ui.busy(false);
  if (auto failed = importFailure(ws, replaced, *reader, file, app::Page::Uvd)) {
    ui.warning(caption(), *failed);
    return;
  }
  ui.showPage(static_cast<int>(app::Page::Uvd));
  ui.status("UVD.TXT: " + app::counted(records, "Zeile", "Zeilen") + " eingelesen");
  ui.info(caption(), doneText);
  if (!notes.empty()) ui.warning(caption(), notes.text());
}

}  // namespace velmoran::untis
