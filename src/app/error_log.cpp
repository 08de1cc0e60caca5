#include "app/error_log.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <string>

#include "store/code_page.h"
#include "store/date.h"
#include "store/files.h"

namespace velmoran::app {

namespace {

LogOutcome outcomeOf(int error) {
  switch (error) {
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
      return LogOutcome::diskFull;
    case EACCES:
    case EPERM:
#ifdef EROFS
    case EROFS:
#endif
      return LogOutcome::writeProtected;
    default:
      return LogOutcome::failed;
  }
}

}  // namespace

LogOutcome appendErrorLog(const std::filesystem::path& dataDir, std::string_view what) {
  const std::string stamp = localTimeText(std::time(nullptr), "%d.%m.%Y %H:%M:%S");
  std::filesystem::path file = store::findInDir(dataDir, errorLogFileName);
  // A folder of the log's name is no write protection (Windows reports it as one).
  std::error_code ec;
  if (std::filesystem::is_directory(file, ec)) return LogOutcome::failed;
  errno = 0;
  std::FILE* f = store::openFile(file, "ab");
  if (!f) return outcomeOf(errno);
  const std::string line = stamp + "  " + std::string(what) + "\r\n";
  bool ok = std::fwrite(line.data(), 1, line.size(), f) == line.size();
  ok = std::fflush(f) == 0 && ok;
  const int error = errno;
  ok = std::fclose(f) == 0 && ok;
  return ok ? LogOutcome::written : outcomeOf(error ? error : errno);
}

Text reportUnforeseenError(const std::filesystem::path& dataDir, std::string_view what) {
  const Text happened = "Ein unerwarteter Fehler ist aufgetreten.";
  if (dataDir.empty()) return happened;
  const Text log = store::pathText(store::findInDir(dataDir, errorLogFileName));
  switch (appendErrorLog(dataDir, what)) {
    case LogOutcome::written:
      return happened + "\r\nDie Einzelheiten stehen in der Datei " + log + ".";
    case LogOutcome::diskFull:
      return happened + "\r\nDie Einzelheiten konnten nicht in die Datei " + log +
             " geschrieben werden: der Datenträger ist voll.";
    case LogOutcome::writeProtected:
      return happened + "\r\nDie Einzelheiten konnten nicht in die Datei " + log +
             " geschrieben werden: der Ordner oder die Datei ist schreibgeschützt.";
    case LogOutcome::failed:
      break;
  }
  return happened + "\r\nDie Einzelheiten konnten nicht in die Datei " + log +
         " geschrieben werden.";
}

}  // namespace velmoran::app
