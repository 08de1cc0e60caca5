#include "untis/untis_dialog.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/qt_ui.h"

namespace velmoran::untis {

using app::toQString;

UntisDialog::UntisDialog(app::Workspace& ws, app::Ui& ui, QWidget* parent)
    : QDialog(parent),
      m_ws(ws),
      m_ui(ui),
      m_save(new QPushButton(toQString("&Speichern"), this)),
      m_cancel(new QPushButton(toQString("&Beenden"), this)) {
  setObjectName(QStringLiteral("UntisDialog"));
  setWindowTitle(toQString(untisDialogCaption));
  for (auto& e : m_edits) e = new QLineEdit(this);
  m_edits[dbPassword]->setEchoMode(QLineEdit::Password);
  UntisEdits initial = untisDialogInit(ws);
  for (std::size_t i = 0; i < untisEntryCount; ++i) m_edits[i]->setText(toQString(initial[i]));

  auto button = [this](const char* name, UntisPicker picker, std::size_t entry) {
    auto* b = new QPushButton(QStringLiteral("..."), this);
    b->setObjectName(QString::fromLatin1(name));
    b->setMaximumWidth(30);
    connect(b, &QPushButton::clicked, this, [this, picker, entry] { pick(picker, entry); });
    return b;
  };
  auto* db = new QGroupBox(toQString("Untis DB-Einstellungen (Multiuser)"), this);
  auto* dbLayout = new QGridLayout(db);
  dbLayout->addWidget(new QLabel(toQString("Pfad zur Untis.exe"), db), 0, 0);
  dbLayout->addWidget(m_edits[dbProgram], 0, 1);
  dbLayout->addWidget(button("ExePsh", UntisPicker::dbProgram, dbProgram), 0, 2);
  auto* dbNameLabel =
      new QLabel(toQString("Name der DB-Datei von Untis,    z.B. DB~04B02~2021-2022~1"), db);
  dbNameLabel->setWordWrap(true);
  dbLayout->addWidget(dbNameLabel, 1, 0);
  dbLayout->addWidget(m_edits[dbName], 1, 1);
  dbLayout->addWidget(new QLabel(toQString("User"), db), 2, 0);
  dbLayout->addWidget(m_edits[dbUser], 2, 1);
  dbLayout->addWidget(new QLabel(toQString("Passwort"), db), 3, 0);
  dbLayout->addWidget(m_edits[dbPassword], 3, 1);

  auto* file = new QGroupBox(toQString("Untis GPN-Datei/Untisdatei Einstellungen"), this);
  auto* fileLayout = new QGridLayout(file);
  fileLayout->addWidget(new QLabel(toQString("Pfad zur Untis.exe"), file), 0, 0);
  fileLayout->addWidget(m_edits[fileProgram], 0, 1);
  fileLayout->addWidget(button("GpnPsh", UntisPicker::fileProgram, fileProgram), 0, 2);
  fileLayout->addWidget(new QLabel(toQString("Name und Pfad der Untis/GPN-Datei"), file), 1, 0);
  fileLayout->addWidget(m_edits[untisFile], 1, 1);
  fileLayout->addWidget(button("Gpn2Psh", UntisPicker::untisFile, untisFile), 1, 2);
  for (auto* grid : {dbLayout, fileLayout}) {
    grid->setColumnMinimumWidth(0, 200);
    grid->setColumnStretch(1, 1);
  }

  m_save->setObjectName(QStringLiteral("Save"));
  m_cancel->setObjectName(QStringLiteral("Cancel"));
  connect(m_save, &QPushButton::clicked, this, &UntisDialog::Save);
  connect(m_cancel, &QPushButton::clicked, this, &UntisDialog::Cancel);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(m_save);
  buttons->addWidget(m_cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(db);
  layout->addWidget(file);
  layout->addLayout(buttons);
  setMinimumWidth(640);

  // The tab key walks the fields top to bottom, each "..." button after its field; the two
  // push buttons were made first and would otherwise come first.
  QWidget* order[] = {m_edits[dbProgram],
                      findChild<QPushButton*>(QStringLiteral("ExePsh")),
                      m_edits[dbName],
                      m_edits[dbUser],
                      m_edits[dbPassword],
                      m_edits[fileProgram],
                      findChild<QPushButton*>(QStringLiteral("GpnPsh")),
                      m_edits[untisFile],
                      findChild<QPushButton*>(QStringLiteral("Gpn2Psh")),
                      m_save,
                      m_cancel};
  for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
  m_edits[dbProgram]->setFocus();
}

UntisEdits UntisDialog::edits() const {
  UntisEdits e;
  for (std::size_t i = 0; i < untisEntryCount; ++i) e[i] = app::fromQString(m_edits[i]->text());
  return e;
}

void UntisDialog::Save() { untisDialogSave(m_ws, m_ui, edits()); }

void UntisDialog::Cancel() {
  untisDialogClose(m_ws, edits());
  done(QDialog::Rejected);
}

void UntisDialog::pick(UntisPicker picker, std::size_t entry) {
  UntisEdits e = edits();
  if (pickUntisFile(m_ws, m_ui, picker, e)) m_edits[entry]->setText(toQString(e[entry]));
}

}  // namespace velmoran::untis
