// The yearly job in the window: the grid keeps the user's place through edits, numbers read
// the German way everywhere, a search that finds nothing says so, the status bar tells where
// the user stands and what each command did, open conversions show, questions come before
// work is lost or a rejected file is written, and files can be dropped on the window.

#include <QComboBox>
#include <QDropEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include "asdpc/plausibility_dialog.h"
#include "backup/restore_dialog.h"
#include "gui_support.h"
#include "pages/data_window.h"

using namespace velmoran;
using test::q;

namespace {

// KLASSE_ALT "K0000", "K0001", ...: page 5 lists them in this order.
void fillClasses(test::Program& p, int count) {
  store::Table& t = p.window->workspace().table(app::Page::Klasse);
  for (int i = 0; i < count; ++i) {
    t.append();
    t.put("KLASSE_ALT", QStringLiteral("K%1").arg(i, 4, 10, QLatin1Char('0')).toStdString());
    t.put("KLASSE_NEU", "05A");
  }
  t.flush();
  p.window->page(app::Page::Klasse).refresh();
}

// Page 5 with that many classes, in front in the shown window; false when it did not show.
bool showClassPage(test::Program& p, int count) {
  fillClasses(p, count);
  p.window->tabs()->setCurrentIndex(4);
  p.window->show();
  return QTest::qWaitForWindowActive(p.window.get());
}

// The rows of a page are the table's visible records in the table's order.
bool rowsFollowTheTable(pages::bDataWindow& page) {
  const std::vector<std::uint32_t> recnos = page.model().table().visibleRecnos();
  if (static_cast<int>(recnos.size()) != page.model().rowCount()) return false;
  for (std::size_t r = 0; r < recnos.size(); ++r)
    if (page.model().recnoAt(static_cast<int>(r)) != recnos[r]) return false;
  return true;
}

// Types into the grid's current cell and confirms with Enter, as a user does.
void typeIntoCell(pages::bDataWindow& page, const QString& text) {
  QTest::keyClick(&page.browser(), Qt::Key_A);  // opens the cell's editor with an "a"
  QWidget* editor = QApplication::focusWidget();
  QVERIFY(qobject_cast<QLineEdit*>(editor));
  static_cast<QLineEdit*>(editor)->setText(text);
  QTest::keyClick(editor, Qt::Key_Return);
  QCoreApplication::processEvents();  // the editor hands its value over on the next round
}

QString cell(pages::bDataWindow& page, int row, const char* field) {
  const auto& cols = page.spec().columns;
  for (std::size_t c = 0; c < cols.size(); ++c)
    if (std::string_view(cols[c].field) == field)
      return page.model().index(row, static_cast<int>(c)).data().toString();
  return QStringLiteral("<no column>");
}

// A file dragged over the window and dropped, as the window system delivers it.
void dropFile(QWidget& target, const std::filesystem::path& file) {
  QMimeData mime;
  mime.setUrls({QUrl::fromLocalFile(QString::fromStdU16String(file.u16string()))});
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&target, &enter);
  QVERIFY(enter.isAccepted());
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&target, &drop);
  QVERIFY(drop.isAccepted());
}

}  // namespace

class YearlyJobTest : public QObject {
  Q_OBJECT

private slots:
  void init() { QTest::failOnWarning(QRegularExpression(QStringLiteral("does not belong"))); }

  // ---- the grid keeps the user's place ----

