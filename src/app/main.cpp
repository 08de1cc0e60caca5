// The desktop program: start-up as the command line does it, then the main window, the info
// dialog, and the message loop until the window is closed.

#include <QApplication>
#include <QTimer>
#include <exception>

#include "app/error_log.h"
#include "app/qt_ui.h"
#include "app/startup.h"
#include "app/ts_window.h"

using namespace velmoran;

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  app::installGermanQtTranslation();
  app::QtUi ui;
  // Known once start-up has found it: where the log of an unforeseen error goes.
  std::filesystem::path dataDir;
  try {
    std::vector<std::string> args(argv, argv + argc);
    app::StartRequest request{app::joinArguments(args), app::programDirectory(argv[0])};
    auto ws = app::startUp(request, ui);
    if (!ws) return 1;
    dataDir = ws->dataDir();
    app::TSWindow window(std::move(ws), ui);
    window.show();
    QTimer::singleShot(0, &window, &app::TSWindow::StartHelpAbout);
    return application.exec();
  } catch (const std::exception& e) {
    ui.warning(app::programTitle, app::reportUnforeseenError(dataDir, e.what()));
    return 1;
  }
}
