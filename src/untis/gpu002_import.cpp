#include "untis/gpu002_import.h"

#include <algorithm>
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

// The sign and the digits untisNumber reads: "-12.5x" is "-" and "12.5"; without a digit
// ("", ".", "-x") the digits are "0".
struct UntisDecimal {
  bool negative = false;
  std::string_view digits;
};

UntisDecimal untisDecimal(std::string_view field) {
  std::size_t i = 0;
  bool negative = false;
  if (i < field.size() && (field[i] == '-' || field[i] == '+')) negative = field[i++] == '-';
  const std::size_t begin = i;
  while (i < field.size() && field[i] >= '0' && field[i] <= '9') ++i;
  if (i < field.size() && field[i] == '.') ++i;
  while (i < field.size() && field[i] >= '0' && field[i] <= '9') ++i;
  const std::string_view digits = field.substr(begin, i - begin);
  if (digits.empty() || digits == ".") return {negative, "0"};
  return {negative, digits};
}

// The GPSUL record of a line. Quotes do not protect a separator; a line with fewer columns
// leaves the remaining fields blank.
void makeRecord(std::string_view line, char separator, const store::RecordBuilder& gpsul,
                char* record, Text& text) {
  gpsul.blank(record);
  // Where the columns begin, found in one pass over the line: column c + 1 runs from
  // begin[c] up to the separator before begin[c + 1]; the last column the line has ends with it.
  std::array<std::size_t, lastColumn + 1> begin;
  std::size_t separators = 0;  // found, up to the one after the last column read
  begin[0] = 0;
  for (std::size_t i = 0; i < line.size() && separators < lastColumn; ++i)
    if (line[i] == separator) begin[++separators] = i + 1;
  const std::size_t columns = std::min<std::size_t>(separators + 1, lastColumn);
  if (separators < lastColumn) begin[separators + 1] = line.size() + 1;
  for (std::size_t c = 0; c < columns; ++c) {
    const ColumnSpec& spec = columnTable[c];
    if (spec.position == 0) continue;
    std::string_view field = trimmedView(line.substr(begin[c], begin[c + 1] - 1 - begin[c]));
    switch (spec.conversion) {
      case Conversion::number: {
        const UntisDecimal d = untisDecimal(field);
        if (!gpsul.putDecimal(record, spec.position, d.negative, d.digits))
          gpsul.put(record, spec.position, untisNumber(field));
        break;
      }
      case Conversion::text: {
        // Mostly "text" with no quote inside: the text between the quotes as it stands.
        std::string_view value = field;
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
          value = value.substr(1, value.size() - 2);
        if (value.find('"') != std::string_view::npos) {
          text.clear();
          appendUntisText(field, text);
          value = text;
        }
        gpsul.put(record, spec.position, value);
        break;
      }
      case Conversion::date:
        gpsul.put(record, spec.position, untisDate(field));
        break;
      case Conversion::none:
        break;
    }
  }
}

// The GPSUL records of up to 256 lines. The thread that reads the lines makes the records of
// the first 160 and keeps the other lines, whose records the appending thread makes before
// it appends them all. (Appending costs more than reading the lines: so both threads are
// about equally busy.)
struct Batch {
  static constexpr std::size_t lines = 256;
  static constexpr std::size_t madeOnReading = 160;
  std::string records;  // `count` records one after the other
  std::size_t count = 0;
  Text kept;  // the lines from madeOnReading on, one after the other
  std::vector<std::size_t> keptEnds;

  void fill(LineReader& reader, char separator, const store::RecordBuilder& gpsul, Text& text) {
    records.resize(lines * gpsul.size());
    count = 0;
    kept.clear();
    keptEnds.clear();
    for (; count < lines; ++count) {
      auto line = reader.next();
      if (!line) break;
      if (count < madeOnReading) {
        makeRecord(*line, separator, gpsul, records.data() + count * gpsul.size(), text);
      } else {
        kept += *line;
        keptEnds.push_back(kept.size());
      }
    }
  }

  void makeKept(char separator, const store::RecordBuilder& gpsul, Text& text) {
    std::size_t from = 0;
    for (std::size_t k = 0; k < keptEnds.size(); ++k) {
      const std::string_view line = std::string_view(kept).substr(from, keptEnds[k] - from);
      makeRecord(line, separator, gpsul, records.data() + (madeOnReading + k) * gpsul.size(), text);
      from = keptEnds[k];
    }
  }
};

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
  const UntisDecimal d = untisDecimal(field);
  double value = 0;
  if (auto simple = store::simpleDecimal(d.digits)) {
    value = *simple;
  } else {
    auto r = std::from_chars(d.digits.data(), d.digits.data() + d.digits.size(), value,
                             std::chars_format::fixed);
    if (r.ec != std::errc()) return 0;
  }
  return d.negative ? -value : value;
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
  char joined[10];  // "dd.mm.yyyy" at most
  std::size_t n = 0;
  for (std::string_view piece :
       {part(7, 2), std::string_view("."), part(5, 2), std::string_view("."), part(1, 4)})
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
  const store::RecordBuilder records(gpsul);
  const std::size_t recordSize = records.size();
  std::array<Batch, 3> batches;
  // A text column without its quotes, one for each thread that makes records.
  Text readingText, appendingText;
  store::inTwoStages(
      batches.size(),
      [&](std::size_t slot) {
        batches[slot].fill(*reader, *separator, records, readingText);
        return batches[slot].count > 0;
      },
      [&](std::size_t slot) {
        Batch& b = batches[slot];
        b.makeKept(*separator, records, appendingText);
        const std::string_view all = b.records;
        for (std::size_t i = 0; i < b.count; ++i)
          gpsul.append(all.substr(i * recordSize, recordSize));
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
