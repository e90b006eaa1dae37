// Reverse complement of base calls and traces, its own inverse, and Undo taking it back.
#include "edit/reverse_complement.h"

#include <gtest/gtest.h>

#include "edit/edit_model.h"
#include "fake_platform.h"
#include "reading.h"

namespace vistrel::testing {
namespace {

class ReverseComplement : public ::testing::Test {
 protected:
  /// Shows `bases` with `peaks` over 100 samples per channel (A's last one at 1600, so reading
  /// keeps the values), channel c holding 10·c + i at sample i.
  void show(const std::string& bases, const std::vector<std::uint32_t>& peaks) {
    ScfSpec spec;
    for (int c = 0; c < 4; ++c) {
      for (int i = 0; i < 100; ++i)
        spec.channels[c].push_back(static_cast<std::uint16_t>(10 * c + i));
    }
    spec.channels[0].back() = 1600;
    spec.bases = bases;
    spec.peaks = peaks;
    ReadOutcome r = readImage(buildScf(spec));
    ASSERT_FALSE(r.error) << r.message();
    document = std::move(r.document);
  }

  Chromatogram document;
  ViewSettings settings;
  ViewState view;
  EditState edit;
  FakePlatform platform;
  EditContext context{document, settings, view, edit, platform};
};

TEST_F(ReverseComplement, BasesAreReversedAndComplementedAndPeaksMirrored) {
  show("ACGTN", {10, 20, 30, 40, 50});
  view.selectedBase = 2;
  document.modified = true;
  reverseComplement(context);
  EXPECT_EQ(lettersOf(document.shown()), "NACGT");
  EXPECT_EQ(peaksOf(document.shown()), (std::vector<std::int16_t>{49, 59, 69, 79, 89}));
  EXPECT_EQ(view.selectedBase, -1);
  EXPECT_TRUE(document.modified);  // unchanged
  EXPECT_EQ(edit.reverseComplemented, 1);

  const std::pair<char, char> complements[] = {{'a', 't'}, {'R', 'Y'}, {'U', 'A'}, {'u', 'a'},
                                               {'k', 'm'}, {'B', 'V'}, {'D', 'H'}, {'N', 'N'},
                                               {'-', '-'}, {'7', '7'}, {'S', 'S'}};
  for (const auto& [letter, complement] : complements) {
    EXPECT_EQ(complementOf(static_cast<std::uint8_t>(letter)), complement) << letter;
  }
}

TEST_F(ReverseComplement, TwiceRestoresEverythingAndUndoTakesItBack) {
  // U and u come back as typed, though their complement A complements to T.
  show("ACGTUNR-au", {3, 10, 21, 30, 37, 44, 50, 61, 80, 97});
  const std::string letters = lettersOf(document.shown());
  const std::vector<std::int16_t> peaks = peaksOf(document.shown());
  const std::vector<std::uint16_t> a = samplesOf(document, 0);
  reverseComplement(context);
  // Channel A now holds T's trace, reversed, and is drawn in T's colour.
  EXPECT_EQ(document.channels[0].letter, 'T');
  EXPECT_EQ(document.channels[0].colour, settings.colourTable[settings.colourT]);
  EXPECT_EQ(samplesOf(document, 0).front(), a.back());

  undo(context);
  EXPECT_EQ(lettersOf(document.shown()), letters);
  EXPECT_EQ(peaksOf(document.shown()), peaks);
  EXPECT_EQ(samplesOf(document, 0), a);
  EXPECT_EQ(document.channels[0].letter, 'A');
  EXPECT_EQ(edit.reverseComplemented, 0);
  EXPECT_EQ(edit.undoCount, 0);
}

TEST_F(ReverseComplement, AbiSetsTurnOverTheirOwnCountsAndShortChannelsStayUnderTheirPeaks) {
  AbiTrace trace;
  trace.channels = {std::vector<std::uint16_t>{1, 2, 3, 4, 5, 6}, {1, 2, 3}, {7, 8}, {9}};
  trace.editedBases = "ACG";
  trace.editedPeaks = {0, 2};  // fewer peaks than letters
  trace.originalBases = "TT";
  trace.originalPeaks = {1, 4, 5};
  ReadOutcome r = readImage(abiBuilderFor(trace).build());
  ASSERT_FALSE(r.error) << r.message();
  document = std::move(r.document);  // channels G, A, T, C; six samples at most
  reverseComplement(context);
  EXPECT_EQ(lettersOf(document.edited), "CGT");
  EXPECT_EQ(peaksOf(document.edited), (std::vector<std::int16_t>{3, 5}));
  EXPECT_EQ(lettersOf(document.original), "AA");
  EXPECT_EQ(peaksOf(document.original), (std::vector<std::int16_t>{0, 1, 4}));
  // Every channel turns about the same axis as the peaks: the shorter ones, padded with zeros
  // to the longest, keep each sample under the peak it was under.
  EXPECT_EQ(samplesOf(document, 0), (std::vector<std::uint16_t>{6, 5, 4, 3, 2, 1}));
  EXPECT_EQ(samplesOf(document, 1), (std::vector<std::uint16_t>{0, 0, 0, 3, 2, 1}));
  EXPECT_EQ(samplesOf(document, 3), (std::vector<std::uint16_t>{0, 0, 0, 0, 0, 9}));
  EXPECT_EQ(std::string({document.channels[0].letter, document.channels[1].letter,
                         document.channels[2].letter, document.channels[3].letter}),
            "CTAG");
}

}  // namespace
}  // namespace vistrel::testing
