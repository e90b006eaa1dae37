// ABI reading: which entries are taken, what the document holds, and how broken files fail.
#include <gtest/gtest.h>

#include <climits>

#include "reading.h"

namespace vistrel::testing {
namespace {

AbiTrace smallTrace() {
  AbiTrace t;
  t.channels = {std::vector<std::uint16_t>{1, 2, 0x1234, 65535},
                std::vector<std::uint16_t>{10, 20, 30, 40}, std::vector<std::uint16_t>{5, 6, 7, 8},
                std::vector<std::uint16_t>{100, 200, 300, 400}};
  t.editedBases = "ACGTN";
  t.editedPeaks = {1, 2, 3, 4, 5};
  t.originalBases = "acgtnRY";
  t.originalPeaks = {10, 20, 30, 40, 50, 60, 70};
  t.sampleName = "clone 7";
  return t;
}

AbiEntry& entryNamed(AbiBuilder& b, const std::string& name, std::int32_t number = 1) {
  for (AbiEntry& e : b.entries()) {
    if (e.name == name && e.number == number) return e;
  }
  throw std::runtime_error("no entry " + name);
}

void removeEntry(AbiBuilder& b, const std::string& name, std::int32_t number) {
  auto& entries = b.entries();
  entries.erase(
      std::remove_if(entries.begin(), entries.end(),
                     [&](const AbiEntry& e) { return e.name == name && e.number == number; }),
      entries.end());
}

TEST(AbiReader, ReadsTracesBaseCallsAndTexts) {
  AbiTrace t = smallTrace();
  ReadOutcome r = readImage(abiBuilderFor(t).build());
  ASSERT_FALSE(r.error) << r.message();
  const Chromatogram& d = r.document;
  EXPECT_TRUE(d.loaded);
  EXPECT_FALSE(d.isScf);
  EXPECT_EQ(d.codeSet, 4);
  EXPECT_EQ(d.commentsSize, 0);
  EXPECT_EQ(d.headerSkip, 0);
  EXPECT_EQ(d.maxSampleCount, 4);
  for (int c = 0; c < 4; ++c) {
    EXPECT_EQ(d.channels[c].letter, "GATC"[c]);
    EXPECT_EQ(samplesOf(d, c), t.channels[c]) << "channel " << c;
  }
  EXPECT_EQ(lettersOf(d.shown()), "ACGTN");
  EXPECT_EQ(lettersOf(d.edited), "ACGTN");
  EXPECT_EQ(peaksOf(d.edited), t.editedPeaks);
  EXPECT_EQ(lettersOf(d.original), "acgtnRY");
  EXPECT_EQ(peaksOf(d.original), t.originalPeaks);
  EXPECT_EQ(d.runEndedText, "Run ended: Jul 9, 2026");
  EXPECT_EQ(d.sampleNameText, "Sequence Name: clone 7");
  EXPECT_EQ(r.sampleName, "clone 7");
  EXPECT_EQ(windowTitleFor(r.sampleName), "Vistrel - clone 7");
}

TEST(AbiReader, ShowOriginalSequenceMakesTheOriginalSetCurrent) {
  ReadOutcome r = readImage(abiBuilderFor(smallTrace()).build(), true);
  ASSERT_FALSE(r.error);
  EXPECT_EQ(lettersOf(r.document.shown()), "acgtnRY");
  EXPECT_EQ(r.document.shown().peakCount, 7);
  EXPECT_EQ(lettersOf(r.document.edited), "ACGTN");
}

TEST(AbiReader, TakesDataNineToTwelveOrFiveToEight) {
  AbiTrace t = smallTrace();
  ReadOutcome twelve = readImage(abiBuilderFor(t).build());
  ASSERT_FALSE(twelve.error);
  EXPECT_EQ(samplesOf(twelve.document, 1), t.channels[1]);

  AbiBuilder eight = abiBuilderFor(t);
  for (int n = 9; n <= 12; ++n) removeEntry(eight, "DATA", n);
  ReadOutcome r = readImage(eight.build());
  ASSERT_FALSE(r.error) << r.message();
  // DATA 5 to 8 of the builder hold 16 copies of the channel index.
  for (int c = 0; c < 4; ++c) {
    EXPECT_EQ(samplesOf(r.document, c),
              std::vector<std::uint16_t>(16, static_cast<std::uint16_t>(c)));
  }
}

TEST(AbiReader, BaseOrderGivesChannelLetters) {
  AbiTrace t = smallTrace();
  t.baseOrder = "TCAG";
  ReadOutcome r = readImage(abiBuilderFor(t).build());
  ASSERT_FALSE(r.error);
  EXPECT_EQ(std::string({r.document.channels[0].letter, r.document.channels[1].letter,
                         r.document.channels[2].letter, r.document.channels[3].letter}),
            "TCAG");
}

TEST(AbiReader, KeepsCountsThatDifferBetweenEntries) {
  AbiTrace t = smallTrace();
  t.editedPeaks = {1, 2, 3};  // five letters, three peaks
  t.channels[2] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  ReadOutcome r = readImage(abiBuilderFor(t).build());
  ASSERT_FALSE(r.error);
  EXPECT_EQ(r.document.edited.baseCount, 5);
  EXPECT_EQ(r.document.edited.peakCount, 3);
  EXPECT_EQ(r.document.original.baseCount, 7);
  EXPECT_EQ(r.document.maxSampleCount, 9);
  EXPECT_EQ(r.document.channels[0].sampleCount, 4);
}

TEST(AbiReader, ZeroBasesIsAValidDocument) {
  AbiTrace t = smallTrace();
  t.editedBases = t.originalBases = "";
  t.editedPeaks = t.originalPeaks = {};
  ReadOutcome r = readImage(abiBuilderFor(t).build());
  ASSERT_FALSE(r.error) << r.message();
  EXPECT_EQ(r.document.shown().baseCount, 0);
  EXPECT_EQ(r.document.shown().peakCount, 0);
  EXPECT_EQ(r.document.maxSampleCount, 4);
}

TEST(AbiReader, DataOfFourBytesOrFewerIsReadFromTheEntryItself) {
  AbiTrace t = smallTrace();
  t.editedBases = "ACG";
  t.editedPeaks = {7, 9};
  t.originalBases = "N";
  t.originalPeaks = {300};
  t.channels[1] = {0x0102, 0x0304};
  t.channels[2] = {};
  ReadOutcome r = readImage(abiBuilderFor(t).build());
  ASSERT_FALSE(r.error) << r.message();
  EXPECT_EQ(lettersOf(r.document.edited), "ACG");
  EXPECT_EQ(peaksOf(r.document.edited), (std::vector<std::int16_t>{7, 9}));
  EXPECT_EQ(lettersOf(r.document.original), "N");
  EXPECT_EQ(peaksOf(r.document.original), std::vector<std::int16_t>{300});
  EXPECT_EQ(samplesOf(r.document, 1), (std::vector<std::uint16_t>{0x0102, 0x0304}));
  EXPECT_EQ(r.document.channels[2].sampleCount, 0);
}

TEST(AbiReader, NegativeDataSizeLeavesTheDataAtItsOffset) {
  // Only sizes 0 to 4 put the data in the entry itself.
  AbiTrace t = smallTrace();
  for (std::int32_t size : {-1, INT32_MIN}) {
    AbiBuilder b = abiBuilderFor(t);
    entryNamed(b, "DATA", 10).dataSize = size;
    entryNamed(b, "PLOC", 1).dataSize = size;
    ReadOutcome r = readImage(b.build());
    ASSERT_FALSE(r.error) << size;
    EXPECT_EQ(samplesOf(r.document, 1), t.channels[1]) << size;
    EXPECT_EQ(peaksOf(r.document.edited), t.editedPeaks) << size;
  }

  // The offset and count of such an entry are checked as any other.
  AbiBuilder outside = abiBuilderFor(t);
  entryNamed(outside, "PLOC", 2).dataSize = -1;
  entryNamed(outside, "PLOC", 2).dataOffset = 0x7FFFFFF0;
  EXPECT_EQ(readImage(outside.build()).error.kind, LoadError::Corrupt);
  AbiBuilder negativeCount = abiBuilderFor(t);
  entryNamed(negativeCount, "DATA", 12).dataSize = -1;
  entryNamed(negativeCount, "DATA", 12).elementCount = -2;
  EXPECT_EQ(readImage(negativeCount.build()).error.kind, LoadError::Corrupt);
}

TEST(AbiReader, SamplesAtOddOffsetsAreTurnedToHostOrder) {
  AbiTrace t = smallTrace();
  AbiBuilder b = abiBuilderFor(t);
  AbiEntry odd;
  odd.name = "AAAA";
  odd.data = Bytes(5, 0);  // shifts every later data block by an odd count
  b.entries().insert(b.entries().begin(), odd);
  ReadOutcome r = readImage(b.build());
  ASSERT_FALSE(r.error);
  EXPECT_EQ(r.document.channels[0].sampleOffset % 2, 1);
  EXPECT_EQ(samplesOf(r.document, 0), t.channels[0]);
}

TEST(AbiReader, SamplesThatTwoEntriesShareAreTurnedOnce) {
  AbiTrace t = smallTrace();
  const std::int32_t first = readImage(abiBuilderFor(t).build()).document.channels[0].sampleOffset;
  struct Case {
    std::int32_t shift;  ///< of channel 1's data from channel 0's, in bytes
    std::vector<std::uint16_t> channel1;
  };
  // The same bytes; bytes one sample on; and bytes half a sample on, which no reading fits.
  const Case cases[] = {{0, t.channels[0]}, {2, {2, 0x1234, 65535, 10}}, {1, {}}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.shift);
    AbiBuilder b = abiBuilderFor(t);
    entryNamed(b, "DATA", 10).dataOffset = first + k.shift;
    ReadOutcome r = readImage(b.build());
    if (k.channel1.empty()) {
      EXPECT_EQ(r.error.kind, LoadError::Corrupt);
      continue;
    }
    ASSERT_FALSE(r.error) << r.message();
    EXPECT_EQ(samplesOf(r.document, 0), t.channels[0]);
    EXPECT_EQ(samplesOf(r.document, 1), k.channel1);
  }
}

TEST(AbiReader, RunDate) {
  AbiTrace t = smallTrace();
  t.year = 1998;
  t.month = 12;
  t.day = 31;
  EXPECT_EQ(readImage(abiBuilderFor(t).build()).document.runEndedText, "Run ended: Dec 31, 1998");

  AbiBuilder noDate = abiBuilderFor(t);
  removeEntry(noDate, "RUND", 1);
  removeEntry(noDate, "RUND", 2);
  EXPECT_EQ(readImage(noDate.build()).document.runEndedText, "Run ended: (unknown)");

  // A lone RUND is followed by a time entry, which is no date.
  AbiBuilder lone = abiBuilderFor(t);
  removeEntry(lone, "RUND", 2);
  EXPECT_EQ(readImage(lone.build()).document.runEndedText, "Run ended: (unknown)");

  AbiBuilder badMonth = abiBuilderFor(t);
  entryNamed(badMonth, "RUND", 2).data[2] = 13;
  EXPECT_EQ(readImage(badMonth.build()).document.runEndedText, "Run ended: (unknown)");
  entryNamed(badMonth, "RUND", 2).data[2] = 0;
  EXPECT_EQ(readImage(badMonth.build()).document.runEndedText, "Run ended: (unknown)");
}

TEST(AbiReader, RunDateAsLastEntryIsUnknownAndHidesTheSampleName) {
  AbiBuilder b = abiBuilderFor(smallTrace());
  auto& entries = b.entries();
  auto rund = std::find_if(entries.begin(), entries.end(),
                           [](const AbiEntry& e) { return e.name == "RUND" && e.number == 2; });
  AbiEntry last = *rund;
  entries.erase(rund);
  removeEntry(b, "RUND", 1);
  removeEntry(b, "RUNT", 1);
  removeEntry(b, "RUNT", 2);
  entries.push_back(last);  // after SMPL, with nothing behind it
  ReadOutcome r = readImage(b.build());
  ASSERT_FALSE(r.error);
  EXPECT_EQ(r.document.runEndedText, "Run ended: (unknown)");
  EXPECT_EQ(r.document.sampleNameText, "Sequence Name: (none)");
  EXPECT_EQ(windowTitleFor(r.sampleName), "Vistrel");
}

TEST(AbiReader, SampleNameRules) {
  AbiTrace t = smallTrace();
  t.sampleName = std::string(40, 'x');
  EXPECT_EQ(readImage(abiBuilderFor(t).build()).sampleName, std::string(31, 'x'));

  t.sampleName = "abc";  // length byte and three letters fit in the entry itself
  ReadOutcome inlined = readImage(abiBuilderFor(t).build());
  EXPECT_EQ(inlined.sampleName, "abc");
  EXPECT_EQ(inlined.document.sampleNameText, "Sequence Name: abc");

  // Unlike other data, a name of a negative size is still taken from the entry itself.
  t.sampleName = "ab";
  AbiBuilder negative = abiBuilderFor(t);
  entryNamed(negative, "SMPL").dataSize = -1;
  EXPECT_EQ(readImage(negative.build()).sampleName, "ab");

  t.sampleName = "";
  EXPECT_EQ(readImage(abiBuilderFor(t).build()).document.sampleNameText, "Sequence Name: (none)");

  AbiBuilder none = abiBuilderFor(smallTrace());
  removeEntry(none, "SMPL", 1);
  ReadOutcome r = readImage(none.build());
  ASSERT_FALSE(r.error);
  EXPECT_EQ(r.document.sampleNameText, "Sequence Name: (none)");
  EXPECT_EQ(r.sampleName, "");
}

TEST(AbiReader, SampleNameNeverReadsOutsideTheFile) {
  AbiBuilder outside = abiBuilderFor(smallTrace());
  entryNamed(outside, "SMPL").dataOffset = 0x7FFFFFF0;
  ReadOutcome r = readImage(outside.build());
  ASSERT_FALSE(r.error);
  EXPECT_EQ(r.document.sampleNameText, "Sequence Name: (none)");

  AbiBuilder negative = abiBuilderFor(smallTrace());
  entryNamed(negative, "SMPL").dataOffset = -8;
  EXPECT_EQ(readImage(negative.build()).document.sampleNameText, "Sequence Name: (none)");

  // A length byte that runs past the end of the file: the name stops at the end. The last
  // three bytes of the image are the unused handle field of the last directory entry.
  AbiBuilder atEnd = abiBuilderFor(smallTrace());
  std::size_t size = atEnd.build().size();
  entryNamed(atEnd, "SMPL").dataOffset = static_cast<std::int32_t>(size - 3);
  Bytes image = atEnd.build();
  image[size - 3] = 200;
  image[size - 2] = 'h';
  image[size - 1] = 'i';
  ReadOutcome cut = readImage(image);
  ASSERT_FALSE(cut.error);
  EXPECT_EQ(cut.sampleName, "hi");
}

TEST(AbiReader, UnsortedDirectoryIsReadByTagNumber) {
  // As one instrument writes them: FWO_ first, DATA 9 to 12 before DATA 1 to 4, no 5 to 8.
  AbiTrace t = smallTrace();
  AbiBuilder b;
  b.addBaseOrder("GATC");
  for (int c = 0; c < 4; ++c) b.addTrace(9 + c, t.channels[c]);
  for (int c = 0; c < 4; ++c) b.addTrace(1 + c, std::vector<std::uint16_t>(6, 9));
  b.addBases(1, t.editedBases).addBases(2, t.originalBases);
  b.addPeaks(1, t.editedPeaks).addPeaks(2, t.originalPeaks);
  ReadOutcome r = readImage(b.build());
  ASSERT_FALSE(r.error) << r.message();
  for (int c = 0; c < 4; ++c) EXPECT_EQ(samplesOf(r.document, c), t.channels[c]);
  EXPECT_EQ(lettersOf(r.document.edited), "ACGTN");
  EXPECT_EQ(lettersOf(r.document.original), "acgtnRY");
  EXPECT_EQ(r.document.runEndedText, "Run ended: (unknown)");
  EXPECT_EQ(r.document.sampleNameText, "Sequence Name: (none)");
}

TEST(AbiReader, UnsortedDirectoryTakesTheSecondRunDateAndSampleOne) {
  AbiTrace t = smallTrace();
  AbiBuilder b = abiBuilderFor(t);
  std::reverse(b.entries().begin(), b.entries().end());
  entryNamed(b, "RUND", 1).data = {0x07, 0xD0, 1, 2};  // 2000
  entryNamed(b, "RUND", 2).data = {0x07, 0xD1, 3, 4};  // 2001
  b.addDate(3, 2002, 5, 6);
  ReadOutcome r = readImage(b.build());
  ASSERT_FALSE(r.error) << r.message();
  EXPECT_EQ(r.document.runEndedText, "Run ended: Mar 4, 2001");
  EXPECT_EQ(r.sampleName, "clone 7");
  EXPECT_EQ(samplesOf(r.document, 3), t.channels[3]);
}

TEST(AbiReader, UnsortedDirectoryWithoutARequiredTagIsCorrupt) {
  for (const char* missing : {"FWO_", "PBAS", "PLOC"}) {
    AbiBuilder b = abiBuilderFor(smallTrace());
    std::reverse(b.entries().begin(), b.entries().end());
    removeEntry(b, missing, missing == std::string("FWO_") ? 1 : 2);
    ReadOutcome r = readImage(b.build());
    EXPECT_EQ(r.error.kind, LoadError::Corrupt) << missing;
    EXPECT_EQ(r.message(), "Not an ABI or SCF file,\nor data is corrupt");
  }
}

TEST(AbiReader, BrokenFilesAreRefusedAsCorrupt) {
  auto corrupted = [](auto change) {
    AbiBuilder b = abiBuilderFor(smallTrace());
    change(b);
    return readImage(b.build()).error.kind;
  };
  EXPECT_EQ(corrupted([](AbiBuilder& b) { removeEntry(b, "FWO_", 1); }), LoadError::Corrupt);
  EXPECT_EQ(corrupted([](AbiBuilder& b) {
              for (int n = 1; n <= 12; ++n) removeEntry(b, "DATA", n);
            }),
            LoadError::Corrupt);
  // Channel, letter and position data outside the file, by a large or a negative offset.
  for (std::int32_t offset : {0x7FFFFFF0, -2, 1 << 30}) {
    EXPECT_EQ(corrupted([&](AbiBuilder& b) { entryNamed(b, "DATA", 11).dataOffset = offset; }),
              LoadError::Corrupt);
    EXPECT_EQ(corrupted([&](AbiBuilder& b) { entryNamed(b, "PBAS", 2).dataOffset = offset; }),
              LoadError::Corrupt);
    EXPECT_EQ(corrupted([&](AbiBuilder& b) { entryNamed(b, "PLOC", 1).dataOffset = offset; }),
              LoadError::Corrupt);
  }
  EXPECT_EQ(corrupted([](AbiBuilder& b) { entryNamed(b, "DATA", 9).elementCount = -1; }),
            LoadError::Corrupt);
  EXPECT_EQ(corrupted([](AbiBuilder& b) { entryNamed(b, "DATA", 9).elementCount = 0x40000000; }),
            LoadError::Corrupt);
  EXPECT_EQ(corrupted([](AbiBuilder& b) { entryNamed(b, "PBAS", 1).dataSize = -5; }),
            LoadError::Corrupt);
  EXPECT_EQ(corrupted([](AbiBuilder& b) { entryNamed(b, "PLOC", 2).elementCount = 0x7FFFFFFF; }),
            LoadError::Corrupt);
}

TEST(AbiReader, TracesWithoutBaseCallsOpenWithNoBases) {
  auto withoutBaseCalls = [](std::initializer_list<int> channelsKept) {
    AbiBuilder b = abiBuilderFor(smallTrace());
    for (const char* tag : {"PBAS", "PLOC", "PCON", "FWO_"}) {
      auto& v = b.entries();
      v.erase(std::remove_if(v.begin(), v.end(), [&](const AbiEntry& e) { return e.name == tag; }),
              v.end());
    }
    for (int n = 1; n <= 12; ++n) {
      if (std::find(channelsKept.begin(), channelsKept.end(), n) == channelsKept.end()) {
        removeEntry(b, "DATA", n);
      }
    }
    return readImage(b.build());
  };
  // A fragment-analysis run: raw channels 1 to 4 and the run's voltages in 5 to 8.
  ReadOutcome raw = withoutBaseCalls({1, 2, 3, 4, 5, 6, 7, 8});
  ASSERT_FALSE(raw.error) << raw.message();
  EXPECT_FALSE(raw.document.hasBaseCalls);
  EXPECT_EQ(raw.document.edited.baseCount, 0);
  EXPECT_EQ(raw.document.original.baseCount, 0);
  EXPECT_EQ(raw.document.channels[0].letter, 'G');  // the usual order without FWO_
  EXPECT_EQ(raw.document.channels[3].letter, 'C');
  EXPECT_EQ(samplesOf(raw.document, 0),
            (std::vector<std::uint16_t>{100, 101, 0x1234 / 2 + 100, 65535 / 2 + 100}));
  EXPECT_EQ(raw.sampleName, "clone 7");
  // Analysed channels are preferred, as in a sequencing run.
  ReadOutcome analysed = withoutBaseCalls({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
  ASSERT_FALSE(analysed.error);
  EXPECT_EQ(samplesOf(analysed.document, 3), smallTrace().channels[3]);
  EXPECT_EQ(withoutBaseCalls({1, 2, 3}).error.kind, LoadError::Corrupt);
}

TEST(AbiReader, InstrumentModelLosesItsPadding) {
  for (const auto& [field, model] :
       std::vector<std::pair<Bytes, std::string>>{{{' ', '3', '7', '7'}, "377"},
                                                  {{'3', '1', '0', ' '}, "310"},
                                                  {{'3', '7', 0, 0}, "37"},
                                                  {{' ', ' ', ' ', ' '}, ""}}) {
    AbiBuilder b = abiBuilderFor(smallTrace());
    b.add({"MODL", 1, 2, 1, 4, field, {}, {}});
    EXPECT_EQ(readImage(b.sortByName().build()).document.instrumentModel, model);
  }
}

TEST(AbiReader, SecondBaseCallEntryMustLieInTheDirectory) {
  AbiTrace t = smallTrace();
  AbiBuilder b;
  for (int c = 0; c < 4; ++c) b.addTrace(9 + c, t.channels[c]);
  b.addBaseOrder("GATC").addPeaks(1, t.editedPeaks).addPeaks(2, t.originalPeaks);
  b.addBases(1, t.editedBases);  // the last entry: no second PBAS after it
  EXPECT_EQ(readImage(b.build()).error.kind, LoadError::Corrupt);
}

TEST(AbiReader, BrokenHeadersAreRefusedAsCorrupt) {
  Bytes good = abiBuilderFor(smallTrace()).build();
  auto withField = [&](std::size_t at, std::uint32_t value) {
    Bytes b = good;
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
    return readImage(b).error.kind;
  };
  EXPECT_EQ(withField(18, 0x7FFFFFFF), LoadError::Corrupt);  // entry count
  EXPECT_EQ(withField(18, 0xFFFFFFFF), LoadError::Corrupt);
  EXPECT_EQ(withField(26, 0xFFFFFFF0), LoadError::Corrupt);  // directory offset
  EXPECT_EQ(withField(26, 0x7FFFFFFF), LoadError::Corrupt);
  EXPECT_EQ(withField(18, 0), LoadError::Corrupt);
  EXPECT_EQ(readImage(Bytes{'A', 'B', 'I', 'F', 0, 0, 0}).error.kind, LoadError::Corrupt);
}

TEST(AbiReader, EveryTruncationFailsCleanly) {
  Bytes good = abiBuilderFor(smallTrace()).build();
  for (std::size_t size = 0; size < good.size(); ++size) {
    Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(size));
    ReadOutcome r = readImage(cut);
    // The directory comes last, so every cut loses it.
    EXPECT_EQ(r.error.kind, LoadError::Corrupt) << "size " << size;
  }
}

TEST(AbiReader, NoMemoryForTheBaseCallsIsReported) {
  AbiTrace t = smallTrace();
  t.editedBases = std::string(64, 'A');
  t.editedPeaks.assign(64, 1);
  Bytes image = abiBuilderFor(t).build();
  Block block = toBlock(image);
  ScopedAllocationLimit limit(32);
  Chromatogram document;
  std::string name;
  LoadError error = readTraceImage(std::move(block), false, document, name);
  EXPECT_EQ(error.kind, LoadError::NoMemory);
  EXPECT_EQ(loadErrorMessage(error), "Insufficient memory\nto open this file");
  EXPECT_FALSE(document.loaded);
}

}  // namespace
}  // namespace vistrel::testing
