#include "app/command_table.h"

namespace velmoran::app {

using C = Command;

const char* commandName(Command command) {
  switch (command) {
    case C::GetFromUntis:
      return "GetFromUntis";
    case C::GetFromUVD:
      return "GetFromUVD";
    case C::WriteUVD:
      return "WriteUVD";
    case C::ReadGPU004Txt:
      return "ReadGPU004Txt";
    case C::ReadLehrerTxt:
      return "ReadLehrerTxt";
    case C::WriteLehrerASD:
      return "WriteLehrerASD";
    case C::EndWindow:
      return "EndWindow";
    case C::AppendKartei:
      return "AppendKartei";
    case C::DeleteKartei:
      return "DeleteKartei";
    case C::DeleteTable:
      return "DeleteTable";
    case C::SeekTab:
      return "SeekTab";
    case C::GoTopKartei:
      return "GoTopKartei";
    case C::SkipPreviousKartei:
      return "SkipPreviousKartei";
    case C::SkipNextKartei:
      return "SkipNextKartei";
    case C::GoBottomKartei:
      return "GoBottomKartei";
    case C::ViewKartei:
      return "ViewKartei";
    case C::ViewTabelle:
      return "ViewTabelle";
    case C::UntisUVD:
      return "UntisUVD";
    case C::KonvertClasses:
      return "KonvertClasses";
    case C::KonvertItems:
      return "KonvertItems";
    case C::CheckData:
      return "CheckData";
    case C::StartUntis:
      return "StartUntis";
    case C::SaveData:
      return "SaveData";
    case C::RestoreData:
      return "RestoreData";
    case C::StartHelpAbout:
      return "StartHelpAbout";
    case C::ShowKurz:
      return "ShowKurz";
  }
  return "";
}

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
      {C::GetFromUntis, "&Datei", "Unterrichtsverteilung aus &Untis einlesen (GPU002.TXT)", "F3",
       "F3", "Liest die Unterrichtsverteilung aus Untis ein (GPU002.TXT)"},
      {C::GetFromUVD, "&Datei", "E&xportierte UVD.TXT einlesen ", "F4", "F4",
       "Liest eine ausgelagerte UVD.TXT ein"},
      {C::WriteUVD, "&Datei", "UVD.TXT &schreiben ", "F5", "F5", "Schreibt die UVD.TXT"},
      {C::ReadGPU004Txt, "&Datei", "Lehrerdaten aus &Untis einlesen (GPU004.TXT)", "F6", "F6",
       "GPU004.TXT einlesen", true},
      {C::ReadLehrerTxt, "&Datei",
       "&Liest die Mehr- und Minderarbeitsdaten aus Untis ein (LEHRER.TXT)", "F7", "F7",
       "Liest die Mehr- und Minderarbeitsleistungen aus Untis ein (LEHRER.TXT)"},
      {C::WriteLehrerASD, "&Datei", "Lehrer_ASD.txt schreiben für ASDPC32", "Strg+F7", "Ctrl+F7",
       "Lehrer_ASD.TXT schreiben"},
      {C::EndWindow, "&Datei", "&Ende", "ALT+F4", "Alt+F4", "Beendet Velmoran", true},
      {C::AppendKartei, "&Bearbeiten ", "&Neuer Datensatz", "F8", "F8",
       "Fügt einen neuen Datensatz ein"},
      {C::DeleteKartei, "&Bearbeiten ", "&Löscht diesen Datensatz", "F9", "F9",
       "Löscht diesen Datensatz"},
      {C::DeleteTable, "&Bearbeiten ", "&Löscht alle Datensätze in dieser Tabelle", "Strg+F9",
       "Ctrl+F9", "Löscht alle Datensätze dieser Tabelle"},
      {C::SeekTab, "&Bearbeiten ", "&Sucht einen Datensatz", "STRG+S", "Ctrl+S",
       "Sucht in einer Tabellenspalte"},
      {C::GoTopKartei, "&Bearbeiten ", "Erster Daten&satz ", "POS1", "Home",
       "Geht zum 1. Datensatz", true},
      {C::SkipPreviousKartei, "&Bearbeiten ", "&Vorheriger Datensatz", "", "",
       "Geht zum vorherigen Datensatz"},
      {C::SkipNextKartei, "&Bearbeiten ", "&Nächster", "", "", "Geht zum nächsten Datensatz"},
      {C::GoBottomKartei, "&Bearbeiten ", "&Letzten Datensatz", "ENDE", "End",
       "Geht zum letzten Datensatz"},
      {C::ViewKartei, "&Bearbeiten ", "&Daten&blattansicht", "F2", "F2",
       "Zeigt den Datensatz in einer Karteiansicht", true},
      {C::ViewTabelle, "&Bearbeiten ", "&Tabellenansicht", "UMSCHALT+F2", "Shift+F2",
       "Zeigt den Datensatz in einer Tabellenansicht"},
      {C::UntisUVD, "Über&nahme und Konvertierung",
       "Daten aus Unterrichtsverteilung &nach UVD-Tabelle &übernehmen", "UMSCHALT+F3", "Shift+F3",
       "Übernimmt die Daten der Unterrichtsverteilung in die UVD-Tabelle"},
      {C::KonvertClasses, "Über&nahme und Konvertierung", "&Klassendaten konvertieren",
       "UMSCHALT+F4", "Shift+F4", "Konvertiert die Daten der UVD-Tabelle aus der Klassentabelle"},
      {C::KonvertItems, "Über&nahme und Konvertierung", "F&ächerdaten konvertieren", "UMSCHALT+F5",
       "Shift+F5", "Konvertiert die Daten der UVD-Tabelle aus der Fächertabelle"},
      {C::CheckData, "Über&nahme und Konvertierung", "&Plausibilität prüfen", "", "",
       "Prüft die Daten für UVD.TXT und LEHRER_ASD.TXT"},
      {C::StartUntis, "", "Untisdaten", "", "", "Bearbeitung der Untisdaten"},
      {C::SaveData, "&Datensicherung", "Daten sichern", "UMSCHALT+F7", "Shift+F7",
       "Die Velmoran - Daten werden gesichert"},
      {C::RestoreData, "&Datensicherung", "Datensicherung einlesen", "UMSCHALT+F8", "Shift+F8",
       "Die Velmoran - Daten werden eingelesen"},
      {C::StartHelpAbout, "&Hilfe", "&Info", "F1", "F1", "Informationen über Velmoran"},
      {C::ShowKurz, "&Hilfe", "&Kurzbedienungsanleitung", "UMSCHALT+F1", "Shift+F1",
       "Kurzbedienungsanleitung"},
  };
  return list;
}

