// The menu bar: titles, items with their command ids and accelerators, and submenus.
#pragma once

#include <vector>

namespace vistrel {

/// Submenus whose state the window sets as a whole.
enum SubmenuName { kUnnamedSubmenu, kCopySequenceSubmenu, kRecentFilesSubmenu };

struct MenuEntry {
  enum Kind { Item, Separator, Submenu };
  Kind kind = Item;
  const char* text = "";
  int command = 0;
  /// Accelerators, as "Ctrl+O"; the first is the one the menu shows.
  std::vector<const char*> shortcuts;
  /// An item that can carry a check mark; items of one nonzero group exclude each other and
  /// show as radio items.
  bool checkable = false;
  int group = 0;
  std::vector<MenuEntry> entries;  ///< of a submenu
  SubmenuName name = kUnnamedSubmenu;
};

/// "&File", "&Edit", "&View", "&Tools", "&Options" and "&Help" with their entries, in menu-bar
/// order.
const std::vector<MenuEntry>& menuTable();

/// A button of the trace window's toolbar: its command and its short label.
struct ToolbarButton {
  int command = 0;
  const char* label = "";
};

/// The toolbar's buttons, left to right; 0 stands for a separator.
const std::vector<ToolbarButton>& toolbarButtons();

/// The contig window's menu bar: "&File", "&Edit" and "&View", items only.
const std::vector<MenuEntry>& contigMenuTable();

}  // namespace vistrel
