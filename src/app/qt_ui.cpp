#include "app/qt_ui.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileDialog>
#include <QLabel>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>
#include <QThread>
#include <QTranslator>
#include <QVBoxLayout>
#include <algorithm>

#include "app/process.h"
#include "app/workspace.h"
#include "store/code_page.h"

namespace velmoran::app {

QString toQString(const Text& text) {
  return QString::fromStdString(store::windows1252ToUtf8(text));
}

Text fromQString(const QString& text) { return store::utf8ToWindows1252(text.toStdString()); }

bool installGermanQtTranslation() {
  auto* translator = new QTranslator(QCoreApplication::instance());
  const QLocale german(QLocale::German, QLocale::Germany);
  for (const QString& dir :
       {QCoreApplication::applicationDirPath() + QStringLiteral("/translations"),
        QLibraryInfo::path(QLibraryInfo::TranslationsPath)}) {
    if (translator->load(german, QStringLiteral("qtbase"), QStringLiteral("_"), dir))
      return QCoreApplication::installTranslator(translator);
  }
  delete translator;
  return false;
}

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

QtUi::~QtUi() {
  if (m_countdown && !m_countdown->parent()) delete m_countdown;
}

void QtUi::info(const Text& caption, const Text& text) {
  hideCountdown();
  QMessageBox::information(m_owner, toQString(caption), toQString(text));
}

void QtUi::warning(const Text& caption, const Text& text) {
  hideCountdown();
  QMessageBox::warning(m_owner, toQString(caption), toQString(text));
}

void QtUi::error(const Text& caption, const Text& text) {
  hideCountdown();
  QMessageBox::critical(m_owner, toQString(caption), toQString(text));
}

bool QtUi::askYesNo(const Text& caption, const Text& text) {
  hideCountdown();
  QMessageBox box(QMessageBox::Question, toQString(caption), toQString(text),
                  QMessageBox::Yes | QMessageBox::No, m_owner);
  // The buttons speak German whether or not Qt's own translations are installed.
  box.button(QMessageBox::Yes)->setText(toQString("&Ja"));
  box.button(QMessageBox::No)->setText(toQString("&Nein"));
  box.setDefaultButton(QMessageBox::Yes);
  return box.exec() == QMessageBox::Yes;
}

std::optional<std::filesystem::path> QtUi::openFile(const FileRequest& request) {
  hideCountdown();
  QString selected;
  QString filters = filterText(request, &selected);
  QString start = QString::fromStdU16String((request.directory / "").u16string()) +
                  toQString(request.proposedName);
  return toPath(QFileDialog::getOpenFileName(m_owner, toQString(request.caption), start, filters,
                                             &selected, QFileDialog::ReadOnly));
}

std::optional<std::filesystem::path> QtUi::saveFile(const FileRequest& request) {
  hideCountdown();
  QString selected;
  QString filters = filterText(request, &selected);
  QString start = QString::fromStdU16String((request.directory / "").u16string()) +
                  toQString(request.proposedName);
  return toPath(
      QFileDialog::getSaveFileName(m_owner, toQString(request.caption), start, filters, &selected));
}

// The whole time is waited; meanwhile the countdown is painted, but no input reaches the
// windows, so no second command can start inside the wait.
void QtUi::pause(int milliseconds, const Text& status) {
  showCountdown(toQString(status));
  QElapsedTimer timer;
  timer.start();
  for (qint64 left = milliseconds; left > 0; left = milliseconds - timer.elapsed()) {
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    QThread::msleep(static_cast<unsigned long>(std::min<qint64>(left, 25)));
  }
}

void QtUi::showCountdown(const QString& status) {
  if (!m_countdown) {
    m_countdown = new QDialog(m_owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    m_countdown->setObjectName(QStringLiteral("Countdown"));
    m_countdown->setWindowTitle(toQString(std::string(programTitle) + " / Untis"));
    m_countdown->setWindowModality(Qt::ApplicationModal);
    m_countdownLabel = new QLabel(m_countdown);
    m_countdownLabel->setAlignment(Qt::AlignCenter);
    m_countdownLabel->setMinimumWidth(320);
    auto* layout = new QVBoxLayout(m_countdown);
    layout->setContentsMargins(24, 18, 24, 18);
    layout->addWidget(m_countdownLabel);
  }
  m_countdownLabel->setText(status);
  if (!m_countdown->isVisible()) m_countdown->show();
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void QtUi::hideCountdown() {
  if (m_countdown && m_countdown->isVisible()) m_countdown->hide();
}

QString QtUi::countdownText() const { return m_countdown ? m_countdownLabel->text() : QString(); }

void QtUi::startProgram(const std::filesystem::path& program, const std::vector<Text>& parameters) {
  static_cast<void>(startDetached(program, parameters));
}

void QtUi::showPage(int page) {
  if (onShowPage) onShowPage(page);
}

void QtUi::busy(bool on) {
  if (on) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    return;
  }
  hideCountdown();
  QApplication::restoreOverrideCursor();
}

}  // namespace velmoran::app
