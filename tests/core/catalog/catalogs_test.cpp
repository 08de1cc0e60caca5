#include "catalog/catalogs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>

#include "store/schema.h"
#include "store/table.h"
#include "support/temp_dir.h"

namespace velmoran::catalog {
namespace {

Catalogs forForm(std::string_view schoolFormEntry) {
  return buildCatalogs(schoolFormEntry, shippedZulfach());
}

bool contains(const Catalog& catalog, std::string_view entry) {
  return std::find(catalog.begin(), catalog.end(), entry) != catalog.end();
}

// Keys written "A_ AH 121": blank-separated, '_' standing for a blank inside a key.
std::vector<Text> keyList(std::string_view text) {
  std::vector<Text> keys;
  std::istringstream in{std::string(text)};
  for (std::string key; in >> key;) {
    std::replace(key.begin(), key.end(), '_', ' ');
    keys.push_back(key);
  }
  return keys;
}

// The keys of the catalog's entries after its leading empty entry.
std::vector<Text> keysAfterEmpty(const Catalog& catalog) {
  std::vector<Text> keys;
  for (std::size_t i = 1; i < catalog.size(); ++i)
    keys.push_back(catalog[i].substr(0, catalog[i].find('=')));
  return keys;
}

const Text& schoolForm(std::string_view key) {
  for (const Text& entry : schoolForms())
    if (schoolFormKey(entry) == key) return entry;
  throw std::out_of_range("no school form " + std::string(key));
}

TEST(SchoolForms, SeventeenEntriesWithSixteenCodes) {
  const Catalog& forms = schoolForms();
  ASSERT_EQ(forms.size(), 17u);
  EXPECT_EQ(forms.front(), "G =Grundschule");
  EXPECT_EQ(forms[3], "S =Förderschule im Bereich G/H");
  EXPECT_EQ(forms[13], "S =Schule für Kranke");
  EXPECT_EQ(forms.back(), "WB=Weiterbildungskolleg");
  std::vector<Text> codes;
  for (const Text& entry : forms) codes.push_back(schoolFormKey(entry));
  EXPECT_EQ(codes, keyList("G H V S R PS SK SR GE GM FW GY SG S SB BK WB"));
}

TEST(SchoolForms, KeyIsFirstTwoCharactersTrimmed) {
  EXPECT_EQ(schoolFormKey("GY=Gymnasium"), "GY");
  EXPECT_EQ(schoolFormKey("H =Hauptschule"), "H");
  EXPECT_EQ(schoolFormKey(" H=x"), "H");
  EXPECT_EQ(schoolFormKey(""), "");
}

TEST(CourseKinds, EntryCountPerSchoolForm) {
  const std::map<Text, std::size_t> expected = {
      {"FW", 2}, {"BK", 18}, {"GE", 35}, {"GY", 30}, {"H", 29}, {"R", 29}, {"SR", 29}, {"WB", 11},
      {"S", 24}, {"G", 2},   {"V", 2},   {"PS", 2},  {"GM", 2}, {"SK", 2}, {"SG", 2},  {"SB", 2}};
  for (const Text& entry : schoolForms())
    EXPECT_EQ(forForm(entry).AKURSARTEN.size(), expected.at(schoolFormKey(entry))) << entry;
  EXPECT_EQ(forForm("").AKURSARTEN.size(), 2u);
}

TEST(CourseKinds, WaldorfSchoolHasTwoEntriesWithoutEmptyOne) {
  EXPECT_EQ(forForm("FW=Freie Waldorfschule").AKURSARTEN,
            (Catalog{"00=Pflichtunterricht sowie Unterricht im Wahlpflichtbereich",
                     "59=Begegnung mit Sprachen in der Primarstufe"}));
}

TEST(CourseKinds, SrIsRealschuleAndOtherFormsGetDefault) {
  EXPECT_EQ(forForm(schoolForm("SR")).AKURSARTEN, forForm("R =Realschule").AKURSARTEN);
  const Catalog defaults{"", "00=Pflichtunterricht für Teile von Klassen"};
  for (const char* form : {"G", "V", "PS", "GM", "SK", "SG", "SB"})
    EXPECT_EQ(forForm(schoolForm(form)).AKURSARTEN, defaults) << form;
  EXPECT_EQ(forForm("XX=unknown").AKURSARTEN, defaults);
  EXPECT_EQ(forForm("").AKURSARTEN, defaults);
}

TEST(CourseKinds, SortedWithEmptyEntryFirst) {
  for (const Text& entry : schoolForms()) {
    const Catalog kinds = forForm(entry).AKURSARTEN;
    EXPECT_TRUE(std::is_sorted(kinds.begin(), kinds.end())) << entry;
    if (schoolFormKey(entry) != "FW") {
      EXPECT_EQ(kinds.front(), "") << entry;
    }
  }
  // The S list is written with 63 and 64 after 82; sorting puts them in key order.
  const Catalog s = forForm("S =Schule für Kranke").AKURSARTEN;
  EXPECT_EQ(s[13],
            "63=Wahlpflichtbereich: Naturwissenschaftl. - technisch (Nur Bildungsgang "
            "Realschule)");
}

TEST(CourseKinds, TextsAsShownIncludingSlips) {
  const Catalog ge = forForm("GE=Gesamtschule").AKURSARTEN;
  EXPECT_TRUE(contains(ge, "61=Wahlfplichtunterricht: 2. Fremdsprache (Bildungsgang Gymnasium)"));
  EXPECT_TRUE(contains(ge,
                       "94=>Unterr. im Rahmen der Initiative 'Kein Abschluss ohne Anschluss' "
                       "+ 'Schule trifft Arbeitswelt'"));
  EXPECT_TRUE(contains(ge, "33=Arbeitsstunde entsprechend § 9 Abs. 2, 3  SchulG"));
  EXPECT_TRUE(contains(forForm("S =Schule für Kranke").AKURSARTEN, "16=Erweierungskurs"));
  const Catalog gy = forForm("GY=Gymnasium").AKURSARTEN;
  EXPECT_TRUE(contains(gy, "99=Hausunterricht"));
  EXPECT_TRUE(contains(gy, "99=zusätzliche Unterrichtsveranstaltung (z.B. Schulchor)"));
  EXPECT_TRUE(contains(forForm("BK=Berufskolleg").AKURSARTEN,
                       "10=Erweiterungsunterricht Wahlbereich - fach- und abschlußbezogen"));
  EXPECT_TRUE(contains(forForm("H =Hauptschule").AKURSARTEN,
                       "61=Wahlpflichtbereich, Fremdsprachlich  (Nur Bildungsgang Realschule)"));
  EXPECT_TRUE(contains(forForm("R =Realschule").AKURSARTEN,
                       "67=Arbeitsgemeinschaften aufgrund der Regelung in 3 Abs. 6 APO-SI"));
  EXPECT_TRUE(
      contains(forForm("WB=Weiterbildungskolleg").AKURSARTEN, "79=fächerübergreifender Kurs"));
}

TEST(Specialisations, EntryCountPerSchoolForm) {
  const std::map<Text, std::size_t> expected = {{"FW", 16}, {"BK", 107}, {"GE", 16}, {"GY", 16},
                                                {"H", 16},  {"R", 16},   {"SR", 16}, {"WB", 16},
                                                {"S", 16},  {"G", 14},   {"V", 14},  {"PS", 14},
                                                {"GM", 14}, {"SK", 14},  {"SG", 14}, {"SB", 14}};
  for (const Text& entry : schoolForms()) {
    const Catalog richt = forForm(entry).AFACHRICHT;
    EXPECT_EQ(richt.size(), expected.at(schoolFormKey(entry))) << entry;
    EXPECT_TRUE(std::is_sorted(richt.begin(), richt.end())) << entry;
    EXPECT_EQ(richt.front(), "") << entry;
  }
}

TEST(Specialisations, ShortListLacksDeafAndMentallyDisabled) {
  const Catalog full = forForm("GY=Gymnasium").AFACHRICHT;
  const Catalog shortList = forForm("SK=Sekundarschule").AFACHRICHT;
  const Text gh = "GH=Fachrichtung für Sondererziehung und Rehabilitation der Gehörlosen";
  const Text gb = "GB=Fachrichtung für Sondererziehung und Rehabilitation der Geistigbehinderten";
  Catalog expected = full;
  std::erase(expected, gh);
  std::erase(expected, gb);
  EXPECT_EQ(full.size(), expected.size() + 2);
  EXPECT_EQ(shortList, expected);
  EXPECT_EQ(forForm("").AFACHRICHT, expected);
}

TEST(Specialisations, VocationalListHoldsItsKeysAndTheSpecialNeedsEntries) {
  const Catalog bk = forForm("BK=Berufskolleg").AFACHRICHT;
  std::vector<Text> expectedKeys = keyList(
      "02 03 04 05 06 08 07 09 11 12 13 21 22 23 24 25 31 32 35 36 41 42 51 55 57 58 59 60 65 "
      "66 67 68 70 71 80 81 86 91 92 FT 93 99 6A 6B 6C 6D 6E 6F 6G 6H 6I 6J 6K AS AU BB BK BL "
      "BS BW ES ET EZ FZ GA GB GG GH GL GZ HB HC HK HT IB IT KB KM KT LB LE LT NT NU OL PB PK PW "
      "SE SB SG SH SQ ST TB TH TI UR VB VE VL VR VT WG WI WL");
  std::sort(expectedKeys.begin(), expectedKeys.end());
  EXPECT_EQ(keysAfterEmpty(bk), expectedKeys);
  for (const Text& entry : forForm("GY=Gymnasium").AFACHRICHT)
    EXPECT_NE(std::find(bk.begin(), bk.end(), entry), bk.end()) << entry;
  for (const char* row :
       {"02=Maschinenbautechnik", "08=Bergtechnik, Bergbau", "07=Versorgungstechnik",
        "60=Wirtschaftswissenschaft in kaufmännischen Berufen",
        "FT=Fertigungstechnik (spez. Fachrichtung)", "99=Sonstige Fachrichtung",
        "6A=Sektorales Management mit dem Profil: Verwaltung und Rechtswesen",
        "6K=Finanz- und Rechnungswesen mit dem Profil: Steuern",
        "ES=Emotionale und soziale Entwicklung", "ET=Emotionale und soziale Entwicklung",
        "FZ=Fertigungstechnik (spez. Fachrichtung)",
        "OL=Organisation und Bürokommunikation / Datenverarb. / Organisationsl. / Betr.Informatik",
        "WL=Wirtschaftliche Warenlehre"})
    EXPECT_TRUE(contains(bk, row)) << row;
}

TEST(FileCatalogs, NonTeachingActivities) {
  const Catalog nicht = forForm("GY=Gymnasium").ANICHT;
  ASSERT_EQ(nicht.size(), 66u);
  EXPECT_EQ(nicht.front(), "");
  EXPECT_EQ(keysAfterEmpty(nicht),
            keyList("310 315 320 330 340 500 510 520 530 540 550 590 600 605 610 615 620 625 "
                    "630 635 640 645 650 655 665 720 725 730 735 740 745 750 765 766 770 771 "
                    "772 773 774 775 776 777 778 779 815 820 850 860 875 880 885 900 915 920 "
                    "930 935 936 945 950 955 960 965 970 975 985"));
  for (const char* row :
       {"310=Seiteneinsteiger/-in Entlastung für berufsbegleitende Ausb. für Unisabsolventen OBAS",
        "500=Wahrnehmung besonderer schulischer Aufgaben / Ausgleich besonderer unterr. "
        "Belastungen",
        "510=Schulleitungspauschale", "610=Personalratstätigkeit",
        "770=Individuelle Beratung der Schüler/innen im Rahmen des Schulversuchs Talentschule",
        "936=LOGINEO: Anrechnungsstunde zur Betreuung und Pflege",
        "945=Lehrerwochenstunden, die nicht verplant sind",
        "970=sonstige nichtunterrichtliche Tätigkeiten (Nur mit Genehmigung durch die "
        "Schulaufsicht.)",
        "985=Übergangsbegleitung im Rahmen des Langzeitpraktikums im Ausbildungskonsens KAoA"})
    EXPECT_TRUE(contains(nicht, row)) << row;
}

TEST(FileCatalogs, TeachingQualifications) {
  const Catalog lehramt = forForm("GY=Gymnasium").ALEHRAMT;
  ASSERT_EQ(lehramt.size(), 47u);
  EXPECT_EQ(lehramt.front(), "");
  EXPECT_EQ(keysAfterEmpty(lehramt),
            keyList("00 01 02 03 04 08 09 10 11 12 14 15 16 17 18 19 20 21 24 25 27 29 30 31 "
                    "32 35 40 49 50 51 52 53 54 55 56 57 58 59 60 61 62 70 96 97 98 99"));
  for (const char* row :
       {"00=für die Primarstufe", "25=am Gymnasium", "35=Berufskolleg", "53=Fachlehrer/-in",
        "70=Schulverwaltungsassistent/-in", "98=Lehramtsanwärter/-in / Studienreferendar/-in",
        "99=Sonstige (Gymnastik-, Werk-, Hauswirtschaftslehrer/-in, Übungsleiter/-in)"})
    EXPECT_TRUE(contains(lehramt, row)) << row;
}

TEST(FileCatalogs, SubjectsOfQualificationsPadOneLetterKeys) {
  const Catalog fach = forForm("GY=Gymnasium").AFACH;
  ASSERT_EQ(fach.size(), 103u);
  EXPECT_EQ(fach.front(), "");
  EXPECT_EQ(keysAfterEmpty(fach),
            keyList("A_ AH AL AM AR AT AW BE BI BM C_ CH CM D_ DS DZ E_ EK EL EM ER F_ FP G_ GE "
                    "GM GP GS GU H_ HA GW HR HW I_ IF IL IM IR K_ KG KR KS KU KW L_ LI LM LN M_ "
                    "MG MM MS MU N_ NM NW O_ OA OM OR PA PH PI PK PL PM PP PS QM R_ RM RW S_ SB "
                    "SE SI SF SM SN SO SP SR SU SW T_ TC TE TM TX UW VM W_ WP WT WW XM YR YM Z_ "
                    "ZB ZM"));
  for (const char* row : {"A =Arabisch", "BE=Betreuung", "BI=Biologie", "D =Deutsch", "E =Englisch",
                          "KG=Kunst/Gestalten", "MU=Musik", "PA=Pädagogik", "SP=Sport",
                          "TC=Technik", "XM=sonstige Herkunftssprache (Herkunftssprache)",
                          "ZM=Kurdische Sprachen (Herkunftssprache) (Sorani, Komanci, Zaza)"})
    EXPECT_TRUE(contains(fach, row)) << row;
}

TEST(FileCatalogs, NationalitiesWithGermanAsThreeBlanks) {
  const Catalog staat = forForm("GY=Gymnasium").ASTAAT;
  ASSERT_EQ(staat.size(), 208u);
  EXPECT_EQ(staat[0], "");
  EXPECT_EQ(staat[1], "   =deutsch");
  const std::vector<Text> keys = keysAfterEmpty(staat);
  EXPECT_EQ(keys.front(), "   ");
  EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end()));
  EXPECT_EQ(std::adjacent_find(keys.begin(), keys.end()), keys.end());
  for (const char* row :
       {"121=albanisch", "160=russisch", "163=türkisch", "199=sonst. europ.Staatsangeh.",
        "299=sonst.afrik.Staatsangeh.", "399=sonst. amerik. Staatsangeh.",
        "499=sonst,asiat. Staatsangeh.", "599=sonst.ozean. Staatsangeh.", "997=staatenlos",
        "998=ungeklärt", "999=ohneAngabe"})
    EXPECT_TRUE(contains(staat, row)) << row;
}

