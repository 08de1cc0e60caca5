#include "asdpc/lehrer_asd_writer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string_view>
#include <utility>

#include "app/write_target.h"
#include "store/code_page.h"
#include "store/files.h"
#include "store/table.h"

namespace velmoran::asdpc {

namespace {

using store::pathText;

using app::Page;

Text dialogCaption() { return Text(app::programTitle) + " / LEHRER_ASD.TXT schreiben"; }
Text warningCaption() { return Text(app::programTitle) + " / Lehrer_ASD.TXT schreiben"; }
Text doneCaption() { return Text(app::programTitle) + " / Lehrer_ASD.Txt schreiben"; }
constexpr const char* noSchoolNumberText =
    "Sie haben Ihre Schulnummer noch nicht eingegeben !\r\n"
    "Bitte tragen Sie die Schulnummer unter Hilfe / Info ein !";
constexpr const char* doneText = "Der Export der Daten ist abgeschlossen !";
// A path as the messages show it.
Text cannotWriteText(const std::filesystem::path& file) {
  return "Die Datei " + pathText(file) + " kann nicht geschrieben werden !";
}
Text oversizedText(const std::filesystem::path& file, const std::vector<Text>& values) {
  Text text = "Die Datei " + pathText(file) +
              " wurde nicht geschrieben: diese Stunden passen nicht in das Stundenfeld "
              "(höchstens 9999.99) !";
  for (const Text& v : values) text += "\r\n" + v;
  return text;
}

constexpr const char* crlf = "\r\n";
constexpr std::size_t schoolNumberWidth = 6;
// School year and product of the school line: a constant, not derived from a date.
constexpr const char* schoolLineTail = "2020 2021VELMORAN";
constexpr const char* noHours = "0000.00";
// The two further hour fields of a teacher line, always zero.
constexpr const char* zeroHourFields = "0000.000000.00";
// A teacher's hours are taken from the first LS row among the found row and the rows that
// follow it in abbreviation order, eight rows in all.
constexpr int hoursRowsLooked = 8;

// The settings as every line uses them: trimmed, never padded, so a shorter value moves the
// rest of the line to the left.
struct Header {
  Text snr;
  Text sf;
  bool sixtyMinutes = false;
};

Header headerFrom(const app::Settings& s) {
  return {trim(left(s.schoolNumber, schoolNumberWidth)), s.sf(),
          s.minuteModelOn() && s.minutesValue().value_or(0.0) > 0};
}

// Field texts of the current record: "full" is the stored value at the field's width,
// trailing blanks included; "first n" its first n characters.
class Row {
public:
  explicit Row(const store::Table& t) : m_t(t) {}
  Text full(std::string_view field) const {
    const int pos = m_t.fieldIndex(field);
    if (pos == 0) return {};
    const auto width = static_cast<std::size_t>(m_t.structure()[pos - 1].length);
    return padRight(m_t.getText(pos), width);
  }
  Text first(std::string_view field, std::size_t n) const { return left(full(field), n); }
  bool isBlank(std::string_view field) const { return trim(full(field)).empty(); }

private:
  const store::Table& m_t;
};

Text twoDigits(int v) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%02d", v % 100);
  return buf;
}

Text sexCode(std::string_view sex) {
  if (sex.starts_with("M")) return "3";
  if (sex.starts_with("W")) return "4";
  if (sex.starts_with("D")) return "5";
  return "6";
}

class Writer {
public:
  Writer(app::Workspace& ws, Header header)
      : m_lehrer(ws.table(Page::Lehrer)),
        m_mm(ws.table(Page::MehrMinder)),
        m_h(std::move(header)) {}

