// One window's life over the fake platform: start-up with its switches and placement, New
// Window's cascade, the menu rules, the loading flow and its failures, the save-changes prompt
// on load and on close, and the commands of the File, Options and Help menus.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <functional>
#include <map>

#include "analysis/trim.h"
#include "app/command_line.h"
#include "app/commands.h"
#include "app/load_flow.h"
#include "app/menu_table.h"
#include "app/new_window.h"
#include "app/save_commands.h"
#include "app/startup.h"
#include "app/status_text.h"
#include "edit/input.h"
#include "fake_platform.h"
#include "output/sequence_export.h"
#include "platform/paths.h"
#include "reading.h"
#include "temp_folder.h"
#include "view/scrolling.h"

namespace vistrel::testing {
namespace {

// The fake frame adds 56 pixels to the client height of 165 (Small) or 265 (Large).
constexpr int kSmallWindow = 56 + 165;
constexpr int kLargeWindow = 56 + 265;

class App : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    std::filesystem::create_directories(path("config"));
    platform.settingsFile = path("config/vistrel.ini");
  }

  void start(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "vistrel");
    prepareStartup(app, platform, std::move(arguments));
    platform.outer = initialWindowRect(app, platform);
    applySwitches(app, platform);
    notOpened = openCommandLineFile(app, platform);
  }

  std::string abiFile(const std::string& name, const std::string& sampleName = "clone 7",
                      std::size_t prefix = 0) {
    AbiTrace trace = syntheticTrace(7, 40, 12);
    trace.sampleName = sampleName;
    Bytes bytes = abiBuilderFor(trace).build(prefix);
    return put(path(name), std::string(bytes.begin(), bytes.end()));
  }

  std::string scfFile(const std::string& name) {
    Bytes bytes = buildScf(scfSpecFor(syntheticTrace(3, 30, 12)));
    return put(path(name), std::string(bytes.begin(), bytes.end()));
  }

  bool open(const std::vector<std::string>& paths) {
    platform.openAnswers.push_back(paths);
    return loadTrace(app, platform, true);
  }

  /// The message of a failed load of `file`.
  static std::string loadFailure(const std::string& file, const std::string& reason) {
    return "Could not open " + file + "\n\n" + reason;
  }

  std::vector<std::string> messageTexts() const {
    std::vector<std::string> out;
    for (const RecordedMessage& m : platform.messages) out.push_back(m.text);
    return out;
  }

  AppState app;
  FakePlatform platform;
  std::string notOpened;  ///< what start-up had to tell of the file it was given
};

// Start-up and the command line.

TEST_F(App, SmallSwitchWithAPlacementAbove) {
  start({"/s", "/a300"});
  EXPECT_EQ(app.settings.yScaleShift, 4);
  EXPECT_EQ(platform.outer.top, 300 - kSmallWindow);
  EXPECT_EQ(platform.outer.height(), kSmallWindow);
  EXPECT_EQ(app.view.clientHeight, 165);
}

TEST_F(App, LargeSwitchWithAPlacementBelowThatWouldLeaveTheScreen) {
  start({"/l", "/b700"});
  EXPECT_EQ(app.settings.yScaleShift, 3);
  EXPECT_EQ(platform.outer.top, 768 - kLargeWindow);
}

TEST_F(App, PlacementAtRowZeroAndAnyOtherLetterMeaningLarge) {
  start({"/s", "/b0"});
  EXPECT_EQ(platform.outer.top, 0);
  EXPECT_EQ(app.settings.yScaleShift, 4);

  app = AppState{};
  start({"/x"});
  EXPECT_EQ(app.settings.yScaleShift, 3);
  EXPECT_EQ(platform.outer.height(), kLargeWindow);
}

TEST_F(App, FileFollowedBySwitches) {
  const std::string file = scfFile("sample.scf");
  start({file, "/l", "/b400"});
  EXPECT_TRUE(app.document.loaded);
  EXPECT_EQ(app.document.filePath, file);
  EXPECT_EQ(platform.outer.top, 400);
  EXPECT_EQ(app.settings.yScaleShift, 3);
}

