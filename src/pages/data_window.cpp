#include "pages/data_window.h"

#include <QComboBox>
#include <QDataWidgetMapper>
#include <QDateEdit>
#include <QFont>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/qt_ui.h"
#include "pages/cell_delegate.h"
#include "pages/seek_dialog.h"

namespace velmoran::pages {

// ---- bDataBrowser: the grid, with its first column frozen by an overlaid second view ----

namespace {

// The view over the grid's first column. A cell of that column is edited here: the grid's
// own editor would open underneath this view and stay hidden.
class FrozenColumnView : public QTableView {
public:
  using QTableView::QTableView;
  bool editCell(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    return edit(index, trigger, event);
  }
};

}  // namespace

bDataBrowser::bDataBrowser(QWidget* parent)
    : QTableView(parent), m_frozen(new FrozenColumnView(this)) {
  setObjectName(QStringLiteral("bDataBrowser"));
  // The default column widths are pixels for a small grid font; a larger font would cut
  // numbers and dates short in their columns. The frozen view and the headers inherit it.
  QFont small = font();
  if (small.pointSizeF() > 8.0) small.setPointSizeF(8.0);
  setFont(small);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                  QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
  setHorizontalScrollMode(ScrollPerPixel);
  verticalHeader()->setDefaultSectionSize(22);
  verticalHeader()->setFixedWidth(18);  // the row selector
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  horizontalHeader()->setSectionsMovable(true);
  horizontalHeader()->setHighlightSections(false);
  // Captions start at the left edge, so one cut short by a narrow column still shows its
  // beginning (the whole caption is its tooltip).
  horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);

  m_frozen->setObjectName(QStringLiteral("frozenColumn"));
  m_frozen->setFocusPolicy(Qt::NoFocus);
  m_frozen->verticalHeader()->hide();
  m_frozen->horizontalHeader()->setDefaultAlignment(horizontalHeader()->defaultAlignment());
  m_frozen->horizontalHeader()->setHighlightSections(false);
  m_frozen->verticalHeader()->setDefaultSectionSize(22);
  m_frozen->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  m_frozen->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  m_frozen->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  m_frozen->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  m_frozen->setStyleSheet(QStringLiteral("QTableView { border: none; }"));
  m_frozen->setEditTriggers(editTriggers());
  viewport()->stackUnder(m_frozen);
  connect(horizontalHeader(), &QHeaderView::sectionResized, this,
          [this](int logical, int, int size) {
            if (logical == 0) {
              m_frozen->setColumnWidth(0, size);
              updateFrozenGeometry();
            }
          });
  connect(m_frozen->verticalScrollBar(), &QAbstractSlider::valueChanged, verticalScrollBar(),
          &QAbstractSlider::setValue);
  connect(verticalScrollBar(), &QAbstractSlider::valueChanged, m_frozen->verticalScrollBar(),
          &QAbstractSlider::setValue);
}

void bDataBrowser::setModel(QAbstractItemModel* model) {
  QTableView::setModel(model);
  m_frozen->setModel(model);
  m_frozen->setSelectionModel(selectionModel());
  for (int c = 1; c < model->columnCount(); ++c) m_frozen->setColumnHidden(c, true);
  connect(model, &QAbstractItemModel::modelReset, this, [this, model] {
    for (int c = 1; c < model->columnCount(); ++c) m_frozen->setColumnHidden(c, true);
    updateFrozenVisibility();
  });
  connect(model, &QAbstractItemModel::rowsInserted, this, &bDataBrowser::updateFrozenVisibility);
  connect(model, &QAbstractItemModel::rowsRemoved, this, &bDataBrowser::updateFrozenVisibility);
  m_frozen->setColumnWidth(0, columnWidth(0));
  updateFrozenGeometry();
  updateFrozenVisibility();
}

void bDataBrowser::updateFrozenVisibility() {
  m_frozen->setHidden(!model() || model()->rowCount() == 0);
}

void bDataBrowser::paintEvent(QPaintEvent* event) {
  QTableView::paintEvent(event);
  if (!model() || model()->rowCount() > 0 || m_emptyText.isEmpty()) return;
  QPainter painter(viewport());
  painter.setPen(palette().color(QPalette::PlaceholderText));
  const int margin = verticalHeader()->defaultSectionSize() / 2;
  painter.drawText(viewport()->rect().adjusted(margin, margin, -margin, -margin),
                   Qt::AlignLeft | Qt::AlignTop, m_emptyText);
}

