// The rules for UVD.TXT: every live UVD record, and the conversions still open
// in FACH and KLASSE. Rows the coupled-lesson rules of the transfer write
// without teacher, class or hours are complete as they are: a rule about a
// value looks only at rows that hold it.

#include <algorithm>
#include <cmath>
#include <set>

#include "asdpc/plausibility_rules.h"
#include "asdpc/uvd_fields.h"
#include "transfer/conversion.h"

namespace velmoran::asdpc::plausibility {

namespace {

using app::Page;

// The UVD.TXT columns hold at most two digits for the counts and the hours.
constexpr double maxCount = 99;
// Class names are cut to this many characters in UVD.TXT.
constexpr std::size_t classWidth = 6;
constexpr int firstYear = 1;
constexpr int lastYear = 13;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The first two characters of a class name are a year group: 01 to 13, or one
// of the upper school's EF, Q1, Q2 (classes from Untis' "5.1" are normalised to
// "05A" by the transfer).
bool startsWithYearGroup(std::string_view cls) {
  const Text first = left(cls, 2);
  if (first == "EF" || first == "Q1" || first == "Q2") return true;
  if (first.size() < 2 || !isDigit(first[0]) || !isDigit(first[1])) return false;
  const int year = (first[0] - '0') * 10 + (first[1] - '0');
  return year >= firstYear && year <= lastYear;
}

// School forms whose classes are named by their year group, as the transfer treats them
// (it normalises or registers for conversion the classes that are not); a vocational or
// further-education college names its classes by course of education.
bool namesClassesByYear(std::string_view sf) {
  return sf.starts_with("G") || sf.starts_with("H") || sf.starts_with("R") || sf == "FW";
}

// The keys of a catalog: the first `width` characters of each entry that has a
// key.
std::set<Text> catalogKeys(const catalog::Catalog& catalog, std::size_t width) {
  std::set<Text> keys;
  for (const Text& entry : catalog)
    if (entry.size() > width && entry[width] == '=' && !isBlank(left(entry, width)))
      keys.insert(left(entry, width));
  return keys;
}

// The codes of the teachers in LEHRER: rows with a surname.
std::set<Text> teacherCodes(store::Table& lehrer) {
  std::set<Text> codes;
  TableWalk walk(lehrer, 0);
  for (lehrer.goTop(); !lehrer.eof(); lehrer.skip())
    if (!isBlank(lehrer.getPadded("LNAME"))) codes.insert(trim(lehrer.getPadded("UNTIS_KRZ")));
  return codes;
}

class UvdRules {
public:
  UvdRules(app::Workspace& ws, FindingList& list)
      : m_list(list),
        m_fields(ws.table(Page::Uvd)),
        m_sf(ws.settings.sf()),
        m_minuteModel(ws.settings.minuteModelOn()),
        m_yearClasses(namesClassesByYear(m_sf)),
        m_subjects(catalogKeys(ws.catalogs.AFAECHER, 2)),
        m_courseKinds(catalogKeys(ws.catalogs.AKURSARTEN, 2)),
        m_teachers(teacherCodes(ws.table(Page::Lehrer))) {}

  void check(const store::Table& uvd) {
    m_recno = uvd.recno();
    checkTeacher(uvd);
    checkSubject(uvd);
    checkCourseKind(uvd);
    checkCounts(uvd);
    checkClass(uvd);
  }

private:
  // Every record is checked, so each sentence is made only when the list keeps it.
  template <typename MakeText>
  void error(const char* field, MakeText&& text) {
    m_list.error("UVD", m_recno, field, m_list.keepsFindings() ? text() : Text());
  }
  template <typename MakeText>
  void note(const char* field, MakeText&& text) {
    if (m_list.keepsFindings()) m_list.note("UVD", m_recno, field, text());
  }

  Text schoolForm() const { return m_sf.empty() ? Text("(keine)") : m_sf; }

  void checkTeacher(const store::Table& uvd) {
    const Text code = trim(uvd.getPadded(m_fields.lehrer));
    if (code.empty()) return;
    const double hours = uvd.getNumber(m_fields.wstd);
    if (hours <= 0)
      error("WSTD", [&] {
        return "Die Wochenstunden " + numberText(hours) + " der Lehrkraft " + inQuotes(code) +
               " sind nicht erlaubt; ein Unterricht mit Lehrkraft "
               "braucht mehr als 0 "
               "Wochenstunden.";
      });
    if (!m_teachers.empty() && !m_teachers.contains(code))
      error("LEHRER", [&] {
        return "Das Lehrerkürzel " + inQuotes(code) +
               " hat keine Lehrerzeile in LEHRER; erlaubt sind nur Kürzel von "
               "Lehrkräften mit Namen in den Lehrerdaten.";
      });
    if (!isTeacherCode(code)) error("LEHRER", [&] { return teacherCodeText(code); });
  }

