// The commands of the statistics side: the transfer into UVD, the two conversions and the
// UVD.TXT export.

#include <filesystem>
#include <string>

#include "asdpc/uvd_txt_writer.h"
#include "commands.h"
#include "transfer/conversion.h"
#include "transfer/untis_uvd.h"

namespace velmoran::cli {

namespace {

int transferCommand(Invocation& in) {
  transfer::untisUvd(in.ws, in.ui);
  return exitOk;
}

int convertClassesCommand(Invocation& in) {
  transfer::konvertClasses(in.ws, in.ui);
  return exitOk;
}

int convertSubjectsCommand(Invocation& in) {
  transfer::konvertItems(in.ws, in.ui);
  return exitOk;
}

int writeUvdCommand(Invocation& in) {
  const std::string& arg = in.args[0];
  in.ui.files.push_back(std::filesystem::path(std::u8string(arg.begin(), arg.end())));
  asdpc::writeUvd(in.ws, in.ui);
  return exitOk;
}

const CommandRegistration transferCommands({
    {"transfer", "", 0, 0, transferCommand},
    {"convert-classes", "", 0, 0, convertClassesCommand},
    {"convert-subjects", "", 0, 0, convertSubjectsCommand},
    {"write-uvd", "FILE", 1, 1, writeUvdCommand},
});

}  // namespace

}  // namespace velmoran::cli
