#pragma once
// The Ui of the command line: messages are printed as "caption: text" (UTF-8), questions are
// answered by an option, file choices come from the command's arguments, status lines are
// printed as they are.

#include <deque>
#include <optional>

#include "app/ui.h"

namespace velmoran::cli {

class ConsoleUi : public app::Ui {
public:
  // The --answer option; without it questions are answered Yes, and a file the check found
  // errors in is written with a warning line on standard error, as scripts expect.
  std::optional<bool> answer;
  bool skipPauses = false;
  // Paths handed to the next file requests, in order; empty: the request is cancelled.
  std::deque<std::filesystem::path> files;
  // A warning or an error was shown.
  bool failed = false;

  void info(const Text& caption, const Text& text) override;
  void warning(const Text& caption, const Text& text) override;
  void error(const Text& caption, const Text& text) override;
  bool askYesNo(const Text& caption, const Text& text) override;
  app::WriteAnswer askWriteDespiteErrors(const Text& caption, const Text& finding,
                                         const Text& question) override;
  void status(const Text& line) override;
  std::optional<std::filesystem::path> openFile(const app::FileRequest& request) override;
  std::optional<std::filesystem::path> saveFile(const app::FileRequest& request) override;
  void pause(int milliseconds, const Text& status) override;
  void startProgram(const std::filesystem::path& program,
                    const std::vector<Text>& parameters) override;
  void showPage(int) override {}
  void busy(bool) override {}
};

// Print Text (Windows-1252) to standard output as UTF-8.
void print(const Text& text);

}  // namespace velmoran::cli
