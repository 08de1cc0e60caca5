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

}  // namespace velmoran::transfer
