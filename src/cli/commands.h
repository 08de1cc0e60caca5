#pragma once
// The commands of velmoran-cli: each runs one operation of the program on a started
// workspace and answers with the exit status.

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

const std::vector<Command>& commands();
std::string usageText();

}  // namespace velmoran::cli
