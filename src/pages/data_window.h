#pragma once
// bDataWindow: a page of the main window, one table shown either as a grid (table view) or
// as one record in a form (form view). bDataBrowser is its grid: a QTableView over the
// page's TableModel with a row selector and a frozen first column.

#include <QTableView>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "app/column_layout_file.h"
#include "app/workspace.h"
#include "pages/column_search.h"
#include "pages/table_model.h"

class QStackedWidget;
class QDataWidgetMapper;
class QComboBox;

namespace velmoran::pages {

class CellDelegate;

class bDataBrowser : public QTableView {
  Q_OBJECT
public:
  explicit bDataBrowser(QWidget* parent = nullptr);
  void setModel(QAbstractItemModel* model) override;
  // Each view its own delegate: a view takes the editors of a shared one for strays.
  void setItemDelegates(QAbstractItemDelegate* grid, QAbstractItemDelegate* frozen);
  QTableView* frozenView() const { return m_frozen; }
  // The line the empty grid shows: what fills the table.
  void setEmptyText(const QString& text) { m_emptyText = text; }
  // The width a column's values need, as far as the grid has read them.
  int contentWidth(int column) const { return sizeHintForColumn(column); }

protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
  QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
  void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

private:
  void updateFrozenGeometry();
  // The frozen column hides while there are no rows, so the empty grid's line shows whole.
  void updateFrozenVisibility();
  QTableView* m_frozen;
  QString m_emptyText;
};

class bDataWindow : public QWidget {
  Q_OBJECT
public:
  bDataWindow(app::Workspace& ws, const PageSpec& spec, SearchState& search,
              QWidget* parent = nullptr);
  ~bDataWindow() override;

  const PageSpec& spec() const { return m_spec; }
  TableModel& model() { return *m_model; }
  bDataBrowser& browser() { return *m_browser; }
  bool isFormView() const;

  // The record commands of the main window.
  void appendRecord();
  void deleteRecord();
  void goTop();
  void skipPrevious();
  void skipNext();
  void goBottom();
  void viewForm();
  void viewTable();
  void seekTab();

  std::uint32_t currentRecno() const;
  // "Datensatz 712 von 860": where the user stands on this page.
  Text positionText() const;
  void selectRecno(std::uint32_t recno);
  int currentRow() const;
  void selectRow(int row);
  // Re-read the table after a command changed it, keeping the current record when it is still
  // shown.
  void refresh();
  // Refill the form's combo boxes from the catalogs.
  void reloadCombos();

  void applyLayout(const app::ColumnLayout& layout);
  std::vector<app::ColumnState> columnStates() const;

  // Asks for the search text; the main window replaces it in tests.
  std::function<std::optional<Text>(const Text& columnCaption, const Text& lastText)> askSearchText;

signals:
  // The current record or the number of records changed.
  void positionChanged();
  // A line for the status bar about what the page did ("Kein passender Datensatz gefunden.").
  void statusLine(const QString& line);

private:
  void buildForm();
  // Default widths: at least the caption's width; the course-kind column as wide as its values
  // need, up to its default, while the user has not set its width.
  void fitColumnWidths();
  void scrollToCurrent();
  void onCaptionClicked(int column);

  app::Workspace& m_ws;
  const PageSpec& m_spec;
  SearchState& m_search;
  std::unique_ptr<TableModel> m_model;
  QStackedWidget* m_stack;
  bDataBrowser* m_browser;
  QWidget* m_form;
  QDataWidgetMapper* m_mapper;
  std::vector<std::pair<const char*, QComboBox*>> m_formCombos;
  int m_column = 0;                // the grid's current column, kept across the model's resets
  std::vector<int> m_fittedWidth;  // per column the width fitColumnWidths gave it, 0: none
};

}  // namespace velmoran::pages
