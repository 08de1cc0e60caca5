// The rules for LEHRER_ASD.TXT: the school number of the settings, the LEHRER
// rows and the MEHR_MINDER rows as the writer turns them into lines.
//
// A teacher row of LEHRER is a row with personal data (name, birth date, sex,
// employment); the further rows of a teacher hold only the abbreviation and
// qualifications and are complete as they are. The writer gives a row a teacher
// line (kind 61) when it has a surname and an abbreviation.

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <utility>

#include "asdpc/lehrer_asd_writer.h"
#include "asdpc/plausibility_rules.h"

namespace velmoran::asdpc::plausibility {

namespace {

using app::Page;

constexpr int minAge = 18;
constexpr int maxAge = 75;
constexpr std::size_t schoolNumberDigits = 6;
// The writer looks for a teacher's LS row among this many rows from the first
// of the teacher.
constexpr int hoursRowsLooked = 8;

constexpr const char* personalFields[] = {"LNAME",      "LVORNAME", "LGEBDAT",
                                          "GESCHLECHT", "SERIENNR", "STAATSANGE",
                                          "RECHTSVER",  "BESCHART", "EINSATZ"};

struct CatalogField {
  const char* field;
  const char* label;
  catalog::Catalog catalog::Catalogs::*catalog;
};
constexpr CatalogField catalogFields[] = {
    {"STAATSANGE", "Staatsangehörigkeit", &catalog::Catalogs::ASTAAT},
    {"RECHTSVER", "Rechtsverhältnis", &catalog::Catalogs::ARECHTSVER},
    {"BESCHART", "Beschäftigungsart", &catalog::Catalogs::ABESCHART},
    {"EINSATZ", "Einsatzstatus", &catalog::Catalogs::einsatz},
    {"LEHRAMT", "Lehramt", &catalog::Catalogs::ALEHRAMT},
    {"RICHTUNG", "Fachrichtung", &catalog::Catalogs::AFACHRICHT},
    {"FACH", "Aus./Fortbildungsfach", &catalog::Catalogs::AFACH},
};

// The qualification lines (kinds 62 to 64) and the field each is written from.
struct QualificationKind {
  const char* kind;
  const char* field;
};
constexpr QualificationKind qualificationKinds[] = {
    {"62", "LEHRAMT"}, {"63", "RICHTUNG"}, {"64", "FACH"}};

// The hour lines (kinds 65 to 67): key field, catalog, and what the keys stand
// for.
struct HourKind {
  const char* kind;
  const char* keyField;
  catalog::Catalog catalog::Catalogs::*catalog;
  const char* what;
};
constexpr HourKind hourKinds[] = {
    {"65", "NICHT", &catalog::Catalogs::ANICHT, "der nichtunterrichtlichen Tätigkeiten"},
    {"66", "MEHR", &catalog::Catalogs::AMEHR, "der Mehrleistungen"},
    {"67", "MINDER", &catalog::Catalogs::AMINDER, "der Minderleistungen"},
};
constexpr std::size_t hourKeyWidth = 3;

const HourKind* hourKindOf(const store::Table& mm) {
  const Text art = mm.getPadded("ART");
  for (const HourKind& k : hourKinds)
    if (art.starts_with(k.kind)) return &k;
  return nullptr;
}

int ageOn(const Date& birth, const Date& day) {
  const bool beforeBirthday =
      std::pair(day.month(), day.day()) < std::pair(birth.month(), birth.day());
  return day.year() - birth.year() - (beforeBirthday ? 1 : 0);
}

bool isAllDigits(std::string_view s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

Text hoursText(double hours) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.2f", hours + 0.0);
  return buf;
}

class TeacherRules {
public:
  TeacherRules(app::Workspace& ws, const Date& reference, FindingList& list)
      : m_ws(ws),
        m_lehrer(ws.table(Page::Lehrer)),
        m_mm(ws.table(Page::MehrMinder)),
        m_reference(reference),
        m_list(list) {}

