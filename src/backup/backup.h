#pragma once
// SaveData: copies of the seven tables and the settings files in the backup folder SECURE
// below the data directory. The folder holds one generation; every backup overwrites the
// copies of the one before. Index files are never copied: they are rebuilt from the tables.

#include <filesystem>
#include <string_view>

#include "app/ui.h"
#include "app/workspace.h"

namespace velmoran::backup {

// The backup folder: SECURE in the data directory, found whatever the case of its name.
std::filesystem::path secureFolder(const app::Workspace& ws);

// SaveData: copy the tables, velmoran.ini and, where present, VELMORAN_Column.INI and
// Untis.ini into the backup folder (created when missing). Each copy is written under a
// temporary name and takes the place of the previous copy only when it is complete (a table's
// header agrees with its length), so a full disk or a kill never spoils the last backup. A
// table that cannot be copied is named in a warning; the other files are still copied. At the
// end a status line and an information box say which files were saved, and when, and which
// kept their previous copy.
void saveData(app::Workspace& ws, app::Ui& ui);

}  // namespace velmoran::backup