void bDataBrowser::setItemDelegates(QAbstractItemDelegate* grid, QAbstractItemDelegate* frozen) {
  setItemDelegate(grid);
  m_frozen->setItemDelegate(frozen);
}

bool bDataBrowser::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
  if (index.column() == 0 && m_frozen->isVisible())
    return static_cast<FrozenColumnView*>(m_frozen)->editCell(index, trigger, event);
  return QTableView::edit(index, trigger, event);
}

void bDataBrowser::resizeEvent(QResizeEvent* event) {
  QTableView::resizeEvent(event);
  updateFrozenGeometry();
}

QModelIndex bDataBrowser::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
  QModelIndex current = QTableView::moveCursor(action, modifiers);
  // Keep the cell left of the frozen column's edge in view when moving with the keyboard.
  if (action == MoveLeft && current.column() > 0 &&
      visualRect(current).topLeft().x() < m_frozen->columnWidth(0)) {
    int newValue = horizontalScrollBar()->value() + visualRect(current).topLeft().x() -
                   m_frozen->columnWidth(0);
    horizontalScrollBar()->setValue(newValue);
  }
  return current;
}

void bDataBrowser::scrollTo(const QModelIndex& index, ScrollHint hint) {
  if (index.column() > 0) QTableView::scrollTo(index, hint);
}

void bDataBrowser::updateFrozenGeometry() {
  // The two headers size themselves by their own visible captions; the frozen one follows.
  m_frozen->horizontalHeader()->setFixedHeight(horizontalHeader()->height());
  m_frozen->setGeometry(verticalHeader()->width() + frameWidth(), frameWidth(), columnWidth(0),
                        viewport()->height() + horizontalHeader()->height());
}

// ---- bDataWindow ----

bDataWindow::bDataWindow(app::Workspace& ws, const PageSpec& spec, SearchState& search,
                         QWidget* parent)
    : QWidget(parent),
      m_ws(ws),
      m_spec(spec),
      m_search(search),
      m_model(std::make_unique<TableModel>(ws, spec)),
      m_stack(new QStackedWidget(this)),
      m_browser(new bDataBrowser(this)),
      m_form(new QWidget(this)),
      m_mapper(new QDataWidgetMapper(this)) {
  m_browser->setModel(m_model.get());
  m_browser->setItemDelegates(new CellDelegate(ws, *m_model, m_browser),
                              new CellDelegate(ws, *m_model, m_browser->frozenView()));
  m_browser->setEmptyText(app::toQString(spec.emptyText));
  m_fittedWidth.assign(spec.columns.size(), 0);
  fitColumnWidths();
  if (spec.captionClickSorts)
    connect(m_browser->horizontalHeader(), &QHeaderView::sectionClicked, this,
            &bDataWindow::onCaptionClicked);
  buildForm();
  auto* scroll = new QScrollArea(this);
  m_form->setMaximumWidth(900);  // labels and fields stay together on a wide window
  scroll->setWidget(m_form);
  scroll->setWidgetResizable(true);
  scroll->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  m_stack->addWidget(m_browser);
  m_stack->addWidget(scroll);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(m_stack);
  connect(m_browser->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) { m_mapper->setCurrentIndex(current.row()); });
  connect(m_browser->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) {
            if (current.isValid()) m_column = current.column();
            emit positionChanged();
          });
  // An edited key moves its record: the grid follows it to its new place.
  connect(m_model.get(), &QAbstractItemModel::rowsMoved, this, &bDataWindow::scrollToCurrent);
  connect(m_model.get(), &QAbstractItemModel::rowsInserted, this, &bDataWindow::positionChanged);
  connect(m_model.get(), &QAbstractItemModel::rowsRemoved, this, &bDataWindow::positionChanged);
  connect(m_model.get(), &QAbstractItemModel::modelReset, this, &bDataWindow::positionChanged);
  selectRow(0);
}

bDataWindow::~bDataWindow() = default;

