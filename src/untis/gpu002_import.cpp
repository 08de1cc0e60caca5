#include "untis/gpu002_import.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <ctime>
#include <string>
#include <system_error>

#include "store/bulk.h"
#include "store/field_codec.h"
#include "untis/export_launch.h"
#include "untis/import_notes.h"
#include "untis/line_reader.h"

namespace velmoran::untis {

namespace {

Text caption() { return Text(app::programTitle) + " / GPU002.TXT einlesen"; }
constexpr const char* invalidFileText = "Keine gültige GPU002.TXT";
constexpr const char* doneText = "Das Einlesen der Datei ist abgeschlossen !";
constexpr const char* settingsNotWrittenText = "Die Velmoran.INI kann nicht geschrieben werden !";

constexpr const char* exportFileName = "gpu002.txt";
constexpr std::size_t separatorSearchLength = 5;
constexpr int lastColumn = 35;

enum class Conversion { none, number, text, date };

struct ColumnSpec {
  int position;  // field position in GPSUL, 0: not stored
  Conversion conversion;
};

// Column n of a line (index n - 1) goes to this field of GPSUL.
constexpr std::array<ColumnSpec, lastColumn> columnTable = [] {
  std::array<ColumnSpec, lastColumn> t{};
  auto set = [&t](int column, int position, Conversion c) { t[column - 1] = {position, c}; };
  set(1, 1, Conversion::number);    // UNR
  set(2, 2, Conversion::number);    // WSTD
  set(3, 3, Conversion::number);    // WSTD_KLA
  set(4, 4, Conversion::number);    // WSTD_LEH
  set(5, 5, Conversion::text);      // KLASSE
  set(6, 6, Conversion::text);      // LEHRER
  set(7, 7, Conversion::text);      // FACH
  set(8, 8, Conversion::text);      // FACHRAUM
  set(9, 9, Conversion::text);      // STAT_U
  set(10, 10, Conversion::number);  // SCHUELER_G
  set(11, 11, Conversion::number);  // WOCHENWERT
  set(15, 12, Conversion::date);    // DATUM_VON
  set(16, 13, Conversion::date);    // DATUM_BIS
  set(17, 14, Conversion::number);  // JAHRESWERT
  set(33, 15, Conversion::text);    // STAT_L
  set(34, 16, Conversion::number);  // SCHUELER_M
  set(35, 17, Conversion::number);  // SCHUELER_W
  return t;
}();

// The GPSUL record of a line, put field by field into the current record. Quotes do not
// protect a separator; a line with fewer columns leaves the remaining fields blank.
void putColumns(store::Table& gpsul, std::string_view line, char separator, std::size_t lineNumber,
                ImportNotes& notes) {
  std::size_t start = 0;
  std::size_t column = 0;
  for (const ColumnSpec& spec : columnTable) {
    ++column;
    std::size_t end = start;
    while (end < line.size() && line[end] != separator) ++end;
    if (spec.conversion != Conversion::none) {
      const std::string_view field =
          trimmedView(notes.withoutNul(line.substr(start, end - start), lineNumber, column));
      switch (spec.conversion) {
        case Conversion::number: {
          const store::Field& f = gpsul.structure()[static_cast<std::size_t>(spec.position - 1)];
          if (auto value = notes.number(field, f, lineNumber, column))
            gpsul.put(spec.position, *value);
          break;
        }
        case Conversion::text:
          gpsul.put(spec.position, untisText(field));
          break;
        case Conversion::date:
          gpsul.put(spec.position, untisDate(field));
          break;
        case Conversion::none:
          break;
      }
    }
    if (end == line.size()) return;
    start = end + 1;
  }
}

// "06.12.2026 um  18:28:28": the date and time of the import as the info dialog shows it.
Text importStamp() { return localTimeText(std::time(nullptr), "%d.%m.%Y um  %H:%M:%S"); }

}  // namespace

std::optional<char> findSeparator(std::string_view head) {
  head = head.substr(0, std::min(head.size(), separatorSearchLength));
  for (char c : {',', ';', '\t', ' '})
    if (head.find(c) != std::string_view::npos) return c;
  return std::nullopt;
}

double untisNumber(std::string_view field) {
  // The sign and the digits: "-12.5x" is -12.5; without a digit ("", ".", "-x") it is 0.
  std::size_t i = 0;
  bool negative = false;
  if (i < field.size() && (field[i] == '-' || field[i] == '+')) negative = field[i++] == '-';
  const std::size_t begin = i;
  while (i < field.size() && field[i] >= '0' && field[i] <= '9') ++i;
  if (i < field.size() && field[i] == '.') ++i;
  while (i < field.size() && field[i] >= '0' && field[i] <= '9') ++i;
  const std::string_view digits = field.substr(begin, i - begin);
  double value = 0;
  if (auto simple = store::simpleDecimal(digits)) {
    value = *simple;
  } else {
    const auto r = std::from_chars(digits.data(), digits.data() + digits.size(), value,
                                   std::chars_format::fixed);
    if (r.ec != std::errc()) return 0;
  }
  return negative ? -value : value;
}

Text untisText(std::string_view field) {
  Text out;
  out.reserve(field.size());
  for (char c : field)
    if (c != '"') out += c;
  return out;
}

Date untisDate(std::string_view field) {
  // Positions count the opening quote: characters 2 to 5 are the year, 6 and 7 the month,
  // 8 and 9 the day. Eight digits there (the usual case) are the date straight away.
  auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
  if (field.size() >= 9 && std::all_of(field.begin() + 1, field.begin() + 9, isDigit)) {
    auto number = [field](std::size_t from, std::size_t count) {
      int v = 0;
      for (char c : field.substr(from, count)) v = v * 10 + (c - '0');
      return v;
    };
    return Date::make(number(1, 4), number(5, 2), number(7, 2)).value_or(Date{});
  }
  auto part = [field](std::size_t from, std::size_t count) {
    return from < field.size() ? field.substr(from, count) : std::string_view();
  };
  return Date::parse(Text(part(7, 2)) + "." + Text(part(5, 2)) + "." + Text(part(1, 4)));
}

void getFromUntis(app::Workspace& ws, app::Ui& ui) {
  std::optional<std::filesystem::path> file = launchExport(ws, ui, gpu002Switch, exportFileName);
  if (!file) {
    app::FileRequest request;
    request.caption = caption();
    request.directory = ws.dataDir();
    request.proposedName = "GPU002.TXT";
    request.filters = {{"*.TXT", "Untis Dateien"}};
    file = ui.openFile(request);
    if (!file) return;
  }
  importGpu002(ws, ui, *file);
}

void importGpu002(app::Workspace& ws, app::Ui& ui, const std::filesystem::path& file) {
  auto reader = openImport(ws, app::Page::Gpsul, file);
  if (!reader) {
    ui.warning(caption(), reader.reason());
    return;
  }
  LineReader::Start start = reader->start();
  std::optional<char> separator = findSeparator(reader->head(separatorSearchLength));
  if (start != LineReader::Start::ok || !separator) {
    ui.warning(caption(), invalidFileText);
    return;
  }

  ui.busy(true);
  ImportNotes notes;
  std::size_t lines = 0;
  const auto replaced = store::replaceTables([&](store::Replacement& replacement) {
    store::Table& gpsul =
        replacement.add(ws.table(app::Page::Gpsul), store::Replacement::Start::deleted);
    while (auto line = reader->next()) {
      gpsul.append();
      putColumns(gpsul, *line, *separator, reader->lineNumber(), notes);
      ++lines;
    }
    return reader->problem() == FileProblem::none;
  });
  ui.busy(false);
  if (auto failed = importFailure(ws, replaced, *reader, file, app::Page::Gpsul)) {
    ui.warning(caption(), *failed);
    return;
  }
  ui.showPage(static_cast<int>(app::Page::Gpsul));

  ws.settings.lastImport = importStamp();
  if (!ws.saveSettings()) ui.warning(app::programTitle, settingsNotWrittenText);
  ui.status("GPU002.TXT: " + app::counted(lines, "Zeile", "Zeilen") + " eingelesen");
  ui.info(caption(), doneText);
  if (!notes.empty()) ui.warning(caption(), notes.text());
}

}  // namespace velmoran::untis
