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
#include <QSettings>
#include <QStringList>
#include <QThread>
#include <QTranslator>
#include <QVBoxLayout>
#include <algorithm>

#include "app/process.h"
#include "app/workspace.h"
#include "store/code_page.h"
#include "store/files.h"

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

QString pathString(const std::filesystem::path& path) {
  return QString::fromStdU16String(path.u16string());
}

// The settings key of a kind of file: its proposed name ("GPU002.TXT"), else the caption.
QString folderKey(const FileRequest& request) {
  const Text& kind = request.proposedName.empty() ? request.caption : request.proposedName;
  return QStringLiteral("Ordner/") + toQString(kind).toUpper();
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

WriteAnswer QtUi::askWriteDespiteErrors(const Text& caption, const Text& finding,
                                        const Text& question) {
  hideCountdown();
  QMessageBox box(QMessageBox::Warning, toQString(caption),
                  toQString(finding) + QLatin1Char(' ') + toQString(question),
                  QMessageBox::Yes | QMessageBox::No, m_owner);
  box.button(QMessageBox::Yes)->setText(toQString("&Ja"));
  box.button(QMessageBox::No)->setText(toQString("&Nein"));
  QPushButton* list = box.addButton(toQString("&Liste zeigen"), QMessageBox::ActionRole);
  box.setDefaultButton(QMessageBox::No);
  box.exec();
  if (box.clickedButton() == list) return WriteAnswer::showFindings;
  return box.clickedButton() == box.button(QMessageBox::Yes) ? WriteAnswer::write
                                                             : WriteAnswer::dontWrite;
}

void QtUi::status(const Text& line) {
  if (onStatus) onStatus(toQString(line));
}

QSettings& QtUi::folders() const {
  if (!m_folders)
    m_folders =
        std::make_unique<QSettings>(QStringLiteral("Velmoran"), QStringLiteral("Velmoran 2021"));
  return *m_folders;
}

void QtUi::setFolderSettings(std::unique_ptr<QSettings> settings) {
  m_folders = std::move(settings);
}

QString QtUi::startPath(const FileRequest& request) const {
  std::filesystem::path dir = request.directory;
  const QString remembered = folders().value(folderKey(request)).toString();
  std::error_code ec;
  if (!remembered.isEmpty() &&
      std::filesystem::is_directory(std::filesystem::path(remembered.toStdU16String()), ec))
    dir = remembered.toStdU16String();
  if (request.proposedName.empty()) return pathString(dir / "");
  return pathString(store::findInDir(dir, request.proposedName));
}

void QtUi::rememberFolder(const FileRequest& request, const std::filesystem::path& chosen) {
  folders().setValue(folderKey(request), pathString(chosen.parent_path()));
}

std::optional<std::filesystem::path> QtUi::openFile(const FileRequest& request) {
  hideCountdown();
  QString selected;
  QString filters = filterText(request, &selected);
  auto chosen =
      toPath(QFileDialog::getOpenFileName(m_owner, toQString(request.caption), startPath(request),
                                          filters, &selected, QFileDialog::ReadOnly));
  if (chosen) rememberFolder(request, *chosen);
  return chosen;
}

std::optional<std::filesystem::path> QtUi::saveFile(const FileRequest& request) {
  hideCountdown();
  QString selected;
  QString filters = filterText(request, &selected);
  auto chosen = toPath(QFileDialog::getSaveFileName(m_owner, toQString(request.caption),
                                                    startPath(request), filters, &selected));
  if (chosen) rememberFolder(request, *chosen);
  return chosen;
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