TEST(FileCatalogs, UmlautsAreWindows1252Bytes) {
  const Catalog lehramt = forForm("GY=Gymnasium").ALEHRAMT;
  EXPECT_EQ(lehramt[1], "00=f\xFCr die Primarstufe");
  EXPECT_EQ(*findByKey(forForm("GY=Gymnasium").AKURSARTEN, "33"),
            "33=Arbeitsstunde entsprechend \xA7 9 Abs. 2, 3  SchulG");
  EXPECT_EQ(forForm("GY=Gymnasium").AFREMDSP.back(), "T=T\xFCrkisch");
  EXPECT_EQ(schoolForms()[13], "S =Schule f\xFCr Kranke");
}

TEST(FixedCatalogs, ShortListsInTheirOrder) {
  const Catalogs c = forForm("GY=Gymnasium");
  EXPECT_EQ(c.AFREMDSP.size(), 10u);
  EXPECT_EQ(c.AFREMDSP[3], "F=Französich");
  EXPECT_EQ(c.ARECHTSVER.size(), 11u);
  EXPECT_EQ(c.ARECHTSVER[1], "A=Beamter auf Probe zur Anstellung");
  EXPECT_EQ(c.ARECHTSVER.back(), "X=Unentgeltlich Beschäftigte");
  ASSERT_EQ(c.AMEHR.size(), 6u);
  EXPECT_EQ(c.AMEHR[0],
            "100=Ansparphase, Phase mit erhöhter Arbeitszeit "
            "\"Teilzeitbeschäftigung im Blockmodell\"");
  EXPECT_EQ(c.AMINDER.size(), 18u);
  EXPECT_EQ(c.AMINDER[0], "");
  EXPECT_EQ(c.AMINDER.back(),
            "380=Fortbildung: Nachträglicher Erwerb des sonderpädagogischen Lehramtes");
}

