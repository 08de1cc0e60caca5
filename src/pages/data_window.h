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
  void setItemDelegate(QAbstractItemDelegate* delegate);
  QTableView* frozenView() const { return m_frozen; }

protected:
  void resizeEvent(QResizeEvent* event) override;
  bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
  QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
  void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

private:
  void updateFrozenGeometry();
  QTableView* m_frozen;
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

private:
  void buildForm();
  void onCaptionClicked(int column);

  app::Workspace& m_ws;
  const PageSpec& m_spec;
  SearchState& m_search;
  std::unique_ptr<TableModel> m_model;
  CellDelegate* m_delegate;
  QStackedWidget* m_stack;
  bDataBrowser* m_browser;
  QWidget* m_form;
  QDataWidgetMapper* m_mapper;
  std::vector<std::pair<const char*, QComboBox*>> m_formCombos;
  int m_column = 0;  // the grid's current column, kept across the model's resets
};

}  // namespace velmoran::pages
