#pragma once
// WriteUVD: the teaching records of the UVD table as UVD.TXT, the semicolon-separated import
// file of ASDPC.

#include "app/ui.h"
#include "app/workspace.h"

namespace velmoran::asdpc {

// Ask for the file (proposed: UVD.TXT in the data directory) and write every visible UVD
// record into it. Cancelling writes nothing and shows nothing; a file that cannot be
// written completely is removed and reported.
void writeUvd(app::Workspace& ws, app::Ui& ui);

}  // namespace velmoran::asdpc
