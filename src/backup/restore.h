#pragma once
// RestoreData: chosen files of the backup folder copied back into the data directory. The
// open tables let go of their files for the copy and are opened again and re-indexed
// afterwards; a restored settings file or Untis.ini is read again at once. The dialog
// (RestoreDialog) only offers the entries and collects the chosen ones.

#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

#include "app/ui.h"
#include "app/workspace.h"
#include "store/text.h"

namespace velmoran::backup {

inline constexpr const char* restoreDialogCaption = "Velmoran 2021 / Daten aus Sicherung einlesen";
inline constexpr const char* nothingChosenText = "Sie haben keine Datei ausgewählt !";

// The entries the restore offers, in the order the dialog lists them: "gpsul.dbf",
// "uvd.dbf", "zulfach.dbf", "fach.dbf", "klasse.dbf", "lehrer.dbf", "mehr_minder.dbf",
// "VELMORAN.INI", "VELMORAN_Column.INI", "UNTIS.INI".
const std::vector<Text>& restoreEntries();
// The entry of this name whatever its case, or nothing when the restore offers none.
std::optional<Text> restoreEntry(std::string_view name);
// The backup folder's copy of the entry of this name (any case), or nothing when it holds
// none.
std::optional<std::filesystem::path> copyInBackup(const app::Workspace& ws, std::string_view name);

// RestoreData with these entries chosen (names of restoreEntries(), any case). With none
// chosen: the warning of the dialog, and false (the dialog stays open). Otherwise each chosen
// copy is checked before anything is touched: a table must open, hold every record its header
// counts and have the fields of the table it replaces; a settings file must be readable. The
// person is asked, naming the sound copies (No: false, nothing restored); then all of them
// replace the data directory's files in one step: after a failure, or a kill and the next
// start, either every file is as it was or every one restored. Every restored table is opened
// again, re-indexed and put on its first record; a restored velmoran.ini replaces the settings
// (and the catalogs are rebuilt), a restored Untis.ini the Untis settings, and choosing
// VELMORAN_Column.INI sets LRESTORED so the layouts are not written over it at the end. A
// status line and a message say which files came back, and name each one refused or missing
// from SECURE, and why (a warning then, an information otherwise).
bool restoreData(app::Workspace& ws, app::Ui& ui, const std::vector<Text>& chosen);

}  // namespace velmoran::backup
