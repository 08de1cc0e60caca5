#pragma once
// ShowKurz: the short instructions. The guide document (a PDF) is opened in the PDF reader
// when this computer has one; otherwise the plain-text guide is shown in the HelpKurz dialog;
// without either a warning says so. Both guides are shipped files, looked for in the data
// directory and then in the program directory.

#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>

#include "app/ui.h"
#include "app/workspace.h"
#include "store/text.h"

namespace velmoran::help {

inline constexpr const char* guidePdfName = "Die_Statistik_Velmoran_2021.pdf";
inline constexpr const char* guideTextName = "Vorgehensweise_Velmoran.txt";
// The caption of the HelpKurz dialog that shows the text guide.
inline constexpr const char* helpKurzCaption = "Velmoran 2021 / Kurzbedienungsanleitung";

// The reader that an App Paths "Path" value names: every double quote removed, only the
// part before the first ";" kept, surrounding blanks removed when `trimBlanks`, then "\" and
// the program's file name. Nothing when there is no value or `exists` denies the file.
std::optional<Text> readerFromAppPath(const std::optional<Text>& pathValue,
                                      std::string_view programName, bool trimBlanks,
                                      const std::function<bool(const Text&)>& exists);

// The PDF reader of this computer. On Windows Adobe Reader (AcroRd32.exe), then Acrobat
// (Acrobat.exe), by their App Paths entries; elsewhere the desktop's opener xdg-open, which
// hands the file to the default PDF viewer.
std::optional<std::filesystem::path> findPdfReader();

// A guide file: in the data directory, else in the program directory; the data directory's
// path when neither holds it.
std::filesystem::path guideFile(const app::Workspace& ws, std::string_view name);

// ShowKurz: start `reader` with the guide document when there are both. Otherwise the text of
// the plain-text guide, which the caller shows in HelpKurz; when that cannot be read either,
// the warning "Die Kurzanleitung wurde nicht gefunden !" and nothing.
std::optional<Text> showKurz(app::Workspace& ws, app::Ui& ui,
                             const std::optional<std::filesystem::path>& reader);
// The same with this computer's PDF reader.
std::optional<Text> showKurz(app::Workspace& ws, app::Ui& ui);

}  // namespace velmoran::help