  void run() {
    checkSchoolNumber();
    {
      TableWalk walk(m_lehrer, 0);
      for (m_lehrer.goTop(); !m_lehrer.eof(); m_lehrer.skip()) checkLehrerRow();
      for (m_lehrer.goTop(); !m_lehrer.eof(); m_lehrer.skip()) checkQualificationOwner();
    }
    {
      TableWalk walk(m_mm, 0);
      for (m_mm.goTop(); !m_mm.eof(); m_mm.skip()) checkHourRow();
    }
    TableWalk walk(m_mm, m_mm.orderCount() > 0 ? 1 : 0);
    checkTeacherHours();
    for (const HourKind& kind : hourKinds) checkHourGroups(kind);
  }

private:
  void checkSchoolNumber() {
    const Text snr = trim(m_ws.settings.schoolNumber);
    const Text allowed = "; erlaubt sind genau sechs Ziffern.";
    if (snr.empty())
      m_list.error("velmoran.ini", 0, "Schulnummer", "Die Schulnummer ist leer" + allowed);
    else if (snr.size() != schoolNumberDigits || !isAllDigits(snr))
      m_list.error("velmoran.ini", 0, "Schulnummer",
                   "Die Schulnummer " + inQuotes(snr) + " ist nicht erlaubt" + allowed);
  }

  void errorHere(const char* field, const Text& text) {
    m_list.error("LEHRER", m_lehrer.recno(), field, text);
  }

  bool isTeacherRow() const {
    return std::any_of(std::begin(personalFields), std::end(personalFields),
                       [&](const char* f) { return !isBlank(m_lehrer.getText(f)); });
  }

  void checkLehrerRow() {
    const Text code = trimRight(m_lehrer.getPadded("UNTIS_KRZ"));
    if (!isBlank(m_lehrer.getPadded("LNAME")) && !isBlank(code)) {
      m_codes61.insert(code);
      m_teachers.emplace_back(code, m_lehrer.recno());
    }
    if (isTeacherRow()) {
      if (!isTeacherCode(code)) errorHere("UNTIS_KRZ", teacherCodeText(code));
      checkName("LNAME", "Der Nachname");
      checkName("LVORNAME", "Der Vorname");
      checkBirthDate();
      if (isBlank(m_lehrer.getPadded("GESCHLECHT")))
        m_list.note("LEHRER", m_lehrer.recno(), "GESCHLECHT",
                    "Das Geschlecht ist leer und wird als 6 (keine Angabe) "
                    "geschrieben.");
    }
    for (const CatalogField& c : catalogFields) checkCatalogValue(c);
  }

  void checkName(const char* field, const char* what) {
    const Text name = trimRight(m_lehrer.getPadded(field));
    const Text allowed =
        "; erlaubt sind mindestens zwei Zeichen, beginnend "
        "mit einem Großbuchstaben.";
    if (name.empty())
      errorHere(field, Text(what) + " ist leer" + allowed);
    else if (name.size() < 2 || !isUpperLetter(name[0]))
      errorHere(field, Text(what) + " " + inQuotes(name) + " ist nicht erlaubt" + allowed);
  }

  void checkBirthDate() {
    const Date birth = m_lehrer.getDate("LGEBDAT");
    const Text allowed =
        "; am 1. August des Schuljahres muss die Lehrkraft 18 bis 75 Jahre "
        "alt sein.";
    if (birth.isEmpty()) {
      errorHere("LGEBDAT", "Das Geburtsdatum fehlt" + allowed);
      return;
    }
    const int age = ageOn(birth, m_reference);
    if (age < minAge || age > maxAge)
      errorHere("LGEBDAT", "Das Geburtsdatum " + birth.format() + " ist nicht erlaubt" + allowed);
  }

