// The Edit Analysis command and window over the fake platform: a planted sample fills the
// window's state, failures leave everything as it was, and the painting lines both traces up at
// the cut and draws one bar per allele.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/commands.h"
#include "app/edit_analysis_view.h"
#include "fake_platform.h"
#include "planted_edits.h"
#include "view/settings.h"

namespace vistrel::testing {
namespace {

constexpr const char* kControlFile = "3730.ab1";
constexpr std::int32_t kGuideOffset = 200;
/// The edited trace runs this many samples later than its control.
constexpr std::int32_t kLag = 40;

std::string controlPath() {
  return std::string(VISTREL_TEST_DATA "/abi/") + kControlFile;
}

/// Every sample and peak of `d` moved `by` samples later, the trace keeping its length.
void delay(Chromatogram& d, std::int32_t by) {
  for (int c = 0; c < 4; ++c) {
    for (std::int32_t i = d.channels[c].sampleCount - 1; i >= 0; --i) {
      d.setSample(c, i, i >= by ? d.sample(c, i - by) : std::uint16_t{0});
    }
  }
  for (std::int32_t i = 0; i < d.edited.peakCount; ++i) {
    d.edited.setPeak(i, static_cast<std::int16_t>(d.edited.peak(i) + by));
  }
}

class EditWindow : public ::testing::Test {
 protected:
  /// The trace window shows a planted mixture of the control's alleles; the dialog's answer
  /// names the control and its guide. False when the real traces were not fetched.
  bool plant(const std::map<int, double>& alleles, std::int32_t lag = 0) {
    if (!readReal(kControlFile, control) || !readReal(kControlFile, app.document)) return false;
    const Site site = guideOf(control, kGuideOffset, false);
    plantMixture(control, site.cut, alleles, app.document);
    delay(app.document, lag);
    recomputeChannelColours(app.document, app.settings);
    answer = {controlPath(), site.guide, kDefaultCutOffset, kDefaultMaxIndel, ""};
    return true;
  }

  bool run(std::optional<EditAnalysisSetup> setup) {
    if (setup) platform.editSetupAnswers.push_back(*setup);
    executeCommand(app, platform, kEditAnalysis);
    return app.editWindow.shown != nullptr;
  }

