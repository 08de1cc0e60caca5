#include "support/scripted_ui.h"

#include <gtest/gtest.h>

namespace velmoran::test {

void ScriptedUi::info(const Text& caption, const Text& text) {
  messages.push_back({"info", caption, text});
}

void ScriptedUi::warning(const Text& caption, const Text& text) {
  messages.push_back({"warning", caption, text});
}

void ScriptedUi::error(const Text& caption, const Text& text) {
  messages.push_back({"error", caption, text});
}

bool ScriptedUi::askYesNo(const Text& caption, const Text& text) {
  messages.push_back({"question", caption, text});
  if (answers.empty()) return false;
  bool answer = answers.front();
  answers.pop_front();
  return answer;
}

app::WriteAnswer ScriptedUi::askWriteDespiteErrors(const Text& caption, const Text& finding,
                                                   const Text& question) {
  messages.push_back({"question", caption, finding + " " + question});
  if (writeAnswers.empty()) return app::WriteAnswer::dontWrite;
  app::WriteAnswer answer = writeAnswers.front();
  writeAnswers.pop_front();
  return answer;
}

std::optional<std::filesystem::path> ScriptedUi::openFile(const app::FileRequest& request) {
  fileRequests.push_back(request);
  if (files.empty()) return std::nullopt;
  auto f = files.front();
  files.pop_front();
  return f;
}

std::optional<std::filesystem::path> ScriptedUi::saveFile(const app::FileRequest& request) {
  return openFile(request);
}

void ScriptedUi::pause(int milliseconds, const Text& status) {
  pauses.push_back(milliseconds);
  pauseStatus.push_back(status);
}

void ScriptedUi::startProgram(const std::filesystem::path& program,
                              const std::vector<Text>& parameters) {
  launches.push_back({program, parameters});
}

void ScriptedUi::showPage(int page) { pagesShown.push_back(page); }

const Message& ScriptedUi::onlyMessage() const {
  static const Message none{};
  EXPECT_EQ(messages.size(), 1u);
  return messages.empty() ? none : messages.back();
}

}  // namespace velmoran::test
