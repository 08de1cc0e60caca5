#pragma once
// UntisUVD: builds the statistics table UVD from the teaching distribution GPSUL, lesson by
// lesson, and registers the subjects and classes that need converting in FACH and KLASSE.

#include "app/ui.h"
#include "app/workspace.h"

namespace velmoran::transfer {

// Replace the content of UVD with the teaching records made from GPSUL. Warns and changes
// nothing when GPSUL holds no records.
void untisUvd(app::Workspace& ws, app::Ui& ui);

}  // namespace velmoran::transfer
