// Commands of the teacher data, the LEHRER_ASD.TXT writer, backup and restore.

#include <cstdio>

#include "asdpc/lehrer_asd_writer.h"
#include "backup/backup.h"
#include "backup/restore.h"
#include "commands.h"
#include "untis/gpu004_import.h"
#include "untis/lehrer_txt_import.h"

namespace velmoran::cli {

namespace {

// Without FILE, ReadGPU004Txt as the menu runs it: Untis started for the export when the
// Untis settings allow it, otherwise no file is chosen and nothing happens. With FILE that
// file is read and Untis is not started.
int importGpu004Command(Invocation& in) {
  if (in.args.empty()) {
    untis::readGpu004Txt(in.ws, in.ui);
  } else {
    untis::importGpu004(in.ws, in.ui, in.args[0]);
  }
  return exitOk;
}

int importLehrerCommand(Invocation& in) {
  in.ui.files.push_back(in.args[0]);
  untis::readLehrerTxt(in.ws, in.ui);
  return exitOk;
}

int writeLehrerAsdCommand(Invocation& in) {
  in.ui.files.push_back(in.args[0]);
  asdpc::writeLehrerAsd(in.ws, in.ui);
  return exitOk;
}

int backupCommand(Invocation& in) {
  backup::saveData(in.ws, in.ui);
  return exitOk;
}

// The names as the restore dialog lists them, in any case.
int restoreCommand(Invocation& in) {
  std::vector<Text> chosen;
  for (const std::string& arg : in.args) {
    auto entry = backup::restoreEntry(fromArg(arg));
    if (!entry) {
      std::string known;
      for (const Text& name : backup::restoreEntries()) known += " " + name;
      std::fprintf(stderr, "unbekannte Sicherungsdatei: %s (erlaubt:%s)\n", arg.c_str(),
                   known.c_str());
      return exitUsage;
    }
    chosen.push_back(*entry);
  }
  backup::restoreData(in.ws, in.ui, chosen);
  return exitOk;
}

const CommandRegistration reg({
    {"import-gpu004", "[FILE]", 0, 1, importGpu004Command},
    {"import-lehrer", "FILE", 1, 1, importLehrerCommand},
    {"write-lehrer-asd", "FILE", 1, 1, writeLehrerAsdCommand},
    {"backup", "", 0, 0, backupCommand},
    {"restore", "NAME...", 1, -1, restoreCommand},
});

}  // namespace

}  // namespace velmoran::cli
