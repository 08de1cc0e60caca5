#pragma once
// ScriptedUi: the Ui of the tests. It records every message, question, file choice, pause
// and program start, and answers from queues the test fills beforehand.

#include <deque>
#include <string>
#include <vector>

#include "app/ui.h"

namespace velmoran::test {

struct Message {
  std::string kind;  // "info", "warning", "error", "question"
  Text caption;
  Text text;
};

struct Launch {
  std::filesystem::path program;
  std::vector<Text> parameters;
};

class ScriptedUi : public app::Ui {
public:
  std::vector<Message> messages;
  std::vector<app::FileRequest> fileRequests;
  std::vector<Launch> launches;
  std::vector<int> pauses;
  std::vector<Text> pauseStatus;
  std::vector<int> pagesShown;
  std::vector<Text> statusLines;

  std::deque<bool> answers;                   // for askYesNo; empty: No
  std::deque<app::WriteAnswer> writeAnswers;  // for askWriteDespiteErrors; empty: dontWrite
  std::deque<std::optional<std::filesystem::path>> files;  // for openFile/saveFile; empty: cancel

  void info(const Text& caption, const Text& text) override;
  void warning(const Text& caption, const Text& text) override;
  void error(const Text& caption, const Text& text) override;
  bool askYesNo(const Text& caption, const Text& text) override;
  // Recorded as a "question" whose text is the finding, a blank and the question.
  app::WriteAnswer askWriteDespiteErrors(const Text& caption, const Text& finding,
                                         const Text& question) override;
  void status(const Text& line) override { statusLines.push_back(line); }
  std::optional<std::filesystem::path> openFile(const app::FileRequest& request) override;
  std::optional<std::filesystem::path> saveFile(const app::FileRequest& request) override;
  void pause(int milliseconds, const Text& status) override;
  void startProgram(const std::filesystem::path& program,
                    const std::vector<Text>& parameters) override;
  void showPage(int page) override;
  void busy(bool) override {}

  // The one message recorded so far; fails the test when there are none or several.
  const Message& onlyMessage() const;
};

}  // namespace velmoran::test