void bDataWindow::buildForm() {
  auto* layout = new QFormLayout(m_form);
  m_mapper->setModel(m_model.get());
  m_mapper->setItemDelegate(new CellDelegate(m_ws, *m_model, m_mapper));
  m_mapper->setSubmitPolicy(QDataWidgetMapper::AutoSubmit);
  for (std::size_t c = 0; c < m_spec.columns.size(); ++c) {
    const ColumnSpec& column = m_spec.columns[c];
    QWidget* editor = nullptr;
    switch (column.editor) {
      case Editor::Text:
        editor = new QLineEdit(m_form);
        break;
      case Editor::Date: {
        auto* date = new QDateEdit(m_form);
        date->setCalendarPopup(true);
        date->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
        date->setSpecialValueText(QStringLiteral(" "));
        date->setMinimumDate(QDate(1900, 1, 1));
        editor = date;
        break;
      }
      case Editor::Combo: {
        auto* combo = new QComboBox(m_form);
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setMinimumWidth(360);
        m_formCombos.emplace_back(column.field, combo);
        editor = combo;
        break;
      }
    }
    editor->setObjectName(QStringLiteral("ODC") + QString::fromLatin1(column.field));
    layout->addRow(app::toQString(column.formLabel), editor);
    m_mapper->addMapping(editor, static_cast<int>(c));
  }
  reloadCombos();
}

void bDataWindow::reloadCombos() {
  for (auto& [field, combo] : m_formCombos) {
    std::vector<Text> list;
    if (m_spec.page == app::Page::MehrMinder) {
      // The form offers each key catalog whole; the grid restricts it by the row's kind.
      const auto& c = m_ws.catalogs;
      list = std::string_view(field) == "NICHT"  ? c.ANICHT
             : std::string_view(field) == "MEHR" ? c.AMEHR
                                                 : c.AMINDER;
    } else if (m_spec.page == app::Page::Lehrer && std::string_view(field) == "GESCHLECHT") {
      list = m_ws.catalogs.sex;
    } else if (m_spec.page == app::Page::Lehrer && std::string_view(field) == "EINSATZ") {
      list = m_ws.catalogs.einsatz;
    } else {
      list = comboList(m_ws, m_spec.page, field);
    }
    std::sort(list.begin(), list.end());
    QSignalBlocker block(combo);
    QString current = combo->currentText();
    combo->clear();
    for (const Text& entry : list) combo->addItem(app::toQString(entry));
    combo->setEditText(current);
  }
  m_mapper->revert();
}

bool bDataWindow::isFormView() const { return m_stack->currentIndex() == 1; }

int bDataWindow::currentRow() const { return m_browser->currentIndex().row(); }

std::uint32_t bDataWindow::currentRecno() const { return m_model->recnoAt(currentRow()); }

Text bDataWindow::positionText() const {
  const int rows = m_model->rowCount();
  if (rows == 0) return "Keine Datensätze";
  return "Datensatz " + std::to_string(std::max(0, currentRow()) + 1) + " von " +
         std::to_string(rows);
}

void bDataWindow::selectRow(int row) {
  if (m_model->rowCount() == 0) {
    m_mapper->setCurrentIndex(-1);
    return;
  }
  row = std::clamp(row, 0, m_model->rowCount() - 1);
  // A reset of the model clears the grid's current cell; the column stays the one chosen.
  m_browser->setCurrentIndex(m_model->index(row, m_column));
  scrollToCurrent();
  m_mapper->setCurrentIndex(row);
}

void bDataWindow::scrollToCurrent() {
  const int row = currentRow();
  if (row < 0) return;
  // A grid not yet shown has no width: scrolling a cell into view sideways there would leave
  // it scrolled past the frozen column once it appears.
  if (m_browser->isVisible())
    static_cast<QTableView*>(m_browser)->scrollTo(m_model->index(row, std::max(1, m_column)));
  else
    m_browser->verticalScrollBar()->setValue(row);
}

void bDataWindow::selectRecno(std::uint32_t recno) {
  selectRow(std::max(0, m_model->rowOf(recno)));
}

