#include "app/process.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace velmoran::app {

namespace {
// The quoting rules of the Microsoft C runtime's argument parser: backslashes are literal
// unless they precede a quote; a quote is escaped with a backslash.
std::string quoteArgument(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\n\v\"") == std::string::npos) return arg;
  std::string out = "\"";
  std::size_t backslashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    if (c == '"')
      out.append(backslashes * 2 + 1, '\\');
    else
      out.append(backslashes, '\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, '\\');
  return out + "\"";
}
}  // namespace

std::string windowsCommandLine(const std::filesystem::path& program,
                               const std::vector<Text>& parameters) {
  std::string line = quoteArgument(program.string());
  for (const auto& p : parameters) line += " " + quoteArgument(p);
  return line;
}

Result<void> startDetached(const std::filesystem::path& program,
                           const std::vector<Text>& parameters) {
#ifdef _WIN32
  std::string line = windowsCommandLine(program, parameters);
  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION pi{};
  std::string app = program.string();
  if (!CreateProcessA(app.c_str(), line.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr,
                      nullptr, &si, &pi))
    return fail("cannot start " + app);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return {};
#else
  std::string file = program.string();
  std::vector<std::string> args{file};
  args.insert(args.end(), parameters.begin(), parameters.end());
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, file.c_str(), nullptr, nullptr, argv.data(), environ) != 0)
    return fail("cannot start " + file);
  return {};
#endif
}

}  // namespace velmoran::app
