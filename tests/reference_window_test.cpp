// A reference in the window: the reference row worked out from the alignment on either strand,
// the row following edits, undo and a reverse complement, Next Difference, and the commands
// that take and drop the reference.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "app/commands.h"
#include "app/load_flow.h"
#include "app/reference_row.h"
#include "app/shown_read.h"
#include "app/status_text.h"
#include "edit/edit_model.h"
#include "edit/navigation.h"
#include "edit/reverse_complement.h"
#include "temp_folder.h"
#include "view_fixture.h"

namespace vistrel::testing {
namespace {

constexpr char kRead[] = "ATGGCTAGCTTACGGATCCAGTCAAGCTTGCATGCCTGCA";
constexpr char kLeftFlank[] = "GACTTGCAAGTCGGTACCAT";
constexpr char kRightFlank[] = "CGTAGGTCAACTGATCGGAA";

/// The read as the reference has it: base 12 a T instead of a C, and either an A that the read
/// lacks between bases 25 and 26 or base 30 missing (the read has a base more).
std::string expectedSequence(bool readLacksABase) {
  std::string s = kRead;
  s[12] = 'T';
  if (readLacksABase) {
    s.insert(s.begin() + 26, 'A');
  } else {
    s.erase(30, 1);
  }
  return kLeftFlank + s + kRightFlank;
}

/// The row's letters (a space where it shows nothing), differing bases, bases after a gap and
/// positions; a tuple, so that a failure prints each part.
using RowSummary = std::tuple<std::string, std::vector<int>, std::vector<int>, std::vector<int>>;

RowSummary summaryOf(const ReferenceRow& row) {
  RowSummary s;
  auto& [letters, differs, gapsBefore, positions] = s;
  for (std::size_t i = 0; i < row.size(); ++i) {
    letters += row[i].letter != 0 ? row[i].letter : ' ';
    if (row[i].differs) differs.push_back(static_cast<int>(i));
    if (row[i].gapBefore) gapsBefore.push_back(static_cast<int>(i));
    positions.push_back(row[i].position);
  }
  return s;
}

std::vector<int> differencesOf(const ReferenceRow& row) {
  return std::get<1>(summaryOf(row));
}

class ReferenceWindow : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    createFonts(app.view.layout, platform, false);
    app.view.clientWidth = 800;
    app.view.clientHeight = 265;
    showRead(kRead);
    // Every base of the builder's quality 7 counts as good.
    app.settings.trimCutoff = 1000;
  }

  void showRead(const std::string& letters) {
    app.document = regularDocument(10 * static_cast<int>(letters.size()), letters);
    recomputeChannelColours(app.document, app.settings);
  }

  void useReference(const std::string& sequence) {
    takeReference(app.reference, Reference{"expected", sequence});
  }

  EditContext context() { return editContext(app, platform); }
  /// Brings the row up to date as the window's next paint and its alignment do; true when it
  /// had to align.
  bool follow() {
    const bool aligned = followShownRead(app, platform);
    platform.finishBackgroundWork();
    return aligned;
  }
  const ReferenceRow& row() const { return app.view.referenceRow; }

  AppState app;
  FakePlatform platform;
};

TEST_F(ReferenceWindow, TheRowShowsTheReferenceInTheReadsOrientationOnBothStrands) {
  std::string withSubstitution = kRead;
  withSubstitution[12] = 'T';
  for (bool readLacksABase : {true, false}) {
    for (bool reverse : {false, true}) {
      SCOPED_TRACE(::testing::Message() << "lacks " << readLacksABase << " reverse " << reverse);
      const std::string forward = expectedSequence(readLacksABase);
      const int length = static_cast<int>(forward.size());
      RowSummary expected;
      auto& [letters, differs, gapsBefore, positions] = expected;
      letters = withSubstitution;
      differs = {12};
      for (int i = 0; i < 40; ++i) {
        // Forward positions from 1; the extra A moves the bases after it on, the missing base
        // back. A '-' takes the position of the reference letter on its left.
        int p = 21 + i;
        if (readLacksABase && i >= 26) p += 1;
        if (!readLacksABase && i >= 30) p -= 1;
        if (reverse) p = length - p + 1;
        if (reverse && !readLacksABase && i == 30) p -= 1;  // on the left in reference order
        positions.push_back(p);
      }
      if (readLacksABase) {
        gapsBefore = {26};
      } else {
        letters[30] = '-';
        differs.push_back(30);
      }
      useReference(reverse ? reverseComplementOf(forward) : forward);
      ASSERT_TRUE(follow());
      EXPECT_EQ(summaryOf(row()), expected);
    }
  }
}

