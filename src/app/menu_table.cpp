// The menu resource of the main window.
#include "app/menu_table.h"

#include "app/commands.h"

namespace vistrel {

namespace {

// The groups of mutually exclusive items.
enum Group {
  kNoGroup,
  kPrintXZoomGroup,
  kPrintYZoomGroup,
  kYScaleGroup,
  kXZoomGroup,
  kYZoomGroup,
  kFontSizeGroup,
  kSequenceGroup
};

MenuEntry item(const char* text, int command, std::vector<const char*> shortcuts = {}) {
  return {MenuEntry::Item, text, command, std::move(shortcuts), false, kNoGroup, {}};
}

MenuEntry checkItem(const char* text, int command) {
  return {MenuEntry::Item, text, command, {}, true, kNoGroup, {}};
}

MenuEntry radioItem(const char* text, int command, Group group) {
  return {MenuEntry::Item, text, command, {}, true, group, {}};
}

MenuEntry separator() {
  return {MenuEntry::Separator, "", 0, {}, false, kNoGroup, {}};
}

MenuEntry submenu(const char* text, std::vector<MenuEntry> entries,
                  SubmenuName name = kUnnamedSubmenu) {
  return {MenuEntry::Submenu, text, 0, {}, false, kNoGroup, std::move(entries), name};
}

std::vector<MenuEntry> xZoomItems(int first, Group group) {
  return {radioItem("&0.25", first, group), radioItem("0.&5", first + 1, group),
          radioItem("&1", first + 2, group), radioItem("&2", first + 3, group),
          radioItem("&4", first + 4, group)};
}

std::vector<MenuEntry> yZoomItems(int first, Group group) {
  return {radioItem("&1", first, group),      radioItem("&2", first + 1, group),
          radioItem("&4", first + 2, group),  radioItem("&8", first + 3, group),
          radioItem("1&6", first + 4, group), radioItem("&32", first + 5, group),
          radioItem("64", first + 6, group)};
}

std::vector<MenuEntry> buildMenuBar() {
  std::vector<MenuEntry> options = {
      submenu("Y &Scale", {radioItem("&Small", kYScaleSmall, kYScaleGroup),
                           radioItem("&Large", kYScaleLarge, kYScaleGroup), separator(),
                           radioItem("Fit &Window", kFitWindow, kYScaleGroup)}),
      submenu("&X Zoom", {radioItem("&Fit To Window", kFitToWindow, kXZoomGroup), separator()}),
      submenu("&Y Zoom", yZoomItems(kYZoomFirst, kYZoomGroup)),
      submenu("&Font Size", {radioItem("&Small", kFontSmall, kFontSizeGroup),
                             radioItem("&Large", kFontLarge, kFontSizeGroup)}),
      separator(),
      item("&Colors...", kColours),
      separator(),
      checkItem("Contin&uous Edit", kContinuousEdit),
      separator(),
      radioItem("&Original Sequence", kOriginalSequence, kSequenceGroup),
      radioItem("&Edited Sequence", kEditedSequence, kSequenceGroup)};
  for (MenuEntry& zoom : xZoomItems(kXZoomFirst, kXZoomGroup)) options[1].entries.push_back(zoom);
  options[2].entries.push_back(separator());
  options[2].entries.push_back(radioItem("Fit &Peaks", kYZoomFitPeaks, kYZoomGroup));

  return {
      submenu(
          "&File",
          {item("&Open...", kOpen, {"Ctrl+O"}),
           // Every letter of its name is taken by the items around it.
           submenu("Open Recent", {}, kRecentFilesSubmenu), item("&Save", kSave, {"Ctrl+S"}),
           item("Save &As...", kSaveAs), item("&Export...", kExport, {"Ctrl+E"}),
           item("Export T&rimmed...", kExportTrimmed), item("Export Raw Data...", kExportRawData),
           separator(), item("Align to Re&ference...", kAlignToReference),
           item("&Clear Reference", kClearReference), separator(),
           submenu("Print Op&tions",
                   {submenu("&X Zoom", xZoomItems(kPrintXZoomFirst, kPrintXZoomGroup)),
                    submenu("&Y Zoom", yZoomItems(kPrintYZoomFirst, kPrintYZoomGroup))}),
           item("&Print...", kPrint, {"Ctrl+P"}), separator(), item("&New Window", kNewWindow),
           item("New Conti&g...", kNewContig), separator(), item("E&xit", kExit)}),
      submenu(
          "&Edit",
          {item("&Undo", kUndo, {"Ctrl+Z", "Ctrl+U"}),
           item("Red&o", kRedo, {"Ctrl+Shift+Z", "Ctrl+Y"}),
           submenu("&Copy Sequence",
                   {item("Plain Text", kCopyPlainText, {"Ctrl+C"}),
                    item("FASTA Format", kCopyFasta, {"Ctrl+B"})},
                   kCopySequenceSubmenu),
           submenu("Copy &Trimmed", {item("Plain Text", kCopyTrimmedPlainText),
                                     item("FASTA Format", kCopyTrimmedFasta)}),
           separator(), checkItem("&Reverse Complement", kReverseComplement), separator(),
           item("&Next N", kNextN, {"Ctrl+N"}), item("N&ext Redundant", kNextRedundant, {"Ctrl+R"}),
           item("Next &Mixed", kNextMixed, {"Ctrl+M"}),
           item("Next &Difference", kNextDifference, {"Ctrl+D"}),
           item("&Find...", kFind, {"Ctrl+F"}), item("&Go to Base...", kGoToBase, {"Ctrl+G"}),
           separator(), item("Ca&ll Mixed Bases", kCallMixedBases)}),
      submenu(
          "&View",
          {checkItem("&Quality Values", kQualityValues), checkItem("&Trimmed Ends", kTrimmedEnds),
           checkItem("&Mixed Bases", kMixedBases), separator(),
           item("Zoom &In", kZoomIn, {"Ctrl++", "Ctrl+="}), item("Zoom &Out", kZoomOut, {"Ctrl+-"}),
           separator(), checkItem("Tool&bar", kShowToolbar)}),
      submenu("&Tools", {item("&Edit Analysis...", kEditAnalysis)}),
      submenu("&Options", options),
      submenu("&Help", {item("&Contents", kHelpContents), separator(), item("&About...", kAbout)}),
  };
}

}  // namespace

const std::vector<MenuEntry>& menuTable() {
  static const std::vector<MenuEntry> menus = buildMenuBar();
  return menus;
}

const std::vector<MenuEntry>& contigMenuTable() {
  static const std::vector<MenuEntry> menus = {
      submenu("&File", {item("New &Contig...", kNewContig), item("&Save", kContigSave, {"Ctrl+S"}),
                        separator(), item("Export Co&nsensus...", kExportConsensus, {"Ctrl+E"}),
                        item("Export Con&flicts...", kExportConflicts), separator(),
                        item("C&lose", kContigClose, {"Ctrl+W"})}),
      submenu("&Edit", {item("&Undo", kContigUndo, {"Ctrl+Z"}), separator(),
                        item("Next &Conflict", kNextConflict, {"Ctrl+K"}),
                        item("Previous Co&nflict", kPreviousConflict, {"Ctrl+Shift+K"}),
                        item("Next &Difference", kContigNextDifference, {"Ctrl+D"}),
                        item("Previous D&ifference", kContigPreviousDifference, {"Ctrl+Shift+D"}),
                        separator(), item("Next Con&tig", kNextContig, {"Ctrl+PgDown"}),
                        item("&Previous Contig", kPreviousContig, {"Ctrl+PgUp"})}),
      submenu("&View", {item("Zoom &In", kContigZoomIn, {"Ctrl++", "Ctrl+="}),
                        item("Zoom &Out", kContigZoomOut, {"Ctrl+-"})}),
  };
  return menus;
}

const std::vector<ToolbarButton>& toolbarButtons() {
  static const std::vector<ToolbarButton> buttons = {{kOpen, "Open"},
                                                     {kSave, "Save"},
                                                     {0, ""},
                                                     {kUndo, "Undo"},
                                                     {kRedo, "Redo"},
                                                     {0, ""},
                                                     {kFind, "Find"},
                                                     {kNextDifference, "Next Difference"},
                                                     {kNextMixed, "Next Mixed"},
                                                     {0, ""},
                                                     {kZoomIn, "Zoom In"},
                                                     {kZoomOut, "Zoom Out"},
                                                     {kFitToWindow, "Fit Window"}};
  return buttons;
}

}  // namespace vistrel
