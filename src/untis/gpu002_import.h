#pragma once
// The teaching distribution import (GetFromUntis): GPU002.TXT, exported by Untis on the spot
// or chosen by the person, replaces the content of GPSUL. Also the field conversions that the
// Untis importers share.

#include <filesystem>
#include <optional>
#include <string_view>

#include "app/ui.h"
#include "app/workspace.h"
#include "store/date.h"
#include "store/text.h"

namespace velmoran::untis {

// GetFromUntis: start Untis for GPU002.TXT when the Untis settings allow it, otherwise let
// the person choose the file; then import it.
void getFromUntis(app::Workspace& ws, app::Ui& ui);
// Import this GPU002.TXT into GPSUL: check it, mark every record of GPSUL deleted, append one
// record per line, stamp the settings with the time of the import.
void importGpu002(app::Workspace& ws, app::Ui& ui, const std::filesystem::path& file);

// The separator of a GPU002.TXT: the first of comma, semicolon, tab and blank (tested in
// that order) that occurs in the file's first characters.
std::optional<char> findSeparator(std::string_view head);

// Field conversions, applied to a field with its surrounding blanks removed.
// Number: the decimal number at the start of the text, point as decimal sign ("2,5" is 2);
// anything else 0.
double untisNumber(std::string_view field);
// Text: every double quote removed.
Text untisText(std::string_view field);
// Date: an eight-digit year-month-day between double quotes ("\"20210801\"" is 01.08.2021),
// taken by position; anything that is no valid date gives the empty date.
Date untisDate(std::string_view field);

}  // namespace velmoran::untis