TEST_F(ReferenceWindow, TheRowFollowsEditsUndoAndReverseComplementAndNextDifferenceWalksIt) {
  useReference(expectedSequence(true));
  ASSERT_TRUE(follow());
  EXPECT_FALSE(follow());  // nothing changed: no alignment
  EXPECT_EQ(differencesOf(row()), std::vector<int>{12});

  EditContext c = context();
  nextDifference(c);
  EXPECT_EQ(app.view.selectedBase, 12);
  EXPECT_EQ(statusText(app).substr(statusText(app).find("  ref")), "  ref 33");
  nextDifference(c);
  EXPECT_EQ(app.view.selectedBase, 26);  // next to the letter the read lacks
  nextDifference(c);
  EXPECT_EQ(platform.beeps, 1);
  EXPECT_EQ(app.view.selectedBase, 26);

  app.view.selectedBase = 12;
  replaceBase(c, 'T');
  ASSERT_TRUE(follow());
  EXPECT_TRUE(differencesOf(row()).empty());
  undo(c);
  ASSERT_TRUE(follow());
  EXPECT_EQ(differencesOf(row()), std::vector<int>{12});
  reverseComplement(c);
  ASSERT_TRUE(follow());
  EXPECT_EQ(differencesOf(row()), std::vector<int>{27});
  EXPECT_EQ(std::get<2>(summaryOf(row())), std::vector<int>{14});
}

TEST_F(ReferenceWindow, AlignmentRunsAwayFromThePaintAndAStaleOutcomeIsNeverShown) {
  useReference(expectedSequence(true));
  ASSERT_TRUE(follow());
  EditContext c = context();
  app.view.selectedBase = 12;
  replaceBase(c, 'T');
  // The paint after the edit only starts the alignment; the row it shows is the one before.
  ASSERT_TRUE(followShownRead(app, platform));
  EXPECT_EQ(differencesOf(row()), std::vector<int>{12});
  EXPECT_FALSE(followShownRead(app, platform));  // one alignment at a time
  // Another edit before the outcome is back: that outcome is dropped, the read aligned again.
  app.view.selectedBase = 3;
  replaceBase(c, 'T');
  platform.finishBackgroundWork();
  EXPECT_EQ(differencesOf(row()), std::vector<int>{3});
  EXPECT_TRUE(platform.backgroundWork.empty());
  // A command that needs the row has it at once.
  replaceBase(c, 'G');
  followReferenceNow(app, platform);
  EXPECT_TRUE(differencesOf(row()).empty());
}

TEST_F(ReferenceWindow, TheStatusTellsHowTheReferenceFitsAndAPoorFitShowsNoRow) {
  app.document.loaded = true;
  useReference(expectedSequence(true));
  follow();
  EXPECT_EQ(statusText(app),
            "40 bases, good region 1-40  aligned on the + strand, identity 95.1%, 2 differences");
  // A reference of another clone, every third letter other: no sea of red.
  std::string poor = kRead;
  for (std::size_t i = 0; i < poor.size(); i += 3) poor[i] = poor[i] == 'A' ? 'C' : 'A';
  useReference(poor);
  follow();
  EXPECT_TRUE(row().empty());
  EXPECT_EQ(statusText(app),
            "40 bases, good region 1-40  The reference does not fit this read: identity 65.0% "
            "(the row shows nothing below 80%)");
}

