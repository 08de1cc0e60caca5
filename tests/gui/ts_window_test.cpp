// The main window as the user meets it: menus, accelerators, toolbar, tabs, commands reached
// by their keys, the closing question and the column layout file written at close.

#include <QAction>
#include <QHeaderView>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QToolBar>

#include "app/column_layout_file.h"
#include "asdpc/plausibility_dialog.h"
#include "backup/restore_dialog.h"
#include "gui_support.h"
#include "pages/data_window.h"

using namespace velmoran;
using test::q;

namespace {

struct Item {
  const char* method;
  const char* text;  // caption, a tab and the key text
  QKeySequence key;
  const char* status;
};

// The menu items in menu order, as the user sees them.
const std::vector<std::pair<const char*, std::vector<Item>>>& expectedMenus() {
  static const std::vector<std::pair<const char*, std::vector<Item>>> menus = {
      {"&Datei",
       {{"GetFromUntis", "Unterrichtsverteilung aus &Untis einlesen (GPU002.TXT)\tF3",
         QKeySequence(Qt::Key_F3), "Liest die Unterrichtsverteilung aus Untis ein (GPU002.TXT)"},
        {"GetFromUVD", "E&xportierte UVD.TXT einlesen \tF4", QKeySequence(Qt::Key_F4),
         "Liest eine ausgelagerte UVD.TXT ein"},
        {"WriteUVD", "UVD.TXT &schreiben \tF5", QKeySequence(Qt::Key_F5), "Schreibt die UVD.TXT"},
        {nullptr, "", {}, ""},
        {"ReadGPU004Txt", "Lehrerdaten aus &Untis einlesen (GPU004.TXT)\tF6",
         QKeySequence(Qt::Key_F6), "GPU004.TXT einlesen"},
        {"ReadLehrerTxt", "&Liest die Mehr- und Minderarbeitsdaten aus Untis ein (LEHRER.TXT)\tF7",
         QKeySequence(Qt::Key_F7),
         "Liest die Mehr- und Minderarbeitsleistungen aus Untis ein (LEHRER.TXT)"},
        {"WriteLehrerASD", "Lehrer_ASD.txt schreiben für ASDPC32\tStrg+F7",
         QKeySequence(Qt::CTRL | Qt::Key_F7), "Lehrer_ASD.TXT schreiben"},
        {nullptr, "", {}, ""},
        {"EndWindow", "&Ende\tALT+F4", QKeySequence(Qt::ALT | Qt::Key_F4), "Beendet Velmoran"}}},
      {"&Bearbeiten ",
       {{"AppendKartei", "&Neuer Datensatz\tF8", QKeySequence(Qt::Key_F8),
         "Fügt einen neuen Datensatz ein"},
        {"DeleteKartei", "&Löscht diesen Datensatz\tF9", QKeySequence(Qt::Key_F9),
         "Löscht diesen Datensatz"},
        {"DeleteTable", "&Löscht alle Datensätze in dieser Tabelle\tStrg+F9",
         QKeySequence(Qt::CTRL | Qt::Key_F9), "Löscht alle Datensätze dieser Tabelle"},
        {"SeekTab", "&Sucht einen Datensatz\tSTRG+S", QKeySequence(Qt::CTRL | Qt::Key_S),
         "Sucht in einer Tabellenspalte"},
        {nullptr, "", {}, ""},
        {"GoTopKartei", "Erster Daten&satz \tPOS1", QKeySequence(Qt::Key_Home),
         "Geht zum 1. Datensatz"},
        {"SkipPreviousKartei", "&Vorheriger Datensatz", QKeySequence(),
         "Geht zum vorherigen Datensatz"},
        {"SkipNextKartei", "&Nächster", QKeySequence(), "Geht zum nächsten Datensatz"},
        {"GoBottomKartei", "&Letzten Datensatz\tENDE", QKeySequence(Qt::Key_End),
         "Geht zum letzten Datensatz"},
        {nullptr, "", {}, ""},
        {"ViewKartei", "&Daten&blattansicht\tF2", QKeySequence(Qt::Key_F2),
         "Zeigt den Datensatz in einer Karteiansicht"},
        {"ViewTabelle", "&Tabellenansicht\tUMSCHALT+F2", QKeySequence(Qt::SHIFT | Qt::Key_F2),
         "Zeigt den Datensatz in einer Tabellenansicht"}}},
      {"Über&nahme und Konvertierung",
       {{"UntisUVD", "Daten aus Unterrichtsverteilung &nach UVD-Tabelle &übernehmen\tUMSCHALT+F3",
         QKeySequence(Qt::SHIFT | Qt::Key_F3),
         "Übernimmt die Daten der Unterrichtsverteilung in die UVD-Tabelle"},
        {"KonvertClasses", "&Klassendaten konvertieren\tUMSCHALT+F4",
         QKeySequence(Qt::SHIFT | Qt::Key_F4),
         "Konvertiert die Daten der UVD-Tabelle aus der Klassentabelle"},
        {"KonvertItems", "F&ächerdaten konvertieren\tUMSCHALT+F5",
         QKeySequence(Qt::SHIFT | Qt::Key_F5),
         "Konvertiert die Daten der UVD-Tabelle aus der Fächertabelle"},
        {"CheckData", "&Plausibilität prüfen", QKeySequence(),
         "Prüft die Daten für UVD.TXT und LEHRER_ASD.TXT"}}},
      {"Untisdaten", {{"StartUntis", "Untisdaten", QKeySequence(), "Bearbeitung der Untisdaten"}}},
      {"&Datensicherung",
       {{"SaveData", "Daten sichern\tUMSCHALT+F7", QKeySequence(Qt::SHIFT | Qt::Key_F7),
         "Die Velmoran - Daten werden gesichert"},
        {"RestoreData", "Datensicherung einlesen\tUMSCHALT+F8",
         QKeySequence(Qt::SHIFT | Qt::Key_F8), "Die Velmoran - Daten werden eingelesen"}}},
      {"&Hilfe",
       {{"StartHelpAbout", "&Info\tF1", QKeySequence(Qt::Key_F1), "Informationen über Velmoran"},
        {"ShowKurz", "&Kurzbedienungsanleitung\tUMSCHALT+F1", QKeySequence(Qt::SHIFT | Qt::Key_F1),
         "Kurzbedienungsanleitung"}}},
  };
  return menus;
}

// Toolbar groups: caption and tooltip of each button.
const std::vector<std::vector<std::pair<const char*, const char*>>>& expectedToolGroups() {
  static const std::vector<std::vector<std::pair<const char*, const char*>>> groups = {
      {{"GPU002.TXT", "Liest die Unterrichtsverteilung aus Untis ein (GPU002.TXT)"},
       {"UVD.TXT", "Liest eine ausgelagerte UVD.TXT ein"},
       {"Sichern", "Schreibt die UVD.TXT"}},
      {{"GPU004.TXT", "Liest die Lehrerdaten aus Untis ein (GPU004.TXT)"},
       {"LEHRER.TXT", "Liest die Mehr- und Minderarbeitsleistungen aus Untis ein (LEHRER.TXT)"},
       {"LEHRER_ASD.TXT", "Schreibt die Lehrer_ASD.TXT für ASDPC32"}},
      {{"Neu", "Fügt einen neuen Datensatz ein"},
       {"Löschen Datensatz", "Löscht diesen Datensatz"},
       {"Löschen Tabelle", "Löscht alle Datensätze dieser Tabelle"},
       {"Suchen", "Sucht in einer Tabellenspalte"}},
      {{"Anfang", "Geht zum 1. Datensatz"},
       {"Voriger", "Geht zum vorherigen Datensatz"},
       {"Nächster", "Geht zum nächsten Datensatz"},
       {"Ende", "Geht zum letzten Datensatz"}},
      {{"Kartei", "Zeigt den Datensatz in einer Karteiansicht"},
       {"Tabelle", "Zeigt den Datensatz in einer Tabellenansicht"}},
      {{"->UVD", "Übernimmt die Daten der Unterrichtsverteilung in die UVD-Tabelle"},
       {"<-Klassen", "Konvertiert die Daten der UVD-Tabelle aus der Klassentabelle"},
       {"<-Fächern", "Konvertiert die Daten der UVD-Tabelle aus der Fächertabelle"},
       {"Prüfen", "Prüft die Daten für UVD.TXT und LEHRER_ASD.TXT"}},
      {{"Untis", "Bearbeitung der Untisdaten"}},
      {{"", "Velmoran - Daten sichern"}, {"", "Velmoran - Daten einlesen"}},
      {{"Hilfe", "Hilfe zu Velmoran"}, {"Anleitung", "Kurzbedienungsanleitung"}},
  };
  return groups;
}

std::vector<std::string> splitLines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t from = 0;
  for (std::size_t at; (at = bytes.find("\r\n", from)) != std::string::npos; from = at + 2)
    lines.push_back(bytes.substr(from, at - from));
  return lines;
}

}  // namespace

