#pragma once
// What the fuzz targets share: a program started once on a scratch data directory, a Ui that
// answers nothing and keeps no messages, and the input written to a file the importers open.
// A target's tables would grow with every input; keepSmall() empties one now and then.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string_view>

#include "app/ui.h"
#include "app/workspace.h"
#include "store/table.h"

namespace velmoran::fuzz {

class SilentUi : public app::Ui {
public:
  std::filesystem::path file;  // what openFile and saveFile answer
  void info(const Text&, const Text&) override {}
  void warning(const Text&, const Text&) override {}
  void error(const Text&, const Text&) override {}
  bool askYesNo(const Text&, const Text&) override { return true; }
  std::optional<std::filesystem::path> openFile(const app::FileRequest&) override { return file; }
  std::optional<std::filesystem::path> saveFile(const app::FileRequest&) override { return file; }
  void pause(int, const Text&) override {}
  void startProgram(const std::filesystem::path&, const std::vector<Text>&) override {}
  void showPage(int) override {}
  void busy(bool) override {}
};

// A scratch folder of this process, made on first use.
const std::filesystem::path& scratchDir();
// The program, started once on scratchDir()/data with the shipped files.
app::Workspace& workspace(SilentUi& ui);
// Write the input to scratchDir()/name and give its path.
std::filesystem::path writeInput(const std::uint8_t* data, std::size_t size, std::string_view name);
// Mark every record deleted and pack when the table holds more than a few thousand records.
void keepSmall(store::Table& table);

}  // namespace velmoran::fuzz
