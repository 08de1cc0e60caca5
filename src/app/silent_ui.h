#pragma once
// SilentUi: the user-interface port for runs nobody watches (benchmarks, fuzz targets): yes
// to every question, the one given file for every file dialog, no waiting, and messages
// dropped (a subclass may count them).

#include <filesystem>
#include <optional>
#include <vector>

#include "app/ui.h"

namespace velmoran::app {

class SilentUi : public Ui {
public:
  std::filesystem::path file;  // what openFile and saveFile answer
  void info(const Text&, const Text&) override {}
  void warning(const Text&, const Text&) override {}
  void error(const Text&, const Text&) override {}
  bool askYesNo(const Text&, const Text&) override { return true; }
  WriteAnswer askWriteDespiteErrors(const Text&, const Text&, const Text&) override {
    return WriteAnswer::write;
  }
  void status(const Text&) override {}
  std::optional<std::filesystem::path> openFile(const FileRequest&) override { return file; }
  std::optional<std::filesystem::path> saveFile(const FileRequest&) override { return file; }
  void pause(int, const Text&) override {}
  void startProgram(const std::filesystem::path&, const std::vector<Text>&) override {}
  void showPage(int) override {}
  void busy(bool) override {}
};

}  // namespace velmoran::app
