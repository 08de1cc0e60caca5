#pragma once
// Test helpers for the statistics side: lesson lines put into GPSUL through the table, a
// ZULFACH of the test's own, and the UVD records read back.

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "pages/table_commands.h"
#include "store/bulk.h"
#include "store/table.h"
#include "store/text.h"

namespace velmoran::test {

// One line of GPU002.TXT as the import stores it in GPSUL.
struct LessonLine {
  LessonLine(double unr, Text klasse, Text lehrer, Text fach, Text raum, double wochenwert,
             double male = 0, double female = 0, double total = 0)
      : unr(unr),
        klasse(std::move(klasse)),
        lehrer(std::move(lehrer)),
        fach(std::move(fach)),
        raum(std::move(raum)),
        wochenwert(wochenwert),
        male(male),
        female(female),
        total(total) {}
  double unr = 0;
  Text klasse;
  Text lehrer;
  Text fach;
  Text raum;
  double wochenwert = 0;
  double male = 0;
  double female = 0;
  double total = 0;  // SCHUELER_G
};

inline void addLines(store::Table& gpsul, const std::vector<LessonLine>& lines) {
  for (const LessonLine& l : lines) {
    gpsul.append();
    gpsul.put("UNR", l.unr);
    gpsul.put("KLASSE", l.klasse);
    gpsul.put("LEHRER", l.lehrer);
    gpsul.put("FACH", l.fach);
    gpsul.put("FACHRAUM", l.raum);
    gpsul.put("WOCHENWERT", l.wochenwert);
    gpsul.put("WSTD", l.wochenwert);
    gpsul.put("SCHUELER_M", l.male);
    gpsul.put("SCHUELER_W", l.female);
    gpsul.put("SCHUELER_G", l.total);
  }
  gpsul.flush();
}

struct ZulfachEntry {
  Text fachkurz;
  Text schulform;
};

// Replace the shipped allowed subjects by these, in this record order.
inline void replaceZulfach(store::Table& zulfach, const std::vector<ZulfachEntry>& rows) {
  store::markAllDeleted(zulfach);
  for (const ZulfachEntry& r : rows) {
    zulfach.append();
    zulfach.put("FACHKURZ", r.fachkurz);
    zulfach.put("FACHLANG", "Fach " + r.fachkurz);
    zulfach.put("SCHULFORM", r.schulform);
  }
  zulfach.flush();
  zulfach.goTop();
}

// A UVD record, texts without leading and trailing blanks.
struct UvdRecord {
  UvdRecord(Text klasse, Text teilklasse, Text kursart, double wstd, Text fach, Text lehrer,
            double pupils, double female, Text bilingual = "", Text jahrgang = "")
      : klasse(std::move(klasse)),
        teilklasse(std::move(teilklasse)),
        kursart(std::move(kursart)),
        wstd(wstd),
        fach(std::move(fach)),
        lehrer(std::move(lehrer)),
        pupils(pupils),
        female(female),
        bilingual(std::move(bilingual)),
        jahrgang(std::move(jahrgang)) {}
  Text klasse;
  Text teilklasse;
  Text kursart;
  double wstd = 0;
  Text fach;
  Text lehrer;
  double pupils = 0;
  double female = 0;
  Text bilingual;
  Text jahrgang;
  friend bool operator==(const UvdRecord&, const UvdRecord&) = default;
};

inline std::ostream& operator<<(std::ostream& out, const UvdRecord& r) {
  return out << "{" << r.klasse << "|" << r.teilklasse << "|" << r.kursart << "|" << r.wstd << "|"
             << r.fach << "|" << r.lehrer << "|" << r.pupils << "|" << r.female << "|"
             << r.bilingual << "|" << r.jahrgang << "}";
}

// The visible records of UVD in record order; the cursor ends on the first.
inline std::vector<UvdRecord> uvdRecords(store::Table& uvd) {
  std::vector<UvdRecord> records;
  for (uvd.goTop(); !uvd.eof(); uvd.skip())
    records.push_back({trim(uvd.getText("KLASSE")), trim(uvd.getText("TEILKLASSE")),
                       trim(uvd.getText("KURSART")), uvd.getNumber("WSTD"),
                       trim(uvd.getText("FACH")), trim(uvd.getText("LEHRER")),
                       uvd.getNumber("SCHUELER_G"), uvd.getNumber("SCHUELER_W"),
                       trim(uvd.getText("BILINGUAL")), trim(uvd.getText("JAHRGANG"))});
  uvd.goTop();
  return records;
}

// One field of every visible record in record order, without trailing blanks;
// the table keeps its order and ends on its first record.
inline std::vector<Text> column(store::Table& t, std::string_view field) {
  const int order = t.order();
  t.setOrder(0);
  std::vector<Text> values;
  for (t.goTop(); !t.eof(); t.skip()) values.push_back(trimRight(t.getText(field)));
  t.setOrder(order);
  t.goTop();
  return values;
}

// Everything a rejected command must leave alone: the records (deleted ones counted too).
inline std::string snapshot(store::Table& t) {
  return std::to_string(t.lastRec()) + "\n" + pages::dumpCsv(t);
}

}  // namespace velmoran::test
