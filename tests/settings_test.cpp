// The settings file: defaults, the limits applied on reading, the X Zoom encoding, writing back
// without losing other lines, and the colour rules built on the settings.
#include "view/settings.h"

#include <gtest/gtest.h>

#include <climits>

#include "temp_folder.h"
#include "view/ini_file.h"

namespace vistrel::testing {
namespace {

class Settings : public TempFolderTest {
 protected:
  ViewSettings readWith(const std::string& options) {
    put(path("vistrel.ini"), "[Options]\n" + options);
    return readSettings(path("vistrel.ini"), 1024);
  }
};

TEST_F(Settings, MissingFileGivesEveryDefault) {
  ViewSettings s = readSettings(path("absent.ini"), 1366);
  EXPECT_EQ((std::array{s.colourG, s.colourA, s.colourT, s.colourC, s.colourN}),
            (std::array{8, 1, 0, 2, 4}));
  EXPECT_EQ(s.xZoomMode, kMagnify);
  EXPECT_EQ(s.xZoomLevel, 0);
  EXPECT_EQ(s.scrollStep, 16);
  EXPECT_EQ(s.yZoom, 0);
  EXPECT_EQ(s.traceHeight(), 200);
  EXPECT_EQ(s.largeFonts, 0);
  EXPECT_EQ(s.continuousEdit, 0);
  EXPECT_EQ(s.showOriginalSequence, 0);
  EXPECT_EQ(s.printXZoom, 0);
  EXPECT_EQ(s.printYZoom, 0);
  EXPECT_EQ(s.exportFormat, 1);
  EXPECT_EQ(s.windowLeft, 0);
  EXPECT_EQ(s.windowTop, 0);
  EXPECT_EQ(s.windowWidth, 1366);
}

TEST_F(Settings, ValuesOutsideTheirLimitsAreClampedOnReading) {
  ViewSettings s = readWith(
      "Print Y Zoom=-1\nPrint X Zoom=9\nY Zoom=12\nLarge fonts=5\nExport Format=4\n"
      "Original Sequence=2\n");
  EXPECT_EQ(s.printYZoom, 6);  // taken as unsigned
  EXPECT_EQ(s.printXZoom, 2);
  EXPECT_EQ(s.yZoom, 6);
  EXPECT_EQ(s.largeFonts, 1);
  // The original set is shown, and the menu must know it: choosing it again changes nothing.
  EXPECT_EQ(s.showOriginalSequence, 1);
  EXPECT_EQ(s.exportFormat, 1);
  EXPECT_EQ(readWith("Print X Zoom=-9\n").printXZoom, -2);
  EXPECT_EQ(readWith("Export Format=2\n").exportFormat, 2);  // FASTQ
}

TEST_F(Settings, ValuesNoTableCanTakeFallBackToTheirDefaults) {
  ViewSettings s = readWith(
      "G color=9\nA color=-1\nT color=2147483647\nC color=7\nY Zoom=-3\nExport Format=-1\n"
      "X Zoom=5\n");
  EXPECT_EQ(s.colourG, 8);
  EXPECT_EQ(s.colourA, 1);
  EXPECT_EQ(s.colourT, 0);
  EXPECT_EQ(s.colourC, 7);  // valid, kept
  EXPECT_EQ(s.yZoom, 0);
  EXPECT_EQ(s.exportFormat, 1);
  EXPECT_EQ(s.xZoomMode, kMagnify);
  EXPECT_EQ(s.xZoomLevel, 0);
}

TEST_F(Settings, QualityAndFitSettingsReadBackAndFallBackOutsideTheirRanges) {
  auto fields = [](const ViewSettings& s) {
    return std::array{s.qualityValues, s.showTrimmed, s.trimCutoff, s.fitPeaks, s.fitWindow};
  };
  EXPECT_EQ(fields(readWith("")), (std::array{1, 1, 50, 0, 0}));
  EXPECT_EQ(fields(readWith("Quality values=0\nShow trimmed=0\nTrim cutoff=10\nFit peaks=1\n"
                            "Fit window=1\n")),
            (std::array{0, 0, 10, 1, 1}));
  EXPECT_EQ(fields(readWith("Quality values=2\nShow trimmed=-1\nTrim cutoff=1001\nFit peaks=7\n"
                            "Fit window=-1\n")),
            (std::array{1, 1, 50, 0, 0}));

  ViewSettings written;
  written.qualityValues = 0;
  written.trimCutoff = 120;
  written.fitWindow = 1;
  writeSettings(written, path("written.ini"), nullptr);
  EXPECT_EQ(fields(readSettings(path("written.ini"), 1024)), (std::array{0, 1, 120, 0, 1}));
}

TEST_F(Settings, MixedSettingsReadBackAndFallBackOutsideTheirRanges) {
  struct Case {
    const char* stored;
    int ratio, show;
  };
  const Case cases[] = {
      {"", 33, 1},
      {"Mixed ratio=1\nShow mixed=0\n", 1, 0},
      {"Mixed ratio=100\nShow mixed=1\n", 100, 1},
      {"Mixed ratio=0\nShow mixed=2\n", 33, 1},
      {"Mixed ratio=101\nShow mixed=-1\n", 33, 1},
  };
  for (const Case& c : cases) {
    const ViewSettings s = readWith(c.stored);
    EXPECT_EQ((std::array{s.mixedRatio, s.showMixed}), (std::array{c.ratio, c.show})) << c.stored;
  }
  ViewSettings written;
  written.mixedRatio = 45;
  written.showMixed = 0;
  writeSettings(written, path("written.ini"), nullptr);
  const ViewSettings r = readSettings(path("written.ini"), 1024);
  EXPECT_EQ((std::array{r.mixedRatio, r.showMixed}), (std::array{45, 0}));
}

TEST_F(Settings, XZoomEncoding) {
  struct Case {
    int stored, mode, level, step;
  };
  for (Case c : {Case{0, kMagnify, 0, 16}, Case{1, kMagnify, 1, 8}, Case{2, kMagnify, 2, 4},
                 Case{-1, kReduce, 1, 32}, Case{-2, kReduce, 2, 64}}) {
    ViewSettings s = readWith("X Zoom=" + std::to_string(c.stored) + "\n");
    EXPECT_EQ(s.xZoomMode, c.mode) << c.stored;
    EXPECT_EQ(s.xZoomLevel, c.level) << c.stored;
    EXPECT_EQ(s.scrollStep, c.step) << c.stored;
    EXPECT_EQ(xZoomValue(s), c.stored);
  }
  ViewSettings fit = readWith("X Zoom=-7\n");
  EXPECT_EQ(fit.xZoomMode, kFit);
  writeSettings(fit, path("vistrel.ini"), nullptr);
  EXPECT_NE(contents(path("vistrel.ini")).find("X Zoom=-3\n"), std::string::npos);
}

TEST_F(Settings, NumbersAreReadFromTheStartOfTheText) {
  ViewSettings s = readWith("Y Zoom=  3 times\nG color=red\nA color=+5\n");
  EXPECT_EQ(s.yZoom, 3);
  EXPECT_EQ(s.colourG, 0);  // no number: 0
  EXPECT_EQ(s.colourA, 5);
  EXPECT_EQ(leadingInt("-99999999999"), INT_MIN);
  EXPECT_EQ(leadingInt("99999999999"), INT_MAX);
  EXPECT_EQ(leadingInt(""), 0);
}

TEST_F(Settings, SectionsAndKeysIgnoreCase) {
  put(path("vistrel.ini"), "[options]\ny zoom=4\n[WINDOW]\nWinPosX=-20\n");
  ViewSettings s = readSettings(path("vistrel.ini"), 800);
  EXPECT_EQ(s.yZoom, 4);
  EXPECT_EQ(s.windowLeft, -20);
}

TEST_F(Settings, WrittenValuesReadBackNegativesIncluded) {
  ViewSettings s;
  s.colourG = 3;
  s.printXZoom = -2;
  s.printYZoom = 5;
  s.exportFormat = 0;
  applyXZoomValue(s, -1);
  s.yScaleShift = 4;
  s.yZoom = 2;
  s.largeFonts = 1;
  s.continuousEdit = 1;
  s.showOriginalSequence = 1;
  const Rect placement{-8, -30, 592, 400};
  writeSettings(s, path("sub/folder/vistrel.ini"), &placement);

  ViewSettings r = readSettings(path("sub/folder/vistrel.ini"), 1024);
  EXPECT_EQ(r.colourG, 3);
  EXPECT_EQ(r.printXZoom, -2);
  EXPECT_EQ(r.printYZoom, 5);
  EXPECT_EQ(r.exportFormat, 0);
  EXPECT_EQ(r.xZoomMode, kReduce);
  EXPECT_EQ(r.xZoomLevel, 1);
  EXPECT_EQ(r.traceHeight(), 100);
  EXPECT_EQ(r.yZoom, 2);
  EXPECT_EQ(r.largeFonts, 1);
  EXPECT_EQ(r.continuousEdit, 1);
  EXPECT_EQ(r.showOriginalSequence, 1);
  EXPECT_EQ(r.windowLeft, -8);
  EXPECT_EQ(r.windowTop, -30);
  EXPECT_EQ(r.windowWidth, 600);
}

TEST_F(Settings, WritingKeepsOtherLinesAndTheStoredPlacementOfAMinimizedWindow) {
  put(path("vistrel.ini"),
      "; kept\n[Window]\nwinposX=11\nwinposY=22\nwinsizeX=333\n\n[Other]\nkey=value\n"
      "[Options]\nY Zoom=1\n");
  ViewSettings s;
  s.yZoom = 5;
  writeSettings(s, path("vistrel.ini"), nullptr);
  const std::string text = contents(path("vistrel.ini"));
  EXPECT_EQ(text.find("; kept\n[Window]\nwinposX=11\nwinposY=22\nwinsizeX=333\n"), 0u);
  EXPECT_NE(text.find("[Other]\nkey=value\n"), std::string::npos);
  EXPECT_NE(text.find("Y Zoom=5\n"), std::string::npos);
  EXPECT_EQ(text.find("Y Zoom=1"), std::string::npos);
  EXPECT_EQ(readSettings(path("vistrel.ini"), 1).windowWidth, 333);
}

TEST_F(Settings, AnUnwritableFileFailsSilently) {
  put(path("blocker"), "a file where a folder should be");
  writeSettings(ViewSettings{}, path("blocker/vistrel.ini"), nullptr);
  EXPECT_EQ(contents(path("blocker")), "a file where a folder should be");
}

TEST(Colours, ChannelsTakeTheColourOfTheirLetter) {
  ViewSettings s;
  Chromatogram d;
  const char letters[] = {'G', 'A', 'T', '?'};
  for (int c = 0; c < 4; ++c) d.channels[c].letter = letters[c];
  d.channels[3].colour = {1, 2, 3};
  recomputeChannelColours(d, s);
  EXPECT_EQ(d.channels[0].colour, (Rgb{0, 0, 0}));    // G: Black
  EXPECT_EQ(d.channels[1].colour, (Rgb{0, 191, 0}));  // A: Green
  EXPECT_EQ(d.channels[2].colour, (Rgb{255, 0, 0}));  // T: Red
  EXPECT_EQ(d.channels[3].colour, (Rgb{1, 2, 3}));    // unknown letter: kept

  s.colourA = 3;
  recomputeChannelColours(d, s);
  EXPECT_EQ(d.channels[1].colour, (Rgb{191, 191, 0}));
}

}  // namespace
}  // namespace vistrel::testing
