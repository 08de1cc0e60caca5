#pragma once
// WriteUVD: the teaching records of the UVD table as UVD.TXT, the semicolon-separated import
// file of ASDPC.

#include <vector>

#include "app/ui.h"
#include "app/workspace.h"
#include "asdpc/plausibility.h"

namespace velmoran::asdpc {

// Check the tables first and, when the check finds errors, ask whether to write anyway
// (confirmWriting). Then ask for the file (proposed: UVD.TXT in the data directory) and
// write every visible UVD record into it. Cancelling writes nothing and shows nothing; a file
// of the program (app/write_target.h) is refused, and a file that cannot be written
// completely keeps its old content; both are reported. Returns the findings when the person
// asked to see them instead of writing.
std::vector<Finding> writeUvd(app::Workspace& ws, app::Ui& ui);

}  // namespace velmoran::asdpc
