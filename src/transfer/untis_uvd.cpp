#include "transfer/untis_uvd.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "store/bulk.h"
#include "transfer/conversion.h"

namespace velmoran::transfer {

namespace {

using app::Page;

constexpr const char* captionSuffix =
    " / Datenübernahme aus der Unterrichtsverteilung nach UVD-Tabelle übernehmen";
constexpr const char* noDataText = "Sie haben noch keine Daten aus Untis eingelesen !";
constexpr const char* doneText = "Die Übernahme der Daten ist abgeschlossen !";

// Letters of the bilingual languages, as the third character of a subject shows them.
constexpr std::string_view bilingualLetters = "NEFIRSZ";
// A leading digit of these years gets a "0" in front, so classes sort as 05 ... 10.
constexpr std::string_view paddedYears = "56789";
constexpr std::string_view digits = "0123456789";
// The teacher code of the statistics is at most this long.
constexpr std::size_t teacherWidth = 6;
// BK writes at most this much of an Untis class name as the proposed new name.
constexpr std::size_t bkClassWidth = 6;

std::size_t fieldWidth(const store::Table& t, std::string_view field) {
  return static_cast<std::size_t>(t.structure()[t.fieldIndex(field) - 1].length);
}

bool isBlank(std::string_view s) { return trimmedView(s).empty(); }
// A line with such a class belongs to no lesson row.
bool isNoClass(std::string_view cls) { return isBlank(cls) || trimmedView(cls) == "?"; }
bool contains(std::string_view s, std::string_view part) {
  return s.find(part) != std::string_view::npos;
}
bool containsAny(std::string_view s, std::initializer_list<std::string_view> parts) {
  return std::any_of(parts.begin(), parts.end(),
                     [&](std::string_view p) { return contains(s, p); });
}
bool isOneOf(char c, std::string_view set) { return c != '\0' && contains(set, {&c, 1}); }
// The character at a 1-based position, '\0' beyond the end.
char charAt(std::string_view s, std::size_t position) {
  return position <= s.size() ? s[position - 1] : '\0';
}

// Nearest whole number, halves away from zero. The product of a weekly value with three
// decimals and the minutes is first cut to six decimals, so 1.1 × 45 counts as the 49.5 it
// is in decimal and rounds to 50.
double roundHalfAwayFromZero(double x) { return std::round(std::round(x * 1e6) / 1e6); }

// Untis writes year classes as "5.1"; the statistics wants "05A": ".1" to ".9" become "A"
// to "I". Appended to out.
void appendNormalisedClass(std::string_view cls, Text& out) {
  if (!cls.empty() && isOneOf(cls[0], paddedYears)) out += '0';
  for (std::size_t point; (point = cls.find('.')) != std::string_view::npos;) {
    out += cls.substr(0, point);
    const char next = point + 1 < cls.size() ? cls[point + 1] : '\0';
    if (next >= '1' && next <= '9') {
      out += static_cast<char>('A' + (next - '1'));
      cls.remove_prefix(point + 2);
    } else {
      out += '.';
      cls.remove_prefix(point + 1);
    }
  }
  out += cls;
}

// One row of a lesson: the GPSUL lines of one class, teacher and subject taken together.
struct Row {
  Text key;
  Text cls;
  Text teacher;
  Text subject;
  Text room;
  double weeklyValue = 0;
  double weeklyHours = 0;
  double pupils = 0;
  double female = 0;
};

struct Lesson {
  std::vector<Row> rows;
  double totalPupils = 0;
  double totalFemale = 0;
  int extraLines = 0;  // GPSUL lines of the lesson beyond the first
  bool isCoupled() const { return extraLines > 0; }
};

// Positions of the fields read and written for every line, looked up once. A field the table
// lacks has position 0, and using it throws std::out_of_range as using its name would.
struct GpsulFields {
  explicit GpsulFields(const store::Table& t)
      : fach(t.fieldIndex("FACH")),
        fachraum(t.fieldIndex("FACHRAUM")),
        klasse(t.fieldIndex("KLASSE")),
        lehrer(t.fieldIndex("LEHRER")),
        schuelerG(t.fieldIndex("SCHUELER_G")),
        schuelerM(t.fieldIndex("SCHUELER_M")),
        schuelerW(t.fieldIndex("SCHUELER_W")),
        unr(t.fieldIndex("UNR")),
        wochenwert(t.fieldIndex("WOCHENWERT")),
        wstd(t.fieldIndex("WSTD")) {}
  int fach, fachraum, klasse, lehrer, schuelerG, schuelerM, schuelerW, unr, wochenwert, wstd;
};

// A GPSUL line as the transfer reads it. Texts are padded to their fields' widths, as the
// rules count on it ("contains", character positions, exact comparisons); the class also as
// the transfer names it (normalised where the school form wants it). Class, teacher and
// subject together are the key of the line's row.
struct Line {
  Text storedClass;
  Text cls;
  Text teacher;
  Text subject;
  Text room;
  Text key;
  double unr = 0, male = 0, female = 0, pupils = 0, weeklyValue = 0, weeklyHours = 0;
};

struct UvdFields {
  explicit UvdFields(const store::Table& t)
      : bilingual(t.fieldIndex("BILINGUAL")),
        fach(t.fieldIndex("FACH")),
        klasse(t.fieldIndex("KLASSE")),
        kursart(t.fieldIndex("KURSART")),
        lehrer(t.fieldIndex("LEHRER")),
        schuelerG(t.fieldIndex("SCHUELER_G")),
        schuelerW(t.fieldIndex("SCHUELER_W")),
        teilklasse(t.fieldIndex("TEILKLASSE")),
        wstd(t.fieldIndex("WSTD")) {}
  int bilingual, fach, klasse, kursart, lehrer, schuelerG, schuelerW, teilklasse, wstd;
};

struct CourseKind {
  Text key;
  bool cutSubject = false;  // the subject keeps only its first two characters
};

class UvdTransfer {
public:
  explicit UvdTransfer(app::Workspace& ws);
  // Replaces the records of UVD by those made from GPSUL and adds the subjects and classes
  // to convert to FACH and KLASSE, all three or none.
  Result<void> run();

private:
  const Line& readLine();
  void takeLine(const Line& line);
  void finishLesson();
  void collectRecord(const Line& line);
  void checkSubject(const Row& row);
  bool zulfachSeek(const Text& key);
  void skipZulfach();
  bool isZulfachVisible() const;
  void checkClass(const Row& row);
  void writeLesson(Lesson& lesson);
  void writeRow(Lesson& lesson, std::size_t i);
  double hours(double weeklyValue) const;
  std::optional<CourseKind> courseKind(const Lesson& lesson, const Row& row) const;
  void applyCoupled(Lesson& lesson, std::size_t i);
  void clearClassAndSubject();
  template <typename F>
  void onPrevious(F change);
  std::string_view kindEntry(std::string_view key) const;

