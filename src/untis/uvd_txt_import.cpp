#include "untis/uvd_txt_import.h"

#include <string>

#include "store/bulk.h"
#include "untis/gpu002_import.h"
#include "untis/line_reader.h"

namespace velmoran::untis {

namespace {

constexpr const char* cannotOpenText = "kann nicht geöffnet werden !";
constexpr const char* invalidFileText = "Keine gültige UVD.TXT";
constexpr const char* doneText = "Das Einlesen der Datei ist abgeschlossen !";

Text caption() { return Text(app::programTitle) + " / UVD.TXT einlesen"; }

constexpr char separator = ';';
// Columns 1 to 11 go to the first eleven fields of UVD; the rest (Bildungsgang, product
// name and version) are not stored.
constexpr int storedColumns = 11;
// WSTD, SCHUELER_G and SCHUELER_W are numbers; every other stored column is text.
bool isNumberColumn(int column) { return column == 5 || column == 8 || column == 9; }

// A header line repeated inside the file (files joined together) is no record.
bool isHeaderLine(std::string_view line) { return upper(line).find("\"KLASSE\"") != Text::npos; }

void appendRecord(store::Table& t, std::string_view line, Text& scratch) {
  scratch.assign(line);
  scratch += separator;
  t.append();
  std::size_t start = 0;
  for (int column = 1; column <= storedColumns; ++column) {
    std::size_t end = scratch.find(separator, start);
    if (end == Text::npos) break;
    Text field = trim(std::string_view(scratch).substr(start, end - start));
    if (isNumberColumn(column))
      t.put(column, untisNumber(field));
    else
      t.put(column, untisText(field));
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
  const std::uint32_t recordsBefore = ws.table(app::Page::Uvd).lastRec();
  auto reader = LineReader::open(file);
  if (!reader) {
    ui.warning(caption(), file.string() + "\r\n" + cannotOpenText);
    return;
  }
  std::optional<std::string_view> header;
  if (reader->start() == LineReader::Start::ok) header = reader->next();
  if (!header || header->find(separator) == std::string_view::npos) {
    ui.warning(caption(), invalidFileText);
    return;
  }

  ui.busy(true);
  store::replaceRecords(ws.table(app::Page::Uvd), [&](store::Table& uvd) {
    Text scratch;
    while (auto line = reader->next())
      if (!isHeaderLine(*line)) appendRecord(uvd, *line, scratch);
  });
  ui.busy(false);
  ui.showPage(static_cast<int>(app::Page::Uvd));
  ui.status("UVD.TXT: " +
            app::counted(ws.table(app::Page::Uvd).lastRec() - recordsBefore, "Zeile", "Zeilen") +
            " eingelesen");
  ui.info(caption(), doneText);
}

}  // namespace velmoran::untis
