#pragma once
// The export launch: Untis started with an export switch so that it writes an export file
// (GPU002.TXT, GPU004.TXT) into the data directory, then a fixed wait of 20 seconds. Untis is
// reached through its multi-user database (entries 1 to 4 of AUNTIS_ARRAY) or by opening an
// Untis/GPN file (entries 5 and 6); the database case wins when both are filled.

#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

#include "app/ui.h"
#include "app/workspace.h"
#include "store/text.h"

namespace velmoran::untis {

inline constexpr std::string_view gpu002Switch = "/exp2=";
inline constexpr std::string_view gpu004Switch = "/exp4=";
inline constexpr int exportWaitSeconds = 20;

struct ExportCommand {
  std::filesystem::path program;
  std::vector<Text> parameters;
};

// The program and parameters that make Untis write `target`, or nothing when neither the
// database case nor the file case is filled in `entries`.
std::optional<ExportCommand> exportCommand(const std::vector<Text>& entries,
                                           std::string_view exportSwitch, const Text& target);

// Read Untis.ini when AUNTIS_ARRAY is empty; then, when a case applies, delete the target
// (data directory + fileName), start Untis and wait 20 seconds. Gives the target the caller
// opens next, or nothing when no launch applies (the caller lets the person choose a file).
std::optional<std::filesystem::path> launchExport(app::Workspace& ws, app::Ui& ui,
                                                  std::string_view exportSwitch,
                                                  std::string_view fileName);

}  // namespace velmoran::untis
