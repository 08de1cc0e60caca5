// The desktop program: start-up as the command line does it, then the main window.

#include <QApplication>
#include <QMainWindow>
#include <QTabWidget>
#include <QLabel>

#include "app/qt_ui.h"
#include "app/startup.h"

using namespace velmoran;

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  app::QtUi ui;
  std::vector<std::string> args(argv, argv + argc);
  app::StartRequest request{app::joinArguments(args), app::programDirectory(argv[0])};
  auto ws = app::startUp(request, ui);
  if (!ws) return 1;

  QMainWindow window;
  window.setWindowTitle(QString::fromUtf8(app::programTitle));
  auto* tabs = new QTabWidget(&window);
  const char* captions[] = {"Unterrichtsverteilung aus Untis", "Unterrichtsverteilung für UVD.TXT",
                            "Zulässige Fachbezeichnungen", "Fächerkonvertierung",
                            "Klassenkonvertierung", "Lehrerdaten für LID",
                            "Mehr-/Minderleistungen aus Untis"};
  for (const char* caption : captions) tabs->addTab(new QLabel(&window), app::toQString(caption));
  tabs->setCurrentIndex(1);
  window.setCentralWidget(tabs);
  window.resize(1000, 700);
  ui.setOwner(&window);
  window.show();
  return application.exec();
}
