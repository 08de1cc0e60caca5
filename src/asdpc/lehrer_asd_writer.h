#pragma once
// WriteLehrerASD: the teacher file that ASDPC imports, LEHRER_ASD.TXT. Fixed positions, no
// separators: a school line (00), the lesson length (60), one line per teacher (61), the
// teaching qualifications, subject directions and training subjects of every LEHRER row
// (62 to 64), and the summed hours of non-teaching duties, extra and reduced work per teacher
// and key from MEHR_MINDER (65 to 67). Every line carries the school number.

#include <optional>
#include <string>
#include <vector>

#include "app/ui.h"
#include "app/workspace.h"
#include "asdpc/plausibility.h"
#include "store/text.h"

namespace velmoran::asdpc {

// Hours are written in a field of this many characters ("0025.50").
inline constexpr std::size_t hoursWidth = 7;

// WriteLehrerASD: check the teacher tables and, when the check finds errors, ask whether to
// write anyway (confirmWriting); ask where to write, then write LEHRER_ASD.TXT from LEHRER
// and MEHR_MINDER. A file of the program (app/write_target.h) is refused; a file that cannot
// be written completely keeps its old content. Returns the findings when the person asked to
// see them instead of writing.
std::vector<Finding> writeLehrerAsd(app::Workspace& ws, app::Ui& ui);

// Hours as the file holds them: two decimals, a point, left-padded with "0" to seven
// characters (25.5 is "0025.50"). Nothing when the value needs more than seven characters
// (10000 hours or more), because a wider field would shift every later position of the line.
std::optional<Text> formatHours(double hours);

// The lines of the file, each ended by CR LF, from the tables and settings as they are; or
// the values that do not fit their hours field ("ABCD: 12345.00").
struct LehrerAsdContent {
  std::string bytes;
  std::vector<Text> oversizedHours;
};
LehrerAsdContent lehrerAsdContent(app::Workspace& ws);

}  // namespace velmoran::asdpc
