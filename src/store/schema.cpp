#include "store/schema.h"

#include <stdexcept>

#include "store/text.h"

namespace velmoran::store {

namespace {

Field c(const char* name, int length) { return Field{name, 'C', length, 0}; }
Field n(const char* name, int length, int decimals = 0) {
  return Field{name, 'N', length, decimals};
}
Field d(const char* name) { return Field{name, 'D', 8, 0}; }

// Widths: every value the importers, the transfer and the editors write fits, including the
// longest entry of each catalog a field is chosen from. The teacher code is ASDPC's four
// characters; LNAME, LVORNAME and SERIENNR are written at full width into LEHRER_ASD.TXT.
std::vector<TableSpec> makeSpecs() {
  std::vector<TableSpec> specs;
  specs.push_back(
      {"GPSUL",
       "gpsul.dbf",
       {n("UNR", 8), n("WSTD", 8, 3), n("WSTD_KLA", 8, 3), n("WSTD_LEH", 8, 3), c("KLASSE", 20),
        c("LEHRER", 20), c("FACH", 20), c("FACHRAUM", 20), c("STAT_U", 20), n("SCHUELER_G", 5),
        n("WOCHENWERT", 10, 3), d("DATUM_VON"), d("DATUM_BIS"), n("JAHRESWERT", 10, 3),
        c("STAT_L", 20), n("SCHUELER_M", 5), n("SCHUELER_W", 5)},
       {{"UNR.NTX", "UNR", "UNR"},
        {"GPKLASSE.NTX", "KLASSE", "KLASSE"},
        {"GPLEHRER.NTX", "LEHRER", "LEHRER"},
        {"GPFACH.NTX", "FACH", "FACH"},
        {"GPRAUM.NTX", "FACHRAUM", "FACHRAUM"}},
       17});
  specs.push_back({"FACH",
                   "fach.dbf",
                   {c("FACHALT", 20), c("FACHNEU", 100), c("KURSART", 100)},
                   {{"FACH.NTX", "FACH", "UPPER(FACHALT)"}},
                   0,
                   "KURSART"});
  specs.push_back({"KLASSE",
                   "klasse.dbf",
                   {c("KLASSE_ALT", 20), c("KLASSE_NEU", 20), c("JAHRGANG", 10), c("KURSART", 100)},
                   {{"KLASSE.NTX", "KLASSE", "UPPER(KLASSE_ALT)"}},
                   0,
                   "KURSART"});
  specs.push_back({"LEHRER",
                   "lehrer.dbf",
                   {c("UNTIS_KRZ", 4), c("LNAME", 30), c("LVORNAME", 20), d("LGEBDAT"),
                    c("GESCHLECHT", 1), c("SERIENNR", 1), c("STAATSANGE", 60), c("RECHTSVER", 50),
                    c("BESCHART", 90), c("EINSATZ", 40), c("LEHRAMT", 110), c("RICHTUNG", 120),
                    c("QUALART1", 30), c("FACH", 80), c("QUALART2", 30)},
                   {{"LEHRER.NTX", "UNTIS_KRZ", "UPPER(UNTIS_KRZ)"}},
                   1});
  specs.push_back({"MEHR_MINDER",
                   "mehr_minder.dbf",
                   {c("ART", 2), c("UNTIS_KRZ", 4), n("USTD", 10, 2), c("NICHT", 170),
                    c("MEHR", 100), c("MINDER", 100)},
                   {{"UNTIS_KRZ.NTX", "UNTIS_KRZ", "UPPER(UNTIS_KRZ)"}}});
  specs.push_back({"UVD",
                   "uvd.dbf",
                   {c("KLASSE", 20), c("TEILKLASSE", 1), c("JAHRGANG", 10), c("KURSART", 100),
                    n("WSTD", 10, 2), c("FACH", 100), c("LEHRER", 20), n("SCHUELER_G", 5),
                    n("SCHUELER_W", 5), c("BILINGUAL", 20), c("FREMDE", 20)},
                   {},
                   11});
  specs.push_back({"ZULFACH",
                   "zulfach.dbf",
                   {c("FACHKURZ", 2), c("FACHLANG", 80), c("SCHULFORM", 2)},
                   {{"ZULFACH.NTX", "ZULFACH", "UPPER(FACHKURZ)"}}});
  return specs;
}

}  // namespace

const std::vector<TableSpec>& tableSpecs() {
  static const std::vector<TableSpec> specs = makeSpecs();
  return specs;
}

std::vector<std::string> missingFields(const TableSpec& spec, const Structure& structure) {
  std::vector<std::string> missing;
  for (std::size_t i = 0; i < spec.structure.size(); ++i) {
    const std::string& name = spec.structure[i].name;
    if (spec.addedByUpgrade && name == spec.addedByUpgrade) continue;
    bool present = false;
    for (std::size_t j = 0; j < structure.size(); ++j)
      if ((i >= spec.fieldsByPosition || j == i) && sameIgnoringCase(structure[j].name, name))
        present = true;
    if (!present) missing.push_back(name);
  }
  return missing;
}

const TableSpec& tableSpec(std::string_view name) {
  for (const auto& s : tableSpecs())
    if (name == s.name) return s;
  throw std::out_of_range("unknown table " + std::string(name));
}

}  // namespace velmoran::store
