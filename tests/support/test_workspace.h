#pragma once
// A started program on a fresh data directory in a temporary folder: the shipped files
// copied in, the tables maintained and opened, the catalogs built for a school form.

#include <memory>
#include <string>

#include "app/workspace.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace velmoran::test {

class TestWorkspace {
public:
  explicit TestWorkspace(const Text& schoolForm = "GY=Gymnasium");

  app::Workspace& ws() { return *m_ws; }
  ScriptedUi& ui() { return m_ui; }
  const std::filesystem::path& dir() const { return m_dir.path(); }
  store::Table& table(app::Page page) { return m_ws->table(page); }

  // Close the program (tables flushed) and start it again on the same data directory.
  void restart();

private:
  TempDir m_dir;
  ScriptedUi m_ui;
  std::unique_ptr<app::Workspace> m_ws;
};

// Start the program on a data directory as the command line does; nothing when it ended.
std::unique_ptr<app::Workspace> startOn(const std::filesystem::path& dataDir, app::Ui& ui);

}  // namespace velmoran::test
