// The plausibility check: "check" prints the findings and ends with status 1
// when one of them is an error ("Fehler"); "check --save FILE" writes the list
// into FILE as well.

#include <cstdio>

#include "asdpc/plausibility.h"
#include "commands.h"

namespace velmoran::cli {

namespace {

int checkCommand(Invocation& in) {
  const bool save = in.args.size() == 2 && in.args[0] == "--save";
  if (!in.args.empty() && !save) {
    std::fputs(usageText().c_str(), stderr);
    return exitUsage;
  }
  const std::vector<asdpc::Finding> findings = asdpc::checkDataCommand(in.ws, in.ui);
  if (!findings.empty()) {
    Text list = asdpc::formatFindings(findings);
    std::erase(list, '\r');  // a terminal wants LF alone
    print(list);
    std::size_t errors = 0;
    for (const auto& f : findings) errors += f.severity == asdpc::severityError ? 1 : 0;
    print(std::to_string(errors) + " Fehler, " + std::to_string(findings.size() - errors) +
          " Hinweise\n");
  }
  if (save) {
    in.ui.files.push_back(in.args[1]);
    if (!asdpc::saveFindings(in.ws, in.ui, findings)) return exitFailed;
  }
  return asdpc::hasErrors(findings) ? exitFailed : exitOk;
}

const CommandRegistration reg({{"check", "[--save FILE]", 0, 2, checkCommand}});

}  // namespace

}  // namespace velmoran::cli
