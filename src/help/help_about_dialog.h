#pragma once
// HelpAbout: the info dialog shown at every start and from F1. It shows the version and the
// last import, and takes the school form, the minute model, the minutes per lesson and the
// school data. Only "Weiter" leaves it, and only with a school form chosen.

#include <QDialog>

#include "app/ui.h"
#include "app/workspace.h"
#include "help/help_about.h"

class QComboBox;
class QCheckBox;
class QLineEdit;
class QPushButton;

namespace velmoran::help {

class HelpAboutDialog : public QDialog {
  Q_OBJECT
public:
  HelpAboutDialog(app::Workspace& ws, app::Ui& ui, const Text& programDate,
                  QWidget* parent = nullptr);

  AboutValues values() const;
  bool minuteModelChecked() const;

  QComboBox* schoolFormBox() const { return m_schoolForm; }
  QCheckBox* minuteModelBox() const { return m_minuteModel; }
  QLineEdit* minutesEdit() const { return m_minutes; }
  QPushButton* continueButton() const { return m_ok; }
  QLineEdit* schoolName1Edit() const { return m_name1; }
  QLineEdit* schoolName2Edit() const { return m_name2; }
  QLineEdit* schoolNumberEdit() const { return m_number; }

  // "Weiter".
  void pushButOK();

protected:
  void reject() override {}  // Escape and the close box do not leave the dialog

private:
  app::Workspace& m_ws;
  app::Ui& m_ui;
  QComboBox* m_schoolForm;
  QCheckBox* m_minuteModel;
  QLineEdit* m_minutes;
  QLineEdit* m_name1;
  QLineEdit* m_name2;
  QLineEdit* m_number;
  QPushButton* m_ok;
};

}  // namespace velmoran::help
