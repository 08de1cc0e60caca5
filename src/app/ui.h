#pragma once
// Ui: everything a command asks of the person in front of it. The desktop answers with
// message boxes and file dialogs, the command line with printed lines and its arguments,
// the tests with a script. Every Text here is Windows-1252.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
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

// The answer to the question before a file is written in which a check found errors.
enum class WriteAnswer {
  write,         // write it anyway
  dontWrite,     // write nothing
  showFindings,  // write nothing and show what the check found (the desktop offers this)
};

class Ui {
public:
  virtual ~Ui() = default;

  virtual void info(const Text& caption, const Text& text) = 0;
  virtual void warning(const Text& caption, const Text& text) = 0;
  virtual void error(const Text& caption, const Text& text) = 0;
  // True for Yes.
  virtual bool askYesNo(const Text& caption, const Text& text) = 0;
  // Before a file is written in which a check found errors: `finding` says what was found,
  // `question` asks whether to write anyway.
  virtual WriteAnswer askWriteDespiteErrors(const Text& caption, const Text& finding,
                                            const Text& question) = 0;
  // One line saying what a command did ("GPU002.TXT: 860 Zeilen eingelesen"): the desktop
  // shows it in the status bar, the command line prints it.
  virtual void status(const Text& line) = 0;
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

// A count with its noun, for status lines: "1 Datensatz", "860 Datensätze".
inline Text counted(std::size_t n, std::string_view one, std::string_view many) {
  return std::to_string(n) + " " + Text(n == 1 ? one : many);
}

}  // namespace velmoran::app
