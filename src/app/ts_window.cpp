#include "app/ts_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QToolBar>
#include <algorithm>

#include "app/column_layout_file.h"
#include "app/command_table.h"
#include "app/error_log.h"
#include "app/os_version.h"
#include "asdpc/lehrer_asd_writer.h"
#include "asdpc/plausibility.h"
#include "asdpc/plausibility_dialog.h"
#include "asdpc/uvd_txt_writer.h"
#include "backup/backup.h"
#include "backup/restore_dialog.h"
#include "help/guide.h"
#include "help/help_about_dialog.h"
#include "help/help_kurz_dialog.h"
#include "pages/data_window.h"
#include "pages/page_specs.h"
#include "pages/table_commands.h"
#include "store/files.h"
#include "transfer/conversion.h"
#include "transfer/untis_uvd.h"
#include "untis/gpu002_import.h"
#include "untis/gpu004_import.h"
#include "untis/lehrer_txt_import.h"
#include "untis/untis_dialog.h"
#include "untis/uvd_txt_import.h"

namespace velmoran::app {

namespace {
const QColor windowBackground(160, 180, 108);
}  // namespace

TSWindow::TSWindow(std::unique_ptr<Workspace> workspace, QtUi& ui, QWidget* parent)
    : QMainWindow(parent), m_ws(std::move(workspace)), m_ui(ui), m_tabs(new QTabWidget(this)) {
  setObjectName(QStringLiteral("TSWindow"));
  setWindowTitle(toQString(mainWindowCaption()));
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, windowBackground);
  setPalette(palette);
  setAutoFillBackground(true);

  for (const auto& spec : pages::pageSpecs()) {
    auto* page = new pages::bDataWindow(*m_ws, spec, m_search, m_tabs);
    page->setObjectName(QStringLiteral("TSTab_Page%1").arg(static_cast<int>(spec.page)));
    page->applyLayout(m_ws->layouts[static_cast<std::size_t>(spec.page) - 1]);
    m_pages[static_cast<std::size_t>(spec.page) - 1] = page;
    m_tabs->addTab(page, toQString(spec.tabCaption));
  }
  m_tabs->setCurrentIndex(1);
  setCentralWidget(m_tabs);
  buildMenus();
  buildToolBar();
  statusBar()->show();
  m_ui.setOwner(this);
  m_ui.onShowPage = [this](int p) { m_tabs->setCurrentIndex(p - 1); };

  QRect screen = QGuiApplication::primaryScreen()
                     ? QGuiApplication::primaryScreen()->availableGeometry()
                     : QRect(0, 0, 1280, 800);
  resize(screen.width() - 18, screen.height() - 60);
}

TSWindow::~TSWindow() {
  if (!m_closed && m_ws) m_ws->closeTables();
}

pages::bDataWindow& TSWindow::page(Page p) { return *m_pages[static_cast<std::size_t>(p) - 1]; }

pages::bDataWindow& TSWindow::currentPage() {
  return *m_pages[static_cast<std::size_t>(std::max(0, m_tabs->currentIndex()))];
}

QAction* TSWindow::action(const char* method) const {
  auto it = m_actions.find(method);
  return it == m_actions.end() ? nullptr : it->second;
}

void TSWindow::buildMenus() {
  for (const auto& c : commandSpecs()) {
    QString text = toQString(c.caption);
    if (*c.keyText) text += QLatin1Char('\t') + toQString(c.keyText);
    auto* a = new QAction(text, this);
    a->setObjectName(QString::fromLatin1(c.method));
    a->setStatusTip(toQString(c.status));
    if (*c.shortcut) {
      a->setShortcut(QKeySequence(QString::fromLatin1(c.shortcut)));
      a->setShortcutContext(Qt::WindowShortcut);
    }
    std::string method = c.method;
    connect(a, &QAction::triggered, this, [this, method] {
      QMetaObject::invokeMethod(this, method.c_str(), Qt::DirectConnection);
    });
    m_actions[c.method] = a;
  }
  // The bar in the order of the menus; "Untisdaten" is an item on the bar itself.
  for (const auto& m : app::menus()) {
    std::string_view caption = m.caption;
    QMenu* menu = nullptr;
    for (const auto& c : commandSpecs()) {
      if (caption != c.menu && !(!*c.menu && caption == c.caption)) continue;
      if (!*c.menu) {
        menuBar()->addAction(m_actions[c.method]);
        continue;
      }
      if (!menu) {
        menu = menuBar()->addMenu(toQString(m.caption));
        menu->menuAction()->setStatusTip(toQString(m.status));
      }
      if (c.separatorBefore) menu->addSeparator();
      menu->addAction(m_actions[c.method]);
    }
  }
}

