#pragma once
// The command set of the main window as data: one row per command with its method name,
// menu, caption, key text, accelerator, status-bar text and toolbar button. The window builds
// its menu bar, toolbar and accelerators from these rows.

#include <string>
#include <vector>

namespace velmoran::app {

struct CommandSpec {
  const char* method;    // "GetFromUntis": the window's method of that name runs it
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
  const char* method;
};

const std::vector<MenuSpec>& menus();
const std::vector<CommandSpec>& commandSpecs();
const std::vector<ToolSpec>& toolSpecs();
const CommandSpec* findCommand(std::string_view method);

}  // namespace velmoran::app
