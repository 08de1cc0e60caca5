#include "pages/page_specs.h"

#include <cstring>
#include <stdexcept>

namespace velmoran::pages {

namespace {

using app::Page;
constexpr Editor T = Editor::Text;
constexpr Editor D = Editor::Date;
constexpr Editor C = Editor::Combo;

std::vector<PageSpec> makeSpecs() {
  std::vector<PageSpec> specs;
  specs.push_back({Page::Gpsul,
                   "Unterrichtsverteilung aus Untis",
                   {{"UNR", "UNR", "Unterrichtsnummer", 30, T},
                    {"WSTD", "WSTD", "Wochenstunden", 39, T},
                    {"WSTD_KLA", "WSTD K", "Wochenstunden Klasse", 66, T},
                    {"WSTD_LEH", "WSTD L", "Wochenstunden Lehrer", 66, T},
                    {"KLASSE", "Klasse", "Klasse", 65, T},
                    {"LEHRER", "Lehrer", "Lehrer", 65, T},
                    {"FACH", "Fach", "Fach", 65, T},
                    {"FACHRAUM", "Fachraum", "Fachraum", 66, T},
                    {"STAT_U", "Statistik U", "Statistik Unterricht", 50, T},
                    {"SCHUELER_G", "Schüler G", "Schüler gesamt", 79, T},
                    {"WOCHENWERT", "Wochenwert", "Wochenwert", 90, T},
                    {"DATUM_VON", "Datum von", "Datum von", 80, D},
                    {"DATUM_BIS", "Datum bis", "Datum bis", 73, D},
                    {"JAHRESWERT", "Jahreswert", "Jahreswert", 83, T},
                    {"STAT_L", "Statistik L", "Statistik Lehrer", 48, T},
                    {"SCHUELER_M", "Schüler M", "Schüler männlich", 81, T},
                    {"SCHUELER_W", "Schüler W", "Schüler weiblich", 81, T}},
                   Band::OddUnr,
                   true,
                   0,
                   "Noch keine Daten: F3 liest GPU002.TXT ein"});
  specs.push_back({Page::Uvd,
                   "Unterrichtsverteilung für UVD.TXT",
                   {{"KLASSE", "Klasse", "Klasse", 65, T},
                    {"TEILKLASSE", "Teilklasse", "Teilklasse", 70, T},
                    {"JAHRGANG", "Jahrgang", "Jahrgang", 65, T},
                    {"KURSART", "Kursart", "Kursart", 495, C},
                    {"WSTD", "Wochenstunden", "Wochenstunden", 40, T},
                    {"FACH", "Fach", "Fach", 65, T},
                    {"LEHRER", "Lehrer", "Lehrer", 50, T},
                    {"SCHUELER_G", "Schüler Gesamt", "Schüler Gesamt", 78, T},
                    {"SCHUELER_W", "Schüler Weiblich", "Schüler Weiblich", 81, T},
                    {"BILINGUAL", "Bilingual", "Bilingual", 115, C},
                    {"FREMDE", "Fremde", "Fremde", 52, T}},
                   Band::OddRecno,
                   false,
                   -1,
                   "Noch keine Daten: Umschalt+F3 übernimmt die Unterrichtsverteilung, F4 liest "
                   "eine UVD.TXT ein"});
  specs.push_back({Page::Zulfach,
                   "Zulässige Fachbezeichnungen",
                   {{"FACHKURZ", "Fachkurzname", "Fachkurzname", 100, T},
                    {"FACHLANG", "Fachlangname", "Fachlangname", 450, T},
                    {"SCHULFORM", "Schulform", "Schulform", 56, T}},
                   Band::OddPosition,
                   false,
                   0,
                   "Noch keine Daten: F8 fügt eine zulässige Fachbezeichnung ein"});
  specs.push_back({Page::Fach,
                   "Fächerkonvertierung",
                   {{"FACHALT", "Nicht zulässiger Fachname", "Nicht zulässiger Fachname", 150, T},
                    {"FACHNEU", "Zulässiger Fachname", "Zulässiger Fachname", 440, C},
                    {"KURSART", "Kursart", "Kursart:", 510, C}},
                   Band::OddPosition,
                   false,
                   0,
                   "Noch keine Daten: Umschalt+F3 trägt hier die Fächer ein, die einen zulässigen "
                   "Namen brauchen"});
  specs.push_back({Page::Klasse,
                   "Klassenkonvertierung",
                   {{"KLASSE_ALT", "Alter Klassenname", "Alter Klassenname:", 150, T},
                    {"KLASSE_NEU", "Neuer Klassenname", "Neuer Klassenname:", 150, T},
                    {"JAHRGANG", "Jahrgang / Stufe", "Jahrgang/Stufe:", 90, T},
                    {"KURSART", "Kursart", "Kursart:", 510, C}},
                   Band::OddPosition,
                   false,
                   0,
                   "Noch keine Daten: Umschalt+F3 trägt hier die Klassen ein, die einen zulässigen "
                   "Namen brauchen"});
  specs.push_back({Page::Lehrer,
                   "Lehrerdaten für LID",
                   {{"UNTIS_KRZ", "Kürzel", "Kürzel", 50, T},
                    {"LNAME", "Name", "Name", 130, T},
                    {"LVORNAME", "Vorname", "Vorname", 150, T},
                    {"LGEBDAT", "Geburtsdatum", "Geburtsdatum", 75, D},
                    {"GESCHLECHT", "Geschlecht", "Geschlecht", 60, C},
                    {"SERIENNR", "Serien-Nr.", "Serien-Nr.", 55, T},
                    {"STAATSANGE", "Staatsangehörigkeit", "Staatsangehörigkeit", 200, C},
                    {"RECHTSVER", "Rechtsverhältnis", "Rechtsverhältnis", 210, C},
                    {"BESCHART", "Beschäftigungsart", "Beschäftigungsart", 310, C},
                    {"EINSATZ", "Einsatzstatus", "Einsatzstatus", 150, C},
                    {"LEHRAMT", "Lehramt", "Lehramt", 490, C},
                    {"RICHTUNG", "Fachrichtung", "Fachrichtung", 423, C},
                    {"QUALART1", "Qual. Art Fachrichtung", "Qual.Art Fachricht.", 150, C},
                    {"FACH", "Aus./Fortbildungsfach", "Aus./Fortbildungsfach", 270, C},
                    {"QUALART2", "Qual.Art Ausb./Fortbildungsfach", "Qual.Art Fach", 160, C}},
                   Band::EveryFourthRow,
                   false,
                   0,
                   "Noch keine Daten: F6 liest GPU004.TXT ein"});
  specs.push_back(
      {Page::MehrMinder,
       "Mehr-/Minderleistungen aus Untis",
       {{"ART", "Satzart", "Satzart", 50, T},
        {"UNTIS_KRZ", "Kürzel", "Kürzel", 54, T},
        {"USTD", "Stunden/Minuten", "Stunden/Minuten", 90, T},
        {"NICHT", "Nichtunterrichtliche Tätigkeiten", "Nichtunterrichtliche Tätigkeiten", 490, C},
        {"MEHR", "Mehrleistung", "Mehrarbeit", 442, C},
        {"MINDER", "Minderleistung", "Minderarbeit", 434, C}},
       Band::LsRows,
       false,
       1,
       "Noch keine Daten: F7 liest LEHRER.TXT ein"});
  return specs;
}

bool is(const char* a, const char* b) { return std::strcmp(a, b) == 0; }

}  // namespace

const std::vector<PageSpec>& pageSpecs() {
  static const std::vector<PageSpec> specs = makeSpecs();
  return specs;
}

const PageSpec& pageSpec(app::Page page) { return pageSpecs()[static_cast<std::size_t>(page) - 1]; }

std::vector<Text> comboList(app::Workspace& ws, app::Page page, const char* field) {
  const catalog::Catalogs& c = ws.catalogs;
  switch (page) {
    case Page::Uvd:
      if (is(field, "KURSART")) return c.AKURSARTEN;
      if (is(field, "BILINGUAL")) return c.AFREMDSP;
      break;
    case Page::Fach:
      if (is(field, "FACHNEU")) return c.AFAECHER;
      if (is(field, "KURSART")) return c.AKURSARTEN;
      break;
    case Page::Klasse:
      if (is(field, "KURSART")) return c.AKURSARTEN;
      break;
    case Page::Lehrer:
      // The grid offers D and the empty entry for the sex, and the empty entry for the
      // deployment, which the form's lists leave out.
      if (is(field, "GESCHLECHT")) return {"M", "W", "D", ""};
      if (is(field, "EINSATZ")) {
        std::vector<Text> list{""};
        list.insert(list.end(), c.einsatz.begin(), c.einsatz.end());
        return list;
      }
      if (is(field, "STAATSANGE")) return c.ASTAAT;
      if (is(field, "RECHTSVER")) return c.ARECHTSVER;
      if (is(field, "BESCHART")) return c.ABESCHART;
      if (is(field, "LEHRAMT")) return c.ALEHRAMT;
      if (is(field, "RICHTUNG")) return c.AFACHRICHT;
      if (is(field, "FACH")) return c.AFACH;
      if (is(field, "QUALART1") || is(field, "QUALART2")) return c.qualart;
      break;
    case Page::MehrMinder: {
      Text art = ws.table(Page::MehrMinder).getText("ART");
      if (is(field, "NICHT")) return art == "65" ? c.ANICHT : std::vector<Text>{};
      if (is(field, "MEHR")) return art == "66" ? c.AMEHR : std::vector<Text>{};
      if (is(field, "MINDER")) return art == "67" ? c.AMINDER : std::vector<Text>{};
      break;
    }
    default:
      break;
  }
  return {};
}

int sortOrderForField(const char* field) {
  static const char* sortable[] = {"UNR", "KLASSE", "LEHRER", "FACH", "FACHRAUM"};
  for (int i = 0; i < 5; ++i)
    if (is(field, sortable[i])) return i + 1;
  return 0;
}

}  // namespace velmoran::pages
