#include "catalog/catalog_texts.h"

namespace velmoran::catalog::texts {

namespace {

// Course kinds of teaching records, one list per group of school forms. The texts are ASDPC's,
// spelling slips included, because they are stored in the tables and compared there.
constexpr const char* fwKinds[] = {
    "00=Pflichtunterricht sowie Unterricht im Wahlpflichtbereich",
    "59=Begegnung mit Sprachen in der Primarstufe",
};

constexpr const char* bkKinds[] = {
    "",
    "01=Stützunterricht Wahlbereich - fachbezogen",
    "02=Stützunterricht Wahlbereich - fachübergreifend",
    "03=Stützunterricht Wahlbereich - Förderunterricht für ausländische u. ausgesiedelte Schüler",
    "10=Erweiterungsunterricht Wahlbereich - fach- und abschlußbezogen",
    "11=Erweiterungsunterricht Wahlbereich - fach-, jedoch nicht abschlußbezogen",
    "12=Erweiterungsunterricht Wahlbereich - berufsbezogen, fachübergreifend",
    "21=Vertiefungsunterricht Wahlbereich - berufsfeld- / berufsbezogener fachpraxisorientierter "
    "Kurs",
    "31=Neigungs- und Projektgruppe",
    "41=Ergänzungs- oder Vertiefungskurs",
    "42=Stütz- oder Förderkurs",
    "44=Selbstlernphase",
    "71=Grundkurs",
    "72=Leistungskurs",
    "73=Angleichungskurs",
    "76=Zusatzkurs",
    "77=Vertiefungskurs",
    "78=Projektkurs",
};

constexpr const char* geKinds[] = {
    "",
    "00=Bildung kleiner Gruppen / sonstige Gruppierungen",
    "01=Sek I Fachleistungskurse: Grundkurs",
    "02=Sek I Fachleistungskurse: Erweiterungskurs",
    "04=Fachbezogener Förderunterricht",
    "05=Fachunabhängiger Förderunterricht",
    "10=Wahlpflichtunterricht",
    "33=Arbeitsstunde entsprechend § 9 Abs. 2, 3  SchulG",
    "36=Arbeitsgemeinschaft entsprechend § 9 Abs. 2, 3  SchulG",
    "37=Förderangebot entsprechend § 9 Abs. 2, 3  SchulG",
    "55=Profilklasse gem. § 21 Abs. 3 APO-SI",
    "56=Unterricht in der Herkunftsspr. anstelle einer Pflichtfremdspr. oder eines "
    "Wahlpflichtfaches",
    "61=Wahlfplichtunterricht: 2. Fremdsprache (Bildungsgang Gymnasium)",
    "62=Wahlpflichtunterricht: Fächerkombination im math.-nat. gesellschaftsw. oder künstl. "
    "Schwerpunkt",
    "63=Wahlpflichtunterricht: Schwerpunktübergreifende Angebote (GY)",
    "64=Nur Bildungsgang Gymnasium: Einzelf. im math.-naturw., techn., gesellschaftsw.,künstl. "
    "Schwerp.",
    "65=Wahlpflichtunterricht der Klassen 09 und 10 (08 bis 09 bei G8): 3. Fremdspr. (Bildungsgang "
    "GY)",
    "67=Nur Bildungsgang Gymnasium: Arbeitsgemeinschaften aufgrund der Regelung IN § 3 Abs. 6 "
    "APO-SI",
    "71=Grundkurs",
    "72=Leistungskurs (1. oder 2. Abiturfach)",
    "76=Zusatzkurs gem. § 12 APO-GOSt",
    "77=Vertiefungsfach",
    "78=Projektkurs",
    "81=Sportförderunterricht",
    "82=Schüler*innen mit besonderen Schwierigkeiten im Erlernen des Lesens und Rechtschreibens "
    "(LRS)",
    "84=Unterricht in der Herkunftssprache (Muttersprachlicher Unterricht)",
    "85=Förderung in der deutschen Sprache außerhalb von Sprachfördermaßnahmen gemäß Erlass 13-63 "
    "Nr. 3",
    "89=Förderung neu zugewanderter Schüler in Deutschfördergr. (teilw. äußere + innere "
    "Differenzierung)",
    "90=Förderung neu zugewanderter Schüler in Deutschförderkl. (vollständige äußere "
    "Differenzierung)",
    "91=Unterricht im Rahmen des Schulversuchs Talentschule",
    "94=>Unterr. im Rahmen der Initiative 'Kein Abschluss ohne Anschluss' + 'Schule trifft "
    "Arbeitswelt'",
    "95=Zusätzlicher Förderunterricht im Rahmen der Initiative 'Komm mit'",
    "96=Ergänzungsstunden ohne Benotung",
    "97=Ergänzungsstunden mit Benotung",
    "99=Hausunterricht",
};

constexpr const char* gyKinds[] = {
    "",
    "00=Pflichtunterricht für Teile von Klassen",
    "33=Arbeitsstunde entsprechend § 9 Abs. 2, 3  SchulG",
    "36=Arbeitsgemeinschaft entsprechend § 9 Abs. 2, 3  SchulG",
    "37=Förderangebot entsprechend § 9 Abs. 2, 3  SchulG",
    "55=Profilklasse gem. § 21 Abs. 3 APO-SI",
    "56=Unterricht in der Herkunftsspr. anstelle einer Pflichtfremdspr. oder eines Wahlpflichtf.",
    "61=Wahlpflichtunterricht: 2. Fremdsprache",
    "62=Wahlpflichtunterricht: Fächerkombination im math.-nat. gesellschaftsw. oder künstl. "
    "Schwerpunkt",
    "63=Wahlpflichtunterricht: Schwerpunktübergreifende Angebote",
    "64=Wahlplflichtunterricht: Einzelf. im math.-nat., techn., gesellschaftsw., künstl. "
    "Schwerpunkt",
    "65=3. Fremdsprache (vierstündig)",
    "67=Arbeitsgemeinschaften aufgrund der Regelung in § 3 Abs. 6 APO-SI",
    "71=Grundkurs",
    "72=Leistungskurs",
    "76=Zusatzkurs gem. § 11 Abs. 3 APO-GOSt",
    "77=Vertiefungsfach  § 8, 11  APO - GOSt",
    "78=Projektkurs § 11 Abs. 8  APO - GOSt",
    "81=Sportförderunterricht",
    "82=Schüler/-innen mit besonderen Schwierigkeiten im Erlernen des Lesens und Rechtschreibens "
    "(LRS)",
    "84=Unterricht in der Herkunftssprache (Muttersprachlicher Unterricht)",
    "85=Förderung in der deutschen Sprache außerhalb von Sprachfördermaßnahmen gemäß Erlass 13-63 "
    "Nr. 3",
    "89=Förderung neu zugewanderter Schüler in Deutschfördergr. (teilw. äußere + innere "
    "Differenzierung)",
    "90=Förderung neu zugewanderter Schüler in Deutschförderklassen",
    "91=Unterricht im Rahmen des Schulversuchs Talentschule",
    "94=Initiative Kein Abschluss ohne Anschluss",
    "95=Zusätzlicher Förderunterricht im Rahmen der Initiative 'Komm mit'",
    "96=Ergänzungsstunden",
    "99=zusätzliche Unterrichtsveranstaltung (z.B. Schulchor)",
    "99=Hausunterricht",
};

constexpr const char* hKinds[] = {
    "",
    "00=Pflichtunterricht für Teile von Klassen",
    "13=Grundkurs",
    "16=Erweiterungskurs",
    "17=Förderunterricht",
    "26=Wahlpflichtunterricht",
    "29=Wahlpflichtfach",
    "33=Arbeits- bzw. Übungsstunde entsprechend § 9 Abs. 2, 3  SchulG",
    "36=Arbeitsgemeinschaft entsprechend § 9 Abs. 2, 3  SchulG",
    "37=Förderangebot entsprechend § 9 Abs. 2, 3  SchulG",
    "56=Unterricht in der Herkunftsspr. anstelle einer PflichtFS oder eines Wahlpflichtf. (BG "
    "Realschule)",
    "61=Wahlpflichtbereich, Fremdsprachlich  (Nur Bildungsgang Realschule)",
    "62=Wahlpflichtbereich: Sozialwissenschaftlich (Nur Bildungsgang Realschule)",
    "63=Wahlpflichtbereich: Naturwissenschaftlich - technisch (Nur Bildungsgang Realschule)",
    "64=Wahlpflichtbereich: Musisch-künstlerisch (Nur Bildungsgang Realschule)",
    "67=Arbeitsgemeinschaften aufgrund der Regelung in § 3 Abs. 6 APO-SI",
    "68=Wahlpflichtbereich: Wirtschaftlich (Nur Bildungsgang Realschule)",
    "81=Sportförderunterricht",
    "82=Schüler/-innen mit besonderen Schwierigkeiten im Erlernen des Lesens und Rechtschreibens "
    "(LRS)",
    "84=Unterricht in der Herkunftssprache (Muttersprachlicher Unterricht)",
    "85=Förderung in der deutschen Sprache außerhalb von Sprachfördermaßnahmen gemäß Erlass 13-63 "
    "Nr. 3",
    "88=Erweitertes Bildungsangebot",
    "89=Förderung neu zugewanderter Schüler in Deutschfördergr. (teilw. äußere + innere "
    "Differenzierung)",
    "90=Förderung neu zugewanderter Schüler in Deutschförderkl. (vollständige äußere "
    "Differenzierung)",
    "91=Unterricht im Rahmen des Schulversuchs Talentschule",
    "94=Unterr. im Rahmen der Initiative 'Kein Abschluss ohne Anschluss' + 'Schule trifft "
    "Arbeitswelt'",
    "95=Zusätzlicher Förderunterricht im Rahmen der Initiative 'Komm mit'",
    "96=Ergänzungsstunden gem. § 3 Abs. 1, 3 und § 19 Abs. 3 APO-SI",
    "99=zusätzliche Unterrichtsveranstaltung (z.B. Schulchor)",
};

constexpr const char* rKinds[] = {
    "",
    "00=Pflichtunterricht für Teile von Klassen/Wahlpfl.-bereich in Fächern der Lernb. zur "
    "Dopplungsverm.",
    "13=Grundkurs (nur Bildungsgang Hauptschule)",
    "16=Erweiterungskurs (nur Bildungsgang Hauptschule)",
    "17=Förderunterricht (nur Bildungsgang Hauptschule)",
    "26=Wahlpflichtunterricht (nur Bildungsgang Hauptschule)",
    "29=Wahlpflichtfach  (nur Bildungsgang Hauptschule)",
    "33=Arbeits- bzw. Übungsstunde entsprechend § 9 Abs. 2, 3  SchulG",
    "36=Arbeitsgemeinschaft entsprechend § 9 Abs. 2, 3  SchulG",
    "37=Förderangebot entsprechend § 9 Abs. 2, 3  SchulG",
    "56=Unterricht in der Muttersprache anstelle einer Pflichtfremdspr. oder eines "
    "Wahlpflichtfaches",
    "61=Wahlpflichtbereich: Fremdsprachlich",
    "62=Wahlpflichtbereich: Sozialwissenschaftlich",
    "63=Wahlpflichtbereich: Naturwissenschaftlich - technisch",
    "64=Wahlpflichtbereich: Musisch-künstlerisch",
    "67=Arbeitsgemeinschaften aufgrund der Regelung in 3 Abs. 6 APO-SI",
    "68=Wahlpflichtbereich: Wirtschaftlich",
    "81=Sportförderunterricht",
    "82=Schüler*innen mit besonderen Schwierigkeiten im Erlernen des Lesens und Rechtschreibens "
    "(LRS)",
    "84=Unterricht in der Herkunftssprache (Muttersprachlicher Unterricht)",
    "85=Förderung IN der deutschen Sprache außerhalb von Sprachfördermaßnahmen gemäß Erlass 13-63 "
    "Nr. 3",
    "88=Erweitertes Bildungsangebot (nur Bildungsgang Hauptschule)",
    "89=Förderung neu zugewanderter Schüler in Deutschf. (teilw. äußere + innere Differenzierung)",
    "90=Förderung neu zugewanderter Schüler in Deutschförderkl. (vollst. äußere Differenzierung)",
    "91=Unterricht im Rahmen des Schulversuchs Talentschule",
    "94=Unterricht der Initiative 'Kein Abschluss ohne Anschluss' einschl. 'Schule trifft "
    "Arbeitswelt'",
    "95=Zusätzlicher Förderunterricht im Rahmen der Initiative 'Komm mit'",
    "96=Ergänzungsstunden gem. § 3 Abs. 1, 3 und § 15 Abs. 3 APO-SI",
    "99=zusätzliche Unterrichtsveranstaltung (z.B. Schulchor)",
};

constexpr const char* wbKinds[] = {
    "",
    "00=Pflichtunterricht",
    "27=Wahlpflichtbereich",
    "28=Stütz- und Angleichungskurs / Förderunterricht",
    "57=Einführung in die 2. Fremdsprache oder Ersatzfach",
    "58=freiwillige Arbeitsgemeinschaft",
    "71=Grundkurs",
    "72=Leistungskurs",
    "77=Vertiefungsfach",
    "78=Projektkurs",
    "79=fächerübergreifender Kurs",
};

constexpr const char* sKinds[] = {
    "",
    "00=Pflichtunterricht für Teile von Klassen",
    "01=Förderunterricht",
    "13=Grundkurs",
    "16=Erweierungskurs",
    "26=Wahlpflichtunterricht",
    "29=Wahlpflichtunterricht",
    "33=Arbeitsstunde entsprechend § 9 Abs. 2, 3  SchulG",
    "36=Arbeitsgemeinschaft entsprechend § 9 Abs. 2, 3  SchulG",
    "37=Förderangebot entsprechend § 9 Abs. 2, 3  SchulG",
    "56=Unterricht in der Herkunftsspr. anstelle einer Pflichtfspr. oder eines Wahlpflichtfaches",
    "61=Wahlpflichtbereich, Fremdsprachlich (Nur Bildungsgang Realschule)",
    "62=Wahlpflichtbereich: Sozialwissenschaftlich (Nur Bildungsgang Realschule)",
    "68=Wahlpflichtbereich: Wirtschaftlich (Nur Bildungsgang Realschule)",
    "81=Sportförderunterricht",
    "82=Schüler*innen mit besonderen Schwierigkeiten im Erlernen des LRS",
    "63=Wahlpflichtbereich: Naturwissenschaftl. - technisch (Nur Bildungsgang Realschule)",
    "64=Wahlpflichtbereich: Musisch-künstlerisch (Nur Bildungsgang Realschule)",
    "84=Unterricht in der Herkunftssprache (Muttersprachlicher Unterricht)",
    "85=Förderung in der deutschen Spr. außerhalb von Sprachfördermaßnahmen gemäß Erlass 13-63 Nr. "
    "3",
    "89=Förderung neu zugewanderter Schüler in Deutschfördergruppen",
    "90=Förderung neu zugewanderter Schüler in Deutschförderklassen",
    "94=Unterricht im Rahmen der Initiative 'Kein Abschluss ohne Anschluss'",
    "99=zusätzliche Unterrichtsveranstaltung (z.B. Schulchor)",
};

constexpr const char* defaultKinds[] = {
    "",
    "00=Pflichtunterricht für Teile von Klassen",
};

// The special-needs specialisations (Fachrichtungen of the special schools).
constexpr const char* specialNeeds[] = {
    "",
    "BL=Fachrichtung für Sondererziehung und Rehabilitation der Blinden",
    "EZ=Fachrichtung für Sondererziehung und Rehabilitation der Erziehungsschwierigen",
    "GH=Fachrichtung für Sondererziehung und Rehabilitation der Gehörlosen",
    "GB=Fachrichtung für Sondererziehung und Rehabilitation der Geistigbehinderten",
    "KB=Fachrichtung für Sondererziehung und Rehabilitation der Körperbehinderten",
    "LB=Fachrichtung für Sondererziehung und Rehabilitation der Lernbehinderten",
    "SG=Fachrichtung für Sondererziehung und Rehabilitation der Schwerhörigen",
    "SH=Fachrichtung für Sondererziehung und Rehabilitation der Sehbehinderten",
    "SB=Fachrichtung für Sondererziehung und Rehabilitation der Sprachbehinderten",
    "LE=Lernen",
    "ES=Emotionale und soziale Entwicklung",
    "GG=Geistige Entwicklung",
    "HK=Hören und Kommunikation",
    "KM=Körperliche und motorische Entwicklung",
    "SE=Sehen",
};

// The short catalogs of the teacher and UVD pages, in the order they are shown.
constexpr const char* foreignLanguages[] = {
    "",
    "C=Chinesisch",
    "E=Englisch",
    "F=Französich",
    "I=Italienisch",
    "J=Japanisch",
    "N=Niederländisch",
    "R=Russisch",
    "S=Spanisch",
    "T=Türkisch",
};

constexpr const char* legalRelationships[] = {
    "",
    "A=Beamter auf Probe zur Anstellung",
    "B=Angestellte, befristet (TVL-Vertrag)",
    "J=Angestellte, nicht TVL-Vertrag",
    "L=Beamter auf Lebenszeit",
    "N=Beamte nebenamtlich",
    "P=Beamter auf Probe",
    "S=Gestellungsvertrag",
    "U=Angestellte, unbefristet (TVL-Vertrag)",
    "W=Beamte auf Widerruf (Lehramtsanwärter)",
    "X=Unentgeltlich Beschäftigte",
};

constexpr const char* employmentKinds[] = {
    "",
    "V =Vollzeit",
    "T =Teilzeit",
    "AT=Altersteilzeit (Beschäftigungsphase)",
    "VA=Altersteilzeit, vorm. vollzeitbeschäftigt (Verzichtsphase Altersermäßigung)",
    "TS=Teilzeitbeschäftigung im Blockmodell (§ 65 LBG)",
    "NA=Nebenamtliche Beschäftigtigung",
    "SB=Nebenberufliche Beschäftigtigung",
    "GB=Geringfügige Beschäftigtigung",
    "ST=Studierende",
    "NA=Beamter, nebenamtlich (nicht hauptamtlich im Schuldienst)",
    "G =Gestellungsvertrag",
    "S =Beamter auf Widerruf (LAA)",
    "X =Unentgeltlich Beschäftigte",
    "TA=Altersteilzeit, vorm. teilzeitbeschäftigt (Verzichtsphase Altersermäßigung)",
    "WT=Beamte auf Widerruf (LAA) in Teilzeit",
    "WV=Beamte auf Widerruf (LAA) in Vollzeit",
};

// Hour reasons of LEHRER.TXT: extra work (no empty entry) and reduced work.
constexpr const char* extraWork[] = {
    "100=Ansparphase, Phase mit erhöhter Arbeitszeit \"Teilzeitbeschäftigung im Blockmodell\"",
    "110=Mehrarbeit (angeordnet und regelmäßig)",
    "150=Aufrundung der Pflichtstundenzahl aufgrund von § 2 Abs. 1 AVO-RL",
    "160=Überschreitung der Pflichtstundenzahl aus organisatorischen Gründen",
    "165=Überschreitung der Pflichtstundenzahl wegen COVID-19",
    "170=Überschreitung der Pflichtstundenzahl wegen Pflichstunden-Bandbreite",
};

constexpr const char* reducedWork[] = {
    "",
    "200=Pflichtstundenermäßigung aus Altersgründen",
    "210=Pflichtstundenermäßigung wegen Schwerbehinderung (Regelanrechnung)",
    "220=Pflichtstundenermäßigung wegen Schwerbehinderung (Erhöhung auf Antrag)",
    "230=Beurlaubung (auch Elternzeit), Rückkehr im Laufe des Schuljahres",
    "240=Langfristige Erkrankung",
    "250=Abwesend wegen Beschäftigungsverbot gem. § 6 Abs. 1 MuSchG",
    "255=Abwesend wegen Teilbeschäftigungsverbot gem. § 3 MuSchG",
    "260=Wiedereingliederungsmaßnahme",
    "270=Rückgabe vorgeleisteter Stunden wegen Nichtinanspruchnahme von Altersteilzeit",
    "275=Rückgabe der Vorgriffsstunden",
    "290=Ermäßigungs-/Freistellungsphase - Teilzeitbeschäftigung im Blockmodell",
    "300=Sonstige Ermäßigungen aus besonderen persönlichen Gründen",
    "350=Abrundung der Pflichtstundenzahl aufgrund von § 2 Abs. 1 AVO-RL",
    "360=Unterschreitung der Pflichtstundenzahl aus organisatorischen Gründen",
    "365=Unterschreitung der Pflichtstundenzahl wegen COVID-19",
    "370=Unterschreitung der Pflichtstundenzahl wegen Pflichstunden-Bandbreite",
    "380=Fortbildung: Nachträglicher Erwerb des sonderpädagogischen Lehramtes",
};

// Combo lists without a catalog of their own. The qualification kind of a vocational college
// has a blank key where the other school forms have "1".
constexpr const char* sexList[] = {
    "M",
    "W",
    "",
};

constexpr const char* einsatzList[] = {
    " =Stammschule, nur hier tätig",
    "A=Stammschule, nur teilweise",
    "B=nicht Stammschule",
};

constexpr const char* qualartBk[] = {
    "", " =erworben durch LABG/OVP", "2=Unterrichtserlaubnis", "3=mehrj. Unterricht", "9=sonstige",
};

constexpr const char* qualartOther[] = {
    "", "1=erworben durch LABG/OVP", "2=Unterrichtserlaubnis", "3=mehrj. Unterricht", "9=sonstige",
};

// The school forms of the info dialog; "S " appears twice (special school and hospital school).
constexpr const char* schoolFormList[] = {
    "G =Grundschule",
    "H =Hauptschule",
    "V =nicht umorganisierte Volksschule",
    "S =Förderschule im Bereich G/H",
    "R =Realschule",
    "PS=Schulversuch PRIMUS",
    "SK=Sekundarschule",
    "SR=Förderschule im Bereich Realschule",
    "GE=Gesamtschule",
    "GM=Gemeinschaftsschule",
    "FW=Freie Waldorfschule",
    "GY=Gymnasium",
    "SG=Förderschule im Bereich Gymnasium",
    "S =Schule für Kranke",
    "SB=Förderschule im Bereich Berufskolleg",
    "BK=Berufskolleg",
    "WB=Weiterbildungskolleg",
};
constexpr FixedTexts fixed{fwKinds,         bkKinds,      geKinds,          gyKinds,
                           hKinds,          rKinds,       wbKinds,          sKinds,
                           defaultKinds,    specialNeeds, foreignLanguages, legalRelationships,
                           employmentKinds, extraWork,    reducedWork,      sexList,
                           einsatzList,     qualartBk,    qualartOther,     schoolFormList};

}  // namespace

const FixedTexts& fixedTexts() { return fixed; }

}  // namespace velmoran::catalog::texts
