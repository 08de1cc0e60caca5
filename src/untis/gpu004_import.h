#pragma once
// The teacher data import (ReadGPU004Txt): GPU004.TXT, exported by Untis on the spot or
// chosen by the person, adds the teachers that LEHRER does not hold yet. Existing rows are
// never changed. A new teacher becomes four rows: one with every column the table has a field
// for, and three that carry only the abbreviation (for further qualifications on page 6).

#include <filesystem>
#include <string_view>
#include <vector>

#include "app/ui.h"
#include "app/workspace.h"
#include "store/text.h"

namespace velmoran::untis {

// Columns of a GPU004.TXT line.
inline constexpr int gpu004Columns = 41;

// ReadGPU004Txt: start Untis for GPU004.TXT when the Untis settings allow it, otherwise let
// the person choose the file; then import it.
void readGpu004Txt(app::Workspace& ws, app::Ui& ui);
// Import this GPU004.TXT into LEHRER.
void importGpu004(app::Workspace& ws, app::Ui& ui, const std::filesystem::path& file);

// The field texts of one line, at most 41, surrounding blanks and quotes removed. A field
// that opens a quote without closing it holds the separator: it runs on to the next quote
// that is directly followed by the separator.
std::vector<Text> splitGpu004Line(std::string_view line, char separator);

}  // namespace velmoran::untis
