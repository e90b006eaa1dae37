// The menu resource of the main window.
#include "app/menu_table.h"

#include "app/commands.h"

namespace vistrel {

namespace {

MenuEntry item(const char* text, int command, std::vector<const char*> shortcuts = {}) {
  return {MenuEntry::Item, text, command, std::move(shortcuts), {}};
}

MenuEntry separator() {
  return {MenuEntry::Separator, "", 0, {}, {}};
}

MenuEntry submenu(const char* text, std::vector<MenuEntry> entries) {
  return {MenuEntry::Submenu, text, 0, {}, std::move(entries)};
}

std::vector<MenuEntry> xZoomItems(int first) {
  return {item("&0.25", first), item("0.&5", first + 1), item("&1", first + 2),
          item("&2", first + 3), item("&4", first + 4)};
}

std::vector<MenuEntry> yZoomItems(int first) {
  return {item("&1", first),     item("&2", first + 1),  item("&4", first + 2),
          item("&8", first + 3), item("1&6", first + 4), item("&32", first + 5),
          item("64", first + 6)};
}

std::vector<MenuEntry> buildMenuBar() {
  std::vector<MenuEntry> options = {
      submenu("Y &Scale", {item("&Small", kYScaleSmall), item("&Large", kYScaleLarge)}),
      submenu("&X Zoom", {item("&Fit To Window", kFitToWindow), separator()}),
      submenu("&Y Zoom", yZoomItems(kYZoomFirst)),
      submenu("&Font Size", {item("&Small", kFontSmall), item("&Large", kFontLarge)}),
      separator(),
      item("&Colors...", kColours),
      separator(),
      item("Contin&uous Edit", kContinuousEdit),
      separator(),
      item("&Original Sequence", kOriginalSequence),
      item("&Edited Sequence", kEditedSequence)};
  for (MenuEntry& zoom : xZoomItems(kXZoomFirst)) options[1].entries.push_back(zoom);

  return {
      submenu("&File",
              {item("&Open...", kOpen, {"Ctrl+O"}), item("&Save", kSave, {"Ctrl+S"}),
               item("Save &As...", kSaveAs), item("&Export...", kExport, {"Ctrl+E"}),
               item("Export Raw Data...", kExportRawData), separator(),
               submenu("Print &Options", {submenu("&X Zoom", xZoomItems(kPrintXZoomFirst)),
                                          submenu("&Y Zoom", yZoomItems(kPrintYZoomFirst))}),
               item("&Print...", kPrint, {"Ctrl+P"}), separator(), item("&New Window", kNewWindow),
               separator(), item("E&xit", kExit)}),
      submenu("&Edit", {item("&Undo", kUndo, {"Ctrl+Z", "Ctrl+U"}),
                        submenu("&Copy Sequence", {item("Plain Text", kCopyPlainText, {"Ctrl+C"}),
                                                   item("FASTA Format", kCopyFasta, {"Ctrl+B"})}),
                        separator(), item("&Reverse Complement", kReverseComplement), separator(),
                        item("&Next N", kNextN, {"Ctrl+N"}),
                        item("N&ext Redundant", kNextRedundant, {"Ctrl+R"}),
                        item("&Find...", kFind, {"Ctrl+F"})}),
      submenu("&Options", options),
      submenu("&Help", {item("&Contents", kHelpContents), separator(), item("&About...", kAbout)}),
  };
}

}  // namespace

const std::vector<MenuEntry>& menuTable() {
  static const std::vector<MenuEntry> menus = buildMenuBar();
  return menus;
}

}  // namespace vistrel
