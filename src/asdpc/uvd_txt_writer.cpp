#include "asdpc/uvd_txt_writer.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <system_error>

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
constexpr const char* doneCaption = " / UVD.Txt schreibenn";
constexpr const char* doneText = "Der Export der Daten ist abgeschlossen !";
constexpr const char* failedCaption = " / UVD.TXT schreiben";

constexpr const char* header =
    "\"Klasse\";\"TKM\";\"Jahrg\";\"Kursart\";\"WoStd\";\"Fach\";\"Lehrer\";\"SchGes\";"
    "\"SchWeibl\";\"USprache\";\"Fremde\";\"Bildungsgang\";\"Produktname\";\"Produktversion\"";
// Columns 12 to 14 after the opening quote of column 11's value is closed.
constexpr const char* lineEnd = "\";\"\";\"Velmoran\";\"2021\"";
constexpr const char* crlf = "\r\n";

// The first n characters of a field without blanks around them. The field's trailing blanks
// cannot matter here, so it is read without them.
Text cut(const store::Table& t, std::string_view field, std::size_t n) {
  const Text text = t.getText(field);
  return trim(std::string_view(text).substr(0, n));
}

std::string wholeNumber(double v) {
  // Adding 0.0 turns a negative zero into zero, which prints without a sign.
  v += 0.0;
  if (v == std::floor(v) && std::fabs(v) < 9007199254740992.0)  // 2^53: exact as an integer
    return std::to_string(static_cast<long long>(v));
  char buf[400];
  std::snprintf(buf, sizeof buf, "%.0f", v);
  return buf;
}

// The weekly hours rounded up: 2.5 gives 3, 4.0 gives 4. The value is first taken to the
// field's decimals, so a stored 3.00 read back as 3.0000000001 stays 3.
std::string weeklyHours(const store::Table& t) {
  int pos = t.fieldIndex("WSTD");
  const double scale = std::pow(10.0, t.structure()[pos - 1].decimals);
  return wholeNumber(std::ceil(std::round(t.getNumber(pos) * scale) / scale));
}

std::string count(const store::Table& t, std::string_view field) {
  return wholeNumber(std::round(t.getNumber(field)));
}

std::string uvdLine(const store::Table& t) {
  std::string line;
  auto quoted = [&line](const Text& value) {
    line += '"';
    line += value;
    line += "\";";
  };
  auto number = [&line](const std::string& value) {
    line += value;
    line += ';';
  };
  quoted(cut(t, "KLASSE", 6));
  quoted(trim(t.getText("TEILKLASSE")));
  quoted(trim(t.getText("JAHRGANG")));
  quoted(cut(t, "KURSART", 2));
  number(weeklyHours(t));
  quoted(cut(t, "FACH", 2));
  quoted(trim(t.getText("LEHRER")));
  number(count(t, "SCHUELER_G"));
  number(count(t, "SCHUELER_W"));
  quoted(cut(t, "BILINGUAL", 1));
  line += '"';
  line += trim(t.getText("FREMDE"));
  line += lineEnd;
  line += crlf;
  return line;
}

// Write the header and every visible record in the table's current order. False when the
// file could not be created or a write failed; an incomplete file is removed.
bool writeFile(const std::filesystem::path& file, store::Table& uvd) {
  auto out = store::OutputFile::create(file);
  if (!out) return false;
  bool ok = out->write(std::string(header) + crlf);
  for (uvd.goTop(); ok && !uvd.eof(); uvd.skip()) ok = out->write(uvdLine(uvd));
  return out->finish();
}

}  // namespace

void writeUvd(app::Workspace& ws, app::Ui& ui) {
  const Text title = app::programTitle;
  app::FileRequest request;
  request.caption = title + dialogCaption;
  request.directory = ws.dataDir();
  request.proposedName = proposedName;
  request.filters = {{filterPattern, filterDescription}};
  const auto chosen = ui.saveFile(request);
  if (!chosen || chosen->empty()) return;

  store::Table& uvd = ws.table(Page::Uvd);
  const bool written = writeFile(*chosen, uvd);
  uvd.goTop();
  if (written)
    ui.info(title + doneCaption, doneText);
  else
    ui.warning(title + failedCaption,
               "Die Datei " + pathText(*chosen) + " kann nicht geschrieben werden !");
}

}  // namespace velmoran::asdpc
