#pragma once
// What the fuzz targets share: a program started once on a scratch data directory, a Ui that
// answers nothing and keeps no messages, and the input written to a file the importers open.
// A target's tables would grow with every input; keepSmall() empties one now and then.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string_view>

#include "app/silent_ui.h"
#include "app/workspace.h"
#include "store/table.h"

namespace velmoran::fuzz {

using SilentUi = app::SilentUi;  // the targets answer yes and drop every message

// A scratch folder of this process, made on first use.
const std::filesystem::path& scratchDir();
// The program, started once on scratchDir()/data with the shipped files.
app::Workspace& workspace(SilentUi& ui);
// Write the input to scratchDir()/name and give its path.
std::filesystem::path writeInput(const std::uint8_t* data, std::size_t size, std::string_view name);
// Mark every record deleted and pack when the table holds more than a few thousand records.
void keepSmall(store::Table& table);

}  // namespace velmoran::fuzz
