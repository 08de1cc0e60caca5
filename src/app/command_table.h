#pragma once
// The command set of the main window as data: one row per command with its menu, caption,
// key text, accelerator, status-bar text and toolbar button. The window builds its menu bar,
// toolbar and accelerators from these rows and runs each command through its enumerator, so
// a command the window lacks, or a misspelt one, does not compile.

#include <vector>

namespace velmoran::app {

// Every command, named as the window's method that runs it.
enum class Command {
  GetFromUntis,
  GetFromUVD,
  WriteUVD,
  ReadGPU004Txt,
  ReadLehrerTxt,
  WriteLehrerASD,
  EndWindow,
  AppendKartei,
  DeleteKartei,
  DeleteTable,
  SeekTab,
  GoTopKartei,
  SkipPreviousKartei,
  SkipNextKartei,
  GoBottomKartei,
  ViewKartei,
  ViewTabelle,
  UntisUVD,
  KonvertClasses,
  KonvertItems,
  CheckData,
  StartUntis,
  SaveData,
  RestoreData,
  StartHelpAbout,
  ShowKurz,
};

// The method name of a command ("GetFromUntis"): the name of its action.
const char* commandName(Command command);

struct CommandSpec {
  Command command;
  const char* menu;      // caption of the menu it stands in; "" for an item on the bar itself
  const char* caption;   // menu caption with "&" before the mnemonic letter
  const char* keyText;   // shown after a tab in the menu, exactly so; "" for none
  const char* shortcut;  // the accelerator in portable form ("Shift+F3"); "" for none
  const char* status;    // status-bar text
  bool separatorBefore = false;
};

struct MenuSpec {
  const char* caption;
  const char* status;  // status-bar text of the menu itself, or ""
};

struct ToolSpec {
  int group;            // buttons of one group stand between separators
  const char* caption;  // "" for a button without caption
  const char* tooltip;
  Command command;
};

const std::vector<MenuSpec>& menus();
const std::vector<CommandSpec>& commandSpecs();
const std::vector<ToolSpec>& toolSpecs();

}  // namespace velmoran::app