void bDataWindow::fitColumnWidths() {
  QHeaderView* header = m_browser->horizontalHeader();
  for (std::size_t c = 0; c < m_spec.columns.size(); ++c) {
    const int column = static_cast<int>(c);
    const int width = m_browser->columnWidth(column);
    // A width the user chose, or one read from the saved layout, stays.
    if (m_fittedWidth[c] != 0 && width != m_fittedWidth[c]) continue;
    const int caption = header->sectionSizeHint(column);
    int fitted = std::max(m_spec.columns[c].width, caption);
    if (std::string_view(m_spec.columns[c].field) == "KURSART")
      fitted = std::clamp(m_browser->contentWidth(column), caption, m_spec.columns[c].width);
    m_browser->setColumnWidth(column, fitted);
    m_fittedWidth[c] = fitted;
  }
}

void bDataWindow::refresh() {
  std::uint32_t recno = currentRecno();
  int row = currentRow();
  m_model->refresh();
  fitColumnWidths();
  int again = m_model->rowOf(recno);
  selectRow(again >= 0 ? again : row);
}

void bDataWindow::appendRecord() {
  store::Table& t = m_model->table();
  t.append();
  std::uint32_t recno = t.recno();
  t.flush();
  m_model->placeRecord(recno);
  selectRecno(recno);
}

void bDataWindow::deleteRecord() {
  std::uint32_t recno = currentRecno();
  if (recno == 0) return;
  int row = currentRow();
  store::Table& t = m_model->table();
  t.goTo(recno);
  t.remove();
  t.flush();
  m_model->placeRecord(recno);
  selectRow(row);
}

void bDataWindow::goTop() { selectRow(0); }
void bDataWindow::skipPrevious() { selectRow(currentRow() - 1); }
void bDataWindow::skipNext() { selectRow(currentRow() + 1); }
void bDataWindow::goBottom() { selectRow(m_model->rowCount() - 1); }

void bDataWindow::viewForm() {
  m_mapper->setCurrentIndex(currentRow());
  m_stack->setCurrentIndex(1);
}

void bDataWindow::viewTable() {
  m_mapper->submit();
  m_stack->setCurrentIndex(0);
  m_browser->setFocus();
}

void bDataWindow::seekTab() {
  int column = m_browser->currentIndex().isValid() ? m_browser->currentIndex().column() : m_column;
  const ColumnSpec& spec = m_spec.columns[static_cast<std::size_t>(column)];
  std::optional<Text> text;
  if (askSearchText) {
    text = askSearchText(spec.caption, m_search.lastText);
  } else {
    SeekDialog dialog(app::toQString(spec.caption), app::toQString(m_search.lastText), this);
    dialog.exec();
    text = app::fromQString(dialog.result());
  }
  store::Table& t = m_model->table();
  auto hit = columnSearch(t, m_search, t.fieldIndex(spec.field), text.value_or(Text()));
  if (!hit) return;
  selectRecno(hit->recno);
  m_browser->setFocus();
  // The search stands on the last record when nothing matched: that must not look like a hit.
  emit statusLine(hit->found ? QString() : app::toQString("Kein passender Datensatz gefunden."));
}

void bDataWindow::onCaptionClicked(int column) {
  int order = sortOrderForField(m_spec.columns[static_cast<std::size_t>(column)].field);
  m_model->setHighlightColumn(order == 0 ? -1 : column);
  m_model->table().setOrder(order);
  m_model->refresh();
  selectRow(0);
}

void bDataWindow::applyLayout(const app::ColumnLayout& layout) {
  QHeaderView* header = m_browser->horizontalHeader();
  int count = m_model->columnCount();
  // A layout written for another column count is applied as far as it goes.
  for (int k = 0; k < count && k < static_cast<int>(layout.size()); ++k) {
    auto [width, position] = layout[static_cast<std::size_t>(k)];
    if (width > 0) m_browser->setColumnWidth(k, width);
    if (k > 0 && position >= 1 && position <= count && position != k + 1)
      header->moveSection(header->visualIndex(k), position - 1);
  }
}

std::vector<app::ColumnState> bDataWindow::columnStates() const {
  std::vector<app::ColumnState> states;
  QHeaderView* header = m_browser->horizontalHeader();
  for (int k = 0; k < m_model->columnCount(); ++k)
    states.push_back({m_spec.columns[static_cast<std::size_t>(k)].caption,
                      std::min(999, header->sectionSize(k)), header->visualIndex(k) + 1});
  return states;
}

}  // namespace velmoran::pages
