#include "app/startup.h"

#include <algorithm>
#include <cstdlib>
#include <system_error>

#include "app/column_layout_file.h"
#include "app/error_log.h"
#include "store/bulk.h"
#include "store/files.h"
#include "store/maintenance.h"
#include "store/schema.h"
#include "store/staged_files.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace velmoran::app {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t maxDataDirLength = 150;

std::string upperAscii(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return s;
}

bool liesUnderHome(const fs::path& dir) {
#ifdef _WIN32
  const char* home = std::getenv("USERPROFILE");
#else
  const char* home = std::getenv("HOME");
#endif
  if (!home || !*home) return false;
  std::error_code ec;
  fs::path h = fs::weakly_canonical(home, ec);
  fs::path d = fs::weakly_canonical(dir, ec);
  auto [hi, di] = std::mismatch(h.begin(), h.end(), d.begin(), d.end());
  return hi == h.end() && di != d.end();
}

// Whether another running copy of the program holds the tables (it keeps the first one
// locked for its whole run).
bool tablesHeldElsewhere(const fs::path& dataDir) {
  auto first = store::Table::open(store::findInDir(dataDir, tableInfos().front().fileName),
                                  store::OpenMode::Exclusive);
  return !first && first.reason().starts_with(store::lockedReason);
}

// Each table file checked against the fields its name requires before anything is written:
// a file that holds another table (two files swapped, a table copied under the wrong name)
// is named and the start ends with every file as it was. A file that does not open is left
// to the maintenance, which reports it.
bool tablesAreTheirOwn(const Workspace& ws, Ui& ui) {
  for (const auto& info : tableInfos()) {
    const fs::path file = ws.dataFile(info.fileName);
    auto opened = store::Table::open(file, store::OpenMode::Shared);
    if (!opened) continue;
    const auto missing = store::missingFields(store::tableSpec(info.name), (*opened)->structure());
    if (missing.empty()) continue;
    ui.warning(programTitle, foreignTableText(file, info.name, missing) +
                                 "\r\nVelmoran hat nichts verändert. Ersetzen Sie die Datei durch "
                                 "die richtige Tabelle, etwa aus dem Ordner SECURE.");
    return false;
  }
  return true;
}

// True when the file was missing and the copy made.
bool copyIfMissing(const fs::path& from, const fs::path& to) {
  std::error_code ec;
  if (fs::exists(to, ec)) return false;
  // A failure stays silent: the table's open fails later and says so.
  return fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec) && !ec;
}

void showSingleUserWarning(Ui& ui) {
  ui.warning(programTitle, std::string(programTitle) + " ist ein Einzelplatzprogramm !\r\n" +
                               "Schließen Sie bitte ein schon laufendes " + programTitle +
                               " Programm !");
}

// A table that was missing has been made anew, empty. When the backup folder holds a copy of
// it, the person learns of it, and from when it is, so that it can be restored.
void noteBackupsOfMissingTables(const Workspace& ws, Ui& ui,
                                const std::vector<std::string>& provisioned) {
  const fs::path secure = store::findInDir(ws.dataDir(), secureFolderName);
  for (const std::string& name : provisioned) {
    const fs::path copy = store::findInDir(secure, name);
    std::error_code ec;
    if (!fs::is_regular_file(copy, ec)) continue;
    ui.warning(programTitle, "Im Datenordner fehlte die Tabelle " + name +
                                 "; sie wurde leer angelegt.\r\nIm Ordner SECURE liegt eine "
                                 "Sicherung vom " +
                                 fileTimeText(copy, "%d.%m.%Y, %H:%M") +
                                 " Uhr: Sie können sie über Datensicherung / Datensicherung "
                                 "einlesen zurückholen.");
  }
}

}  // namespace

std::optional<std::string> dataDirFromCommandLine(std::string commandLine,
                                                  std::size_t programNameStart,
                                                  std::string_view programName) {
  // Quotes are removed before anything is looked at; the program's name moves left with them.
  std::size_t quotesBefore = static_cast<std::size_t>(std::count(
      commandLine.begin(),
      commandLine.begin() + static_cast<long>(std::min(programNameStart, commandLine.size())),
      '"'));
  commandLine.erase(std::remove(commandLine.begin(), commandLine.end(), '"'), commandLine.end());
  std::size_t p = programNameStart - quotesBefore;
  if (commandLine.find('-') == std::string::npos) return std::nullopt;
  if (upperAscii(commandLine.substr(p, programName.size())) != upperAscii(std::string(programName)))
    return std::nullopt;
  std::size_t dash = p + programName.size() + 1;
  if (dash >= commandLine.size() || commandLine[dash] != '-') return std::nullopt;
  std::string dir = trim(commandLine.substr(dash + 1, maxDataDirLength));
  if (dir.empty()) return std::nullopt;
  const char sep = static_cast<char>(fs::path::preferred_separator);
  if (dir.back() != sep && dir.back() != '/') dir += sep;
  return dir;
}

