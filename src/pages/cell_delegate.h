#pragma once
// CellDelegate: the in-cell editors of the grids and the form fields: a drop-down combo box
// for catalog columns (also accepting typed text; the whole chosen entry is stored), a date
// picker for date columns, and the plain text editor for the rest.

#include <QStyledItemDelegate>

#include "app/workspace.h"
#include "pages/table_model.h"

namespace velmoran::pages {

class CellDelegate : public QStyledItemDelegate {
  Q_OBJECT
public:
  CellDelegate(app::Workspace& ws, TableModel& model, QObject* parent = nullptr);

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override;
  void setEditorData(QWidget* editor, const QModelIndex& index) const override;
  void setModelData(QWidget* editor, QAbstractItemModel* model,
                    const QModelIndex& index) const override;

private:
  app::Workspace& m_ws;
  TableModel& m_model;
};

}  // namespace velmoran::pages
