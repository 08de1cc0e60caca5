#include "pages/table_model.h"

#include <QDate>
#include <QFont>
#include <cmath>

#include "app/qt_ui.h"
#include "pages/table_commands.h"

namespace velmoran::pages {

TableModel::TableModel(app::Workspace& ws, const PageSpec& spec, QObject* parent)
    : QAbstractTableModel(parent), m_ws(ws), m_spec(spec), m_highlight(spec.highlightColumn) {
  refresh();
}

store::Table& TableModel::table() const { return m_ws.table(m_spec.page); }

QColor TableModel::bandColor() { return QColor(230, 238, 206); }
QColor TableModel::highlightColor() { return QColor(255, 232, 150); }

void TableModel::refresh() {
  beginResetModel();
  m_recnos.clear();
  store::Table& t = table();
  for (t.goTop(); !t.eof(); t.skip()) m_recnos.push_back(t.recno());
  t.goTop();
  endResetModel();
}

int TableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(m_recnos.size());
}

int TableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(m_spec.columns.size());
}

std::uint32_t TableModel::recnoAt(int row) const {
  if (row < 0 || row >= static_cast<int>(m_recnos.size())) return 0;
  return m_recnos[static_cast<std::size_t>(row)];
}

int TableModel::rowOf(std::uint32_t recno) const {
  for (std::size_t i = 0; i < m_recnos.size(); ++i)
    if (m_recnos[i] == recno) return static_cast<int>(i);
  return -1;
}

bool TableModel::isBand(int row) const {
  store::Table& t = table();
  switch (m_spec.band) {
    case Band::OddUnr:
      return static_cast<long long>(t.getNumber("UNR")) % 2 != 0;
    case Band::OddRecno:
      return t.recno() % 2 == 1;
    case Band::OddPosition:
      return row % 2 == 0;
    case Band::EveryFourthRow:
      return (t.recno() - 1) % 4 == 0;
    case Band::LsRows:
      return trimRight(t.getText("ART")) == "LS";
  }
  return false;
}

QVariant TableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  std::uint32_t recno = recnoAt(index.row());
  if (recno == 0) return {};
  store::Table& t = table();
  t.goTo(recno);
  if (t.eof()) return {};
  if (role == Qt::BackgroundRole) return isBand(index.row()) ? QVariant(bandColor()) : QVariant();
  int pos = t.fieldIndex(m_spec.columns[static_cast<std::size_t>(index.column())].field);
  const store::Field& f = t.structure()[static_cast<std::size_t>(pos - 1)];
  if (role == Qt::TextAlignmentRole && f.type == 'N')
    return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
  if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
  switch (f.type) {
    case 'N': {
      double v = t.getNumber(pos);
      if (role == Qt::EditRole) return v;
      return QString::number(v, 'f', f.decimals);
    }
    case 'D': {
      Date d = t.getDate(pos);
      if (role == Qt::EditRole) return d.isEmpty() ? QDate() : QDate(d.year(), d.month(), d.day());
      return app::toQString(d.format());
    }
    case 'L':
      return t.getLogical(pos);
    default:
      return app::toQString(trimRight(t.getText(pos)));
  }
}

bool TableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || role != Qt::EditRole) return false;
  std::uint32_t recno = recnoAt(index.row());
  const char* field = m_spec.columns[static_cast<std::size_t>(index.column())].field;
  Text text;
  if (value.typeId() == QMetaType::QDate) {
    QDate d = value.toDate();
    text = d.isValid() ? app::fromQString(d.toString(QStringLiteral("dd.MM.yyyy"))) : Text();
  } else {
    text = app::fromQString(value.toString());
  }
  if (!setField(table(), recno, field, text)) return false;
  // A changed key moves the record; the rows are read again in the table's order.
  refresh();
  return true;
}

QVariant TableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation == Qt::Vertical)
    return role == Qt::DisplayRole ? QVariant(QString()) : QVariant();
  if (section < 0 || section >= columnCount()) return {};
  // The full caption as a tooltip: the default widths cut some captions short.
  if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
    return app::toQString(m_spec.columns[static_cast<std::size_t>(section)].caption);
  if (role == Qt::BackgroundRole && section == m_highlight) return highlightColor();
  if (role == Qt::FontRole && section == m_highlight) {
    QFont f;
    f.setBold(true);
    return f;
  }
  return {};
}

Qt::ItemFlags TableModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable;
}

void TableModel::setHighlightColumn(int column) {
  m_highlight = column;
  emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

}  // namespace velmoran::pages