class TSWindowTest : public QObject {
  Q_OBJECT

private slots:
  void menuBarHasEveryCaptionKeyTextAndAccelerator() {
    test::Program p;
    QList<QAction*> bar = p.window->menuBar()->actions();
    const auto& menus = expectedMenus();
    QCOMPARE(bar.size(), static_cast<qsizetype>(menus.size()));
    for (std::size_t m = 0; m < menus.size(); ++m) {
      QAction* top = bar[static_cast<qsizetype>(m)];
      QCOMPARE(top->text(), q(menus[m].first));
      const auto& items = menus[m].second;
      if (!top->menu()) {  // "Untisdaten" stands on the bar itself
        QCOMPARE(items.size(), std::size_t(1));
        QCOMPARE(top->objectName(), QString::fromLatin1(items[0].method));
        continue;
      }
      QList<QAction*> actions = top->menu()->actions();
      QCOMPARE(actions.size(), static_cast<qsizetype>(items.size()));
      for (std::size_t i = 0; i < items.size(); ++i) {
        QAction* a = actions[static_cast<qsizetype>(i)];
        if (!items[i].method) {
          QVERIFY(a->isSeparator());
          continue;
        }
        QCOMPARE(a->objectName(), QString::fromLatin1(items[i].method));
        QCOMPARE(a->text(), q(items[i].text));
        QCOMPARE(a->shortcut(), items[i].key);
        QCOMPARE(a->statusTip(), q(items[i].status));
        QVERIFY(a->isEnabled());
      }
    }
    QCOMPARE(bar[4]->statusTip(), q("Daten sichern und zurückholen"));
  }

