#include "untis/gpu004_import.h"

#include <algorithm>
#include <array>
#include <optional>
#include <unordered_map>
#include <utility>
#include <variant>

#include "catalog/catalogs.h"
#include "store/bulk.h"
#include "store/code_page.h"
#include "store/table.h"
#include "untis/export_launch.h"
#include "untis/gpu002_import.h"
#include "untis/import_notes.h"
#include "untis/line_reader.h"

namespace velmoran::untis {

namespace {

Text doneCaption() { return Text(app::programTitle) + " / GPU004.TXT einlesen"; }
Text failureText(const Text& detail) {
  return Text(app::programTitle) + " / Lehrerdaten aus Untis einlesen\r\n" + detail;
}
constexpr const char* unusableText = "Die Datei enthält keine für Velmoran verwertbare Daten !";
constexpr const char* doneText = "Das Einlesen der Datei ist abgeschlossen !";

constexpr const char* exportFileName = "gpu004.txt";
constexpr std::size_t separatorSearchLength = 10;
constexpr std::size_t abbreviationLength = 4;
// Each new teacher gets this many rows that hold only the abbreviation.
constexpr int furtherRows = 3;

// The field name of each column; nullptr for the columns that are never stored (D4 to D28,
// D32, D34, D35, D38). A named column is stored only where LEHRER has that field.
constexpr std::array<const char*, gpu004Columns> columnNames = [] {
  std::array<const char*, gpu004Columns> names{};
  auto set = [&names](int column, const char* name) { names[column - 1] = name; };
  set(1, "UNTIS_KRZ");
  set(2, "LNAME");
  set(3, "RECHTSVER");
  set(29, "LVORNAME");
  set(30, "LTITEL");
  set(31, "GESCHLECHT");
  set(33, "LEMAIL");
  set(36, "ALIAS");
  set(37, "SERIENNR");
  set(39, "LTELEFON");
  set(40, "LHANDY");
  set(41, "LGEBDAT");
  return names;
}();

// How a column's text becomes the value of its field; the first rule that fits the field
// wins.
enum class Rule { sex, abbreviation, legalRelationship, date, number, text };

struct Target {
  int position = 0;  // field position in LEHRER, 0: not stored
  Rule rule = Rule::text;
};

using Value = std::variant<Text, double, Date>;

std::array<Target, gpu004Columns> targetsFor(const store::Table& lehrer) {
  std::array<Target, gpu004Columns> targets{};
  for (std::size_t i = 0; i < targets.size(); ++i) {
    const char* name = columnNames[i];
    if (!name) continue;
    const int position = lehrer.fieldIndex(name);
    if (position == 0) continue;
    const char type = lehrer.structure()[static_cast<std::size_t>(position - 1)].type;
    const std::string_view n = name;
    Rule rule = n == "GESCHLECHT"  ? Rule::sex
                : n == "UNTIS_KRZ" ? Rule::abbreviation
                : n == "RECHTSVER" ? Rule::legalRelationship
                : type == 'D'      ? Rule::date
                : type == 'N'      ? Rule::number
                                   : Rule::text;
    targets[i] = {position, rule};
  }
  return targets;
}

Text withoutQuotes(std::string_view s) {
  Text out;
  for (char c : s)
    if (c != '"') out += c;
  return out;
}

// Every pair of adjacent double quotes removed (a single one stays).
Text withoutQuotePairs(std::string_view s) {
  Text out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '"' && i + 1 < s.size() && s[i + 1] == '"') {
      ++i;
      continue;
    }
    out += s[i];
  }
  return out;
}

