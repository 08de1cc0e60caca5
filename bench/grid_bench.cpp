// The grid on a big page, as the user meets it (offscreen):
//
//   grid_bench [N]   import an N-line GPU002.TXT (default 100000) into a fresh data directory,
//                    open the main window on page 1 and print, in milliseconds, the best of
//                    five runs of:
//                      edit      a cell of a field no index holds (its row changes)
//                      edit-idx  a cell of a field another order holds (its index file is
//                                written again)
//                      edit-key  the lesson number, the key of the page's order (the row
//                                moves and the grid follows it)
//                      to-grid   the return from the form view to the grid (Umschalt+F2)
//                      refresh   the full re-read of the page after a command, for comparison
#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <string>

#include "app/qt_ui.h"
#include "app/silent_ui.h"
#include "app/startup.h"
#include "app/ts_window.h"
#include "pages/data_window.h"
#include "untis/gpu002_import.h"

using namespace velmoran;
namespace fs = std::filesystem;

namespace {

constexpr int runs = 5;

// N lines of 35 comma-separated columns: lessons of two lines each, spread over classes,
// teachers and subjects.
void writeGpu002(const fs::path& file, int lines) {
  std::ofstream out(file, std::ios::binary);
  for (int i = 0; i < lines; ++i) {
    const int lesson = i / 2 + 1;
    out << lesson << ",4,4,4,\"" << (5 + i % 6) << static_cast<char>('A' + i % 4) << "\",\"T"
        << i % 97 << "\",\"F" << i % 23 << "\",\"R" << i % 41 << "\",\"\"," << 20 + i % 9
        << ",4,,,,\"20210801\",\"20220731\",152";
    for (int c = 18; c <= 32; ++c) out << ',';
    out << ",\"\"," << 10 + i % 5 << ',' << 10 + i % 4 << "\r\n";
  }
}

// The fastest of `runs` runs of `step`, in milliseconds; `between` runs untimed before each.
double bestOf(const std::function<void()>& between, const std::function<void()>& step) {
  double best = std::numeric_limits<double>::max();
  for (int r = 0; r < runs; ++r) {
    between();
    QElapsedTimer timer;
    timer.start();
    step();
    QCoreApplication::processEvents();
    best = std::min(best, static_cast<double>(timer.nsecsElapsed()) / 1e6);
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  const int lines = argc > 1 ? std::atoi(argv[1]) : 100000;
  const fs::path dir =
      fs::temp_directory_path() /
      ("velmoran-grid-bench-" + std::to_string(QCoreApplication::applicationPid()));
  fs::create_directories(dir);
  writeGpu002(dir / "GPU002.TXT", lines);

  app::StartRequest request;
  request.commandLine = app::joinArguments({"velmoran-cli", "-" + dir.string()});
  request.programDir = app::programDirectory(argv[0]).parent_path() / "bin";
  app::SilentUi silent;
  {
    auto ws = app::startUp(request, silent);
    if (!ws) return 1;
    untis::importGpu002(*ws, silent, dir / "GPU002.TXT");
  }
  auto ws = app::startUp(request, silent);
  if (!ws) return 1;
  app::QtUi ui;
  app::TSWindow window(std::move(ws), ui);
  window.resize(1400, 860);
  window.show();
  window.tabs()->setCurrentIndex(0);
  pages::bDataWindow& page = window.page(app::Page::Gpsul);
  pages::TableModel& model = page.model();
  const int row = model.rowCount() / 2;
  const int statU = 8;  // STAT_U: in no index
  const int room = 7;   // FACHRAUM: the key of order 5
  const int unr = 0;    // UNR: the key of order 1, the page's order
  int n = 0;
  auto editCell = [&](int column) {
    return bestOf([&] { page.selectRow(row); },
                  [&] {
                    model.setData(model.index(row, column), QStringLiteral("B%1").arg(++n),
                                  Qt::EditRole);
                  });
  };

  const double edit = editCell(statU);
  const double editIndexed = editCell(room);
  const double editKey =
      bestOf([&] { page.selectRow(row); },
             [&] {
               const int current = page.currentRow();
               // Each time one lesson further on: the row moves a little down the grid.
               const double next = model.index(current, unr).data().toString().toDouble() + 1;
               model.setData(model.index(current, unr), QString::number(next), Qt::EditRole);
             });
  const double toGrid = bestOf([&] { window.action(app::Command::ViewKartei)->trigger(); },
                               [&] { window.action(app::Command::ViewTabelle)->trigger(); });
  const double refresh = bestOf([] {}, [&] { page.refresh(); });

  std::printf(
      "records  %d\nedit     %.1f ms\nedit-idx %.1f ms\nedit-key %.1f ms\n"
      "to-grid  %.1f ms\nrefresh  %.1f ms\n",
      model.rowCount(), edit, editIndexed, editKey, toGrid, refresh);
  window.workspace().closeTables();
  std::error_code ec;
  fs::remove_all(dir, ec);
  return 0;
}
