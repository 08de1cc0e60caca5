// Table-layer workloads for bench/run: time them from outside.
//
//   table_bench append FILE N    create FILE with GPSUL's structure, append N records, build
//                                an index on KLASSE and flush; prints the seconds taken
//   table_bench fill DATADIR N   give each of the seven tables of DATADIR N records (their
//                                index files are left to the next start)
//   table_bench maintain DATADIR the start-up maintenance of DATADIR's seven tables alone
//                                (pack, structure check, index files); prints the seconds
//   table_bench run DATADIR GPU002 UVD_TXT
//                                start the program once on DATADIR, then GetFromUntis on
//                                GPU002, UntisUVD and WriteUVD to UVD_TXT; prints the seconds
//                                of the start and of each command
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/silent_ui.h"
#include "app/startup.h"
#include "asdpc/uvd_txt_writer.h"
#include "store/files.h"
#include "store/maintenance.h"
#include "store/schema.h"
#include "store/table.h"
#include "transfer/untis_uvd.h"
#include "untis/gpu002_import.h"

using namespace velmoran;

namespace {

// A record that looks like a lesson: varying keys, numbers and texts in every field.
void fillRecord(store::Table& t, unsigned i) {
  const store::Structure& s = t.structure();
  for (int f = 1; f <= static_cast<int>(s.size()); ++f) {
    const store::Field& field = s[static_cast<std::size_t>(f - 1)];
    switch (field.type) {
      case 'N':
        t.put(f, static_cast<double>((i * 7919u + static_cast<unsigned>(f)) % 1000));
        break;
      case 'D':
        t.put(f, "01.08.2021");
        break;
      case 'L':
        t.putLogical(f, i % 2 == 0);
        break;
      default:
        t.put(f, std::to_string((i * 2654435761u) % 100000u) + "K" + std::to_string(f));
    }
  }
}

int append(const std::string& file, unsigned n) {
  auto began = std::chrono::steady_clock::now();
  if (!store::Table::create(file, store::tableSpec("GPSUL").structure)) return 1;
  auto t = store::Table::open(file, store::OpenMode::Exclusive);
  if (!t) return 1;
  for (unsigned i = 0; i < n; ++i) {
    (*t)->append();
    fillRecord(**t, i);
  }
  if (!(*t)->createOrder(file + ".ntx", "KLASSE")) return 1;
  (*t)->flush();
  t->reset();
  std::chrono::duration<double> took = std::chrono::steady_clock::now() - began;
  std::printf("%.3f\n", took.count());
  return 0;
}

int fill(const std::string& dataDir, unsigned n) {
  for (const store::TableSpec& spec : store::tableSpecs()) {
    auto t =
        store::Table::open(store::findInDir(dataDir, spec.fileName), store::OpenMode::Exclusive);
    if (!t) return 1;
    while ((*t)->lastRec() < n) {
      (*t)->append();
      fillRecord(**t, (*t)->lastRec());
    }
    (*t)->flush();
  }
  return 0;
}

int maintain(const std::string& dataDir) {
  auto began = std::chrono::steady_clock::now();
  store::MaintenanceOutcome outcome = store::maintainTables(dataDir);
  std::chrono::duration<double> took = std::chrono::steady_clock::now() - began;
  for (const auto& problem : outcome.problems) std::fprintf(stderr, "%s\n", problem.c_str());
  std::printf("%.3f\n", took.count());
  return outcome.locked || !outcome.problems.empty() ? 1 : 0;
}

// Answers yes, chooses the one file it was given, and counts warnings and errors.
class BenchUi : public app::SilentUi {
public:
  int failures = 0;
  void warning(const Text&, const Text& text) override { fail(text); }
  void error(const Text&, const Text& text) override { fail(text); }

private:
  void fail(const Text& text) {
    ++failures;
    std::fprintf(stderr, "%s\n", text.c_str());
  }
};

double secondsSince(std::chrono::steady_clock::time_point& began) {
  auto now = std::chrono::steady_clock::now();
  std::chrono::duration<double> took = now - began;
  began = now;
  return took.count();
}

int run(const std::string& dataDir, const std::string& gpu002, const std::string& uvdTxt,
        const char* argv0) {
  BenchUi ui;
  auto began = std::chrono::steady_clock::now();
  app::StartRequest request;
  request.commandLine = app::joinArguments({"velmoran-cli", "-" + dataDir});
  request.programDir = app::programDirectory(argv0).parent_path() / "bin";
  auto ws = app::startUp(request, ui);
  if (!ws) return 1;
  const double start = secondsSince(began);
  untis::importGpu002(*ws, ui, gpu002);
  const double import = secondsSince(began);
  transfer::untisUvd(*ws, ui);
  const double transfer = secondsSince(began);
  ui.file = uvdTxt;
  asdpc::writeUvd(*ws, ui);
  const double write = secondsSince(began);
  std::printf("%.3f %.3f %.3f %.3f\n", start, import, transfer, write);
  return ui.failures == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 5 && std::string(argv[1]) == "run") return run(argv[2], argv[3], argv[4], argv[0]);
  if (argc == 3 && std::string(argv[1]) == "maintain") return maintain(argv[2]);
  if (argc != 4) {
    std::fprintf(stderr,
                 "usage: table_bench append FILE N | fill DATADIR N | maintain DATADIR |\n"
                 "       table_bench run DATADIR GPU002 UVD_TXT\n");
    return 2;
  }
  const std::string what = argv[1];
  const unsigned n = static_cast<unsigned>(std::strtoul(argv[3], nullptr, 10));
  if (what == "append") return append(argv[2], n);
  if (what == "fill") return fill(argv[2], n);
  return 2;
}
