#include "app/ts_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QToolBar>
#include <QUrl>
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

// An Untis export or a UVD.TXT dropped on the window: recognised by its name, whatever its
// case, and imported as the menu imports it once the file is chosen.
struct DropTarget {
  const char* fileName;
  Page page;
  void (*import)(Workspace&, Ui&, const std::filesystem::path&);
};
constexpr DropTarget dropTargets[] = {
    {"GPU002.TXT", Page::Gpsul, untis::importGpu002},
    {"UVD.TXT", Page::Uvd, untis::importUvd},
    {"GPU004.TXT", Page::Lehrer, untis::importGpu004},
    {"LEHRER.TXT", Page::MehrMinder, untis::importLehrerTxt},
};

const DropTarget* dropTargetOf(const std::filesystem::path& file) {
  const QString name = QString::fromStdU16String(file.filename().u16string());
  for (const DropTarget& t : dropTargets)
    if (name.compare(QLatin1String(t.fileName), Qt::CaseInsensitive) == 0) return &t;
  return nullptr;
}

std::vector<std::filesystem::path> droppedFiles(const QMimeData* mime) {
  std::vector<std::filesystem::path> files;
  if (!mime) return files;
  for (const QUrl& url : mime->urls())
    if (url.isLocalFile()) files.emplace_back(url.toLocalFile().toStdU16String());
  return files;
}

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
  buildStatusBar();
  m_ui.setOwner(this);
  m_ui.onShowPage = [this](int p) { m_tabs->setCurrentIndex(p - 1); };
  m_ui.onStatus = [this](const QString& line) { m_statusLine->setText(line); };
  // The conversion pages count in their tab captions the rows that still need a new name.
  for (Page p : {Page::Fach, Page::Klasse}) {
    const pages::TableModel* model = &page(p).model();
    connect(model, &QAbstractItemModel::dataChanged, this, &TSWindow::updateTabCaptions);
    connect(model, &QAbstractItemModel::rowsInserted, this, &TSWindow::updateTabCaptions);
    connect(model, &QAbstractItemModel::rowsRemoved, this, &TSWindow::updateTabCaptions);
    connect(model, &QAbstractItemModel::modelReset, this, &TSWindow::updateTabCaptions);
  }
  updateTabCaptions();
  setAcceptDrops(true);

  QRect screen = QGuiApplication::primaryScreen()
                     ? QGuiApplication::primaryScreen()->availableGeometry()
                     : QRect(0, 0, 1280, 800);
  resize(screen.width() - 18, screen.height() - 60);
}

TSWindow::~TSWindow() {
  // The pages go first: an editor still open hands its value to its table as it goes.
  delete m_tabs;
  if (!m_closed && m_ws) m_ws->closeTables();
}

pages::bDataWindow& TSWindow::page(Page p) { return *m_pages[static_cast<std::size_t>(p) - 1]; }

pages::bDataWindow& TSWindow::currentPage() {
  return *m_pages[static_cast<std::size_t>(std::max(0, m_tabs->currentIndex()))];
}

QAction* TSWindow::action(Command command) const {
  auto it = m_actions.find(command);
  return it == m_actions.end() ? nullptr : it->second;
}

