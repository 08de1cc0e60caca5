#include "help/help_about_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/qt_ui.h"
#include "catalog/catalogs.h"

namespace velmoran::help {

using app::toQString;

namespace {
QLabel* fixedText(const char* name, const QString& text, int pointSize, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QString::fromLatin1(name));
  QFont f = label->font();
  f.setPointSize(pointSize);
  label->setFont(f);
  label->setAlignment(Qt::AlignHCenter);
  return label;
}
}  // namespace

HelpAboutDialog::HelpAboutDialog(app::Workspace& ws, app::Ui& ui, const Text& programDate,
                                 QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_ws(ws),
      m_ui(ui),
      m_schoolForm(new QComboBox(this)),
      m_minuteModel(new QCheckBox(toQString("Minutenmodell"), this)),
      m_minutes(new QLineEdit(this)),
      m_name1(new QLineEdit(this)),
      m_name2(new QLineEdit(this)),
      m_number(new QLineEdit(this)),
      m_ok(new QPushButton(toQString("Weiter"), this)) {
  setObjectName(QStringLiteral("HelpAbout"));
  setWindowTitle(toQString(app::programTitle));
  AboutValues v = aboutValues(ws.settings);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(fixedText(
      "FixedText1", toQString("Velmoran – Untis-Daten für die Schulstatistik NRW"), 12, this));
  layout->addWidget(
      fixedText("FixedText3", toQString("für Schulen in Nordrhein-Westfalen"), 10, this));
  layout->addWidget(fixedText("FixedText2", QString(53, QLatin1Char('_')), 10, this));
  layout->addWidget(
      fixedText("FixedText6", toQString("Datenübernahme von Untis nach ASDPC"), 12, this));
  auto* version = new QHBoxLayout;
  version->addStretch();
  version->addWidget(fixedText("FixedText4", toQString("Velmoran Version 2021 vom"), 10, this));
  version->addWidget(fixedText("FixedText5", toQString(programDate), 10, this));
  version->addStretch();
  layout->addLayout(version);

  auto* formGroup = new QGroupBox(this);
  formGroup->setObjectName(QStringLiteral("GroupBox1"));
  auto* formLayout = new QGridLayout(formGroup);
  formLayout->addWidget(
      fixedText("FixedText9", toQString("Wählen Sie Ihre Schulform"), 10, formGroup), 0, 0);
  m_schoolForm->setObjectName(QStringLiteral("ComboBox1"));
  m_schoolForm->setEditable(true);
  m_schoolForm->setInsertPolicy(QComboBox::NoInsert);
  for (const Text& entry : catalog::schoolForms()) m_schoolForm->addItem(toQString(entry));
  m_schoolForm->setEditText(toQString(v.schoolForm));
  m_schoolForm->setMinimumWidth(300);
  formLayout->addWidget(m_schoolForm, 0, 1);
  formLayout->addWidget(
      fixedText("FixedText7", toQString("Letzte Datenübernahme vom"), 10, formGroup), 1, 0);
  formLayout->addWidget(
      fixedText("FixedText8", toQString(trimRight(ws.settings.lastImport)), 10, formGroup), 1, 1);
  layout->addWidget(formGroup);

  auto* minuteGroup = new QGroupBox(this);
  minuteGroup->setObjectName(QStringLiteral("GroupBox2"));
  auto* minuteLayout = new QHBoxLayout(minuteGroup);
  m_minuteModel->setObjectName(QStringLiteral("ODCCHECKBOXMINUTEN"));
  m_minuteModel->setChecked(v.minuteModel);
  m_minutes->setObjectName(QStringLiteral("Edit2"));
  m_minutes->setText(toQString(v.minutes));
  m_minutes->setMaximumWidth(80);
  minuteLayout->addWidget(m_minuteModel);
  minuteLayout->addWidget(m_minutes);
  minuteLayout->addWidget(
      fixedText("FixedText12", toQString("Minuten, z.B. 62,5"), 10, minuteGroup));
  minuteLayout->addStretch();
  layout->addWidget(minuteGroup);

  auto* schoolGroup = new QGroupBox(toQString("Schuldaten"), this);
  schoolGroup->setObjectName(QStringLiteral("GroupBox3"));
  auto* schoolLayout = new QFormLayout(schoolGroup);
  m_name1->setObjectName(QStringLiteral("EditSchulname1"));
  m_name2->setObjectName(QStringLiteral("EditSchulname2"));
  m_number->setObjectName(QStringLiteral("EditSchulnummer"));
  m_name1->setText(toQString(v.schoolName1));
  m_name2->setText(toQString(v.schoolName2));
  m_number->setText(toQString(v.schoolNumber));
  m_number->setMaxLength(6);
  schoolLayout->addRow(toQString("Schulname"), m_name1);
  schoolLayout->addRow(toQString("Schulname (2. Zeile)"), m_name2);
  schoolLayout->addRow(toQString("Schulnummer"), m_number);
  layout->addWidget(schoolGroup);

  m_ok->setObjectName(QStringLiteral("PushButOK"));
  m_ok->setDefault(true);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(m_ok);
  layout->addLayout(buttons);
  connect(m_ok, &QPushButton::clicked, this, &HelpAboutDialog::pushButOK);
  if (m_schoolForm->currentText().isEmpty()) m_schoolForm->setFocus();
}

AboutValues HelpAboutDialog::values() const {
  AboutValues v;
  v.schoolForm = app::fromQString(m_schoolForm->currentText());
  v.minuteModel = m_minuteModel->isChecked();
  v.minutes = app::fromQString(m_minutes->text());
  v.schoolName1 = app::fromQString(m_name1->text());
  v.schoolName2 = app::fromQString(m_name2->text());
  v.schoolNumber = app::fromQString(m_number->text());
  return v;
}

bool HelpAboutDialog::minuteModelChecked() const { return m_minuteModel->isChecked(); }

void HelpAboutDialog::pushButOK() {
  if (!confirmAbout(m_ws, m_ui, values())) {
    m_schoolForm->setFocus();
    return;
  }
  accept();
}

}  // namespace velmoran::help