TEST(FixedCatalogs, EmploymentKindsSortedKeepingBothNa) {
  const Catalog beschart = forForm("GY=Gymnasium").ABESCHART;
  ASSERT_EQ(beschart.size(), 17u);
  EXPECT_EQ(beschart.front(), "");
  EXPECT_TRUE(std::is_sorted(beschart.begin(), beschart.end()));
  const auto na = std::find(beschart.begin(), beschart.end(),
                            "NA=Beamter, nebenamtlich (nicht hauptamtlich im Schuldienst)");
  ASSERT_NE(na, beschart.end());
  EXPECT_EQ(*(na + 1), "NA=Nebenamtliche Beschäftigtigung");
  EXPECT_EQ(beschart[1], "AT=Altersteilzeit (Beschäftigungsphase)");
  EXPECT_EQ(beschart[2], "G =Gestellungsvertrag");
  EXPECT_EQ(beschart.back(), "X =Unentgeltlich Beschäftigte");
}

TEST(FixedCatalogs, ComboListsAndQualificationKindOfVocationalCollege) {
  const Catalogs gy = forForm("GY=Gymnasium");
  EXPECT_EQ(gy.sex, (Catalog{"M", "W", ""}));
  EXPECT_EQ(gy.einsatz, (Catalog{" =Stammschule, nur hier tätig", "A=Stammschule, nur teilweise",
                                 "B=nicht Stammschule"}));
  EXPECT_EQ(gy.qualart, (Catalog{"", "1=erworben durch LABG/OVP", "2=Unterrichtserlaubnis",
                                 "3=mehrj. Unterricht", "9=sonstige"}));
  EXPECT_EQ(forForm("BK=Berufskolleg").qualart,
            (Catalog{"", " =erworben durch LABG/OVP", "2=Unterrichtserlaubnis",
                     "3=mehrj. Unterricht", "9=sonstige"}));
}

