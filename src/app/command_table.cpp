#include "app/command_table.h"

namespace velmoran::app {

const std::vector<MenuSpec>& menus() {
  static const std::vector<MenuSpec> list = {
      {"&Datei", ""},
      {"&Bearbeiten ", ""},
      {"Über&nahme und Konvertierung", ""},
      {"Untisdaten", "Bearbeitung der Untisdaten"},
      {"&Datensicherung", "Daten sichern und zurückholen"},
      {"&Hilfe", ""},
  };
  return list;
}

const std::vector<CommandSpec>& commandSpecs() {
  static const std::vector<CommandSpec> list = {
      {"GetFromUntis", "&Datei", "Unterrichtsverteilung aus &Untis einlesen (GPU002.TXT)", "F3",
       "F3", "Liest die Unterrichtsverteilung aus Untis ein (GPU002.TXT)"},
      {"GetFromUVD", "&Datei", "E&xportierte UVD.TXT einlesen ", "F4", "F4",
       "Liest eine ausgelagerte UVD.TXT ein"},
      {"WriteUVD", "&Datei", "UVD.TXT &schreiben ", "F5", "F5", "Schreibt die UVD.TXT"},
      {"ReadGPU004Txt", "&Datei", "Lehrerdaten aus &Untis einlesen (GPU004.TXT)", "F6", "F6",
       "GPU004.TXT einlesen", true},
      {"ReadLehrerTxt", "&Datei",
       "&Liest die Mehr- und Minderarbeitsdaten aus Untis ein (LEHRER.TXT)", "F7", "F7",
       "Liest die Mehr- und Minderarbeitsleistungen aus Untis ein (LEHRER.TXT)"},
      {"WriteLehrerASD", "&Datei", "Lehrer_ASD.txt schreiben für ASDPC32", "Strg+F7", "Ctrl+F7",
       "Lehrer_ASD.TXT schreiben"},
      {"EndWindow", "&Datei", "&Ende", "ALT+F4", "Alt+F4", "Beendet Velmoran", true},
      {"AppendKartei", "&Bearbeiten ", "&Neuer Datensatz", "F8", "F8",
       "Fügt einen neuen Datensatz ein"},
      {"DeleteKartei", "&Bearbeiten ", "&Löscht diesen Datensatz", "F9", "F9",
       "Löscht diesen Datensatz"},
      {"DeleteTable", "&Bearbeiten ", "&Löscht alle Datensätze in dieser Tabelle", "Strg+F9",
       "Ctrl+F9", "Löscht alle Datensätze dieser Tabelle"},
      {"SeekTab", "&Bearbeiten ", "&Sucht einen Datensatz", "STRG+S", "Ctrl+S",
       "Sucht in einer Tabellenspalte"},
      {"GoTopKartei", "&Bearbeiten ", "Erster Daten&satz ", "POS1", "Home", "Geht zum 1. Datensatz",
       true},
      {"SkipPreviousKartei", "&Bearbeiten ", "&Vorheriger Datensatz", "", "",
       "Geht zum vorherigen Datensatz"},
      {"SkipNextKartei", "&Bearbeiten ", "&Nächster", "", "", "Geht zum nächsten Datensatz"},
      {"GoBottomKartei", "&Bearbeiten ", "&Letzten Datensatz", "ENDE", "End",
       "Geht zum letzten Datensatz"},
      {"ViewKartei", "&Bearbeiten ", "&Daten&blattansicht", "F2", "F2",
       "Zeigt den Datensatz in einer Karteiansicht", true},
      {"ViewTabelle", "&Bearbeiten ", "&Tabellenansicht", "UMSCHALT+F2", "Shift+F2",
       "Zeigt den Datensatz in einer Tabellenansicht"},
      {"UntisUVD", "Über&nahme und Konvertierung",
       "Daten aus Unterrichtsverteilung &nach UVD-Tabelle &übernehmen", "UMSCHALT+F3", "Shift+F3",
       "Übernimmt die Daten der Unterrichtsverteilung in die UVD-Tabelle"},
      {"KonvertClasses", "Über&nahme und Konvertierung", "&Klassendaten konvertieren",
       "UMSCHALT+F4", "Shift+F4", "Konvertiert die Daten der UVD-Tabelle aus der Klassentabelle"},
      {"KonvertItems", "Über&nahme und Konvertierung", "F&ächerdaten konvertieren", "UMSCHALT+F5",
       "Shift+F5", "Konvertiert die Daten der UVD-Tabelle aus der Fächertabelle"},
      {"CheckData", "Über&nahme und Konvertierung", "&Plausibilität prüfen", "", "",
       "Prüft die Daten für UVD.TXT und LEHRER_ASD.TXT"},
      {"StartUntis", "", "Untisdaten", "", "", "Bearbeitung der Untisdaten"},
      {"SaveData", "&Datensicherung", "Daten sichern", "UMSCHALT+F7", "Shift+F7",
       "Die Velmoran - Daten werden gesichert"},
      {"RestoreData", "&Datensicherung", "Datensicherung einlesen", "UMSCHALT+F8", "Shift+F8",
       "Die Velmoran - Daten werden eingelesen"},
      {"StartHelpAbout", "&Hilfe", "&Info", "F1", "F1", "Informationen über Velmoran"},
      {"ShowKurz", "&Hilfe", "&Kurzbedienungsanleitung", "UMSCHALT+F1", "Shift+F1",
       "Kurzbedienungsanleitung"},
  };
  return list;
}

const std::vector<ToolSpec>& toolSpecs() {
  static const std::vector<ToolSpec> list = {
      {1, "GPU002.TXT", "Liest die Unterrichtsverteilung aus Untis ein (GPU002.TXT)",
       "GetFromUntis"},
      {1, "UVD.TXT", "Liest eine ausgelagerte UVD.TXT ein", "GetFromUVD"},
      {1, "Sichern", "Schreibt die UVD.TXT", "WriteUVD"},
      {2, "GPU004.TXT", "Liest die Lehrerdaten aus Untis ein (GPU004.TXT)", "ReadGPU004Txt"},
      {2, "LEHRER.TXT", "Liest die Mehr- und Minderarbeitsleistungen aus Untis ein (LEHRER.TXT)",
       "ReadLehrerTxt"},
      {2, "LEHRER_ASD.TXT", "Schreibt die Lehrer_ASD.TXT für ASCP32", "WriteLehrerASD"},
      {3, "Neu", "Fügt einen neuen Datensatz ein", "AppendKartei"},
      {3, "Löschen Datensatz", "Löscht diesen Datensatz", "DeleteKartei"},
      {3, "Löschen Tabelle", "Löscht alle Datensätze dieser Tabelle", "DeleteTable"},
      {3, "Suchen", "Sucht in einer Tabellenspalte", "SeekTab"},
      {4, "Anfang", "Geht zum 1. Datensatz", "GoTopKartei"},
      {4, "Voriger", "Geht zum vorherigen Datensatz", "SkipPreviousKartei"},
      {4, "Nächster", "Geht zum nächsten Datensatz", "SkipNextKartei"},
      {4, "Ende", "Geht zum letzten Datensatz", "GoBottomKartei"},
      {5, "Kartei", "Zeigt den Datensatz in einer Karteiansicht", "ViewKartei"},
      {5, "Tabelle", "Zeigt den Datensatz in einer Tabellenansicht", "ViewTabelle"},
      {6, "->UVD", "Übernimmt die Daten der Unterrichtsverteilung in die UVD-Tabelle", "UntisUVD"},
      {6, "<-Klassen", "Konvertiert die Daten der UVD-Tabelle aus der Klassentabelle",
       "KonvertClasses"},
      {6, "<-Fächern", "Konvertiert die Daten der UVD-Tabelle aus der Fächertabelle",
       "KonvertItems"},
      {6, "Prüfen", "Prüft die Daten für UVD.TXT und LEHRER_ASD.TXT", "CheckData"},
      {7, "Untis", "Bearbeitung der Untisdaten", "StartUntis"},
      {8, "", "Velmoran - Daten sichern", "SaveData"},
      {8, "", "Velmoran - Daten einlesen", "RestoreData"},
      {9, "Hilfe", "Hilfe zu Velmoran", "StartHelpAbout"},
      {9, "Anleitung", "Kurzbedienungsanleitung", "ShowKurz"},
  };
  return list;
}

const CommandSpec* findCommand(std::string_view method) {
  for (const auto& c : commandSpecs())
    if (method == c.method) return &c;
  return nullptr;
}

}  // namespace velmoran::app
