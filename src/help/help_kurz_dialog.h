#pragma once
// HelpKurz: shows the plain-text short guide; "W&eiter" closes it.

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace velmoran::help {

class HelpKurzDialog : public QDialog {
  Q_OBJECT
public:
  HelpKurzDialog(const QString& text, QWidget* parent = nullptr);
  QPlainTextEdit* textEdit() const { return m_text; }
  QPushButton* continueButton() const { return m_ok; }

private:
  QPlainTextEdit* m_text;
  QPushButton* m_ok;
};

}  // namespace velmoran::help