const std::vector<ToolSpec>& toolSpecs() {
  static const std::vector<ToolSpec> list = {
      {1, "GPU002.TXT", "Liest die Unterrichtsverteilung aus Untis ein (GPU002.TXT)",
       C::GetFromUntis},
      {1, "UVD.TXT", "Liest eine ausgelagerte UVD.TXT ein", C::GetFromUVD},
      {1, "Sichern", "Schreibt die UVD.TXT", C::WriteUVD},
      {2, "GPU004.TXT", "Liest die Lehrerdaten aus Untis ein (GPU004.TXT)", C::ReadGPU004Txt},
      {2, "LEHRER.TXT", "Liest die Mehr- und Minderarbeitsleistungen aus Untis ein (LEHRER.TXT)",
       C::ReadLehrerTxt},
      {2, "LEHRER_ASD.TXT", "Schreibt die Lehrer_ASD.TXT für ASDPC32", C::WriteLehrerASD},
      {3, "Neu", "Fügt einen neuen Datensatz ein", C::AppendKartei},
      {3, "Löschen Datensatz", "Löscht diesen Datensatz", C::DeleteKartei},
      {3, "Löschen Tabelle", "Löscht alle Datensätze dieser Tabelle", C::DeleteTable},
      {3, "Suchen", "Sucht in einer Tabellenspalte", C::SeekTab},
      {4, "Anfang", "Geht zum 1. Datensatz", C::GoTopKartei},
      {4, "Voriger", "Geht zum vorherigen Datensatz", C::SkipPreviousKartei},
      {4, "Nächster", "Geht zum nächsten Datensatz", C::SkipNextKartei},
      {4, "Ende", "Geht zum letzten Datensatz", C::GoBottomKartei},
      {5, "Kartei", "Zeigt den Datensatz in einer Karteiansicht", C::ViewKartei},
      {5, "Tabelle", "Zeigt den Datensatz in einer Tabellenansicht", C::ViewTabelle},
      {6, "->UVD", "Übernimmt die Daten der Unterrichtsverteilung in die UVD-Tabelle", C::UntisUVD},
      {6, "<-Klassen", "Konvertiert die Daten der UVD-Tabelle aus der Klassentabelle",
       C::KonvertClasses},
      {6, "<-Fächern", "Konvertiert die Daten der UVD-Tabelle aus der Fächertabelle",
       C::KonvertItems},
      {6, "Prüfen", "Prüft die Daten für UVD.TXT und LEHRER_ASD.TXT", C::CheckData},
      {7, "Untis", "Bearbeitung der Untisdaten", C::StartUntis},
      {8, "", "Velmoran - Daten sichern", C::SaveData},
      {8, "", "Velmoran - Daten einlesen", C::RestoreData},
      {9, "Hilfe", "Hilfe zu Velmoran", C::StartHelpAbout},
      {9, "Anleitung", "Kurzbedienungsanleitung", C::ShowKurz},
  };
  return list;
}

}  // namespace velmoran::app