TEST(Build, RunningTwiceGivesTheSameCatalogs) {
  const Catalogs first = forForm("BK=Berufskolleg");
  const Catalogs second = forForm("BK=Berufskolleg");
  EXPECT_EQ(first.AKURSARTEN, second.AKURSARTEN);
  EXPECT_EQ(first.AFAECHER, second.AFAECHER);
  EXPECT_EQ(first.AFACHRICHT, second.AFACHRICHT);
  EXPECT_EQ(first.ABESCHART, second.ABESCHART);
  EXPECT_EQ(first.ANICHT, second.ANICHT);
  EXPECT_EQ(first.ASTAAT, second.ASTAAT);
}

// Every catalog entry fits the table field that a page stores it into.
TEST(Build, EveryEntryFitsItsField) {
  struct Target {
    const char* table;
    const char* field;
    Catalog Catalogs::*catalog;
  };
  const Target targets[] = {
      {"UVD", "KURSART", &Catalogs::AKURSARTEN},    {"FACH", "KURSART", &Catalogs::AKURSARTEN},
      {"KLASSE", "KURSART", &Catalogs::AKURSARTEN}, {"FACH", "FACHNEU", &Catalogs::AFAECHER},
      {"UVD", "BILINGUAL", &Catalogs::AFREMDSP},    {"UVD", "FREMDE", &Catalogs::AFREMDSP},
      {"LEHRER", "STAATSANGE", &Catalogs::ASTAAT},  {"LEHRER", "RECHTSVER", &Catalogs::ARECHTSVER},
      {"LEHRER", "BESCHART", &Catalogs::ABESCHART}, {"LEHRER", "EINSATZ", &Catalogs::einsatz},
      {"LEHRER", "LEHRAMT", &Catalogs::ALEHRAMT},   {"LEHRER", "RICHTUNG", &Catalogs::AFACHRICHT},
      {"LEHRER", "QUALART1", &Catalogs::qualart},   {"LEHRER", "QUALART2", &Catalogs::qualart},
      {"LEHRER", "FACH", &Catalogs::AFACH},         {"LEHRER", "GESCHLECHT", &Catalogs::sex},
      {"MEHR_MINDER", "NICHT", &Catalogs::ANICHT},  {"MEHR_MINDER", "MEHR", &Catalogs::AMEHR},
      {"MEHR_MINDER", "MINDER", &Catalogs::AMINDER}};
  for (const Text& form : schoolForms()) {
    const Catalogs c = forForm(form);
    for (const Target& t : targets) {
      const store::Structure& fields = store::tableSpec(t.table).structure;
      const auto field = std::find_if(fields.begin(), fields.end(),
                                      [&](const store::Field& f) { return f.name == t.field; });
      ASSERT_NE(field, fields.end()) << t.table << "." << t.field;
      for (const Text& entry : c.*t.catalog)
        EXPECT_LE(entry.size(), static_cast<std::size_t>(field->length))
            << t.table << "." << t.field << ": " << entry;
    }
  }
}

