#include "asdpc/uvd_txt_writer.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>

#include "app/write_target.h"
#include "asdpc/uvd_fields.h"
#include "store/code_page.h"
#include "store/files.h"

namespace velmoran::asdpc {

namespace {

using store::pathText;

using app::Page;

constexpr const char* dialogCaption = " / UVD.TXT schreiben";
constexpr const char* proposedName = "UVD.TXT";
constexpr const char* filterPattern = "UVD.TXT";
constexpr const char* filterDescription = "ASDPC Importdatei";
constexpr const char* doneCaption = " / UVD.Txt schreiben";
constexpr const char* doneText = "Der Export der Daten ist abgeschlossen !";
constexpr const char* failedCaption = " / UVD.TXT schreiben";

constexpr const char* header =
    "\"Klasse\";\"TKM\";\"Jahrg\";\"Kursart\";\"WoStd\";\"Fach\";\"Lehrer\";\"SchGes\";"
    "\"SchWeibl\";\"USprache\";\"Fremde\";\"Bildungsgang\";\"Produktname\";\"Produktversion\"";
// Columns 12 to 14 after the opening quote of column 11's value is closed.
constexpr const char* lineEnd = "\";\"\";\"Velmoran\";\"2021\"";
constexpr const char* crlf = "\r\n";

// The first n characters of a field as the table holds it, without blanks around them,
// appended to line (the trailing blanks the field holds would go anyway); field is a buffer
// kept from one call to the next.
void appendCut(const store::Table& t, int position, std::size_t n, Text& field, std::string& line) {
  t.getText(position, field);
  line += trimmedView(std::string_view(field).substr(0, n));
}

// A whole number's digits and the separator appended to line.
void appendWholeNumber(double v, std::string& line) {
  // Adding 0.0 turns a negative zero into zero, which prints without a sign.
  v += 0.0;
  char buf[400];
  if (v == std::floor(v) && std::fabs(v) < 9007199254740992.0) {  // 2^53: exact as an integer
    line.append(buf, std::to_chars(buf, buf + sizeof buf, static_cast<long long>(v)).ptr);
  } else {
    const int n = std::snprintf(buf, sizeof buf, "%.0f", v);
    if (n > 0) line.append(buf, static_cast<std::size_t>(std::min<int>(n, sizeof buf - 1)));
  }
  line += ';';
}

// The line of the current record appended to line.
void appendLine(const store::Table& t, const UvdFields& c, double wstdScale, Text& field,
                std::string& line) {
  constexpr std::size_t whole = std::string::npos;
  auto quoted = [&](int position, std::size_t n) {
    line += '"';
    appendCut(t, position, n, field, line);
    line += "\";";
  };
  quoted(c.klasse, 6);
  quoted(c.teilklasse, whole);
  quoted(c.jahrgang, whole);
  quoted(c.kursart, 2);
  // The weekly hours rounded up: 2.5 gives 3, 4.0 gives 4. The value is first taken to the
  // field's decimals, so a stored 3.00 read back as 3.0000000001 stays 3.
  appendWholeNumber(std::ceil(std::round(t.getNumber(c.wstd) * wstdScale) / wstdScale), line);
  quoted(c.fach, 2);
  quoted(c.lehrer, whole);
  appendWholeNumber(std::round(t.getNumber(c.schuelerG)), line);
  appendWholeNumber(std::round(t.getNumber(c.schuelerW)), line);
  quoted(c.bilingual, 1);
  line += '"';
  appendCut(t, c.fremde, whole, field, line);
  line += lineEnd;
  line += crlf;
}

// Write the header and every visible record in the table's current order. False when the
// file could not be created or a write failed; the old file then stays as it was.
bool writeFile(const std::filesystem::path& file, store::Table& uvd) {
  auto out = store::OutputFile::create(file);
  if (!out) return false;
  const UvdFields fields(uvd);
  // The hours as the field holds them (rounded to its decimals) before they are rounded up.
  const double wstdScale =
      fields.wstd > 0 ? std::pow(10.0, uvd.structure()[fields.wstd - 1].decimals) : 1.0;
  std::string line = std::string(header) + crlf;
  Text field;
  bool ok = out->write(line);
  for (uvd.goTop(); ok && !uvd.eof(); uvd.skip()) {
    line.clear();
    appendLine(uvd, fields, wstdScale, field, line);
    ok = out->write(line);
  }
  return out->finish();
}

}  // namespace

std::vector<Finding> writeUvd(app::Workspace& ws, app::Ui& ui) {
  const Text title = app::programTitle;
  WriteDecision decision = confirmWriting(ws, ui, uvdTxtFile, title + dialogCaption);
  if (!decision.write) return std::move(decision.findings);
  app::FileRequest request;
  request.caption = title + dialogCaption;
  request.directory = ws.dataDir();
  request.proposedName = proposedName;
  request.filters = {{filterPattern, filterDescription}};
  const auto chosen = ui.saveFile(request);
  if (!chosen || chosen->empty()) return {};
  if (auto refused = app::refusedWriteTarget(ws, *chosen)) {
    ui.warning(title + failedCaption, *refused);
    return {};
  }

  store::Table& uvd = ws.table(Page::Uvd);
  const bool written = writeFile(*chosen, uvd);
  uvd.goTop();
  if (written) {
    ui.status("UVD.TXT geschrieben: " + pathText(*chosen) + " (" +
              app::counted(uvd.visibleRecnos().size(), "Datensatz", "Datensätze") + ")");
    ui.info(title + doneCaption, doneText);
  } else {
    ui.warning(title + failedCaption,
               "Die Datei " + pathText(*chosen) + " kann nicht geschrieben werden !");
  }
  return {};
}

}  // namespace velmoran::asdpc
