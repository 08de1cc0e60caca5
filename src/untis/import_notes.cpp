#include "untis/import_notes.h"

#include <cstring>
#include <string>

#include "store/code_page.h"
#include "store/field_codec.h"
#include "untis/gpu002_import.h"

namespace velmoran::untis {

namespace {

// Notes beyond these are counted, not listed.
constexpr std::size_t listedNotes = 20;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Where the number at the start of a text ends: sign, digits, a point, digits (what
// untisNumber reads).
std::size_t numberEnd(std::string_view text) {
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
  while (i < text.size() && isDigit(text[i])) ++i;
  if (i < text.size() && text[i] == '.') ++i;
  while (i < text.size() && isDigit(text[i])) ++i;
  return i;
}

bool startsWithExponent(std::string_view rest) {
  if (rest.size() < 2 || (rest[0] != 'e' && rest[0] != 'E')) return false;
  std::size_t i = 1;
  if (rest[i] == '-' || rest[i] == '+') ++i;
  return i < rest.size() && isDigit(rest[i]);
}

}  // namespace

Text fileProblemText(FileProblem problem, const std::filesystem::path& file, std::size_t line) {
  switch (problem) {
    case FileProblem::notAFile:
      return store::pathText(file) + "\r\nist keine Datei und kann nicht eingelesen werden !";
    case FileProblem::lineTooLong:
      return "Die Zeile " + std::to_string(line) + " ist länger als " +
             std::to_string(LineReader::blockSize) + " Zeichen und kann nicht gelesen werden.\r\n" +
             nothingReadText;
    case FileProblem::changedWhileRead:
      return Text("Die Datei hat sich während des Einlesens verändert.\r\n") + nothingReadText +
             " Lesen Sie die Datei bitte noch einmal ein.";
    case FileProblem::cannotOpen:
    case FileProblem::none:
      break;
  }
  return store::pathText(file) + "\r\nkann nicht geöffnet werden !";
}

void ImportNotes::add(std::size_t line, std::size_t column, Text what) {
  m_notes.push_back({line, column, std::move(what)});
}

std::string_view ImportNotes::withoutNul(std::string_view field, std::size_t line,
                                         std::size_t column) {
  if (std::memchr(field.data(), '\0', field.size()) == nullptr) return field;
  m_scratch.clear();
  for (char c : field)
    if (c != '\0') m_scratch += c;
  add(line, column, "NUL-Zeichen entfernt");
  return m_scratch;
}

std::optional<double> ImportNotes::number(std::string_view text, const store::Field& field,
                                          std::size_t line, std::size_t column) {
  const double value = untisNumber(text);
  if (startsWithExponent(text.substr(numberEnd(text))))
    add(line, column, "\"" + Text(text) + "\" wurde als " + store::numberText(value) + " gelesen");
  if (!fits(value, field, line, column)) return std::nullopt;
  return value;
}

bool ImportNotes::fits(double value, const store::Field& field, std::size_t line,
                       std::size_t column) {
  char formatted[64];
  if (field.type != 'N' || field.length > static_cast<int>(sizeof formatted) ||
      store::formatNumberInto(value, field.length, field.decimals, formatted))
    return true;
  add(line, column,
      "die Zahl " + store::numberText(value) + " ist zu groß für das Feld " + field.name +
          " und wurde nicht übernommen");
  return false;
}

Text ImportNotes::text() const {
  Text out = "Beim Einlesen ist aufgefallen:";
  for (std::size_t i = 0; i < m_notes.size() && i < listedNotes; ++i) {
    const Note& n = m_notes[i];
    out += "\r\nZeile " + std::to_string(n.line) + ", Spalte " + std::to_string(n.column) + ": " +
           n.what;
  }
  if (m_notes.size() > listedNotes)
    out += "\r\n... und " + std::to_string(m_notes.size() - listedNotes) + " weitere Hinweise";
  return out;
}

Result<LineReader> openImport(app::Workspace& ws, app::Page page,
                              const std::filesystem::path& file) {
  if (auto foreign = ws.foreignTable(page)) return fail(*foreign + "\r\n" + nothingReadText);
  FileProblem why = FileProblem::none;
  auto reader = LineReader::open(file, &why);
  if (!reader) return fail(fileProblemText(why, file, 0));
  return std::move(*reader);
}

std::optional<Text> importFailure(const app::Workspace& ws, const Result<void>& replaced,
                                  const LineReader& reader, const std::filesystem::path& file,
                                  app::Page page) {
  if (!replaced) return app::notWrittenText(ws, replaced.reason(), {page});
  if (reader.problem() != FileProblem::none)
    return fileProblemText(reader.problem(), file, reader.lineNumber());
  return std::nullopt;
}

}  // namespace velmoran::untis
