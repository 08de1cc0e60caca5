#pragma once
// QtUi: the Ui of the desktop program. Message boxes, question boxes and the standard file
// dialogs, owned by the main window; Text is converted to and from QString at this edge.
// Each kind of file is looked for first where it was last opened or saved; those folders are
// kept in the user's settings (the registry on Windows), not beside the program.

#include <QDialog>
#include <QLabel>
#include <QPointer>
#include <QSettings>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

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
  // Ja, Nein and "Liste zeigen"; Nein is the default, as writing a file ASDPC rejects is the
  // step to think twice about.
  WriteAnswer askWriteDespiteErrors(const Text& caption, const Text& finding,
                                    const Text& question) override;
  void status(const Text& line) override;
  std::optional<std::filesystem::path> openFile(const FileRequest& request) override;
  std::optional<std::filesystem::path> saveFile(const FileRequest& request) override;
  void pause(int milliseconds, const Text& status) override;
  void startProgram(const std::filesystem::path& program,
                    const std::vector<Text>& parameters) override;
  void showPage(int page) override;
  void busy(bool on) override;

  // Called by showPage; the main window brings the tab to the front.
  std::function<void(int)> onShowPage;
  // Called by status; the main window shows the line in its status bar.
  std::function<void(const QString&)> onStatus;

  // Where a file dialog opens: the folder where this kind of file (its proposed name) was last
  // opened or saved, else the request's folder; with the proposed file when that folder holds
  // it under any case ("Lehrer.Txt" offers LEHRER.TXT).
  QString startPath(const FileRequest& request) const;
  void rememberFolder(const FileRequest& request, const std::filesystem::path& chosen);
  // The settings that keep the folders; by default the user's settings of the program.
  void setFolderSettings(std::unique_ptr<QSettings> settings);

  // The small dialog that counts down a pause (the wait for an Untis export): shown by the
  // first pause, its text replaced by each following one, hidden by the next message,
  // question or file dialog, or when the command ends (busy off). Null before the first pause.
  QDialog* countdownDialog() const { return m_countdown; }
  QString countdownText() const;

private:
  void showCountdown(const QString& status);
  void hideCountdown();

  QSettings& folders() const;

  QWidget* m_owner;
  mutable std::unique_ptr<QSettings> m_folders;
  QPointer<QDialog> m_countdown;
  QLabel* m_countdownLabel = nullptr;
};

}  // namespace velmoran::app
