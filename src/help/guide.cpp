#include "help/guide.h"

#include <cstdlib>
#include <system_error>

#include "app/os_version.h"
#include "store/code_page.h"
#include "store/files.h"

namespace velmoran::help {

namespace fs = std::filesystem;

namespace {

Text notFoundCaption() { return Text(app::programTitle) + " / Kurzanleitung"; }
constexpr const char* notFoundText = "Die Kurzanleitung wurde nicht gefunden !";

bool isFile(const fs::path& file) {
  std::error_code ec;
  return fs::is_regular_file(file, ec);
}

#ifdef _WIN32

std::optional<fs::path> appPathsReader() {
  struct Candidate {
    const char* program;
    bool trimBlanks;
  };
  // Adobe Reader first, then Acrobat, whose value may carry blanks around it.
  constexpr Candidate candidates[] = {{"AcroRd32.exe", false}, {"Acrobat.exe", true}};
  for (const Candidate& c : candidates) {
    const Text key = Text("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\") + c.program;
    auto reader = readerFromAppPath(app::localMachineValue(key, "Path"), c.program, c.trimBlanks,
                                    [](const Text& file) { return isFile(fs::path(file)); });
    if (reader) return fs::path(*reader);
  }
  return std::nullopt;
}

#else

// The desktop's opener in one of the folders of PATH.
std::optional<fs::path> desktopOpener() {
  const char* path = std::getenv("PATH");
  if (!path) return std::nullopt;
  std::string_view folders = path;
  while (!folders.empty()) {
    const std::size_t colon = folders.find(':');
    const std::string_view folder = folders.substr(0, colon);
    folders = colon == std::string_view::npos ? std::string_view() : folders.substr(colon + 1);
    if (folder.empty()) continue;
    fs::path candidate = fs::path(std::string(folder)) / "xdg-open";
    std::error_code ec;
    const auto perms = fs::status(candidate, ec).permissions();
    if (isFile(candidate) && (perms & fs::perms::others_exec) != fs::perms::none) return candidate;
  }
  return std::nullopt;
}

#endif

}  // namespace

std::optional<Text> readerFromAppPath(const std::optional<Text>& pathValue,
                                      std::string_view programName, bool trimBlanks,
                                      const std::function<bool(const Text&)>& exists) {
  if (!pathValue) return std::nullopt;
  Text folder;
  for (char c : *pathValue)
    if (c != '"') folder += c;
  // The value may list several folders; the reader lies in the first.
  folder = folder.substr(0, folder.find(';'));
  if (trimBlanks) folder = trim(folder);
  Text reader = folder + "\\" + Text(programName);
  if (!exists(reader)) return std::nullopt;
  return reader;
}

std::optional<fs::path> findPdfReader() {
#ifdef _WIN32
  return appPathsReader();
#else
  return desktopOpener();
#endif
}

fs::path guideFile(const app::Workspace& ws, std::string_view name) {
  const fs::path inData = store::findInDir(ws.dataDir(), name);
  if (isFile(inData)) return inData;
  const fs::path inProgram = store::findInDir(ws.programDir(), name);
  if (isFile(inProgram)) return inProgram;
  return inData;
}

std::optional<Text> showKurz(app::Workspace& ws, app::Ui& ui,
                             const std::optional<fs::path>& reader) {
  const fs::path pdf = guideFile(ws, guidePdfName);
  if (reader && isFile(pdf)) {
    // Started and left alone: the program neither waits for the reader nor asks how it went.
    const std::u8string utf8 = pdf.u8string();
    ui.startProgram(*reader, {store::utf8ToWindows1252(std::string(utf8.begin(), utf8.end()))});
    return std::nullopt;
  }
  auto bytes = store::readFile(guideFile(ws, guideTextName));
  if (!bytes) {
    ui.warning(notFoundCaption(), notFoundText);
    return std::nullopt;
  }
  return store::decodeTextFile(*bytes);
}

std::optional<Text> showKurz(app::Workspace& ws, app::Ui& ui) {
  return showKurz(ws, ui, findPdfReader());
}

}  // namespace velmoran::help
