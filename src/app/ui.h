#pragma once
// Ui: everything a command asks of the person in front of it. The desktop answers with
// message boxes and file dialogs, the command line with printed lines and its arguments,
// the tests with a script. Every Text here is Windows-1252.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "store/text.h"

namespace velmoran::app {

struct FileFilter {
  Text pattern;      // "*.TXT"
  Text description;  // "Textdateien"
};

struct FileRequest {
  Text caption;
  std::filesystem::path directory;
  Text proposedName;
  std::vector<FileFilter> filters;
  int selectedFilter = 0;  // index into filters
};

class Ui {
public:
  virtual ~Ui() = default;

  virtual void info(const Text& caption, const Text& text) = 0;
  virtual void warning(const Text& caption, const Text& text) = 0;
  virtual void error(const Text& caption, const Text& text) = 0;
  // True for Yes.
  virtual bool askYesNo(const Text& caption, const Text& text) = 0;
  // The chosen file, or nothing when the person cancels.
  virtual std::optional<std::filesystem::path> openFile(const FileRequest& request) = 0;
  virtual std::optional<std::filesystem::path> saveFile(const FileRequest& request) = 0;
  // Wait; `status` says what is being waited for (shown while waiting where possible).
  virtual void pause(int milliseconds, const Text& status) = 0;
  // Start a program detached, without a shell: the program and each parameter are separate.
  virtual void startProgram(const std::filesystem::path& program,
                            const std::vector<Text>& parameters) = 0;
  // Bring a page (1 to 7) to the front.
  virtual void showPage(int page) = 0;
  virtual void busy(bool on) = 0;
};

}  // namespace velmoran::app