  void noTwoCommandsShareAnAccelerator() {
    test::Program p;
    QSet<QString> keys;
    int bound = 0;
    for (QAction* a : p.window->findChildren<QAction*>()) {
      if (a->shortcut().isEmpty()) continue;
      ++bound;
      QVERIFY2(!keys.contains(a->shortcut().toString()), qPrintable(a->shortcut().toString()));
      keys.insert(a->shortcut().toString());
    }
    QCOMPARE(bound, 22);
  }

  void toolbarHasNineGroupsWithCaptionsAndTooltips() {
    test::Program p;
    auto* bar = p.window->findChild<QToolBar*>();
    QVERIFY(bar);
    std::vector<std::vector<QAction*>> groups(1);
    for (QAction* a : bar->actions()) {
      if (a->isSeparator())
        groups.emplace_back();
      else
        groups.back().push_back(a);
    }
    const auto& expected = expectedToolGroups();
    QCOMPARE(groups.size(), expected.size());
    for (std::size_t g = 0; g < groups.size(); ++g) {
      QCOMPARE(groups[g].size(), expected[g].size());
      for (std::size_t i = 0; i < groups[g].size(); ++i) {
        QCOMPARE(groups[g][i]->iconText(), q(expected[g][i].first));
        QCOMPARE(groups[g][i]->toolTip(), q(expected[g][i].second));
      }
    }
  }

