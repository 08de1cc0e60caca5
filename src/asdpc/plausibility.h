#pragma once
// CheckData: the plausibility check of the data that the two ASDPC writers put
// into UVD.TXT and LEHRER_ASD.TXT. It reads the tables and the settings,
// changes nothing and never stands in the way of writing: each finding names
// the file it concerns, the table record and field it comes from, and says in
// one German sentence which value is wrong and what is allowed. "Fehler" are
// values ASDPC rejects or that make the files wrong; "Hinweis" are values the
// writers change on the way (cut, rounded, written as a default) or unfinished
// conversions.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "app/ui.h"
#include "app/workspace.h"
#include "store/date.h"
#include "store/text.h"

namespace velmoran::asdpc {

inline constexpr const char* severityError = "Fehler";
inline constexpr const char* severityNote = "Hinweis";

struct Finding {
  Text file;                // "UVD.TXT" or "LEHRER_ASD.TXT"
  Text table;               // "UVD", "FACH", "KLASSE", "LEHRER", "MEHR_MINDER", or
                            // "velmoran.ini"
  std::uint32_t recno = 0;  // record number; 0 for the settings
  Text field;               // field name, or the settings entry ("Schulnummer")
  Text severity;            // severityError or severityNote
  Text text;                // one sentence
  friend bool operator==(const Finding&, const Finding&) = default;
};

// Every finding, UVD.TXT before LEHRER_ASD.TXT, then by table and record
// number. The ages of the teachers are taken on 1 August of the school year
// that holds `today` (a school year starts on 1 August). Each table read keeps
// its order and ends on its first record.
std::vector<Finding> checkData(app::Workspace& ws, const Date& today);
std::vector<Finding> checkData(app::Workspace& ws);

inline constexpr const char* uvdTxtFile = "UVD.TXT";
inline constexpr const char* lehrerAsdTxtFile = "LEHRER_ASD.TXT";

// The findings of one file (uvdTxtFile or lehrerAsdTxtFile) only: the check of the tables
// that file is made from.
std::vector<Finding> checkFile(app::Workspace& ws, std::string_view file);

// Before a writer writes `file`: its check runs, and when it finds errors the person is asked
// whether to write anyway (notes alone ask nothing). `findings` gets what the check found
// when the person asked to see it instead of writing.
struct WriteDecision {
  bool write = true;
  std::vector<Finding> findings;
};
WriteDecision confirmWriting(app::Workspace& ws, app::Ui& ui, std::string_view file,
                             const Text& caption);

bool hasErrors(const std::vector<Finding>& findings);

// One line per finding, each ended by CR LF:
//   Fehler: UVD.TXT, UVD Satz 12, Feld WSTD: Die Wochenstunden ...
// With no findings, the single line "Es wurden keine Fehler gefunden.".
Text formatFindings(const std::vector<Finding>& findings);

// CheckData as the menu runs it: the findings for the window (or the command
// line) to show; when there are none, the information box "Es wurden keine
// Fehler gefunden." instead.
std::vector<Finding> checkDataCommand(app::Workspace& ws, app::Ui& ui);

// Ask where to save (proposed: PRUEFUNG.TXT in the data directory) and write
// the list as formatFindings gives it (Windows-1252, CR LF). Cancelling writes
// nothing; a file of the program (app/write_target.h) is refused, and a file
// that cannot be written completely keeps its old content; both are reported
// with a warning. True when the file was written.
bool saveFindings(app::Workspace& ws, app::Ui& ui, const std::vector<Finding>& findings);

}  // namespace velmoran::asdpc
