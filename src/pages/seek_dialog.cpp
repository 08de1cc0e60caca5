#include "pages/seek_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/qt_ui.h"
#include "app/workspace.h"

namespace velmoran::pages {

SeekDialog::SeekDialog(const QString& columnCaption, const QString& lastText, QWidget* parent)
    : QDialog(parent), m_edit(new QLineEdit(lastText, this)), m_button(new QPushButton(this)) {
  setObjectName(QStringLiteral("VelmoranSeek"));
  setWindowTitle(app::toQString(std::string(app::programTitle) + " / Suchen"));
  auto* label = new QLabel(app::toQString("Suchen in ") + columnCaption, this);
  label->setToolTip(app::toQString("Sucht in der gewählten Spalte"));
  label->setStyleSheet(QStringLiteral("color: rgb(192, 0, 0);"));
  m_edit->setObjectName(QStringLiteral("SingleLineEdit1"));
  m_edit->selectAll();
  m_button->setObjectName(QStringLiteral("PushButton1"));
  m_button->setText(app::toQString("W&eiter"));
  m_button->setDefault(true);
  connect(m_button, &QPushButton::clicked, this, [this] {
    m_result = m_edit->text();
    accept();
  });
  auto* row = new QHBoxLayout;
  row->addWidget(m_edit, 1);
  row->addWidget(m_button);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label);
  layout->addLayout(row);
  setMinimumWidth(320);
}

}  // namespace velmoran::pages
