// The dialogs, driven without exec(): the info dialog, the Untis settings, the restore
// choice, the short guide, the search dialog, and the countdown of the Untis wait.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "backup/restore_dialog.h"
#include "gui_support.h"
#include "help/help_about_dialog.h"
#include "help/help_kurz_dialog.h"
#include "pages/seek_dialog.h"
#include "untis/untis_dialog.h"

using namespace velmoran;
using test::q;

class DialogsTest : public QObject {
  Q_OBJECT

private slots:
  void infoDialogWithoutSchoolFormWarnsAndStaysOpen() {
    test::Program p("");
    help::HelpAboutDialog dialog(p.window->workspace(), p.ui, "01.08.2021", p.window.get());
    dialog.show();
    QCOMPARE(dialog.schoolFormBox()->currentText(), QString());
    QCOMPARE(dialog.schoolFormBox()->count(), 17);
    QCOMPARE(dialog.schoolFormBox()->itemText(2), q("V =nicht umorganisierte Volksschule"));
    dialog.continueButton()->click();
    QCOMPARE(p.ui.messages.size(), std::size_t(1));
    QCOMPARE(p.ui.messages[0].kind, std::string("warning"));
    QCOMPARE(q(p.ui.messages[0].caption), QStringLiteral("Velmoran 2021 / Info"));
    QCOMPARE(q(p.ui.messages[0].text), q("Sie haben keine Schulform gewählt !"));
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.result(), 0);
    QTest::keyClick(&dialog, Qt::Key_Escape);  // only "Weiter" leaves it
    QVERIFY(dialog.isVisible());
  }

  void infoDialogStoresSchoolFormMinutesAndSchoolData() {
    test::Program p("");
    p.window->runDialog = [](QDialog& d) {
      auto& about = dynamic_cast<help::HelpAboutDialog&>(d);
      about.schoolFormBox()->setCurrentIndex(11);
      about.minuteModelBox()->setChecked(true);
      about.minutesEdit()->setText(QStringLiteral("62,5"));
      about.schoolName1Edit()->setText(q("Städtisches Gymnasium"));
      about.schoolNumberEdit()->setText(QStringLiteral("123456"));
      about.continueButton()->click();
      QCOMPARE(about.result(), static_cast<int>(QDialog::Accepted));
    };
    p.window->action(app::Command::StartHelpAbout)->trigger();
    const app::Settings& s = p.window->workspace().settings;
    QCOMPARE(q(s.schoolForm), QStringLiteral("GY=Gymnasium"));
    QVERIFY(p.ui.messages.empty());
    std::string ini = test::readBytes(p.dir / "velmoran.ini");
    QVERIFY(ini.find("GY=Gymnasium") != std::string::npos);
    QVERIFY(ini.find("62,5") != std::string::npos);
    QVERIFY(ini.find("123456") != std::string::npos);
    QVERIFY(ini.find("Städtisches Gymnasium") != std::string::npos);
  }

  void untisDialogSavesWhatWasTyped() {
    test::Program p;
    p.window->runDialog = [](QDialog& d) {
      auto& untis = dynamic_cast<untis::UntisDialog&>(d);
      QCOMPARE(untis.windowTitle(), QStringLiteral("Velmoran 2021 / Untis - Einstellungen"));
      untis.edit(0)->setText(QStringLiteral("C:\\Untis\\Untis.exe"));
      untis.edit(1)->setText(QStringLiteral("DB~04B02~2021-2022~1"));
      untis.saveButton()->click();
      untis.cancelButton()->click();
    };
    p.window->action(app::Command::StartUntis)->trigger();
    std::string ini = test::readBytes(p.dir / "Untis.ini");
    QVERIFY(ini.find("C:\\Untis\\Untis.exe") != std::string::npos);
    QVERIFY(ini.find("DB~04B02~2021-2022~1") != std::string::npos);
  }

  void untisDialogTabOrderRunsTopToBottom() {
    test::Program p;
    untis::UntisDialog dialog(p.window->workspace(), p.ui, p.window.get());
    QStringList order;
    QWidget* w = dialog.edit(0);
    for (int i = 0; i < 11; ++i) {
      order << (qobject_cast<QLineEdit*>(w) ? QStringLiteral("edit") : w->objectName());
      do w = w->nextInFocusChain();
      while (!(w->focusPolicy() & Qt::TabFocus));
    }
    QCOMPARE(order.join(QLatin1Char(',')),
             QStringLiteral("edit,ExePsh,edit,edit,edit,edit,GpnPsh,edit,Gpn2Psh,Save,Cancel"));
  }

  void restoreDialogChoosesAllAndCloses() {
    test::Program p;
    backup::RestoreDialog dialog(p.window->workspace(), p.ui, p.window.get());
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Velmoran 2021 / Daten aus Sicherung einlesen"));
    QCOMPARE(dialog.allBox()->text(), q("Alle auswählen"));
    QCOMPARE(dialog.restoreButton()->text(), QStringLiteral("Ein&lesen"));
    QCOMPARE(dialog.closeButton()->text(), QStringLiteral("Be&enden"));
    QVERIFY(dialog.list()->count() > 0);
    dialog.allBox()->setChecked(true);
    QCOMPARE(dialog.list()->selectedItems().size(), dialog.list()->count());
    dialog.allBox()->setChecked(false);
    QCOMPARE(dialog.list()->selectedItems().size(), 0);
    dialog.closeButton()->click();
    QCOMPARE(dialog.result(), 2);
  }

  void shortGuideShowsTheTextFile() {
    test::Program p;
    test::writeBytes(p.dir / "Vorgehensweise_Velmoran.txt", "Erst F3, dann Umschalt+F3.\r\n");
    QString shown;
    p.window->runDialog = [&](QDialog& d) {
      auto& kurz = dynamic_cast<help::HelpKurzDialog&>(d);
      QCOMPARE(kurz.windowTitle(), QStringLiteral("Velmoran 2021 / Kurzbedienungsanleitung"));
      shown = kurz.textEdit()->toPlainText();
      kurz.continueButton()->click();
    };
    p.window->action(app::Command::ShowKurz)->trigger();
    QVERIFY(shown.startsWith(QStringLiteral("Erst F3, dann Umschalt+F3.")));
  }

  void seekDialogReturnsTheTextOnlyThroughWeiter() {
    pages::SeekDialog dialog(QStringLiteral("Klasse"), QStringLiteral("5a"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Velmoran 2021 / Suchen"));
    auto* label = dialog.findChild<QLabel*>();
    QCOMPARE(label->text(), QStringLiteral("Suchen in Klasse"));
    auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("SingleLineEdit1"));
    QCOMPARE(edit->text(), QStringLiteral("5a"));
    edit->setText(QStringLiteral("7b"));
    dialog.findChild<QPushButton*>(QStringLiteral("PushButton1"))->click();
    QCOMPARE(dialog.result(), QStringLiteral("7b"));
    pages::SeekDialog cancelled(QStringLiteral("Klasse"), QStringLiteral("5a"));
    cancelled.reject();
    QCOMPARE(cancelled.result(), QString());
  }

  void theQuestionBoxAsksInGermanWithYesAndNo() {
    app::QtUi ui;
    QString title, text, buttons;
    bool isQuestion = false;
    QTimer::singleShot(0, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      QVERIFY(box);
      title = box->windowTitle();
      text = box->text();
      isQuestion = box->icon() == QMessageBox::Question;
      buttons = box->button(QMessageBox::Yes)->text() + QLatin1Char('/') +
                box->button(QMessageBox::No)->text();
      box->button(QMessageBox::No)->click();
    });
    QVERIFY(!ui.askYesNo("Velmoran 2021", "Wollen Sie die ganze Tabelle wirklich löschen?"));
    QCOMPARE(title, QStringLiteral("Velmoran 2021"));
    QCOMPARE(text, q("Wollen Sie die ganze Tabelle wirklich löschen?"));
    QVERIFY(isQuestion);
    QCOMPARE(buttons, QStringLiteral("&Ja/&Nein"));
  }

  void pauseCountsDownInOneDialogAndWaitsTheWholeTime() {
    app::QtUi ui;
    QElapsedTimer timer;
    timer.start();
    ui.pause(60, "Untis exportiert … noch 2 Sekunden");
    QVERIFY(timer.elapsed() >= 60);
    QDialog* countdown = ui.countdownDialog();
    QVERIFY(countdown && countdown->isVisible());
    QCOMPARE(ui.countdownText(), q("Untis exportiert … noch 2 Sekunden"));
    ui.pause(30, "Untis exportiert … noch 1 Sekunden");
    QVERIFY(timer.elapsed() >= 90);
    QCOMPARE(ui.countdownDialog(), countdown);
    QCOMPARE(ui.countdownText(), q("Untis exportiert … noch 1 Sekunden"));
    ui.busy(true);
    ui.busy(false);
    QVERIFY(!countdown->isVisible());
  }
};

QTEST_MAIN(DialogsTest)
#include "dialogs_test.moc"
