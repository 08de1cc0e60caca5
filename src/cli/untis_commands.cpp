// Commands of the Untis import: the teaching distribution and the UVD.TXT re-import.

#include "commands.h"
#include "untis/gpu002_import.h"
#include "untis/uvd_txt_import.h"

namespace velmoran::cli {

namespace {

// Without FILE, GetFromUntis as the menu runs it: Untis started for the export when the
// Untis settings allow it, otherwise no file is chosen and nothing happens. With FILE that
// file is read and Untis is not started.
int importGpu002Command(Invocation& in) {
  if (in.args.empty()) {
    untis::getFromUntis(in.ws, in.ui);
  } else {
    untis::importGpu002(in.ws, in.ui, in.args[0]);
  }
  return exitOk;
}

int importUvdCommand(Invocation& in) {
  in.ui.files.push_back(in.args[0]);
  untis::getFromUvd(in.ws, in.ui);
  return exitOk;
}

const CommandRegistration reg({
    {"import-gpu002", "[FILE]", 0, 1, importGpu002Command},
    {"import-uvd", "FILE", 1, 1, importUvdCommand},
});

}  // namespace

}  // namespace velmoran::cli
