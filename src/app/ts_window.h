#pragma once
// TSWindow: the program's main window. A tab strip with the seven pages, the menu bar,
// toolbar and accelerators built from the command table, and the status bar. Every command
// arrives at the method of its name, which runs the operation on the workspace and then
// re-reads the pages whose tables it changed.

#include <QMainWindow>
#include <array>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "app/command_table.h"
#include "app/qt_ui.h"
#include "app/workspace.h"
#include "pages/column_search.h"

class QTabWidget;
class QAction;
class QLabel;

namespace velmoran::pages {
class bDataWindow;
}
namespace velmoran::asdpc {
class PlausibilityDialog;
struct Finding;
}  // namespace velmoran::asdpc

namespace velmoran::app {

class TSWindow : public QMainWindow {
  Q_OBJECT
public:
  TSWindow(std::unique_ptr<Workspace> workspace, QtUi& ui, QWidget* parent = nullptr);
  ~TSWindow() override;

  Workspace& workspace() { return *m_ws; }
  QTabWidget* tabs() const { return m_tabs; }
  pages::bDataWindow& page(Page page);
  pages::bDataWindow& currentPage();
  // The menu action of a command.
  QAction* action(Command command) const;
  pages::SearchState& searchState() { return m_search; }
  // The list of the last plausibility check, while it is open.
  asdpc::PlausibilityDialog* plausibilityDialog() const { return m_check; }
  // The status bar: what the last command did, and where the user stands on the current page.
  QString statusLineText() const;
  QString positionText() const;
  // A dropped file: GPU002.TXT, UVD.TXT, GPU004.TXT or LEHRER.TXT (any case) is imported as
  // the menu would import it. False for any other file.
  bool importDroppedFile(const std::filesystem::path& file);

  // The info dialog replaced in tests: it gets the dialog and runs it (default: exec()).
  std::function<void(QDialog&)> runDialog;

public slots:
  void GetFromUntis();
  void GetFromUVD();
  void WriteUVD();
  void ReadGPU004Txt();
  void ReadLehrerTxt();
  void WriteLehrerASD();
  void EndWindow();
  void AppendKartei();
  void DeleteKartei();
  void DeleteTable();
  void SeekTab();
  void GoTopKartei();
  void SkipPreviousKartei();
  void SkipNextKartei();
  void GoBottomKartei();
  void ViewKartei();
  void ViewTabelle();
  void UntisUVD();
  void KonvertClasses();
  void KonvertItems();
  void CheckData();
  void StartUntis();
  void SaveData();
  void RestoreData();
  void StartHelpAbout();
  void ShowKurz();

protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

private:
  using Slot = void (TSWindow::*)();
  // The method that runs a command; every command has one, or this does not compile.
  static Slot slotOf(Command command);
  void buildMenus();
  void buildToolBar();
  void buildStatusBar();
  void updatePosition();
  void updateTabCaptions();
  // Opens the list of findings beside the pages (nothing when there are none).
  void showFindings(std::vector<asdpc::Finding> findings);
  // Runs an operation with the wait cursor; an unforeseen error is logged and shown; the
  // pages of the given tables are read again once afterwards.
  void runCommand(std::initializer_list<Page> affected, const std::function<void()>& operation);
  void showDialog(QDialog& dialog);
  void writeColumnLayouts();

  std::unique_ptr<Workspace> m_ws;
  QtUi& m_ui;
  QTabWidget* m_tabs;
  std::array<pages::bDataWindow*, pageCount> m_pages{};
  std::map<Command, QAction*> m_actions;
  pages::SearchState m_search;
  asdpc::PlausibilityDialog* m_check = nullptr;
  QLabel* m_statusLine = nullptr;
  QLabel* m_position = nullptr;
  bool m_closed = false;
};

}  // namespace velmoran::app