TEST_F(App, ASwitchFirstMeansNoFileAndTheNextArgumentIsAPlacement) {
  put(path("config/vistrel.ini"), "[Window]\nwinposY=300\n");
  start({"/s", "sample-not-here.scf"});
  EXPECT_FALSE(app.document.loaded);
  EXPECT_EQ(app.settings.yScaleShift, 4);
  EXPECT_EQ(platform.outer.top, 0);  // 'a' with the number 0: ends above row 0
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(App, AnExistingAbsolutePathIsNeverASwitch) {
  const std::string file = abiFile("clone.ab1");
  ASSERT_EQ(file.front(), '/');
  start({file});
  EXPECT_TRUE(app.document.loaded);

  app = AppState{};
  put(path("config/vistrel.ini"), "[Window]\nwinposY=300\n");
  start({"/s", file});  // not taken as a placement either
  EXPECT_FALSE(app.document.loaded);
  EXPECT_EQ(platform.outer.top, 300);
}

TEST_F(App, FoldersAreIgnoredAndMissingFilesToldWithoutABox) {
  start({folder_.string()});
  EXPECT_FALSE(app.document.loaded);
  EXPECT_EQ(notOpened, "");
  const std::filesystem::path here = std::filesystem::relative(folder_);
  // A missing absolute path begins with '/' and still works as a switch, but is told too.
  for (const std::string& missing : {(here / "missing.ab1").string(), path("missing.ab1")}) {
    start({missing});
    EXPECT_FALSE(app.document.loaded);
    EXPECT_EQ(notOpened, missing + ": File not found");
  }
  start({"/l"});
  EXPECT_EQ(notOpened, "");
  const std::string tooLong = (here / std::string(300, 'x')).string();
  start({tooLong});
  EXPECT_EQ(notOpened, tooLong + ": File name too long");
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(App, StoredSettingsPlaceTheWindowAndChooseTheScale) {
  put(path("config/vistrel.ini"),
      "[Options]\nY scale=4\n[Window]\nwinposX=30\nwinposY=40\nwinsizeX=900\n");
  start({});
  EXPECT_EQ(platform.outer, (Rect{30, 40, 930, 40 + kSmallWindow}));

  put(path("config/vistrel.ini"), "[Options]\nY scale=7\n");
  start({});
  EXPECT_EQ(app.settings.yScaleShift, 3);   // any other value: Large
  EXPECT_EQ(platform.outer.width(), 1024);  // the desktop's width
  windowDestroyed(app, platform);
  EXPECT_NE(contents(path("config/vistrel.ini")).find("Y scale=3\n"), std::string::npos);
}

TEST_F(App, AStoredPlacementOffTheDesktopIsMovedOntoIt) {
  // The fake desktop's work area is 1024 by 740 from (0, 0); start-up makes the window as high
  // as that before the Y scale sizes it.
  struct Case {
    const char* stored;
    Rect placed;
  };
  const Case cases[] = {
      {"winposX=30\nwinposY=40\nwinsizeX=900", {30, 40, 930, 780}},         // visible: as stored
      {"winposX=-500\nwinposY=0\nwinsizeX=600", {-500, 0, 100, 740}},       // 100 columns in reach
      {"winposX=-99999\nwinposY=99999999\nwinsizeX=0", {0, 0, 1024, 740}},  // off and too narrow
      {"winposX=5000\nwinposY=-30\nwinsizeX=600", {424, 0, 1024, 740}},     // beyond the right edge
      {"winposX=2147483647\nwinposY=2147483647\nwinsizeX=2147483647", {0, 0, 1024, 740}},
      {"winposX=100\nwinposY=720\nwinsizeX=800", {100, 0, 900, 740}},  // title bar below the area
  };
  for (const Case& c : cases) {
    put(path("config/vistrel.ini"), std::string("[Window]\n") + c.stored + "\n");
    prepareStartup(app, platform, {"vistrel"});
    EXPECT_EQ(initialWindowRect(app, platform), c.placed) << c.stored;
  }
}

// New Window.

TEST_F(App, NewWindowsCascadeFromTheCurrentWindow) {
  app.settings.yScaleShift = 3;
  platform.outer = {0, 500, 800, 700};  // more room above than below
  executeCommand(app, platform, kNewWindow);
  executeCommand(app, platform, kNewWindow);
  executeCommand(app, platform, kNewWindow);
  const std::vector<std::vector<std::string>> expected{
      {"/l", "/a500"}, {"/l", "/b530"}, {"/l", "/b560"}};
  EXPECT_EQ(platform.startedInstances, expected);

  platform.outer = {0, 100, 800, 300};
  app.startup.newWindowCount = 0;
  app.settings.yScaleShift = 4;
  const std::string file = "/data/x.ab1";
  EXPECT_EQ(newWindowArguments(app, platform, &file),
            (std::vector<std::string>{file, "/s", "/b300"}));
  app.startup.newWindowCount = 21;  // 100 + 630 + 10 reaches the bottom of a 740 screen
  platform.screen = 740;
  EXPECT_EQ(newWindowArguments(app, platform, nullptr)[1], "/a100");
}

TEST_F(App, TheCascadeWrapsBeforeLeavingTheScreen) {
  platform.screen = 400;  // wraps when 30 * count exceeds 300
  for (int i = 0; i < 10; ++i) executeCommand(app, platform, kNewWindow);
  EXPECT_EQ(app.startup.newWindowCount, 10);
  executeCommand(app, platform, kNewWindow);
  EXPECT_EQ(app.startup.newWindowCount, 0);
}

TEST_F(App, NewWindowFailuresAreReported) {
  const std::vector<std::pair<StartResult, std::string>> cases{
      {StartResult::NotFound, "Cannot find \"VISTREL.EXE\""},
      {StartResult::NoMemory, "Insufficient memory"},
      {StartResult::Failed, "Cannot run \"VISTREL.EXE\""}};
  for (const auto& [result, message] : cases) {
    platform.startResult = result;
    EXPECT_FALSE(openNewWindow(app, platform));
    ASSERT_FALSE(platform.messages.empty());
    EXPECT_EQ(platform.messages.back().text, message);
    EXPECT_EQ(platform.messages.back().icon, MessageIcon::Stop);
  }
  EXPECT_EQ(app.startup.newWindowCount, 0);
}

// Menus.

TEST_F(App, WithoutADocumentOnlyWhatNeedsNoneIsAvailable) {
  for (int id : {kSave, kSaveAs, kExport, kExportRawData, kPrint, kUndo, kReverseComplement, kNextN,
                 kNextRedundant, kFind}) {
    EXPECT_FALSE(menuItemState(app, id).enabled) << id;
  }
  EXPECT_FALSE(copySubmenuEnabled(app));
  for (int id :
       {kOpen, kNewWindow, kExit, kYScaleSmall, kFitToWindow, kXZoomFirst, kFontLarge, kColours,
        kYZoomLast, kContinuousEdit, kOriginalSequence, kEditedSequence, kHelpContents, kAbout}) {
    EXPECT_TRUE(menuItemState(app, id).enabled) << id;
  }
}

TEST_F(App, SaveAndTheSequenceItemsDependOnTheKindOfDocument) {
  ASSERT_TRUE(open({scfFile("a.scf")}));
  EXPECT_TRUE(menuItemState(app, kSave).enabled);
  EXPECT_FALSE(menuItemState(app, kOriginalSequence).enabled);
  EXPECT_FALSE(menuItemState(app, kEditedSequence).enabled);
  EXPECT_TRUE(copySubmenuEnabled(app));

  ASSERT_TRUE(open({abiFile("b.ab1")}));
  EXPECT_FALSE(menuItemState(app, kSave).enabled);
  EXPECT_TRUE(menuItemState(app, kEditedSequence).enabled);
  EXPECT_TRUE(menuItemState(app, kEditedSequence).checked);
  EXPECT_FALSE(menuItemState(app, kOriginalSequence).checked);
  EXPECT_FALSE(menuItemState(app, kUndo).enabled);
  app.edit.undoCount = 1;
  EXPECT_TRUE(menuItemState(app, kUndo).enabled);

  EXPECT_TRUE(menuItemState(app, kFind).enabled);
  app.find.dialogOpen = true;
  EXPECT_FALSE(menuItemState(app, kFind).enabled);
  app.find.dialogOpen = false;
  app.settings.xZoomMode = kFit;
  for (int id : {kNextN, kNextRedundant, kFind}) EXPECT_FALSE(menuItemState(app, id).enabled);
  EXPECT_TRUE(menuItemState(app, kFitToWindow).checked);
}

TEST_F(App, ChecksFollowTheSettings) {
  auto checked = [&](int first, int last) {
    std::vector<int> ids;
    for (int id = first; id <= last; ++id) {
      if (menuItemState(app, id).checked) ids.push_back(id);
    }
    return ids;
  };
  EXPECT_EQ(checked(kXZoomFirst, kXZoomLast), std::vector<int>{306});
  EXPECT_EQ(checked(kYScaleSmall, kYScaleLarge), std::vector<int>{kYScaleLarge});
  EXPECT_EQ(checked(kFontSmall, kFontLarge), std::vector<int>{kFontSmall});
  executeCommand(app, platform, 304);
  executeCommand(app, platform, 316);
  executeCommand(app, platform, 107);
  executeCommand(app, platform, 118);
  executeCommand(app, platform, kYScaleSmall);
  EXPECT_EQ(checked(kXZoomFirst, kXZoomLast), std::vector<int>{304});
  EXPECT_EQ(checked(kYZoomFirst, kYZoomLast), std::vector<int>{316});
  EXPECT_EQ(checked(kPrintXZoomFirst, kPrintXZoomLast), std::vector<int>{107});
  EXPECT_EQ(checked(kPrintYZoomFirst, kPrintYZoomLast), std::vector<int>{118});
  EXPECT_EQ(app.settings.printXZoom, -2);
  EXPECT_EQ(app.settings.printYZoom, 6);
  EXPECT_EQ(checked(kYScaleSmall, kYScaleLarge), std::vector<int>{kYScaleSmall});
  app.settings.continuousEdit = 5;
  EXPECT_TRUE(menuItemState(app, kContinuousEdit).checked);
}

TEST_F(App, FitPeaksAndFitWindowAreRadioItemsThatKeepTheZoomAndTheScale) {
  auto checked = [&](std::vector<int> group) {
    std::erase_if(group, [&](int id) { return !menuItemState(app, id).checked; });
    return group;
  };
  const std::vector<int> yZoom{312, 313, 314, 315, 316, 317, 318, kYZoomFitPeaks};
  const std::vector<int> yScale{kYScaleSmall, kYScaleLarge, kFitWindow};
  executeCommand(app, platform, 315);
  executeCommand(app, platform, kYZoomFitPeaks);
  EXPECT_EQ(checked(yZoom), std::vector<int>{kYZoomFitPeaks});
  EXPECT_EQ(app.settings.yZoom, 3);  // kept for when Fit Peaks is left
  executeCommand(app, platform, 313);
  EXPECT_EQ(checked(yZoom), std::vector<int>{313});
  EXPECT_EQ(app.settings.fitPeaks, 0);

  const Rect window = platform.outer;
  executeCommand(app, platform, kFitWindow);
  EXPECT_EQ(checked(yScale), std::vector<int>{kFitWindow});
  EXPECT_EQ(platform.outer, window);  // the window keeps its size
  executeCommand(app, platform, kYScaleSmall);
  EXPECT_EQ(checked(yScale), std::vector<int>{kYScaleSmall});
  EXPECT_EQ(app.settings.fitWindow, 0);

  for (auto [id, setting] : {std::pair{kQualityValues, &app.settings.qualityValues},
                             std::pair{kTrimmedEnds, &app.settings.showTrimmed},
                             std::pair{kMixedBases, &app.settings.showMixed}}) {
    EXPECT_TRUE(menuItemState(app, id).checked);
    executeCommand(app, platform, id);
    EXPECT_EQ(*setting, 0);
    EXPECT_FALSE(menuItemState(app, id).checked);
    EXPECT_EQ(platform.invalidated.back(), app.view.traceRect());
  }
}

TEST_F(App, TheStatusTextTellsTheSelectedBaseTheCaretOrTheRead) {
  EXPECT_EQ(statusText(app), "");
  ASSERT_TRUE(open({abiFile("a.ab1")}));
  BaseCalls& calls = app.document.shown();
  const std::optional<TrimRegion> region = trimRegion(calls, kDefaultTrimCutoff);
  ASSERT_TRUE(region && !region->empty());
  EXPECT_EQ(statusText(app), "40 bases, good region " + std::to_string(region->start + 1) + "-" +
                                 std::to_string(region->end));
  app.view.selectedBase = 4;
  const std::string base5 = std::string("Base 5: ") + static_cast<char>(calls.base(4));
  const std::string peak = "  peak at sample " + std::to_string(calls.peak(4));
  EXPECT_EQ(statusText(app), base5 + "  quality " + std::to_string(calls.quality(4)) + peak);
  calls.hasQualities = false;
  EXPECT_EQ(statusText(app), base5 + "  no quality" + peak);
  app.view.selectedBase = -1;
  EXPECT_EQ(statusText(app), "40 bases");
  app.view.insertCaret = 123;
  for (auto [index, text] : {std::pair{0, "Insert before base 1 at sample 123"},
                             std::pair{7, "Insert between bases 7 and 8 at sample 123"},
                             std::pair{40, "Insert after base 40 at sample 123"}}) {
    app.edit.insertIndex = index;
    EXPECT_EQ(statusText(app), text);
  }
  // A file without base calls says so, and Export says why it writes nothing.
  app.view.insertCaret = 0;
  app.document.hasBaseCalls = false;
  calls.baseCount = calls.peakCount = 0;
  EXPECT_EQ(statusText(app), "No base calls: this file holds traces only");
  EXPECT_FALSE(exportSequenceCommand(app, platform));
  EXPECT_EQ(platform.messages.back().text, kNoBaseCallsToExportMessage);
}

TEST(MenuTable, EveryCommandOnceWithItsAccelerators) {
  const std::vector<MenuEntry>& bar = menuTable();
  ASSERT_EQ(bar.size(), 6u);
  EXPECT_STREQ(bar[0].text, "&File");
  EXPECT_STREQ(bar[1].text, "&Edit");
  EXPECT_STREQ(bar[2].text, "&View");
  EXPECT_STREQ(bar[3].text, "&Tools");
  EXPECT_STREQ(bar[4].text, "&Options");
  EXPECT_STREQ(bar[5].text, "&Help");
  std::vector<int> commands;
  std::vector<std::pair<std::string, int>> shortcuts;
  std::map<int, std::vector<int>> groups;
  std::vector<int> checkBoxes;
  auto walk = [&](auto& self, const std::vector<MenuEntry>& entries) -> void {
    std::string letters;  // the Alt letters of one menu, each used once
    for (const MenuEntry& e : entries) {
      const char* amp = std::strchr(e.text, '&');
      if (amp != nullptr) {
        const char letter = static_cast<char>(std::tolower(amp[1]));
        EXPECT_EQ(letters.find(letter), std::string::npos) << e.text;
        letters += letter;
      }
      if (e.kind == MenuEntry::Submenu) self(self, e.entries);
      if (e.kind != MenuEntry::Item) continue;
      commands.push_back(e.command);
      for (const char* s : e.shortcuts) shortcuts.emplace_back(s, e.command);
      if (e.group != 0) groups[e.group].push_back(e.command);
      if (e.checkable && e.group == 0) checkBoxes.push_back(e.command);
    }
  };
  walk(walk, bar);
  // Items that exclude each other form one radio group.
  std::vector<std::vector<int>> radio;
  for (auto& [group, ids] : groups) radio.push_back(ids);
  std::sort(radio.begin(), radio.end());
  const std::vector<std::vector<int>> expectedRadio{{107, 108, 109, 110, 111},
                                                    {112, 113, 114, 115, 116, 117, 118},
                                                    {301, 302, 323},
                                                    {303, 304, 305, 306, 307, 308},
                                                    {309, 310},
                                                    {312, 313, 314, 315, 316, 317, 318, 319},
                                                    {321, 322}};
  EXPECT_EQ(radio, expectedRadio);
  EXPECT_EQ(checkBoxes, (std::vector<int>{kReverseComplement, kQualityValues, kTrimmedEnds,
                                          kMixedBases, kShowToolbar, kContinuousEdit}));
  std::sort(commands.begin(), commands.end());
  EXPECT_EQ(std::adjacent_find(commands.begin(), commands.end()), commands.end());
  // 24 in File, 14 in Edit, 6 in View, 1 in Tools, 23 in Options, 2 in Help
  EXPECT_EQ(commands.size(), 70u);
  std::sort(shortcuts.begin(), shortcuts.end());
  const std::vector<std::pair<std::string, int>> expected{
      {"Ctrl++", 327},       {"Ctrl+-", 328}, {"Ctrl+=", 327}, {"Ctrl+B", 204}, {"Ctrl+C", 202},
      {"Ctrl+D", 213},       {"Ctrl+E", 104}, {"Ctrl+F", 208}, {"Ctrl+G", 220}, {"Ctrl+M", 212},
      {"Ctrl+N", 206},       {"Ctrl+O", 101}, {"Ctrl+P", 119}, {"Ctrl+R", 207}, {"Ctrl+S", 102},
      {"Ctrl+Shift+Z", 215}, {"Ctrl+U", 201}, {"Ctrl+Y", 215}, {"Ctrl+Z", 201}};
  EXPECT_EQ(shortcuts, expected);
}

TEST(MenuTable, TheContigWindowsMenusUseEachLetterAndKeyOnce) {
  std::vector<std::string> keys;
  for (const MenuEntry& menu : contigMenuTable()) {
    std::string letters;
    for (const MenuEntry& e : menu.entries) {
      if (const char* amp = std::strchr(e.text, '&')) {
        const char letter = static_cast<char>(std::tolower(amp[1]));
        EXPECT_EQ(letters.find(letter), std::string::npos) << e.text;
        letters += letter;
      }
      keys.insert(keys.end(), e.shortcuts.begin(), e.shortcuts.end());
    }
  }
  std::sort(keys.begin(), keys.end());
  EXPECT_EQ(std::adjacent_find(keys.begin(), keys.end()), keys.end());
  EXPECT_EQ(keys.size(), 13u);
}

// Loading.

TEST_F(App, ALoadResetsTheViewAndNamesTheDocument) {
  app.view.clientWidth = 200;
  app.view.scrollPos = 77;
  app.view.selectedBase = 3;
  app.view.insertCaret = 9;
  app.edit.undoCount = 4;
  app.view.positionTickX = 12;
  const std::string file = abiFile("a_name_longer_than_twenty_eight.ab1");
  ASSERT_TRUE(open({file}));
  EXPECT_EQ(app.view.scrollPos, 0);
  EXPECT_EQ(app.view.selectedBase, -1);
  EXPECT_EQ(app.view.insertCaret, 0);
  EXPECT_EQ(app.edit.undoCount, 0);
  EXPECT_EQ(app.view.positionTickX, -1);
  // The sample name, then the whole file name, which the file title cuts.
  EXPECT_EQ(platform.title, "Vistrel - clone 7 (a_name_longer_than_twenty_eight.ab1)");
  EXPECT_EQ(app.document.filePath, file);
  EXPECT_EQ(app.document.fileInfoText, "File: a_name_longer_than_twenty_ei");
  EXPECT_EQ(platform.scrollMaximum, app.document.maxSampleCount - 200);
  EXPECT_EQ(platform.cursor, CursorShape::Wait);
  EXPECT_EQ(platform.invalidated.back(), app.view.clientArea());
  // Channel pens from the stored colours: FWO_ GATC gives G black, A green, T red, C blue.
  EXPECT_EQ(app.document.channels[1].colour, (Rgb{0, 191, 0}));

  ASSERT_TRUE(open({abiFile("unnamed.ab1", "")}));
  EXPECT_EQ(platform.title, "Vistrel - unnamed.ab1");
  ASSERT_TRUE(open({scfFile("c.scf")}));
  EXPECT_EQ(platform.title, "Vistrel - c.scf");
}

TEST_F(App, SeveralFilesOpenTheRestInNewWindows) {
  const std::string a = abiFile("a.ab1"), b = abiFile("b.ab1"), c = scfFile("c.scf");
  ASSERT_TRUE(open({a, b, c}));
  EXPECT_EQ(app.document.filePath, a);
  ASSERT_EQ(platform.startedInstances.size(), 2u);
  EXPECT_EQ(platform.startedInstances[0][0], b);
  EXPECT_EQ(platform.startedInstances[1][0], c);

  platform.startResult = StartResult::NotFound;
  ASSERT_TRUE(open({c, a, b}));  // the first failure ends the new windows, not the load
  EXPECT_EQ(platform.startedInstances.size(), 3u);
  EXPECT_EQ(app.document.filePath, c);
}

TEST_F(App, ACancelledDialogChangesNothing) {
  EXPECT_FALSE(loadTrace(app, platform, true));
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_TRUE(platform.invalidated.empty());
}

TEST_F(App, FailuresBeforeTheOldDocumentIsReleasedKeepIt) {
  ASSERT_TRUE(open({abiFile("kept.ab1")}));
  app.document.modified = true;
  EXPECT_FALSE(open({path("missing.ab1")}));
  EXPECT_EQ(messageTexts(),
            std::vector<std::string>{loadFailure(path("missing.ab1"), "File not found")});
  EXPECT_TRUE(platform.prompts.empty());  // the file is opened before the prompt

  platform.promptAnswers = {PromptAnswer::Cancel};
  EXPECT_FALSE(open({scfFile("other.scf")}));
  ASSERT_EQ(platform.prompts.size(), 1u);
  EXPECT_EQ(platform.prompts[0],
            "The sequence of kept.ab1 has been modified. Do you want to save or export it? "
            "[Save As...]");
  EXPECT_TRUE(app.document.loaded);
  EXPECT_TRUE(app.document.modified);
  EXPECT_EQ(app.document.fileTitle, "kept.ab1");
  EXPECT_EQ(platform.title, "Vistrel - clone 7 (kept.ab1)");

  platform.promptAnswers = {PromptAnswer::Save};  // Save As for an ABI file; cancelled
  EXPECT_FALSE(open({scfFile("other.scf")}));
  ASSERT_EQ(platform.saveDialogs.size(), 1u);
  EXPECT_EQ(platform.saveDialogs[0].title, "Save As");
  EXPECT_EQ(app.document.fileTitle, "kept.ab1");

  platform.promptAnswers = {PromptAnswer::Export};  // export cancelled
  EXPECT_FALSE(open({scfFile("other.scf")}));
  EXPECT_EQ(platform.saveDialogs.back().title, "Export");
  EXPECT_TRUE(app.document.modified);
}

TEST_F(App, SaveDialogsSuggestANameBesideTheTraceAndOpenStartsInTheLastFolder) {
  ASSERT_TRUE(open({scfFile("first.scf")}));
  ASSERT_TRUE(open({abiFile("run7.ab1")}));
  EXPECT_EQ(platform.openFolders, (std::vector<std::string>{"", parentFolderOf(path("x"))}));
  struct Case {
    int command;
    int format;
    const char* suggested;
  };
  for (const Case& c :
       {Case{kSaveAs, 1, "run7.scf"}, Case{kExport, 1, "run7.seq"}, Case{kExport, 2, "run7.fastq"},
        Case{kExportTrimmed, 1, "run7.trimmed.seq"}, Case{kExportRawData, 1, "run7.txt"}}) {
    app.settings.exportFormat = c.format;
    executeCommand(app, platform, c.command);  // each dialog cancelled
    EXPECT_EQ(platform.saveDialogs.back().suggested, path(c.suggested)) << c.command;
  }
  // The folder is kept for the next start.
  windowDestroyed(app, platform);
  EXPECT_EQ(readSettings(platform.settingsPath(), 1024).lastFolder, parentFolderOf(path("x")));
}

TEST_F(App, ThePromptsSaveOrExportLetsTheLoadGoOn) {
  ASSERT_TRUE(open({scfFile("first.scf")}));
  app.document.modified = true;
  platform.promptAnswers = {PromptAnswer::Save};  // an SCF file saves in place
  ASSERT_TRUE(open({abiFile("second.ab1")}));
  EXPECT_TRUE(platform.saveDialogs.empty());
  EXPECT_EQ(readImage(toBytes(contents(path("first.scf")))).error.kind, LoadError::None);
  EXPECT_EQ(app.document.fileTitle, "second.ab1");

  app.document.modified = true;
  platform.promptAnswers = {PromptAnswer::Export};
  platform.saveAnswers.push_back(SaveChoice{path("second.seq"), kExportText});
  ASSERT_TRUE(open({scfFile("third.scf")}));
  EXPECT_FALSE(contents(path("second.seq")).empty());

  app.document.modified = true;
  platform.promptAnswers = {PromptAnswer::DontSave};
  EXPECT_TRUE(open({abiFile("fourth.ab1")}));
}

TEST_F(App, ReopeningTheShownFileAfterSavingShowsWhatWasSaved) {
  const std::string file = scfFile("same.scf");
  ASSERT_TRUE(open({file}));
  const std::uint8_t edited = app.document.edited.base(0) == 'N' ? 'A' : 'N';
  app.document.edited.bases.data()[0] = edited;  // as an edit would
  app.document.modified = true;
  platform.promptAnswers = {PromptAnswer::Save};
  ASSERT_TRUE(open({file}));
  EXPECT_EQ(app.document.edited.base(0), edited);
  EXPECT_FALSE(app.document.modified);
  executeCommand(app, platform, kSave);
  EXPECT_EQ(readImage(toBytes(contents(file))).document.edited.base(0), edited);
}

TEST_F(App, FoldersAndPipesFailAtTheOpenStepBeforeAnyQuestion) {
  ASSERT_TRUE(open({abiFile("kept.ab1")}));
  app.document.modified = true;
  const std::string pipe = path("pipe.ab1");
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  for (const std::string& target : {folder_.string(), pipe}) {
    platform.messages.clear();
    EXPECT_FALSE(open({target}));  // returns at once rather than waiting for a writer
    EXPECT_EQ(messageTexts(), std::vector<std::string>{loadFailure(target, "Access denied")});
  }
  EXPECT_TRUE(platform.prompts.empty());
  EXPECT_TRUE(app.document.loaded);

  app = AppState{};
  platform.messages.clear();
  start({pipe});  // named on the command line: reported, unlike a folder
  EXPECT_EQ(messageTexts(), std::vector<std::string>{loadFailure(pipe, "Access denied")});
}

TEST_F(App, AFileThatCannotBeReadLeavesTheShownDocumentAsItWas) {
  app.view.clientWidth = 200;
  ASSERT_TRUE(open({abiFile("shown.ab1")}));
  scrollView(app.document, app.settings, app.view, platform, ScrollAction::PageRight);
  const int position = platform.scrollPosition;
  ASSERT_GT(position, 0);
  app.document.modified = true;
  platform.promptAnswers = {PromptAnswer::DontSave};
  const std::string notes = put(path("notes.txt"), "just some text, not a trace file at all");
  EXPECT_FALSE(open({notes}));
  // Nothing of the shown document went, its unsaved changes included.
  EXPECT_TRUE(app.document.loaded);
  EXPECT_TRUE(app.document.modified);
  EXPECT_EQ(app.document.fileTitle, "shown.ab1");
  EXPECT_EQ(platform.title, "Vistrel - clone 7 (shown.ab1)");
  EXPECT_EQ(app.view.scrollPos, position);
  EXPECT_EQ(platform.scrollPosition, position);
  EXPECT_TRUE(platform.scrollEnabled);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text,
            loadFailure(notes, "Not an ABI or SCF file,\nor data is corrupt"));
  EXPECT_EQ(platform.messages[0].owner, MessageOwner::MainWindow);

  platform.promptAnswers = {PromptAnswer::DontSave};
  const std::string empty = put(path("empty.ab1"), "");
  EXPECT_FALSE(open({empty}));
  EXPECT_EQ(platform.messages.back().text, loadFailure(empty, "The file could not be read"));
  EXPECT_EQ(platform.messages.back().owner, MessageOwner::None);
  EXPECT_EQ(app.document.fileTitle, "shown.ab1");
}

TEST_F(App, EveryLetterOfALoadedSetHasAPeakSoEditsKeepThePeaksInOrder) {
  AbiTrace t;
  for (auto& channel : t.channels) channel.assign(300, 7);
  t.editedBases = "ACGTA";
  t.editedPeaks = {100, 110, 120};  // letters without a peak take the last one
  t.originalBases = "acg";
  t.originalPeaks = {100, 110, 120, 130, 140};  // peaks without a letter go
  const Bytes bytes = abiBuilderFor(t).build();
  ASSERT_TRUE(open({put(path("uneven.ab1"), std::string(bytes.begin(), bytes.end()))}));
  EXPECT_EQ(peaksOf(app.document.edited), (std::vector<std::int16_t>{100, 110, 120, 120, 120}));
  EXPECT_EQ(peaksOf(app.document.original), (std::vector<std::int16_t>{100, 110, 120}));

  executeCommand(app, platform, kOriginalSequence);
  EditContext c = editContext(app, platform);
  app.view.insertCaret = 135;  // right of the last letter, left of a peak that had none
  app.edit.insertIndex = 3;
  typeCharacter(c, 't');
  EXPECT_EQ(lettersOf(app.document.original), "acgt");
  EXPECT_EQ(peaksOf(app.document.original), (std::vector<std::int16_t>{100, 110, 120, 135}));
}

TEST_F(App, AForeignPrefixOf128BytesIsSkipped) {
  ASSERT_TRUE(open({abiFile("prefixed.ab1", "clone 7", 128)}));
  EXPECT_EQ(app.document.headerSkip, 128);
  EXPECT_GT(app.document.maxSampleCount, 0);
}

// Closing.

TEST_F(App, CloseWithoutChangesAsksNothing) {
  ASSERT_TRUE(open({abiFile("a.ab1")}));
  EXPECT_TRUE(closeRequested(app, platform));
  EXPECT_TRUE(platform.prompts.empty());
  executeCommand(app, platform, kExit);
  EXPECT_EQ(platform.closeRequests, 1);
}

TEST_F(App, CloseFollowsTheAnswerOfThePrompt) {
  ASSERT_TRUE(open({abiFile("edited.ab1")}));
  app.document.modified = true;
  platform.promptAnswers = {PromptAnswer::Cancel, PromptAnswer::Save, PromptAnswer::Export,
                            PromptAnswer::DontSave};
  EXPECT_FALSE(closeRequested(app, platform));
  EXPECT_FALSE(closeRequested(app, platform));  // Save As cancelled
  EXPECT_FALSE(closeRequested(app, platform));  // Export cancelled
  EXPECT_TRUE(closeRequested(app, platform));
  EXPECT_TRUE(app.document.loaded);

  platform.promptAnswers = {PromptAnswer::Export};
  platform.saveAnswers.push_back(SaveChoice{path("out.seq"), kExportFasta});
  EXPECT_TRUE(closeRequested(app, platform));
  EXPECT_TRUE(app.document.modified);  // an export does not clear it
  EXPECT_EQ(contents(path("out.seq")).front(), '>');

  platform.promptAnswers = {PromptAnswer::Save};
  platform.saveAnswers.push_back(SaveChoice{path("saved.scf"), 0});
  EXPECT_TRUE(closeRequested(app, platform));
  EXPECT_FALSE(app.document.modified);
  EXPECT_EQ(app.document.filePath, path("saved.scf"));
  // The prompt still names the file as it was loaded.
  app.document.modified = true;
  platform.promptAnswers = {PromptAnswer::Cancel};
  closeRequested(app, platform);
  EXPECT_NE(platform.prompts.back().find("of edited.ab1 has"), std::string::npos);
}

TEST_F(App, WorkThatNoSaveHoldsIsAskedAboutBeforeAnOpenOrACloseDropsIt) {
  auto type = [&](int base, char letter) {
    EditContext c = editContext(app, platform);
    app.view.selectedBase = base;
    typeCharacter(c, static_cast<std::uint8_t>(letter));
  };
  struct Case {
    const char* what;
    bool abi;
    std::function<void()> work;
    const char* prompt;  ///< a part of the question asked
  };
  const Case cases[] = {
      {"a copy is no save", false,
       [&] {
         type(0, 'n');
         executeCommand(app, platform, kCopyPlainText);
       },
       "has been modified"},
      {"the set not shown", true,
       [&] {
         executeCommand(app, platform, kOriginalSequence);
         type(0, 'n');
         executeCommand(app, platform, kEditedSequence);
       },
       "The original sequence of a.ab1, which is not shown, has unsaved changes.\n\nSave and "
       "Export write only the edited sequence shown; to keep the changes to the original "
       "sequence, choose Cancel and show it first."},
      {"undone past the save", false,
       [&] {
         type(0, 'n');
         executeCommand(app, platform, kSave);
         ASSERT_FALSE(app.document.modified);
         executeCommand(app, platform, kUndo);
       },
       "has been modified"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    app = AppState{};
    platform.prompts.clear();
    ASSERT_TRUE(open({k.abi ? abiFile("a.ab1") : scfFile("a.scf")}));
    k.work();
    platform.promptAnswers = {PromptAnswer::Cancel, PromptAnswer::Cancel, PromptAnswer::Cancel};
    EXPECT_FALSE(closeRequested(app, platform));
    EXPECT_FALSE(loadFiles(app, platform, {scfFile("dropped.scf")}));
    EXPECT_FALSE(open({scfFile("opened.scf")}));
    ASSERT_EQ(platform.prompts.size(), 3u);
    EXPECT_NE(platform.prompts[0].find(k.prompt), std::string::npos) << platform.prompts[0];
  }
}

TEST_F(App, DestructionWritesTheSettingsAndEndsTheLoop) {
  app.settings.colourA = 3;
  platform.outer = {12, 34, 812, 400};
  windowDestroyed(app, platform);
  EXPECT_EQ(platform.helpClosed, 1);
  EXPECT_EQ(platform.quits, 1);
  ViewSettings stored = readSettings(platform.settingsFile, 1);
  EXPECT_EQ(stored.colourA, 3);
  EXPECT_EQ(stored.windowLeft, 12);
  EXPECT_EQ(stored.windowTop, 34);
  EXPECT_EQ(stored.windowWidth, 800);

  platform.minimized = true;
  platform.outer = {-32000, -32000, -31840, -31970};
  windowDestroyed(app, platform);
  stored = readSettings(platform.settingsFile, 1);
  EXPECT_EQ(stored.windowLeft, 12);
  EXPECT_EQ(stored.windowWidth, 800);
}

// Other commands.

TEST_F(App, ColoursApplyOnOkOnly) {
  ASSERT_TRUE(open({scfFile("a.scf")}));
  app.view.clientWidth = 800;
  app.view.clientHeight = 265;
  platform.colourAnswers = {std::nullopt, std::array{8, 3, 0, 2, -1}};
  executeCommand(app, platform, kColours);
  EXPECT_EQ(app.settings.colourA, 1);
  const std::size_t repaints = platform.invalidated.size();
  executeCommand(app, platform, kColours);
  EXPECT_EQ(app.settings.colourA, 3);
  EXPECT_EQ(app.settings.colourN, 4);  // a list without a selection keeps its colour
  EXPECT_EQ(app.document.channels[0].colour, (Rgb{191, 191, 0}));  // SCF channel 0 is A
  ASSERT_EQ(platform.invalidated.size(), repaints + 1);
  EXPECT_EQ(platform.invalidated.back(), app.view.traceRect());
}

TEST_F(App, HelpThatCannotBeShownIsReported) {
  executeCommand(app, platform, kHelpContents);
  EXPECT_TRUE(platform.messages.empty());
  platform.helpAvailable = false;
  executeCommand(app, platform, kHelpContents);
  EXPECT_EQ(messageTexts(), std::vector<std::string>{"Could not run Windows Help"});
}

TEST_F(App, SaveAsAndTheExportsWriteWhereTheDialogSays) {
  ASSERT_TRUE(open({abiFile("run.ab1")}));
  executeCommand(app, platform, kSave);  // grayed for an ABI file: nothing happens
  EXPECT_TRUE(platform.saveDialogs.empty());

  platform.saveAnswers.push_back(SaveChoice{path("run.scf"), 0});
  executeCommand(app, platform, kSaveAs);
  EXPECT_EQ(readImage(toBytes(contents(path("run.scf")))).error.kind, LoadError::None);
  EXPECT_EQ(app.document.fileInfoText, "File: run.scf");

  app.settings.exportFormat = 0;
  platform.saveAnswers.push_back(SaveChoice{path("run.fasta"), kExportFasta});
  executeCommand(app, platform, kExport);
  EXPECT_EQ(platform.saveDialogs.back().selectedFilter, 0);
  EXPECT_EQ(platform.saveDialogs.back().filters.size(), 3u);  // with FASTQ: it has qualities
  EXPECT_EQ(app.settings.exportFormat, 1);                    // the choice is remembered
  EXPECT_EQ(contents(path("run.fasta")).front(), '>');

  platform.saveAnswers.push_back(SaveChoice{path("run.txt"), 0});
  executeCommand(app, platform, kExportRawData);
  EXPECT_EQ(platform.saveDialogs.back().title, "Export Trace Data");
  EXPECT_FALSE(contents(path("run.txt")).empty());

  platform.saveAnswers.push_back(SaveChoice{path("no/such/folder/x.seq"), 0});
  executeCommand(app, platform, kExport);
  ASSERT_FALSE(platform.messages.empty());
  EXPECT_EQ(platform.messages.back().icon, MessageIcon::Stop);
  EXPECT_EQ(app.settings.exportFormat, 1);  // a file that could not be created changes nothing
}

TEST_F(App, TrimmedCopiesAndExportsTakeTheGoodRegionOrSayWhyThereIsNone) {
  ASSERT_TRUE(open({abiFile("run.ab1")}));
  const BaseCalls& shown = app.document.shown();
  const std::optional<TrimRegion> region = trimRegion(shown, kDefaultTrimCutoff);
  ASSERT_TRUE(region && !region->empty() && region->end - region->start < shown.baseCount);
  executeCommand(app, platform, kCopyTrimmedPlainText);
  EXPECT_EQ(platform.clipboard,
            lettersOf(shown).substr(region->start, region->end - region->start));

  app.settings.exportFormat = kExportFastq;
  platform.saveAnswers.push_back(SaveChoice{path("run.fastq"), kExportFastq});
  executeCommand(app, platform, kExportTrimmed);
  EXPECT_EQ(platform.saveDialogs.back().title, "Export Trimmed");
  EXPECT_EQ(platform.saveDialogs.back().selectedFilter, kExportFastq);
  EXPECT_EQ(contents(path("run.fastq")), sequenceExportText(app.document, kExportFastq, region));
  EXPECT_TRUE(platform.messages.empty());

  // At the settings' cutoff of 0 no base is good enough.
  app.settings.trimCutoff = 0;
  executeCommand(app, platform, kCopyTrimmedFasta);
  EXPECT_EQ(messageTexts(), std::vector<std::string>{kEmptyTrimmedRegionMessage});

  // Without quality values: no region, and no FASTQ in the Export dialog.
  platform.messages.clear();
  app.document.edited.hasQualities = false;
  const std::size_t dialogs = platform.saveDialogs.size();
  executeCommand(app, platform, kExportTrimmed);
  executeCommand(app, platform, kCopyTrimmedPlainText);
  EXPECT_EQ(messageTexts(), std::vector<std::string>(2, kNoQualitiesToTrimMessage));
  EXPECT_EQ(platform.saveDialogs.size(), dialogs);
  platform.saveAnswers.push_back(std::nullopt);
  executeCommand(app, platform, kExport);
  EXPECT_EQ(platform.saveDialogs.back().filters.size(), 2u);
  EXPECT_EQ(platform.saveDialogs.back().selectedFilter, kExportFasta);
}

}  // namespace
}  // namespace vistrel::testing
