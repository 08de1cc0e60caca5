// The windows as they are laid out on a screen: the main window on each page and in form
// view, and every dialog. Checks what a user would stumble over (a dialog larger than a small
// screen, form labels cut off, the frozen column not covering the first column exactly).
// With VELMORAN_SCREENSHOT_DIR set, each window is also saved there as a PNG; with
// VELMORAN_SCREENSHOT_DATA set, the program runs on a copy of that data directory instead of
// the test imports.

#include <QAbstractButton>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include "asdpc/plausibility.h"
#include "asdpc/plausibility_dialog.h"
#include "backup/restore_dialog.h"
#include "gui_support.h"
#include "help/help_about_dialog.h"
#include "help/help_kurz_dialog.h"
#include "pages/data_window.h"
#include "pages/seek_dialog.h"
#include "untis/untis_dialog.h"

using namespace velmoran;
using test::q;

namespace {

const QSize smallScreen(1024, 768);

void save(QWidget& widget, const QString& name) {
  QString dir = qEnvironmentVariable("VELMORAN_SCREENSHOT_DIR");
  if (dir.isEmpty()) return;
  QDir().mkpath(dir);
  QVERIFY(widget.grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png")));
}

void copyDemo(const std::filesystem::path& target) {
  QString demo = qEnvironmentVariable("VELMORAN_SCREENSHOT_DATA");
  if (demo.isEmpty()) return;
  for (const auto& entry : std::filesystem::directory_iterator(demo.toStdString()))
    if (entry.is_regular_file())
      std::filesystem::copy_file(entry.path(), target / entry.path().filename());
}

// The test's school: the teaching distribution and the teacher files of the fixtures.
void importFixtures(test::Program& p) {
  if (!qEnvironmentVariableIsEmpty("VELMORAN_SCREENSHOT_DATA")) return;
  std::filesystem::path fixtures = test::sourceDir() / "tests/fixtures";
  p.ui.files = {fixtures / "untis/gpu002_comma/GPU002.TXT",
                fixtures / "teacher/gy_hours/GPU004.TXT", fixtures / "teacher/gy_hours/LEHRER.TXT"};
  p.ui.answers = {true, true, true, true, true, true};
  p.window->action(app::Command::GetFromUntis)->trigger();
  p.window->action(app::Command::UntisUVD)->trigger();
  p.window->action(app::Command::ReadGPU004Txt)->trigger();
  p.window->action(app::Command::ReadLehrerTxt)->trigger();
}

void checkFits(QDialog& dialog) {
  dialog.adjustSize();
  QVERIFY2(dialog.width() <= smallScreen.width() && dialog.height() <= smallScreen.height() - 40,
           qPrintable(dialog.objectName()));
  QVERIFY2(dialog.width() >= dialog.minimumSizeHint().width(), qPrintable(dialog.objectName()));
}

}  // namespace

class ScreensTest : public QObject {
  Q_OBJECT

private slots:
  void everyPageInGridAndFormView() {
    test::Program p("GY=Gymnasium", copyDemo);
    importFixtures(p);
    p.window->resize(1400, 860);
    p.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(p.window.get()));
    for (int i = 0; i < 7; ++i) {
      p.window->tabs()->setCurrentIndex(i);
      auto& page = p.window->currentPage();
      auto& grid = page.browser();
      // The frozen first column lies exactly over the grid's first column, header included.
      QTableView* frozen = grid.frozenView();
      QCOMPARE(frozen->x(), grid.verticalHeader()->width() + grid.frameWidth());
      QCOMPARE(frozen->width(), grid.columnWidth(0));
      QCOMPARE(frozen->horizontalHeader()->height(), grid.horizontalHeader()->height());
      QCOMPARE(frozen->rowHeight(0), grid.rowHeight(0));
      // Nothing of the second column hides under the frozen one when the page first shows.
      QCOMPARE(grid.horizontalScrollBar()->value(), 0);
      save(*p.window, QStringLiteral("page%1").arg(i + 1));

      p.window->action(app::Command::ViewKartei)->trigger();
      QVERIFY(page.isFormView());
      QCoreApplication::processEvents();
      for (QLabel* label : page.findChildren<QLabel*>()) {
        if (!label->isVisible()) continue;
        QVERIFY2(label->width() >= label->sizeHint().width(), qPrintable(label->text()));
      }
      save(*p.window, QStringLiteral("page%1_form").arg(i + 1));
      p.window->action(app::Command::ViewTabelle)->trigger();
    }
  }

  void theToolbarShowsEveryButtonOnAScreenOf1600Pixels() {
    test::Program p;
    p.window->resize(1600 - 18, 900);
    p.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(p.window.get()));
    auto* bar = p.window->findChild<QToolBar*>();
    for (QAction* a : bar->actions()) {
      if (a->isSeparator()) continue;
      QWidget* button = bar->widgetForAction(a);
      QVERIFY2(button && button->isVisible(), qPrintable(a->toolTip()));
    }
  }

  void everyDialogFitsOnASmallScreen() {
    test::Program p("GY=Gymnasium", copyDemo);
    p.window->resize(1400, 860);
    p.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(p.window.get()));

    help::HelpAboutDialog about(p.window->workspace(), p.ui, "01.08.2021", p.window.get());
    about.show();
    checkFits(about);
    save(about, QStringLiteral("dialog_info"));

    untis::UntisDialog untis(p.window->workspace(), p.ui, p.window.get());
    untis.show();
    checkFits(untis);
    save(untis, QStringLiteral("dialog_untis"));

    p.window->action(app::Command::SaveData)->trigger();  // every file in the list
    backup::RestoreDialog restore(p.window->workspace(), p.ui, p.window.get());
    restore.show();
    checkFits(restore);
    save(restore, QStringLiteral("dialog_restore"));

    help::HelpKurzDialog kurz(
        QStringLiteral("1. F3: GPU002.TXT einlesen\n2. Umschalt+F3: übernehmen\n"), p.window.get());
    kurz.show();
    checkFits(kurz);
    save(kurz, QStringLiteral("dialog_kurz"));

    pages::SeekDialog seek(QStringLiteral("Klasse"), QStringLiteral("5a"), p.window.get());
    seek.show();
    checkFits(seek);
    save(seek, QStringLiteral("dialog_seek"));

    app::QtUi ui(p.window.get());
    ui.pause(1, "Untis exportiert … noch 20 Sekunden");
    QDialog* countdown = ui.countdownDialog();
    checkFits(*countdown);
    save(*countdown, QStringLiteral("dialog_countdown"));

    // The list of findings opens on its own size: it must not be larger than the screen.
    p.window->workspace().settings.schoolNumber = "12";
    asdpc::PlausibilityDialog findings(p.window->workspace(), p.ui,
                                       asdpc::checkData(p.window->workspace()), p.window.get());
    findings.show();
    QVERIFY(findings.width() <= QGuiApplication::primaryScreen()->availableGeometry().width());
    save(findings, QStringLiteral("dialog_plausibility"));

    // The question before a file with errors is written.
    QTimer::singleShot(0, [] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      QVERIFY(box);
      save(*box, QStringLiteral("dialog_write_question"));
      box->button(QMessageBox::No)->click();
    });
    ui.askWriteDespiteErrors("Velmoran 2021 / UVD.TXT schreiben",
                             "Die Prüfung hat 3 Fehler gefunden, die ASDPC zurückweisen wird.",
                             "Trotzdem schreiben?");
  }
};

QTEST_MAIN(ScreensTest)
#include "screens_test.moc"