  AppState app;
  FakePlatform platform;
  Chromatogram control;
  EditAnalysisSetup answer;
};

std::vector<AlleleShare> byShare(std::vector<AlleleShare> alleles) {
  std::stable_sort(alleles.begin(), alleles.end(), [](const AlleleShare& a, const AlleleShare& b) {
    return a.percent > b.percent;
  });
  return alleles;
}

TEST_F(EditWindow, APlantedMixtureFillsTheWindowAndTheAnswersAreKept) {
  EXPECT_FALSE(menuItemState(app, kEditAnalysis).enabled);
  if (!plant({{-4, 0.5}, {0, 0.3}, {2, 0.2}})) GTEST_SKIP() << "the test traces were not fetched";
  EXPECT_TRUE(menuItemState(app, kEditAnalysis).enabled);
  // The first dialog opens with the defaults.
  const EditAnalysisSetup defaults{"", "", kDefaultCutOffset, kDefaultMaxIndel, ""};
  ASSERT_TRUE(run(answer));
  EXPECT_EQ(platform.editSetupsAsked.at(0), defaults);
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_EQ(platform.editWindowsShown, 1);
  const std::vector<AlleleShare> top = byShare(app.editWindow.shown->analysis.alleles);
  ASSERT_GE(top.size(), 3u);
  EXPECT_EQ(top[0].size, -4);
  EXPECT_EQ(top[1].size, 0);
  EXPECT_EQ(top[2].size, 2);
  EXPECT_NEAR(top[0].percent, 50, 2);
  EXPECT_EQ(app.editWindow.shown->edited.fileTitle, app.document.fileTitle);
  // The trace window's document is only read.
  EXPECT_FALSE(app.document.modified);
  EXPECT_TRUE(platform.invalidated.empty());

  // The next dialog opens with these answers; a cancel keeps the analysis shown.
  const EditAnalysisShown* shown = app.editWindow.shown.get();
  EXPECT_TRUE(run(std::nullopt));
  EXPECT_EQ(platform.editSetupsAsked.at(1), answer);
  EXPECT_EQ(app.editWindow.shown.get(), shown);
  EXPECT_EQ(platform.editWindowsShown, 1);

  // A larger indel range on a second run replaces the content.
  EditAnalysisSetup wider = answer;
  wider.maxIndel = 30;
  ASSERT_TRUE(run(wider));
  EXPECT_EQ(app.editWindow.shown->analysis.alleles.size(), 61u);
  EXPECT_EQ(platform.editWindowsShown, 2);
}

TEST_F(EditWindow, FailuresShowTheAnalysisMessageAndChangeNothing) {
  if (!plant({{0, 0.6}, {-1, 0.4}})) GTEST_SKIP() << "the test traces were not fetched";
  EditAnalysisSetup absent = answer;
  absent.guide = std::string(20, 'A');
  EditRequest request;
  request.guide = absent.guide;
  const std::string notFound = prepareControl(control, request).message;
  EditAnalysisSetup missing = answer;
  missing.controlPath = controlPath() + ".gone";
  EditAnalysisSetup badDonor = answer;
  badDonor.donor = "ACGT";
  request.guide = answer.guide;
  request.donor = badDonor.donor;
  struct Case {
    const char* what;
    EditAnalysisSetup setup;
    std::string message;  ///< the start of the message; nothing for none
  };
  const Case cases[] = {
      {"guide not in the control", absent, notFound},
      {"no control file", missing, "Could not open " + missing.controlPath + " as the control"},
      {"donor that does not fit", badDonor, prepareControl(control, request).message},
  };
  for (const Case& t : cases) {
    SCOPED_TRACE(t.what);
    platform.messages.clear();
    ASSERT_FALSE(t.message.empty());
    EXPECT_FALSE(run(t.setup));
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text.substr(0, t.message.size()), t.message);
    EXPECT_EQ(platform.messages[0].icon, MessageIcon::Stop);
    // The answers are kept, so that the next dialog can correct them.
    EXPECT_EQ(app.editWindow.last, t.setup);
  }
  platform.messages.clear();
  EXPECT_FALSE(run(std::nullopt));
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_EQ(platform.editWindowsShown, 0);
  EXPECT_TRUE(platform.invalidated.empty());
  EXPECT_FALSE(app.document.modified);
}

TEST_F(EditWindow, TheTracesMeetAtTheCutAndEveryAlleleHasItsBar) {
  if (!plant({{-4, 0.5}, {0, 0.3}, {3, 0.2}}, kLag)) {
    GTEST_SKIP() << "the test traces were not fetched";
  }
  ASSERT_TRUE(run(answer));
  const EditAnalysisShown& shown = *app.editWindow.shown;
  const EditAnalysis& a = shown.analysis;
  EXPECT_NEAR(a.sampleOffset, -kLag, 3);
  RecordingCanvas canvas;
  const int width = 960, height = 760;
  paintEditAnalysis(shown, app.settings, platform, canvas, width, height);
  const EditAnalysisLayout l = editAnalysisLayout(platform, width, height);
  const CutStrips strips = cutStrips(shown, l);

  // One line crosses both strips at the cut, where the control's cut boundary stands and where
  // the edited trace's own cut boundary is placed.
  std::vector<int> crossing;
  for (const DrawnLine& line : canvas.lines) {
    if (line.points.size() == 2 && line.points[0].x == line.points[1].x &&
        line.points[0].y <= l.controlStrip.top && line.points[1].y >= l.editedStrip.bottom) {
      crossing.push_back(line.points[0].x);
    }
  }
  ASSERT_EQ(crossing.size(), 1u);
  EXPECT_EQ(crossing[0], strips.control.axis.x(a.controlCutSample));
  const BaseCalls& edited = shown.edited.shown();
  const std::int32_t editedCut = (edited.peak(a.editedCut - 1) + edited.peak(a.editedCut)) / 2;
  EXPECT_NEAR(strips.edited.axis.x(editedCut), crossing[0], 2);
  // Both traces span their strips: the edited one is not left where its own samples stand.
  for (int c = 0; c < 4; ++c) {
    const std::vector<DrawnLine> drawn = canvas.polylinesIn(shown.edited.channels[c].colour);
    ASSERT_FALSE(drawn.empty());
    for (const DrawnLine& line : drawn) {
      for (const Point& p : line.points) {
        ASSERT_GE(p.x, l.controlStrip.left - 2);
        ASSERT_LE(p.x, l.controlStrip.right + 2);
      }
    }
  }

  // One bar per allele, left to right, each as tall as its share ranks it.
  std::vector<Rect> bars;
  for (const FilledRect& fill : canvas.fills) {
    const Rect& r = fill.area;
    if (r.top >= l.spectrum.top && r.bottom <= l.spectrum.bottom) bars.push_back(r);
  }
  ASSERT_EQ(bars.size(), a.alleles.size());
  for (std::size_t i = 1; i < bars.size(); ++i) {
    EXPECT_GT(bars[i].left, bars[i - 1].right - 1);
    EXPECT_EQ(bars[i].bottom, bars[0].bottom);
    EXPECT_EQ(a.alleles[i].percent > a.alleles[i - 1].percent + 1,
              bars[i].height() > bars[i - 1].height() + 1)
        << i;
  }
  // Each bar labelled, the shares of a percent or more written over theirs.
  std::vector<std::string> labels;
  for (const DrawnText& t : canvas.textsIn(l.labelFont)) labels.push_back(t.text);
  for (const char* label : {"-4", "0", "+3", "-20", "+20", "50", "30", "20"}) {
    EXPECT_NE(std::find(labels.begin(), labels.end(), label), labels.end()) << label;
  }
}

}  // namespace
}  // namespace vistrel::testing
