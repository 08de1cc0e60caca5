#include "untis/untis_ini.h"

#include <filesystem>

#include "store/files.h"

namespace velmoran::untis {

namespace {

constexpr std::string_view scrambleKey = "KOLMA";
constexpr std::string_view lineEnd = "\r\n";

// The scrambling works on the 253 byte values other than NUL, LF and CR: each is numbered
// 0..252 in byte order and character j of the text becomes number (k_j - n) mod 253, where
// k_j comes from the key and the position. Reflecting a number about k_j twice gives it back,
// so the same call scrambles and unscrambles, and the three line-breaking bytes never appear.
constexpr unsigned alphabetSize = 253;

bool isExcluded(unsigned b) { return b == 0 || b == '\n' || b == '\r'; }

unsigned toNumber(unsigned b) { return b - (b > 0) - (b > '\n') - (b > '\r'); }

unsigned fromNumber(unsigned n) {
  unsigned b = n + 1;  // past NUL
  if (b >= '\n') ++b;  // past LF
  if (b >= '\r') ++b;  // past CR
  return b;
}

unsigned keyAt(std::size_t j) {
  auto c = static_cast<unsigned char>(scrambleKey[j % scrambleKey.size()]);
  return static_cast<unsigned>((c * (j + 1) + 17 * j) % alphabetSize);
}

Text secretLine(std::string_view edit) { return scramble(padRight(edit, untisSecretLength)); }

constexpr const char* cannotCreateText = "Die Untis.ini lässt sich leider nicht erstellen !";

}  // namespace

Text scramble(std::string_view text) {
  Text out(text);
  for (std::size_t j = 0; j < out.size(); ++j) {
    auto b = static_cast<unsigned char>(out[j]);
    if (isExcluded(b)) continue;
    unsigned n = (keyAt(j) + alphabetSize - toNumber(b)) % alphabetSize;
    out[j] = static_cast<char>(fromNumber(n));
  }
  return out;
}

std::vector<Text> parseUntisIni(std::string_view bytes) {
  std::vector<Text> entries;
  for (std::size_t end = bytes.find(lineEnd); end != std::string_view::npos;
       end = bytes.find(lineEnd)) {
    entries.emplace_back(bytes.substr(0, end));
    if (entries.size() == dbUser + 1 || entries.size() == dbPassword + 1)
      entries.back() = scramble(entries.back());
    bytes.remove_prefix(end + lineEnd.size());
  }
  return entries;
}

std::string formatUntisIni(const std::array<Text, untisEntryCount>& entries) {
  std::string out;
  for (std::size_t i = 0; i < untisEntryCount; ++i) {
    bool isSecret = i == dbUser || i == dbPassword;
    out += isSecret ? secretLine(entries[i]) : trim(entries[i]);
    out += lineEnd;
  }
  return out;
}

bool getFromUntisIni(app::Workspace& ws) {
  std::filesystem::path file = ws.dataFile(app::untisIniFileName);
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) return false;
  auto bytes = store::readFile(file);
  if (!bytes) return false;
  ws.AUNTIS_ARRAY = parseUntisIni(*bytes);
  return true;
}

UntisEdits untisDialogInit(app::Workspace& ws) {
  getFromUntisIni(ws);
  if (ws.AUNTIS_ARRAY.empty()) ws.AUNTIS_ARRAY.assign(untisEntryCount, Text());
  UntisEdits edits;
  for (std::size_t i = 0; i < untisEntryCount && i < ws.AUNTIS_ARRAY.size(); ++i)
    edits[i] = i == dbPassword ? ws.AUNTIS_ARRAY[i] : trim(ws.AUNTIS_ARRAY[i]);
  return edits;
}

bool untisDialogSave(app::Workspace& ws, app::Ui& ui, const UntisEdits& edits) {
  if (!store::writeFileAtomically(ws.dataFile(app::untisIniFileName), formatUntisIni(edits))) {
    ui.error(untisDialogCaption, cannotCreateText);
    return false;
  }
  return true;
}

void untisDialogClose(app::Workspace& ws, const UntisEdits& edits) {
  if (ws.AUNTIS_ARRAY.size() < untisEntryCount) ws.AUNTIS_ARRAY.resize(untisEntryCount);
  for (std::size_t i = 0; i < untisEntryCount; ++i) ws.AUNTIS_ARRAY[i] = trim(edits[i]);
}

app::FileRequest untisPickerRequest(const app::Workspace& ws, UntisPicker picker) {
  app::FileRequest r;
  r.directory = ws.dataDir();
  if (picker == UntisPicker::untisFile) {
    r.caption = "Untis/GPN - Datei finden";
    r.filters = {{"*.*", "Alle Dateien"},
                 {"*.Untis", "Untis ab Version 2022"},
                 {"*.GPN", "Untis vor Version 2022"}};
    r.selectedFilter = 1;
  } else {
    r.caption = "Untis.exe finden";
    r.proposedName = "Untis.exe";
    r.filters = {{"*.exe", "Untis Datei"}};
  }
  return r;
}

bool pickUntisFile(const app::Workspace& ws, app::Ui& ui, UntisPicker picker, UntisEdits& edits) {
  auto chosen = ui.openFile(untisPickerRequest(ws, picker));
  if (!chosen) return false;
  Text path = trim(chosen->string());
  if (path.empty()) return false;
  constexpr UntisEntry targets[] = {dbProgram, fileProgram, untisFile};
  edits[targets[static_cast<int>(picker)]] = path;
  return true;
}

}  // namespace velmoran::untis
