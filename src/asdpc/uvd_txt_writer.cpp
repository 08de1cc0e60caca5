#include "asdpc/uvd_txt_writer.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>
#include <system_error>

#include "store/code_page.h"
#include "store/files.h"
#include "store/parallel.h"

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

int decimalsOf(const store::Table& t, int position) {
  return t.structure()[static_cast<std::size_t>(position - 1)].decimals;
}

// Where the fields the file takes lie in a UVD record. A field the table lacks (position 0)
// throws std::out_of_range when read, as reading it from the table would.
struct UvdColumns {
  explicit UvdColumns(const store::Table& t)
      : fields(t),
        klasse(t.fieldIndex("KLASSE")),
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
        wstdScale(wstd > 0 ? std::pow(10.0, decimalsOf(t, wstd)) : 1.0) {}

  store::RecordFields fields;
  int klasse, teilklasse, jahrgang, kursart, wstd, fach, lehrer, schuelerG, schuelerW, bilingual,
      fremde;
  double wstdScale;
};

// A whole number's digits appended to out.
void appendWholeNumber(double v, std::string& out) {
  // Adding 0.0 turns a negative zero into zero, which prints without a sign.
  v += 0.0;
  char buf[400];
  if (v == std::floor(v) && std::fabs(v) < 9007199254740992.0) {  // 2^53: exact as an integer
    const auto r = std::to_chars(buf, buf + sizeof buf, static_cast<long long>(v));
    out.append(buf, r.ptr);
    return;
  }
  const int n = std::snprintf(buf, sizeof buf, "%.0f", v);
  if (n > 0) out.append(buf, static_cast<std::size_t>(std::min<int>(n, sizeof buf - 1)));
}

// The weekly hours rounded up: 2.5 gives 3, 4.0 gives 4. The value is first taken to the
// field's decimals, so a stored 3.00 read back as 3.0000000001 stays 3.
double weeklyHours(const UvdColumns& c, std::string_view record) {
  const double scale = c.wstdScale;
  return std::ceil(std::round(c.fields.number(record, c.wstd) * scale) / scale);
}

double count(const UvdColumns& c, std::string_view record, int field) {
  return std::round(c.fields.number(record, field));
}

// The line of one record, appended to `line`.
void uvdLine(const UvdColumns& c, std::string_view record, std::string& line) {
  constexpr std::size_t whole = std::string::npos;
  auto quoted = [&](int field, std::size_t length) {
    line += '"';
    c.fields.appendText(record, field, line, length);
    line += "\";";
  };
  auto number = [&line](double value) {
    appendWholeNumber(value, line);
    line += ';';
  };
  quoted(c.klasse, 6);
  quoted(c.teilklasse, whole);
  quoted(c.jahrgang, whole);
  quoted(c.kursart, 2);
  number(weeklyHours(c, record));
  quoted(c.fach, 2);
  quoted(c.lehrer, whole);
  number(count(c, record, c.schuelerG));
  number(count(c, record, c.schuelerW));
  quoted(c.bilingual, 1);
  line += '"';
  c.fields.appendText(record, c.fremde, line, whole);
  line += lineEnd;
  line += crlf;
}

// Records handed over at a time: the other thread reads them from the table and makes the
// lines of the first half, this thread makes the lines of the second half and writes both.
struct Batch {
  static constexpr std::size_t records = 1024;
  std::string raw;  // the records' bytes, one after the other
  std::size_t recordLength = 0;
  std::size_t count = 0;
  std::array<std::string, 2> lines;

  std::string_view record(std::size_t k) const {
    return std::string_view(raw).substr(k * recordLength, recordLength);
  }
  void makeLines(const UvdColumns& c, std::size_t half) {
    std::string& out = lines[half];
    out.clear();
    const std::size_t middle = count / 2;
    for (std::size_t k = half == 0 ? 0 : middle; k < (half == 0 ? middle : count); ++k)
      uvdLine(c, record(k), out);
  }
};

// Write the header and every visible record in the table's current order. False when the
// file could not be created or a write failed; an incomplete file is removed.
bool writeFile(const std::filesystem::path& file, store::Table& uvd) {
  auto out = store::OutputFile::create(file);
  if (!out) return false;
  bool ok = out->write(std::string(header) + crlf);
  const UvdColumns columns(uvd);
  std::array<Batch, 3> batches;
  std::atomic<bool> failed{!ok};
  uvd.goTop();
  const std::size_t recordLength = uvd.recordBytes().size();  // 0: no record to write
  store::inTwoStages(
      batches.size(),
      [&](std::size_t slot) {
        Batch& b = batches[slot];
        b.raw.clear();
        b.recordLength = recordLength;
        b.count = failed ? 0 : uvd.copyRecords(Batch::records, b.raw);
        b.makeLines(columns, 0);
        return b.count > 0;
      },
      [&](std::size_t slot) {
        Batch& b = batches[slot];
        b.makeLines(columns, 1);
        ok = ok && out->write(b.lines[0]) && out->write(b.lines[1]);
        if (!ok) failed = true;
      });
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
