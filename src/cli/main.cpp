// velmoran-cli: starts exactly as the desktop program does, without windows, runs one
// command and prints its messages. Exit status: 0 after success, 1 after a warning or an
// error, 2 for a usage error.

#include <cstdio>
#include <exception>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/error_log.h"
#include "app/startup.h"
#include "commands.h"
#include "console_ui.h"

using namespace velmoran;

namespace {

struct Parsed {
  std::vector<std::string> startArgs;  // program name and the data directory argument
  std::string command;
  std::vector<std::string> args;
  std::optional<bool> answer;
  bool skipPauses = false;
  bool ok = true;
};

Parsed parse(int argc, char** argv) {
  Parsed p;
  p.startArgs.push_back(argv[0]);
  int i = 1;
  if (i < argc && argv[i][0] == '-' && argv[i][1] != '-' && argv[i][1] != '\0')
    p.startArgs.push_back(argv[i++]);
  for (; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--answer" && i + 1 < argc) {
      std::string v = argv[++i];
      p.ok = p.ok && (v == "yes" || v == "no");
      p.answer = v == "yes";
    } else if (a == "--no-wait") {
      p.skipPauses = true;
    } else if (p.command.empty()) {
      p.command = a;
    } else {
      p.args.push_back(a);
    }
  }
  return p;
}

const cli::Command* find(const std::string& name) {
  for (const auto& c : cli::commands())
    if (name == c.name) return &c;
  return nullptr;
}

// An argument the command's usage names FILE ("write-uvd FILE", "check [--save FILE]") that
// is empty: no file is named, which is a mistake of the call, not a cancelled choice.
bool namesNoFile(const cli::Command& command, const std::vector<std::string>& args) {
  std::istringstream usage(command.usage);
  std::string word;
  for (std::size_t i = 0; usage >> word; ++i) {
    std::erase(word, '[');
    std::erase(word, ']');
    if (word == "FILE" && i < args.size() && args[i].empty()) return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  Parsed p = parse(argc, argv);
  const cli::Command* command = find(p.command);
  int argCount = static_cast<int>(p.args.size());
  if (!p.ok || !command || argCount < command->minArgs ||
      (command->maxArgs >= 0 && argCount > command->maxArgs) || namesNoFile(*command, p.args)) {
    std::fputs(cli::usageText().c_str(), stderr);
    return cli::exitUsage;
  }
  cli::ConsoleUi ui;
  ui.answer = p.answer;
  ui.skipPauses = p.skipPauses;
  std::filesystem::path dataDir;
  try {
    app::StartRequest request{app::joinArguments(p.startArgs), app::programDirectory(argv[0])};
    auto ws = app::startUp(request, ui);
    if (!ws) return cli::exitFailed;
    dataDir = ws->dataDir();
    cli::Invocation in{*ws, ui, p.args};
    int status = command->run(in);
    ws->closeTables();
    if (status == cli::exitOk && ui.failed) status = cli::exitFailed;
    return status;
  } catch (const std::exception& e) {
    ui.warning(app::programTitle, app::reportUnforeseenError(dataDir, e.what()));
    return cli::exitFailed;
  }
}
