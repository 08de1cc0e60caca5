#include "asdpc/uvd_txt_writer.h"

#include <cmath>
#include <cstdio>
#include <string>

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

// Where the fields the file takes lie in a UVD record, looked up once. A field the table lacks
// (position 0) throws std::out_of_range when read, as reading it by name would.
struct UvdColumns {
  explicit UvdColumns(const store::Table& t)
      : klasse(t.fieldIndex("KLASSE")),
        teilklasse(t.fieldIndex("TEILKLASSE")),
        jahrgang(t.fieldIndex("JAHRGANG")),
        kursart(t.fieldIndex("KURSART")),
        wstd(t.fieldIndex("WSTD")),
        fach(t.fieldIndex("FACH")),
        lehrer(t.fieldIndex("LEHRER")),
        schuelerG(t.fieldIndex("SCHUELER_G")),
        schuelerW(t.fieldIndex("SCHUELER_W")),
        bilingual(t.fieldIndex("BILINGUAL")),
        fremde(t.fieldIndex("FREMDE")),
        wstdScale(wstd > 0 ? std::pow(10.0, t.structure()[wstd - 1].decimals) : 1.0) {}
  int klasse, teilklasse, jahrgang, kursart, wstd, fach, lehrer, schuelerG, schuelerW, bilingual,
      fremde;
  double wstdScale;
};

// The first n characters of a field as the table holds it (trailing blanks included, so
// they count the stored characters), without blanks around them.
Text cut(const store::Table& t, int field, std::size_t n = std::string::npos) {
  return trim(left(t.getPadded(field), n));
}

std::string wholeNumber(double v) {
  char buf[400];
  // Adding 0.0 turns a negative zero into zero, which prints without a sign.
  std::snprintf(buf, sizeof buf, "%.0f", v + 0.0);
  return buf;
}

// The weekly hours rounded up: 2.5 gives 3, 4.0 gives 4. The value is first taken to the
// field's decimals, so a stored 3.00 read back as 3.0000000001 stays 3.
std::string weeklyHours(const store::Table& t, const UvdColumns& c) {
  return wholeNumber(std::ceil(std::round(t.getNumber(c.wstd) * c.wstdScale) / c.wstdScale));
}

std::string count(const store::Table& t, int field) {
  return wholeNumber(std::round(t.getNumber(field)));
}

// The line of the current record.
std::string uvdLine(const store::Table& t, const UvdColumns& c) {
  auto quoted = [](const Text& value) { return "\"" + value + "\";"; };
  std::string line;
  line += quoted(cut(t, c.klasse, 6));
  line += quoted(cut(t, c.teilklasse));
  line += quoted(cut(t, c.jahrgang));
  line += quoted(cut(t, c.kursart, 2));
  line += weeklyHours(t, c) + ";";
  line += quoted(cut(t, c.fach, 2));
  line += quoted(cut(t, c.lehrer));
  line += count(t, c.schuelerG) + ";";
  line += count(t, c.schuelerW) + ";";
  line += quoted(cut(t, c.bilingual, 1));
  line += "\"" + cut(t, c.fremde) + lineEnd + crlf;
  return line;
}

// Write the header and every visible record in the table's current order. False when the
// file could not be created or a write failed; an incomplete file is removed.
bool writeFile(const std::filesystem::path& file, store::Table& uvd) {
  auto out = store::OutputFile::create(file);
  if (!out) return false;
  const UvdColumns columns(uvd);
  bool ok = out->write(std::string(header) + crlf);
  for (uvd.goTop(); ok && !uvd.eof(); uvd.skip()) ok = out->write(uvdLine(uvd, columns));
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