TEST(FindByKey, FirstEntryWhoseKeyBeginsWithTheKey) {
  const Catalogs c = forForm("BK=Berufskolleg");
  ASSERT_NE(findByKey(c.AKURSARTEN, "71"), nullptr);
  EXPECT_EQ(*findByKey(c.AKURSARTEN, "71"), "71=Grundkurs");
  EXPECT_EQ(*findByKey(c.AMEHR, "110"), "110=Mehrarbeit (angeordnet und regelmäßig)");
  EXPECT_EQ(*findByKey(c.ABESCHART, "NA"),
            "NA=Beamter, nebenamtlich (nicht hauptamtlich im Schuldienst)");
  EXPECT_EQ(*findByKey(c.ABESCHART, "V "), "V =Vollzeit");
  EXPECT_EQ(*findByKey(c.ASTAAT, "   "), "   =deutsch");
  EXPECT_EQ(*findByKey(c.ANICHT, "31"),
            "310=Seiteneinsteiger/-in Entlastung für "
            "berufsbegleitende Ausb. für Unisabsolventen OBAS");
}

TEST(FindByKey, NothingForUnknownShortPaddedOrEmptyKey) {
  const Catalogs c = forForm("BK=Berufskolleg");
  EXPECT_EQ(findByKey(c.AKURSARTEN, "00"), nullptr);
  EXPECT_EQ(findByKey(c.ANICHT, "31 "), nullptr);
  EXPECT_EQ(findByKey(c.AMEHR, "105"), nullptr);
  EXPECT_EQ(findByKey(c.AMEHR, ""), nullptr);
  EXPECT_EQ(findByKey(Catalog{}, "71"), nullptr);
}

