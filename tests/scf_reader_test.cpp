// SCF reading: the four sample layouts, scaling to 1600, bases, comments and broken files.
#include "document/scf_reader.h"

#include <gtest/gtest.h>

#include <functional>

#include "reading.h"

namespace vistrel::testing {
namespace {

using Samples = std::vector<std::uint16_t>;

ScfSpec specWith(std::string version, std::uint32_t sampleSize, std::array<Samples, 4> channels) {
  ScfSpec spec;
  spec.version = std::move(version);
  spec.sampleSize = sampleSize;
  spec.channels = std::move(channels);
  spec.bases = "ACG";
  spec.peaks = {1, 2, 3};
  return spec;
}

std::string commentsText(const Chromatogram& d) {
  return std::string(reinterpret_cast<const char*>(d.comments.data()),
                     static_cast<std::size_t>(d.commentsSize));
}

TEST(ScfReader, VersionThreeSixteenBitUndoesSecondDifferences) {
  // Stored 10, 65521 (-15), 5 decode to 10, 5, 5; the 1600 elsewhere keeps the scale at 1.
  ScfSpec spec = specWith(
      "3.00", 2, {Samples{0, 0, 0}, Samples{0, 0, 0}, Samples{0, 0, 0}, Samples{1600, 0, 0}});
  Bytes image = buildScf(spec);
  const std::size_t a = 128;
  image[a] = 0, image[a + 1] = 10;
  image[a + 2] = 0xFF, image[a + 3] = 0xF1;
  image[a + 4] = 0, image[a + 5] = 5;
  ReadOutcome r = readImage(image);
  ASSERT_FALSE(r.error) << r.message();
  EXPECT_EQ(samplesOf(r.document, 0), (Samples{10, 5, 5}));
  EXPECT_EQ(samplesOf(r.document, 3), (Samples{1600, 0, 0}));
}

TEST(ScfReader, VersionThreeEightBitSumsModulo256) {
  ScfSpec spec = specWith("3.00", 1, {Samples{0, 0}, Samples{0, 0}, Samples{0, 0}, Samples{0, 0}});
  Bytes image = buildScf(spec);
  image[128] = 200;
  image[129] = 212;  // 200 + (200 + 212) mod 256 = 100
  ReadOutcome r = readImage(image);
  ASSERT_FALSE(r.error);
  EXPECT_EQ(samplesOf(r.document, 0), (Samples{1600, 800}));
}

TEST(ScfReader, EveryLayoutDecodesTheSameTrace) {
  std::array<Samples, 4> channels{Samples{0, 50, 200, 100}, Samples{200, 3, 0, 1},
                                  Samples{7, 7, 7, 7}, Samples{1, 2, 3, 4}};
  // Largest 200: every value v reads as v * 8.
  std::array<Samples, 4> expected;
  for (int c = 0; c < 4; ++c) {
    for (std::uint16_t v : channels[c]) expected[c].push_back(static_cast<std::uint16_t>(v * 8));
  }
  for (auto [version, size] :
       {std::pair{"2.00", 1u}, std::pair{"2.00", 2u}, std::pair{"3.00", 1u}, std::pair{"3.10", 2u},
        std::pair{"1.00", 2u}, std::pair{"1.00", 1u}}) {
    ReadOutcome r = readImage(buildScf(specWith(version, size, channels)));
    ASSERT_FALSE(r.error) << version << " " << size;
    for (int c = 0; c < 4; ++c) EXPECT_EQ(samplesOf(r.document, c), expected[c]) << version << size;
  }
}

TEST(ScfReader, VersionOneWithSampleSizeTwoIsReadAsEightBit) {
  // Interleaved 8-bit records although the header says 2 bytes per sample.
  ScfSpec spec = specWith("1.00", 2, {Samples{0}, Samples{0}, Samples{0}, Samples{0}});
  Bytes image = buildScf(spec);
  image[128] = 100, image[129] = 50, image[130] = 25, image[131] = 0;
  ReadOutcome r = readImage(image);
  ASSERT_FALSE(r.error);
  EXPECT_EQ(samplesOf(r.document, 0), Samples{1600});
  EXPECT_EQ(samplesOf(r.document, 1), Samples{800});
  EXPECT_EQ(samplesOf(r.document, 2), Samples{400});
}

TEST(ScfReader, VersionCharacterIsSigned) {
  // A version byte above 127 is negative, so below '1' and '3': 8-bit interleaved records.
  ScfSpec spec = specWith("2.00", 1, {Samples{10}, Samples{20}, Samples{40}, Samples{80}});
  Bytes image = buildScf(spec);
  image[36] = 0xB3;
  image[43] = 2;
  ReadOutcome r = readImage(image);
  ASSERT_FALSE(r.error);
  EXPECT_EQ(samplesOf(r.document, 3), Samples{1600});
  EXPECT_EQ(samplesOf(r.document, 0), Samples{200});
}

TEST(ScfReader, FillsTheDocument) {
  ScfSpec spec =
      specWith("3.00", 2, {Samples{1, 2}, Samples{3, 4}, Samples{5, 6}, Samples{7, 1600}});
  spec.codeSet = 2;
  spec.bases = "ACn-";
  spec.peaks = {1, 65536 + 100, 0x8000, 7};
  ReadOutcome r = readImage(buildScf(spec));
  ASSERT_FALSE(r.error);
  const Chromatogram& d = r.document;
  EXPECT_TRUE(d.isScf);
  EXPECT_EQ(d.codeSet, 2);
  EXPECT_EQ(d.headerSkip, 0);
  EXPECT_EQ(d.maxSampleCount, 2);
  for (int c = 0; c < 4; ++c) {
    EXPECT_EQ(d.channels[c].letter, "ACGT"[c]);
    EXPECT_EQ(d.channels[c].sampleCount, 2);
    EXPECT_EQ(d.channels[c].sampleOffset, 4 * c);
  }
  EXPECT_EQ(lettersOf(d.shown()), "ACn-");
  // Low 16 bits of each peak index, read as signed.
  EXPECT_EQ(peaksOf(d.shown()), (std::vector<std::int16_t>{1, 100, -32768, 7}));
  EXPECT_EQ(d.shown().peakCount, 4);
  EXPECT_EQ(d.sampleNameText, "Sequence Name: (none)");
  EXPECT_EQ(r.sampleName, "");
  EXPECT_EQ(windowTitleFor(r.sampleName), "Vistrel");
}

TEST(ScfReader, ZeroBasesAndZeroSamplesLoad) {
  ScfSpec spec = specWith("3.00", 2, {Samples{}, Samples{}, Samples{}, Samples{}});
  spec.bases = "";
  spec.peaks = {};
  ReadOutcome r = readImage(buildScf(spec));
  ASSERT_FALSE(r.error) << r.message();
  EXPECT_EQ(r.document.shown().baseCount, 0);
  EXPECT_EQ(r.document.maxSampleCount, 0);
}

TEST(ScfReader, ScalingMakesTheLargestSample1600) {
  std::vector<std::uint16_t> same(12, 800);
  scaleSamplesTo1600(same.data(), same.size());
  EXPECT_EQ(same, std::vector<std::uint16_t>(12, 1600));

  std::vector<std::uint16_t> zeros(8, 0);
  scaleSamplesTo1600(zeros.data(), zeros.size());
  EXPECT_EQ(zeros, std::vector<std::uint16_t>(8, 0));

  // The fast division must agree with v * 1600 / largest for every value.
  for (std::uint32_t largest :
       {1u, 2u, 3u, 7u, 255u, 1599u, 1600u, 1601u, 4097u, 32768u, 40000u, 65521u, 65535u}) {
    std::vector<std::uint16_t> all(largest + 1);
    for (std::uint32_t v = 0; v <= largest; ++v) all[v] = static_cast<std::uint16_t>(v);
    scaleSamplesTo1600(all.data(), all.size());
    for (std::uint32_t v = 0; v <= largest; ++v) {
      ASSERT_EQ(all[v], v * 1600 / largest) << v << " of " << largest;
    }
  }
}

TEST(ScfReader, RunEndedTextFromTheStopLine) {
  auto runEnded = [](const std::string& comments) {
    ScfSpec spec = specWith("3.00", 2, {Samples{1}, Samples{1}, Samples{1}, Samples{1}});
    spec.comments = toBytes(comments);
    return readImage(buildScf(spec)).document.runEndedText;
  };
  EXPECT_EQ(runEnded("NAME=x\nSTOP=Thu 09 Jul 10:00\n"), "Run ended: Thu 09 Jul 10:00");
  EXPECT_EQ(runEnded("STOP=abcd\n"), "Run ended: abcd");
  EXPECT_EQ(runEnded("STOP=abc\n"), "Run ended: (unknown)");
  EXPECT_EQ(runEnded("NAME=x\nSTOP=Thu 09 Jul 10:00"), "Run ended: (unknown)");
  EXPECT_EQ(runEnded("STOP=" + std::string(40, '9') + "\n"), "Run ended: " + std::string(28, '9'));
  EXPECT_EQ(runEnded("XSTOP=Thu 09 Jul 10:00\n"), "Run ended: (unknown)");
  EXPECT_EQ(runEnded("NAME=a STOP=Thu 09 Jul\n"), "Run ended: (unknown)");
  EXPECT_EQ(runEnded("STOP=first\nSTOP=second\n"), "Run ended: first");
  EXPECT_EQ(runEnded("STOP=ab\nSTOP=second\n"), "Run ended: (unknown)");
  EXPECT_EQ(runEnded("STOP"), "Run ended: (unknown)");
  EXPECT_EQ(runEnded("STOP="), "Run ended: (unknown)");
  EXPECT_EQ(runEnded("NAME=no line feed"), "Run ended: (unknown)");
  EXPECT_EQ(runEnded(std::string("STOP=ab\0cd\n", 11)), "Run ended: ab");
}

TEST(ScfReader, CommentsAreKeptByteForByte) {
  ScfSpec spec = specWith("3.00", 2, {Samples{1}, Samples{1}, Samples{1}, Samples{1}});
  std::string text("NAME=x\nMACH=y\0", 14);
  spec.comments = toBytes(text);
  ReadOutcome r = readImage(buildScf(spec));
  ASSERT_FALSE(r.error);
  EXPECT_EQ(r.document.commentsSize, 14);
  EXPECT_EQ(commentsText(r.document), text);
}

TEST(ScfReader, UnusableCommentsAreDroppedSilently) {
  auto load = [](auto change) {
    ScfSpec spec = specWith("3.00", 2, {Samples{1}, Samples{1}, Samples{1}, Samples{1}});
    spec.comments = toBytes("STOP=Thu 09 Jul 10:00\n");
    change(spec);
    return readImage(buildScf(spec));
  };
  for (auto change : std::vector<std::function<void(ScfSpec&)>>{
           [](ScfSpec& s) { s.commentsOffset = 100; },
           [](ScfSpec& s) { s.commentsSize = 0; },
           [](ScfSpec& s) { s.commentsSize = 0x80000000u; },
           [](ScfSpec& s) { s.commentsSize = 1000; },
           [](ScfSpec& s) { s.commentsOffset = 0xFFFFFFF0u; },
       }) {
    ReadOutcome r = load(change);
    ASSERT_FALSE(r.error) << r.message();
    EXPECT_EQ(r.document.commentsSize, 0);
    EXPECT_EQ(r.document.runEndedText, "Run ended: (unknown)");
  }
}

TEST(ScfReader, BrokenFilesAreRefusedAsCorrupt) {
  auto kind = [](auto change) {
    ScfSpec spec =
        specWith("3.00", 2, {Samples{1, 2}, Samples{1, 2}, Samples{1, 2}, Samples{1, 2}});
    change(spec);
    return readImage(buildScf(spec)).error.kind;
  };
  EXPECT_EQ(kind([](ScfSpec& s) { s.samplesOffset = 127; }), LoadError::Corrupt);
  EXPECT_EQ(kind([](ScfSpec& s) { s.samples = 100; }), LoadError::Corrupt);
  EXPECT_EQ(kind([](ScfSpec& s) { s.samples = 0xFFFFFFFFu; }), LoadError::Corrupt);
  EXPECT_EQ(kind([](ScfSpec& s) { s.samplesOffset = 0xFFFFFFF0u; }), LoadError::Corrupt);
  EXPECT_EQ(kind([](ScfSpec& s) { s.basesOffset = 64; }), LoadError::Corrupt);
  EXPECT_EQ(kind([](ScfSpec& s) { s.basesCount = 1000; }), LoadError::Corrupt);
  EXPECT_EQ(kind([](ScfSpec& s) { s.basesCount = 0x80000000u; }), LoadError::Corrupt);
  EXPECT_EQ(kind([](ScfSpec& s) { s.basesOffset = 0x7FFFFFFFu; }), LoadError::Corrupt);
  // Interleaved 16-bit records need twice the bytes of 8-bit ones.
  EXPECT_EQ(kind([](ScfSpec& s) {
              s.version = "2.00";
              s.sampleSize = 1;
              s.samples = 4;
              s.basesOffset = 128 + 8 * 2 + 100;
            }),
            LoadError::Corrupt);
}

TEST(ScfReader, EveryTruncationFailsCleanlyOrDropsOnlyComments) {
  ScfSpec spec =
      specWith("3.00", 2, {Samples{1, 2, 3}, Samples{4, 5, 6}, Samples{7, 8, 9}, Samples{9, 9, 9}});
  spec.comments = toBytes("STOP=Thu 09 Jul 10:00\n");
  Bytes good = buildScf(spec);
  const std::size_t commentsStart = good.size() - spec.comments.size();
  for (std::size_t size = 0; size < good.size(); ++size) {
    ReadOutcome r =
        readImage(Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(size)));
    if (size < commentsStart) {
      EXPECT_EQ(r.error.kind, LoadError::Corrupt) << size;
    } else {
      ASSERT_FALSE(r.error) << size;
      EXPECT_EQ(r.document.commentsSize, 0) << size;
    }
  }
}

TEST(ScfReader, NoMemoryForTheSamplesIsReported) {
  ScfSpec spec =
      specWith("3.00", 2, {Samples(64, 1), Samples(64, 1), Samples(64, 1), Samples(64, 1)});
  Block image = toBlock(buildScf(spec));
  ScopedAllocationLimit limit(256);  // the decoded samples need 512 bytes
  Chromatogram document;
  std::string name;
  LoadError error = readTraceImage(std::move(image), false, document, name);
  EXPECT_EQ(error.kind, LoadError::NoMemory);
  EXPECT_EQ(loadErrorMessage(error), "Insufficient memory\nto open this file");
}

}  // namespace
}  // namespace vistrel::testing
