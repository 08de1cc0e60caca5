#include "console_ui.h"

#include <chrono>
#include <cstdio>
#include <thread>

#include "app/process.h"
#include "console_output.h"
#include "store/code_page.h"

namespace velmoran::cli {

namespace {
void say(std::FILE* to, const Text& caption, const Text& text) {
  // Message texts break lines with CR LF; a terminal wants LF only.
  std::string line = store::windows1252ToUtf8(caption + ": " + text);
  std::string out;
  for (char c : line)
    if (c != '\r') out += c;
  writeUtf8(to, out + "\n");
}
}  // namespace

void print(const Text& text) { writeUtf8(stdout, store::windows1252ToUtf8(text)); }

void ConsoleUi::info(const Text& caption, const Text& text) { say(stdout, caption, text); }

void ConsoleUi::warning(const Text& caption, const Text& text) {
  failed = true;
  say(stderr, caption, text);
}

void ConsoleUi::error(const Text& caption, const Text& text) {
  failed = true;
  say(stderr, caption, text);
}

bool ConsoleUi::askYesNo(const Text& caption, const Text& text) {
  const bool yes = answer.value_or(true);
  say(stdout, caption, text + (yes ? " Ja" : " Nein"));
  return yes;
}

app::WriteAnswer ConsoleUi::askWriteDespiteErrors(const Text& caption, const Text& finding,
                                                  const Text& question) {
  if (!answer) {
    say(stderr, caption, "Warnung: " + finding);
    return app::WriteAnswer::write;
  }
  say(stdout, caption, finding + " " + question + (*answer ? " Ja" : " Nein"));
  // A file asked for and not written is a failure for the script that asked.
  if (!*answer) failed = true;
  return *answer ? app::WriteAnswer::write : app::WriteAnswer::dontWrite;
}

void ConsoleUi::status(const Text& line) { print(line + "\n"); }

std::optional<std::filesystem::path> ConsoleUi::openFile(const app::FileRequest&) {
  if (files.empty()) return std::nullopt;
  auto f = files.front();
  files.pop_front();
  return f;
}

std::optional<std::filesystem::path> ConsoleUi::saveFile(const app::FileRequest& request) {
  return openFile(request);
}

void ConsoleUi::pause(int milliseconds, const Text& status) {
  if (!status.empty()) say(stdout, "Warten", status);
  if (!skipPauses) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void ConsoleUi::startProgram(const std::filesystem::path& program,
                             const std::vector<Text>& parameters) {
  // A program that does not start shows up later: the file it should have written is missing.
  static_cast<void>(app::startDetached(program, parameters));
}

}  // namespace velmoran::cli