// A command left out of this switch is a compile error, not a menu item that does nothing.
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic error "-Wswitch"
#endif
TSWindow::Slot TSWindow::slotOf(Command command) {
  switch (command) {
    case Command::GetFromUntis:
      return &TSWindow::GetFromUntis;
    case Command::GetFromUVD:
      return &TSWindow::GetFromUVD;
    case Command::WriteUVD:
      return &TSWindow::WriteUVD;
    case Command::ReadGPU004Txt:
      return &TSWindow::ReadGPU004Txt;
    case Command::ReadLehrerTxt:
      return &TSWindow::ReadLehrerTxt;
    case Command::WriteLehrerASD:
      return &TSWindow::WriteLehrerASD;
    case Command::EndWindow:
      return &TSWindow::EndWindow;
    case Command::AppendKartei:
      return &TSWindow::AppendKartei;
    case Command::DeleteKartei:
      return &TSWindow::DeleteKartei;
    case Command::DeleteTable:
      return &TSWindow::DeleteTable;
    case Command::SeekTab:
      return &TSWindow::SeekTab;
    case Command::GoTopKartei:
      return &TSWindow::GoTopKartei;
    case Command::SkipPreviousKartei:
      return &TSWindow::SkipPreviousKartei;
    case Command::SkipNextKartei:
      return &TSWindow::SkipNextKartei;
    case Command::GoBottomKartei:
      return &TSWindow::GoBottomKartei;
    case Command::ViewKartei:
      return &TSWindow::ViewKartei;
    case Command::ViewTabelle:
      return &TSWindow::ViewTabelle;
    case Command::UntisUVD:
      return &TSWindow::UntisUVD;
    case Command::KonvertClasses:
      return &TSWindow::KonvertClasses;
    case Command::KonvertItems:
      return &TSWindow::KonvertItems;
    case Command::CheckData:
      return &TSWindow::CheckData;
    case Command::StartUntis:
      return &TSWindow::StartUntis;
    case Command::SaveData:
      return &TSWindow::SaveData;
    case Command::RestoreData:
      return &TSWindow::RestoreData;
    case Command::StartHelpAbout:
      return &TSWindow::StartHelpAbout;
    case Command::ShowKurz:
      return &TSWindow::ShowKurz;
  }
  return nullptr;
}
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