  void tabsCarryTheirCaptionsAndTheUvdPageIsCurrent() {
    test::Program p;
    QTabWidget* tabs = p.window->tabs();
    const char* captions[] = {"Unterrichtsverteilung aus Untis",
                              "Unterrichtsverteilung für UVD.TXT",
                              "Zulässige Fachbezeichnungen",
                              "Fächerkonvertierung",
                              "Klassenkonvertierung",
                              "Lehrerdaten für LID",
                              "Mehr-/Minderleistungen aus Untis"};
    QCOMPARE(tabs->count(), 7);
    for (int i = 0; i < 7; ++i) QCOMPARE(tabs->tabText(i), q(captions[i]));
    QCOMPARE(tabs->currentIndex(), 1);
    QVERIFY(p.window->windowTitle().startsWith(QStringLiteral("Velmoran 2021     < ")));
    QVERIFY(p.window->windowTitle().endsWith(QStringLiteral(" >")));
  }

  void f3ImportsGpu002AndBringsItsPageToTheFront() {
    test::Program p;
    std::filesystem::path file = p.dir / "GPU002.TXT";
    std::filesystem::copy_file(test::sourceDir() / "tests/fixtures/untis/gpu002_comma/GPU002.TXT",
                               file);
    p.ui.files.push_back(file);
    p.window->show();
    QVERIFY(QTest::qWaitForWindowActive(p.window.get()));
    p.window->tabs()->setCurrentIndex(4);

    QTest::keyClick(p.window.get(), Qt::Key_F3);

    QCOMPARE(p.ui.fileRequests.size(), std::size_t(1));
    QCOMPARE(p.window->tabs()->currentIndex(), 0);
    auto& page = p.window->page(app::Page::Gpsul);
    int records =
        static_cast<int>(p.window->workspace().table(app::Page::Gpsul).visibleRecnos().size());
    QVERIFY(records > 0);
    QCOMPARE(page.model().rowCount(), records);
    QCOMPARE(page.currentRow(), 0);
  }

  void appendAndDeleteWorkOnTheCurrentPageWithoutQuestion() {
    test::Program p;
    p.window->tabs()->setCurrentIndex(4);
    auto& page = p.window->page(app::Page::Klasse);
    int before = page.model().rowCount();
    p.window->action(app::Command::AppendKartei)->trigger();
    p.window->action(app::Command::AppendKartei)->trigger();
    QCOMPARE(page.model().rowCount(), before + 2);
    QCOMPARE(p.window->page(app::Page::Uvd).model().rowCount(), 0);
    p.window->action(app::Command::DeleteKartei)->trigger();
    QCOMPARE(page.model().rowCount(), before + 1);
    QVERIFY(p.ui.messages.empty());
  }

  void deleteTableAsksAndKeepsTheTableOnNo() {
    test::Program p;
    p.window->tabs()->setCurrentIndex(2);
    auto& page = p.window->page(app::Page::Zulfach);
    int before = page.model().rowCount();
    QVERIFY(before > 0);
    p.ui.answers = {false};
    p.window->action(app::Command::DeleteTable)->trigger();
    QCOMPARE(page.model().rowCount(), before);
    QCOMPARE(p.ui.messages.size(), std::size_t(1));
    QCOMPARE(p.ui.messages[0].kind, std::string("question"));
    QCOMPARE(q(p.ui.messages[0].caption), QStringLiteral("Velmoran 2021"));
    QCOMPARE(q(p.ui.messages[0].text), q("Wollen Sie die ganze Tabelle wirklich löschen?"));
    p.ui.answers = {true};
    p.window->action(app::Command::DeleteTable)->trigger();
    QCOMPARE(page.model().rowCount(), 0);
  }