TEST_F(ReferenceWindow, EachDocumentLoadedIsAlignedAnewWhereverItsDataLies) {
  useReference(expectedSequence(true));
  // Three reads of one size: the third's data may take the memory the first's was in.
  std::vector<std::string> files;
  for (int substituted : {5, 20, 30}) {
    std::string letters = kRead;
    letters[static_cast<std::size_t>(substituted)] = letters[substituted] == 'A' ? 'C' : 'A';
    ScfSpec spec;
    for (auto& channel : spec.channels) channel.assign(400, 100);
    spec.bases = letters;
    for (int i = 0; i < 40; ++i) spec.peaks.push_back(static_cast<std::uint32_t>(10 * i + 5));
    const Bytes bytes = buildScf(spec);
    files.push_back(put(path(std::to_string(substituted) + ".scf"), {bytes.begin(), bytes.end()}));
  }
  ASSERT_TRUE(loadFiles(app, platform, {files[0]}));
  follow();
  ASSERT_TRUE(loadFiles(app, platform, {files[1]}));
  ASSERT_TRUE(loadFiles(app, platform, {files[2]}));
  follow();
  EXPECT_EQ(differencesOf(row()), (std::vector<int>{12, 30}));
}

TEST_F(ReferenceWindow, TheReferenceComesAndGoesWithItsRowAndStaysThroughALoad) {
  app.document.loaded = true;
  const Rect window = platform.outer;
  EXPECT_FALSE(menuItemState(app, kClearReference).enabled);
  EXPECT_FALSE(menuItemState(app, kNextDifference).enabled);

  platform.referenceAnswers = {path("absent.fasta")};
  executeCommand(app, platform, kAlignToReference);
  platform.finishBackgroundWork();
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_NE(platform.messages[0].text.find(path("absent.fasta")), std::string::npos);
  EXPECT_FALSE(app.reference.current);
  EXPECT_FALSE(app.view.layout.withReference);
  EXPECT_EQ(platform.outer, window);

  platform.referenceAnswers = {put(path("ref.fa"), ">expected\n" + expectedSequence(true) + "\n")};
  executeCommand(app, platform, kAlignToReference);
  platform.finishBackgroundWork();
  EXPECT_TRUE(menuItemState(app, kClearReference).enabled);
  EXPECT_TRUE(menuItemState(app, kNextDifference).enabled);
  const ViewLayout& l = app.view.layout;
  EXPECT_EQ(platform.outer.height(), window.height() + 2 * l.baseFontHeight + 3);
  EXPECT_EQ(l.numberRowTop(), l.referenceRowTop() + 2 * l.baseFontHeight + 3);
  EXPECT_EQ(differencesOf(row()), std::vector<int>{12});

  // Of a file of several sequences, the one the user picks.
  platform.referenceAnswers = {
      put(path("two.fa"),
          ">other one\nACGTACGTACGTAAAA\n>expected clone\n" + expectedSequence(false) + "\n")};
  platform.recordAnswers = {std::nullopt, 1};
  executeCommand(app, platform, kAlignToReference);
  platform.finishBackgroundWork();
  EXPECT_EQ(differencesOf(row()), std::vector<int>{12});  // cancelled: the reference stays
  platform.referenceAnswers = {path("two.fa")};
  executeCommand(app, platform, kAlignToReference);
  platform.finishBackgroundWork();
  EXPECT_EQ(platform.recordChoices.back(),
            (std::vector<std::string>{"other one", "expected clone"}));
  EXPECT_EQ(app.reference.current->reference.name, "expected");
  EXPECT_EQ(differencesOf(row()), (std::vector<int>{12, 30}));

  // Another read loaded into the window is checked against the same reference.
  std::string other = kRead;
  other[5] = 'G';
  ScfSpec spec;
  for (auto& channel : spec.channels) channel.assign(400, 100);
  spec.bases = other;
  for (int i = 0; i < 40; ++i) spec.peaks.push_back(static_cast<std::uint32_t>(10 * i + 5));
  const Bytes bytes = buildScf(spec);
  ASSERT_TRUE(loadFiles(app, platform, {put(path("other.scf"), {bytes.begin(), bytes.end()})}));
  ASSERT_TRUE(app.reference.current);
  follow();
  EXPECT_EQ(differencesOf(row()), (std::vector<int>{5, 12, 30}));

  executeCommand(app, platform, kClearReference);
  EXPECT_FALSE(app.reference.current);
  EXPECT_TRUE(row().empty());
  EXPECT_EQ(platform.outer, window);
  EXPECT_FALSE(menuItemState(app, kClearReference).enabled);
}

}  // namespace
}  // namespace vistrel::testing
