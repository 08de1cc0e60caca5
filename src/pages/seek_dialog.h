#pragma once
// VelmoranSeek: asks for the text to search in the grid's current column. "W&eiter" takes
// the text; closing the dialog any other way gives an empty result.

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace velmoran::pages {

class SeekDialog : public QDialog {
  Q_OBJECT
public:
  SeekDialog(const QString& columnCaption, const QString& lastText, QWidget* parent = nullptr);

  QString result() const { return m_result; }
  QLineEdit* edit() const { return m_edit; }
  QPushButton* continueButton() const { return m_button; }

private:
  QLineEdit* m_edit;
  QPushButton* m_button;
  QString m_result;
};

}  // namespace velmoran::pages
