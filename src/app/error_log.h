#pragma once
// The error log: unforeseen errors are written with their details to a file in the data
// directory, so a problem the user reports can be traced.

#include <filesystem>
#include <string>
#include <string_view>

namespace velmoran::app {

inline constexpr const char* errorLogFileName = "velmoran_error.log";

// Append one dated entry; failures to write the log are ignored.
void appendErrorLog(const std::filesystem::path& dataDir, std::string_view what);

// The warning text shown for an unforeseen error.
std::string unforeseenErrorText(std::string_view what);

}  // namespace velmoran::app
