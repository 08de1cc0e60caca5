#include "app/error_log.h"

#include <cstdio>
#include <ctime>
#include <string>

#include "store/date.h"
#include "store/files.h"

namespace velmoran::app {

void appendErrorLog(const std::filesystem::path& dataDir, std::string_view what) {
  const std::string stamp = localTimeText(std::time(nullptr), "%d.%m.%Y %H:%M:%S");
  std::filesystem::path file = store::findInDir(dataDir, errorLogFileName);
  if (std::FILE* f = std::fopen(file.string().c_str(), "ab")) {
    std::string line = stamp + "  " + std::string(what) + "\r\n";
    std::fwrite(line.data(), 1, line.size(), f);
    std::fclose(f);
  }
}

std::string unforeseenErrorText(std::string_view what) {
  return "Ein unerwarteter Fehler ist aufgetreten:\r\n" + std::string(what) +
         "\r\nDie Einzelheiten stehen in der Datei " + errorLogFileName + ".";
}

}  // namespace velmoran::app