  void anEditChangesOnlyItsRowAndTheArrowKeysGoOn() {
    test::Program p;
    QVERIFY(showClassPage(p, 900));
    auto& page = p.window->page(app::Page::Klasse);
    page.selectRow(859);
    page.browser().setCurrentIndex(page.model().index(859, 1));
    QSignalSpy resets(&page.model(), &QAbstractItemModel::modelAboutToBeReset);
    QSignalSpy changed(&page.model(), &QAbstractItemModel::dataChanged);

    typeIntoCell(page, QStringLiteral("06B"));

    QCOMPARE(cell(page, 859, "KLASSE_NEU"), QStringLiteral("06B"));
    QCOMPARE(resets.count(), 0);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed[0][0].toModelIndex().row(), 859);
    QCOMPARE(changed[0][1].toModelIndex().row(), 859);
    QCOMPARE(page.currentRow(), 859);
    QTest::keyClick(&page.browser(), Qt::Key_Down);
    QCOMPARE(page.currentRow(), 860);
  }

  void anEditedKeyMovesItsRecordAndTheGridFollowsIt() {
    test::Program p;
    QVERIFY(showClassPage(p, 900));
    auto& page = p.window->page(app::Page::Klasse);
    page.selectRow(700);
    page.browser().setCurrentIndex(page.model().index(700, 0));  // the frozen column
    const std::uint32_t recno = page.currentRecno();

    typeIntoCell(page, QStringLiteral("A1"));

    QCOMPARE(page.currentRecno(), recno);
    QCOMPARE(page.currentRow(), 0);
    QCOMPARE(cell(page, 0, "KLASSE_ALT"), QStringLiteral("A1"));
    QVERIFY(rowsFollowTheTable(page));
    const QRect shown = page.browser().visualRect(page.model().index(0, 1));
    QVERIFY(page.browser().viewport()->rect().intersects(shown));

    page.browser().setCurrentIndex(page.model().index(0, 0));
    typeIntoCell(page, QStringLiteral("Z9"));  // now to the end
    QCOMPARE(page.currentRecno(), recno);
    QCOMPARE(page.currentRow(), 899);
    QVERIFY(rowsFollowTheTable(page));
  }

  void appendingAndDeletingKeepTheRowsInTheTablesOrder() {
    test::Program p;
    fillClasses(p, 50);
    p.window->tabs()->setCurrentIndex(4);
    auto& page = p.window->page(app::Page::Klasse);
    QSignalSpy resets(&page.model(), &QAbstractItemModel::modelAboutToBeReset);
    page.selectRow(20);
    p.window->action(app::Command::AppendKartei)->trigger();  // a blank name sorts first
    QCOMPARE(page.currentRow(), 0);
    page.model().setData(page.model().index(0, 0), QStringLiteral("K0030x"), Qt::EditRole);
    QCOMPARE(page.currentRow(), 31);
    QVERIFY(rowsFollowTheTable(page));
    page.selectRow(10);
    p.window->action(app::Command::DeleteKartei)->trigger();
    QCOMPARE(page.model().rowCount(), 50);
    QCOMPARE(page.currentRow(), 10);
    QVERIFY(rowsFollowTheTable(page));
    QCOMPARE(resets.count(), 0);
  }

  void theFormHandsTheRecordBackToTheGrid() {
    test::Program p;
    QVERIFY(showClassPage(p, 900));
    auto& page = p.window->page(app::Page::Klasse);
    page.selectRow(700);
    QSignalSpy resets(&page.model(), &QAbstractItemModel::modelAboutToBeReset);
    QTest::keyClick(p.window.get(), Qt::Key_F2);
    QVERIFY(page.isFormView());
    QTest::keyClick(p.window.get(), Qt::Key_F2, Qt::ShiftModifier);
    QVERIFY(!page.isFormView());
    QCOMPARE(page.currentRow(), 700);
    QCOMPARE(resets.count(), 0);

    // A key changed in the form moves the record; the grid shows it where it went.
    QTest::keyClick(p.window.get(), Qt::Key_F2);
    auto* name = page.findChild<QLineEdit*>(QStringLiteral("ODCKLASSE_ALT"));
    name->setText(QStringLiteral("A0"));
    QTest::keyClick(p.window.get(), Qt::Key_F2, Qt::ShiftModifier);
    QCOMPARE(page.currentRow(), 0);
    QCOMPARE(cell(page, 0, "KLASSE_ALT"), QStringLiteral("A0"));
  }

  // ---- numbers the German way ----

  void numbersShowTheirFieldsDecimalsWithACommaInGridFormAndEditor() {
    test::Program p;
    store::Table& uvd = p.window->workspace().table(app::Page::Uvd);
    uvd.append();
    uvd.put("WSTD", 4.0);
    uvd.put("SCHUELER_G", 8.0);
    uvd.flush();
    store::Table& gpsul = p.window->workspace().table(app::Page::Gpsul);
    gpsul.append();
    gpsul.put("WSTD", 4.0);
    gpsul.put("JAHRESWERT", 152.0);
    gpsul.flush();
    auto& page = p.window->page(app::Page::Uvd);
    page.refresh();
    p.window->page(app::Page::Gpsul).refresh();

    QCOMPARE(cell(page, 0, "WSTD"), QStringLiteral("4,00"));
    QCOMPARE(cell(page, 0, "SCHUELER_G"), QStringLiteral("8"));
    QCOMPARE(cell(p.window->page(app::Page::Gpsul), 0, "WSTD"), QStringLiteral("4,000"));
    QCOMPARE(cell(p.window->page(app::Page::Gpsul), 0, "JAHRESWERT"), QStringLiteral("152,000"));
    page.viewForm();
    QCOMPARE(page.findChild<QLineEdit*>(QStringLiteral("ODCSCHUELER_G"))->text(),
             QStringLiteral("8"));
    QCOMPARE(page.findChild<QLineEdit*>(QStringLiteral("ODCWSTD"))->text(), QStringLiteral("4,00"));
    page.viewTable();

    auto& grid = page.browser();
    const QModelIndex hours = page.model().index(0, 4);
    QStyleOptionViewItem option;
    std::unique_ptr<QWidget> editor(
        grid.itemDelegate()->createEditor(grid.viewport(), option, hours));
    grid.itemDelegate()->setEditorData(editor.get(), hours);
    auto* line = qobject_cast<QLineEdit*>(editor.get());
    QVERIFY(line);
    QCOMPARE(line->text(), QStringLiteral("4,00"));
    line->setText(QStringLiteral("2,5"));
    grid.itemDelegate()->setModelData(line, &page.model(), hours);
    uvd.goTo(1);
    QCOMPARE(uvd.getNumber("WSTD"), 2.5);
    QCOMPARE(cell(page, 0, "WSTD"), QStringLiteral("2,50"));
  }

  // ---- the search and the status bar ----

  void aSearchThatFindsNothingSaysSoAndAHitClearsIt() {
    test::Program p;
    fillClasses(p, 5);
    p.window->tabs()->setCurrentIndex(4);
    auto& page = p.window->page(app::Page::Klasse);
    Text wanted = "nirgends";
    page.askSearchText = [&](const Text&, const Text&) { return std::optional<Text>(wanted); };
    page.browser().setCurrentIndex(page.model().index(0, 0));
    p.window->action(app::Command::SeekTab)->trigger();
    QCOMPARE(page.currentRow(), 4);  // positioned as before: on the last record
    QCOMPARE(p.window->statusLineText(), q("Kein passender Datensatz gefunden."));
    wanted = "k0002";
    p.window->action(app::Command::SeekTab)->trigger();
    QCOMPARE(page.currentRow(), 2);
    QCOMPARE(p.window->statusLineText(), QString());
  }

  void theStatusBarTellsTheRecordAndFollowsTheUser() {
    test::Program p;
    fillClasses(p, 860);
    p.window->tabs()->setCurrentIndex(4);
    auto& page = p.window->page(app::Page::Klasse);
    page.selectRow(711);
    QCOMPARE(p.window->positionText(), QStringLiteral("Datensatz 712 von 860"));
    p.window->action(app::Command::SkipNextKartei)->trigger();
    QCOMPARE(p.window->positionText(), QStringLiteral("Datensatz 713 von 860"));
    p.window->action(app::Command::AppendKartei)->trigger();
    QCOMPARE(p.window->positionText(), QStringLiteral("Datensatz 1 von 861"));
    p.window->tabs()->setCurrentIndex(1);
    QCOMPARE(p.window->positionText(), q("Keine Datensätze"));
  }

  void eachCommandLeavesItsLineInTheStatusBar() {
    test::Program p;
    p.ui.files = {test::sourceDir() / "tests/fixtures/untis/gpu002_comma/GPU002.TXT"};
    p.window->action(app::Command::GetFromUntis)->trigger();
    QCOMPARE(p.window->statusLineText(), q("GPU002.TXT: 3 Zeilen eingelesen"));
    p.window->action(app::Command::UntisUVD)->trigger();
    QVERIFY(p.window->statusLineText().startsWith(q("UVD: ")));
    p.window->action(app::Command::KonvertItems)->trigger();
    QVERIFY(p.window->statusLineText().startsWith(q("Fächerkonvertierung: ")));
    // A command that does nothing leaves no line of the one before.
    p.window->action(app::Command::GetFromUVD)->trigger();  // cancelled
    QCOMPARE(p.window->statusLineText(), QString());
  }

  // ---- what still needs attention ----

  void rowsWithoutANewNameStandOutAndTheTabCountsThem() {
    test::Program p;
    store::Table& fach = p.window->workspace().table(app::Page::Fach);
    for (const char* old : {"XA", "XB", "XC"}) {
      fach.append();
      fach.put("FACHALT", old);
    }
    fach.put("FACHNEU", "PH=Physik");  // XC has its name
    fach.flush();
    auto& page = p.window->page(app::Page::Fach);
    page.refresh();
    auto& model = page.model();
    auto background = [&](int row) {
      return model.data(model.index(row, 1), Qt::BackgroundRole).value<QColor>();
    };
    QCOMPARE(background(0), pages::TableModel::attentionColor());
    QCOMPARE(background(1), pages::TableModel::attentionColor());
    QVERIFY(background(2) != pages::TableModel::attentionColor());
    QCOMPARE(p.window->tabs()->tabText(3), q("Fächerkonvertierung (2)"));
    QCOMPARE(p.window->tabs()->tabText(4), q("Klassenkonvertierung"));

    model.setData(model.index(0, 1), QStringLiteral("BI=Biologie"), Qt::EditRole);
    QCOMPARE(p.window->tabs()->tabText(3), q("Fächerkonvertierung (1)"));
    QVERIFY(background(0) != pages::TableModel::attentionColor());
  }

  // ---- questions before work is lost ----

  void shiftF3OnAFilledUvdAsksAndNoChangesNothing() {
    test::Program p;
    p.ui.files = {test::sourceDir() / "tests/fixtures/untis/gpu002_comma/GPU002.TXT"};
    p.window->action(app::Command::GetFromUntis)->trigger();
    p.window->action(app::Command::UntisUVD)->trigger();
    auto& page = p.window->page(app::Page::Uvd);
    const int rows = page.model().rowCount();
    QVERIFY(rows > 0);
    page.model().setData(page.model().index(0, 2), QStringLiteral("05"), Qt::EditRole);
    p.ui.messages.clear();
    p.window->action(app::Command::UntisUVD)->trigger();
    QCOMPARE(p.ui.messages.size(), std::size_t(1));
    QCOMPARE(p.ui.messages[0].kind, std::string("question"));
    QCOMPARE(q(p.ui.messages[0].text),
             q("Die UVD-Tabelle enthält " + std::to_string(rows) +
               " Datensätze. Sie werden neu aufgebaut; Änderungen daran gehen verloren. "
               "Fortfahren?"));
    QCOMPARE(cell(page, 0, "JAHRGANG"), QStringLiteral("05"));
  }

  void writingWithErrorsCanShowTheListInstead() {
    test::Program p;
    store::Table& uvd = p.window->workspace().table(app::Page::Uvd);
    uvd.append();
    uvd.put("KLASSE", "05A");
    uvd.put("FACH", "D");
    uvd.put("LEHRER", "MUE");  // no hours: ASDPC rejects it
    uvd.flush();
    p.ui.writeAnswers = {app::WriteAnswer::showFindings};
    p.window->action(app::Command::WriteUVD)->trigger();
    QVERIFY(p.ui.fileRequests.empty());
    QVERIFY(p.window->plausibilityDialog());
    QVERIFY(p.window->plausibilityDialog()->isVisible());
    QCOMPARE(q(p.ui.messages[0].text),
             q("Die Prüfung hat 1 Fehler gefunden, die ASDPC zurückweisen wird. "
               "Trotzdem schreiben?"));
  }

  void theQuestionBoxOffersTheListAndSaysNoByDefault() {
    test::Program p;
    app::QtUi ui(p.window.get());
    app::WriteAnswer answer = app::WriteAnswer::write;
    QTimer::singleShot(0, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      QVERIFY(box);
      QCOMPARE(box->defaultButton(), box->button(QMessageBox::No));
      for (QAbstractButton* b : box->buttons())
        if (b->text() == q("&Liste zeigen")) b->click();
    });
    answer = ui.askWriteDespiteErrors("Velmoran 2021", "Die Prüfung hat 2 Fehler gefunden.",
                                      "Trotzdem schreiben?");
    QCOMPARE(answer, app::WriteAnswer::showFindings);
  }

  void theFindingsNameFieldsByTheirCaptionsOnSingleLines() {
    test::Program p;
    std::vector<asdpc::Finding> findings = {
        {"UVD.TXT", "UVD", 2, "WSTD", "Fehler", "Die Wochenstunden 0 sind nicht erlaubt."},
        {"LEHRER_ASD.TXT", "velmoran.ini", 0, "Schulnummer", "Fehler", "Die Schulnummer fehlt."}};
    asdpc::PlausibilityDialog list(p.window->workspace(), p.ui, findings, p.window.get());
    QCOMPARE(list.list()->item(0, 3)->text(), QStringLiteral("Wochenstunden"));
    QCOMPARE(list.list()->item(1, 3)->text(), QStringLiteral("Schulnummer"));
    QVERIFY(!list.list()->wordWrap());
    int columns = 0;
    for (int c = 0; c < list.list()->columnCount(); ++c) columns += list.list()->columnWidth(c);
    QVERIFY(list.width() >= columns);
  }

  void theRestoreListShowsWhatTheBackupHoldsWithItsDateAndAsks() {
    test::Program p;
    p.window->action(app::Command::SaveData)->trigger();
    QVERIFY(p.window->statusLineText().startsWith(q("Datensicherung: ")));
    std::filesystem::remove(p.dir / "SECURE" / "fach.dbf");
    backup::RestoreDialog dialog(p.window->workspace(), p.ui, p.window.get());
    QStringList names;
    for (int i = 0; i < dialog.list()->count(); ++i)
      names << dialog.list()->item(i)->data(Qt::UserRole).toString();
    QCOMPARE(names.join(QLatin1Char(',')),
             QStringLiteral("gpsul.dbf,uvd.dbf,zulfach.dbf,klasse.dbf,lehrer.dbf,mehr_minder.dbf,"
                            "VELMORAN.INI"));
    QCOMPARE(
        dialog.list()->item(0)->text(),
        QStringLiteral("gpsul.dbf  (gesichert am %1)")
            .arg(QFileInfo(QString::fromStdU16String((p.dir / "SECURE" / "gpsul.dbf").u16string()))
                     .lastModified()
                     .toString(QStringLiteral("dd.MM.yyyy, hh:mm"))));

    dialog.list()->item(1)->setSelected(true);
    p.ui.messages.clear();
    p.ui.answers = {false};
    dialog.restoreButton()->click();  // No: the dialog stays open
    QCOMPARE(dialog.result(), 0);
    QCOMPARE(p.ui.messages.back().kind, std::string("question"));
    p.ui.answers = {true};
    dialog.restoreButton()->click();
    QCOMPARE(dialog.result(), 1);
    QCOMPARE(q(p.ui.messages.back().text), q("Aus der Sicherung zurückgeholt:\r\nuvd.dbf"));
  }

  // ---- files ----

  void aDroppedExportIsImportedWhateverTheCaseOfItsName() {
    test::Program p;
    const std::filesystem::path file = p.dir / "gpu002.Txt";
    std::filesystem::copy_file(test::sourceDir() / "tests/fixtures/untis/gpu002_comma/GPU002.TXT",
                               file);
    p.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(p.window.get()));
    dropFile(*p.window, file);
    QCOMPARE(p.window->page(app::Page::Gpsul).model().rowCount(), 3);
    QCOMPARE(p.window->tabs()->currentIndex(), 0);
    QVERIFY(p.ui.fileRequests.empty());
    QCOMPARE(q(p.ui.messages.back().text), q("Das Einlesen der Datei ist abgeschlossen !"));

    QVERIFY(!p.window->importDroppedFile(p.dir / "notes.txt"));
  }

  void fileDialogsStartWhereTheirKindWasLastUsed() {
    test::TempDir dir;
    std::filesystem::create_directory(dir.path() / "exports");
    test::writeBytes(dir.path() / "exports" / "LEHRER.TXT", "LS");
    app::QtUi ui;
    ui.setFolderSettings(std::make_unique<QSettings>(
        QString::fromStdU16String((dir.path() / "folders.ini").u16string()), QSettings::IniFormat));
    app::FileRequest lehrer{"Lehrer", dir.path(), "Lehrer.Txt", {}, 0};
    app::FileRequest uvd{"UVD", dir.path(), "UVD.TXT", {}, 0};
    auto path = [](const std::filesystem::path& f) {
      return QString::fromStdU16String(f.u16string());
    };
    QCOMPARE(ui.startPath(lehrer), path(dir.path() / "Lehrer.Txt"));
    ui.rememberFolder(lehrer, dir.path() / "exports" / "LEHRER.TXT");
    // The file is offered as it is spelt on the disk (Windows finds it by either spelling).
#ifdef _WIN32
    QCOMPARE(ui.startPath(lehrer).toUpper(), path(dir.path() / "exports" / "LEHRER.TXT").toUpper());
#else
    QCOMPARE(ui.startPath(lehrer), path(dir.path() / "exports" / "LEHRER.TXT"));
#endif
    QCOMPARE(ui.startPath(uvd), path(dir.path() / "UVD.TXT"));
    std::filesystem::remove_all(dir.path() / "exports");  // a folder gone: the default again
    QCOMPARE(ui.startPath(lehrer), path(dir.path() / "Lehrer.Txt"));
  }
};

QTEST_MAIN(YearlyJobTest)
#include "yearly_job_test.moc"
