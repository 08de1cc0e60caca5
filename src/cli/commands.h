#pragma once
// The commands of velmoran-cli: each runs one operation of the program on a started
// workspace and answers with the exit status.

#include <optional>
#include <string>
#include <vector>

#include "app/workspace.h"
#include "console_ui.h"

namespace velmoran::cli {

inline constexpr int exitOk = 0;
inline constexpr int exitFailed = 1;
inline constexpr int exitUsage = 2;

struct Invocation {
  app::Workspace& ws;
  ConsoleUi& ui;
  std::vector<std::string> args;  // the command's arguments (UTF-8), options removed
};

struct Command {
  const char* name;
  const char* usage;  // arguments, for the usage text
  int minArgs;
  int maxArgs;  // -1: any
  int (*run)(Invocation&);
};

// Every command, in registration order. Each file of the command line registers its own
// commands with a CommandRegistration at namespace scope:
//   const CommandRegistration reg({{"transfer", "", 0, 0, transferCommand}});
const std::vector<Command>& commands();
std::string usageText();

struct CommandRegistration {
  explicit CommandRegistration(std::vector<Command> list);
};

// Shared helpers for the commands.
Text fromArg(const std::string& utf8);
std::optional<app::Page> pageArg(const std::string& tableName);

}  // namespace velmoran::cli
