#pragma once
// TableModel: the grid's view of a page's table. Row i is the i-th visible record in the
// table's current order; values are read from the table when the view asks for them. An
// edit is written through the table (as the grid's editor would) and changes only its own
// row; an edited key moves that one row to its sorted place. Numbers are shown the German
// way, with a decimal comma and their field's decimals, in the grid, the form and the editor.

#include <QAbstractTableModel>
#include <QColor>
#include <vector>

#include "app/workspace.h"
#include "pages/page_specs.h"

namespace velmoran::pages {

class TableModel : public QAbstractTableModel {
  Q_OBJECT
public:
  TableModel(app::Workspace& ws, const PageSpec& spec, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  const PageSpec& spec() const { return m_spec; }
  store::Table& table() const;
  // The record shown in a row; 0 for none.
  std::uint32_t recnoAt(int row) const;
  // The row that shows a record; -1 when it is not shown.
  int rowOf(std::uint32_t recno) const;
  // Re-read which records are shown (after a command changed the table).
  void refresh();
  // Show one record where the table's order now has it: a new record gets its row, a deleted
  // one loses it, an edited key moves its row. The views keep their current cell on it.
  void placeRecord(std::uint32_t recno);
  // The column whose caption is drawn highlighted, -1 for none.
  void setHighlightColumn(int column);
  int highlightColumn() const { return m_highlight; }

  static QColor bandColor();
  static QColor highlightColor();
  // Rows of the conversion pages that still lack a new name.
  static QColor attentionColor();

private:
  bool isBand(int row) const;
  // The cell's value as the grid shows it; the table stands on the record.
  QString cellText(const store::Field& field, int position) const;

  app::Workspace& m_ws;
  const PageSpec& m_spec;
  std::vector<std::uint32_t> m_recnos;
  int m_highlight;
};

}  // namespace velmoran::pages