  void f2AndShiftF2SwitchBetweenFormAndGrid() {
    test::Program p;
    p.window->show();
    QVERIFY(QTest::qWaitForWindowActive(p.window.get()));
    auto& page = p.window->page(app::Page::Uvd);
    QVERIFY(!page.isFormView());
    QTest::keyClick(p.window.get(), Qt::Key_F2);
    QVERIFY(page.isFormView());
    QTest::keyClick(p.window.get(), Qt::Key_F2, Qt::ShiftModifier);
    QVERIFY(!page.isFormView());
  }

  void closingAsksAndStaysOpenOnNo() {
    test::Program p;
    p.window->show();
    QVERIFY(QTest::qWaitForWindowActive(p.window.get()));
    p.ui.answers = {false, false};
    QTest::keyClick(p.window.get(), Qt::Key_F4, Qt::AltModifier);
    p.window->action(app::Command::EndWindow)->trigger();
    QVERIFY(p.window->isVisible());
    QCOMPARE(p.ui.messages.size(), std::size_t(2));
    for (const auto& m : p.ui.messages) {
      QCOMPARE(m.kind, std::string("question"));
      QCOMPARE(q(m.caption), QStringLiteral("Velmoran 2021"));
      QCOMPARE(q(m.text), QStringLiteral("Wollen Sie Velmoran 2021 wirklich beenden ?"));
    }
    QVERIFY(!std::filesystem::exists(p.dir / "VELMORAN_Column.INI"));
  }

  void closingOnYesWritesTheColumnLayoutsOfAllPages() {
    test::Program p;
    p.window->show();
    p.window->page(app::Page::Uvd).browser().setColumnWidth(3, 321);
    // The default width, widened where the caption needs more.
    const int unr = p.window->page(app::Page::Gpsul).browser().columnWidth(0);
    QVERIFY(unr >= 30);
    p.ui.answers = {true};
    QVERIFY(p.window->close());
    std::vector<std::string> lines = splitLines(test::readBytes(p.dir / "VELMORAN_Column.INI"));
    QCOMPARE(lines.size(), std::size_t(66));
    const std::size_t headers[] = {0, 18, 30, 34, 38, 43, 59};
    for (int i = 0; i < 7; ++i)
      QCOMPARE(QString::fromStdString(lines[headers[i]]),
               QStringLiteral("[TAB_PAGE%1]").arg(i + 1));
    QCOMPARE(QString::fromStdString(lines[1]),
             QStringLiteral("UNR:%1:1").arg(QString::number(unr).leftJustified(3)));
    QCOMPARE(QString::fromStdString(lines[22]), QStringLiteral("Kursart:321:4"));
    QCOMPARE(q(lines[60]), QStringLiteral("Satzart:50 :1"));
  }

  void savedLayoutsComeBackAtTheNextStart() {
    test::Program p;
    auto& header = *p.window->page(app::Page::Klasse).browser().horizontalHeader();
    header.resizeSection(1, 177);
    header.moveSection(3, 1);  // "Kursart" second
    p.ui.answers = {true};
    QVERIFY(p.window->close());
    p.window.reset();
    p.start("GY=Gymnasium");
    auto& again = *p.window->page(app::Page::Klasse).browser().horizontalHeader();
    QCOMPARE(again.sectionSize(1), 177);
    QCOMPARE(again.visualIndex(3), 1);
    QCOMPARE(again.sectionSize(0), 150);
  }

