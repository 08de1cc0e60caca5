#include "help/help_kurz_dialog.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/qt_ui.h"
#include "help/guide.h"

namespace velmoran::help {

HelpKurzDialog::HelpKurzDialog(const QString& text, QWidget* parent)
    : QDialog(parent), m_text(new QPlainTextEdit(text, this)), m_ok(new QPushButton(this)) {
  setObjectName(QStringLiteral("HelpKurz"));
  setWindowTitle(app::toQString(helpKurzCaption));
  m_text->setObjectName(QStringLiteral("MultiLineEdit1"));
  m_text->setReadOnly(true);
  m_ok->setObjectName(QStringLiteral("PushBut1"));
  m_ok->setText(app::toQString("W&eiter"));
  m_ok->setDefault(true);
  connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(m_ok);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_text);
  layout->addLayout(buttons);
  resize(640, 520);
}

}  // namespace velmoran::help
