#include "fuzz/fuzz_support.h"

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "app/startup.h"
#include "store/bulk.h"

#ifdef _WIN32
#include <process.h>
#define getpid _getpid
#else
#include <unistd.h>
#endif

namespace velmoran::fuzz {

namespace {

constexpr std::uint32_t recordLimit = 4000;

struct Scratch {
  std::filesystem::path path;
  Scratch() {
    path = std::filesystem::temp_directory_path() /
           ("velmoran-fuzz-" + std::to_string(static_cast<long>(getpid())));
    std::filesystem::create_directories(path / "data");
  }
  ~Scratch() {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
  }
};

}  // namespace

const std::filesystem::path& scratchDir() {
  static Scratch scratch;
  return scratch.path;
}

app::Workspace& workspace(SilentUi& ui) {
  static std::unique_ptr<app::Workspace> ws = [&ui] {
    app::StartRequest request;
    const std::string dataDir = (scratchDir() / "data").string();
    request.commandLine = app::joinArguments({"velmoran-cli", "-" + dataDir});
    request.programDir = VELMORAN_PROGRAM_DIR;
    auto started = app::startUp(request, ui);
    if (!started) std::abort();
    started->settings.schoolForm = "GY=Gymnasium";
    started->fillZulFaecher();
    return started;
  }();
  return *ws;
}

std::filesystem::path writeInput(const std::uint8_t* data, std::size_t size,
                                 std::string_view name) {
  std::filesystem::path file = scratchDir() / std::string(name);
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  return file;
}

void keepSmall(store::Table& table) {
  if (table.lastRec() <= recordLimit) return;
  store::markAllDeleted(table);
  table.pack();
}

}  // namespace velmoran::fuzz