  LehrerAsdContent run() {
    line("00" + m_h.snr + "01" + "0120V700V100" + Text(9, ' ') + m_h.sf + schoolLineTail);
    line("60" + m_h.snr + (m_h.sixtyMinutes ? "60" : "45"));
    teacherLines();
    qualificationLines("62", "LEHRAMT", 2, "", 0);
    qualificationLines("63", "RICHTUNG", 2, "QUALART1", 1);
    qualificationLines("64", "FACH", 2, "QUALART2", 1);
    hourLines("65", "NICHT");
    hourLines("66", "MEHR");
    hourLines("67", "MINDER");
    return std::move(m_out);
  }

private:
  void line(const Text& text) { m_out.bytes += text + crlf; }

  // HRS of a value, or the zero field after noting a value that does not fit.
  Text hours(double value, const Text& abbreviation) {
    if (auto text = formatHours(value)) return *text;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.2f", value);
    Text entry = trimRight(abbreviation) + ": " + buf;
    auto& list = m_out.oversizedHours;
    if (std::find(list.begin(), list.end(), entry) == list.end()) list.push_back(entry);
    return noHours;
  }

  // The hours of the first LS row among the eight rows from the teacher's first row in
  // MEHR_MINDER. The stored abbreviation is sought as it is, without case folding.
  Text teacherHours(const Text& abbreviation) {
    if (!m_mm.seek(abbreviation, false)) return noHours;
    for (int i = 0; i < hoursRowsLooked && !m_mm.eof(); ++i, m_mm.skip()) {
      if (Row(m_mm).full("ART") == "LS") return hours(m_mm.getNumber("USTD"), abbreviation);
    }
    return noHours;
  }

  void teacherLines() {
    for (m_lehrer.goTop(); !m_lehrer.eof(); m_lehrer.skip()) {
      Row r(m_lehrer);
      if (r.isBlank("LNAME") || r.isBlank("UNTIS_KRZ")) continue;
      const Text krz = r.full("UNTIS_KRZ");
      const Date birth = m_lehrer.getDate("LGEBDAT");
      const bool hasBirth = !birth.isEmpty();
      Text text = "61" + m_h.snr + krz + r.full("LNAME") + r.full("LVORNAME");
      text += hasBirth ? twoDigits(birth.day()) + twoDigits(birth.month()) + twoDigits(birth.year())
                       : Text(6, ' ');
      text += sexCode(r.full("GESCHLECHT")) + r.full("SERIENNR") + r.first("STAATSANGE", 3) +
              r.first("RECHTSVER", 1) + r.first("BESCHART", 2) + r.first("EINSATZ", 1);
      text += teacherHours(krz) + zeroHourFields;
      text += hasBirth ? padLeft(std::to_string(birth.year()), 4) : Text(4, ' ');
      line(text);
    }
  }

  void qualificationLines(const char* kind, const char* field, std::size_t width,
                          const char* kindField, std::size_t kindWidth) {
    for (m_lehrer.goTop(); !m_lehrer.eof(); m_lehrer.skip()) {
      Row r(m_lehrer);
      if (r.isBlank("UNTIS_KRZ") || r.isBlank(field)) continue;
      Text text = kind + m_h.snr + r.full("UNTIS_KRZ") + r.first(field, width);
      if (kindWidth > 0) text += r.first(kindField, kindWidth);
      line(text);
    }
  }

  // One line per teacher and key for each run of rows of this kind that belong to one
  // teacher (same stored abbreviation, next to each other in abbreviation order); keys in
  // the order they first appear, their hours summed.
  void hourLines(const char* kind, const char* keyField) {
    constexpr std::size_t keyWidth = 3;
    auto isKind = [&] { return Row(m_mm).full("ART").starts_with(kind); };
    m_mm.goTop();
    while (!m_mm.eof()) {
      if (!isKind()) {
        m_mm.skip();
        continue;
      }
      const Text krz = Row(m_mm).full("UNTIS_KRZ");
      std::vector<std::pair<Text, double>> sums;
      do {
        const Text key = Row(m_mm).first(keyField, keyWidth);
        auto it =
            std::find_if(sums.begin(), sums.end(), [&](const auto& s) { return s.first == key; });
        if (it == sums.end())
          sums.emplace_back(key, m_mm.getNumber("USTD"));
        else
          it->second += m_mm.getNumber("USTD");
        m_mm.skip();
      } while (!m_mm.eof() && Row(m_mm).full("UNTIS_KRZ") == krz && isKind());
      for (const auto& [key, sum] : sums) line(kind + m_h.snr + krz + hours(sum, krz) + key);
    }
  }

