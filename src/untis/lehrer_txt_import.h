#pragma once
// The extra and reduced work import (ReadLehrerTxt): LEHRER.TXT, which Untis writes with
// every teacher's target hours (record kind LS) and the hours of non-teaching duties, extra
// work and reduced work (kinds 65, 66, 67) at fixed positions, replaces the content of
// MEHR_MINDER. The keys of the duties are stored as their whole catalog entries.

#include <filesystem>
#include <string_view>

#include "app/ui.h"
#include "app/workspace.h"
#include "catalog/catalogs.h"
#include "store/text.h"

namespace velmoran::untis {

// ReadLehrerTxt: let the person choose LEHRER.TXT and import it.
void readLehrerTxt(app::Workspace& ws, app::Ui& ui);
// Import this LEHRER.TXT into MEHR_MINDER.
void importLehrerTxt(app::Workspace& ws, app::Ui& ui, const std::filesystem::path& file);

// One line of LEHRER.TXT as MEHR_MINDER stores it.
struct LehrerTxtRecord {
  Text art;           // positions 1-2, as written
  Text abbreviation;  // positions 9-12, upper case
  double hours = 0;   // positions 13-17, times the minutes of a lesson under the minute model
  Text nicht;         // kind 65: the catalog entry of the key at positions 18-20
  Text mehr;          // kind 66
  Text minder;        // kind 67
};

// `minuteFactor` is 0 when the minute model is off.
LehrerTxtRecord parseLehrerTxtLine(std::string_view line, double minuteFactor,
                                   const catalog::Catalogs& catalogs);

// The factor of the minute model: the minutes of a lesson (settings entry 9, decimal comma)
// when the minute model is on and that number is above 0; otherwise 0 (hours stay hours).
double minuteFactor(const app::Settings& settings);

}  // namespace velmoran::untis
