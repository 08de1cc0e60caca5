#include "support/test_workspace.h"

#include <stdexcept>

#include "app/startup.h"

namespace velmoran::test {

std::unique_ptr<app::Workspace> startOn(const std::filesystem::path& dataDir, app::Ui& ui) {
  app::StartRequest request;
  request.commandLine = app::joinArguments({"velmoran-cli", "-" + dataDir.string()});
  request.programDir = programDir();
  return app::startUp(request, ui);
}

TestWorkspace::TestWorkspace(const Text& schoolForm) {
  m_ws = startOn(m_dir.path(), m_ui);
  if (!m_ws) throw std::runtime_error("the program did not start on " + m_dir.path().string());
  m_ws->settings.schoolForm = schoolForm;
  m_ws->fillZulFaecher();
}

void TestWorkspace::restart() {
  Text schoolForm = m_ws->settings.schoolForm;
  m_ws.reset();
  m_ws = startOn(m_dir.path(), m_ui);
  if (!m_ws) throw std::runtime_error("the program did not start again");
  m_ws->settings.schoolForm = schoolForm;
  m_ws->fillZulFaecher();
}

}  // namespace velmoran::test
