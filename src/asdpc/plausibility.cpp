#include "asdpc/plausibility.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/write_target.h"
#include "asdpc/plausibility_rules.h"
#include "store/code_page.h"
#include "store/files.h"

namespace velmoran::asdpc {

namespace plausibility {

bool isBlank(std::string_view s) { return trim(s).empty(); }

Text inQuotes(std::string_view value) { return "\"" + Text(value) + "\""; }

Text numberText(double value) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.2f", value + 0.0);
  Text t = buf;
  while (t.back() == '0') t.pop_back();
  if (t.back() == '.') t.pop_back();
  std::replace(t.begin(), t.end(), '.', ',');
  return t;
}

namespace {

constexpr char upperA = static_cast<char>(0xC4);  // Ä
constexpr char upperO = static_cast<char>(0xD6);  // Ö
constexpr char upperU = static_cast<char>(0xDC);  // Ü
constexpr std::size_t maxCodeLength = 4;

bool isCodeLetter(char c) {
  return (c >= 'A' && c <= 'Z') || c == upperA || c == upperO || c == upperU;
}
}  // namespace

bool isTeacherCode(std::string_view code) {
  if (code.empty() || code.size() > maxCodeLength || !isCodeLetter(code[0])) return false;
  return std::all_of(code.begin() + 1, code.end(), [](char c) {
    return isCodeLetter(c) || (c >= '0' && c <= '9') || c == '-' || c == ' ';
  });
}

// Capital letters of Windows-1252: A to Z, À to Þ without the multiplication
// sign, Š Œ Ž Ÿ.
bool isUpperLetter(char c) {
  const auto u = static_cast<unsigned char>(c);
  return (c >= 'A' && c <= 'Z') || (u >= 0xC0 && u <= 0xDE && u != 0xD7) || u == 0x8A ||
         u == 0x8C || u == 0x8E || u == 0x9F;
}

Text teacherCodeText(std::string_view code) {
  const Text allowed =
      "; erlaubt sind 1 bis 4 Zeichen, zuerst ein Großbuchstabe, dann nur "
      "Großbuchstaben, Ziffern, Bindestrich oder Leerzeichen.";
  if (isBlank(code)) return "Das Lehrerkürzel ist leer" + allowed;
  return "Das Lehrerkürzel " + inQuotes(code) + " ist nicht erlaubt" + allowed;
}

TableWalk::TableWalk(store::Table& t, int order) : m_t(t), m_order(t.order()) {
  m_t.setOrder(order);
}

TableWalk::~TableWalk() {
  m_t.setOrder(m_order);
  m_t.goTop();
}

}  // namespace plausibility

namespace {

constexpr const char* noFindingsText = "Es wurden keine Fehler gefunden.";
constexpr const char* captionSuffix = " / Plausibilitätsprüfung";
constexpr const char* saveCaptionSuffix = " / Prüfliste speichern";
constexpr const char* proposedName = "PRUEFUNG.TXT";
constexpr const char* crlf = "\r\n";

// The order of the list: the files as ASDPC reads them, the tables as the pages
// show them.
int tableRank(const Text& table) {
  static const char* const tables[] = {"UVD",          "FACH",   "KLASSE",
                                       "velmoran.ini", "LEHRER", "MEHR_MINDER"};
  const auto it = std::find(std::begin(tables), std::end(tables), table);
  return static_cast<int>(it - std::begin(tables));
}

// A school year starts on 1 August; the ages of the teachers are taken on that day.
constexpr int schoolYearMonth = 8;

Date schoolYearStart(const Date& today) {
  const int year = today.month() >= schoolYearMonth ? today.year() : today.year() - 1;
  return *Date::make(year, schoolYearMonth, 1);
}

// The rules of one file, into `list`.
void checkInto(app::Workspace& ws, const Date& today, std::string_view file,
               plausibility::FindingList& list) {
  if (file == uvdTxtFile)
    plausibility::checkUvdTxt(ws, list);
  else
    plausibility::checkLehrerAsdTxt(ws, schoolYearStart(today), list);
}

// The findings of the chosen files, UVD.TXT before LEHRER_ASD.TXT, then by table and record.
std::vector<Finding> check(app::Workspace& ws, const Date& today,
                           std::initializer_list<std::string_view> files) {
  std::vector<Finding> findings;
  for (std::string_view file : files) {
    plausibility::FindingList list(file, findings);
    checkInto(ws, today, file, list);
  }
  std::stable_sort(findings.begin(), findings.end(), [](const Finding& a, const Finding& b) {
    const bool aUvd = a.file == uvdTxtFile;
    const bool bUvd = b.file == uvdTxtFile;
    if (aUvd != bUvd) return aUvd;
    const int ra = tableRank(a.table);
    const int rb = tableRank(b.table);
    if (ra != rb) return ra < rb;
    return a.recno < b.recno;
  });
  return findings;
}

}  // namespace

