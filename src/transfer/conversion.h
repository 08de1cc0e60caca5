#pragma once
// KonvertClasses and KonvertItems: rewrite the classes and subjects of UVD through the
// conversion tables KLASSE and FACH, whose new names the user has filled in.

#include "app/ui.h"
#include "app/workspace.h"

namespace velmoran::transfer {

// Class conversion: every UVD record whose class has a KLASSE record with a new name takes
// the new name, the year group and (depending on the school form) the course kind.
void konvertClasses(app::Workspace& ws, app::Ui& ui);

// Subject conversion: every UVD record whose subject has a FACH record with a new subject
// takes the new subject's key and the FACH record's course kind.
void konvertItems(app::Workspace& ws, app::Ui& ui);

// A row of the subject page (FACH) or the class page (KLASSE) that still lacks an allowed new
// name: an old name and no new one, so the conversion cannot apply it yet. The table stands
// on the row. Always false for the other pages.
bool lacksNewName(const store::Table& table, app::Page page);
// The live rows of that page's table that lack a new name; the table ends on its first record.
std::size_t countLackingNewName(app::Workspace& ws, app::Page page);
// "7 Fächer und 3 Klassen brauchen einen zulässigen Namen"; empty when none does.
Text lackingNamesText(app::Workspace& ws);

}  // namespace velmoran::transfer
