#include "commands.h"

#include <cstdio>
#include <cstdlib>

#include "console_output.h"
#include "pages/table_commands.h"
#include "store/code_page.h"

namespace velmoran::cli {

namespace {

std::vector<Command>& registry() {
  static std::vector<Command> list;
  return list;
}

// Options of "settings": each sets one entry, then the file is written.
struct SettingOption {
  const char* option;
  Text app::Settings::*entry;
};
constexpr SettingOption settingOptions[] = {
    {"--school-form", &app::Settings::schoolForm},
    {"--minutes", &app::Settings::minutes},
    {"--school-number", &app::Settings::schoolNumber},
    {"--school-name", &app::Settings::schoolName1},
    {"--school-name2", &app::Settings::schoolName2},
};

int settingsCommand(Invocation& in) {
  app::Settings& s = in.ws.settings;
  bool changed = false;
  for (std::size_t i = 0; i < in.args.size(); i += 2) {
    const std::string& opt = in.args[i];
    if (i + 1 >= in.args.size()) return exitUsage;
    Text value = fromArg(in.args[i + 1]);
    bool known = false;
    for (const auto& o : settingOptions) {
      if (opt == o.option) {
        s.*o.entry = value;
        known = true;
      }
    }
    if (opt == "--minute-model") {
      if (value != "on" && value != "off") return exitUsage;
      s.minuteModel = value == "on" ? "J" : "";
      known = true;
    }
    if (!known) return exitUsage;
    changed = true;
  }
  if (changed) {
    if (!in.ws.saveSettings()) {
      in.ui.warning(app::programTitle, "Die Velmoran.INI kann nicht geschrieben werden !");
      return exitFailed;
    }
    in.ws.fillZulFaecher();
  }
  const std::pair<const char*, Text> lines[] = {
      {"Datum (reserviert)", s.reserved1.format()},
      {"Schulname 1", s.schoolName1},
      {"Schulname 2", s.schoolName2},
      {"reserviert", s.reserved4},
      {"reserviert", s.reserved5},
      {"Schulform", s.schoolForm},
      {"Letzte Datenübernahme", s.lastImport},
      {"Minutenmodell", s.minuteModel},
      {"Minuten", s.minutes},
      {"Schulnummer", s.schoolNumber},
  };
  int n = 1;
  for (const auto& [label, value] : lines)
    print(std::to_string(n++) + " " + label + ": " + trimRight(value) + "\n");
  return exitOk;
}

int tablesCommand(Invocation& in) {
  for (const auto& info : app::tableInfos()) {
    store::Table& t = in.ws.table(info.page);
    std::size_t live = 0;
    for (t.goTop(); !t.eof(); t.skip()) ++live;
    t.goTop();
    print(std::string(info.name) + ": " + std::to_string(live) + " Datensätze\n");
  }
  return exitOk;
}

int dumpCommand(Invocation& in) {
  auto page = pageArg(in.args[0]);
  if (!page) return exitUsage;
  bool withRecno = in.args.size() == 2 && in.args[1] == "--recno";
  if (in.args.size() == 2 && !withRecno) return exitUsage;
  std::string csv = pages::dumpCsv(in.ws.table(*page), withRecno);
  writeUtf8(stdout, csv);
  return exitOk;
}

int setCommand(Invocation& in) {
  auto page = pageArg(in.args[0]);
  if (!page) return exitUsage;
  char* end = nullptr;
  unsigned long recno = std::strtoul(in.args[1].c_str(), &end, 10);
  if (*end != '\0') return exitUsage;
  auto r = pages::setField(in.ws.table(*page), static_cast<std::uint32_t>(recno), in.args[2],
                           fromArg(in.args[3]));
  if (!r) {
    std::fprintf(stderr, "%s\n", r.reason().c_str());
    return exitFailed;
  }
  return exitOk;
}

int deleteAllCommand(Invocation& in) {
  auto page = pageArg(in.args[0]);
  if (!page) return exitUsage;
  pages::deleteTable(in.ws, in.ui, *page);
  return exitOk;
}

const CommandRegistration tableCommands({
    {"settings",
     "[--school-form TEXT] [--minute-model on|off] [--minutes TEXT] "
     "[--school-number TEXT] [--school-name TEXT] [--school-name2 TEXT]",
     0, -1, settingsCommand},
    {"tables", "", 0, 0, tablesCommand},
    {"dump", "TABLE [--recno]", 1, 2, dumpCommand},
    {"set", "TABLE RECNO FIELD VALUE", 4, 4, setCommand},
    {"delete-all", "TABLE", 1, 1, deleteAllCommand},
});

}  // namespace

Text fromArg(const std::string& utf8) { return store::utf8ToWindows1252(utf8); }

std::optional<app::Page> pageArg(const std::string& name) {
  auto page = app::pageByTableName(name);
  if (!page) std::fprintf(stderr, "unbekannte Tabelle: %s\n", name.c_str());
  return page;
}

CommandRegistration::CommandRegistration(std::vector<Command> list) {
  registry().insert(registry().end(), list.begin(), list.end());
}

const std::vector<Command>& commands() { return registry(); }

std::string usageText() {
  std::string text =
      "Aufruf: velmoran-cli [-DATENVERZEICHNIS] [--answer yes|no] [--no-wait] BEFEHL [ARGUMENTE]\n"
      "Befehle:\n";
  for (const auto& c : commands()) text += std::string("  ") + c.name + " " + c.usage + "\n";
  return text;
}

}  // namespace velmoran::cli