std::vector<Finding> checkData(app::Workspace& ws, const Date& today) {
  return check(ws, today, {uvdTxtFile, lehrerAsdTxtFile});
}

std::vector<Finding> checkData(app::Workspace& ws) { return checkData(ws, Date::today()); }

std::vector<Finding> checkFile(app::Workspace& ws, std::string_view file) {
  return check(ws, Date::today(), {file});
}

WriteDecision confirmWriting(app::Workspace& ws, app::Ui& ui, std::string_view file,
                             const Text& caption) {
  // Counted first, without the sentences: a big UVD table may hold an error on every record.
  ui.busy(true);
  plausibility::FindingList counted(file);
  checkInto(ws, Date::today(), file, counted);
  ui.busy(false);
  const std::size_t errors = counted.errors();
  if (errors == 0) return {};
  switch (ui.askWriteDespiteErrors(caption,
                                   "Die Prüfung hat " + std::to_string(errors) +
                                       " Fehler gefunden, die ASDPC zurückweisen wird.",
                                   "Trotzdem schreiben?")) {
    case app::WriteAnswer::write:
      return {};
    case app::WriteAnswer::dontWrite:
      return {false, {}};
    case app::WriteAnswer::showFindings:
      break;
  }
  return {false, checkFile(ws, file)};
}

bool hasErrors(const std::vector<Finding>& findings) {
  return std::any_of(findings.begin(), findings.end(),
                     [](const Finding& f) { return f.severity == severityError; });
}

Text formatFindings(const std::vector<Finding>& findings) {
  if (findings.empty()) return Text(noFindingsText) + crlf;
  Text out;
  for (const Finding& f : findings) {
    out += f.severity + ": " + f.file + ", " + f.table;
    if (f.recno > 0) out += " Satz " + std::to_string(f.recno);
    out += ", Feld " + f.field + ": " + f.text + crlf;
  }
  return out;
}

std::vector<Finding> checkDataCommand(app::Workspace& ws, app::Ui& ui) {
  ui.busy(true);
  std::vector<Finding> findings = checkData(ws);
  ui.busy(false);
  if (findings.empty()) ui.info(Text(app::programTitle) + captionSuffix, noFindingsText);
  return findings;
}

bool saveFindings(app::Workspace& ws, app::Ui& ui, const std::vector<Finding>& findings) {
  const Text title = app::programTitle;
  app::FileRequest request;
  request.caption = title + saveCaptionSuffix;
  request.directory = ws.dataDir();
  request.proposedName = proposedName;
  request.filters = {{"*.TXT", "Textdateien"}};
  const auto chosen = ui.saveFile(request);
  if (!chosen || chosen->empty()) return false;
  if (auto refused = app::refusedWriteTarget(ws, *chosen)) {
    ui.warning(title + saveCaptionSuffix, *refused);
    return false;
  }
  if (store::OutputFile::writeWhole(*chosen, formatFindings(findings))) return true;
  ui.warning(title + saveCaptionSuffix,
             "Die Datei " + store::pathText(*chosen) + " kann nicht geschrieben werden !");
  return false;
}

}  // namespace velmoran::asdpc
