#pragma once
// The Untis settings: where Untis.exe lies, which database or Untis/GPN file it opens, the
// user and password for the database. They live in Workspace::AUNTIS_ARRAY for the running
// program and in Untis.ini in the data directory: six lines ended by CR LF, the user and the
// password padded to 50 characters and scrambled. This file also holds what the settings
// dialog (UntisDialog) does with them, so the window only shows and collects the six texts.

#include <array>
#include <string_view>
#include <vector>

#include "app/ui.h"
#include "app/workspace.h"
#include "store/text.h"

namespace velmoran::untis {

// The caption of the settings dialog and of its messages.
inline constexpr const char* untisDialogCaption = "Velmoran 2021 / Untis - Einstellungen";
// User and password are stored as exactly this many characters.
inline constexpr std::size_t untisSecretLength = 50;

// Entries of AUNTIS_ARRAY (0-based positions of the six lines).
enum UntisEntry : std::size_t {
  dbProgram = 0,  // Untis.exe, database case
  dbName = 1,     // name of the Untis database
  dbUser = 2,
  dbPassword = 3,
  fileProgram = 4,  // Untis.exe, file case
  untisFile = 5,    // the Untis or GPN file
};
inline constexpr std::size_t untisEntryCount = 6;

// The keyed scrambling of the user and password lines. It is its own inverse and keeps the
// length; bytes other than NUL, CR and LF stay clear of those three, so a scrambled line never
// breaks the line structure of Untis.ini.
Text scramble(std::string_view text);

// The entries of an Untis.ini held in memory: a line per CR LF, lines 3 and 4 unscrambled,
// text after the last CR LF ignored.
std::vector<Text> parseUntisIni(std::string_view bytes);
// The six texts as Untis.ini holds them.
std::string formatUntisIni(const std::array<Text, untisEntryCount>& entries);

// Get_From_Untis_Ini: read Untis.ini of the data directory into AUNTIS_ARRAY. False (and the
// list unchanged) when the file is missing or cannot be read.
bool getFromUntisIni(app::Workspace& ws);

// The six edits of the settings dialog.
using UntisEdits = std::array<Text, untisEntryCount>;

// Init: read Untis.ini again, make the list six empty texts when it stays empty, and give the
// texts the edits show (surrounding blanks removed, the password as held).
UntisEdits untisDialogInit(app::Workspace& ws);
// Save (Write_To_Untis_Ini): write the edits to Untis.ini; the list is not changed. On failure
// an error box, and false.
bool untisDialogSave(app::Workspace& ws, app::Ui& ui, const UntisEdits& edits);
// Cancel ("&Beenden"): the edits, without surrounding blanks, become entries 1 to 6 of the
// list; the next export launch uses them whether or not they were saved.
void untisDialogClose(app::Workspace& ws, const UntisEdits& edits);

// The three "..." buttons of the dialog.
enum class UntisPicker { dbProgram, fileProgram, untisFile };
// The open-file request of a picker button.
app::FileRequest untisPickerRequest(const app::Workspace& ws, UntisPicker picker);
// Ask for the file; a chosen path, without surrounding blanks, replaces its edit. False when
// the person cancels (nothing changes).
bool pickUntisFile(const app::Workspace& ws, app::Ui& ui, UntisPicker picker, UntisEdits& edits);

}  // namespace velmoran::untis
