#pragma once
// The error log: unforeseen errors are written with their details to a file in the data
// directory, so a problem the user reports can be traced. The person is told in German what
// happened and where the details are, never the details themselves.

#include <filesystem>
#include <string>
#include <string_view>

#include "store/text.h"

namespace velmoran::app {

inline constexpr const char* errorLogFileName = "velmoran_error.log";

// Why an entry could not be written, as far as the system tells.
enum class LogOutcome { written, diskFull, writeProtected, failed };

// Append one dated entry.
LogOutcome appendErrorLog(const std::filesystem::path& dataDir, std::string_view what);

// An unforeseen error: its details go to the log of the data directory (none when the data
// directory is not known yet, an empty path), and the warning text that says so comes back.
Text reportUnforeseenError(const std::filesystem::path& dataDir, std::string_view what);

}  // namespace velmoran::app
