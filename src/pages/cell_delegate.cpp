#include "pages/cell_delegate.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDateEdit>
#include <QScrollBar>

#include "app/qt_ui.h"

namespace velmoran::pages {

CellDelegate::CellDelegate(app::Workspace& ws, TableModel& model, QObject* parent)
    : QStyledItemDelegate(parent), m_ws(ws), m_model(model) {}

QWidget* CellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const {
  const ColumnSpec& column = m_model.spec().columns[static_cast<std::size_t>(index.column())];
  switch (column.editor) {
    case Editor::Combo: {
      auto* combo = new QComboBox(parent);
      combo->setEditable(true);
      combo->setInsertPolicy(QComboBox::NoInsert);
      // The list may depend on the row (page 7 offers a key catalog only on rows of its kind).
      m_model.table().goTo(m_model.recnoAt(index.row()));
      for (const Text& entry : comboList(m_ws, m_model.spec().page, column.field))
        combo->addItem(app::toQString(entry));
      // The list opens as wide as its entries, also below a narrow column.
      combo->view()->setMinimumWidth(combo->view()->sizeHintForColumn(0) +
                                     combo->view()->verticalScrollBar()->sizeHint().width());
      return combo;
    }
    case Editor::Date: {
      auto* edit = new QDateEdit(parent);
      edit->setCalendarPopup(true);
      edit->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
      edit->setSpecialValueText(QStringLiteral(" "));
      edit->setMinimumDate(QDate(1900, 1, 1));
      return edit;
    }
    case Editor::Text:
      break;
  }
  return QStyledItemDelegate::createEditor(parent, option, index);
}

void CellDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
  if (auto* combo = qobject_cast<QComboBox*>(editor)) {
    QString value = index.data(Qt::DisplayRole).toString();
    int i = combo->findText(value);
    if (i >= 0)
      combo->setCurrentIndex(i);
    else
      combo->setEditText(value);
    return;
  }
  if (auto* date = qobject_cast<QDateEdit*>(editor)) {
    QDate d = index.data(Qt::EditRole).toDate();
    date->setDate(d.isValid() ? d : date->minimumDate());
    return;
  }
  QStyledItemDelegate::setEditorData(editor, index);
}

void CellDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                const QModelIndex& index) const {
  if (auto* combo = qobject_cast<QComboBox*>(editor)) {
    model->setData(index, combo->currentText(), Qt::EditRole);
    return;
  }
  if (auto* date = qobject_cast<QDateEdit*>(editor)) {
    QDate d = date->date();
    model->setData(index, d == date->minimumDate() ? QDate() : d, Qt::EditRole);
    return;
  }
  QStyledItemDelegate::setModelData(editor, model, index);
}

}  // namespace velmoran::pages