  // A value chosen from the catalog is a whole entry; anything else was typed
  // by hand.
  void checkCatalogValue(const CatalogField& c) {
    const Text value = trimRight(m_lehrer.getPadded(c.field));
    if (value.empty()) return;
    const std::size_t width = m_lehrer.getPadded(c.field).size();
    const catalog::Catalog& catalog = m_ws.catalogs.*c.catalog;
    const bool isEntry = std::any_of(catalog.begin(), catalog.end(), [&](const Text& entry) {
      return trimRight(left(entry, width)) == value;
    });
    if (!isEntry)
      errorHere(c.field, "Der Wert " + inQuotes(value) + " im Feld " + c.label +
                             " ist kein Eintrag der Auswahlliste; erlaubt sind nur deren "
                             "Einträge.");
  }

  // Qualification lines of a code that gets no teacher line.
  void checkQualificationOwner() {
    const Text code = trimRight(m_lehrer.getPadded("UNTIS_KRZ"));
    if (isBlank(code) || m_codes61.contains(code)) return;
    Text kinds;
    for (const QualificationKind& q : qualificationKinds)
      if (!isBlank(m_lehrer.getPadded(q.field)))
        kinds += (kinds.empty() ? "" : ", ") + Text(q.kind);
    if (kinds.empty()) return;
    errorHere("UNTIS_KRZ", noTeacherLineText(code, kinds));
  }

  static Text noTeacherLineText(const Text& code, const Text& kinds) {
    return "Das Kürzel " + inQuotes(code) + " bekommt keine Lehrerzeile (Satzart 61), aber " +
           "Zeilen der Satzart " + kinds +
           "; erlaubt sind diese nur zu einer Lehrkraft mit Namen und Kürzel.";
  }

  void checkHourRow() {
    const Text art = trimRight(m_mm.getPadded("ART"));
    const HourKind* kind = hourKindOf(m_mm);
    const double hours = m_mm.getNumber("USTD");
    const std::uint32_t recno = m_mm.recno();
    // The hours of kinds 65 to 67 are written as sums per key: see
    // checkHourGroups.
    if (art == "LS" && !formatHours(hours))
      m_list.error("MEHR_MINDER", recno, "USTD",
                   "Die Stunden " + hoursText(hours) +
                       " passen nicht in das Stundenfeld; erlaubt sind "
                       "höchstens 9999.99.");
    if (!kind) return;
    const Text key = left(m_mm.getPadded(kind->keyField), hourKeyWidth);
    if (!findByKey(m_ws.catalogs.*kind->catalog, key) || isBlank(key))
      m_list.error("MEHR_MINDER", recno, kind->keyField,
                   "Der Schlüssel " + inQuotes(trimRight(key)) + " ist kein Schlüssel " +
                       kind->what + " (Satzart " + kind->kind +
                       "); erlaubt sind nur Schlüssel der "
                       "Auswahlliste.");
    if (hours <= 0)
      m_list.error("MEHR_MINDER", recno, "USTD",
                   "Die Stunden " + hoursText(hours) + " sind für die Satzart " + kind->kind +
                       " nicht erlaubt; erlaubt sind mehr als 0 Stunden.");
    const Text code = trimRight(m_mm.getPadded("UNTIS_KRZ"));
    if (!m_codes61.contains(code))
      m_list.error("MEHR_MINDER", recno, "UNTIS_KRZ", noTeacherLineText(code, kind->kind));
  }

  static const Text* findByKey(const catalog::Catalog& catalog, const Text& key) {
    for (const Text& entry : catalog)
      if (entry.size() > hourKeyWidth && entry[hourKeyWidth] == '=' &&
          left(entry, hourKeyWidth) == key)
        return &entry;
    return nullptr;
  }