  store::Table& m_lehrer;
  store::Table& m_mm;
  Header m_h;
  LehrerAsdContent m_out;
};

// Both tables are walked in abbreviation order (the teacher pages keep it); the order each
// had is given back afterwards.
class AbbreviationOrder {
public:
  explicit AbbreviationOrder(store::Table& t) : m_t(t), m_order(t.order()) {
    if (t.orderCount() > 0) t.setOrder(1);
  }
  ~AbbreviationOrder() { m_t.setOrder(m_order); }
  AbbreviationOrder(const AbbreviationOrder&) = delete;
  AbbreviationOrder& operator=(const AbbreviationOrder&) = delete;

private:
  store::Table& m_t;
  int m_order;
};

}  // namespace

std::optional<Text> formatHours(double hours) {
  // A sum that cancels out may come back as -0, which would be written with a sign.
  if (hours == 0) hours = 0;
  char buf[64];
  int n = std::snprintf(buf, sizeof buf, "%0*.2f", static_cast<int>(hoursWidth), hours);
  if (n < 0 || static_cast<std::size_t>(n) > hoursWidth) return std::nullopt;
  return Text(buf, static_cast<std::size_t>(n));
}

LehrerAsdContent lehrerAsdContent(app::Workspace& ws) {
  store::Table& lehrer = ws.table(Page::Lehrer);
  store::Table& mm = ws.table(Page::MehrMinder);
  LehrerAsdContent content;
  {
    AbbreviationOrder lehrerOrder(lehrer);
    AbbreviationOrder mmOrder(mm);
    content = Writer(ws, headerFrom(ws.settings)).run();
  }
  lehrer.goTop();
  mm.goTop();
  return content;
}

std::vector<Finding> writeLehrerAsd(app::Workspace& ws, app::Ui& ui) {
  WriteDecision decision = confirmWriting(ws, ui, lehrerAsdTxtFile, dialogCaption());
  if (!decision.write) return std::move(decision.findings);
  app::FileRequest request;
  request.caption = dialogCaption();
  request.directory = ws.dataDir();
  request.proposedName = "LEHRER_ASD.TXT";
  request.filters = {{"LEHRER_ASD.TXT", "ASDPC Importdatei"}};
  std::optional<std::filesystem::path> file = ui.saveFile(request);
  if (!file || file->empty()) return {};
  if (auto refused = app::refusedWriteTarget(ws, *file)) {
    ui.warning(warningCaption(), *refused);
    return {};
  }

  if (headerFrom(ws.settings).snr.empty()) {
    ui.warning(warningCaption(), noSchoolNumberText);
    return {};
  }
  ui.busy(true);
  LehrerAsdContent content = lehrerAsdContent(ws);
  ui.busy(false);
  if (!content.oversizedHours.empty()) {
    ui.warning(warningCaption(), oversizedText(*file, content.oversizedHours));
    return {};
  }
  if (!store::OutputFile::writeWhole(*file, content.bytes)) {
    ui.warning(warningCaption(), cannotWriteText(*file));
    return {};
  }
  const auto lines =
      static_cast<std::size_t>(std::count(content.bytes.begin(), content.bytes.end(), '\n'));
  ui.status("LEHRER_ASD.TXT geschrieben: " + pathText(*file) + " (" +
            app::counted(lines, "Zeile", "Zeilen") + ")");
  ui.info(doneCaption(), doneText);
  return {};
}

}  // namespace velmoran::asdpc
