#pragma once
// The files an export must never replace. UVD.TXT, LEHRER_ASD.TXT and the list of the check
// are proposed in the data directory, beside the tables; a name typed by mistake must not
// turn a table, an index file, a settings file or a backup copy into a text file.

#include <filesystem>
#include <optional>

#include "app/workspace.h"
#include "store/text.h"

namespace velmoran::app {

// The warning text when `target` is a file of the program in the data directory (a table,
// an index file, velmoran.ini, VELMORAN_Column.INI, Untis.ini, the lock or log file) or lies
// in the backup folder SECURE; nothing when an export may be written there. Names are
// compared whatever their case, and links are followed.
std::optional<Text> refusedWriteTarget(const Workspace& ws, const std::filesystem::path& target);

}  // namespace velmoran::app
