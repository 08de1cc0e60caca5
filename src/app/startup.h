#pragma once
// Start-up: which folder holds the data, its provisioning from the program folder, the
// table maintenance, the settings and the open tables. The desktop program and the command
// line start the same way.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/ui.h"
#include "app/workspace.h"
#include "store/os_file.h"

namespace velmoran::app {

// The data directory named on the command line: the program file name, one blank and a
// dash immediately followed by the path ("velmoran -/home/anna/velmoran"). Double quotes
// are ignored. `commandLine` is the whole line, starting with the program's path;
// `programNameStart` is where the program's file name begins in it.
std::optional<std::string> dataDirFromCommandLine(std::string commandLine,
                                                  std::size_t programNameStart,
                                                  std::string_view programName);

// The command line as the operating system would give it, from main's arguments.
struct CommandLine {
  std::string text;
  std::size_t programNameStart = 0;
  std::string programName;
};
CommandLine joinArguments(const std::vector<std::string>& args);

// The folder that holds the running executable.
std::filesystem::path programDirectory(const char* argv0);

// Create the data folder and its SECURE folder when the data folder lies under a user profile
// ("Users") or under the home directory.
void createDataFolders(const std::filesystem::path& dataDir);

// Copy the settings file and the seven tables from the program folder into the data folder
// where they are missing (creating the folders first, as createDataFolders does). Returns the
// names of the tables it copied.
std::vector<std::string> provisionDataDirectory(const std::filesystem::path& programDir,
                                                const std::filesystem::path& dataDir);

// The lock that lets one copy of the program at a time work in a data directory, on the file
// "velmoran.lck" there, taken before any other file of the directory is touched and held for
// the whole run. Nothing when another running copy holds it. Where the lock file cannot be
// made (a write-protected folder) the handle comes back closed and holds no lock: the
// exclusive opens of the start-up maintenance are then the only guard.
std::optional<store::OsFile> lockDataDirectory(const std::filesystem::path& dataDir);
inline constexpr const char* runLockFileName = "velmoran.lck";

struct StartRequest {
  CommandLine commandLine;
  std::filesystem::path programDir;
};

// Runs the whole start-up. Returns nothing when the program has to end (the reason has been
// shown through the Ui): settings file missing, or another copy of the program running.
std::unique_ptr<Workspace> startUp(const StartRequest& request, Ui& ui);

inline constexpr const char* secureFolderName = "SECURE";

}  // namespace velmoran::app