  void layoutsWithTooFewOrTooManyColumnsAreApplied() {
    test::Program p;
    // Page 3 gets five entries for its three columns; page 4 only one.
    std::string file = "[TAB_PAGE1]\r\n";
    for (int i = 0; i < 17; ++i) file += "X:40 :" + std::to_string(i + 1) + "\r\n";
    file += "[TAB_PAGE2]\r\n";
    for (int i = 0; i < 11; ++i) file += "X:41 :" + std::to_string(i + 1) + "\r\n";
    file += "[TAB_PAGE3]\r\nX:120:1\r\nX:130:2\r\nX:140:3\r\n[TAB_PAGE4]\r\nX:99 :1\r\n";
    test::writeBytes(p.dir / "VELMORAN_Column.INI", file);
    p.window.reset();
    p.start("GY=Gymnasium");
    QCOMPARE(p.window->page(app::Page::Zulfach).browser().columnWidth(2), 140);
    // Page 4's column lines are read into other sections; every page still shows its columns.
    for (app::Page page :
         {app::Page::Fach, app::Page::Klasse, app::Page::Lehrer, app::Page::MehrMinder}) {
      auto& b = p.window->page(page).browser();
      for (int c = 0; c < b.model()->columnCount(); ++c) QVERIFY(b.columnWidth(c) > 0);
    }
  }

  void aRestoreKeepsTheLayoutFileUntouchedAtClose() {
    test::Program p;
    p.ui.answers = {true};
    QVERIFY(p.window->close());
    std::string saved = test::readBytes(p.dir / "VELMORAN_Column.INI");
    p.window.reset();
    p.start("GY=Gymnasium");
    p.window->action(app::Command::SaveData)->trigger();
    p.window->runDialog = [](QDialog& d) {
      auto& restore = dynamic_cast<backup::RestoreDialog&>(d);
      auto items =
          restore.list()->findItems(QStringLiteral("VELMORAN_Column.INI "), Qt::MatchStartsWith);
      if (items.size() == 1) items[0]->setSelected(true);
      restore.restoreButton()->click();
    };
    p.ui.answers = {true, true, true};
    p.window->action(app::Command::RestoreData)->trigger();
    QVERIFY(p.window->workspace().LRESTORED);
    p.window->page(app::Page::Gpsul).browser().setColumnWidth(0, 222);
    p.ui.answers = {true};
    QVERIFY(p.window->close());
    QCOMPARE(test::readBytes(p.dir / "VELMORAN_Column.INI"), saved);
  }

  void checkDataWithNothingToFindSaysSo() {
    test::Program p;
    p.window->workspace().settings.schoolNumber = "123456";
    p.window->action(app::Command::CheckData)->trigger();
    QCOMPARE(p.ui.messages.size(), std::size_t(1));
    QCOMPARE(q(p.ui.messages[0].kind), QStringLiteral("info"));
    QCOMPARE(q(p.ui.messages[0].text), q("Es wurden keine Fehler gefunden."));
    QVERIFY(!p.window->plausibilityDialog());
  }

  void doubleClickingAFindingSelectsItsRecordOnItsPage() {
    test::Program p;
    p.window->workspace().settings.schoolNumber = "123456";
    store::Table& uvd = p.window->workspace().table(app::Page::Uvd);
    for (int i = 0; i < 3; ++i) {
      uvd.append();
      uvd.put("KLASSE", "05A");
      uvd.put("FACH", "D");
      uvd.put("LEHRER", "MUE");
      uvd.put("WSTD", i == 1 ? 0.0 : 4.0);  // record 2: a teacher with no hours
    }
    uvd.flush();
    p.window->page(app::Page::Uvd).refresh();
    p.window->tabs()->setCurrentIndex(5);
    p.window->action(app::Command::CheckData)->trigger();
    auto* list = p.window->plausibilityDialog();
    QVERIFY(list);
    int row = -1;
    for (std::size_t i = 0; i < list->findings().size(); ++i)
      if (list->findings()[i].table == "UVD" && list->findings()[i].field == "WSTD")
        row = static_cast<int>(i);
    QVERIFY(row >= 0);
    QCOMPARE(list->findings()[static_cast<std::size_t>(row)].recno, 2u);
    QCOMPARE(list->list()->item(row, 4)->text(), QStringLiteral("Fehler"));
    emit list->list()->cellDoubleClicked(row, 0);
    QCOMPARE(p.window->tabs()->currentIndex(), 1);
    QCOMPARE(p.window->page(app::Page::Uvd).currentRecno(), 2u);
  }
};

QTEST_MAIN(TSWindowTest)
#include "ts_window_test.moc"
