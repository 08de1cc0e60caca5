#include "backup/restore_dialog.h"

#include <QCheckBox>
#include <QDateTime>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include "app/qt_ui.h"
#include "backup/restore.h"

namespace velmoran::backup {

using app::toQString;

RestoreDialog::RestoreDialog(app::Workspace& ws, app::Ui& ui, QWidget* parent)
    : QDialog(parent),
      m_ws(ws),
      m_ui(ui),
      m_list(new QListWidget(this)),
      m_all(new QCheckBox(toQString("Alle auswählen"), this)),
      m_restore(new QPushButton(toQString("Ein&lesen"), this)),
      m_close(new QPushButton(toQString("Be&enden"), this)) {
  setObjectName(QStringLiteral("RestoreDialog"));
  setWindowTitle(toQString(restoreDialogCaption));
  QFont f = font();
  f.setBold(true);
  setFont(f);
  auto* label = new QLabel(toQString("Zurückzulesende Dateien"), this);
  label->setAlignment(Qt::AlignHCenter);
  m_list->setSelectionMode(QAbstractItemView::MultiSelection);
  // Only what the backup folder holds, each with the time it was saved.
  for (const Text& entry : restoreEntries()) {
    auto copy = copyInBackup(ws, entry);
    if (!copy) continue;
    const QDateTime saved = QFileInfo(QString::fromStdU16String(copy->u16string())).lastModified();
    auto* item = new QListWidgetItem(toQString(entry) + QStringLiteral("  (gesichert am ") +
                                         saved.toString(QStringLiteral("dd.MM.yyyy, hh:mm")) +
                                         QLatin1Char(')'),
                                     m_list);
    item->setData(Qt::UserRole, toQString(entry));
  }
  // Wide enough for the longest entry with its date.
  m_list->setMinimumWidth(m_list->sizeHintForColumn(0) + 2 * m_list->frameWidth() +
                          m_list->verticalScrollBar()->sizeHint().width());
  m_restore->setDefault(true);
  connect(m_all, &QCheckBox::toggled, this, [this](bool on) {
    if (on)
      m_list->selectAll();
    else
      m_list->clearSelection();
  });
  connect(m_restore, &QPushButton::clicked, this, &RestoreDialog::PshRestore);
  connect(m_close, &QPushButton::clicked, this, &RestoreDialog::PshBeenden);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(m_all);
  buttons->addStretch();
  buttons->addWidget(m_restore);
  buttons->addWidget(m_close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label);
  layout->addWidget(m_list);
  layout->addLayout(buttons);
  resize(340, 420);
}

void RestoreDialog::PshRestore() {
  m_chosen.clear();
  for (int i = 0; i < m_list->count(); ++i)
    if (m_list->item(i)->isSelected())
      m_chosen.push_back(app::fromQString(m_list->item(i)->data(Qt::UserRole).toString()));
  if (!restoreData(m_ws, m_ui, m_chosen)) return;  // nothing chosen: the dialog stays open
  done(1);
}

void RestoreDialog::PshBeenden() { done(2); }

}  // namespace velmoran::backup
