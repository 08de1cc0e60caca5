#pragma once
// The list of the plausibility check: one row per finding with file, table, record, field,
// severity and the sentence. A double click brings the record's page to the front with the
// record selected; "Liste speichern" writes the list as a text file.

#include <QDialog>
#include <vector>

#include "app/ui.h"
#include "app/workspace.h"
#include "asdpc/plausibility.h"

class QTableWidget;
class QPushButton;

namespace velmoran::asdpc {

class PlausibilityDialog : public QDialog {
  Q_OBJECT
public:
  PlausibilityDialog(app::Workspace& ws, app::Ui& ui, std::vector<Finding> findings,
                     QWidget* parent = nullptr);

  QTableWidget* list() const { return m_list; }
  QPushButton* saveButton() const { return m_save; }
  const std::vector<Finding>& findings() const { return m_findings; }
  // What a double click on row `row` does.
  void chooseRow(int row);

signals:
  // The page (1 to 7) and record of a chosen finding.
  void recordChosen(int page, unsigned recno);

private:
  QSize openingSize() const;

  app::Workspace& m_ws;
  app::Ui& m_ui;
  std::vector<Finding> m_findings;
  QTableWidget* m_list;
  QPushButton* m_save;
};

}  // namespace velmoran::asdpc
