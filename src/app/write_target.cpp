#include "app/write_target.h"

#include <system_error>

#include "app/column_layout_file.h"
#include "app/error_log.h"
#include "app/settings_file.h"
#include "app/startup.h"
#include "store/code_page.h"
#include "store/files.h"
#include "store/staged_files.h"

namespace velmoran::app {

namespace fs = std::filesystem;

namespace {

bool isProgramFileName(const fs::path& name) {
  const std::string text = name.filename().string();
  const std::string extension = name.extension().string();
  if (sameIgnoringCase(extension, ".dbf") || sameIgnoringCase(extension, ".ntx")) return true;
  for (const char* own : {settingsFileName, columnLayoutFileName, untisIniFileName, runLockFileName,
                          errorLogFileName, store::stagedListFileName})
    if (sameIgnoringCase(text, own)) return true;
  return false;
}

// The path with every link followed, as far as it exists.
fs::path resolved(const fs::path& file) {
  std::error_code ec;
  fs::path p = fs::weakly_canonical(file, ec);
  return ec ? fs::absolute(file, ec).lexically_normal() : p;
}

// The folder's path as it is compared: links followed, no trailing separator.
std::string folderText(const fs::path& folder) {
  fs::path p = resolved(folder);
  if (!p.has_filename() && p.has_parent_path() && p != p.root_path()) p = p.parent_path();
  return p.string();
}

bool sameFolder(const fs::path& a, const fs::path& b) {
  std::error_code ec;
  if (fs::equivalent(a, b, ec)) return true;
  // Where the file system cannot say (Windows does not open folders for it), the paths decide,
  // whatever their case where the file system ignores it.
#ifdef _WIN32
  return sameIgnoringCase(folderText(a), folderText(b));
#else
  return folderText(a) == folderText(b);
#endif
}

bool liesIn(const fs::path& file, const fs::path& folder) {
  for (fs::path p = file.parent_path(); !p.empty(); p = p.parent_path()) {
    if (sameFolder(p, folder)) return true;
    if (p == p.parent_path()) break;
  }
  return false;
}

}  // namespace

std::optional<Text> refusedWriteTarget(const Workspace& ws, const fs::path& target) {
  const fs::path file = resolved(target);
  const Text shown = store::pathText(target);
  if (liesIn(file, ws.dataFile(secureFolderName)))
    return "Die Datei " + shown +
           " liegt im Sicherungsordner SECURE und wird nicht geschrieben !\r\n"
           "Bitte wählen Sie einen anderen Ordner.";
  if (sameFolder(file.parent_path(), ws.dataDir()) && isProgramFileName(file))
    return "Die Datei " + shown + " gehört zu den Daten von " + programTitle +
           " und wird nicht überschrieben !\r\nBitte wählen Sie einen anderen Dateinamen.";
  return std::nullopt;
}

}  // namespace velmoran::app