void TSWindow::buildMenus() {
  for (const auto& c : commandSpecs()) {
    QString text = toQString(c.caption);
    if (*c.keyText) text += QLatin1Char('\t') + toQString(c.keyText);
    auto* a = new QAction(text, this);
    a->setObjectName(QString::fromLatin1(commandName(c.command)));
    a->setStatusTip(toQString(c.status));
    if (*c.shortcut) {
      a->setShortcut(QKeySequence(QString::fromLatin1(c.shortcut)));
      a->setShortcutContext(Qt::WindowShortcut);
    }
    connect(a, &QAction::triggered, this, slotOf(c.command));
    m_actions[c.command] = a;
  }
  // The bar in the order of the menus; "Untisdaten" is an item on the bar itself.
  for (const auto& m : app::menus()) {
    std::string_view caption = m.caption;
    QMenu* menu = nullptr;
    for (const auto& c : commandSpecs()) {
      if (caption != c.menu && !(!*c.menu && caption == c.caption)) continue;
      if (!*c.menu) {
        menuBar()->addAction(m_actions[c.command]);
        continue;
      }
      if (!menu) {
        menu = menuBar()->addMenu(toQString(m.caption));
        menu->menuAction()->setStatusTip(toQString(m.status));
      }
      if (c.separatorBefore) menu->addSeparator();
      menu->addAction(m_actions[c.command]);
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
  // One picture per group; the two backup buttons have no caption, so each has its own, the
  // conversions point back into UVD, and help shows the question mark.
  static const QStyle::StandardPixmap groupIcons[] = {
      QStyle::SP_DialogOpenButton,      QStyle::SP_FileIcon,
      QStyle::SP_FileDialogNewFolder,   QStyle::SP_FileDialogDetailedView,
      QStyle::SP_FileDialogListView,    QStyle::SP_ArrowRight,
      QStyle::SP_ComputerIcon,          QStyle::SP_DialogSaveButton,
      QStyle::SP_FileDialogContentsView};
  auto iconOf = [](const ToolSpec& t) {
    switch (t.command) {
      case Command::RestoreData:
        return QStyle::SP_BrowserReload;
      case Command::KonvertClasses:
      case Command::KonvertItems:
        return QStyle::SP_ArrowLeft;
      case Command::StartHelpAbout:
        return QStyle::SP_MessageBoxQuestion;
      default:
        return groupIcons[std::clamp(t.group, 1, 9) - 1];
    }
  };
  int group = 1;
  for (const auto& t : toolSpecs()) {
    if (t.group != group) {
      bar->addSeparator();
      group = t.group;
    }
    auto* a = new QAction(toQString(t.caption), bar);
    a->setObjectName(QStringLiteral("tool_") + QString::fromLatin1(commandName(t.command)));
    a->setToolTip(toQString(t.tooltip));
    a->setStatusTip(toQString(t.tooltip));
    a->setIcon(style()->standardIcon(iconOf(t)));
    connect(a, &QAction::triggered, this, slotOf(t.command));
    bar->addAction(a);
  }
}

void TSWindow::buildStatusBar() {
  m_statusLine = new QLabel(statusBar());
  m_statusLine->setObjectName(QStringLiteral("statusLine"));
  m_position = new QLabel(statusBar());
  m_position->setObjectName(QStringLiteral("recordPosition"));
  // Room for the longest position, so the text is never cut and the bar does not jump.
  m_position->setMinimumWidth(
      m_position->fontMetrics().horizontalAdvance(QStringLiteral("Datensatz 1000000 von 1000000")));
  m_position->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  statusBar()->addWidget(m_statusLine, 1);
  statusBar()->addPermanentWidget(m_position);
  for (auto* p : m_pages) {
    connect(p, &pages::bDataWindow::positionChanged, this, [this, p] {
      if (p == &currentPage()) updatePosition();
    });
    connect(p, &pages::bDataWindow::statusLine, m_statusLine, &QLabel::setText);
  }
  connect(m_tabs, &QTabWidget::currentChanged, this, &TSWindow::updatePosition);
  updatePosition();
  statusBar()->show();
}

QString TSWindow::statusLineText() const { return m_statusLine->text(); }
QString TSWindow::positionText() const { return m_position->text(); }

void TSWindow::updatePosition() { m_position->setText(toQString(currentPage().positionText())); }

void TSWindow::updateTabCaptions() {
  for (Page p : {Page::Fach, Page::Klasse}) {
    QString caption = toQString(pages::pageSpec(p).tabCaption);
    if (std::size_t lacking = transfer::countLackingNewName(*m_ws, p); lacking > 0)
      caption += QStringLiteral(" (%1)").arg(lacking);
    m_tabs->setTabText(static_cast<int>(p) - 1, caption);
  }
}

void TSWindow::showFindings(std::vector<asdpc::Finding> findings) {
  if (findings.empty()) return;
  if (m_check) m_check->close();
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

bool TSWindow::importDroppedFile(const std::filesystem::path& file) {
  const DropTarget* target = dropTargetOf(file);
  if (!target) return false;
  runCommand({target->page}, [this, target, &file] { target->import(*m_ws, m_ui, file); });
  return true;
}

void TSWindow::dragEnterEvent(QDragEnterEvent* event) {
  for (const auto& file : droppedFiles(event->mimeData()))
    if (dropTargetOf(file)) {
      event->acceptProposedAction();
      return;
    }
}

void TSWindow::dropEvent(QDropEvent* event) {
  bool taken = false;
  for (const auto& file : droppedFiles(event->mimeData())) taken = importDroppedFile(file) || taken;
  if (taken) event->acceptProposedAction();
}

void TSWindow::runCommand(std::initializer_list<Page> affected,
                          const std::function<void()>& operation) {
  // The status line tells what this command did, not what the one before did.
  m_statusLine->clear();
  m_ui.busy(true);
  try {
    operation();
  } catch (const std::exception& e) {
    const Text text = reportUnforeseenError(m_ws->dataDir(), e.what());
    m_ui.busy(false);
    m_ui.warning(programTitle, text);
    m_ui.busy(true);
  }
  for (Page p : affected) page(p).refresh();
  updateTabCaptions();
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
  std::vector<asdpc::Finding> findings;
  runCommand({Page::Uvd}, [&] { findings = asdpc::writeUvd(*m_ws, m_ui); });
  showFindings(std::move(findings));
}

void TSWindow::ReadGPU004Txt() {
  runCommand({Page::Lehrer}, [this] { untis::readGpu004Txt(*m_ws, m_ui); });
}

void TSWindow::ReadLehrerTxt() {
  runCommand({Page::MehrMinder}, [this] { untis::readLehrerTxt(*m_ws, m_ui); });
}

void TSWindow::WriteLehrerASD() {
  std::vector<asdpc::Finding> findings;
  runCommand({Page::Lehrer, Page::MehrMinder},
             [&] { findings = asdpc::writeLehrerAsd(*m_ws, m_ui); });
  showFindings(std::move(findings));
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
  showFindings(std::move(findings));
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
  // A cell still being edited hands its value to the table before the tables close.
  if (QWidget* editing = QApplication::focusWidget()) editing->clearFocus();
  if (!m_ws->LRESTORED) writeColumnLayouts();
  m_ws->closeTables();
  m_closed = true;
  event->accept();
}

}  // namespace velmoran::app
