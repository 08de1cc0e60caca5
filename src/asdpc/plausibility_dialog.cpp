#include "asdpc/plausibility_dialog.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/qt_ui.h"
#include "pages/page_specs.h"

namespace velmoran::asdpc {

using app::toQString;

namespace {

// A field as the pages name it ("Wochenstunden" for WSTD); the name itself where no page
// shows it (the settings' "Schulnummer").
Text fieldCaption(const Finding& f) {
  auto page = app::pageByTableName(f.table);
  if (!page) return f.field;
  for (const auto& column : pages::pageSpec(*page).columns)
    if (f.field == column.field) return column.caption;
  return f.field;
}

}  // namespace

PlausibilityDialog::PlausibilityDialog(app::Workspace& ws, app::Ui& ui,
                                       std::vector<Finding> findings, QWidget* parent)
    : QDialog(parent),
      m_ws(ws),
      m_ui(ui),
      m_findings(std::move(findings)),
      m_list(new QTableWidget(static_cast<int>(m_findings.size()), 6, this)),
      m_save(new QPushButton(toQString("Liste &speichern"), this)) {
  setObjectName(QStringLiteral("PlausibilityDialog"));
  setWindowTitle(toQString(std::string(app::programTitle) + " / Plausibilitätsprüfung"));
  int errors = 0;
  for (const auto& f : m_findings) errors += f.severity == severityError;
  auto* summary =
      new QLabel(toQString(std::to_string(errors) + " Fehler, " +
                           std::to_string(m_findings.size() - static_cast<std::size_t>(errors)) +
                           " Hinweise. Doppelklick zeigt den Datensatz."),
                 this);
  m_list->setHorizontalHeaderLabels({toQString("Datei"), toQString("Tabelle"), toQString("Satz"),
                                     toQString("Feld"), toQString("Art"), toQString("Meldung")});
  m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_list->verticalHeader()->hide();
  for (int r = 0; r < static_cast<int>(m_findings.size()); ++r) {
    const Finding& f = m_findings[static_cast<std::size_t>(r)];
    const Text cells[] = {f.file,          f.table,    f.recno ? std::to_string(f.recno) : Text(),
                          fieldCaption(f), f.severity, f.text};
    for (int c = 0; c < 6; ++c) {
      auto* item = new QTableWidgetItem(toQString(cells[c]));
      if (f.severity == severityError) item->setForeground(QColor(170, 0, 0));
      if (c == 5) item->setToolTip(item->text());
      m_list->setItem(r, c, item);
    }
  }
  // One line per finding, each column as wide as its content.
  m_list->setWordWrap(false);
  m_list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  m_list->verticalHeader()->setDefaultSectionSize(m_list->fontMetrics().height() + 6);
  m_list->resizeColumnsToContents();
  m_list->horizontalHeader()->setStretchLastSection(true);
  connect(m_list, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { chooseRow(row); });
  connect(m_save, &QPushButton::clicked, this, [this] { saveFindings(m_ws, m_ui, m_findings); });
  auto* close = new QPushButton(toQString("Schl&ießen"), this);
  connect(close, &QPushButton::clicked, this, &QDialog::close);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(summary, 1);
  buttons->addWidget(m_save);
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_list);
  layout->addLayout(buttons);
  resize(openingSize());
}

QSize PlausibilityDialog::openingSize() const {
  // Wide enough for the longest sentence, so nothing needs scrolling sideways, as far as the
  // screen allows; tall enough for about twenty findings.
  int width = m_list->verticalScrollBar()->sizeHint().width() + 2 * m_list->frameWidth();
  for (int c = 0; c < m_list->columnCount(); ++c) width += m_list->columnWidth(c);
  const int rows = std::min(m_list->rowCount(), 20);
  int height = m_list->horizontalHeader()->sizeHint().height() +
               rows * m_list->verticalHeader()->defaultSectionSize() + 90;
  const QScreen* screen = QGuiApplication::primaryScreen();
  const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 800);
  return {std::clamp(width + 40, 700, available.width() - 40),
          std::clamp(height, 300, available.height() - 80)};
}

void PlausibilityDialog::chooseRow(int row) {
  if (row < 0 || row >= static_cast<int>(m_findings.size())) return;
  const Finding& f = m_findings[static_cast<std::size_t>(row)];
  auto page = app::pageByTableName(f.table);
  if (!page || f.recno == 0) return;
  emit recordChosen(static_cast<int>(*page), f.recno);
}

}  // namespace velmoran::asdpc
