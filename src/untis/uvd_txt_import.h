#pragma once
// The UVD.TXT re-import (GetFromUVD): a UVD.TXT as the UVD.TXT writer makes it (possibly
// edited, or kept from an earlier run) replaces the content of the table UVD.

#include <filesystem>

#include "app/ui.h"
#include "app/workspace.h"

namespace velmoran::untis {

// GetFromUVD: let the person choose the file, then import it.
void getFromUvd(app::Workspace& ws, app::Ui& ui);
// Import this UVD.TXT: check its header line, mark every record of UVD deleted, append one
// record per data line from its first eleven columns.
void importUvd(app::Workspace& ws, app::Ui& ui, const std::filesystem::path& file);

}  // namespace velmoran::untis
