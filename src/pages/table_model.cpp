#include "pages/table_model.h"

#include <QDate>
#include <QFont>
#include <cmath>
#include <cstdio>

#include "app/qt_ui.h"
#include "pages/table_commands.h"
#include "transfer/conversion.h"

namespace velmoran::pages {

namespace {

// "4,000", "8", "-1,50": the decimal comma and the field's decimals, no thousands separator
// (a German reader takes "4.000" for four thousand).
QString germanNumber(double value, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, value + 0.0);
  QString text = QString::fromLatin1(buf);
  text.replace(QLatin1Char('.'), QLatin1Char(','));
  return text;
}

}  // namespace

TableModel::TableModel(app::Workspace& ws, const PageSpec& spec, QObject* parent)
    : QAbstractTableModel(parent), m_ws(ws), m_spec(spec), m_highlight(spec.highlightColumn) {
  refresh();
}

store::Table& TableModel::table() const { return m_ws.table(m_spec.page); }

QColor TableModel::bandColor() { return QColor(230, 238, 206); }
QColor TableModel::highlightColor() { return QColor(255, 232, 150); }
QColor TableModel::attentionColor() { return QColor(250, 200, 180); }

void TableModel::refresh() {
  beginResetModel();
  store::Table& t = table();
  m_recnos = t.visibleRecnos();
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

QString TableModel::cellText(const store::Field& field, int position) const {
  const store::Table& t = table();
  switch (field.type) {
    case 'N':
      return germanNumber(t.getNumber(position), field.decimals);
    case 'D':
      return app::toQString(t.getDate(position).format());
    default:
      return app::toQString(trimRight(t.getText(position)));
  }
}

QVariant TableModel::data(const QModelIndex& index, int role) const {
  // After the window closed its tables the grid may still paint once.
  if (!index.isValid() || !m_ws.tablesOpen()) return {};
  std::uint32_t recno = recnoAt(index.row());
  if (recno == 0) return {};
  store::Table& t = table();
  t.goTo(recno);
  if (t.eof()) return {};
  if (role == Qt::BackgroundRole) {
    // A subject or class that still lacks its new name stands out over the band.
    if (transfer::lacksNewName(t, m_spec.page)) return attentionColor();
    return isBand(index.row()) ? QVariant(bandColor()) : QVariant();
  }
  int pos = t.fieldIndex(m_spec.columns[static_cast<std::size_t>(index.column())].field);
  const store::Field& f = t.structure()[static_cast<std::size_t>(pos - 1)];
  if (role == Qt::TextAlignmentRole && f.type == 'N')
    return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
  if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
  if (f.type == 'L') return t.getLogical(pos);
  if (f.type == 'D' && role == Qt::EditRole) {
    // The date picker edits a date; the empty date is its blank minimum.
    Date d = t.getDate(pos);
    return d.isEmpty() ? QDate() : QDate(d.year(), d.month(), d.day());
  }
  // Numbers are edited as the text they are shown as, so grid, form and editor agree.
  return cellText(f, pos);
}

bool TableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || role != Qt::EditRole || !m_ws.tablesOpen()) return false;
  std::uint32_t recno = recnoAt(index.row());
  const char* field = m_spec.columns[static_cast<std::size_t>(index.column())].field;
  QString text;
  if (value.typeId() == QMetaType::QDate) {
    QDate d = value.toDate();
    text = d.isValid() ? d.toString(QStringLiteral("dd.MM.yyyy")) : QString();
  } else {
    text = value.toString();
  }
  store::Table& t = table();
  t.goTo(recno);
  if (t.eof()) return false;
  // The form hands back every field when it is left; one that stands as shown is not written.
  int pos = t.fieldIndex(field);
  if (pos > 0 && text == cellText(t.structure()[static_cast<std::size_t>(pos - 1)], pos))
    return true;
  if (!setField(t, recno, field, app::fromQString(text))) return false;
  placeRecord(recno);
  return true;
}

void TableModel::placeRecord(std::uint32_t recno) {
  const int from = rowOf(recno);
  store::Table& t = table();
  t.goTo(recno);
  if (t.eof() || (t.deleted() && !t.deletedVisible())) {
    if (from < 0) return;
    beginRemoveRows({}, from, from);
    m_recnos.erase(m_recnos.begin() + from);
    endRemoveRows();
    return;
  }
  // The record's row follows the row of the record before it in the table's order.
  t.skip(-1);
  int before = -1;
  if (!t.bof()) {
    before = rowOf(t.recno());
    if (before < 0) {  // the rows are not the table's any more: read them all again
      refresh();
      return;
    }
  }
  if (from < 0) {
    beginInsertRows({}, before + 1, before + 1);
    m_recnos.insert(m_recnos.begin() + before + 1, recno);
    endInsertRows();
    return;
  }
  const int to = from < before ? before : before + 1;
  if (to != from) {
    beginMoveRows({}, from, from, {}, to > from ? to + 1 : to);
    m_recnos.erase(m_recnos.begin() + from);
    m_recnos.insert(m_recnos.begin() + to, recno);
    endMoveRows();
  }
  emit dataChanged(index(to, 0), index(to, columnCount() - 1));
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
