// Qt's own texts in German: the standard buttons of the question boxes and the labels of the
// file dialog, as the desktop program installs Qt's translation at start.

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "app/qt_ui.h"

class TranslationTest : public QObject {
  Q_OBJECT

private slots:
  void initTestCase() { QVERIFY(velmoran::app::installGermanQtTranslation()); }

  void standardButtonsSpeakGerman() {
    QDialogButtonBox box(QDialogButtonBox::Yes | QDialogButtonBox::No | QDialogButtonBox::Cancel);
    QCOMPARE(box.button(QDialogButtonBox::Yes)->text().remove(QLatin1Char('&')),
             QStringLiteral("Ja"));
    QCOMPARE(box.button(QDialogButtonBox::No)->text().remove(QLatin1Char('&')),
             QStringLiteral("Nein"));
    QCOMPARE(box.button(QDialogButtonBox::Cancel)->text().remove(QLatin1Char('&')),
             QStringLiteral("Abbrechen"));
  }

  void fileDialogSpeaksGerman() {
    QFileDialog dialog(nullptr, QString(), QDir::tempPath());
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    QStringList labels;
    for (const QLabel* label : dialog.findChildren<QLabel*>()) labels << label->text();
    QVERIFY2(labels.contains(QStringLiteral("Suchen in:")), qPrintable(labels.join(u'|')));
    QVERIFY(!labels.contains(QStringLiteral("Look in:")));
  }
};

QTEST_MAIN(TranslationTest)
#include "translation_test.moc"