TEST(Subjects, MatchOnFirstTwoCharactersCaseInsensitively) {
  const std::vector<ZulfachRow> rows = {{"D ", "   Deutsch   ", "h "},
                                        {"E ", "Englisch", "GY"},
                                        {"M ", "Mathematik", "H"},
                                        {"PH", "Physik", "HS"},
                                        {"SP", " Sport", "H "}};
  EXPECT_EQ(subjectCatalog("H =Hauptschule", rows),
            (Catalog{"  ", "D =Deutsch", "M =Mathematik", "SP=Sport"}));
  EXPECT_EQ(subjectCatalog("gy=Gymnasium", rows), (Catalog{"  ", "E =Englisch"}));
  // The school-form entry is not trimmed: "H" alone is not the field value "H ".
  EXPECT_EQ(subjectCatalog("H", rows), (Catalog{"  "}));
  EXPECT_EQ(subjectCatalog("", rows), (Catalog{"  "}));
}

TEST(Subjects, EveryFormFindsItsSubjectsInTheShippedTable) {
  for (const Text& form : schoolForms()) {
    const Catalog faecher = forForm(form).AFAECHER;
    ASSERT_GT(faecher.size(), 1u) << form;
    EXPECT_EQ(faecher.front(), "  ");
    for (std::size_t i = 1; i < faecher.size(); ++i) EXPECT_EQ(faecher[i][2], '=') << faecher[i];
  }
  EXPECT_TRUE(contains(forForm("GY=Gymnasium").AFAECHER, "D =Deutsch"));
  EXPECT_EQ(forForm("XX=nothing").AFAECHER, (Catalog{"  "}));
}

