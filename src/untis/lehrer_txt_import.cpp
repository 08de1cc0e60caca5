#include "untis/lehrer_txt_import.h"

#include <algorithm>
#include <cmath>

#include "store/bulk.h"
#include "store/code_page.h"
#include "store/table.h"
#include "untis/gpu002_import.h"
#include "untis/import_notes.h"
#include "untis/line_reader.h"

namespace velmoran::untis {

namespace {

Text caption() { return Text(app::programTitle) + " / Lehrer.Txt einlesen"; }
Text failureText(const Text& detail) { return caption() + "\r\n" + detail; }
constexpr const char* invalidFileText = "Keine gültige Lehrer.txt aus Untis";
constexpr const char* doneText = "Das Einlesen der Datei ist abgeschlossen !";

// The first line of a LEHRER.TXT is a teacher's target hours.
constexpr std::string_view firstKind = "LS";

// Fixed positions of a line (0-based start, length).
struct Span {
  std::size_t start;
  std::size_t length;
};
constexpr Span artSpan{0, 2};
constexpr Span abbreviationSpan{8, 4};
constexpr Span hoursSpan{12, 5};
constexpr Span keySpan{17, 3};

std::string_view at(std::string_view line, Span s) {
  return s.start < line.size() ? line.substr(s.start, s.length) : std::string_view();
}

// The first catalog entry whose first three characters are the key; the key itself when none.
Text expandKey(std::string_view key, const catalog::Catalog& catalog) {
  for (const Text& entry : catalog)
    if (left(entry, keySpan.length) == key) return entry;
  return Text(key);
}

double roundToCents(double v) { return std::round(v * 100) / 100; }

void storeRecord(store::Table& t, const LehrerTxtRecord& r, bool withHours) {
  t.append();
  const std::uint32_t recno = t.recno();
  // A record that cannot be locked stays blank.
  if (!t.lock(recno)) return;
  t.put("ART", r.art);
  t.put("UNTIS_KRZ", r.abbreviation);
  if (withHours) t.put("USTD", r.hours);
  if (r.art == "65") t.put("NICHT", r.nicht);
  if (r.art == "66") t.put("MEHR", r.mehr);
  if (r.art == "67") t.put("MINDER", r.minder);
  t.unlock(recno);
}

// The line with each NUL byte turned into a blank, so that the positions stay; each field
// that held one is noted.
std::string_view withoutNul(std::string_view line, std::size_t lineNumber, ImportNotes& notes,
                            Text& scratch) {
  if (line.find('\0') == std::string_view::npos) return line;
  for (Span s : {artSpan, abbreviationSpan, hoursSpan, keySpan})
    if (at(line, s).find('\0') != std::string_view::npos)
      notes.add(lineNumber, s.start + 1, "NUL-Zeichen entfernt");
  scratch.assign(line);
  for (char& c : scratch)
    if (c == '\0') c = ' ';
  return scratch;
}

}  // namespace

double minuteFactor(const app::Settings& settings) {
  if (!settings.minuteModelOn()) return 0;
  return std::max(settings.minutesValue().value_or(0.0), 0.0);
}

LehrerTxtRecord parseLehrerTxtLine(std::string_view line, double factor,
                                   const catalog::Catalogs& catalogs) {
  LehrerTxtRecord r;
  r.art = Text(at(line, artSpan));
  r.abbreviation = upper(at(line, abbreviationSpan));
  r.hours = untisNumber(trim(at(line, hoursSpan)));
  if (factor > 0) r.hours = roundToCents(r.hours * factor);
  const std::string_view key = at(line, keySpan);
  if (r.art == "65") r.nicht = expandKey(key, catalogs.ANICHT);
  if (r.art == "66") r.mehr = expandKey(key, catalogs.AMEHR);
  if (r.art == "67") r.minder = expandKey(key, catalogs.AMINDER);
  return r;
}

void readLehrerTxt(app::Workspace& ws, app::Ui& ui) {
  app::FileRequest request;
  request.caption = caption();
  request.directory = ws.dataDir();
  request.proposedName = "Lehrer.Txt";
  request.filters = {{"*.TXT", "Text - Dateien"}};
  std::optional<std::filesystem::path> file = ui.openFile(request);
  if (!file) return;
  importLehrerTxt(ws, ui, *file);
}

void importLehrerTxt(app::Workspace& ws, app::Ui& ui, const std::filesystem::path& file) {
  auto reader = openImport(ws, app::Page::MehrMinder, file);
  if (!reader) {
    ui.error(app::programTitle, failureText(reader.reason()));
    return;
  }
  const double factor = minuteFactor(ws.settings);
  // The text before the first CR must begin with LS.
  if (reader->start() != LineReader::Start::ok || reader->head(firstKind.size()) != firstKind) {
    ui.error(app::programTitle, failureText(invalidFileText));
    return;
  }

  ui.busy(true);
  ImportNotes notes;
  std::size_t lines = 0;
  const auto replaced = store::replaceTables([&](store::Replacement& replacement) {
    store::Table& mm =
        replacement.add(ws.table(app::Page::MehrMinder), store::Replacement::Start::deleted);
    const store::Field& hours = mm.structure()[static_cast<std::size_t>(mm.fieldIndex("USTD") - 1)];
    Text scratch;
    // The whole file is read, block by block, down to its last complete line.
    while (auto line = reader->next()) {
      const std::size_t n = reader->lineNumber();
      const LehrerTxtRecord r =
          parseLehrerTxtLine(withoutNul(*line, n, notes, scratch), factor, ws.catalogs);
      storeRecord(mm, r, notes.fits(r.hours, hours, n, hoursSpan.start + 1));
      ++lines;
    }
    return reader->problem() == FileProblem::none;
  });
  ui.busy(false);
  if (auto failed = importFailure(ws, replaced, *reader, file, app::Page::MehrMinder)) {
    ui.error(app::programTitle, failureText(*failed));
    return;
  }
  ui.showPage(static_cast<int>(app::Page::MehrMinder));
  ui.status("LEHRER.TXT: " + app::counted(lines, "Zeile", "Zeilen") + " eingelesen");
  ui.info(caption(), doneText);
  if (!notes.empty()) ui.warning(caption(), notes.text());
}

}  // namespace velmoran::untis
