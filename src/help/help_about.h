#pragma once
// What the info dialog shows and what its "Weiter" button does with the values the person
// chose: the school form, the minute model and the minutes per lesson, and the school data
// (two name lines and the school number) that no other dialog edits.

#include <filesystem>

#include "app/ui.h"
#include "app/workspace.h"

namespace velmoran::help {

struct AboutValues {
  Text schoolForm;  // the combo box text, a whole entry of the school-form list
  bool minuteModel = false;
  Text minutes;  // as typed
  Text schoolName1;
  Text schoolName2;
  Text schoolNumber;
};

inline constexpr const char* aboutCaption = "Velmoran 2021 / Info";

// The values the dialog opens with.
AboutValues aboutValues(const app::Settings& settings);

// "Weiter": without a school form a warning and false (the dialog stays open); otherwise the
// values go into the settings, which are written, and true.
bool confirmAbout(app::Workspace& ws, app::Ui& ui, const AboutValues& values);

// After the dialog has closed: the minute model once more, the settings written again, the
// catalogs rebuilt for the school form now chosen.
void finishAbout(app::Workspace& ws, app::Ui& ui, bool minuteModel);

// The date of the program file as DD.MM.YYYY ("" when it cannot be read).
Text programFileDate(const std::filesystem::path& programFile);

}  // namespace velmoran::help