// Eight digits year, month, day; anything else is no date.
Date dateFromDigits(std::string_view text) {
  if (text.size() != 8 ||
      !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return Date();
  return Date::parse(Text(text.substr(6, 2)) + "." + Text(text.substr(4, 2)) + "." +
                     Text(text.substr(0, 4)));
}

// A legal relationship given by its letter becomes the catalog entry beginning with it; a
// letter no entry begins with stays as it is.
Text legalRelationship(std::string_view text, const catalog::Catalog& catalog) {
  const Text letter = upper(left(text, 1));
  if (letter.empty()) return letter;
  for (const Text& entry : catalog)
    if (left(entry, 1) == letter) return entry;
  return letter;
}

Value convert(Rule rule, const Text& text, const catalog::Catalogs& catalogs) {
  switch (rule) {
    case Rule::sex:
      return Text(text == "1" ? "W" : text == "2" ? "M" : "");
    case Rule::abbreviation:
      // Untis marks a teacher it cannot name with "?": such a line is not stored.
      if (text.find('?') != Text::npos) return Text(abbreviationLength, ' ');
      return upper(left(text, abbreviationLength));
    case Rule::legalRelationship:
      return legalRelationship(text, catalogs.ARECHTSVER);
    case Rule::date:
      return dateFromDigits(text);
    case Rule::number:
      return untisNumber(text);
    case Rule::text:
      return withoutQuotePairs(text);
  }
  return Text();
}

void put(store::Table& t, int position, const Value& value) {
  std::visit([&](const auto& v) { t.put(position, v); }, value);
}

// A record appended and written under its record lock; when the lock cannot be had the
// record stays blank.
template <typename Fill>
void appendLocked(store::Table& t, Fill fill) {
  t.append();
  const std::uint32_t recno = t.recno();
  if (!t.lock(recno)) return;
  fill();
  t.unlock(recno);
}

class Importer {
public:
  Importer(store::Table& lehrer, const catalog::Catalogs& catalogs, char separator,
           ImportNotes& notes)
      : m_t(lehrer),
        m_catalogs(catalogs),
        m_separator(separator),
        m_targets(targetsFor(lehrer)),
        m_notes(notes) {
    const int krz = lehrer.fieldIndex("UNTIS_KRZ");
    m_keyWidth =
        krz > 0 ? static_cast<std::size_t>(lehrer.structure()[krz - 1].length) : abbreviationLength;
  }

  void storeLine(std::string_view line, std::size_t lineNumber) {
    // Every line starts from empty values: a column missing from a short line is empty, never
    // the value of the line before.
    std::array<std::optional<Value>, gpu004Columns> values{};
    const std::vector<Text> fields = splitGpu004Line(line, m_separator);
    for (std::size_t i = 0; i < fields.size(); ++i) {
      const Target& target = m_targets[i];
      if (target.position == 0) continue;
      const Text text(m_notes.withoutNul(fields[i], lineNumber, i + 1));
      if (target.rule != Rule::number) {
        values[i] = convert(target.rule, text, m_catalogs);
      } else if (auto number = m_notes.number(
                     text, m_t.structure()[static_cast<std::size_t>(target.position - 1)],
                     lineNumber, i + 1)) {
        values[i] = *number;
      }
    }

    const Text abbreviation =
        values[0] && std::holds_alternative<Text>(*values[0]) ? std::get<Text>(*values[0]) : Text();
    if (trim(abbreviation).empty()) return;
    if (isSecondName(abbreviation, fields.empty() ? Text() : fields[0], lineNumber)) return;
    // The whole key is sought, so "AB" does not find the teacher "ABC".
    if (m_t.seek(padRight(abbreviation, m_keyWidth), false)) {
      ++m_known;
      return;
    }
    ++m_added;

    appendLocked(m_t, [&] {
      for (std::size_t i = 0; i < values.size(); ++i)
        if (values[i]) put(m_t, m_targets[i].position, *values[i]);
    });
    for (int row = 0; row < furtherRows; ++row)
      appendLocked(m_t, [&] { m_t.put(1, abbreviation); });
  }

  // "12 Lehrer neu aufgenommen, 3 schon vorhanden"
  Text summary() const {
    return app::counted(m_added, "Lehrer", "Lehrer") + " neu aufgenommen, " +
           std::to_string(m_known) + " schon vorhanden";
  }

private:
  // Two codes of the file that are one once cut to four characters and upper-cased ("abc"
  // and "ABC", "ABCDE" and "ABCDF"): the later teacher is not taken, which is noted.
  bool isSecondName(const Text& abbreviation, const Text& written, std::size_t lineNumber) {
    const auto [first, isNew] = m_firstWritten.try_emplace(abbreviation, written, lineNumber);
    if (isNew || first->second.first == written) return false;
    m_notes.add(lineNumber, 1,
                "das Kürzel \"" + written + "\" wird zu \"" + trimRight(abbreviation) +
                    "\" wie \"" + first->second.first + "\" in Zeile " +
                    std::to_string(first->second.second) + "; der Lehrer wurde nicht aufgenommen");
    return true;
  }

  store::Table& m_t;
  const catalog::Catalogs& m_catalogs;
  char m_separator;
  std::array<Target, gpu004Columns> m_targets;
  ImportNotes& m_notes;
  std::size_t m_keyWidth;
  std::size_t m_added = 0;  // teachers appended
  std::size_t m_known = 0;  // teachers LEHRER held already
  // Each code of the file as it was written first, with its line.
  std::unordered_map<Text, std::pair<Text, std::size_t>> m_firstWritten;
};

std::optional<char> separatorOf(std::string_view head) {
  for (char c : {',', ';', '\t', ' '})
    if (head.find(c) != std::string_view::npos) return c;
  return std::nullopt;
}

}  // namespace

