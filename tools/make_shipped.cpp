// Writes the files the program folder ships with: velmoran.ini with the default settings and
// the seven empty tables, ZULFACH filled with the allowed subjects of every school form.
//
//   make_shipped PROGRAM_DIR

#include <cstdio>
#include <filesystem>

#include "app/settings_file.h"
#include "catalog/catalogs.h"
#include "store/schema.h"
#include "store/table.h"

namespace fs = std::filesystem;
using namespace velmoran;

namespace {

bool fillZulfach(const fs::path& file) {
  auto opened = store::Table::open(file, store::OpenMode::Exclusive);
  if (!opened) return false;
  store::Table& t = **opened;
  for (const auto& row : catalog::shippedZulfach()) {
    t.append();
    t.put("FACHKURZ", row.fachkurz);
    t.put("FACHLANG", row.fachlang);
    t.put("SCHULFORM", row.schulform);
  }
  t.flush();
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_shipped PROGRAM_DIR\n");
    return 2;
  }
  fs::path dir = argv[1];
  std::error_code ec;
  fs::create_directories(dir, ec);
  for (const auto& spec : store::tableSpecs()) {
    fs::path file = dir / spec.fileName;
    if (auto r = store::Table::create(file, spec.structure); !r) {
      std::fprintf(stderr, "%s: %s\n", file.string().c_str(), r.reason().c_str());
      return 1;
    }
  }
  if (!fillZulfach(dir / store::tableSpec("ZULFACH").fileName)) {
    std::fprintf(stderr, "cannot fill zulfach.dbf\n");
    return 1;
  }
  if (auto r = app::writeSettings(dir / app::settingsFileName, app::Settings{}); !r) {
    std::fprintf(stderr, "%s\n", r.reason().c_str());
    return 1;
  }
  return 0;
}
