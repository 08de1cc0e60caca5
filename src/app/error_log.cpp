#include "app/error_log.h"

#include <cstdio>
#include <ctime>
#include <string>

#include "store/files.h"

namespace velmoran::app {

void appendErrorLog(const std::filesystem::path& dataDir, std::string_view what) {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
#ifdef _WIN32
  localtime_s(&tm, &t);
#else
  localtime_r(&t, &tm);
#endif
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%d.%m.%Y %H:%M:%S", &tm);
  std::filesystem::path file = store::findInDir(dataDir, errorLogFileName);
  if (std::FILE* f = std::fopen(file.string().c_str(), "ab")) {
    std::string line = std::string(stamp) + "  " + std::string(what) + "\r\n";
    std::fwrite(line.data(), 1, line.size(), f);
    std::fclose(f);
  }
}

std::string unforeseenErrorText(std::string_view what) {
  return "Ein unerwarteter Fehler ist aufgetreten:\r\n" + std::string(what) +
         "\r\nDie Einzelheiten stehen in der Datei " + errorLogFileName + ".";
}

}  // namespace velmoran::app