std::vector<Text> splitGpu004Line(std::string_view lineIn, char separator) {
  // One separator is appended, so the last column ends like the others.
  const Text line = Text(lineIn) + separator;
  const Text closing = Text("\"") + separator;
  std::vector<Text> fields;
  std::size_t start = 0;
  while (fields.size() < static_cast<std::size_t>(gpu004Columns)) {
    const std::size_t end = line.find(separator, start);
    if (end == Text::npos) break;
    Text text = trim(std::string_view(line).substr(start, end - start));
    std::size_t next = end + 1;
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
      text = withoutQuotes(text);
    } else if (!text.empty() && text.front() == '"') {
      // The quoted value holds the separator: it runs on to the quote before the next
      // separator and arrives whole, the blank after the separator included ("Müller, Hans").
      const std::size_t close = line.find(closing, end + 1);
      if (close != Text::npos) {
        text +=
            separator + trimRight(std::string_view(line).substr(end + 1, close + 1 - (end + 1)));
        next = close + 2;
      }
      text = withoutQuotes(text);
    }
    fields.push_back(std::move(text));
    start = next;
  }
  return fields;
}

void readGpu004Txt(app::Workspace& ws, app::Ui& ui) {
  std::optional<std::filesystem::path> file = launchExport(ws, ui, gpu004Switch, exportFileName);
  if (!file) {
    app::FileRequest request;
    request.caption = doneCaption();
    request.directory = ws.dataDir();
    request.proposedName = "GPU004.TXT";
    request.filters = {{"*.TXT", "Untis Dateien"}};
    file = ui.openFile(request);
    if (!file) return;
  }
  importGpu004(ws, ui, *file);
}

void importGpu004(app::Workspace& ws, app::Ui& ui, const std::filesystem::path& file) {
  auto reader = openImport(ws, app::Page::Lehrer, file);
  if (!reader) {
    ui.error(app::programTitle, failureText(reader.reason()));
    return;
  }
  const LineReader::Start start = reader->start();
  const std::optional<char> separator = separatorOf(reader->head(separatorSearchLength));
  if (start != LineReader::Start::ok || !separator) {
    ui.error(app::programTitle, failureText(unusableText));
    return;
  }

  ui.busy(true);
  ImportNotes notes;
  Text summary;
  // The teachers are added to a copy of LEHRER that takes its place when the whole file is
  // read: all of them or none.
  const auto replaced = store::replaceTables([&](store::Replacement& replacement) {
    store::Table& lehrer =
        replacement.add(ws.table(app::Page::Lehrer), store::Replacement::Start::copy);
    // Teachers are sought through the abbreviation index, the order the teacher page keeps.
    if (lehrer.orderCount() > 0) lehrer.setOrder(1);
    Importer importer(lehrer, ws.catalogs, *separator, notes);
    while (auto line = reader->next()) importer.storeLine(*line, reader->lineNumber());
    summary = importer.summary();
    return reader->problem() == FileProblem::none;
  });
  ui.busy(false);
  if (auto failed = importFailure(ws, replaced, *reader, file, app::Page::Lehrer)) {
    ui.error(app::programTitle, failureText(*failed));
    return;
  }
  ui.showPage(static_cast<int>(app::Page::Lehrer));
  ui.status("GPU004.TXT: " + summary);
  ui.info(doneCaption(), doneText);
  if (!notes.empty()) ui.warning(doneCaption(), notes.text());
}

}  // namespace velmoran::untis
