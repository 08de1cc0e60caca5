#include "app/qt_ui.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileDialog>
#include <QMessageBox>
#include <QProgressDialog>
#include <QStringList>
#include <QThread>

#include "app/process.h"
#include "app/workspace.h"
#include "store/code_page.h"

namespace velmoran::app {

QString toQString(const Text& text) {
  return QString::fromStdString(store::windows1252ToUtf8(text));
}

Text fromQString(const QString& text) { return store::utf8ToWindows1252(text.toStdString()); }

namespace {

QString filterText(const FileRequest& request, QString* selected) {
  QStringList parts;
  for (std::size_t i = 0; i < request.filters.size(); ++i) {
    const auto& f = request.filters[i];
    QString part = toQString(f.description) + QStringLiteral(" (") + toQString(f.pattern) +
                   QStringLiteral(")");
    if (static_cast<int>(i) == request.selectedFilter) *selected = part;
    parts << part;
  }
  return parts.join(QStringLiteral(";;"));
}

std::optional<std::filesystem::path> toPath(const QString& chosen) {
  if (chosen.trimmed().isEmpty()) return std::nullopt;
  return std::filesystem::path(chosen.trimmed().toStdU16String());
}

}  // namespace

void QtUi::info(const Text& caption, const Text& text) {
  QMessageBox::information(m_owner, toQString(caption), toQString(text));
}

void QtUi::warning(const Text& caption, const Text& text) {
  QMessageBox::warning(m_owner, toQString(caption), toQString(text));
}

void QtUi::error(const Text& caption, const Text& text) {
  QMessageBox::critical(m_owner, toQString(caption), toQString(text));
}

bool QtUi::askYesNo(const Text& caption, const Text& text) {
  return QMessageBox::question(m_owner, toQString(caption), toQString(text),
                               QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

std::optional<std::filesystem::path> QtUi::openFile(const FileRequest& request) {
  QString selected;
  QString filters = filterText(request, &selected);
  QString start = QString::fromStdU16String((request.directory / "").u16string()) +
                  toQString(request.proposedName);
  return toPath(QFileDialog::getOpenFileName(m_owner, toQString(request.caption), start, filters,
                                             &selected, QFileDialog::ReadOnly));
}

std::optional<std::filesystem::path> QtUi::saveFile(const FileRequest& request) {
  QString selected;
  QString filters = filterText(request, &selected);
  QString start = QString::fromStdU16String((request.directory / "").u16string()) +
                  toQString(request.proposedName);
  return toPath(QFileDialog::getSaveFileName(m_owner, toQString(request.caption), start, filters,
                                             &selected));
}

void QtUi::pause(int milliseconds, const Text& status) {
  QProgressDialog dialog(toQString(status), QString(), 0, 0, m_owner);
  dialog.setWindowTitle(QString::fromUtf8(programTitle));
  dialog.setWindowModality(Qt::WindowModal);
  dialog.setMinimumDuration(0);
  dialog.show();
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < milliseconds) {
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 50);
    QThread::msleep(20);
  }
}

void QtUi::startProgram(const std::filesystem::path& program, const std::vector<Text>& parameters) {
  static_cast<void>(startDetached(program, parameters));
}

void QtUi::showPage(int page) {
  if (onShowPage) onShowPage(page);
}

void QtUi::busy(bool on) {
  if (on) QApplication::setOverrideCursor(Qt::WaitCursor);
  else QApplication::restoreOverrideCursor();
}

}  // namespace velmoran::app
