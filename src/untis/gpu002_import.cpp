#include "untis/gpu002_import.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "pages/table_commands.h"
#include "store/field_codec.h"
#include "store/parallel.h"
#include "untis/export_launch.h"
#include "untis/line_reader.h"

namespace velmoran::untis {

namespace {

Text caption() { return Text(app::programTitle) + " / GPU002.TXT einlesen"; }
constexpr const char* cannotOpenText = "kann nicht geöffnet werden !";
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

constexpr std::size_t fieldCount = 17;
constexpr std::size_t dateCount = 2;

// Date fields in turn: the field at position p is date number dateSlot[p - 1].
constexpr std::array<std::size_t, fieldCount> dateSlot = [] {
  std::array<std::size_t, fieldCount> slots{};
  std::size_t next = 0;
  for (const ColumnSpec& spec : columnTable)
    if (spec.conversion == Conversion::date)
      slots[static_cast<std::size_t>(spec.position - 1)] = next++;
  return slots;
}();

// A line cut into the columns GPSUL takes: for each field the line reaches, its column's
// text without the surrounding blanks (and, for text fields, without double quotes), its date
// for date fields. Lines are cut on one thread while the records of the lines before are
// appended on the other.
struct CutLine {
  std::uint32_t reached = 0;  // bit p - 1: field p has a column
  std::array<std::uint32_t, fieldCount> begin{};  // field p's text in Batch::texts
  std::array<std::uint32_t, fieldCount> length{};
  std::array<Date, dateCount> dates;
};

struct Batch {
  static constexpr std::size_t lines = 256;
  std::vector<CutLine> cut = std::vector<CutLine>(lines);
  std::size_t count = 0;
  Text texts;  // the columns of the batch, one after the other
};

// Quotes do not protect a separator; a line with fewer columns leaves the remaining fields
// blank.
void cutLine(std::string_view line, char separator, CutLine& out, Text& texts) {
  out.reached = 0;
  std::size_t start = 0;
  for (int column = 1; column <= lastColumn; ++column) {
    std::size_t end = line.find(separator, start);
    const bool last = end == std::string_view::npos;  // the last column ends with the line
    if (last) end = line.size();
    const ColumnSpec& spec = columnTable[static_cast<std::size_t>(column - 1)];
    if (spec.position != 0) {
      std::string_view field = trimmedView(line.substr(start, end - start));
      const auto p = static_cast<std::size_t>(spec.position - 1);
      out.begin[p] = static_cast<std::uint32_t>(texts.size());
      if (spec.conversion == Conversion::text) appendUntisText(field, texts);
      else if (spec.conversion == Conversion::date) out.dates[dateSlot[p]] = untisDate(field);
      else texts += field;
      out.length[p] = static_cast<std::uint32_t>(texts.size() - out.begin[p]);
      out.reached |= 1u << p;
    }
    if (last) break;
    start = end + 1;
  }
}

void appendCut(store::Table& t, const CutLine& line, std::string_view texts) {
  t.append();
  for (const ColumnSpec& spec : columnTable) {
    const auto p = static_cast<std::size_t>(spec.position - 1);
    if (spec.position == 0 || !(line.reached & (1u << p))) continue;
    std::string_view field = texts.substr(line.begin[p], line.length[p]);
    switch (spec.conversion) {
      case Conversion::number: t.put(spec.position, untisNumber(field)); break;
      case Conversion::date: t.put(spec.position, line.dates[dateSlot[p]]); break;
      case Conversion::text: t.put(spec.position, field); break;
      case Conversion::none: break;
    }
  }
}

// "06.12.2026 um  18:28:28": the date and time of the import as the info dialog shows it.
Text importStamp() {
  std::time_t now = std::time(nullptr);
  std::tm tm{};
#ifdef _WIN32
  localtime_s(&tm, &now);
#else
  localtime_r(&now, &tm);
#endif
  char buf[32];
  std::strftime(buf, sizeof buf, "%d.%m.%Y um  %H:%M:%S", &tm);
  return buf;
}

}  // namespace

std::optional<char> findSeparator(std::string_view head) {
  head = head.substr(0, std::min(head.size(), separatorSearchLength));
  for (char c : {',', ';', '\t', ' '})
    if (head.find(c) != std::string_view::npos) return c;
  return std::nullopt;
}

double untisNumber(std::string_view field) {
  std::size_t i = 0;
  bool negative = false;
  if (i < field.size() && (field[i] == '-' || field[i] == '+')) negative = field[i++] == '-';
  std::size_t begin = i;
  while (i < field.size() && field[i] >= '0' && field[i] <= '9') ++i;
  if (i < field.size() && field[i] == '.') ++i;
  while (i < field.size() && field[i] >= '0' && field[i] <= '9') ++i;
  double value = 0;
  if (auto simple = store::simpleDecimal(field.substr(begin, i - begin))) {
    value = *simple;
  } else {
    auto r = std::from_chars(field.data() + begin, field.data() + i, value,
                             std::chars_format::fixed);
    if (r.ec != std::errc()) return 0;
  }
  return negative ? -value : value;
}

void appendUntisText(std::string_view field, Text& out) {
  for (char c : field)
    if (c != '"') out += c;
}

Text untisText(std::string_view field) {
  Text out;
  out.reserve(field.size());
  appendUntisText(field, out);
  return out;
}

Date untisDate(std::string_view field) {
  // Positions count the opening quote: characters 2 to 5 are the year, 6 and 7 the month,
  // 8 and 9 the day.
  auto part = [field](std::size_t from, std::size_t count) {
    return from < field.size() ? field.substr(from, count) : std::string_view();
  };
  char joined[10];  // "dd.mm.yyyy" at most
  std::size_t n = 0;
  for (std::string_view piece : {part(7, 2), std::string_view("."), part(5, 2), std::string_view("."), part(1, 4)})
    for (char c : piece) joined[n++] = c;
  return Date::parse(std::string_view(joined, n));
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
  auto reader = LineReader::open(file);
  if (!reader) {
    ui.warning(caption(), file.string() + "\r\n" + cannotOpenText);
    return;
  }
  LineReader::Start start = reader->start();
  std::optional<char> separator = findSeparator(reader->head(separatorSearchLength));
  if (start != LineReader::Start::ok || !separator) {
    ui.warning(caption(), invalidFileText);
    return;
  }

  store::Table& gpsul = ws.table(app::Page::Gpsul);
  ui.busy(true);
  pages::markAllDeleted(gpsul);
  // The orders are built once from the records at the flush, not kept in step with every
  // appended line.
  gpsul.releaseOrders();
  std::array<Batch, 3> batches;
  store::inTwoStages(
      batches.size(),
      [&](std::size_t slot) {
        Batch& b = batches[slot];
        b.count = 0;
        b.texts.clear();
        while (b.count < Batch::lines) {
          auto line = reader->next();
          if (!line) break;
          cutLine(*line, *separator, b.cut[b.count++], b.texts);
        }
        return b.count > 0;
      },
      [&](std::size_t slot) {
        const Batch& b = batches[slot];
        for (std::size_t i = 0; i < b.count; ++i) appendCut(gpsul, b.cut[i], b.texts);
      });
  gpsul.flush();
  gpsul.goTop();
  ui.busy(false);
  ui.showPage(static_cast<int>(app::Page::Gpsul));

  ws.settings.lastImport = importStamp();
  if (!ws.saveSettings()) ui.warning(app::programTitle, settingsNotWrittenText);
  ui.info(caption(), doneText);
}

}  // namespace velmoran::untis