void TSWindow::buildToolBar() {
  QToolBar* bar = addToolBar(toQString("Werkzeuge"));
  bar->setObjectName(QStringLiteral("ToolBar"));
  bar->setMovable(false);
  bar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  // Twenty-four buttons in one band: small icons and captions so the band fits a screen of
  // 1600 pixels without hiding the last groups behind the overflow arrow.
  bar->setIconSize(QSize(18, 18));
  double captionSize = bar->font().pointSizeF() * 0.8;
  bar->setStyleSheet(
      QStringLiteral("QToolBar { spacing: 0px; } QToolButton { padding: 1px; font-size: %1pt; }")
          .arg(captionSize, 0, 'f', 1));
  // One picture per group; the two backup buttons have no caption, so each has its own.
  static const QStyle::StandardPixmap groupIcons[] = {
      QStyle::SP_DialogOpenButton,    QStyle::SP_FileIcon,
      QStyle::SP_FileDialogNewFolder, QStyle::SP_FileDialogDetailedView,
      QStyle::SP_FileDialogListView,  QStyle::SP_ArrowRight,
      QStyle::SP_ComputerIcon,        QStyle::SP_DialogSaveButton,
      QStyle::SP_DialogHelpButton};
  auto iconOf = [](const ToolSpec& t) {
    if (std::string_view(t.method) == "RestoreData") return QStyle::SP_BrowserReload;
    return groupIcons[std::clamp(t.group, 1, 9) - 1];
  };
  int group = 1;
  for (const auto& t : toolSpecs()) {
    if (t.group != group) {
      bar->addSeparator();
      group = t.group;
    }
    auto* a = new QAction(toQString(t.caption), bar);
    a->setObjectName(QStringLiteral("tool_") + QString::fromLatin1(t.method));
    a->setToolTip(toQString(t.tooltip));
    a->setStatusTip(toQString(t.tooltip));
    a->setIcon(style()->standardIcon(iconOf(t)));
    std::string method = t.method;
    connect(a, &QAction::triggered, this, [this, method] {
      QMetaObject::invokeMethod(this, method.c_str(), Qt::DirectConnection);
    });
    bar->addAction(a);
  }
}

void TSWindow::runCommand(std::initializer_list<Page> affected,
                          const std::function<void()>& operation) {
  m_ui.busy(true);
  try {
    operation();
  } catch (const std::exception& e) {
    appendErrorLog(m_ws->dataDir(), e.what());
    m_ui.busy(false);
    m_ui.warning(programTitle, unforeseenErrorText(e.what()));
    m_ui.busy(true);
  }
  for (Page p : affected) page(p).refresh();
  m_ui.busy(false);
}

void TSWindow::showDialog(QDialog& dialog) {
  if (runDialog)
    runDialog(dialog);
  else
    dialog.exec();
}

// ---- the commands ----

void TSWindow::GetFromUntis() {
  runCommand({Page::Gpsul}, [this] { untis::getFromUntis(*m_ws, m_ui); });
}

void TSWindow::GetFromUVD() {
  runCommand({Page::Uvd}, [this] { untis::getFromUvd(*m_ws, m_ui); });
}

void TSWindow::WriteUVD() {
  runCommand({Page::Uvd}, [this] { asdpc::writeUvd(*m_ws, m_ui); });
}

void TSWindow::ReadGPU004Txt() {
  runCommand({Page::Lehrer}, [this] { untis::readGpu004Txt(*m_ws, m_ui); });
}

void TSWindow::ReadLehrerTxt() {
  runCommand({Page::MehrMinder}, [this] { untis::readLehrerTxt(*m_ws, m_ui); });
}

void TSWindow::WriteLehrerASD() {
  runCommand({Page::Lehrer, Page::MehrMinder}, [this] { asdpc::writeLehrerAsd(*m_ws, m_ui); });
}

void TSWindow::EndWindow() { close(); }

void TSWindow::AppendKartei() { currentPage().appendRecord(); }
void TSWindow::DeleteKartei() { currentPage().deleteRecord(); }

void TSWindow::DeleteTable() {
  Page p = currentPage().spec().page;
  runCommand({p}, [this, p] { pages::deleteTable(*m_ws, m_ui, p); });
}