  app::Workspace& m_ws;
  store::Table& m_gpsul;
  // The new versions of UVD, FACH and KLASSE that the run fills (store::Replacement).
  store::Table* m_uvd = nullptr;
  const GpsulFields m_gpsulAt;
  const UvdFields m_uvdAt;
  store::Table& m_zulfach;
  store::Table* m_fach = nullptr;
  store::Table* m_klasse = nullptr;
  const catalog::Catalog& m_kinds;
  Text m_sf;
  Text m_zulfachForm;  // the school form the ZULFACH look-ups are limited to
  bool m_normalises;   // school forms with year classes named "5.1" in Untis
  bool m_hasCourseKinds;
  bool m_minuteModel;
  double m_minutes;
  std::unordered_set<Text> m_checkedSubjects;
  std::unordered_set<Text> m_checkedClasses;
  Line m_line;  // the GPSUL line just read
  // The lesson being collected, from the line with its number on.
  Lesson m_lesson;
  bool m_inLesson = false;
  double m_lessonNumber = 0;
  // Per lesson while its rows are written.
  bool m_marked = false;
  std::uint32_t m_current = 0;
  std::uint32_t m_previous = 0;
};

UvdTransfer::UvdTransfer(app::Workspace& ws)
    : m_ws(ws),
      m_gpsul(ws.table(Page::Gpsul)),
      m_gpsulAt(m_gpsul),
      m_uvdAt(ws.table(Page::Uvd)),
      m_zulfach(ws.table(Page::Zulfach)),
      m_kinds(ws.catalogs.AKURSARTEN),
      m_sf(ws.settings.sf()),
      m_zulfachForm(upper(left(ws.settings.schoolForm, 2))),
      m_minuteModel(ws.settings.minuteModelOn()),
      m_minutes(ws.settings.minutesPerLesson()) {
  // A further-education college is treated as a vocational college throughout, while
  // ZULFACH stays limited to its own school form.
  if (m_sf == "WB") m_sf = "BK";
  const bool yearClasses = m_sf == "H" || m_sf.starts_with("R") || m_sf == "SE" || m_sf == "GY" ||
                           m_sf == "GE" || m_sf == "FW";
  m_normalises = yearClasses;
  m_hasCourseKinds = yearClasses || m_sf.starts_with("H");
}

Result<void> UvdTransfer::run() {
  const int gpsulOrder = m_gpsul.order();
  const int zulfachOrder = m_zulfach.order();
  // GPSUL in lesson-number order; the look-ups through each table's upper-case index.
  m_gpsul.setOrder(1);
  m_zulfach.setOrder(1);
  auto replaced = store::replaceTables([this](store::Replacement& replacement) {
    m_uvd = &replacement.add(m_ws.table(Page::Uvd), store::Replacement::Start::deleted);
    m_fach = &replacement.add(m_ws.table(Page::Fach), store::Replacement::Start::copy);
    m_klasse = &replacement.add(m_ws.table(Page::Klasse), store::Replacement::Start::copy);
    m_fach->setOrder(1);
    m_klasse->setOrder(1);
    for (m_gpsul.goTop(); !m_gpsul.eof(); m_gpsul.skip()) takeLine(readLine());
    if (m_inLesson) finishLesson();
    return true;
  });
  m_gpsul.setOrder(gpsulOrder);
  m_gpsul.goTop();
  m_zulfach.setOrder(zulfachOrder);
  m_zulfach.goTop();
  return replaced;
}

// The current GPSUL record, read into the buffers of the line before.
const Line& UvdTransfer::readLine() {
  Line& l = m_line;
  m_gpsul.getPadded(m_gpsulAt.klasse, l.storedClass);
  l.cls.clear();
  if (m_normalises)
    appendNormalisedClass(l.storedClass, l.cls);
  else
    l.cls = l.storedClass;
  m_gpsul.getPadded(m_gpsulAt.lehrer, l.teacher);
  m_gpsul.getPadded(m_gpsulAt.fach, l.subject);
  m_gpsul.getPadded(m_gpsulAt.fachraum, l.room);
  l.key.assign(l.cls).append(l.teacher).append(l.subject);
  l.unr = m_gpsul.getNumber(m_gpsulAt.unr);
  l.male = m_gpsul.getNumber(m_gpsulAt.schuelerM);
  l.female = m_gpsul.getNumber(m_gpsulAt.schuelerW);
  l.pupils = m_gpsul.getNumber(m_gpsulAt.schuelerG);
  l.weeklyValue = m_gpsul.getNumber(m_gpsulAt.wochenwert);
  l.weeklyHours = m_gpsul.getNumber(m_gpsulAt.wstd);
  return l;
}

// The lines with one lesson number, from one whose class is neither blank nor "?", make a
// lesson; the first line with another number ends it. Lines outside a lesson whose class is
// blank or "?" are passed over.
void UvdTransfer::takeLine(const Line& line) {
  if (m_inLesson) {
    if (line.unr == m_lessonNumber) {
      ++m_lesson.extraLines;
      collectRecord(line);
      return;
    }
    finishLesson();
  }
  if (isNoClass(line.storedClass)) return;
  m_lesson = Lesson{};
  m_inLesson = true;
  m_lessonNumber = line.unr;
  collectRecord(line);
}

void UvdTransfer::finishLesson() {
  m_inLesson = false;
  // A lesson without a teacher on its first line is no teaching record.
  if (!m_lesson.rows.empty() && !isBlank(m_lesson.rows.front().teacher)) writeLesson(m_lesson);
}

void UvdTransfer::collectRecord(const Line& line) {
  if (isNoClass(line.cls)) return;
  const double pupils = line.female + line.male > 0 ? line.female + line.male : line.pupils;
  m_lesson.totalPupils += pupils;
  m_lesson.totalFemale += line.female;

  auto existing = std::find_if(m_lesson.rows.begin(), m_lesson.rows.end(),
                               [&](const Row& r) { return r.key == line.key; });
  if (existing != m_lesson.rows.end()) {
    existing->pupils += pupils;
    existing->female += line.female;
    return;
  }
  const Row& row = m_lesson.rows.emplace_back(
      Row{line.key, line.cls, left(line.teacher, teacherWidth), upper(line.subject),
          upper(line.room), line.weeklyValue, line.weeklyHours, pupils, line.female});
  // A subject or class once checked has its FACH or KLASSE record from then on, so checking
  // it again would change nothing. (A class with leading blanks is not found again by its
  // trimmed name and is checked each time.)
  if (m_checkedSubjects.insert(row.subject).second) checkSubject(row);
  if (row.cls.starts_with(' ') || m_checkedClasses.insert(row.cls).second) checkClass(row);
}

// ZULFACH is looked at only through the records of the settings' own school form: those
// are the records the look-ups may land on and walk over.
bool UvdTransfer::isZulfachVisible() const {
  return upper(m_zulfach.getPadded("SCHULFORM")) == m_zulfachForm;
}

void UvdTransfer::skipZulfach() {
  do m_zulfach.skip();
  while (!m_zulfach.eof() && !isZulfachVisible());
}

// A soft seek limited to the school form's records: the nearest key, then on to the first
// record of the school form; found when that record's key begins with `key`.
bool UvdTransfer::zulfachSeek(const Text& key) {
  m_zulfach.seek(key, true);
  if (!m_zulfach.eof() && !isZulfachVisible()) skipZulfach();
  return !m_zulfach.eof() && upper(m_zulfach.getPadded("FACHKURZ")).starts_with(key);
}

void UvdTransfer::checkSubject(const Row& row) {
  const Text prefix = left(row.subject, 2);
  if (isBlank(prefix)) return;
  const bool found = zulfachSeek(prefix);
  bool needsConverting = true;
  if (m_sf == "BK" && trim(row.subject).size() > 2) {
    needsConverting = true;
  } else if (found) {
    const Text fachkurz = m_zulfach.getPadded("FACHKURZ");
    while (!m_zulfach.eof() && m_zulfach.getPadded("FACHKURZ") == fachkurz) {
      if (trim(m_zulfach.getPadded("SCHULFORM")) == m_sf) {
        needsConverting = false;
        break;
      }
      needsConverting = true;
      skipZulfach();
    }
  }
  if (!needsConverting) return;
  if (!m_fach->seek(padRight(row.subject, fieldWidth(*m_fach, "FACHALT")), true)) {
    m_fach->append();
    m_fach->put("FACHALT", row.subject);
  }
}

void UvdTransfer::checkClass(const Row& row) {
  const Text name = trim(row.cls);
  if (m_sf == "GY" && (name == "EF" || name == "Q1" || name == "Q2" || name == "11" ||
                       name == "12" || name == "10"))
    return;
  const bool startsWithTwoDigits =
      isOneOf(charAt(row.cls, 1), digits) && isOneOf(charAt(row.cls, 2), digits);
  const bool yearForm = m_sf.starts_with("G") || m_sf.starts_with("H") || m_sf.starts_with("R");
  const bool odd = (m_sf != "BK" && name.size() > 4) || (m_sf == "BK" && name.size() > 6) ||
                   (yearForm && !startsWithTwoDigits);
  if (!odd) return;
  const std::size_t width = static_cast<std::size_t>(m_klasse->structure()[0].length);
  if (m_klasse->seek(padRight(upper(name), width), true)) return;
  m_klasse->append();
  m_klasse->put("KLASSE_ALT", row.cls);
  if (m_sf == "BK") m_klasse->put("KLASSE_NEU", left(row.cls, bkClassWidth));
}

void UvdTransfer::writeLesson(Lesson& lesson) {
  m_marked = false;
  m_previous = 0;
  for (std::size_t i = 0; i < lesson.rows.size(); ++i) {
    writeRow(lesson, i);
    m_previous = m_current;
  }
}

double UvdTransfer::hours(double weeklyValue) const {
  if (m_minuteModel) {
    const double h = roundHalfAwayFromZero(weeklyValue * m_minutes);
    return h == 0 ? m_minutes : h;
  }
  const double h = roundHalfAwayFromZero(weeklyValue);
  return h == 0 ? 1 : h;
}

void UvdTransfer::writeRow(Lesson& lesson, std::size_t i) {
  Row& row = lesson.rows[i];
  m_uvd->append();
  m_current = m_uvd->recno();
  m_uvd->put(m_uvdAt.klasse, row.cls);
  m_uvd->put(m_uvdAt.lehrer, row.teacher);
  m_uvd->put(m_uvdAt.fach, row.subject);

  const double h = hours(row.weeklyValue);
  row.weeklyValue = h;
  row.weeklyHours = h;
  m_uvd->put(m_uvdAt.wstd, h);

  const bool bk = m_sf == "BK";
  m_uvd->put(m_uvdAt.schuelerG, bk ? 0.0 : row.pupils);
  m_uvd->put(m_uvdAt.schuelerW, bk ? 0.0 : row.female);

  const char language = charAt(row.subject, 3);
  if (isOneOf(language, bilingualLetters)) m_uvd->put(m_uvdAt.bilingual, std::string(1, language));

  if (m_hasCourseKinds) {
    if (auto kind = courseKind(lesson, row)) {
      m_uvd->put(m_uvdAt.kursart, kindEntry(kind->key));
      if (kind->cutSubject) m_uvd->put(m_uvdAt.fach, left(row.subject, 2));
    }
  }
  if (lesson.isCoupled()) applyCoupled(lesson, i);
}

// The whole entry of the school form's course-kind catalog with this key, or "" when the
// school form does not know the key.
std::string_view UvdTransfer::kindEntry(std::string_view key) const {
  for (const Text& entry : m_kinds)
    if (std::string_view(entry).substr(0, 2) == key) return entry;
  return {};
}

// The first rule that holds decides; the order matters (rule 3 takes "I" before rule 4).
std::optional<CourseKind> UvdTransfer::courseKind(const Lesson& lesson, const Row& row) const {
  const Text& s = row.subject;
  const Text& cls = row.cls;
  const char fourth = charAt(s, 4);
  // Looked at only when a rule gets that far.
  auto upperClass = [&cls] { return containsAny(cls, {"EF", "Q1", "Q2", "11", "12", "13"}); };
  auto belowUpperYears = [&cls] { return !containsAny(cls, {"11", "12", "13"}); };
  const bool coupled = lesson.isCoupled();

  if ((fourth == 'E' || fourth == 'G') && m_sf == "GE" &&
      !containsAny(cls, {"EF", "11", "12", "13"}))
    return CourseKind{fourth == 'E' ? "02" : "01"};
  if (contains(s, "AG") && belowUpperYears() && coupled) return CourseKind{"36"};
  if (contains(s, "WP") && (contains(s, "1") || contains(s, "I")) && belowUpperYears())
    return CourseKind{m_sf == "GE" ? "10" : "61"};
  if (contains(s, "WP") && (contains(s, "2") || contains(s, "I")) && belowUpperYears()) {
    if (m_sf == "GE") return CourseKind{"20"};
    return CourseKind{m_sf == "GY" && charAt(s, 5) == '8' ? "65" : "66"};
  }
  if (fourth == 'L' && upperClass()) return CourseKind{"72"};
  if (fourth == 'G' && upperClass()) return CourseKind{"71"};
  if ((left(s, 3) == "GEZ" || left(s, 3) == "SWZ") && upperClass()) return CourseKind{"76", true};
  if (left(s, 2) == "VX" && upperClass()) return CourseKind{"77"};
  if (left(s, 2) == "PX" && upperClass()) return CourseKind{"78"};
  if (coupled) return CourseKind{"00"};
  return std::nullopt;
}

void UvdTransfer::clearClassAndSubject() {
  m_uvd->put(m_uvdAt.klasse, "");
  m_uvd->put(m_uvdAt.fach, "");
  m_uvd->put(m_uvdAt.schuelerG, 0.0);
  m_uvd->put(m_uvdAt.schuelerW, 0.0);
}

// Change the record written for the row before, then return to the current one.
template <typename F>
void UvdTransfer::onPrevious(F change) {
  m_uvd->goTo(m_previous);
  change();
  m_uvd->goTo(m_current);
}

// Team teaching (one class, several teachers) and lessons shared by several classes; row i
// is compared with the row before it, the first case that holds applies.
void UvdTransfer::applyCoupled(Lesson& lesson, std::size_t i) {
  const bool bk = m_sf == "BK";
  if (i == 0) {
    if (bk) {
      m_uvd->put(m_uvdAt.schuelerG, 0.0);
      m_uvd->put(m_uvdAt.schuelerW, 0.0);
    }
    return;
  }
  Row& row = lesson.rows[i];
  const Row& before = lesson.rows[i - 1];
  const bool sameClass = row.cls == before.cls;
  const bool sameSubject = row.subject == before.subject;
  const bool sameTeacher = row.teacher == before.teacher;
  const bool sameRoom = row.room == before.room;
  double sumPupils = 0;
  double sumFemale = 0;
  for (const Row& r : lesson.rows) {
    sumPupils += r.pupils;
    sumFemale += r.female;
  }
  auto markWithSums = [&] {
    m_uvd->put(m_uvdAt.teilklasse, "A");
    m_uvd->put(m_uvdAt.schuelerG, sumPupils);
    m_uvd->put(m_uvdAt.schuelerW, sumFemale);
  };

  if (sameClass && sameSubject && !sameTeacher &&
      (sameRoom || (!isBlank(before.room) && isBlank(row.room)))) {  // case 1
    clearClassAndSubject();
    if (!m_marked) {
      onPrevious([&] {
        if (bk) {
          markWithSums();
        } else {
          m_uvd->put(m_uvdAt.teilklasse, "T");
          m_uvd->put(m_uvdAt.schuelerG, m_uvd->getNumber(m_uvdAt.schuelerG) + row.pupils);
          m_uvd->put(m_uvdAt.schuelerW, m_uvd->getNumber(m_uvdAt.schuelerW) + row.female);
        }
      });
      m_marked = true;
    }
  } else if (bk && sameClass && sameRoom && sameSubject) {  // case 2
    clearClassAndSubject();
    if (!m_marked) {
      onPrevious(markWithSums);
      m_marked = true;
    }
  } else if (bk && sameTeacher && !isBlank(row.teacher)) {  // case 3
    m_uvd->put(m_uvdAt.teilklasse, "A");
    m_uvd->put(m_uvdAt.lehrer, "");
    m_uvd->put(m_uvdAt.fach, "");
    m_uvd->put(m_uvdAt.schuelerG, row.pupils);
    m_uvd->put(m_uvdAt.schuelerW, row.female);
    m_uvd->put(m_uvdAt.wstd, 0.0);
    onPrevious([&] {
      m_uvd->put(m_uvdAt.teilklasse, "A");
      m_uvd->put(m_uvdAt.schuelerG, before.pupils);
      m_uvd->put(m_uvdAt.schuelerW, before.female);
    });
  } else if (sameTeacher && sameSubject && row.weeklyHours != 0) {  // case 4
    m_uvd->put(m_uvdAt.teilklasse, "T");
    m_uvd->put(m_uvdAt.lehrer, "");
    m_uvd->put(m_uvdAt.fach, "");
    m_uvd->put(m_uvdAt.schuelerG, row.pupils);
    m_uvd->put(m_uvdAt.schuelerW, row.female);
    m_uvd->put(m_uvdAt.wstd, 0.0);
    m_uvd->put(m_uvdAt.kursart, "");
    onPrevious([&] {
      m_uvd->put(m_uvdAt.teilklasse, "T");
      if (i == 1) {
        m_uvd->put(m_uvdAt.schuelerG, lesson.rows[0].pupils);
        m_uvd->put(m_uvdAt.schuelerW, lesson.rows[0].female);
      }
    });
  } else if (bk && !sameTeacher && row.weeklyHours != 0) {  // case 5
    m_uvd->put(m_uvdAt.teilklasse, "");
    m_uvd->put(m_uvdAt.lehrer, row.teacher);
    m_uvd->put(m_uvdAt.schuelerG, 0.0);
    m_uvd->put(m_uvdAt.schuelerW, 0.0);
    if (isBlank(row.subject)) row.subject = before.subject;
    m_uvd->put(m_uvdAt.fach, row.subject);
  } else if (bk) {  // case 6
    m_marked = false;
    m_uvd->put(m_uvdAt.schuelerG, lesson.totalPupils);
    m_uvd->put(m_uvdAt.schuelerW, lesson.totalFemale);
  } else {  // case 7
    m_marked = false;
  }
}

bool holdsRecords(store::Table& t) {
  if (t.lastRec() == 0) return false;
  t.goTop();
  return !t.eof();
}

class BusyGuard {
public:
  explicit BusyGuard(app::Ui& ui) : m_ui(ui) { m_ui.busy(true); }
  ~BusyGuard() { m_ui.busy(false); }
  BusyGuard(const BusyGuard&) = delete;
  BusyGuard& operator=(const BusyGuard&) = delete;

private:
  app::Ui& m_ui;
};

}  // namespace

void untisUvd(app::Workspace& ws, app::Ui& ui) {
  const Text caption = Text(app::programTitle) + captionSuffix;
  for (Page page : {Page::Gpsul, Page::Uvd, Page::Zulfach, Page::Fach, Page::Klasse}) {
    if (auto foreign = ws.foreignTable(page)) {
      ui.warning(caption, *foreign + "\r\nEs wurde nichts übernommen.");
      return;
    }
  }
  if (!holdsRecords(ws.table(Page::Gpsul))) {
    ui.warning(caption, noDataText);
    return;
  }
  // What was mended in UVD since the last run would be lost without a word.
  const std::size_t existing = ws.table(Page::Uvd).visibleRecnos().size();
  if (existing > 0 &&
      !ui.askYesNo(caption, "Die UVD-Tabelle enthält " +
                                app::counted(existing, "Datensatz", "Datensätze") +
                                (existing == 1 ? ". Er wird" : ". Sie werden") +
                                " neu aufgebaut; Änderungen daran gehen verloren. Fortfahren?"))
    return;
  Result<void> done;
  {
    BusyGuard busy(ui);
    done = UvdTransfer(ws).run();
  }
  if (!done) {
    ui.warning(caption,
               app::notWrittenText(ws, done.reason(), {Page::Uvd, Page::Fach, Page::Klasse}));
    return;
  }
  ui.showPage(static_cast<int>(Page::Uvd));
  const Text lacking = lackingNamesText(ws);
  ui.status("UVD: " +
            app::counted(ws.table(Page::Uvd).visibleRecnos().size(), "Datensatz", "Datensätze") +
            (lacking.empty() ? "" : ", " + lacking));
  ui.info(caption, doneText);
}

}  // namespace velmoran::transfer