CommandLine joinArguments(const std::vector<std::string>& args) {
  CommandLine line;
  if (args.empty()) return line;
  line.text = args[0];
  line.programName = fs::path(args[0]).filename().string();
  line.programNameStart = args[0].size() - line.programName.size();
  for (std::size_t i = 1; i < args.size(); ++i) line.text += " " + args[i];
  return line;
}

fs::path programDirectory(const char* argv0) {
  std::error_code ec;
#ifdef _WIN32
  wchar_t buf[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, buf, MAX_PATH);
  if (n > 0 && n < MAX_PATH) return fs::path(std::wstring(buf, n)).parent_path();
#else
  fs::path self = fs::read_symlink("/proc/self/exe", ec);
  if (!ec) return self.parent_path();
#endif
  return fs::absolute(fs::path(argv0 ? argv0 : "."), ec).parent_path();
}

void createDataFolders(const fs::path& dataDir) {
  std::error_code ec;
  if (dataDir.string().find("Users") != std::string::npos || liesUnderHome(dataDir)) {
    fs::create_directories(dataDir, ec);
    fs::create_directory(dataDir / secureFolderName, ec);
  }
}

std::vector<std::string> provisionDataDirectory(const fs::path& programDir,
                                                const fs::path& dataDir) {
  createDataFolders(dataDir);
  std::error_code ec;
  copyIfMissing(programDir / settingsFileName, store::findInDir(dataDir, settingsFileName));
  fs::path secure = store::findInDir(dataDir, secureFolderName);
  if (!fs::exists(store::findInDir(secure, settingsFileName), ec)) {
    fs::create_directory(secure, ec);
    copyIfMissing(programDir / settingsFileName, secure / settingsFileName);
  }
  std::vector<std::string> copied;
  for (const auto& spec : store::tableSpecs())
    if (copyIfMissing(programDir / spec.fileName, store::findInDir(dataDir, spec.fileName)))
      copied.emplace_back(spec.fileName);
  return copied;
}

std::optional<store::OsFile> lockDataDirectory(const fs::path& dataDir) {
  auto file =
      store::OsFile::open(store::findInDir(dataDir, runLockFileName),
                          store::OsFile::Access::ReadWrite, store::OsFile::Create::IfMissing);
  if (!file) return store::OsFile();
  if (!file->lock(0, 0, true)) return std::nullopt;
  return std::move(*file);
}

std::unique_ptr<Workspace> startUp(const StartRequest& request, Ui& ui) {
  fs::path dataDir = request.programDir;
  auto named =
      dataDirFromCommandLine(request.commandLine.text, request.commandLine.programNameStart,
                             request.commandLine.programName);
  if (named) {
    std::error_code ec;
    dataDir = fs::absolute(fs::path(*named), ec);
    createDataFolders(dataDir);
  }
  dataDir = dataDir.lexically_normal();
  // One copy at a time, from before the first file of the data directory is touched to the
  // end of the run: a second copy ends here, whatever the first is doing.
  auto runLock = lockDataDirectory(dataDir);
  if (!runLock) {
    showSingleUserWarning(ui);
    return nullptr;
  }
  // A restore a kill interrupted is completed before anything reads the tables; the copies
  // a killed backup left unfinished go (the previous copies beside them are whole).
  store::finishStagedFiles(dataDir);
  store::removeUnfinishedOutputs(store::findInDir(dataDir, secureFolderName));
  // A command cut off by a kill or a power cut: finished, or its new files removed, before a
  // table it was putting in place can be taken for missing and made anew.
  if (!tablesHeldElsewhere(dataDir)) store::completeReplacements(dataDir);
  std::vector<std::string> provisioned;
  if (named) provisioned = provisionDataDirectory(request.programDir, dataDir);
  auto ws = std::make_unique<Workspace>(request.programDir, dataDir);
  ws->holdRunLock(std::move(*runLock));
  if (!tablesAreTheirOwn(*ws, ui)) return nullptr;
  store::MaintenanceOutcome maintenance = store::maintainTables(ws->dataDir());
  ws->LNOSERVER = maintenance.locked;
  if (ws->LNOSERVER) {
    // Another program holds the tables (a copy of the program older than the lock file).
    showSingleUserWarning(ui);
    return nullptr;
  }
  for (const auto& problem : maintenance.problems) appendErrorLog(ws->dataDir(), problem);
  if (auto layouts = readColumnLayouts(ws->dataFile(columnLayoutFileName))) ws->layouts = *layouts;

  auto settings = readSettings(ws->dataFile(settingsFileName));
  if (!settings) {
    ui.warning(programTitle, "Die Velmoran.INI kann nicht geöffnet werden !");
    return nullptr;
  }
  ws->settings = *settings;
  // The warning names the table file; why it failed (in the table layer's words) goes to
  // the error log.
  for (const auto& info : tableInfos()) {
    if (auto opened = ws->openTable(info.page); !opened) {
      appendErrorLog(ws->dataDir(), opened.reason());
      ui.warning(programTitle, "Die Tabelle " + ws->dataFile(info.fileName).string() +
                                   " kann nicht geöffnet werden !");
      return nullptr;
    }
  }
  noteBackupsOfMissingTables(*ws, ui, provisioned);
  ws->fillZulFaecher();
  return ws;
}

}  // namespace velmoran::app
