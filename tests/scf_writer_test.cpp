// SCF writing: what each field holds, the comment section across saves, round trips through
// the reader, and what a save changes in the document.
#include "output/scf_writer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "reading.h"
#include "temp_folder.h"

namespace vistrel::testing {
namespace {

namespace fs = std::filesystem;

const CalendarDate kJuly9{1998, 7, 9};
const CalendarDate kDec8{2026, 12, 8};

std::uint32_t be32At(const Block& b, std::size_t at) {
  const std::uint8_t* p = b.data() + at;
  return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

std::uint16_t be16At(const Block& b, std::size_t at) {
  return static_cast<std::uint16_t>(b.data()[at] << 8 | b.data()[at + 1]);
}

std::string text(const Block& b, std::size_t at, std::size_t size) {
  return std::string(reinterpret_cast<const char*>(b.data() + at), size);
}

std::string commentSection(const Block& image) {
  return text(image, be32At(image, 32), be32At(image, 28));
}

std::string comments(const Chromatogram& d) {
  return std::string(reinterpret_cast<const char*>(d.comments.data()),
                     static_cast<std::size_t>(d.commentsSize));
}

Chromatogram abiDocument(AbiTrace t) {
  ReadOutcome r = readImage(abiBuilderFor(t).build());
  EXPECT_FALSE(r.error) << r.message();
  return std::move(r.document);
}

Chromatogram scfDocument(const std::string& commentText, std::string bases = "ACGT") {
  ScfSpec spec;
  spec.channels = {std::vector<std::uint16_t>{0, 1600, 3}, {4, 5, 6}, {7, 8, 9}, {10, 11, 12}};
  spec.bases = bases;
  spec.peaks.assign(bases.size(), 1);
  spec.comments = toBytes(commentText);
  spec.codeSet = 9;
  ReadOutcome r = readImage(buildScf(spec));
  EXPECT_FALSE(r.error) << r.message();
  return std::move(r.document);
}

AbiTrace unevenTrace() {
  AbiTrace t;
  t.channels = {std::vector<std::uint16_t>{5, 9}, {1, 2, 3, 4}, {100, 200, 300, 400}, {7, 7, 7}};
  t.baseOrder = "GATC";
  t.editedBases = "GATTACA";
  t.editedPeaks = {0, 1, 2, 3, 32767, -32768, -1};
  t.originalBases = "GAT";
  t.originalPeaks = {0, 1, 2};
  return t;
}

TEST(ScfWriter, HeaderDescribesTheSections) {
  Chromatogram d = scfDocument("NAME=x\n");
  Block image;
  ASSERT_TRUE(buildScfImage(d, kJuly9, image));
  EXPECT_EQ(text(image, 0, 4), ".scf");
  EXPECT_EQ(be32At(image, 4), 3u);                      // samples
  EXPECT_EQ(be32At(image, 8), 128u);                    // samples offset
  EXPECT_EQ(be32At(image, 12), 4u);                     // bases
  EXPECT_EQ(be32At(image, 16), 0u);                     // left clip
  EXPECT_EQ(be32At(image, 20), 0u);                     // right clip
  EXPECT_EQ(be32At(image, 24), 128u + 8 * 3);           // bases offset
  EXPECT_EQ(be32At(image, 32), 128u + 8 * 3 + 12 * 4);  // comments offset
  EXPECT_EQ(text(image, 36, 4), "3.00");
  EXPECT_EQ(be32At(image, 40), 2u);
  EXPECT_EQ(be32At(image, 44), 9u);  // code set kept
  for (std::size_t at = 48; at < 128; ++at) ASSERT_EQ(image.data()[at], 0) << at;
  EXPECT_EQ(commentSection(image), std::string("NAME=x\nEDIT=Jul 9 1998\n\0", 24));
  EXPECT_EQ(image.size(), 128u + 24 + 48 + 24);
}

TEST(ScfWriter, ZeroBasesPutTheCommentsRightAfterTheSamples) {
  Chromatogram d = scfDocument("", "");
  Block image;
  ASSERT_TRUE(buildScfImage(d, kDec8, image));
  EXPECT_EQ(be32At(image, 12), 0u);
  EXPECT_EQ(be32At(image, 24), be32At(image, 32));
  EXPECT_EQ(commentSection(image), std::string("EDIT=Dec 8 2026\n\0", 17));
}

TEST(ScfWriter, ChannelsGoToTheSlotOfTheirLetterPaddedWithZeros) {
  Chromatogram d = abiDocument(unevenTrace());  // channels G A T C
  Block image;
  ASSERT_TRUE(buildScfImage(d, kDec8, image));
  ASSERT_EQ(be32At(image, 4), 4u);
  auto slot = [&](int s) {
    std::vector<std::uint16_t> stored;
    for (int i = 0; i < 4; ++i) stored.push_back(be16At(image, 128 + 8 * s + 2 * i));
    return stored;
  };
  // Second differences s[i] - 2 s[i-1] + s[i-2] modulo 65536, zeros after the channel's end.
  EXPECT_EQ(slot(0), (std::vector<std::uint16_t>{1, 0, 0, 0}));          // A: 1 2 3 4
  EXPECT_EQ(slot(1), (std::vector<std::uint16_t>{7, 65529, 0, 65529}));  // C: 7 7 7 0
  EXPECT_EQ(slot(2), (std::vector<std::uint16_t>{5, 65535, 65523, 9}));  // G: 5 9 0 0
  EXPECT_EQ(slot(3), (std::vector<std::uint16_t>{100, 0, 0, 0}));        // T: 100..400
}

TEST(ScfWriter, SlotsFollowTheLettersAfterAReverseComplement) {
  Chromatogram d = scfDocument("");
  const std::string complemented = "TGCA";
  for (int c = 0; c < 4; ++c) d.channels[c].letter = complemented[c];
  EXPECT_EQ(channelsForScfSlots(d), (std::array<int, 4>{3, 2, 1, 0}));
  d.channels[0].letter = 'g';  // case does not matter
  d.channels[1].letter = 'T';
  EXPECT_EQ(channelsForScfSlots(d), (std::array<int, 4>{3, 2, 0, 1}));
}

TEST(ScfWriter, ChannelsWithoutAKnownLetterAreStillWritten) {
  Chromatogram d = scfDocument("");
  d.channels[1].letter = 'N';
  d.channels[3].letter = 'A';  // two A channels: the first one takes the A slot
  EXPECT_EQ(channelsForScfSlots(d), (std::array<int, 4>{0, 1, 2, 3}));
  d.channels[0].letter = 'X';
  EXPECT_EQ(channelsForScfSlots(d), (std::array<int, 4>{3, 0, 2, 1}));
}

TEST(ScfWriter, AnExactLetterWinsOverTheOtherCase) {
  Chromatogram d = scfDocument("");
  struct Case {
    const char* letters;
    std::array<int, 4> slots;  // channels for A, C, G, T
  };
  for (const Case& test : {Case{"aAGT", {1, 0, 2, 3}}, Case{"tAgC", {1, 3, 2, 0}},
                           Case{"TtCc", {1, 2, 3, 0}}, Case{"AaCc", {0, 2, 1, 3}}}) {
    for (int c = 0; c < 4; ++c) d.channels[c].letter = test.letters[c];
    EXPECT_EQ(channelsForScfSlots(d), test.slots) << test.letters;
  }
}

TEST(ScfWriter, BasesAreWrittenAsParallelArrays) {
  Chromatogram d = abiDocument(unevenTrace());
  Block image;
  ASSERT_TRUE(buildScfImage(d, kDec8, image));
  const std::size_t bases = be32At(image, 24);
  ASSERT_EQ(be32At(image, 12), 7u);
  std::vector<std::uint32_t> peaks;
  for (int i = 0; i < 7; ++i) peaks.push_back(be32At(image, bases + 4 * i));
  // Peaks are signed 16-bit values widened to 32 bits.
  EXPECT_EQ(peaks, (std::vector<std::uint32_t>{0, 1, 2, 3, 32767, 0xFFFF8000u, 0xFFFFFFFFu}));
  for (std::size_t at = bases + 28; at < bases + 56; ++at) ASSERT_EQ(image.data()[at], 0);
  EXPECT_EQ(text(image, bases + 56, 7), "GATTACA");
  for (std::size_t at = bases + 63; at < bases + 84; ++at) ASSERT_EQ(image.data()[at], 0);
}

TEST(ScfWriter, BasesWithoutAPeakTakeTheLastPeakSoPositionsNeverGoDown) {
  AbiTrace t = unevenTrace();
  t.editedPeaks = {5, 6};
  Chromatogram d = abiDocument(t);
  Block image;
  ASSERT_TRUE(buildScfImage(d, kDec8, image));
  const std::size_t bases = be32At(image, 24);
  std::vector<std::uint32_t> written;
  for (std::size_t i = 0; i < 7; ++i) written.push_back(be32At(image, bases + 4 * i));
  EXPECT_EQ(written, (std::vector<std::uint32_t>{5, 6, 6, 6, 6, 6, 6}));
}

TEST(ScfWriter, TheShownSetIsWritten) {
  AbiTrace t = unevenTrace();
  Chromatogram d = abiDocument(t);
  d.originalShown = true;
  Block image;
  ASSERT_TRUE(buildScfImage(d, kDec8, image));
  EXPECT_EQ(be32At(image, 12), 3u);
  EXPECT_EQ(text(image, be32At(image, 24) + 8 * 3, 3), "GAT");
}

TEST(ScfWriter, SaveDateLine) {
  EXPECT_EQ(saveDateLine(kJuly9), "EDIT=Jul 9 1998\n");
  EXPECT_EQ(saveDateLine({2026, 1, 31}), "EDIT=Jan 31 2026\n");
  EXPECT_EQ(conversionLine(), "CONV=Vistrel 1.45\n");
  EXPECT_EQ(conversionLine().size(), 18u);
}

TEST(ScfWriter, TidyRemovesOnlyTheFirstEditLine) {
  Chromatogram d = scfDocument("NAME=x\nEDIT=Jan 1 2000\nMACH=y\nEDIT=Feb 2 2001\n");
  ASSERT_TRUE(tidyComments(d));
  EXPECT_EQ(comments(d), "NAME=x\nMACH=y\nEDIT=Feb 2 2001\n");
  ASSERT_TRUE(tidyComments(d));
  EXPECT_EQ(comments(d), "NAME=x\nMACH=y\n");

  Chromatogram editor = scfDocument("EDITOR=vi\nNAME=x\n");
  ASSERT_TRUE(tidyComments(editor));
  EXPECT_EQ(comments(editor), "NAME=x\n");

  // An EDIT line without a line feed is cut off with the rest of the block.
  Chromatogram last = scfDocument("NAME=x\nEDIT=Jan 1 2000");
  ASSERT_TRUE(tidyComments(last));
  EXPECT_EQ(comments(last), "NAME=x\n");
}

TEST(ScfWriter, TidyStripsZerosAndEndsTheTextWithALineFeed) {
  Chromatogram d = scfDocument(std::string("NAME=x\nMACH=y\0\0", 15));
  ASSERT_TRUE(tidyComments(d));
  EXPECT_EQ(comments(d), "NAME=x\nMACH=y\n");

  Chromatogram zeros = scfDocument(std::string("\0\0\0", 3));
  ASSERT_TRUE(tidyComments(zeros));
  EXPECT_EQ(zeros.commentsSize, 0);

  Chromatogram none = scfDocument("");
  ASSERT_TRUE(tidyComments(none));
  EXPECT_EQ(none.commentsSize, 0);
}

TEST(ScfWriter, CommentsStayStableOverRepeatedSaves) {
  // Comments from another program: NUL-terminated, no final line feed.
  Chromatogram d = scfDocument(std::string("NAME=x\nMACH=y\0", 14));
  std::string previous;
  for (int save = 0; save < 3; ++save) {
    ASSERT_TRUE(tidyComments(d));
    Block image;
    ASSERT_TRUE(buildScfImage(d, kJuly9, image));
    std::string section = commentSection(image);
    EXPECT_EQ(section, std::string("NAME=x\nMACH=y\nEDIT=Jul 9 1998\n\0", 31));
    // Reading the saved file back and saving again gives the same section.
    ReadOutcome again = readImage(Bytes(image.data(), image.data() + image.size()));
    ASSERT_FALSE(again.error);
    d = std::move(again.document);
    if (save > 0) {
      EXPECT_EQ(section, previous);
    }
    previous = section;
  }
}

TEST(ScfWriter, RoundTripKeepsLettersPeaksAndSamples) {
  AbiTrace t = syntheticTrace(7, 120, 12);
  ReadOutcome scf = readImage(buildScf(scfSpecFor(t)));
  ASSERT_FALSE(scf.error);
  Block image;
  ASSERT_TRUE(buildScfImage(scf.document, kDec8, image));
  ReadOutcome back = readImage(Bytes(image.data(), image.data() + image.size()));
  ASSERT_FALSE(back.error) << back.message();
  EXPECT_EQ(lettersOf(back.document.shown()), lettersOf(scf.document.shown()));
  EXPECT_EQ(peaksOf(back.document.shown()), peaksOf(scf.document.shown()));
  for (int c = 0; c < 4; ++c) EXPECT_EQ(samplesOf(back.document, c), samplesOf(scf.document, c));
  EXPECT_EQ(back.document.runEndedText, "Run ended: Jul 9 2026 11:45");
}

TEST(ScfWriter, AbiToScfKeepsEveryTraceUnderItsLetter) {
  AbiTrace t = syntheticTrace(11, 80, 10);
  t.baseOrder = "TCGA";
  Chromatogram abi = abiDocument(t);
  Block image;
  ASSERT_TRUE(buildScfImage(abi, kDec8, image));
  ReadOutcome back = readImage(Bytes(image.data(), image.data() + image.size()));
  ASSERT_FALSE(back.error);
  std::uint32_t largest = 0;
  for (auto& channel : t.channels) {
    for (std::uint16_t v : channel) largest = std::max<std::uint32_t>(largest, v);
  }
  for (int slot = 0; slot < 4; ++slot) {
    const auto& source = t.channels[t.baseOrder.find("ACGT"[slot])];
    std::vector<std::uint16_t> expected;
    for (std::uint16_t v : source)
      expected.push_back(static_cast<std::uint16_t>(v * 1600 / largest));
    EXPECT_EQ(samplesOf(back.document, slot), expected) << slot;
  }
  EXPECT_EQ(lettersOf(back.document.shown()), t.editedBases);
  EXPECT_EQ(peaksOf(back.document.shown()), t.editedPeaks);
  EXPECT_EQ(back.document.codeSet, 4);
}

using ScfSave = TempFolderTest;

TEST_F(ScfSave, SaveAsOfAnAbiDocumentConvertsIt) {
  Chromatogram d = abiDocument(unevenTrace());
  nameDocumentAfter(d, "/runs/clone7.ab1");
  d.modified = true;
  ASSERT_FALSE(saveScf(d, path("clone7-fixed.scf"), true, kJuly9));
  EXPECT_TRUE(d.isScf);
  EXPECT_TRUE(d.convertedFromAbi);
  EXPECT_FALSE(d.modified);
  EXPECT_EQ(d.filePath, path("clone7-fixed.scf"));
  EXPECT_EQ(d.fileInfoText, "File: clone7-fixed.scf");
  EXPECT_EQ(d.fileTitle, "clone7.ab1");  // the prompt keeps naming the file as loaded
  EXPECT_EQ(comments(d), std::string("CONV=Vistrel 1.45\n\0", 19));
  std::string file = contents(path("clone7-fixed.scf"));
  EXPECT_NE(file.find(std::string("CONV=Vistrel 1.45\nEDIT=Jul 9 1998\n\0", 35)),
            std::string::npos);

  // The next save keeps the conversion line and replaces the date.
  ASSERT_FALSE(saveScf(d, d.filePath, false, kDec8));
  std::string again = contents(path("clone7-fixed.scf"));
  EXPECT_EQ(again.size(), file.size());
  EXPECT_EQ(again.substr(again.size() - 35),
            std::string("CONV=Vistrel 1.45\nEDIT=Dec 8 2026\n\0", 35));
  EXPECT_EQ(again.find("CONV="), again.rfind("CONV="));
}

TEST_F(ScfSave, SavingTwiceDiffersOnlyInTheDate) {
  Chromatogram d = scfDocument("NAME=x\nEDIT=Jan 1 2000\n");
  nameDocumentAfter(d, path("t.scf"));
  ASSERT_FALSE(saveScf(d, path("t.scf"), false, kJuly9));
  std::string first = contents(path("t.scf"));
  ASSERT_FALSE(saveScf(d, path("t.scf"), false, kDec8));
  std::string second = contents(path("t.scf"));
  ASSERT_EQ(first.size(), second.size());
  std::size_t date = second.rfind("EDIT=Dec 8 2026\n");
  ASSERT_NE(date, std::string::npos);
  EXPECT_EQ(second.replace(date, 16, "EDIT=Jul 9 1998\n"), first);
  EXPECT_EQ(first.find("EDIT=Jan 1 2000"), std::string::npos);
}

TEST_F(ScfSave, AFailedSaveChangesNothing) {
  Chromatogram d = abiDocument(unevenTrace());
  nameDocumentAfter(d, "/runs/clone7.ab1");
  d.modified = true;
  OutputError error = saveScf(d, path("missing/folder/x.scf"), true, kJuly9);
  EXPECT_EQ(error.kind, OutputError::CreateFailed);
  EXPECT_EQ(outputErrorMessage(error), "Path not found");
  EXPECT_FALSE(d.isScf);
  EXPECT_TRUE(d.modified);
  EXPECT_EQ(d.filePath, "/runs/clone7.ab1");

  // Out of memory after the file was created: the target keeps its contents.
  std::ofstream(path("keep.scf")) << "the only copy";
  {
    ScopedAllocationLimit limit(64);
    error = saveScf(d, path("keep.scf"), true, kJuly9);
  }
  EXPECT_EQ(outputErrorMessage(error), "Insufficient memory");
  EXPECT_EQ(contents(path("keep.scf")), "the only copy");
  EXPECT_EQ(entries(), 1u);
  EXPECT_FALSE(d.isScf);
  EXPECT_TRUE(d.modified);

  // Whichever allocation fails, the save either completes, its document converted, or reports
  // the failure having written nothing.
  for (std::size_t allowed = 0; allowed < 4; ++allowed) {
    SCOPED_TRACE(allowed);
    Chromatogram fresh = abiDocument(unevenTrace());
    {
      ScopedAllocationLimit limit(SIZE_MAX, allowed);
      error = saveScf(fresh, path("keep.scf"), true, kJuly9);
    }
    if (error) {
      EXPECT_EQ(outputErrorMessage(error), "Insufficient memory");
      EXPECT_EQ(contents(path("keep.scf")), "the only copy");
      EXPECT_FALSE(fresh.isScf);
    } else {
      EXPECT_EQ(comments(fresh), std::string("CONV=Vistrel 1.45\n\0", 19));
    }
  }
}

TEST(ScfWriter, CreateFailureMessagesDependOnTheCommand) {
  EXPECT_EQ(outputErrorMessage({OutputError::CreateFailed, 0}), "The file could not be created");
  EXPECT_EQ(outputErrorMessage({OutputError::CreateFailed, 0}, "The file could not be opened"),
            "The file could not be opened");
  EXPECT_EQ(outputErrorMessage({OutputError::CreateFailed, 5}), "Access denied");
  EXPECT_EQ(outputErrorMessage({OutputError::WriteFailed, 0}), "Could not write file");
}

}  // namespace
}  // namespace vistrel::testing
