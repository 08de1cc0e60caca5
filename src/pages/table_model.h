#pragma once
// TableModel: the grid's view of a page's table. Row i is the i-th visible record in the
// table's current order; values are read from the table when the view asks for them. An
// edit is written through the table (as the grid's editor would) and the rows are re-read,
// so an edited key moves its record to its sorted place.

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
  // The column whose caption is drawn highlighted, -1 for none.
  void setHighlightColumn(int column);
  int highlightColumn() const { return m_highlight; }

  static QColor bandColor();
  static QColor highlightColor();

private:
  bool isBand(int row) const;

  app::Workspace& m_ws;
  const PageSpec& m_spec;
  std::vector<std::uint32_t> m_recnos;
  int m_highlight;
};

}  // namespace velmoran::pages