TEST(Subjects, ShippedRowsAreWindows1252WithTwoCharacterKeys) {
  const std::vector<ZulfachRow>& rows = shippedZulfach();
  ASSERT_EQ(rows.size(), 2149u);
  EXPECT_TRUE(std::all_of(rows.begin(), rows.end(),
                          [](const ZulfachRow& r) { return r.fachkurz.size() == 2; }));
  EXPECT_TRUE(std::any_of(rows.begin(), rows.end(),
                          [](const ZulfachRow& r) { return r.fachkurz == "P\xD6"; }));
  EXPECT_TRUE(std::any_of(rows.begin(), rows.end(), [](const ZulfachRow& r) {
    return r.fachkurz == "D " && r.schulform == "H";
  }));
}

class ZulfachTable : public ::testing::Test {
protected:
  void SetUp() override {
    const auto file = dir / "zulfach.dbf";
    ASSERT_TRUE(store::Table::create(file, store::tableSpec("ZULFACH").structure).ok());
    auto opened = store::Table::open(file, store::OpenMode::Exclusive);
    ASSERT_TRUE(opened.ok());
    table = std::move(opened.value());
  }
  void add(std::string_view kurz, std::string_view lang, std::string_view form) {
    table->append();
    table->put("FACHKURZ", kurz);
    table->put("FACHLANG", lang);
    table->put("SCHULFORM", form);
  }
  test::TempDir dir;
  std::unique_ptr<store::Table> table;
};

TEST_F(ZulfachTable, FieldsKeepTheirWidthAndCursorEndsOnFirstRecord) {
  add("M", "Mathematik", "H");
  add("D ", "  Deutsch  ", "h ");
  add("E", "Englisch f\xFCr alle", "GY");
  table->goTo(3);
  const Catalogs c = fillZulFaecher("H =Hauptschule", *table);
  EXPECT_EQ(c.AFAECHER, (Catalog{"  ", "M =Mathematik", "D =Deutsch"}));
  EXPECT_EQ(table->recno(), 1u);
  EXPECT_EQ(fillZulFaecher("GY=Gymnasium", *table).AFAECHER,
            (Catalog{"  ", "E =Englisch f\xFCr alle"}));
  EXPECT_EQ(fillZulFaecher("H =Hauptschule", *table).AFAECHER, c.AFAECHER);
}

TEST_F(ZulfachTable, RecordsComeInTheCurrentOrder) {
  add("M ", "Mathematik", "H ");
  add("D ", "Deutsch", "H ");
  ASSERT_TRUE(table->createOrder(dir / "ZULFACH.NTX", "UPPER(FACHKURZ)").ok());
  table->setOrder(1);
  EXPECT_EQ(fillZulFaecher("H =Hauptschule", *table).AFAECHER,
            (Catalog{"  ", "D =Deutsch", "M =Mathematik"}));
  EXPECT_EQ(table->recno(), 2u);
}

TEST_F(ZulfachTable, EmptyTableGivesOnlyTheBlankEntry) {
  EXPECT_EQ(fillZulFaecher("H =Hauptschule", *table).AFAECHER, (Catalog{"  "}));
}

// The shipped zulfach.dbf (made from the same rows) gives every school form the same subjects,
// umlauts and padded keys included.
TEST(ShippedTable, GivesTheSubjectsOfTheShippedRows) {
  test::TempDir dir;
  std::filesystem::copy_file(test::programDir() / "zulfach.dbf", dir / "zulfach.dbf");
  auto opened = store::Table::open(dir / "zulfach.dbf", store::OpenMode::Exclusive);
  ASSERT_TRUE(opened.ok()) << opened.reason();
  for (const Text& form : schoolForms())
    EXPECT_EQ(fillZulFaecher(form, **opened).AFAECHER, forForm(form).AFAECHER) << form;
}

}  // namespace
}  // namespace velmoran::catalog
