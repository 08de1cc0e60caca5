#pragma once
// UntisDialog: the Untis settings dialog. Two groups of edits (database case and file case),
// three "..." buttons that pick files, "&Speichern" writes Untis.ini, "&Beenden" takes the
// values for this run and closes.

#include <QDialog>
#include <array>

#include "app/ui.h"
#include "app/workspace.h"
#include "untis/untis_ini.h"

class QLineEdit;
class QPushButton;

namespace velmoran::untis {

class UntisDialog : public QDialog {
  Q_OBJECT
public:
  UntisDialog(app::Workspace& ws, app::Ui& ui, QWidget* parent = nullptr);

  QLineEdit* edit(std::size_t entry) const { return m_edits[entry]; }
  QPushButton* saveButton() const { return m_save; }
  QPushButton* cancelButton() const { return m_cancel; }

  void Save();
  void Cancel();

protected:
  void reject() override { Cancel(); }

private:
  UntisEdits edits() const;
  void pick(UntisPicker picker, std::size_t entry);

  app::Workspace& m_ws;
  app::Ui& m_ui;
  std::array<QLineEdit*, untisEntryCount> m_edits{};
  QPushButton* m_save;
  QPushButton* m_cancel;
};

}  // namespace velmoran::untis