  // The writer's look-up of a teacher's hours: the stored abbreviation sought
  // as it is, then the first LS row among eight rows from there, whoever's it
  // is.
  void checkTeacherHours() {
    const std::size_t width = m_mm.getPadded("UNTIS_KRZ").size();
    for (const auto& [code, recno] : m_teachers) {
      const Text lsCode = lsRowCode(padRight(code, width));
      if (lsCode == code) continue;
      Text text = "Die Lehrkraft " + inQuotes(code) +
                  " hat keine eigene Zeile der Satzart LS in MEHR_MINDER; ";
      text += lsCode.empty()
                  ? Text("ihre Stunden werden als 0000.00 geschrieben.")
                  : "geschrieben werden die Stunden der LS-Zeile von " + inQuotes(lsCode) + ".";
      m_list.note("LEHRER", recno, "UNTIS_KRZ", text);
    }
  }

  // The abbreviation (without trailing blanks) of the LS row the writer takes;
  // "" for none.
  Text lsRowCode(const Text& key) {
    if (!m_mm.seek(key, false)) return {};
    for (int i = 0; i < hoursRowsLooked && !m_mm.eof(); ++i, m_mm.skip())
      if (m_mm.getPadded("ART") == "LS") return trimRight(m_mm.getPadded("UNTIS_KRZ"));
    return {};
  }

  // The writer's groups: rows of one kind and one stored abbreviation next to
  // each other in abbreviation order, one line per key and group. A key of a
  // teacher that comes back in a later group gets a second line; a sum too big
  // for the hours field is not written.
  void checkHourGroups(const HourKind& kind) {
    std::set<std::pair<Text, Text>> written;  // (abbreviation, key) of the groups so far
    m_mm.goTop();
    while (!m_mm.eof()) {
      if (hourKindOf(m_mm) != &kind) {
        m_mm.skip();
        continue;
      }
      const Text code = m_mm.getPadded("UNTIS_KRZ");
      std::map<Text, std::pair<std::uint32_t, double>> group;  // key: first row, sum
      do {
        const Text key = left(m_mm.getPadded(kind.keyField), hourKeyWidth);
        auto it = group.try_emplace(key, m_mm.recno(), 0.0).first;
        it->second.second += m_mm.getNumber("USTD");
        m_mm.skip();
      } while (!m_mm.eof() && m_mm.getPadded("UNTIS_KRZ") == code && hourKindOf(m_mm) == &kind);
      for (const auto& [key, row] : group)
        noteGroupKey(kind, code, key, row.first, row.second, written);
    }
  }

  void noteGroupKey(const HourKind& kind, const Text& code, const Text& key, std::uint32_t recno,
                    double sum, std::set<std::pair<Text, Text>>& written) {
    if (!written.insert({code, key}).second)
      m_list.note("MEHR_MINDER", recno, kind.keyField,
                  "Der Schlüssel " + inQuotes(trimRight(key)) + " kommt für das Kürzel " +
                      inQuotes(trimRight(code)) +
                      " in nicht benachbarten Zeilen mehrfach vor und "
                      "wird in mehreren Zeilen der Satzart " +
                      kind.kind + " geschrieben.");
    if (!formatHours(sum))
      m_list.error("MEHR_MINDER", recno, "USTD",
                   "Die Summe der Stunden " + hoursText(sum) + " zum Schlüssel " +
                       inQuotes(trimRight(key)) +
                       " passt nicht in das Stundenfeld; erlaubt sind "
                       "höchstens 9999.99.");
  }

  app::Workspace& m_ws;
  store::Table& m_lehrer;
  store::Table& m_mm;
  Date m_reference;
  FindingList& m_list;
  std::set<Text> m_codes61;  // abbreviations (without trailing blanks) with a teacher line
  std::vector<std::pair<Text, std::uint32_t>> m_teachers;  // teacher lines: code, record
};

}  // namespace

void checkLehrerAsdTxt(app::Workspace& ws, const Date& reference, FindingList& list) {
  TeacherRules(ws, reference, list).run();
}

}  // namespace velmoran::asdpc::plausibility
