#pragma once
// QtUi: the Ui of the desktop program. Message boxes, question boxes and the standard file
// dialogs, owned by the main window; Text is converted to and from QString at this edge.

#include <QDialog>
#include <QLabel>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>

#include "app/ui.h"

namespace velmoran::app {

QString toQString(const Text& text);
Text fromQString(const QString& text);

// Qt's own texts (file dialogs, standard buttons) in German: Qt's translation from the
// program folder's "translations" (the Windows installation), else from where Qt keeps its
// translations (Linux). False when neither has it; Qt then stays English.
bool installGermanQtTranslation();

class QtUi : public Ui {
public:
  explicit QtUi(QWidget* owner = nullptr) : m_owner(owner) {}
  ~QtUi() override;
  QtUi(const QtUi&) = delete;
  QtUi& operator=(const QtUi&) = delete;
  void setOwner(QWidget* owner) { m_owner = owner; }

  void info(const Text& caption, const Text& text) override;
  void warning(const Text& caption, const Text& text) override;
  void error(const Text& caption, const Text& text) override;
  bool askYesNo(const Text& caption, const Text& text) override;
  std::optional<std::filesystem::path> openFile(const FileRequest& request) override;
  std::optional<std::filesystem::path> saveFile(const FileRequest& request) override;
  void pause(int milliseconds, const Text& status) override;
  void startProgram(const std::filesystem::path& program,
                    const std::vector<Text>& parameters) override;
  void showPage(int page) override;
  void busy(bool on) override;

  // Called by showPage; the main window brings the tab to the front.
  std::function<void(int)> onShowPage;

  // The small dialog that counts down a pause (the wait for an Untis export): shown by the
  // first pause, its text replaced by each following one, hidden by the next message,
  // question or file dialog, or when the command ends (busy off). Null before the first pause.
  QDialog* countdownDialog() const { return m_countdown; }
  QString countdownText() const;

private:
  void showCountdown(const QString& status);
  void hideCountdown();

  QWidget* m_owner;
  QPointer<QDialog> m_countdown;
  QLabel* m_countdownLabel = nullptr;
};

}  // namespace velmoran::app
