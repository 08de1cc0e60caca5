#pragma once
// What the desktop tests share: a QtUi whose messages, questions and file choices come from a
// script (showPage still brings the tab to the front), and a started main window on a
// temporary data directory.

#include <QString>
#include <deque>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

#include "app/qt_ui.h"
#include "app/ts_window.h"
#include "support/test_workspace.h"

namespace velmoran::test {

class ScriptedQtUi : public app::QtUi {
public:
  std::vector<Message> messages;
  std::vector<app::FileRequest> fileRequests;
  std::vector<int> pagesShown;
  std::vector<Text> statusLines;
  std::deque<bool> answers;                   // askYesNo; empty: No
  std::deque<app::WriteAnswer> writeAnswers;  // askWriteDespiteErrors; empty: dontWrite
  std::deque<std::optional<std::filesystem::path>> files;  // file dialogs; empty: cancel

  void info(const Text& caption, const Text& text) override {
    messages.push_back({"info", caption, text});
  }
  void warning(const Text& caption, const Text& text) override {
    messages.push_back({"warning", caption, text});
  }
  void error(const Text& caption, const Text& text) override {
    messages.push_back({"error", caption, text});
  }
  bool askYesNo(const Text& caption, const Text& text) override {
    messages.push_back({"question", caption, text});
    if (answers.empty()) return false;
    bool answer = answers.front();
    answers.pop_front();
    return answer;
  }
  app::WriteAnswer askWriteDespiteErrors(const Text& caption, const Text& finding,
                                         const Text& question) override {
    messages.push_back({"question", caption, finding + " " + question});
    if (writeAnswers.empty()) return app::WriteAnswer::dontWrite;
    app::WriteAnswer answer = writeAnswers.front();
    writeAnswers.pop_front();
    return answer;
  }
  void status(const Text& line) override {
    statusLines.push_back(line);
    app::QtUi::status(line);
  }
  std::optional<std::filesystem::path> openFile(const app::FileRequest& request) override {
    return nextFile(request);
  }
  std::optional<std::filesystem::path> saveFile(const app::FileRequest& request) override {
    return nextFile(request);
  }
  void pause(int, const Text&) override {}
  void startProgram(const std::filesystem::path&, const std::vector<Text>&) override {}
  void showPage(int page) override {
    pagesShown.push_back(page);
    app::QtUi::showPage(page);
  }
  void busy(bool) override {}

private:
  std::optional<std::filesystem::path> nextFile(const app::FileRequest& request) {
    fileRequests.push_back(request);
    if (files.empty()) return std::nullopt;
    auto file = files.front();
    files.pop_front();
    return file;
  }
};

// The program started on a fresh data directory with the main window built (not shown).
struct Program {
  explicit Program(const Text& schoolForm = "GY=Gymnasium",
                   const std::function<void(const std::filesystem::path&)>& prepare = {}) {
    if (prepare) prepare(dir.path());
    start(schoolForm);
  }
  ~Program() { window.reset(); }

  void start(const Text& schoolForm) {
    auto ws = startOn(dir.path(), ui);
    if (!ws) throw std::runtime_error("the program did not start");
    ws->settings.schoolForm = schoolForm;
    ws->fillZulFaecher();
    window = std::make_unique<app::TSWindow>(std::move(ws), ui);
  }

  TempDir dir;
  ScriptedQtUi ui;
  std::unique_ptr<app::TSWindow> window;
};

inline QString q(const Text& text) { return app::toQString(text); }

}  // namespace velmoran::test