  void checkSubject(const store::Table& uvd) {
    const Text key = left(uvd.getPadded(m_fields.fach), 2);
    if (isBlank(key) || m_subjects.contains(key)) return;
    error("FACH", [&] {
      return "Das Fach " + inQuotes(trim(key)) + " ist für die Schulform " + schoolForm() +
             " nicht zugelassen; erlaubt sind nur die Fächer der Schulform in "
             "ZULFACH.";
    });
  }

  void checkCourseKind(const store::Table& uvd) {
    const Text key = left(uvd.getPadded(m_fields.kursart), 2);
    if (isBlank(key) || m_courseKinds.contains(key)) return;
    error("KURSART", [&] {
      return "Die Kursart " + inQuotes(trim(key)) + " gibt es für die Schulform " + schoolForm() +
             " nicht; erlaubt sind nur die Kursarten des Katalogs "
             "der Schulform.";
    });
  }

  void checkCounts(const store::Table& uvd) {
    const double pupils = uvd.getNumber(m_fields.schuelerG);
    const double female = uvd.getNumber(m_fields.schuelerW);
    const double hours = uvd.getNumber(m_fields.wstd);
    if (female > pupils)
      error("SCHUELER_W", [&] {
        return "Die Zahl der Schülerinnen " + numberText(female) +
               " ist größer als die Schülerzahl " + numberText(pupils) +
               "; erlaubt sind höchstens so viele Schülerinnen wie Schüler.";
      });
    if (pupils > maxCount)
      error("SCHUELER_G", [&] {
        return "Die Schülerzahl " + numberText(pupils) + " ist zu groß; erlaubt sind höchstens 99.";
      });
    if (female > maxCount)
      error("SCHUELER_W", [&] {
        return "Die Zahl der Schülerinnen " + numberText(female) +
               " ist zu groß; erlaubt sind höchstens 99.";
      });
    if (hours > maxCount)
      error("WSTD", [&] {
        return "Die Wochenstunden " + numberText(hours) +
               " sind zu viele; erlaubt sind höchstens 99.";
      });
    // Two decimals are what the field holds; the writer rounds up to whole
    // hours.
    const double cents = std::round(hours * 100);
    if (!m_minuteModel && std::fmod(cents, 100) != 0)
      note("WSTD", [&] {
        return "Die Wochenstunden " + numberText(hours) +
               " sind keine ganze Zahl und werden ohne Minutenmodell "
               "beim Schreiben "
               "auf " +
               numberText(std::ceil(cents / 100)) + " aufgerundet.";
      });
  }

  void checkClass(const store::Table& uvd) {
    const Text full = trimRight(uvd.getPadded(m_fields.klasse));
    const Text written = trim(left(full, classWidth));
    if (isBlank(full)) return;
    if (full.size() > classWidth)
      note("KLASSE", [&] {
        return "Der Klassenname " + inQuotes(full) +
               " ist länger als 6 Zeichen und wird beim Schreiben auf " + inQuotes(written) +
               " gekürzt.";
      });
    if (m_yearClasses && !startsWithYearGroup(written))
      note("KLASSE", [&] {
        return "Die Klasse " + inQuotes(written) +
               " beginnt nicht mit einem Jahrgang; erwartet werden "
               "zwei Ziffern von "
               "01 bis 13 oder EF, Q1, Q2.";
      });
  }

  FindingList& m_list;
  UvdFields m_fields;
  Text m_sf;
  bool m_minuteModel;
  bool m_yearClasses;
  std::set<Text> m_subjects;
  std::set<Text> m_courseKinds;
  std::set<Text> m_teachers;
  std::uint32_t m_recno = 0;
};

// Rows of a conversion table whose old name has no new one yet.
void checkConversion(store::Table& t, Page page, const char* oldField, const char* what,
                     FindingList& list) {
  const bool subjects = page == Page::Fach;
  const char* table = subjects ? "FACH" : "KLASSE";
  TableWalk walk(t, 0);
  for (t.goTop(); !t.eof(); t.skip()) {
    if (!transfer::lacksNewName(t, page)) continue;
    list.note(table, t.recno(), subjects ? "FACHNEU" : "KLASSE_NEU",
              Text(what) + " " + inQuotes(trim(t.getPadded(oldField))) +
                  " hat noch keinen neuen Namen; die " +
                  (subjects ? "Fächerkonvertierung" : "Klassenkonvertierung") +
                  " ist nicht abgeschlossen.");
  }
}

}  // namespace

void checkUvdTxt(app::Workspace& ws, FindingList& list) {
  UvdRules rules(ws, list);
  store::Table& uvd = ws.table(Page::Uvd);
  {
    TableWalk walk(uvd, 0);
    for (uvd.goTop(); !uvd.eof(); uvd.skip()) rules.check(uvd);
  }
  checkConversion(ws.table(Page::Fach), Page::Fach, "FACHALT", "Das Fach", list);
  checkConversion(ws.table(Page::Klasse), Page::Klasse, "KLASSE_ALT", "Die Klasse", list);
}

}  // namespace velmoran::asdpc::plausibility