void TSWindow::SeekTab() { currentPage().seekTab(); }
void TSWindow::GoTopKartei() { currentPage().goTop(); }
void TSWindow::SkipPreviousKartei() { currentPage().skipPrevious(); }
void TSWindow::SkipNextKartei() { currentPage().skipNext(); }
void TSWindow::GoBottomKartei() { currentPage().goBottom(); }
void TSWindow::ViewKartei() { currentPage().viewForm(); }
void TSWindow::ViewTabelle() { currentPage().viewTable(); }

void TSWindow::UntisUVD() {
  runCommand({Page::Gpsul, Page::Uvd, Page::Zulfach, Page::Fach, Page::Klasse},
             [this] { transfer::untisUvd(*m_ws, m_ui); });
}

void TSWindow::KonvertClasses() {
  runCommand({Page::Uvd, Page::Klasse}, [this] { transfer::konvertClasses(*m_ws, m_ui); });
}

void TSWindow::KonvertItems() {
  runCommand({Page::Uvd, Page::Fach}, [this] { transfer::konvertItems(*m_ws, m_ui); });
}

void TSWindow::CheckData() {
  std::vector<asdpc::Finding> findings;
  runCommand({}, [&] { findings = asdpc::checkDataCommand(*m_ws, m_ui); });
  if (m_check) m_check->close();
  if (findings.empty()) return;
  // The list stays open beside the pages, so each finding can be mended where it stands.
  m_check = new asdpc::PlausibilityDialog(*m_ws, m_ui, std::move(findings), this);
  m_check->setAttribute(Qt::WA_DeleteOnClose);
  connect(m_check, &QObject::destroyed, this, [this] { m_check = nullptr; });
  connect(m_check, &asdpc::PlausibilityDialog::recordChosen, this, [this](int p, unsigned recno) {
    m_tabs->setCurrentIndex(p - 1);
    page(static_cast<Page>(p)).selectRecno(recno);
  });
  m_check->show();
}

void TSWindow::StartUntis() {
  untis::UntisDialog dialog(*m_ws, m_ui, this);
  showDialog(dialog);
}

void TSWindow::SaveData() {
  runCommand({}, [this] { backup::saveData(*m_ws, m_ui); });
}

void TSWindow::RestoreData() {
  backup::RestoreDialog dialog(*m_ws, m_ui, this);
  showDialog(dialog);
  if (dialog.result() != 1) return;
  // The chosen tables were opened again under the pages; they show the restored content.
  for (auto* p : m_pages) {
    p->refresh();
    p->reloadCombos();
  }
}

void TSWindow::StartHelpAbout() {
  help::HelpAboutDialog dialog(
      *m_ws, m_ui, help::programFileDate(QApplication::applicationFilePath().toStdU16String()),
      this);
  showDialog(dialog);
  runCommand({}, [&] { help::finishAbout(*m_ws, m_ui, dialog.minuteModelChecked()); });
  for (auto* p : m_pages) p->reloadCombos();
  // Back to work in the grid, with the keys going to the main window.
  activateWindow();
  if (!currentPage().isFormView()) currentPage().browser().setFocus();
}

void TSWindow::ShowKurz() {
  std::optional<Text> text;
  runCommand({}, [&] { text = help::showKurz(*m_ws, m_ui); });
  if (!text) return;
  help::HelpKurzDialog dialog(toQString(*text), this);
  showDialog(dialog);
}

// ---- closing ----

void TSWindow::writeColumnLayouts() {
  std::array<std::vector<ColumnState>, pageCount> columns;
  for (std::size_t i = 0; i < m_pages.size(); ++i) columns[i] = m_pages[i]->columnStates();
  // A layout file that cannot be written is silently not saved.
  static_cast<void>(store::writeFileAtomically(m_ws->dataFile(columnLayoutFileName),
                                               formatColumnLayouts(columns)));
}

void TSWindow::closeEvent(QCloseEvent* event) {
  if (m_closed) {
    event->accept();
    return;
  }
  if (!m_ui.askYesNo(programTitle,
                     std::string("Wollen Sie ") + programTitle + " wirklich beenden ?")) {
    event->ignore();
    return;
  }
  if (!m_ws->LRESTORED) writeColumnLayouts();
  m_ws->closeTables();
  m_closed = true;
  event->accept();
}

}  // namespace velmoran::app
