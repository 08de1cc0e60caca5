#include "asdpc/plausibility_dialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/qt_ui.h"

namespace velmoran::asdpc {

using app::toQString;

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
    const Text cells[] = {f.file,  f.table,    f.recno ? std::to_string(f.recno) : Text(),
                          f.field, f.severity, f.text};
    for (int c = 0; c < 6; ++c) {
      auto* item = new QTableWidgetItem(toQString(cells[c]));
      if (f.severity == severityError) item->setForeground(QColor(170, 0, 0));
      m_list->setItem(r, c, item);
    }
  }
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
  resize(980, 460);
}

void PlausibilityDialog::chooseRow(int row) {
  if (row < 0 || row >= static_cast<int>(m_findings.size())) return;
  const Finding& f = m_findings[static_cast<std::size_t>(row)];
  auto page = app::pageByTableName(f.table);
  if (!page || f.recno == 0) return;
  emit recordChosen(static_cast<int>(*page), f.recno);
}

}  // namespace velmoran::asdpc
