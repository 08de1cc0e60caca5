#pragma once
// RestoreDialog: lists the files the restore offers that the backup folder holds, each with
// the time it was saved; several can be chosen, "Alle auswählen" chooses or clears them all.
// "Ein&lesen" restores the chosen ones, "Be&enden" closes without restoring.

#include <QDialog>

#include "app/ui.h"
#include "app/workspace.h"

class QCheckBox;
class QListWidget;
class QPushButton;

namespace velmoran::backup {

class RestoreDialog : public QDialog {
  Q_OBJECT
public:
  // Results: 1 after a restore, 2 after "Be&enden", 0 when closed otherwise.
  RestoreDialog(app::Workspace& ws, app::Ui& ui, QWidget* parent = nullptr);

  QListWidget* list() const { return m_list; }
  QCheckBox* allBox() const { return m_all; }
  QPushButton* restoreButton() const { return m_restore; }
  QPushButton* closeButton() const { return m_close; }
  // The names chosen in list order (aChoose), filled by PshRestore.
  const std::vector<Text>& chosen() const { return m_chosen; }

  void PshRestore();
  void PshBeenden();

private:
  app::Workspace& m_ws;
  app::Ui& m_ui;
  QListWidget* m_list;
  QCheckBox* m_all;
  QPushButton* m_restore;
  QPushButton* m_close;
  std::vector<Text> m_chosen;
};

}  // namespace velmoran::backup
